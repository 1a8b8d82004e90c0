// COXDIB: reading and writing the BMP file layout.

#include "images/DIB.h"

#include "base/FileOps.h"
#include "images/BmpHeader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

namespace vardel {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
// Largest header accepted from a file: the V5 header is 124 bytes; anything
// far beyond that is not a bitmap.
constexpr std::uint32_t kMaxFileHeaderSize = 1024;
// Pixels are read in pieces, so a header that lies about the size costs no
// more memory than the bytes that are really there.
constexpr std::size_t kReadChunk = 1 << 20;

bool ReadExact(std::istream& in, std::uint8_t* out, std::size_t count)
{
    in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
    return in.gcount() == static_cast<std::streamsize>(count);
}

// Bytes left in a seekable stream; nothing when the stream cannot tell.
std::optional<std::uint64_t> Remaining(std::istream& in)
{
    std::istream::pos_type here = in.tellg();
    if (here == std::istream::pos_type(-1)) {
        in.clear();
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    std::istream::pos_type end = in.tellg();
    in.clear();
    in.seekg(here);
    if (end == std::istream::pos_type(-1) || end < here || !in)
        return std::nullopt;
    return static_cast<std::uint64_t>(end - here);
}

}  // namespace

bool COXDIB::Read(const std::filesystem::path& fileName)
{
    // Read through a check of the file's type: a FIFO in a picture's place
    // would hang an open by name. No bitmap is larger than its pixels, its
    // headers and its colour table.
    std::vector<std::uint8_t> bytes;
    constexpr std::uint64_t kMaxFileSize = kMaxImageBytes + kFileHeaderSize + kMaxFileHeaderSize + 256 * 4;
    if (ReadWholeFile(fileName, bytes, kMaxFileSize))
        return false;
    std::istringstream in(std::string(bytes.begin(), bytes.end()), std::ios::binary);
    bytes = {};
    return Read(in);
}

bool COXDIB::Read(std::istream& in)
{
    try {
        std::uint8_t fileHeader[kFileHeaderSize];
        if (!ReadExact(in, fileHeader, kFileHeaderSize) || fileHeader[0] != 'B' || fileHeader[1] != 'M')
            return false;
        // The header: its size first, then the rest of it.
        std::vector<std::uint8_t> headerBytes(4);
        if (!ReadExact(in, headerBytes.data(), 4))
            return false;
        std::uint32_t headerSize = ByteReader(headerBytes).U32();
        if (headerSize < 12 || headerSize > kMaxFileHeaderSize)
            return false;
        headerBytes.resize(headerSize);
        if (!ReadExact(in, headerBytes.data() + 4, headerSize - 4))
            return false;
        ByteReader reader(headerBytes);
        bmp::Header h = bmp::ParseHeader(reader, kMaxFileHeaderSize);
        bmp::Extent extent;
        if (!bmp::CheckHeader(h, kMaxImageBytes, extent))
            return false;

        // Bit-field masks follow a 40-byte header; larger headers carry them inside.
        std::uint8_t masks[12] = {};
        const bool bitFields = h.compression == kCompressionBitFields;
        if (bitFields) {
            if (h.masksInHeader)
                std::memcpy(masks, h.masks.data(), 12);
            else if (!ReadExact(in, masks, 12))
                return false;
        }
        // Colour table; a core header's 3-byte entries become 4-byte entries.
        const std::size_t entrySize = h.IsCore() ? 3 : 4;
        std::vector<std::uint8_t> table(entrySize * extent.colourCount);
        if (!ReadExact(in, table.data(), table.size()))
            return false;

        std::optional<std::uint64_t> left = Remaining(in);
        if (left && *left < extent.imageBytes)
            return false;

        const std::size_t tableBytes = (bitFields ? 12 : 0) + 4 * std::size_t{extent.colourCount};
        const std::size_t bitsOffset = kInfoHeaderSize + tableBytes;
        std::vector<std::uint8_t> block;
        block.reserve(bitsOffset + static_cast<std::size_t>(left ? extent.imageBytes : 0));
        block.resize(bitsOffset);
        h.sizeImage = static_cast<std::uint32_t>(extent.imageBytes);
        if (h.IsCore())
            h.clrUsed = 0;  // 2^bits entries, as the core header implies
        bmp::PutInfoHeader(block.data(), h);
        std::uint8_t* out = block.data() + kInfoHeaderSize;
        if (bitFields) {
            std::memcpy(out, masks, 12);
            out += 12;
        }
        for (std::uint32_t i = 0; i < extent.colourCount; ++i, out += 4)
            std::memcpy(out, table.data() + entrySize * i, entrySize);

        std::uint64_t toRead = extent.imageBytes;
        while (toRead > 0) {
            std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(toRead, kReadChunk));
            std::size_t at = block.size();
            block.resize(at + piece);
            if (!ReadExact(in, block.data() + at, piece))
                return false;
            toRead -= piece;
        }
        m_block = std::move(block);
        return true;
    } catch (const ReadError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::ios_base::failure&) {
        return false;
    }
}

bool COXDIB::Write(const std::filesystem::path& fileName) const
{
    if (GetHeaderSize() != kInfoHeaderSize)
        return false;
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    if (!Write(out))
        return false;
    out.close();
    return !out.fail();
}

bool COXDIB::Write(std::ostream& out) const
{
    Layout l;
    if (!GetLayout(l) || l.header.size != kInfoHeaderSize)
        return false;
    bmp::Header h = l.header;
    std::uint64_t image = h.sizeImage;
    if (h.compression != kCompressionRLE8 && h.compression != kCompressionRLE4)
        image = (std::uint64_t{h.bits} * static_cast<std::uint64_t>(h.width) + 31) / 32 * 4 *
                static_cast<std::uint64_t>(h.height);
    else if (image == 0)
        image = l.extent.imageBytes;
    if (l.bitsOffset + image > m_block.size())
        return false;
    h.sizeImage = static_cast<std::uint32_t>(image);
    const std::uint32_t tableBytes = static_cast<std::uint32_t>(l.bitsOffset - kInfoHeaderSize);
    const std::uint32_t dataOffset = static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + tableBytes);
    std::uint8_t head[kFileHeaderSize + kInfoHeaderSize] = {'B', 'M'};
    bmp::PutU32(head + 2, static_cast<std::uint32_t>(dataOffset + image));
    bmp::PutU32(head + 10, dataOffset);
    bmp::PutInfoHeader(head + kFileHeaderSize, h);
    try {
        out.write(reinterpret_cast<const char*>(head), sizeof head);
        out.write(reinterpret_cast<const char*>(m_block.data() + kInfoHeaderSize),
                  static_cast<std::streamsize>(tableBytes + image));
        out.flush();
    } catch (const std::ios_base::failure&) {
        return false;
    }
    return static_cast<bool>(out);
}

}  // namespace vardel
