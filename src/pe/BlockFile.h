#pragma once
// A read-only file stream that keeps one block of the file in memory, so that
// the many small reads and seeks of the resource reader and the repeated
// pattern searches over the same bytes cost one system call per block, not
// one per read. A block holds up to 64 KB: a small plug-in file is read once.

#include "base/FileOps.h"

#include <cstdint>
#include <memory>
#include <span>
#include <streambuf>
#include <string>
#include <vector>

namespace vardel {

class BlockFile : public std::streambuf {
public:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    // blockSize: bytes read per system call (at least 1).
    explicit BlockFile(std::size_t blockSize = kBlockSize)
        : m_blockSize(blockSize ? blockSize : 1)
    {}
    ~BlockFile() override;
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    // Opens the file for reading and takes its size. False (errno set) when
    // it cannot be opened or is not a regular file.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    std::uint64_t Size() const { return m_size; }

    // The status of the open file as Open found it (before anything was
    // read, so its access time may be older than a query after reading
    // would give); empty when closed.
    const OpenFileStat& StatAtOpen() const { return m_stat; }

    // A view of count bytes at offset straight out of the block, reading the
    // block from offset first when it does not hold them. False when count
    // is larger than a block or the file ends before offset + count; the
    // caller then reads through the stream. The view stays valid until the
    // next read, seek out of the block, Peek(), Contents() or Close(). Leaves
    // the stream positioned at offset. Read errors are raised as
    // std::ios_base::failure.
    bool Peek(std::uint64_t offset, std::size_t count, std::span<const std::uint8_t>& bytes);

    // Reads count bytes at offset (at most a block; fewer at the end of the
    // file) into the block and positions the stream at offset: one read of
    // just the bytes the caller is about to look at, where a whole block
    // would copy more than it needs. Reads outside them read blocks as
    // always. False (the stream positioned at offset, nothing held) when
    // the read fails; the stream's next read then tries again.
    bool Load(std::uint64_t offset, std::size_t count);

    // The whole file in memory, for searching it without a read per search:
    // read now unless the block already holds it (a file of up to one block
    // that was read from its start costs nothing more). False when the file
    // is not open or larger than maxSize. A file that shrank since it was
    // opened gives the bytes it still has. Read errors are raised as
    // std::ios_base::failure.
    bool Contents(std::uint64_t maxSize, std::span<const std::uint8_t>& bytes);

protected:
    int_type underflow() override;
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

private:
    std::uint64_t Position() const;

    std::size_t m_blockSize;
    int m_fd = -1;
    std::uint64_t m_size = 0;
    OpenFileStat m_stat;
    std::unique_ptr<char[]> m_block;
    std::uint64_t m_blockStart = 0;     // file offset of the block's first byte
    std::vector<std::uint8_t> m_whole;  // the file, when larger than a block and asked for whole
    bool m_haveWhole = false;
};

}  // namespace vardel
