#include "catalogue/PluginEntry.h"

#include "base/Archive.h"
#include "base/FileOps.h"
#include "catalogue/PluginTables.h"
#include "pe/BlockFile.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace vardel {

const CRuntimeClass CPluginEntry::classCPluginEntry = {"CPluginEntry", 1, false,
                                                       [] { return std::unique_ptr<CObject>(new CPluginEntry); }};

namespace {

// Start of the file-name component. Stored paths may come from Windows, so
// both separators end a directory.
std::size_t fileNameStart(const std::string& path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (path[i - 1] == '/' || path[i - 1] == '\\')
            return i;
    return 0;
}

// Position of the extension's "." in the path, or npos. A "." that starts
// the file name does not make an extension: such a file could be disabled
// but never enabled again.
std::size_t extensionDot(const std::string& path)
{
    const std::size_t start = fileNameStart(path);
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= start)
        return std::string::npos;
    return dot;
}

// Position of the "_" that stands for the "." of a disabled file name, or npos.
std::size_t disabledUnderscore(const std::string& path)
{
    const std::size_t start = fileNameStart(path);
    std::size_t us = path.rfind('_');
    if (us == std::string::npos || us <= start)
        return std::string::npos;
    return us;
}

// Appends value as "%0<width>d" formats it: a minus sign counts towards the
// width, and a number wider than width is never cut. The derived names are
// built for every entry of every scan, so without a format string.
void appendPadded(std::string& out, int value, std::size_t width)
{
    char digits[16];
    std::size_t n = 0;
    auto magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    const std::size_t used = n + (value < 0 ? 1 : 0);
    if (value < 0)
        out.push_back('-');
    if (used < width)
        out.append(width - used, '0');
    while (n > 0)
        out.push_back(digits[--n]);
}

