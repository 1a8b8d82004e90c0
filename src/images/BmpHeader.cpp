#include "images/BmpHeader.h"

#include <algorithm>

namespace vardel::bmp {

Header ParseHeader(ByteReader& reader, std::uint32_t maxHeaderSize)
{
    Header h;
    h.size = reader.U32();
    if (h.size == 12) {
        h.width = reader.U16();
        h.height = reader.U16();
        h.planes = reader.U16();
        h.bits = reader.U16();
        return h;
    }
    // Headers between the two layouts (OS/2 variants of 16 to 39 bytes) would
    // make us read pixels as header fields; they are refused.
    if (h.size < 40 || h.size > maxHeaderSize)
        throw ReadError("unsupported bitmap header size");
    h.width = reader.I32();
    h.height = reader.I32();
    h.planes = reader.U16();
    h.bits = reader.U16();
    h.compression = reader.U32();
    h.sizeImage = reader.U32();
    h.xPelsPerMeter = reader.I32();
    h.yPelsPerMeter = reader.I32();
    h.clrUsed = reader.U32();
    h.clrImportant = reader.U32();
    std::uint32_t extension = h.size - 40;
    if (extension >= 12) {
        auto masks = reader.Bytes(12);
        std::copy(masks.begin(), masks.end(), h.masks.begin());
        h.masksInHeader = true;
        extension -= 12;
    }
    reader.Skip(extension);
    return h;
}

bool CheckHeader(const Header& h, std::uint64_t maxImageBytes, Extent& extent)
{
    if (h.width <= 0 || h.height <= 0)
        return false;
    // clang-format off
    switch (h.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
    }
    // clang-format on
    switch (h.compression) {
    case 0: break;
    case 1:
        if (h.bits != 8)
            return false;
        break;
    case 2:
        if (h.bits != 4)
            return false;
        break;
    case 3:
        if (h.bits != 16 && h.bits != 32)
            return false;
        break;
    default: return false;
    }
    std::uint64_t colours = h.clrUsed;
    if (h.IsCore() || (colours == 0 && h.bits <= 8))
        colours = h.bits <= 8 ? (1u << h.bits) : 0;
    if (colours > 256)
        return false;
    // width < 2^31 and bits <= 32: the row size fits easily in 64 bits; the
    // area is checked by division so that it cannot overflow.
    std::uint64_t stride = (static_cast<std::uint64_t>(h.width) * h.bits + 31) / 32 * 4;
    std::uint64_t height = static_cast<std::uint64_t>(h.height);
    if (stride > maxImageBytes / height)
        return false;
    std::uint64_t computed = stride * height;
    std::uint64_t image = computed;
    if (h.compression == 1 || h.compression == 2) {
        // Run-length data: the stored size is the data's size.
        if (h.sizeImage != 0)
            image = h.sizeImage;
        if (image > maxImageBytes)
            return false;
    }
    extent.colourCount = static_cast<std::uint32_t>(colours);
    extent.stride = stride;
    extent.imageBytes = image;
    return true;
}

void PutU16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutInfoHeader(std::uint8_t* out, const Header& h)
{
    PutU32(out, 40);
    PutU32(out + 4, static_cast<std::uint32_t>(h.width));
    PutU32(out + 8, static_cast<std::uint32_t>(h.height));
    PutU16(out + 12, h.planes);
    PutU16(out + 14, h.bits);
    PutU32(out + 16, h.compression);
    PutU32(out + 20, h.sizeImage);
    PutU32(out + 24, static_cast<std::uint32_t>(h.xPelsPerMeter));
    PutU32(out + 28, static_cast<std::uint32_t>(h.yPelsPerMeter));
    PutU32(out + 32, h.clrUsed);
    PutU32(out + 36, h.clrImportant);
}

}  // namespace vardel::bmp
