#include "pe/PeImage.h"

#include "base/ByteReader.h"
#include "base/CodePage.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <set>

namespace vardel {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint16_t kMaxSections = 96;  // the Windows loader refuses more
// Entries looked at in one directory tree. Real modules have a few hundred;
// the budget stops overlapping hostile directories from costing quadratic time.
constexpr std::uint32_t kEntryBudget = 1u << 18;
constexpr std::size_t kFirstWindow = 64 * 1024;

// Cuts v to count elements, keeping the ones cut off, and their vectors'
// memory, in spare for the next file.
template <typename T>
void CutTo(std::vector<T>& v, std::size_t count, std::vector<T>& spare)
{
    while (v.size() > count) {
        spare.push_back(std::move(v.back()));
        v.pop_back();
    }
}

}  // namespace

std::string PeResourceId::ToString() const
{
    return isNumber ? "#" + std::to_string(number) : text;
}

// Walks the three directory levels. A directory whose bytes fit in the
// file's block is parsed straight out of it (nothing else is read meanwhile,
// so the view stays valid); a larger one over a window of the resource
// section that grows on demand, so that only the directory's own bytes are
// read.
class PeImage::DirectoryParser {
public:
    DirectoryParser(PeImage& image, std::uint64_t fileOffset, std::uint64_t limit)
        : m_image(image)
        , m_base(fileOffset)
        , m_limit(limit)
    {
        try {
            m_inBlock = limit <= BlockFile::kBlockSize &&
                        image.m_buffer.Peek(fileOffset, static_cast<std::size_t>(limit), m_view);
        } catch (const std::exception&) {
            m_inBlock = false;  // the window reads it again and reports the error
        }
    }

    // types may hold the types of a file read before: their elements and
    // vectors are filled again in place (every field set anew) and what is
    // left over is cut off at the end.
    void Parse(std::vector<PeResourceType>& types)
    {
        std::size_t typeCount = 0;
        Visit(0);
        const std::vector<Entry>& roots = Entries(0, 0);
        for (const auto& e : roots) {
            try {
                if (!(e.offset & kHighBit))
                    continue;  // a type must be a directory
                std::uint32_t sub = e.offset & ~kHighBit;
                if (!Visit(sub))
                    continue;  // loop or shared directory: never revisit
                PeResourceType& type = Slot(types, typeCount, m_image.m_spareTypes);
                type.id = Id(e.name);
                std::vector<Entry>& names = Entries(sub, 1);
                std::size_t nameCount = 0;
                for (const auto& n : names) {
                    try {
                        if (!(n.offset & kHighBit))
                            continue;
                        std::uint32_t langDir = n.offset & ~kHighBit;
                        if (!Visit(langDir))
                            continue;
                        PeResourceName& name = Slot(type.names, nameCount, m_image.m_spareNames);
                        name.id = Id(n.name);
                        name.languages.clear();
                        std::vector<Entry>& languages = Entries(langDir, 2);
                        name.languages.reserve(languages.size());
                        for (const auto& l : languages) {
                            if ((l.offset & kHighBit) || (l.name & kHighBit))
                                continue;  // the third level holds data entries with numeric languages
                            try {
                                ByteReader r = Window(l.offset, 16);
                                PeResourceData data;
                                data.language = static_cast<std::uint16_t>(l.name);
                                data.rva = r.U32();
                                data.size = r.U32();
                                name.languages.push_back(data);
                            } catch (const ReadError&) {}
                        }
                        ++nameCount;
                    } catch (const ReadError&) {}
                }
                CutTo(type.names, nameCount, m_image.m_spareNames);
                ++typeCount;
            } catch (const ReadError&) {}
        }
        CutTo(types, typeCount, m_image.m_spareTypes);
    }

private:
    using Entry = DirectoryEntry;

