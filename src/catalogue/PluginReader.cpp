#include "catalogue/PluginReader.h"

#include "base/ByteReader.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/PluginTables.h"
#include "catalogue/ResourceSpans.h"
#include "pe/BlockFile.h"
#include "pe/PatternSearch.h"
#include "pe/PeImage.h"
#include "pe/ResourceLibrary.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace vardel {

namespace {

// The entry's image base name, the key of both stores, in one buffer: a
// reader is made per file, and a key of its own would be allocated for
// every plug-in. Valid until the next call on the thread.
const std::string& LookupKey(const CPluginEntry& entry)
{
    thread_local std::string key;
    key.clear();
    entry.AppendImageBaseName(key);
    return key;
}

constexpr std::size_t kZStringMaxRead = 258;
constexpr std::size_t kZStringMaxKept = 257;
constexpr int kFilterFactoryCapacity = 34;

// A four-character code as stored: the characters in reverse order.
std::string ReadCode(ByteReader& r)
{
    auto bytes = r.Bytes(4);
    return std::string{static_cast<char>(bytes[3]), static_cast<char>(bytes[2]), static_cast<char>(bytes[1]),
                       static_cast<char>(bytes[0])};
}

// A property key as stored (characters reversed), read as one number and
// compared with Key("kind") and the like: a PiPL has dozens of properties.
std::uint32_t ReadKey(ByteReader& r)
{
    return r.U32();
}

constexpr std::uint32_t Key(const char (&code)[5])
{
    return std::uint32_t(std::uint8_t(code[0])) << 24 | std::uint32_t(std::uint8_t(code[1])) << 16 |
           std::uint32_t(std::uint8_t(code[2])) << 8 | std::uint32_t(std::uint8_t(code[3]));
}

// A zero-terminated string: at most 258 bytes are read and 257 kept; the
// end of the data ends the string (the next read then fails).
std::string ReadZString(ByteReader& r)
{
    const std::size_t start = r.Position();
    const auto window = r.Bytes(std::min<std::size_t>(kZStringMaxRead, r.Remaining()));
    if (window.empty())
        return {};
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(window.data(), 0, window.size()));
    const std::size_t length = zero ? static_cast<std::size_t>(zero - window.data()) : window.size();
    // The terminator is read too; a string without one ends with the window.
    r.Seek(start + (zero ? length + 1 : length));
    return std::string(reinterpret_cast<const char*>(window.data()), std::min(length, kZStringMaxKept));
}

// The text of a "name" or "catg" property: a length byte and that many
// characters. The length byte is signed; a negative one (128 or more) gives
// an empty text, and the text never reaches past the property's data.
std::string ReadPascal(ByteReader& r, std::uint32_t dataLength)
{
    if (dataLength == 0)
        return {};
    auto length = static_cast<std::int8_t>(r.U8());
    if (length <= 0)
        return {};
    std::uint32_t n = std::min<std::uint32_t>(static_cast<std::uint32_t>(length), dataLength - 1);
    return r.String(n);
}

// The status of the module's file as it was opened: the answer a query by
// name gives, without looking the name up again. Only its access time can be
// older (our own read may move it); nothing shows or stores the times.
void StatusOfModule(const COXResourceLibrary& lib, const std::string& path, FileStatus& status)
{
    OpenFileStat stat;
    if (lib.GetFileStat(stat))
        FileStatus::Get(path, stat, status);
    else
        FileStatus::Get(path, status);
}

// The bytes of a resource as a view of the module's memory, valid until the
// library's next read; false when the resource is missing or empty.
bool ResourceBytes(const COXResourceLibrary& lib, const std::string& type, const std::string& name,
                   std::span<const std::uint8_t>& bytes)
{
    return lib.FindView(type, name, 0, bytes) && !bytes.empty();
}

// The key of a text that is looked for from its span's start.
const std::vector<std::uint8_t> kNoKey;

