#include "modify/PluginWriter.h"

#include "app/FileOps.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/PatternSearch.h"
#include "modify/PluginFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <optional>

namespace vardel {

namespace {

// A PiPL string property is laid out as vendor (4), key (4), number (4),
// data length (4), length byte, characters; keys and vendor codes are stored
// reversed, so the last vendor byte and the key read "8eman" or "8gtac".
constexpr std::size_t kPiplHeader = 14;  // bytes from the vendor's last byte to the first character
constexpr std::size_t kPimiTail = 16;
constexpr std::size_t kMaxCString = 258;  // the reader keeps at most 257 characters
constexpr std::size_t kMaxPiplText = 127;  // the length byte is read as a signed byte

struct PiplString {
    std::uint32_t dataLength = 0;
    std::string text;  // exactly as many characters as the length byte says
};

struct CString {
    std::string text;                  // up to the zero byte
    std::vector<std::uint8_t> after;   // up to 16 bytes following the zero byte
};

enum class Probe { Found, Mismatch, ReadError };

std::string TrimRight(std::string text)
{
    auto end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

WriteResult Fail(WriteStatus status, const char* message)
{
    WriteResult r;
    r.status = status;
    r.message = message ? message : "";
    return r;
}

// Reads the PiPL string property whose first character is at first, checking
// that the property carries the expected (stored) key.
Probe ReadPiplString(CPluginFile& file, std::uint64_t first, const char* storedKey, PiplString& out)
{
    if (first < kPiplHeader)
        return Probe::Mismatch;
    std::vector<std::uint8_t> window;
    if (!file.ReadAt(first - kPiplHeader, kPiplHeader + 128, window))
        return Probe::ReadError;
    if (window.size() < kPiplHeader || window[0] != '8' || !std::equal(storedKey, storedKey + 4, window.begin() + 1))
        return Probe::Mismatch;
    int length = static_cast<std::int8_t>(window[kPiplHeader - 1]);
    if (length < 1 || window.size() < kPiplHeader + static_cast<std::size_t>(length))
        return Probe::Mismatch;
    out.dataLength = static_cast<std::uint32_t>(window[9]) | (static_cast<std::uint32_t>(window[10]) << 8) |
                     (static_cast<std::uint32_t>(window[11]) << 16) | (static_cast<std::uint32_t>(window[12]) << 24);
    out.text.assign(window.begin() + kPiplHeader, window.begin() + kPiplHeader + length);
    if (out.dataLength < 1u + static_cast<std::uint32_t>(length))
        return Probe::Mismatch;  // not a string property after all
    return Probe::Found;
}

// Reads the zero-terminated text at first; with the marker, the two bytes
// before it must be the 16-bit marker 3 that the scan located it by.
Probe ReadCString(CPluginFile& file, std::uint64_t first, bool marker, CString& out)
{
    if (marker && first < 2)
        return Probe::Mismatch;
    std::uint64_t start = marker ? first - 2 : first;
    std::vector<std::uint8_t> window;
    if (!file.ReadAt(start, (first - start) + kMaxCString + 1 + kPimiTail, window))
        return Probe::ReadError;
    if (marker && (window.size() < 2 || window[0] != 3 || window[1] != 0))
        return Probe::Mismatch;
    auto textBegin = window.begin() + static_cast<std::ptrdiff_t>(first - start);
    if (textBegin > window.end())
        return Probe::Mismatch;
    auto zero = std::find(textBegin, window.end(), std::uint8_t{0});
    if (zero == window.end())
        return Probe::Mismatch;
    out.text.assign(textBegin, zero);
    auto tailEnd = zero + 1 + std::min<std::ptrdiff_t>(kPimiTail, window.end() - zero - 1);
    out.after.assign(zero + 1, tailEnd);
    return Probe::Found;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Finds the category of a PiPL entry again, as the scan would: from the type
// name "PIPL" in the resource directory to the first "catg" property, then
// the first string holding the current category. Empty on read errors.
std::optional<std::uint64_t> RelocatePiplCategory(const std::string& path, const std::string& category)
{
    try {
        std::ifstream in(NativePath(path), std::ios::binary);
        if (!in)
            return std::nullopt;
        const std::vector<std::uint8_t> typeName{'P', 0, 'I', 0, 'P', 0, 'L', 0};
        const std::vector<std::uint8_t> catgKey{'8', 'g', 't', 'a', 'c'};
        std::uint64_t p0 = SearchFile(in, 0, typeName);
        in.clear();
        std::uint64_t p1 = SearchFile(in, p0, catgKey);
        in.clear();
        std::vector<std::uint8_t> pattern{0, static_cast<std::uint8_t>(category.size())};
        pattern.insert(pattern.end(), category.begin(), category.end());
        std::uint64_t match = SearchFile(in, p1, pattern);
        return match != 0 ? match + 2 : p1 + kPiplHeader;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool ReadOnlyEntry(const CPluginEntry& entry)
{
    return entry.IsReadOnly() || CPluginFile::IsWriteProtected(entry.m_path);
}

// What every write checks before it touches the file: the text fits a field
// of capacity bytes (and a PiPL string), the entry may be written, and the
// file opens for writing. The failure to return, or nothing with file open.
std::optional<WriteResult> PrepareWrite(const CPluginEntry& entry, const std::string& text, int capacity,
                                        CPluginFile& file)
{
    if (text.find('\0') != std::string::npos || text.size() > static_cast<std::size_t>(capacity) ||
        (entry.IsPiPL() && text.size() > kMaxPiplText))
        return Fail(WriteStatus::TooLong, kTooLongText);
    if (ReadOnlyEntry(entry) || !file.OpenForWriting(entry.m_path))
        return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
    return std::nullopt;
}

// The text behind a new length byte.
std::vector<std::uint8_t> LengthPrefixed(const std::string& text)
{
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(text.size())};
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

// The text padded with spaces to size bytes.
std::vector<std::uint8_t> Padded(const std::string& text, std::size_t size)
{
    std::vector<std::uint8_t> bytes = Bytes(text);
    bytes.resize(size, ' ');
    return bytes;
}

WriteResult Written(const std::string& text)
{
    WriteResult result;
    result.status = WriteStatus::Written;
    result.text = text;
    return result;
}

}  // namespace

WriteResult CPluginWriter::SetName(CPluginEntry& entry, const std::string& name) const
{
    if (entry.m_nameOffset < 1 || entry.m_nameCapacity < 1)
        return Fail(WriteStatus::NotLocated, nullptr);
    const bool filterFactory = entry.IsPhotoshopFilterFactory();
    if (!entry.IsPiPL() && !entry.IsPiMI() && !entry.IsPremiere())
        return Fail(WriteStatus::NotWritable, nullptr);
    CPluginFile file;
    if (auto failed = PrepareWrite(entry, name, entry.m_nameCapacity, file))
        return *failed;

    const auto first = static_cast<std::uint64_t>(entry.m_nameOffset);
    std::uint64_t at = first;
    std::vector<std::uint8_t> bytes;
    if (entry.IsPiPL()) {
        PiplString found;
        Probe probe = ReadPiplString(file, first, "eman", found);
        if (probe == Probe::ReadError)
            return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
        bool same = filterFactory ? found.text == entry.m_name : TrimRight(found.text) == TrimRight(entry.m_name);
        if (probe != Probe::Found || !same)
            return Fail(WriteStatus::ChangedOnDisk, kChangedOnDiskText);
        if (filterFactory) {
            // A new length byte: the text must stay inside the property's data.
            if (1 + name.size() > found.dataLength)
                return Fail(WriteStatus::TooLong, kTooLongText);
            at = first - 1;
            bytes = LengthPrefixed(name);
        } else {
            // The length byte stays, so never write past the characters it counts.
            auto space = std::min<std::size_t>(static_cast<std::size_t>(entry.m_nameCapacity), found.text.size());
            if (name.size() > space)
                return Fail(WriteStatus::TooLong, kTooLongText);
            bytes = Padded(name, space);
        }
    } else {
        CString found;
        Probe probe = ReadCString(file, first, entry.IsPiMI(), found);
        if (probe == Probe::ReadError)
            return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
        if (probe != Probe::Found || TrimRight(found.text) != TrimRight(entry.m_name))
            return Fail(WriteStatus::ChangedOnDisk, kChangedOnDiskText);
        // The terminator stays, so never write over it.
        auto space = std::min<std::size_t>(static_cast<std::size_t>(entry.m_nameCapacity), found.text.size());
        if (name.size() > space)
            return Fail(WriteStatus::TooLong, kTooLongText);
        bytes = Padded(name, space);
    }

    if (!file.WriteAt(at, bytes))
        return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
    entry.m_name = filterFactory ? name : TrimRight(name);
    return Written(entry.m_name);
}

WriteResult CPluginWriter::SetCategory(CPluginEntry& entry, const std::string& category) const
{
    if (entry.m_categoryOffset < 1 || entry.m_categoryCapacity < 1)
        return Fail(WriteStatus::NotLocated, nullptr);
    if (!entry.IsPiPL() && !entry.IsPiMI())
        return Fail(WriteStatus::NotWritable, nullptr);
    CPluginFile file;
    if (auto failed = PrepareWrite(entry, category, entry.m_categoryCapacity, file))
        return *failed;

    std::uint64_t first = static_cast<std::uint64_t>(entry.m_categoryOffset);
    std::uint64_t at = first;
    std::vector<std::uint8_t> bytes;
    if (entry.IsPiPL()) {
        // The stored offset wins while it still holds this category's property:
        // the search finds the first plug-in of a file, which with two plug-ins
        // of the same category is not always this one.
        PiplString found;
        Probe probe = ReadPiplString(file, first, "gtac", found);
        if (probe == Probe::ReadError)
            return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
        if (probe != Probe::Found || found.text != entry.m_category) {
            auto relocated = RelocatePiplCategory(entry.m_path, entry.m_category);
            if (!relocated)
                return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
            first = *relocated;
            probe = ReadPiplString(file, first, "gtac", found);
            if (probe == Probe::ReadError)
                return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
            if (probe != Probe::Found || found.text != entry.m_category)
                return Fail(WriteStatus::ChangedOnDisk, kChangedOnDiskText);
        }
        if (1 + category.size() > found.dataLength)
            return Fail(WriteStatus::TooLong, kTooLongText);
        at = first - 1;
        bytes = LengthPrefixed(category);
    } else {
        CString found;
        Probe probe = ReadCString(file, first, true, found);
        if (probe == Probe::ReadError)
            return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
        if (probe != Probe::Found || found.text != entry.m_category || found.after.size() != kPimiTail)
            return Fail(WriteStatus::ChangedOnDisk, kChangedOnDiskText);
        // The tail follows the category; it moves with the category's end.
        // The file's own tail is moved when the cache has none: writing only
        // the zero byte would leave the tail where the host no longer looks.
        const CPIMIEntry* cached = m_tailCache ? m_tailCache->Lookup(entry.ImageBaseName()) : nullptr;
        if (cached && !std::equal(cached->m_bytes.begin(), cached->m_bytes.end(), found.after.begin()))
            return Fail(WriteStatus::ChangedOnDisk, kTailMismatchText);
        bytes = Bytes(category);
        bytes.push_back(0);
        bytes.insert(bytes.end(), found.after.begin(), found.after.end());
    }

    if (!file.WriteAt(at, bytes))
        return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
    entry.m_categoryOffset = static_cast<int>(first);
    entry.m_category = category;
    return Written(category);
}

std::vector<CPluginEntry*> CPluginWriter::SetEnabledForFile(CPluginListManager& catalogue, const CPluginEntry& entry,
                                                            bool flag)
{
    const std::string realPath = entry.RealPath();  // the entry itself changes on the way
    std::vector<CPluginEntry*> changed;
    for (auto& other : catalogue.m_entries) {
        if (other->RealPath() != realPath)
            continue;
        if (other->SetEnabled(flag) && (other->m_enabled != 0) == flag)
            changed.push_back(other.get());
    }
    return changed;
}

}  // namespace vardel
