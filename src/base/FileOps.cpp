#include "base/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#if defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vardel {

std::error_code RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
#if defined(__linux__)
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    int err = errno;
    if (err != EINVAL && err != ENOSYS)
        return {err, std::generic_category()};
    // The file system cannot rename without replacing: link the new name
    // (which fails when it exists), then drop the old one.
    if (::link(from.c_str(), to.c_str()) != 0)
        return {errno, std::generic_category()};
    if (::unlink(from.c_str()) != 0) {
        int unlinkErr = errno;
        ::unlink(to.c_str());
        return {unlinkErr, std::generic_category()};
    }
    return {};
#else
    // MoveFile semantics: std::rename on Windows fails when the target exists.
    std::error_code ec;
    if (std::filesystem::exists(to, ec))
        return std::make_error_code(std::errc::file_exists);
    if (!std::filesystem::exists(from, ec))
        return std::make_error_code(std::errc::no_such_file_or_directory);
    if (std::rename(from.string().c_str(), to.string().c_str()) != 0)
        return {errno, std::generic_category()};
    return {};
#endif
}

}  // namespace vardel

#include "base/CodePage.h"

#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vardel {

std::filesystem::path NativePath(std::string_view stored)
{
#if defined(_WIN32)
    return std::filesystem::path(codePageToUtf16(stored));
#else
    return std::filesystem::path(std::string(stored));
#endif
}

namespace {
bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + len > text.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}
}  // namespace

std::string PathForDisplay(std::string_view stored)
{
#if defined(_WIN32)
    return codePageToUtf8(stored);
#else
    // File names here are the file system's bytes, normally UTF-8; a name
    // that is not (or a path stored on Windows) is shown through the code page.
    return IsValidUtf8(stored) ? std::string(stored) : codePageToUtf8(stored);
#endif
}

std::string StoredPath(const std::filesystem::path& native)
{
#if defined(_WIN32)
    return utf16ToCodePage(native.u16string());
#else
    return native.string();
#endif
}

namespace {

// The one error of our own: a file that is there but no regular file.
class FileErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "vardel.file"; }
    std::string message(int) const override { return "not a regular file"; }
};

const FileErrorCategory& fileErrorCategory()
{
    static const FileErrorCategory category;
    return category;
}

}  // namespace

std::error_code NotRegularFileError()
{
    return {1, fileErrorCategory()};
}