// Locate strings with search(start, end, pattern) as the file pattern search
// bounded to [start, end); spans[i] are the file spans of the resources
// entries[i] was read from, and every text is looked for inside them only.
// File errors are raised as exceptions.
template <class Search>
void LocateWith(const Search& search, const COXResourceLibrary& lib, const std::string& path,
                CPluginReader::EntryList& entries, std::vector<TextSpans>& spans, std::vector<std::uint8_t>& pattern)
{
    const bool pipl = entries.front()->IsPiPL();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto& e = entries[i];
        if (e->m_nameCapacity <= 0)
            continue;
        if (pipl)
            PiplTextPattern(e->m_name, pattern);
        else
            PimiTextPattern(e->m_name, pattern);
        e->m_nameOffset =
            static_cast<int>(LocateInSpan(search, spans[i].name, pipl ? kPiplNameKey : kNoKey, pattern, 2));
    }

    // Exchange sort by name offset: passes swapping neighbours until none is
    // out of order. The spans go with their entries.
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (std::size_t i = 1; i < entries.size(); ++i)
            if (entries[i - 1]->m_nameOffset > entries[i]->m_nameOffset) {
                std::swap(entries[i - 1], entries[i]);
                std::swap(spans[i - 1], spans[i]);
                swapped = true;
            }
    }

    // One status for the file, shared by its entries. Each category lies in
    // its own resource, so two plug-ins of one category get two offsets.
    FileStatus status;
    StatusOfModule(lib, path, status);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto& e = entries[i];
        if (i + 1 < entries.size())
            e->m_fileStatus = status;
        else
            e->m_fileStatus = std::move(status);  // the last entry takes it
        if (e->m_category.empty())
            continue;
        if (e->IsPiMI())
            PimiTextPattern(e->m_category, pattern);
        else
            PiplTextPattern(e->m_category, pattern);
        e->m_categoryOffset = static_cast<int>(
            LocateInSpan(search, spans[i].category, e->IsPiMI() ? kNoKey : kPiplCategoryKey, pattern, 2));
    }
}

// A filter's category capacity: the length of its original category. A
// category that could not be located is never written back.
void SetCategoryCapacity(CPluginEntry& entry, std::size_t originalCategory)
{
    entry.m_categoryCapacity = entry.m_categoryOffset == 0 ? 0 : static_cast<int>(originalCategory);
}

bool IsBlank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

}  // namespace

CPluginReader::Buffers::Buffers() = default;
CPluginReader::Buffers::~Buffers() = default;

CPluginReader::CPluginReader(CPluginListManager& catalogue, CPluginRestoreManager& restore, CPIMIManager& pimiCache)
    : m_catalogue(catalogue)
    , m_restore(restore)
    , m_pimiCache(pimiCache)
{}

const char* CPluginReader::UnsupportedModuleReason(const std::string& path)
{
    return PeImage::IsSixteenBitModule(path) ? kSixteenBitModuleText : nullptr;
}

std::string CPluginReader::BracketedTitle(const CPluginEntry& entry)
{
    CPluginEntry real;
    real.m_path = entry.RealPath();
    return "[" + real.FileTitle() + "]";
}

int CPluginReader::ReadFile(const std::string& path, bool hasExtension)
{
    COXResourceLibrary own;
    COXResourceLibrary& lib = m_library ? *m_library : own;
    if (!lib.Open(path, 2))
        return 0;
    // A shared library is closed on every way out, an exception's too.
    struct CloseAtExit {
        COXResourceLibrary& lib;
        ~CloseAtExit() { lib.Close(); }
    } closeAtExit{lib};
    if (m_onProgress)
        m_onProgress(path);

    int flags = hasExtension ? 0 : kFlagNoExtension;
    std::vector<std::string>& names = Lists().names;
    const std::pair<const char*, int> probes[] = {
        {"FXVS", kFlagFXVS}, {"FLVS", kFlagFLVS}, {"PARM", kFlagPARM}, {"FUNC", kFlagFUNC}};
    for (const auto& [type, flag] : probes)
        if (lib.HasNames(type))
            flags |= flag;

    int added = 0;
    if (lib.EnumNames("PIPL", names))
        added = ReadPipl(lib, path, flags);
    else if (lib.EnumNames("PIMI", names))
        added = ReadPimi(lib, path, flags);
    else if (lib.HasNames("TYPE"))
        added = ReadPremiere(lib, path, flags);
    lib.Close();
    return added;
}

std::unique_ptr<CPluginEntry> CPluginReader::NewEntry(const std::string& path, int type, int flags, int index) const
{
    auto e = std::make_unique<CPluginEntry>();
    e->m_path = path;
    e->m_resourceType = type;
    e->m_resourceFlags = flags;
    e->m_enabled = (flags & kFlagNoExtension) ? 0 : 1;
    e->m_rootIndex = m_catalogue.m_currentRoot;
    e->m_indexInFile = index;
    return e;
}