    // The entries of the directory at offset, cut to what the section holds
    // and to the budget, into the list kept for its level (each level's loop
    // holds its list while the deeper levels fill theirs). The counts are
    // added in 32 bits.
    std::vector<Entry>& Entries(std::uint32_t offset, int level)
    {
        std::vector<Entry>& entries = m_image.m_levels[level];
        entries.clear();
        ByteReader header = Window(offset, 16);
        header.Skip(12);
        std::uint32_t count = header.U16();
        count += header.U16();
        std::uint64_t first = std::uint64_t(offset) + 16;
        std::uint64_t fit = first <= m_limit ? (m_limit - first) / 8 : 0;
        count = static_cast<std::uint32_t>(std::min<std::uint64_t>({count, fit, m_budget}));
        m_budget -= count;
        if (count == 0)
            return entries;
        ByteReader r = Window(first, std::uint64_t(count) * 8);
        entries.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            Entry e;
            e.name = r.U32();
            e.offset = r.U32();
            entries.push_back(e);
        }
        return entries;
    }

    PeResourceId Id(std::uint32_t field)
    {
        PeResourceId id;
        if (!(field & kHighBit)) {
            id.number = static_cast<std::uint16_t>(field);
            return id;
        }
        id.isNumber = false;
        std::uint64_t at = field & ~kHighBit;
        std::uint16_t length = Window(at, 2).U16();
        ByteReader chars = Window(at + 2, std::uint64_t(length) * 2);
        std::u16string text;
        text.reserve(length);
        for (std::uint16_t i = 0; i < length; ++i)
            text.push_back(static_cast<char16_t>(chars.U16()));
        id.text = utf16ToCodePage(text);
        return id;
    }

    // A reader over [offset, offset + count) of the directory, reading more
    // of the section when needed. Throws ReadError outside the section.
    ByteReader Window(std::uint64_t offset, std::uint64_t count)
    {
        if (offset > m_limit || count > m_limit - offset)
            throw ReadError("resource directory entry outside the section");
        if (m_inBlock)
            return ByteReader(m_view).Sub(offset, count);
        std::uint64_t end = offset + count;
        if (end > m_buffer.size()) {
            std::uint64_t want = std::max<std::uint64_t>({end, m_buffer.size() * 2, kFirstWindow});
            want = std::min(want, m_limit);
            std::uint64_t have = m_buffer.size();
            auto more = m_image.ReadAt(m_base + have, want - have);
            m_buffer.insert(m_buffer.end(), more.begin(), more.end());
        }
        return ByteReader(std::span<const std::uint8_t>(m_buffer)).Sub(offset, count);
    }

    // The element at index of v, for filling: one left there from an earlier
    // file, else one kept in spare, else a new one.
    template <typename T>
    static T& Slot(std::vector<T>& v, std::size_t index, std::vector<T>& spare)
    {
        if (index == v.size()) {
            if (spare.empty()) {
                v.emplace_back();
            } else {
                v.push_back(std::move(spare.back()));
                spare.pop_back();
            }
        }
        return v[index];
    }

    // Marks the directory at offset as walked; false when it was already.
    // A real module has a few dozen directories, looked up in a short list;
    // a hostile one may have up to the budget, kept in a tree.
    bool Visit(std::uint32_t offset)
    {
        if (m_visitedTree.empty()) {
            const auto end = m_visited.begin() + m_visitedCount;
            if (std::find(m_visited.begin(), end, offset) != end)
                return false;
            if (m_visitedCount < m_visited.size()) {
                m_visited[m_visitedCount++] = offset;
                return true;
            }
            m_visitedTree.insert(m_visited.begin(), end);
        }
        return m_visitedTree.insert(offset).second;
    }

    PeImage& m_image;
    std::uint64_t m_base;
    std::uint64_t m_limit;
    bool m_inBlock = false;
    std::span<const std::uint8_t> m_view;  // the whole directory range, when m_inBlock
    std::vector<std::uint8_t> m_buffer;    // the window read so far, otherwise
    std::array<std::uint32_t, 64> m_visited{};
    std::size_t m_visitedCount = 0;
    std::set<std::uint32_t> m_visitedTree;
    std::uint32_t m_budget = kEntryBudget;
};

PeImage::~PeImage() = default;

std::istream& PeImage::Stream()
{
    if (!m_file)
        m_file.emplace(&m_buffer);
    return *m_file;
}

