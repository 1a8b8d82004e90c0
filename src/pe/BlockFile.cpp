#include "pe/BlockFile.h"

#include "base/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#if defined(_WIN32)
#include <io.h>
#ifndef S_ISREG
#define S_ISREG(mode) (((mode)&_S_IFMT) == _S_IFREG)
#endif
#else
#include <unistd.h>
#endif

namespace vardel {

namespace {

// Reads up to count bytes at offset; -1 on a read error.
long long ReadAt(int fd, char* buffer, std::size_t count, std::uint64_t offset)
{
#if defined(_WIN32)
    if (_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0)
        return -1;
    return _read(fd, buffer, static_cast<unsigned>(count));
#else
    for (;;) {
        ssize_t n = ::pread(fd, buffer, count, static_cast<off_t>(offset));
        if (n >= 0 || errno != EINTR)
            return n;
    }
#endif
}

// One spare block per thread: a scan opens thousands of files one after the
// other, and a block of the default size is then allocated once, not per file.
thread_local std::unique_ptr<char[]> t_spareBlock;

}  // namespace

BlockFile::~BlockFile()
{
    Close();
    if (m_block && m_blockSize == kBlockSize && !t_spareBlock)
        t_spareBlock = std::move(m_block);
}

bool BlockFile::Open(const std::string& path)
{
    Close();
    // Never waits on a FIFO; anything but a regular file fails with EISDIR,
    // as Windows refuses to open a directory as a file.
    // The check for a regular file's fstat also gives the size and status.
    OpenFileStat stat;
    int fd = OpenRegularFileForReading(path, &stat);
    if (fd < 0)
        return false;
    m_fd = fd;
    m_size = stat.size;
    m_stat = stat;
    if (!m_block) {
        if (m_blockSize == kBlockSize && t_spareBlock)
            m_block = std::move(t_spareBlock);
        else
            m_block.reset(new char[m_blockSize]);
    }
    m_blockStart = 0;
    setg(m_block.get(), m_block.get(), m_block.get());
    return true;
}

void BlockFile::Close()
{
    if (m_fd >= 0) {
#if defined(_WIN32)
        _close(m_fd);
#else
        ::close(m_fd);
#endif
    }
    m_fd = -1;
    m_size = 0;
    m_stat = {};
    m_blockStart = 0;
    m_whole.clear();
    m_whole.shrink_to_fit();
    m_haveWhole = false;
    setg(nullptr, nullptr, nullptr);
}

namespace {

// Reads up to count bytes from offset on, as many calls as needed; the
// number read (less at the end of the file). Throws on a read error.
std::size_t ReadFully(int fd, char* buffer, std::size_t count, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < count) {
        long long n = ReadAt(fd, buffer + done, count - done, offset + done);
        if (n < 0)
            throw std::ios_base::failure("cannot read the file");
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace

bool BlockFile::Contents(std::uint64_t maxSize, std::span<const std::uint8_t>& bytes)
{
    if (m_fd < 0 || m_size > maxSize)
        return false;
    if (m_haveWhole) {
        bytes = std::span<const std::uint8_t>(m_whole);
        return true;
    }
    const auto size = static_cast<std::size_t>(m_size);
    const auto loaded = static_cast<std::size_t>(egptr() - eback());
    if (size <= m_blockSize) {
        if (m_blockStart != 0 || loaded < size) {
            // Load the block from the start, keeping the stream's position.
            const std::uint64_t pos = Position();
            const std::size_t n = ReadFully(m_fd, m_block.get(), size, 0);
            m_blockStart = 0;
            setg(m_block.get(), m_block.get() + std::min<std::uint64_t>(pos, n), m_block.get() + n);
            if (pos > n) {
                m_blockStart = pos;
                setg(m_block.get(), m_block.get(), m_block.get());
            }
            bytes = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(m_block.get()), n);
            return true;
        }
        bytes = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(m_block.get()), loaded);
        return true;
    }
    m_whole.resize(size);
    m_whole.resize(ReadFully(m_fd, reinterpret_cast<char*>(m_whole.data()), size, 0));
    m_haveWhole = true;
    bytes = std::span<const std::uint8_t>(m_whole);
    return true;
}

bool BlockFile::Peek(std::uint64_t offset, std::size_t count, std::span<const std::uint8_t>& bytes)
{
    if (m_fd < 0 || count > m_blockSize || offset > m_size || count > m_size - offset)
        return false;
    const auto loaded = static_cast<std::uint64_t>(egptr() - eback());
    const bool held =
        offset >= m_blockStart && offset - m_blockStart <= loaded && count <= loaded - (offset - m_blockStart);
    if (!held) {
        // One read, as underflow() makes it: a short one leaves the rest to the stream.
        const long long n = ReadAt(m_fd, m_block.get(), m_blockSize, offset);
        if (n < 0)
            throw std::ios_base::failure("cannot read the file");
        m_blockStart = offset;
        setg(m_block.get(), m_block.get(), m_block.get() + n);
        if (static_cast<std::uint64_t>(n) < count)
            return false;
    }
    char* const at = eback() + (offset - m_blockStart);
    setg(eback(), at, egptr());
    bytes = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(at), count);
    return true;
}

bool BlockFile::Load(std::uint64_t offset, std::size_t count)
{
    if (m_fd < 0)
        return false;
    m_blockStart = offset;
    setg(m_block.get(), m_block.get(), m_block.get());
    if (offset >= m_size)
        return true;  // nothing there to read
    const long long n = ReadAt(m_fd, m_block.get(), std::min(count, m_blockSize), offset);
    if (n < 0)
        return false;
    setg(m_block.get(), m_block.get(), m_block.get() + n);
    return true;
}

std::uint64_t BlockFile::Position() const
{
    return m_blockStart + static_cast<std::uint64_t>(gptr() - eback());
}

BlockFile::int_type BlockFile::underflow()
{
    if (m_fd < 0)
        return traits_type::eof();
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    const std::uint64_t pos = Position();
    if (pos >= m_size)
        return traits_type::eof();
    long long n = ReadAt(m_fd, m_block.get(), m_blockSize, pos);
    if (n < 0)
        throw std::ios_base::failure("cannot read the file");
    m_blockStart = pos;
    setg(m_block.get(), m_block.get(), m_block.get() + n);
    if (n == 0)
        return traits_type::eof();
    return traits_type::to_int_type(*gptr());
}

BlockFile::pos_type BlockFile::seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which)
{
    long long base = 0;
    if (dir == std::ios_base::cur)
        base = static_cast<long long>(Position());
    else if (dir == std::ios_base::end)
        base = static_cast<long long>(m_size);
    return seekpos(pos_type(base + off), which);
}

BlockFile::pos_type BlockFile::seekpos(pos_type pos, std::ios_base::openmode which)
{
    const long long target = static_cast<long long>(pos);
    if (m_fd < 0 || !(which & std::ios_base::in) || target < 0)
        return pos_type(off_type(-1));
    const auto t = static_cast<std::uint64_t>(target);
    const auto loaded = static_cast<std::uint64_t>(egptr() - eback());
    if (t >= m_blockStart && t <= m_blockStart + loaded) {
        // Inside the block in memory: no system call.
        setg(eback(), eback() + (t - m_blockStart), egptr());
    } else {
        m_blockStart = t;
        setg(m_block.get(), m_block.get(), m_block.get());
    }
    return pos;
}

}  // namespace vardel