int CPluginReader::ReadPipl(COXResourceLibrary& lib, const std::string& path, int flags)
{
    const std::vector<std::string>& names = Lists().names;
    EntryList& entries = Lists().entries;
    entries.clear();
    entries.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::span<const std::uint8_t> bytes;
        if (!ResourceBytes(lib, "PIPL", names[i], bytes))
            return 0;  // one unreadable PiPL drops the whole file
        auto e = NewEntry(path, kResourcePiPL, flags, static_cast<int>(i));
        ByteReader r(bytes);
        try {
            std::uint8_t marker = r.U8();
            r.Skip(1);
            if (marker == 3)
                ReadZString(r);
            r.Skip(4);  // version
            std::uint32_t count = r.U32();
            for (std::uint32_t p = 0; p < count; ++p) {
                r.Skip(4);  // vendor
                const std::uint32_t key = ReadKey(r);
                r.Skip(4);  // property number
                std::uint32_t length = r.U32();
                const std::size_t dataStart = r.Position();
                if (key == Key("kind"))
                    e->m_kind = KindFromCode(ReadCode(r));
                else if (key == Key("mode"))
                    e->m_modes = r.I32();
                else if (key == Key("catg"))
                    e->m_category = ReadPascal(r, length);
                else if (key == Key("name")) {
                    e->m_name = ReadPascal(r, length);
                    e->m_nameCapacity = static_cast<int>(e->m_name.size());
                }
                // Step by the length rounded up to 4: some files count the
                // padding that aligns the next property, some do not. Never
                // step back over bytes already read ("kind", "vers" and
                // "mode" take 4 bytes whatever their length says).
                std::uint64_t next = dataStart + ((std::uint64_t(length) + 3) & ~std::uint64_t(3));
                if (key == Key("vers"))
                    r.Skip(4);
                next = std::max<std::uint64_t>(next, r.Position());
                if (p + 1 < count)
                    r.Seek(next);
            }
        } catch (const ReadError&) {
            // Damaged property list: what was read stays.
        }
        if (!e->IsFilter()) {
            e->m_category.clear();
            e->m_categoryCapacity = 0;
            e->m_noCategory = 1;
        }
        entries.push_back(std::move(e));
    }
    if (!LocateStrings(lib, path, entries, Lists().spans, Lists().pattern))
        return 0;
    for (auto& e : entries) {
        if (e->m_name.empty()) {
            e->m_nameCapacity = e->m_categoryCapacity = 0;
            e->m_category.clear();
            e->m_noCategory = 1;
            e->m_name = BracketedTitle(*e);
        } else if (e->IsPhotoshopFilterFactory()) {
            e->m_nameCapacity = e->m_categoryCapacity = kFilterFactoryCapacity;
        } else if (e->IsFilter()) {
            RecordOriginals(*e);
        }
    }
    return Append(entries);
}

void CPluginReader::RecordOriginals(CPluginEntry& entry)
{
    if (m_pendingOriginals) {
        m_pendingOriginals->push_back(&entry);
        return;
    }
    // The image base name is upper case, as the database's keys are.
    const CPluginRestoreEntry* known = m_restore.FindOrRecord(LookupKey(entry), entry.m_name, entry.m_category);
    SetCategoryCapacity(entry, (known ? known->m_originalCategory : entry.m_category).size());
}

void CPluginReader::RecordOriginals(CPluginRestoreManager& restore, std::span<CPluginEntry* const> entries)
{
    ImageBaseNames names;
    std::vector<CPluginRestoreManager::OriginalLengths> lengths;
    for (std::size_t first = 0; first < entries.size(); first += ImageBaseNames::kBlock) {
        const auto block = entries.subspan(first, std::min(ImageBaseNames::kBlock, entries.size() - first));
        names.Make(block);
        lengths.assign(block.size(), {});
        restore.LengthsOf(names.Keys(), lengths);
        for (std::size_t k = 0; k < block.size(); ++k) {
            CPluginEntry& entry = *block[k];
            if (lengths[k].name >= 0) {
                SetCategoryCapacity(entry, static_cast<std::size_t>(lengths[k].category));
                continue;
            }
            // Not known before the block: recorded now, unless an entry of
            // the block before it was recorded under the same name.
            const CPluginRestoreEntry* known = restore.FindOrRecord(names.Keys()[k], entry.m_name, entry.m_category);
            SetCategoryCapacity(entry, (known ? known->m_originalCategory : entry.m_category).size());
        }
    }
}