namespace {

// What a recycled image keeps of its vectors at most (in elements); more
// comes only from a hostile or unusual file and is given back.
constexpr std::size_t kKeptEntries = 4096;

// The types, names and languages held by types.
std::size_t Elements(const std::vector<PeResourceType>& types)
{
    std::size_t count = types.size();
    for (const auto& t : types) {
        count += t.names.size();
        for (const auto& n : t.names)
            count += n.languages.capacity();
    }
    return count;
}

template <typename T>
void ClearKeepingSome(std::vector<T>& v)
{
    v.clear();
    if (v.capacity() * sizeof(T) > kKeptEntries * 8)
        v.shrink_to_fit();
}

}  // namespace

std::unique_ptr<PeImage> PeImage::Open(const std::string& path, std::string* error)
{
    std::unique_ptr<PeImage> spare;
    return Open(path, spare, error);
}

std::unique_ptr<PeImage> PeImage::Open(const std::string& path, std::unique_ptr<PeImage>& spare, std::string* error)
{
    std::unique_ptr<PeImage> image = spare ? std::move(spare) : std::unique_ptr<PeImage>(new PeImage());
    if (!image->m_buffer.Open(path)) {
        if (error)
            *error = "cannot open the file";
        spare = std::move(image);
        return nullptr;
    }
    try {
        image->ReadHeaders();
    } catch (const ReadError& e) {
        if (error)
            *error = e.what();
        Recycle(std::move(image), spare);
        return nullptr;
    }
    return image;
}

void PeImage::Recycle(std::unique_ptr<PeImage> image, std::unique_ptr<PeImage>& spare)
{
    if (!image || spare)
        return;
    image->Reset();
    spare = std::move(image);
}

void PeImage::Reset()
{
    m_file.reset();
    m_buffer.Close();
    m_fileSize = 0;
    m_is64 = false;
    m_machine = 0;
    m_hasCertificateTable = false;
    m_sizeOfHeaders = 0;
    m_sections.clear();
    if (m_scratch.capacity() > BlockFile::kBlockSize)
        m_scratch = {};
    m_scratch.clear();
    // The types and names stay for the next directory to fill in place,
    // unless there are more of them than plug-ins have.
    std::size_t kept = Elements(m_types) + Elements(m_spareTypes) + m_spareNames.size();
    for (const auto& n : m_spareNames)
        kept += n.languages.capacity();
    if (kept > kKeptEntries / 16) {
        m_types = {};
        m_spareTypes = {};
        m_spareNames = {};
    }
    for (auto& level : m_levels)
        ClearKeepingSome(level);
}

bool PeImage::IsSixteenBitModule(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::uint8_t dos[64];
    if (!file.read(reinterpret_cast<char*>(dos), sizeof dos))
        return false;
    ByteReader d(dos);
    if (d.U16() != 0x5A4D)
        return false;
    d.Seek(0x3C);
    const std::uint32_t newHeader = d.U32();
    char signature[2] = {};
    file.seekg(static_cast<std::streamoff>(newHeader));
    return file.read(signature, sizeof signature) && signature[0] == 'N' && signature[1] == 'E';
}

std::span<const std::uint8_t> PeImage::ReadAt(std::uint64_t offset, std::uint64_t count)
{
    if (offset > m_fileSize || count > m_fileSize - offset)
        throw ReadError("read past the end of the file");
    std::span<const std::uint8_t> view;
    if (count == 0)
        return view;
    try {
        if (count <= BlockFile::kBlockSize && m_buffer.Peek(offset, static_cast<std::size_t>(count), view))
            return view;
    } catch (const std::exception&) {
        // The stream reads it again and fails the way it always has.
    }
    m_scratch.resize(static_cast<std::size_t>(count));
    std::istream& file = Stream();
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    try {
        file.read(reinterpret_cast<char*>(m_scratch.data()), static_cast<std::streamsize>(count));
    } catch (const std::exception&) {
        throw ReadError("read error");
    }
    if (static_cast<std::uint64_t>(file.gcount()) != count)
        throw ReadError("short read");
    return m_scratch;
}

