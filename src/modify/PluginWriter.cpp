#include "modify/PluginWriter.h"

#include "base/FileOps.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/ResourceSpans.h"
#include "modify/PluginFile.h"
#include "pe/PatternSearch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace vardel {

namespace {

// A PiPL string property is laid out as vendor (4), key (4), number (4),
// data length (4), length byte, characters; keys and vendor codes are stored
// reversed, so the last vendor byte and the key read "8eman" or "8gtac".
constexpr std::size_t kPiplHeader = 14;  // bytes from the vendor's last byte to the first character
constexpr std::size_t kPimiTail = 16;
constexpr std::size_t kMaxCString = 258;   // the reader keeps at most 257 characters
constexpr std::size_t kMaxPiplText = 127;  // the length byte is read as a signed byte

struct PiplString {
    std::uint32_t dataLength = 0;
    std::string text;  // exactly as many characters as the length byte says
};

struct CString {
    std::string text;                 // up to the zero byte
    std::vector<std::uint8_t> after;  // up to 16 bytes following the zero byte
};

enum class Probe { Found, Mismatch, ReadError };

WriteResult Fail(WriteStatus status, const char* message)
{
    WriteResult r;
    r.status = status;
    r.message = message ? message : "";
    if (message) {
        switch (status) {
        case WriteStatus::ReadOnly: r.code = EditCode::FileReadOnly; break;
        case WriteStatus::ChangedOnDisk: r.code = EditCode::ChangedOnDisk; break;
        case WriteStatus::TooLong: r.code = EditCode::TextTooLong; break;
        default: break;
        }
    }
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

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// The entry's texts as the module shows them: the spans of the resources
// they were read from (the language copy the reader picks) and, for a PiPL
// entry, where its category is found again inside its own resource, as the
// scan finds it (from the "catg" property to the first string holding the
// current category; 0 when it is not there).
struct ModuleView {
    bool module = false;  // the file opens as a module holding the entry's resources
    TextSpans spans;
    std::uint64_t category = 0;
};

// False on read errors. A file that is not (or no longer) such a module
// gives a view without module: its texts are then checked by their bytes
// alone, and nothing can be found again.
bool ViewInModule(const CPluginEntry& entry, ModuleView& view)
{
    COXResourceLibrary lib;
    if (!lib.Open(entry.m_path, 2) || !FindTextSpans(lib, entry, view.spans))
        return true;
    view.module = true;
    if (!entry.IsPiPL() || entry.m_category.empty())
        return true;
    return WithFileSearch(lib, [&](const auto& search) {
        view.category =
            LocateInSpan(search, view.spans.category, kPiplCategoryKey, PiplTextPattern(entry.m_category), 2);
    });
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
    std::vector<std::uint8_t> bytes(1 + text.size());
    bytes[0] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), bytes.begin() + 1);
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

// Where a name or category is written and how long it may be: what the
// writer enforces and what the limit functions offer, worked out in one place.
struct Field {
    std::uint64_t first = 0;         // offset of the first character (a PiPL category may be relocated)
    std::size_t space = 0;           // the longest text that may be written there
    std::vector<std::uint8_t> tail;  // PiMI category: the file's own 16 bytes after the terminator
};

// The characters a new length byte may count: the property's data holds
// the length byte and at most dataLength - 1 characters.
std::size_t PiplSpace(const PiplString& found, int capacity)
{
    return std::min<std::size_t>(
        {static_cast<std::size_t>(std::max(capacity, 0)), found.dataLength - 1u, kMaxPiplText});
}

// Reads the entry's name where the scan found it; Found when the file still
// holds it there, inside the resource it was read from.
Probe ProbeName(CPluginFile& file, const CPluginEntry& entry, Field& field)
{
    ModuleView view;
    if (!ViewInModule(entry, view))
        return Probe::ReadError;
    field.first = static_cast<std::uint64_t>(entry.m_nameOffset);
    const auto capacity = static_cast<std::size_t>(std::max(entry.m_nameCapacity, 0));
    if (entry.IsPiPL()) {
        PiplString found;
        Probe probe = ReadPiplString(file, field.first, "eman", found);
        if (probe != Probe::Found)
            return probe;
        // Offsets stored by earlier versions may point into another
        // language copy: never write there.
        if (view.module && !view.spans.name.Holds(field.first - 1, 1 + found.text.size()))
            return Probe::Mismatch;
        if (entry.IsPhotoshopFilterFactory()) {
            // A new length byte: the text must stay inside the property's data.
            if (found.text != entry.m_name)
                return Probe::Mismatch;
            field.space = PiplSpace(found, entry.m_nameCapacity);
        } else {
            // The length byte stays, so never write past the characters it counts.
            if (ListLabel(found.text) != ListLabel(entry.m_name))
                return Probe::Mismatch;
            field.space = std::min(capacity, found.text.size());
        }
        return Probe::Found;
    }
    CString found;
    Probe probe = ReadCString(file, field.first, entry.IsPiMI(), found);
    if (probe != Probe::Found)
        return probe;
    if (ListLabel(found.text) != ListLabel(entry.m_name) ||
        (view.module && !view.spans.name.Holds(field.first, found.text.size() + 1)))
        return Probe::Mismatch;
    // The terminator stays, so never write over it.
    field.space = std::min(capacity, found.text.size());
    return Probe::Found;
}

// Reads the entry's category where the scan found it, inside the resource
// it was read from (a PiPL category is looked for again there when it is
// not at its offset); Found when the file still holds it.
Probe ProbeCategory(CPluginFile& file, const CPluginEntry& entry, Field& field)
{
    ModuleView view;
    if (!ViewInModule(entry, view))
        return Probe::ReadError;
    field.first = static_cast<std::uint64_t>(entry.m_categoryOffset);
    if (entry.IsPiPL()) {
        // The stored offset wins while it still holds this category's property
        // in the entry's own resource: a search may find another plug-in's
        // copy of the same text, and offsets stored by earlier versions may
        // point into another language copy.
        auto holds = [&](std::uint64_t first, PiplString& found) {
            const Probe probe = ReadPiplString(file, first, "gtac", found);
            if (probe != Probe::Found)
                return probe;
            if (found.text != entry.m_category ||
                (view.module && !view.spans.category.Holds(first - 1, 1 + found.text.size())))
                return Probe::Mismatch;
            return Probe::Found;
        };
        PiplString found;
        Probe probe = holds(field.first, found);
        if (probe == Probe::Mismatch && view.category != 0) {
            field.first = view.category;
            probe = holds(field.first, found);
        }
        if (probe != Probe::Found)
            return probe;
        field.space = PiplSpace(found, entry.m_categoryCapacity);
        return Probe::Found;
    }
    // A PiMI category: its terminator and the file's own 16-byte tail follow,
    // all inside the PiMI resource.
    CString found;
    Probe probe = ReadCString(file, field.first, true, found);
    if (probe != Probe::Found)
        return probe;
    if (found.text != entry.m_category || found.after.size() != kPimiTail ||
        (view.module && !view.spans.category.Holds(field.first, found.text.size() + 1 + kPimiTail)))
        return Probe::Mismatch;
    field.space = static_cast<std::size_t>(std::max(entry.m_categoryCapacity, 0));
    field.tail = found.after;
    return Probe::Found;
}

}  // namespace