bool IsMissingFileError(const std::error_code& error)
{
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

namespace {

template <class Stat>
void fillOpenFileStat(const Stat& st, OpenFileStat* status)
{
    if (!status)
        return;
    status->changed = static_cast<std::int64_t>(st.st_ctime);
    status->modified = static_cast<std::int64_t>(st.st_mtime);
    status->accessed = static_cast<std::int64_t>(st.st_atime);
    status->size = static_cast<std::uint64_t>(st.st_size);
    status->mode = static_cast<std::uint32_t>(st.st_mode);
    status->user = static_cast<std::uint32_t>(st.st_uid);
    status->group = static_cast<std::uint32_t>(st.st_gid);
}

// The innermost directory scope of the thread, if any.
thread_local DirectoryOpenScope* t_directoryScope = nullptr;

#if !defined(_WIN32)
// name relative to the directory dir (AT_FDCWD: the current one).
int OpenRegularFileNamed(int dir, const char* name, OpenFileStat* status)
{
    // O_NONBLOCK: the open of a FIFO without a writer would wait for one.
    int fd = ::openat(dir, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    fillOpenFileStat(st, status);
    // O_NONBLOCK has no effect on a regular file: it may stay.
    return fd;
}
#endif

}  // namespace

int OpenRegularFileForReading(const std::filesystem::path& file, OpenFileStat* status)
{
#if defined(_WIN32)
    int fd = ::_wopen(file.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        return -1;
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        ::_close(fd);
        errno = EISDIR;
        return -1;
    }
    fillOpenFileStat(st, status);
    return fd;
#else
    return OpenRegularFileNamed(AT_FDCWD, file.c_str(), status);
#endif
}

int OpenRegularFileForReading(const std::string& stored, OpenFileStat* status)
{
#if defined(_WIN32)
    return OpenRegularFileForReading(NativePath(stored), status);
#else
    if (DirectoryOpenScope* scope = t_directoryScope) {
        std::size_t name = 0;
        if (const int dir = scope->DirectoryOf(stored, name); dir >= 0)
            return OpenRegularFileNamed(dir, stored.c_str() + name, status);
    }
    return OpenRegularFileNamed(AT_FDCWD, stored.c_str(), status);
#endif
}

DirectoryOpenScope::DirectoryOpenScope()
    : m_outer(t_directoryScope)
{
    t_directoryScope = this;
}

DirectoryOpenScope::~DirectoryOpenScope()
{
    t_directoryScope = m_outer;
#if defined(__linux__)
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

int DirectoryOpenScope::DirectoryOf(const std::string& path, std::size_t& name)
{
#if defined(__linux__)
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size())
        return -1;
    name = slash + 1;
    // "/name" lies in the root directory.
    const std::string_view directory(path.data(), slash == 0 ? 1 : slash);
    if (!m_known || directory != m_directory) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_directory.assign(directory);
        // O_PATH needs no read permission on the directory, only the search
        // permission a lookup by the full path needs too. When it cannot be
        // opened, its files are opened by their full paths.
        m_fd = ::open(m_directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        m_known = true;
    }
    return m_fd;
#else
    (void)path;
    (void)name;
    return -1;
#endif
}

void CloseFile(int fd)
{
#if defined(_WIN32)
    ::_close(fd);
#else
    ::close(fd);
#endif
}

std::error_code ReadWholeFile(const std::filesystem::path& file, std::vector<std::uint8_t>& data,
                              std::uintmax_t maxSize)
{
    data.clear();
    const int fd = OpenRegularFileForReading(file);
    if (fd < 0) {
        const int err = errno;
        if (err == EISDIR)
            return NotRegularFileError();
        return {err, std::generic_category()};
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { CloseFile(fd); }
    } closer{fd};
#if defined(_WIN32)
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0)
        return std::make_error_code(std::errc::io_error);
#else
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return {errno, std::generic_category()};
#endif
    if (st.st_size < 0)
        return std::make_error_code(std::errc::io_error);
    if (static_cast<std::uintmax_t>(st.st_size) > maxSize)
        return std::make_error_code(std::errc::file_too_large);
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
#if defined(_WIN32)
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(data.size() - done, 1u << 30));
        const int n = ::_read(fd, data.data() + done, chunk);
#else
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
#endif
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Cut short while read: the file changed under us.
            data.clear();
            return std::make_error_code(std::errc::io_error);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

bool PathEntryExists(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    return !ec && status.type() != std::filesystem::file_type::not_found;
}

bool IsRegularFileOrAbsent(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return true;
    return !ec && status.type() == std::filesystem::file_type::regular;
}

#if !defined(_WIN32)

namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// Removes the temporary file unless the write got as far as replacing the target.
class TempFile {
public:
    explicit TempFile(std::string path, int fd)
        : m_path(std::move(path))
        , m_fd(fd)
    {}
    ~TempFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept)
            ::unlink(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }
    std::error_code Close()
    {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? std::error_code() : lastError();
    }
    void Keep() { m_kept = true; }

private:
    std::string m_path;
    int m_fd;
    bool m_kept = false;
};

}  // namespace

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> data,
                                    const WriteFault& fault)
{
    auto failsAt = [&](WriteStep step) { return fault && fault(step); };
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";

    if (failsAt(WriteStep::CreateTemp))
        return std::make_error_code(std::errc::io_error);
    std::string pattern = (dir / ("~" + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return lastError();
    TempFile temp(pattern, fd);

    // Keep the store's permissions; a new store gets the usual ones.
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(temp.fd(), mode) != 0)
        return lastError();

    if (failsAt(WriteStep::Write))
        return std::make_error_code(std::errc::no_space_on_device);
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(temp.fd(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        done += static_cast<std::size_t>(n);
    }

    if (failsAt(WriteStep::Sync))
        return std::make_error_code(std::errc::io_error);
    if (::fsync(temp.fd()) != 0)
        return lastError();
    if (auto ec = temp.Close())
        return ec;

    if (failsAt(WriteStep::Replace))
        return std::make_error_code(std::errc::io_error);
    // The one rename in Vardel that replaces: the store is swapped for its
    // complete new version in a single step.
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        return lastError();
    temp.Keep();

    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

#else

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> data,
                                    const WriteFault& fault)
{
    auto failsAt = [&](WriteStep step) { return fault && fault(step); };
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    if (failsAt(WriteStep::CreateTemp))
        return std::make_error_code(std::errc::io_error);
    std::filesystem::path temp;
    for (int i = 0; i < 1000; ++i) {
        auto candidate = dir / ("~" + target.filename().string() + "." + std::to_string(i) + ".tmp");
        std::error_code ec;
        if (!std::filesystem::exists(candidate, ec)) {
            temp = candidate;
            break;
        }
    }
    if (temp.empty())
        return std::make_error_code(std::errc::file_exists);
    std::error_code result;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return std::make_error_code(std::errc::permission_denied);
        if (failsAt(WriteStep::Write))
            result = std::make_error_code(std::errc::no_space_on_device);
        else
            out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        if (!result && (failsAt(WriteStep::Sync) || !out.flush()))
            result = std::make_error_code(std::errc::io_error);
    }
    if (!result && failsAt(WriteStep::Replace))
        result = std::make_error_code(std::errc::io_error);
    if (!result)
        std::filesystem::rename(temp, target, result);
    if (result) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    }
    return result;
}

