#pragma once
// The object archive every store file is written in: little-endian integers,
// length-prefixed strings, counts, and object references that carry class
// descriptors, class index tags and back-references under one running index.
//
// A storing archive collects the bytes in memory; a loading archive reads a
// buffer it does not own, through ByteReader's bounds checks. A read that
// fails throws one of the four ArchiveError kinds; the store functions catch
// them at their boundary.

#include "base/ByteReader.h"
#include "base/Object.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace vardel {

struct ArchiveError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The data ended before the container was complete.
struct ArchiveEndOfFile : ArchiveError {
    ArchiveEndOfFile()
        : ArchiveError("unexpected end of archive")
    {}
};
// A reference to an index that was not read, or the running index overflowed.
struct ArchiveBadIndex : ArchiveError {
    using ArchiveError::ArchiveError;
};
// Unknown class name, class name of 64 bytes or more, or an object of an unexpected class.
struct ArchiveBadClass : ArchiveError {
    using ArchiveError::ArchiveError;
};
// A stored schema that a non-versionable class does not accept.
struct ArchiveBadSchema : ArchiveError {
    using ArchiveError::ArchiveError;
};

// The classes an archive may create when it reads an object reference.
using ClassRegistry = std::span<const CRuntimeClass* const>;
// The registered class with exactly this name, or null.
const CRuntimeClass* FindClass(ClassRegistry registry, std::string_view name);

class CArchive {
public:
    static constexpr std::uint32_t kMaxIndex = 0x3FFFFFFD;
    static constexpr std::size_t kMaxClassName = 63;

    // A storing archive, writing into memory.
    CArchive();
    // A loading archive over data that must outlive it, creating objects
    // only of the registry's classes (StoreClassRegistry for the store files).
    CArchive(std::span<const std::uint8_t> data, ClassRegistry registry);

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    // The bytes written so far (storing archives).
    const std::vector<std::uint8_t>& Data() const { return m_out; }
    // Hands the bytes written over; the archive is empty afterwards.
    std::vector<std::uint8_t> TakeData() { return std::move(m_out); }
    // Bytes not yet read (loading archives).
    std::size_t Remaining() const { return m_in.Remaining(); }

    void WriteByte(std::uint8_t v);
    void WriteWord(std::uint16_t v);
    void WriteDword(std::uint32_t v);
    // Two DWORDs, the low one first.
    void WriteQword(std::uint64_t v);
    void WriteBytes(std::span<const std::uint8_t> bytes);
    // Writes the length prefix in its shortest form, then the characters.
    void WriteString(const std::string& s);
    void WriteCount(std::uint32_t n);
    // Writes a null reference, a back-reference to an object written before,
    // or the class (descriptor or index tag) followed by the object's fields.
    // Throws ArchiveBadIndex when the running index would pass kMaxIndex.
    void WriteObject(const CObject* object);

    // Each read throws ArchiveEndOfFile when the data ends first.
    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDword();
    std::uint64_t ReadQword();
    void ReadBytes(std::span<std::uint8_t> out);
    // Reads any of the three length forms, and the wide form, whose
    // characters are converted to the 8-bit code page ('?' for characters it
    // cannot hold).
    std::string ReadString();
    std::uint32_t ReadCount();
    // Reads an object reference: null for the null reference, a new object,
    // or, for a back-reference, a fresh copy of the earlier object read again
    // from its bytes (records have single owners, so sharing is never handed
    // out). When expected is given, an object of another class is
    // ArchiveBadClass. Throws the four ArchiveError kinds.
    std::unique_ptr<CObject> ReadObject(const CRuntimeClass* expected = nullptr);
    template <class T>
    std::unique_ptr<T> ReadObjectOf()
    {
        return std::unique_ptr<T>(static_cast<T*>(ReadObject(&T::GetStaticClass()).release()));
    }
    // The schema of the object whose fields are being read: the stored one
    // for a versionable class, else the class's own.
    unsigned GetObjectSchema() const { return m_currentSchema; }