PlannedWrite& PlannedWrite::Refuse(WriteStatus status, const char* message)
{
    return Refuse(Fail(status, message));
}

PlannedWrite& PlannedWrite::Refuse(WriteResult result)
{
    refusal = std::move(result);
    after.clear();
    before.clear();
    return *this;
}

PlannedWrite& PlannedWrite::ReadBefore(CPluginFile& file)
{
    if (!file.ReadAt(at, after.size(), before) || before.size() != after.size())
        return Refuse(WriteStatus::ReadOnly, kFileReadOnlyText);
    refusal = Written(text);
    return *this;
}

PlannedWrite CPluginWriter::PlanName(const CPluginEntry& entry, const std::string& name) const
{
    PlannedWrite plan;
    plan.field = TextField::Name;
    if (entry.m_nameOffset < 1 || entry.m_nameCapacity < 1)
        return plan.Refuse(WriteStatus::NotLocated, nullptr);
    if (!entry.IsPiPL() && !entry.IsPiMI() && !entry.IsPremiere())
        return plan.Refuse(WriteStatus::NotWritable, nullptr);
    CPluginFile file;
    if (auto failed = PrepareWrite(entry, name, entry.m_nameCapacity, file))
        return plan.Refuse(*failed);

    Field field;
    const Probe probe = ProbeName(file, entry, field);
    if (probe == Probe::ReadError)
        return plan.Refuse(WriteStatus::ReadOnly, kFileReadOnlyText);
    if (probe != Probe::Found)
        return plan.Refuse(WriteStatus::ChangedOnDisk, kChangedOnDiskText);
    if (name.size() > field.space)
        return plan.Refuse(WriteStatus::TooLong, kTooLongText);
    const bool filterFactory = entry.IsPhotoshopFilterFactory();
    plan.at = filterFactory ? field.first - 1 : field.first;
    plan.after = filterFactory ? LengthPrefixed(name) : Padded(name, field.space);
    plan.text = filterFactory ? name : ListLabel(name);
    plan.textOffset = entry.m_nameOffset;
    return plan.ReadBefore(file);
}

