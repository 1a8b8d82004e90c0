#include "modify/PluginFile.h"

#include "base/FileOps.h"
#include "catalogue/PluginEntry.h"

#include <cerrno>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vardel {

CPluginFile::~CPluginFile()
{
    Close();
}

bool CPluginFile::OpenForWriting(const std::string& path)
{
    Close();
    if (IsWriteProtected(path))
        return false;
    const std::filesystem::path native = NativePath(path);
#if defined(_WIN32)
    // Deny other writers, let readers in: the share mode of the original.
    int fd = -1;
    if (_wsopen_s(&fd, native.c_str(), _O_RDWR | _O_BINARY, _SH_DENYWR, _S_IREAD | _S_IWRITE) != 0)
        return false;
    m_fd = fd;
#else
    // O_NONBLOCK: nothing but a regular file is written, and a FIFO is
    // never waited on.
    int fd = ::open(native.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
#endif
    return true;
}

bool CPluginFile::OpenForReading(const std::string& path)
{
    Close();
    const std::filesystem::path native = NativePath(path);
#if defined(_WIN32)
    int fd = -1;
    if (_wsopen_s(&fd, native.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO, _S_IREAD) != 0)
        return false;
#else
    int fd = OpenRegularFileForReading(native);
    if (fd < 0)
        return false;
#endif
    m_fd = fd;
    return true;
}

void CPluginFile::Close()
{
    if (m_fd < 0)
        return;
#if defined(_WIN32)
    _close(m_fd);
#else
    ::close(m_fd);  // also drops the lock
#endif
    m_fd = -1;
}

bool CPluginFile::ReadAt(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    out.assign(count, 0);
    if (m_fd < 0)
        return false;
    std::size_t got = 0;
    while (got < count) {
#if defined(_WIN32)
        if (_lseeki64(m_fd, static_cast<__int64>(offset + got), SEEK_SET) < 0)
            return false;
        int n = _read(m_fd, out.data() + got, static_cast<unsigned>(count - got));
#else
        ssize_t n = ::pread(m_fd, out.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
#endif
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

bool CPluginFile::RawWrite(std::uint64_t offset, const std::vector<std::uint8_t>& bytes, std::size_t& written)
{
    written = 0;
#if defined(_WIN32)
    if (_lseeki64(m_fd, static_cast<__int64>(offset), SEEK_SET) < 0)
        return false;
    int n = _write(m_fd, bytes.data(), static_cast<unsigned>(bytes.size()));
    if (n > 0)
        written = static_cast<std::size_t>(n);
    return n >= 0 && written == bytes.size() && _commit(m_fd) == 0;
#else
    ssize_t n;
    do {
        n = ::pwrite(m_fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    if (n > 0)
        written = static_cast<std::size_t>(n);
    return n >= 0 && written == bytes.size() && ::fsync(m_fd) == 0;
#endif
}

bool CPluginFile::WriteAt(std::uint64_t offset, const std::vector<std::uint8_t>& bytes)
{
    if (m_fd < 0)
        return false;
    if (bytes.empty())
        return true;
    std::vector<std::uint8_t> before;
    if (!ReadAt(offset, bytes.size(), before) || before.size() != bytes.size())
        return false;  // the write would grow the file: never
    std::size_t written = 0;
    if (RawWrite(offset, bytes, written))
        return true;
    if (written > 0) {
        // Cut short: put back what was there, so the file stays whole.
        std::vector<std::uint8_t> undo(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(written));
        std::size_t ignored = 0;
        RawWrite(offset, undo, ignored);
    }
    return false;
}

bool CPluginFile::IsWriteProtected(const std::string& path)
{
    // The same rule as the file status that the views show.
    FileStatus status;
    if (!FileStatus::Get(path, status))
        return false;  // the open reports a missing file
    return (status.attributes & FileStatus::kAttrReadOnly) != 0;
}

}  // namespace vardel
