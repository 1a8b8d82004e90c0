#pragma once
// The PiMI tail cache: the 16-byte tail of every PiMI filter's resource,
// keyed by image base name (upper case).

#include "base/Object.h"
#include "catalogue/KeyedStore.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

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
    // Keys in the order the store keeps them.
    using Tails = KeyedStore<CPIMIEntry>::Map;

    static const CRuntimeClass classCPIMIManager;
    static const CRuntimeClass& GetStaticClass() { return classCPIMIManager; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPIMIManager; }
    void Serialize(CArchive& ar) override;

    // The entry stored under the key (here or in the base), or null.
    const CPIMIEntry* Lookup(const std::string& key) const;
    // The same for a key in upper case already (an image base name).
    const CPIMIEntry* LookupUpper(std::string_view upperKey) const;
    // Stores a copy of the tail; false (nothing changes) when the key exists
    // here or in the base.
    bool Add(const std::string& key, const std::array<std::uint8_t, 16>& tail);
    // The same for a key in upper case already.
    bool AddUpper(std::string_view upperKey, const std::array<std::uint8_t, 16>& tail);
    void NormaliseKeys();
    void Clear();

    // What was added here (not the base's), by key.
    const Tails& Entries() const { return m_store.Items(); }
    std::size_t Size() const { return m_store.Size(); }
    bool IsEmpty() const { return m_store.IsEmpty(); }
    // See KeyedStore.
    void Compact() { m_store.Compact(); }
    int TakeNew(CPIMIManager& from) { return m_store.TakeNew(from.m_store); }

    // A cache that only adds to base: lookups and Add see base's entries,
    // which it never changes; Entries() holds what was added here (a scan
    // job's new tails over the session's cache). base must outlive it;
    // null for none.
    void SetBase(const CPIMIManager* base) { m_base = base; }

private:
    KeyedStore<CPIMIEntry> m_store;
    const CPIMIManager* m_base = nullptr;
};

}  // namespace vardel