#endif

bool IsTemporaryNameOf(const std::string& name, const std::vector<std::string>& targets)
{
    auto isAlnum = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    for (const std::string& target : targets) {
        const std::string head = "~" + target + ".";
        if (name.size() <= head.size() || name.compare(0, head.size(), head) != 0)
            continue;
        const std::string tail = name.substr(head.size());
#if !defined(_WIN32)
        // mkstemp's six characters.
        if (tail.size() == 6 && std::all_of(tail.begin(), tail.end(), isAlnum))
            return true;
#else
        if (tail.size() > 4 && tail.ends_with(".tmp") &&
            std::all_of(tail.begin(), tail.end() - 4, [](char c) { return c >= '0' && c <= '9'; }))
            return true;
        (void)isAlnum;
#endif
    }
    return false;
}

int RemoveStaleTemporaryFiles(const std::filesystem::path& dir, const std::vector<std::string>& targets)
{
    int removed = 0;
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc) && IsTemporaryNameOf(it->path().filename().string(), targets))
            stale.push_back(it->path());
    }
    for (const auto& file : stale) {
        std::error_code removeEc;
        if (std::filesystem::remove(file, removeEc))
            ++removed;
    }
    return removed;
}

std::error_code CreateFileIfAbsent(const std::filesystem::path& target,
                                   const std::function<bool(const std::filesystem::path& temp)>& write)
{
    if (PathEntryExists(target))
        return std::make_error_code(std::errc::file_exists);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::filesystem::path temp;
#if defined(_WIN32)
    for (int i = 0; i < 1000 && temp.empty(); ++i) {
        auto candidate = dir / (L"~" + target.filename().wstring() + L"." + std::to_wstring(i) + L".new");
        const int fd = ::_wopen(candidate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            ::_close(fd);
            temp = candidate;
        }
    }
    if (temp.empty())
        return std::make_error_code(std::errc::file_exists);
#else
    std::string pattern = (dir / ("~" + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return {errno, std::generic_category()};
    ::fchmod(fd, 0644);
    ::close(fd);
    temp = pattern;
#endif
    std::error_code result;
    if (!write(temp))
        result = std::make_error_code(std::errc::io_error);
    else
        result = RenameNoReplace(temp, target);
    if (result) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    }
    return result;
}

FileLock::~FileLock()
{
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : m_handle(other.m_handle)
    , m_writable(other.m_writable)
    , m_file(std::move(other.m_file))
{
    other.m_handle = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_handle = other.m_handle;
        m_writable = other.m_writable;
        m_file = std::move(other.m_file);
        other.m_handle = -1;
    }
    return *this;
}

#if defined(_WIN32)

namespace {

// A byte far beyond any note: Windows locks are mandatory for the bytes they
// cover, and the note must stay readable.
constexpr DWORD kLockOffsetHigh = 1;

HANDLE toHandle(std::intptr_t h)
{
    return reinterpret_cast<HANDLE>(h);
}

}  // namespace

std::error_code FileLock::TryLock(const std::filesystem::path& file)
{
    Release();
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened as itself, never followed.
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    bool writable = true;
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
        h = ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        writable = false;
    }
    if (h == INVALID_HANDLE_VALUE)
        return std::make_error_code(std::errc::permission_denied);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        ::CloseHandle(h);
        return NotRegularFileError();
    }
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD err = ::GetLastError();
        ::CloseHandle(h);
        return err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING
                   ? std::make_error_code(std::errc::resource_unavailable_try_again)
                   : std::make_error_code(std::errc::io_error);
    }
    m_handle = reinterpret_cast<std::intptr_t>(h);
    m_writable = writable;
    return {};
}