// Appends text in upper case, padded with blanks to width (never cut).
void appendUpperPadded(std::string& out, std::string_view text, std::size_t width)
{
    const std::size_t at = out.size();
    out.resize(at + std::max(text.size(), width), ' ');
    char* to = out.data() + at;
    for (char c : text)
        *to++ = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

void CPluginEntry::Serialize(CArchive& ar)
{
    ar.Exchange(m_path);
    ar.Exchange(m_rootIndex);
    ar.Exchange(m_reserved1);
    ar.Exchange(m_kind);
    ar.Exchange(m_resourceType);
    ar.Exchange(m_resourceFlags);
    ar.Exchange(m_modes);
    ar.Exchange(m_indexInFile);  // before the no-category flag, out of declaration order
    ar.Exchange(m_noCategory);
    ar.Exchange(m_reserved2);
    ar.Exchange(m_enabled);
    ar.Exchange(m_name);
    ar.Exchange(m_category);
    ar.Exchange(m_nameCapacity);
    ar.Exchange(m_categoryCapacity);
    ar.Exchange(m_nameOffset);
    ar.Exchange(m_categoryOffset);
    ar.Exchange(m_reserved3);
}

std::string CPluginEntry::FileTitle() const
{
    const std::size_t start = fileNameStart(m_path);
    if (std::size_t dot = extensionDot(m_path); dot != std::string::npos)
        return m_path.substr(start, dot - start);
    if (std::size_t us = disabledUnderscore(m_path); us != std::string::npos)
        return m_path.substr(start, us - start);
    return m_path.substr(start);
}

std::string CPluginEntry::ImageBaseName() const
{
    std::string name;
    AppendImageBaseName(name);
    return name;
}

void CPluginEntry::AppendImageBaseName(std::string& name) const
{
    // The file title, as FileTitle() cuts it, without a copy of its own.
    const std::size_t start = fileNameStart(m_path);
    std::size_t end = m_path.rfind('.');
    if (end == std::string::npos || end <= start) {
        end = m_path.rfind('_');
        if (end == std::string::npos || end <= start)
            end = m_path.size();
    }
    const std::string code = KindCode(m_kind);
    name.reserve(name.size() + code.size() + 1 + (end - start) + 1 + 2);
    appendUpperPadded(name, code, 0);
    name.push_back('_');
    appendUpperPadded(name, std::string_view(m_path).substr(start, end - start), 0);
    name.push_back('_');
    appendPadded(name, m_indexInFile, 2);
}

std::string CPluginEntry::PreviewImageName(int n) const
{
    std::string name = ImageBaseName();
    name.push_back('_');
    appendPadded(name, n, 3);
    name.append(".JPG");
    return name;
}

std::string CPluginEntry::DescriptionKey() const
{
    return UpperAscii(ImageBaseName() + "_" + (IsPhotoshopFilterFactory() ? "1" : "0"));
}

std::string CPluginEntry::RealPath() const
{
    if (extensionDot(m_path) != std::string::npos)
        return m_path;
    std::string real = m_path;
    // A file name without extension and without "_" has no enabled name; it is its own.
    if (std::size_t us = disabledUnderscore(m_path); us != std::string::npos)
        real[us] = '.';
    return real;
}

std::string CPluginEntry::SortKey() const
{
    std::string key;
    key.reserve(3 + 1 + 3 + 1 + std::max<std::size_t>(m_category.size(), 40) + 1 +
                std::max<std::size_t>(m_name.size(), 40));
    AppendSortKey(key);
    return key;
}

void CPluginEntry::AppendSortKey(std::string& key) const
{
    // Padded to 40 but never cut: a longer text sorts by all its characters.
    // The numbers hold no letters, so only the texts need upper-casing.
    appendPadded(key, m_rootIndex, 3);
    key.push_back('.');
    appendPadded(key, m_kind, 3);
    key.push_back('.');
    appendUpperPadded(key, m_category, 40);
    key.push_back('.');
    appendUpperPadded(key, m_name, 40);
}

bool CPluginEntry::IsFilter() const
{
    return m_kind == kKindFilter || m_kind == kKindEffect;
}

bool CPluginEntry::IsPhotoshopFilterFactory() const
{
    return IsPiPL() && (m_resourceFlags & kFlagPARM) && (m_resourceFlags & kFlagFUNC);
}

bool CPluginEntry::IsPremiereFilterFactory() const
{
    return (m_resourceFlags & kFlagPARM) && (m_resourceFlags & kFlagFLVS);
}

bool CPluginEntry::IsPremiereTransitionFactory() const
{
    return (m_resourceFlags & kFlagPARM) && (m_resourceFlags & kFlagFXVS);
}

namespace {

constexpr int kMaxRefreshLength = CPluginEntry::kMaxRefreshText;

void seekTo(std::istream& file, long long position)
{
    if (position < 0)
        throw std::ios_base::failure("seek before the start of the plug-in file");
    file.clear();
    file.seekg(position);
    if (file.bad())
        throw std::ios_base::failure("cannot seek in the plug-in file");
}

// The longest field read back: a 256-byte buffer that always keeps a terminator.
constexpr std::size_t kMaxField = CPluginEntry::kMaxRefreshField;
using FieldBuffer = std::array<char, kMaxField>;

// Reads up to count (at most kMaxField) bytes into buffer; bytes past the
// end of the file read as zero, as they would from the cleared buffer.
void readUpTo(std::istream& file, std::size_t count, FieldBuffer& buffer)
{
    std::fill_n(buffer.begin(), count, '\0');
    if (!file.fail())
        file.read(buffer.data(), static_cast<std::streamsize>(count));
    if (file.bad())
        throw std::ios_base::failure("cannot read the plug-in file");
    file.clear();
}

// A length-prefixed text whose length byte stands just before offset.
bool readPrefixed(std::istream& file, int offset, std::string& text)
{
    seekTo(file, static_cast<long long>(offset) - 1);
    FieldBuffer buffer;
    readUpTo(file, 1, buffer);
    const auto length = static_cast<signed char>(buffer[0]);
    if (length < 1 || length > kMaxRefreshLength)
        return false;
    readUpTo(file, static_cast<std::size_t>(length), buffer);
    text.assign(buffer.data(), static_cast<std::size_t>(length));
    return true;
}

// A zero-terminated text in a field of capacity bytes starting at offset.
std::string readFixed(std::istream& file, int offset, int capacity)
{
    seekTo(file, offset);
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(capacity, 0)), kMaxField);
    FieldBuffer buffer;
    readUpTo(file, count, buffer);
    const char* const end = std::find(buffer.data(), buffer.data() + count, '\0');
    return std::string(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}

}  // namespace

bool CPluginEntry::RefreshFromFile(std::istream& file)
{
    // Both texts lie close together, the category usually first: the block
    // is read from the earlier one, so that one read fetches both.
    if (IsFilter() && m_categoryCapacity > 0 && m_nameCapacity > 0 && m_categoryOffset > 0 &&
        m_categoryOffset < m_nameOffset) {
        file.clear();
        file.seekg(static_cast<long long>(m_categoryOffset) - 1);
        file.peek();
        file.clear();
    }
    if (m_nameCapacity > 0) {
        if (IsPiPL()) {
            if (!readPrefixed(file, m_nameOffset, m_name)) {
                m_name.clear();
                m_category.clear();
                return false;
            }
        } else if (IsPiMI() || IsPremiere()) {
            m_name = readFixed(file, m_nameOffset, m_nameCapacity);
        }
    }
    if (!IsFilter()) {
        m_category.clear();
        m_categoryCapacity = 0;
        m_categoryOffset = 0;
        return true;
    }
    if (m_categoryCapacity <= 0)
        return true;
    if (IsPiPL()) {
        if (!readPrefixed(file, m_categoryOffset, m_category)) {
            m_name.clear();
            m_category.clear();
            return false;
        }
        return true;
    }
    if (IsPiMI())
        m_category = readFixed(file, m_categoryOffset, m_categoryCapacity);
    else
        m_category.clear();
    return true;
}

