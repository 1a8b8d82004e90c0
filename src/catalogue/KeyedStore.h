#pragma once
// The records of a store kept by text key: a map in the order the store
// file keeps them, and an index over its keys for the lookups a scan or
// refresh makes once per plug-in. The map's nodes never move while they are
// in it, so the index holds views of their keys.

#include "base/Archive.h"
#include "catalogue/KeyIndex.h"
#include "catalogue/PluginTables.h"

#include <cstddef>
#include <iterator>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace vardel {

template <class Record>
class KeyedStore {
public:
    using Map = std::map<std::string, std::unique_ptr<Record>>;

    const Map& Items() const { return m_items; }
    std::size_t Size() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }

    // Where the record under key is held (it may be null); null when the
    // key is not here.
    Record* const* Find(std::string_view key) const { return m_index.Find(key); }
    // Find for each key, into found (as many), overlapping the lookups.
    void FindAll(std::span<const std::string_view> keys, std::span<Record* const*> found) const
    {
        m_index.FindAll(keys, found);
    }
    bool Contains(std::string_view key) const { return m_index.Contains(key); }

    // Adds record under key unless the key is here; false then.
    bool Add(std::string key, std::unique_ptr<Record> record)
    {
        if (m_index.Contains(key))
            return false;
        const auto it = m_items.emplace(std::move(key), std::move(record)).first;
        m_index.Insert(it->first, it->second.get());
        return true;
    }
    // Puts record under key, replacing any there.
    void Put(std::string key, std::unique_ptr<Record> record)
    {
        const auto it = m_items.insert_or_assign(std::move(key), std::move(record)).first;
        m_index.Assign(it->first, it->second.get());
    }
    void Clear()
    {
        m_index.Clear();
        m_items.clear();
    }

    void Serialize(CArchive& ar)
    {
        if (ar.IsStoring()) {
            ar.SerializeMap(m_items);
            return;
        }
        // A load that breaks off keeps what it read, and that is looked up too.
        try {
            ar.SerializeMap(m_items);
        } catch (...) {
            Reindex();
            throw;
        }
        Reindex();
    }

    // Gives every key the form a current store keeps (see NormaliseStoredKeys).
    template <class PrefixOf>
    void NormaliseKeys(PrefixOf prefixOf)
    {
        NormaliseStoredKeys(m_items, prefixOf);
        Reindex();
    }

    // Moves the records into new allocations made one after the other: a
    // scan made them between the catalogue's entries, and records left in
    // between would keep the catalogue's pages after it is freed.
    void Compact()
    {
        Map compact;
        for (const auto& [key, record] : m_items)
            if (record)
                compact.emplace_hint(compact.end(), std::string(key), std::make_unique<Record>(*record));
        m_items = std::move(compact);
        Reindex();
    }

    // Moves the records of from whose keys are not here into this store,
    // without copying them; the rest stay in from. Returns how many moved.
    int TakeNew(KeyedStore& from)
    {
        // The first scan of a collection hands over tens of thousands of
        // records, on the window thread: into an empty store they move
        // whole, and otherwise the index grows once, not by doubling.
        if (m_items.empty()) {
            std::swap(m_items, from.m_items);
            std::swap(m_index, from.m_index);
            from.Clear();
            return static_cast<int>(m_items.size());
        }
        m_index.Reserve(m_items.size() + from.m_items.size());
        int taken = 0;
        for (auto it = from.m_items.begin(); it != from.m_items.end();) {
            const auto next = std::next(it);
            if (!m_index.Contains(it->first)) {
                // The node keeps its key's bytes where they are: a view of
                // them stays good in the index it moves to.
                from.m_index.Erase(it->first);
                const auto placed = m_items.insert(from.m_items.extract(it)).position;
                m_index.Insert(placed->first, placed->second.get());
                ++taken;
            }
            it = next;
        }
        return taken;
    }

private:
    void Reindex()
    {
        m_index.Clear();
        m_index.Reserve(m_items.size());
        for (const auto& [key, record] : m_items)
            m_index.Insert(key, record.get());
    }

    Map m_items;
    KeyIndex<Record> m_index;
};

}  // namespace vardel