void FileLock::WriteNote(const std::string& note)
{
    if (!IsHeld() || !m_writable)
        return;
    HANDLE h = toHandle(m_handle);
    LARGE_INTEGER zero{};
    DWORD written = 0;
    if (::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(h))
        ::WriteFile(h, note.data(), static_cast<DWORD>(note.size()), &written, nullptr);
}

void FileLock::Release()
{
    if (!IsHeld())
        return;
    HANDLE h = toHandle(m_handle);
    if (m_writable) {
        LARGE_INTEGER zero{};
        if (::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN))
            ::SetEndOfFile(h);
    }
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    ::UnlockFileEx(h, 0, 1, 0, &at);
    ::CloseHandle(h);
    m_handle = -1;
}

std::string FileLock::ReadNote(const std::filesystem::path& file)
{
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    char buffer[256];
    DWORD got = 0;
    std::string note;
    if (::ReadFile(h, buffer, sizeof buffer, &got, nullptr))
        note.assign(buffer, got);
    ::CloseHandle(h);
    return note;
}

#else

namespace {

// One attempt: the descriptor holding the lock, or -1 with the error.
int lockOnce(const std::filesystem::path& file, bool& writable, std::error_code& error)
{
    // O_NOFOLLOW: a link in the lock's place is refused, never followed.
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    writable = true;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | flags, 0644);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        // Someone else's lock file, or a read-only directory: a read-only
        // descriptor locks as well.
        fd = ::open(file.c_str(), O_RDONLY | flags);
        writable = false;
    }
    if (fd < 0) {
        error = errno == EISDIR ? NotRegularFileError() : std::error_code(errno, std::generic_category());
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = NotRegularFileError();
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        error = err == EWOULDBLOCK || err == EAGAIN ? std::make_error_code(std::errc::resource_unavailable_try_again)
                                                    : std::error_code(err, std::generic_category());
        return -1;
    }
    // The holder before us removes the file as it lets go: a lock taken on
    // a file that is no longer at the name locks nothing.
    struct stat now {};
    if (::stat(file.c_str(), &now) != 0 || now.st_ino != st.st_ino || now.st_dev != st.st_dev) {
        ::close(fd);
        error = std::make_error_code(std::errc::interrupted);
        return -1;
    }
    return fd;
}

}  // namespace

std::error_code FileLock::TryLock(const std::filesystem::path& file)
{
    Release();
    std::error_code error;
    bool writable = false;
    // A file removed under us was let go just now: the name is free again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = lockOnce(file, writable, error);
        if (fd >= 0) {
            m_handle = fd;
            m_writable = writable;
            m_file = file;
            return {};
        }
        if (error != std::errc::interrupted)
            return error;
    }
    return std::make_error_code(std::errc::resource_unavailable_try_again);
}

void FileLock::WriteNote(const std::string& note)
{
    if (!IsHeld() || !m_writable)
        return;
    const int fd = static_cast<int>(m_handle);
    if (::ftruncate(fd, 0) == 0) {
        const ssize_t n = ::pwrite(fd, note.data(), note.size(), 0);
        (void)n;  // the note only names the holder in a message
    }
}

void FileLock::Release()
{
    if (!IsHeld())
        return;
    // Removed while still held (see TryLock); a holder that is killed leaves
    // it behind, and the next one takes it over.
    if (m_writable)
        ::unlink(m_file.c_str());
    ::close(static_cast<int>(m_handle));  // gives the lock up
    m_handle = -1;
}

std::string FileLock::ReadNote(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string note;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char buffer[256];
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
        if (n > 0)
            note.assign(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return note;
}

#endif

}  // namespace vardel
