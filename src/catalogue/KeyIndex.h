#pragma once
// An index from text keys to records, for lookups that run once per plug-in
// of a scan or refresh over tens of thousands of keys: open addressing over
// slots that hold each key's hash and its first bytes, so that a lookup
// mostly touches one slot and then the record it finds, where a node-based
// table follows several pointers first. The keys' bytes stay where the
// owner keeps them (views); they must not move or change while indexed.

#include "base/Prefetch.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vardel {

template <class Record>
class KeyIndex {
public:
    // Where the record under key is held (it may be null itself); null
    // when the key is not indexed.
    Record* const* Find(std::string_view key) const { return m_slots.empty() ? nullptr : FindHashed(key, Hash(key)); }

    // Find for each key, into found (as many): lookups side by side overlap
    // their reads of memory, where one at a time each waits for its own.
    void FindAll(std::span<const std::string_view> keys, std::span<Record* const*> found) const
    {
        constexpr std::size_t kAhead = 8;
        std::uint64_t hashes[kAhead] = {};
        for (std::size_t j = 0; j < keys.size() + kAhead; ++j) {
            if (j >= kAhead) {
                const std::size_t k = j - kAhead;
                found[k] = m_slots.empty() ? nullptr : FindHashed(keys[k], hashes[k % kAhead]);
            }
            if (j < keys.size() && !m_slots.empty()) {
                hashes[j % kAhead] = Hash(keys[j]);
                PrefetchForRead(&m_slots[hashes[j % kAhead] & m_mask]);
            }
        }
    }
    bool Contains(std::string_view key) const { return Find(key) != nullptr; }

    // Indexes record under key; one already there stays. False when the key was there.
    bool Insert(std::string_view key, Record* record) { return Place(key, record, false); }
    // Indexes record under key, replacing any record there.
    void Assign(std::string_view key, Record* record) { Place(key, record, true); }

    void Erase(std::string_view key)
    {
        if (m_slots.empty())
            return;
        const std::uint64_t hash = Hash(key);
        std::size_t i = hash & m_mask;
        for (;; i = (i + 1) & m_mask) {
            if (!m_slots[i].used)
                return;
            if (m_slots[i].hash == hash && Matches(m_slots[i], key))
                break;
        }
        // Shift the slots after it back, so that no lookup stops short at
        // the hole before reaching a key placed beyond it.
        for (std::size_t j = (i + 1) & m_mask; m_slots[j].used; j = (j + 1) & m_mask) {
            const std::size_t home = m_slots[j].hash & m_mask;
            if (((j - home) & m_mask) >= ((j - i) & m_mask)) {
                m_slots[i] = m_slots[j];
                i = j;
            }
        }
        m_slots[i] = Slot{};
        --m_size;
    }

    void Clear()
    {
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_mask = 0;
        m_size = 0;
    }
    // Makes room for count keys without growing again.
    void Reserve(std::size_t count)
    {
        std::size_t capacity = 16;
        while (capacity * 3 < count * 4 + 4)
            capacity *= 2;
        if (capacity > m_slots.size())
            Rehash(capacity);
    }
    std::size_t Size() const { return m_size; }

private:
    static constexpr std::size_t kInline = 35;  // key bytes held in the slot, which fills a cache line
    struct Slot {
        std::uint64_t hash = 0;
        Record* record = nullptr;
        const char* key = nullptr;
        std::uint32_t size = 0;
        bool used = false;
        char head[kInline] = {};
    };

    static std::uint64_t Hash(std::string_view key)
    {
        std::uint64_t hash = 14695981039346656037ull;
        for (char c : key) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        return hash ^ (hash >> 29);
    }
    Record* const* FindHashed(std::string_view key, std::uint64_t hash) const
    {
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (!slot.used)
                return nullptr;
            if (slot.hash == hash && Matches(slot, key))
                return &slot.record;
        }
    }
    static bool Matches(const Slot& slot, std::string_view key)
    {
        if (slot.size != key.size())
            return false;
        const std::size_t head = key.size() < kInline ? key.size() : kInline;
        return std::string_view(slot.head, head) == key.substr(0, head) &&
               (key.size() <= kInline || std::string_view(slot.key, slot.size).substr(kInline) == key.substr(kInline));
    }

    bool Place(std::string_view key, Record* record, bool replace)
    {
        if ((m_size + 1) * 4 > m_slots.size() * 3)
            Rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        const std::uint64_t hash = Hash(key);
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (!slot.used) {
                slot.used = true;
                slot.hash = hash;
                slot.record = record;
                slot.key = key.data();
                slot.size = static_cast<std::uint32_t>(key.size());
                key.copy(slot.head, kInline);
                ++m_size;
                return true;
            }
            if (slot.hash == hash && Matches(slot, key)) {
                if (replace) {
                    slot.record = record;
                    slot.key = key.data();
                }
                return false;
            }
        }
    }

    void Rehash(std::size_t capacity)
    {
        std::vector<Slot> old(capacity);
        old.swap(m_slots);
        m_mask = capacity - 1;
        for (const Slot& slot : old) {
            if (!slot.used)
                continue;
            std::size_t i = slot.hash & m_mask;
            while (m_slots[i].used)
                i = (i + 1) & m_mask;
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;  // a power of two of them, at most three quarters used
    std::size_t m_mask = 0;
    std::size_t m_size = 0;
};

}  // namespace vardel