int CPluginReader::ReadPimi(COXResourceLibrary& lib, const std::string& path, int flags)
{
    const std::vector<std::string>& names = Lists().names;
    EntryList& entries = Lists().entries;
    entries.clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::span<const std::uint8_t> bytes;
        if (!ResourceBytes(lib, "PIMI", names[i], bytes))
            continue;  // skipped; its kind resource is not looked at either
        std::string category;
        std::array<std::uint8_t, 16> tail{};
        ByteReader r(bytes);
        try {
            r.Skip(2);
            category = ReadZString(r);
            auto bytes = r.Bytes(16);
            std::copy(bytes.begin(), bytes.end(), tail.begin());
        } catch (const ReadError&) {}

        int kind = 0;
        std::string name;
        for (int row = 1; row < kKindCount && kind == 0; ++row) {
            if (!ResourceBytes(lib, "_" + KindCode(row), names[i], bytes))
                continue;
            kind = row;
            ByteReader k(bytes);
            try {
                k.Skip(2);
                name = ReadZString(k);
            } catch (const ReadError&) {}
        }
        if (kind == 0) {
            // No kind is known for this resource: report it and skip it.
            if (m_onMessage)
                m_onMessage(kUnknownPimiKindMessage);
            continue;
        }

        auto e = NewEntry(path, kResourcePiMI, flags, static_cast<int>(i));
        e->m_kind = kind;
        e->m_name = name;
        e->m_nameCapacity = static_cast<int>(name.size());
        e->m_category = category;
        e->m_categoryCapacity = static_cast<int>(category.size());
        if (kind != kKindFilter) {
            e->m_category.clear();
            e->m_categoryCapacity = 0;
            e->m_noCategory = 1;
        } else {
            m_pimiCache.AddUpper(LookupKey(*e), tail);  // an existing key keeps its old tail
        }
        entries.push_back(std::move(e));
    }
    if (entries.empty() || !LocateStrings(lib, path, entries, Lists().spans, Lists().pattern))
        return 0;
    for (auto& e : entries)
        if (e->m_kind == kKindFilter)
            RecordOriginals(*e);
    return Append(entries);
}

int CPluginReader::ReadPremiere(COXResourceLibrary& lib, const std::string& path, int flags)
{
    std::span<const std::uint8_t> bytes;
    if (!ResourceBytes(lib, "TYPE", "#1000", bytes))
        return 0;
    auto e = NewEntry(path, kResourcePremiere, flags, 0);
    e->m_name = BracketedTitle(*e);
    try {
        ByteReader r(bytes);
        r.Skip(2);
        e->m_kind = KindFromCode(ReadCode(r));
    } catch (const ReadError&) {}
    if (ResourceBytes(lib, "TEXT", "#1000", bytes)) {
        ByteReader r(bytes);
        try {
            r.Skip(2);
            e->m_name = ReadZString(r);
            e->m_nameCapacity = static_cast<int>(e->m_name.size());
        } catch (const ReadError&) {}
    }

    StatusOfModule(lib, path, e->m_fileStatus);
    if (e->m_nameCapacity > 0) {
        // A file error here only leaves the name unlocated.
        TextSpans spans;
        std::vector<std::uint8_t>& name = Lists().pattern;
        name.assign(e->m_name.begin(), e->m_name.end());
        if (FindTextSpans(lib, *e, spans))
            WithFileSearch(lib, [&](const auto& search) {
                e->m_nameOffset = static_cast<int>(LocateInSpan(search, spans.name, {}, name, 0));
            });
    }
    e->m_noCategory = 1;
    if (IsBlank(e->m_name)) {
        e->m_name = BracketedTitle(*e);
        e->m_nameCapacity = 0;
    }
    EntryList& entries = Lists().entries;
    entries.clear();
    entries.push_back(std::move(e));
    return Append(entries);
}

int CPluginReader::Append(EntryList& entries)
{
    int added = 0;
    for (auto& e : entries) {
        // A text that could not be located is never written back.
        if (e->m_nameOffset == 0)
            e->m_nameCapacity = 0;
        if (e->m_categoryOffset == 0)
            e->m_categoryCapacity = 0;
        m_catalogue.m_entries.push_back(std::move(e));
        ++added;
    }
    entries.clear();
    return added;
}

bool CPluginReader::LocateStrings(const std::string& path, EntryList& entries)
{
    COXResourceLibrary lib;
    if (!lib.Open(path, 2))
        return false;
    std::vector<TextSpans> spans;
    std::vector<std::uint8_t> pattern;
    return LocateStrings(lib, path, entries, spans, pattern);
}

bool CPluginReader::LocateStrings(COXResourceLibrary& lib, const std::string& path, EntryList& entries,
                                  std::vector<TextSpans>& spans, std::vector<std::uint8_t>& pattern)
{
    if (entries.empty())
        return true;
    spans.assign(entries.size(), TextSpans{});
    for (std::size_t i = 0; i < entries.size(); ++i)
        FindTextSpans(lib, *entries[i], spans[i]);  // none found: the texts stay unlocated
    return WithFileSearch(lib, [&](const auto& search) { LocateWith(search, lib, path, entries, spans, pattern); });
}

}  // namespace vardel
