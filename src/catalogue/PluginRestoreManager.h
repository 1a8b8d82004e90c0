#pragma once
// The restore database: the name and category every filter had when it was
// first catalogued, keyed by image base name (upper case).

#include "base/Object.h"
#include "catalogue/KeyedStore.h"

#include <cstddef>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace vardel {

class CPluginEntry;

class CPluginRestoreEntry : public CObject {
public:
    static const CRuntimeClass classCPluginRestoreEntry;
    static const CRuntimeClass& GetStaticClass() { return classCPluginRestoreEntry; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPluginRestoreEntry; }
    // original category, original name
    void Serialize(CArchive& ar) override;

    std::string m_originalCategory;
    std::string m_originalName;
};

class CPluginRestoreManager : public CObject {
public:
    // Keys in the order the store keeps them.
    using Originals = KeyedStore<CPluginRestoreEntry>::Map;

    static const CRuntimeClass classCPluginRestoreManager;
    static const CRuntimeClass& GetStaticClass() { return classCPluginRestoreManager; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPluginRestoreManager; }
    void Serialize(CArchive& ar) override;

    // Every lookup upper-cases the given key first, and sees the base's
    // entries too.
    bool Contains(const std::string& key) const;
    // Records the originals; false (nothing changes) when the key exists.
    bool Add(const std::string& key, const std::string& name, const std::string& category);
    // The originals under a key already in upper case, here or in the base;
    // when there are none, records name and category under it (unless the
    // category is empty) and returns null.
    const CPluginRestoreEntry* FindOrRecord(std::string_view upperKey, const std::string& name,
                                            const std::string& category);
    std::string GetOriginalCategory(const std::string& key) const;  // "" when absent
    std::string GetOriginalName(const std::string& key) const;      // "" when absent
    void Clear();
    void NormaliseKeys();
    // Stores the originals under key exactly as given, replacing any there:
    // what a store of an older version holds before NormaliseKeys.
    void Put(std::string key, std::unique_ptr<CPluginRestoreEntry> entry);

    // What was recorded here (not the base's), by key.
    const Originals& Entries() const { return m_store.Items(); }
    std::size_t Size() const { return m_store.Size(); }
    bool IsEmpty() const { return m_store.IsEmpty(); }
    // Moves the records into new allocations made one after the other: a
    // scan made them between the catalogue's entries, and records left in
    // between would keep the catalogue's pages after it is freed.
    void Compact();
    // Moves the records of from whose keys are not here into this database,
    // without copying them; the rest stay in from. Returns how many moved.
    int TakeNew(CPluginRestoreManager& from);

    // Raises an entry's capacities to the lengths of its originals (the
    // category only for filters); Photoshop Filter Factory filters keep
    // theirs, and texts that could not be located (offset 0) are never
    // widened, since nothing may be written for them.
    void WidenCapacities(CPluginEntry& entry) const;
    // The same with the entry's image base name already made.
    void WidenCapacities(CPluginEntry& entry, const std::string& imageBaseName) const;

    // The lengths of the originals under a key: what widening takes from
    // them. -1 for a key without originals.
    struct OriginalLengths {
        int name = -1;
        int category = -1;
    };
    // The lengths under each key (upper case already, as Find takes them)
    // into lengths (as many). One pass over many keys overlaps the lookups'
    // reads of memory, which a lookup per plug-in between its file's
    // system calls cannot: at tens of thousands of records each of those
    // waits for memory twice.
    void LengthsOf(std::span<const std::string_view> upperKeys, std::span<OriginalLengths> lengths) const;
    // WidenCapacities with the lengths of the entry's originals already found.
    static void WidenCapacities(CPluginEntry& entry, const OriginalLengths& originals);

    // A database that only adds to base: lookups see base's entries, which
    // it never changes; Entries() holds what was recorded here (a scan job's
    // new originals over the session's database). base must outlive it;
    // null for none.
    void SetBase(const CPluginRestoreManager* base) { m_base = base; }

private:
    // The originals under an upper-case key, here or in the base; null when none.
    const CPluginRestoreEntry* Find(std::string_view upperKey) const;

    KeyedStore<CPluginRestoreEntry> m_store;
    const CPluginRestoreManager* m_base = nullptr;
};

}  // namespace vardel