// Each view that ReadAt gives is used up before the next read.
void PeImage::ReadHeaders()
{
    m_fileSize = m_buffer.Size();

    auto dos = ReadAt(0, 64);
    ByteReader d(dos);
    if (d.U16() != 0x5A4D)
        throw ReadError("no MZ header");
    d.Seek(0x3C);
    std::uint64_t peOffset = d.U32();

    auto coff = ReadAt(peOffset, 24);
    ByteReader c(coff);
    if (c.U32() != 0x00004550)
        throw ReadError("no PE signature");
    m_machine = c.U16();
    std::uint16_t sectionCount = c.U16();
    c.Skip(12);
    std::uint16_t optionalSize = c.U16();
    if (sectionCount > kMaxSections)
        throw ReadError("too many sections");

    auto optional = ReadAt(peOffset + 24, optionalSize);
    ByteReader o(optional);
    std::uint16_t magic = o.U16();
    if (magic != 0x10B && magic != 0x20B)
        throw ReadError("unknown optional header magic");
    m_is64 = magic == 0x20B;
    o.Seek(60);
    m_sizeOfHeaders = o.U32();
    o.Seek(m_is64 ? 108 : 92);
    std::uint32_t directoryCount = o.U32();
    std::uint32_t resourceRva = 0, resourceSize = 0;
    if (directoryCount > 2) {
        ByteReader::PositionGuard guard(o);
        o.Seek((m_is64 ? 112 : 96) + 2 * 8);
        resourceRva = o.U32();
        resourceSize = o.U32();
    }
    // Data directory 4, the certificate table, holds a file offset, not an RVA.
    const std::size_t securityEntry = (m_is64 ? 112 : 96) + 4 * 8;
    if (directoryCount > 4 && optional.size() >= securityEntry + 8) {
        ByteReader::PositionGuard guard(o);
        o.Seek(securityEntry);
        const std::uint32_t offset = o.U32();
        const std::uint32_t size = o.U32();
        m_hasCertificateTable = HasCertificateAt(offset, size);
    }

    auto table = ReadAt(peOffset + 24 + optionalSize, std::uint64_t(sectionCount) * 40);
    ByteReader s(table);
    m_sections.reserve(sectionCount);
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        Section section;
        s.Skip(8);  // name
        section.virtualSize = s.U32();
        section.virtualAddress = s.U32();
        section.rawSize = s.U32();
        section.rawPointer = s.U32();
        s.Skip(16);
        m_sections.push_back(section);
    }

    if (resourceRva != 0)
        ReadDirectory(resourceRva, resourceSize);
    else
        CutTo(m_types, 0, m_spareTypes);
}

bool PeImage::HasCertificateAt(std::uint32_t offset, std::uint32_t size)
{
    // A WIN_CERTIFICATE: 32-bit length (header included), revision, type.
    if (offset == 0 || size < 8 || offset > m_fileSize || size > m_fileSize - offset)
        return false;
    try {
        auto header = ReadAt(offset, 8);
        ByteReader h(header);
        const std::uint32_t length = h.U32();
        return length >= 8 && length <= size;
    } catch (const ReadError&) {
        return false;
    }
}

bool PeImage::MapRva(std::uint32_t rva, std::uint64_t& offset, std::uint64_t& available) const
{
    for (const auto& s : m_sections) {
        std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva < s.virtualAddress || rva - s.virtualAddress >= extent)
            continue;
        std::uint32_t delta = rva - s.virtualAddress;
        if (delta >= s.rawSize)
            return false;  // zero-filled part of the section: no file bytes
        offset = std::uint64_t(s.rawPointer) + delta;
        available = s.rawSize - delta;
        return offset < m_fileSize;
    }
    // Outside every section: only the headers map one to one.
    if (rva < m_sizeOfHeaders && rva < m_fileSize) {
        offset = rva;
        available = m_sizeOfHeaders - rva;
        return true;
    }
    return false;
}

void PeImage::ReadDirectory(std::uint32_t rva, std::uint32_t)
{
    std::uint64_t offset = 0, available = 0;
    if (!MapRva(rva, offset, available)) {
        CutTo(m_types, 0, m_spareTypes);
        return;
    }
    // The directory cannot extend past its section or the file; the size in
    // the data directory is not trusted (linkers disagree on what it covers).
    available = std::min(available, m_fileSize - offset);
    DirectoryParser parser(*this, offset, available);
    try {
        parser.Parse(m_types);
    } catch (const ReadError&) {
        // Root header unreadable: the module has no usable resources.
        CutTo(m_types, 0, m_spareTypes);
    }
}