std::string CPluginEntry::PathFor(bool flag) const
{
    if ((m_enabled != 0) == flag)
        return m_path;
    std::string newPath = m_path;
    if (flag) {
        if (extensionDot(m_path) != std::string::npos)
            return {};
        std::size_t us = disabledUnderscore(m_path);
        if (us == std::string::npos)
            return {};
        newPath[us] = '.';
    } else {
        std::size_t dot = extensionDot(m_path);
        if (dot == std::string::npos)
            return {};
        newPath[dot] = '_';
    }
    return newPath;
}

bool CPluginEntry::SetEnabled(bool flag)
{
    if ((m_enabled != 0) == flag)
        return true;
    const std::string newPath = PathFor(flag);
    if (newPath.empty())
        return false;
    std::error_code ec = RenameNoReplace(NativePath(m_path), NativePath(newPath));
    // A missing source: another entry of the same file renamed it already.
    if (ec && ec != std::errc::no_such_file_or_directory)
        return false;
    m_path = newPath;
    m_enabled = flag ? 1 : 0;
    return true;
}

#if !defined(_WIN32)
namespace {

// Whether the permission bits let this process write the file. Root is
// treated like anyone else: the bits play the part of the read-only attribute.
bool writableByUs(std::uint32_t mode, uid_t user, gid_t group)
{
    // The program never changes its user: ask the system once, not per file.
    static const uid_t effectiveUser = ::geteuid();
    if (user == effectiveUser)
        return (mode & S_IWUSR) != 0;
    bool inGroup = group == ::getegid();
    if (!inGroup) {
        int n = ::getgroups(0, nullptr);
        if (n > 0) {
            std::vector<gid_t> groups(static_cast<std::size_t>(n));
            n = ::getgroups(n, groups.data());
            for (int i = 0; i < n; ++i)
                inGroup = inGroup || groups[static_cast<std::size_t>(i)] == group;
        }
    }
    if (inGroup)
        return (mode & S_IWGRP) != 0;
    return (mode & S_IWOTH) != 0;
}

void fillFrom(const OpenFileStat& st, FileStatus& status)
{
    status.created = st.changed;  // no creation time in struct stat; the change time stands in
    status.modified = st.modified;
    status.accessed = st.accessed;
    status.size = st.size;
    status.attributes = 0;
    if (!writableByUs(st.mode, static_cast<uid_t>(st.user), static_cast<gid_t>(st.group)))
        status.attributes |= FileStatus::kAttrReadOnly;
    if (S_ISDIR(st.mode))
        status.attributes |= FileStatus::kAttrDirectory;
}

}  // namespace
#endif

bool FileStatus::Get(const std::string& path, FileStatus& status)
{
#if !defined(_WIN32)
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    OpenFileStat info;
    info.changed = st.st_ctime;
    info.modified = st.st_mtime;
    info.accessed = st.st_atime;
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.mode = static_cast<std::uint32_t>(st.st_mode);
    info.user = static_cast<std::uint32_t>(st.st_uid);
    info.group = static_cast<std::uint32_t>(st.st_gid);
    fillFrom(info, status);
#else
    const std::filesystem::path native = NativePath(path);
    std::error_code ec;
    auto st = std::filesystem::status(native, ec);
    if (ec || !std::filesystem::exists(st))
        return false;
    auto time = std::filesystem::last_write_time(native, ec);
    status.modified = status.created = status.accessed =
        std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    status.size = std::filesystem::is_regular_file(st) ? std::filesystem::file_size(native, ec) : 0;
    status.attributes = 0;
    if ((st.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none)
        status.attributes |= kAttrReadOnly;
    if (std::filesystem::is_directory(st))
        status.attributes |= kAttrDirectory;
#endif
    return true;
}

bool FileStatus::Get(const std::string& path, const OpenFileStat& open, FileStatus& status)
{
#if !defined(_WIN32)
    (void)path;
    fillFrom(open, status);
    return true;
#else
    return Get(path, status);
#endif
}

std::string ListLabel(const std::string& name)
{
    const auto last = name.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : name.substr(0, last + 1);
}

}  // namespace vardel
