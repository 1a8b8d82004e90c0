#pragma once
// The PiMI tail cache: the 16-byte tail of every PiMI filter's resource,
// keyed by image base name (upper case).

#include "base/Object.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace vardel {

class CPIMIEntry : public CObject {
public:
    static const CRuntimeClass classCPIMIEntry;
    static const CRuntimeClass& GetStaticClass() { return classCPIMIEntry; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPIMIEntry; }
    void Serialize(CArchive& ar) override;

    std::array<std::uint8_t, 16> m_bytes{};
};

class CPIMIManager : public CObject {
public:
    static const CRuntimeClass classCPIMIManager;
    static const CRuntimeClass& GetStaticClass() { return classCPIMIManager; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPIMIManager; }
    void Serialize(CArchive& ar) override;

    // The entry stored under the key (here or in the base), or null.
    const CPIMIEntry* Lookup(const std::string& key) const;
    // The same for a key in upper case already (an image base name).
    const CPIMIEntry* LookupUpper(const std::string& upperKey) const;
    // Stores a copy of the tail; false (nothing changes) when the key exists
    // here or in the base.
    bool Add(const std::string& key, const std::array<std::uint8_t, 16>& tail);
    void NormaliseKeys();
    void Clear();

    // A cache that only adds to base: lookups and Add see base's entries,
    // which it never changes; m_entries holds what was added here (a scan
    // job's new tails over the session's cache). base must outlive it;
    // null for none.
    void SetBase(const CPIMIManager* base) { m_base = base; }

    std::map<std::string, std::unique_ptr<CPIMIEntry>> m_entries;

private:
    const CPIMIManager* m_base = nullptr;
};

}  // namespace vardel