PlannedWrite CPluginWriter::PlanCategory(const CPluginEntry& entry, const std::string& category) const
{
    PlannedWrite plan;
    plan.field = TextField::Category;
    if (entry.m_categoryOffset < 1 || entry.m_categoryCapacity < 1)
        return plan.Refuse(WriteStatus::NotLocated, nullptr);
    if (!entry.IsPiPL() && !entry.IsPiMI())
        return plan.Refuse(WriteStatus::NotWritable, nullptr);
    CPluginFile file;
    if (auto failed = PrepareWrite(entry, category, entry.m_categoryCapacity, file))
        return plan.Refuse(*failed);

    Field field;
    const Probe probe = ProbeCategory(file, entry, field);
    if (probe == Probe::ReadError)
        return plan.Refuse(WriteStatus::ReadOnly, kFileReadOnlyText);
    if (probe != Probe::Found)
        return plan.Refuse(WriteStatus::ChangedOnDisk, kChangedOnDiskText);
    if (category.size() > field.space)
        return plan.Refuse(WriteStatus::TooLong, kTooLongText);
    plan.at = field.first;
    if (entry.IsPiPL()) {
        plan.at = field.first - 1;
        plan.after = LengthPrefixed(category);
    } else {
        // The tail follows the category and moves with its end. It is the
        // file's own tail that moves: the tail cache is keyed by image base
        // name, which two files of one title in two directories share, so
        // its tail may be another file's.
        plan.after = Bytes(category);
        plan.after.push_back(0);
        plan.after.insert(plan.after.end(), field.tail.begin(), field.tail.end());
    }
    plan.text = category;
    plan.textOffset = static_cast<int>(field.first);
    return plan.ReadBefore(file);
}

WriteResult CPluginWriter::Apply(CPluginEntry& entry, const PlannedWrite& plan) const
{
    if (!plan.Possible())
        return plan.refusal;
    const WriteStatus status = ReplaceBytes(entry.m_path, plan.at, plan.before, plan.after);
    if (status == WriteStatus::ChangedOnDisk)
        return Fail(status, kChangedOnDiskText);
    if (status != WriteStatus::Written)
        return Fail(WriteStatus::ReadOnly, kFileReadOnlyText);
    if (plan.field == TextField::Name) {
        entry.m_name = plan.text;
    } else {
        entry.m_categoryOffset = plan.textOffset;
        entry.m_category = plan.text;
    }
    return Written(plan.text);
}

WriteResult CPluginWriter::SetName(CPluginEntry& entry, const std::string& name) const
{
    return Apply(entry, PlanName(entry, name));
}

WriteResult CPluginWriter::SetCategory(CPluginEntry& entry, const std::string& category) const
{
    return Apply(entry, PlanCategory(entry, category));
}

WriteStatus CPluginWriter::ReplaceBytes(const std::string& path, std::uint64_t at,
                                        const std::vector<std::uint8_t>& expected,
                                        const std::vector<std::uint8_t>& replacement)
{
    if (expected.size() != replacement.size())
        return WriteStatus::Refused;
    CPluginFile file;
    if (CPluginFile::IsWriteProtected(path) || !file.OpenForWriting(path))
        return WriteStatus::ReadOnly;
    std::vector<std::uint8_t> found;
    if (!file.ReadAt(at, expected.size(), found))
        return WriteStatus::ReadOnly;
    // Cut short at the end of the file, or other bytes: never written.
    if (found != expected)
        return WriteStatus::ChangedOnDisk;
    if (found == replacement)
        return WriteStatus::Written;
    return file.WriteAt(at, replacement) ? WriteStatus::Written : WriteStatus::ReadOnly;
}

int CPluginWriter::NameLimit(const CPluginEntry& entry)
{
    if (entry.m_nameOffset < 1 || entry.m_nameCapacity < 1 ||
        (!entry.IsPiPL() && !entry.IsPiMI() && !entry.IsPremiere()))
        return 0;
    CPluginFile file;
    Field field;
    if (!file.OpenForReading(entry.m_path) || ProbeName(file, entry, field) != Probe::Found)
        return entry.m_nameCapacity;  // the write then says why it cannot be done
    return static_cast<int>(field.space);
}

int CPluginWriter::CategoryLimit(const CPluginEntry& entry)
{
    if (entry.m_categoryOffset < 1 || entry.m_categoryCapacity < 1 || (!entry.IsPiPL() && !entry.IsPiMI()))
        return entry.m_categoryCapacity;
    CPluginFile file;
    Field field;
    if (!file.OpenForReading(entry.m_path) || ProbeCategory(file, entry, field) != Probe::Found)
        return entry.m_categoryCapacity;  // the write then says why it cannot be done
    return static_cast<int>(field.space);
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
