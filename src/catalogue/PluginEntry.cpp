#include "catalogue/PluginEntry.h"

#include "app/Archive.h"
#include "app/FileOps.h"
#include "catalogue/PluginTables.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace vardel {

const CRuntimeClass CPluginEntry::classCPluginEntry = {
    "CPluginEntry", 1, false, [] { return std::unique_ptr<CObject>(new CPluginEntry); }};

namespace {

// Start of the file-name component. Stored paths may come from Windows, so
// both separators end a directory.
std::size_t fileNameStart(const std::string& path)
{
    std::size_t pos = path.find_last_of("/\\");
    return pos == std::string::npos ? 0 : pos + 1;
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

std::string formatInt(const char* format, int value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string padRight(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
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
    return UpperAscii(KindCode(m_kind) + "_" + FileTitle() + "_" + formatInt("%02d", m_indexInFile));
}

std::string CPluginEntry::PreviewImageName(int n) const
{
    return ImageBaseName() + "_" + formatInt("%03d", n) + ".JPG";
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
    // Padded to 40 but never cut: a longer text sorts by all its characters.
    return UpperAscii(formatInt("%03d", m_rootIndex) + "." + formatInt("%03d", m_kind) + "." +
                      padRight(m_category, 40) + "." + padRight(m_name, 40));
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

constexpr int kMaxRefreshLength = 34;

void seekTo(std::istream& file, long long position)
{
    if (position < 0)
        throw std::ios_base::failure("seek before the start of the plug-in file");
    file.clear();
    file.seekg(position);
    if (file.bad())
        throw std::ios_base::failure("cannot seek in the plug-in file");
}

// Reads up to count bytes; bytes past the end of the file read as zero, as
// they would from the cleared buffer.
std::vector<char> readUpTo(std::istream& file, std::size_t count)
{
    std::vector<char> buffer(count, '\0');
    if (!file.fail())
        file.read(buffer.data(), static_cast<std::streamsize>(count));
    if (file.bad())
        throw std::ios_base::failure("cannot read the plug-in file");
    file.clear();
    return buffer;
}

// A length-prefixed text whose length byte stands just before offset.
bool readPrefixed(std::istream& file, int offset, std::string& text)
{
    seekTo(file, static_cast<long long>(offset) - 1);
    const auto length = static_cast<signed char>(readUpTo(file, 1)[0]);
    if (length < 1 || length > kMaxRefreshLength)
        return false;
    auto bytes = readUpTo(file, static_cast<std::size_t>(length));
    text.assign(bytes.begin(), bytes.end());
    return true;
}

// A zero-terminated text in a field of capacity bytes starting at offset.
std::string readFixed(std::istream& file, int offset, int capacity)
{
    seekTo(file, offset);
    // The field is read into a 256-byte buffer that always keeps a terminator.
    const std::size_t count = static_cast<std::size_t>(std::min(capacity, 255));
    auto bytes = readUpTo(file, count);
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
}

}  // namespace

bool CPluginEntry::RefreshFromFile(std::istream& file)
{
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

bool CPluginEntry::SetEnabled(bool flag)
{
    if ((m_enabled != 0) == flag)
        return true;
    std::string newPath = m_path;
    if (flag) {
        if (extensionDot(m_path) != std::string::npos)
            return false;
        std::size_t us = disabledUnderscore(m_path);
        if (us == std::string::npos)
            return false;
        newPath[us] = '.';
    } else {
        std::size_t dot = extensionDot(m_path);
        if (dot == std::string::npos)
            return false;
        newPath[dot] = '_';
    }
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
bool writableByUs(const struct stat& st)
{
    // The program never changes its user: ask the system once, not per file.
    static const uid_t effectiveUser = ::geteuid();
    if (st.st_uid == effectiveUser)
        return (st.st_mode & S_IWUSR) != 0;
    bool inGroup = st.st_gid == ::getegid();
    if (!inGroup) {
        int n = ::getgroups(0, nullptr);
        if (n > 0) {
            std::vector<gid_t> groups(static_cast<std::size_t>(n));
            n = ::getgroups(n, groups.data());
            for (int i = 0; i < n; ++i)
                inGroup = inGroup || groups[static_cast<std::size_t>(i)] == st.st_gid;
        }
    }
    if (inGroup)
        return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

}  // namespace
#endif

bool FileStatus::Get(const std::string& path, FileStatus& status)
{
    const std::filesystem::path native = NativePath(path);
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(native, ec);
    if (ec)
        full = native;
#if !defined(_WIN32)
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0)
        return false;
    status.created = st.st_ctime;  // no creation time in struct stat; the change time stands in
    status.modified = st.st_mtime;
    status.accessed = st.st_atime;
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.attributes = 0;
    if (!writableByUs(st))
        status.attributes |= kAttrReadOnly;
    if (S_ISDIR(st.st_mode))
        status.attributes |= kAttrDirectory;
#else
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
    status.fullPath = StoredPath(full);
    return true;
}

}  // namespace vardel