    // Both directions in one call, for a record's Serialize: writes the
    // value when storing, replaces it when loading.
    void Exchange(int& v);
    void Exchange(std::string& s);

    // Array container: a count, then that many object references. Loading
    // replaces the content; objects are appended as they are read, so a
    // failure keeps the ones read before it, and null references leave no slot.
    template <class T>
    void SerializeArray(std::vector<std::unique_ptr<T>>& items)
    {
        if (IsStoring()) {
            WriteCount(static_cast<std::uint32_t>(items.size()));
            for (const auto& item : items)
                WriteObject(item.get());
            return;
        }
        items.clear();
        std::uint32_t n = ReadCount();
        // No reserve: the count is untrusted, every reference costs input bytes.
        for (std::uint32_t i = 0; i < n; ++i) {
            auto obj = ReadObject(&T::GetStaticClass());
            if (obj)
                items.push_back(std::unique_ptr<T>(static_cast<T*>(obj.release())));
        }
    }

    // Stores two maps that have no key in common exactly as SerializeMap
    // stores their union.
    template <class T>
    void StoreMaps(const std::map<std::string, std::unique_ptr<T>>& a,
                   const std::map<std::string, std::unique_ptr<T>>& b)
    {
        WriteCount(static_cast<std::uint32_t>(a.size() + b.size()));
        auto i = a.begin();
        auto j = b.begin();
        while (i != a.end() || j != b.end()) {
            const bool fromA = j == b.end() || (i != a.end() && i->first < j->first);
            const auto& [key, item] = fromA ? *i++ : *j++;
            WriteString(key);
            WriteObject(item.get());
        }
    }

    // Keyed map: a count, then key string and object reference per entry.
    // A later duplicate key replaces an earlier one.
    template <class T>
    void SerializeMap(std::map<std::string, std::unique_ptr<T>>& items)
    {
        if (IsStoring()) {
            WriteCount(static_cast<std::uint32_t>(items.size()));
            for (const auto& [key, item] : items) {
                WriteString(key);
                WriteObject(item.get());
            }
            return;
        }
        items.clear();
        std::uint32_t n = ReadCount();
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string key = ReadString();
            auto obj = ReadObject(&T::GetStaticClass());
            if (obj)
                items[key] = std::unique_ptr<T>(static_cast<T*>(obj.release()));
            else
                items.erase(key);
        }
    }

    // Lets a test start the running index near its limit without writing or
    // reading a billion objects first. Indices skipped are not readable.
    void SetRunningIndexForTesting(std::uint32_t next);

private:
    struct Slot {
        const CRuntimeClass* cls = nullptr;
        bool isClass = false;
        unsigned schema = 0;    // class: schema to hand to readers
        std::size_t begin = 0;  // object: its fields in the input
        std::size_t end = 0;
        bool complete = false;
    };

    std::uint32_t TakeIndex();
    Slot* SlotAt(std::uint32_t index);
    std::unique_ptr<CObject> ReadNew(std::uint32_t classSlot, const CRuntimeClass* expected);
    std::unique_ptr<CObject> CopyOf(std::uint32_t index, const CRuntimeClass* expected);
    std::uint32_t ReadLength(std::uint8_t first);
    template <class F>
    auto Guarded(F&& read) -> decltype(read());

    bool m_storing;
    std::vector<std::uint8_t> m_out;
    // Asked once per object written: a store of 70,000 records asks it
    // 70,000 times.
    std::unordered_map<const CObject*, std::uint32_t> m_writtenObjects;
    std::map<const CRuntimeClass*, std::uint32_t> m_writtenClasses;

    ByteReader m_in{std::span<const std::uint8_t>()};
    std::span<const std::uint8_t> m_data;
    ClassRegistry m_registry;
    std::vector<Slot> m_slots;  // m_slots[i] has index m_firstSlotIndex + i
    std::uint32_t m_firstSlotIndex = 1;
    std::uint32_t m_nextIndex = 1;
    std::uint64_t m_copyBudget = 0;  // bytes back-references may still copy
    unsigned m_currentSchema = 0;
};

}  // namespace vardel