std::vector<PeResourceEntry> PeImage::Listing() const
{
    std::vector<PeResourceEntry> out;
    for (const auto& t : m_types)
        for (const auto& n : t.names)
            for (const auto& l : n.languages)
                out.push_back({t.id.ToString(), n.id.ToString(), l.language, l.size});
    return out;
}

bool PeImage::ParseNumber(const std::string& text, std::uint16_t& number)
{
    if (text.size() < 2 || text.size() > 6 || text[0] != '#')
        return false;
    std::uint32_t value = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (value > 0xFFFF)
        return false;
    number = static_cast<std::uint16_t>(value);
    return true;
}

namespace {

// A type or name query resolved once, for comparing with every id of a
// level. The Windows resource functions upper-case a text query and compare
// it with the stored text as it is; the query is upper-cased in the
// comparison, without a copy.
class IdQuery {
public:
    explicit IdQuery(const std::string& query)
        : m_query(query)
        , m_isNumber(PeImage::ParseNumber(query, m_number))
    {}

    bool Matches(const PeResourceId& id) const
    {
        if (m_isNumber)
            return id.isNumber && id.number == m_number;
        if (id.isNumber || id.text.size() != m_query.size())
            return false;
        for (std::size_t i = 0; i < m_query.size(); ++i) {
            const char c = m_query[i];
            if (id.text[i] != (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c))
                return false;
        }
        return true;
    }

private:
    const std::string& m_query;
    std::uint16_t m_number = 0;
    bool m_isNumber;
};

}  // namespace

const PeResourceType* PeImage::FindType(const std::string& type) const
{
    const IdQuery query(type);
    for (const auto& t : m_types)
        if (query.Matches(t.id))
            return &t;
    return nullptr;
}

const PeResourceName* PeImage::FindName(const PeResourceType& type, const std::string& name) const
{
    const IdQuery query(name);
    for (const auto& n : type.names)
        if (query.Matches(n.id))
            return &n;
    return nullptr;
}

const PeResourceData* PeImage::SelectLanguage(const PeResourceName& name, std::uint16_t language)
{
    auto find = [&](std::uint16_t lang) -> const PeResourceData* {
        for (const auto& l : name.languages)
            if (l.language == lang)
                return &l;
        return nullptr;
    };
    const PeResourceData* hit = nullptr;
    if (language != 0) {
        std::uint16_t neutralSub = language & 0x3FF;
        if ((hit = find(language)) || (hit = find(neutralSub)) || (hit = find(0)))
            return hit;
        return nullptr;
    }
    for (std::uint16_t lang : {0x0000, 0x0400, 0x0800, 0x0409, 0x0009})
        if ((hit = find(lang)))
            return hit;
    return name.languages.empty() ? nullptr : &name.languages.front();
}

bool PeImage::DataOffset(const PeResourceData& data, std::uint64_t& offset) const
{
    std::uint64_t available = 0;
    if (data.size > kMaxResourceSize || !MapRva(data.rva, offset, available))
        return false;
    // Resource data may lie outside the resource section (some linkers put it
    // elsewhere): the file, not the section, bounds it.
    return data.size <= m_fileSize - offset;
}

bool PeImage::ReadData(const PeResourceData& data, std::vector<std::uint8_t>& out)
{
    std::span<const std::uint8_t> view;
    if (!ViewData(data, view))
        return false;
    out.assign(view.begin(), view.end());
    return true;
}

bool PeImage::ViewData(const PeResourceData& data, std::span<const std::uint8_t>& view)
{
    std::uint64_t offset = 0;
    if (!DataOffset(data, offset))
        return false;
    try {
        view = ReadAt(offset, data.size);
    } catch (const ReadError&) {
        return false;
    }
    return true;
}

bool IsSignedFile(const std::string& path)
{
    auto image = PeImage::Open(path);
    return image && image->HasCertificateTable();
}

}  // namespace vardel
