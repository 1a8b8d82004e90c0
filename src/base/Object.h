#pragma once
// Base of every record that lives in a store file: a run-time class with a
// name and a schema, and one Serialize that writes or reads the record's
// fields in their stored order depending on the archive's direction.

#include <cstdint>
#include <memory>

namespace vardel {

class CArchive;
class CObject;

struct CRuntimeClass {
    const char* name;                      // stored verbatim in class descriptors
    std::uint16_t schema;                  // written with the descriptor
    bool versionable;                      // a different stored schema is handed to the reader
    std::unique_ptr<CObject> (*create)();  // factory of an empty record
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass& GetRuntimeClass() const = 0;
    virtual void Serialize(CArchive& ar) = 0;
};

}  // namespace vardel
