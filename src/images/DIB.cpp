#include "images/DIB.h"

#include "images/BmpHeader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

namespace vardel {

namespace {

// The 16 standard system colours as colour table entries (blue, green, red, 0).
constexpr std::array<std::array<std::uint8_t, 4>, 16> kSystemColours = {{
    {0x00, 0x00, 0x00, 0},
    {0x00, 0x00, 0x80, 0},
    {0x00, 0x80, 0x00, 0},
    {0x00, 0x80, 0x80, 0},
    {0x80, 0x00, 0x00, 0},
    {0x80, 0x00, 0x80, 0},
    {0x80, 0x80, 0x00, 0},
    {0xC0, 0xC0, 0xC0, 0},
    {0x80, 0x80, 0x80, 0},
    {0x00, 0x00, 0xFF, 0},
    {0x00, 0xFF, 0x00, 0},
    {0x00, 0xFF, 0xFF, 0},
    {0xFF, 0x00, 0x00, 0},
    {0xFF, 0x00, 0xFF, 0},
    {0xFF, 0xFF, 0x00, 0},
    {0xFF, 0xFF, 0xFF, 0},
}};

// Room for a 40-byte header and 256 colour entries, added to every new block.
constexpr std::size_t kCreateSlack = 1064;

}  // namespace

bool COXDIB::GetLayout(Layout& layout) const
{
    if (m_block.empty())
        return false;
    try {
        ByteReader reader(m_block);
        layout.header = bmp::ParseHeader(reader, kInfoHeaderSize);
        if (!bmp::CheckHeader(layout.header, kMaxImageBytes, layout.extent))
            return false;
    } catch (const ReadError&) {
        return false;
    }
    layout.entrySize = layout.header.IsCore() ? 3 : 4;
    layout.tableOffset = layout.header.size;
    if (layout.header.compression == kCompressionBitFields)
        layout.tableOffset += 12;
    layout.bitsOffset = layout.tableOffset + layout.entrySize * layout.extent.colourCount;
    if (layout.bitsOffset + layout.extent.imageBytes > m_block.size())
        return false;
    return true;
}

COXDIB::Size COXDIB::GetSize() const
{
    Layout l;
    if (!GetLayout(l))
        return {};
    return {l.header.width, l.header.height};
}

int COXDIB::GetBitCount() const
{
    Layout l;
    return GetLayout(l) ? l.header.bits : 0;
}

int COXDIB::GetStride() const
{
    Layout l;
    return GetLayout(l) ? static_cast<int>(l.extent.stride) : 0;
}

std::uint32_t COXDIB::GetHeaderSize() const
{
    Layout l;
    return GetLayout(l) ? l.header.size : 0;
}

std::uint32_t COXDIB::GetCompression() const
{
    Layout l;
    return GetLayout(l) ? l.header.compression : 0;
}

int COXDIB::GetColourCount() const
{
    Layout l;
    return GetLayout(l) ? static_cast<int>(l.extent.colourCount) : 0;
}

std::vector<std::uint32_t> COXDIB::GetColourTable() const
{
    std::vector<std::uint32_t> table;
    Layout l;
    if (!GetLayout(l))
        return table;
    for (std::uint32_t i = 0; i < l.extent.colourCount; ++i) {
        const std::uint8_t* e = m_block.data() + l.tableOffset + i * l.entrySize;
        table.push_back((std::uint32_t{e[2]} << 16) | (std::uint32_t{e[1]} << 8) | e[0]);
    }
    return table;
}

COXDIB::Size COXDIB::GetResolution() const
{
    Layout l;
    if (!GetLayout(l) || l.header.IsCore())
        return {};
    return {l.header.xPelsPerMeter, l.header.yPelsPerMeter};
}

bool COXDIB::SetResolution(int xPelsPerMeter, int yPelsPerMeter)
{
    if (GetHeaderSize() != kInfoHeaderSize)
        return false;
    bmp::PutU32(m_block.data() + 24, static_cast<std::uint32_t>(xPelsPerMeter));
    bmp::PutU32(m_block.data() + 28, static_cast<std::uint32_t>(yPelsPerMeter));
    return true;
}

bool COXDIB::SetColour(int index, std::uint32_t rgb)
{
    Layout l;
    if (!GetLayout(l) || index < 0 || static_cast<std::uint32_t>(index) >= l.extent.colourCount)
        return false;
    std::uint8_t* e = m_block.data() + l.tableOffset + static_cast<std::size_t>(index) * l.entrySize;
    e[0] = static_cast<std::uint8_t>(rgb);
    e[1] = static_cast<std::uint8_t>(rgb >> 8);
    e[2] = static_cast<std::uint8_t>(rgb >> 16);
    return true;
}

std::size_t COXDIB::GetBitsOffset() const
{
    Layout l;
    return GetLayout(l) ? l.bitsOffset : 0;
}

std::uint8_t* COXDIB::GetBits()
{
    Layout l;
    return GetLayout(l) ? m_block.data() + l.bitsOffset : nullptr;
}

const std::uint8_t* COXDIB::GetBits() const
{
    Layout l;
    return GetLayout(l) ? m_block.data() + l.bitsOffset : nullptr;
}

std::uint8_t* COXDIB::GetRow(int r)
{
    return const_cast<std::uint8_t*>(std::as_const(*this).GetRow(r));
}

const std::uint8_t* COXDIB::GetRow(int r) const
{
    Layout l;
    if (!GetLayout(l) || l.header.compression == kCompressionRLE8 || l.header.compression == kCompressionRLE4 ||
        r < 0 || r >= l.header.height)
        return nullptr;
    return m_block.data() + l.bitsOffset + static_cast<std::size_t>(r) * l.extent.stride;
}

std::int64_t COXDIB::Stride(std::int64_t width, int bits)
{
    if (width < 0 || bits < 0)
        return 0;
    // Whole bits rounded up to 32-bit units: the same as (width x bits / 8 + 3)
    // rounded down to a multiple of 4 for whole-byte pixels, and right for
    // 1- and 4-bit rows whose last byte is only partly used.
    return (width * bits + 31) / 32 * 4;
}

bool COXDIB::Create(int bits, int width, int height)
{
    if (width < 1 || height < 1)
        return false;
    int b = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24;
    bmp::Header h;
    h.size = kInfoHeaderSize;
    h.width = width;
    h.height = height;
    h.bits = static_cast<std::uint16_t>(b);
    h.clrUsed = b == 8 ? 256 : 0;
    bmp::Extent extent;
    if (!bmp::CheckHeader(h, kMaxImageBytes, extent))
        return false;
    h.sizeImage = static_cast<std::uint32_t>(extent.imageBytes);
    std::vector<std::uint8_t> block;
    try {
        block.assign(static_cast<std::size_t>(extent.imageBytes) + kCreateSlack, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    bmp::PutInfoHeader(block.data(), h);
    if (extent.colourCount >= 16) {
        for (std::uint32_t i = 0; i < extent.colourCount; ++i)
            std::memcpy(block.data() + kInfoHeaderSize + 4 * i, kSystemColours[i % 16].data(), 4);
    }
    m_block = std::move(block);
    return true;
}

bool COXDIB::CreateFromPacked(std::span<const std::uint8_t> packed)
{
    Layout l;
    try {
        ByteReader reader(packed);
        l.header = bmp::ParseHeader(reader, kInfoHeaderSize);
    } catch (const ReadError&) {
        return false;
    }
    if (!bmp::CheckHeader(l.header, kMaxImageBytes, l.extent))
        return false;
    std::size_t table = (l.header.IsCore() ? 3 : 4) * std::size_t{l.extent.colourCount};
    if (l.header.compression == kCompressionBitFields)
        table += 12;
    std::uint64_t needed = l.header.size + table + l.extent.imageBytes;
    if (needed > packed.size())
        return false;
    try {
        m_block.assign(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(needed));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::vector<std::uint8_t> COXDIB::MakePackedCopy() const
{
    Layout l;
    if (!GetLayout(l))
        return {};
    auto end = m_block.begin() + static_cast<std::ptrdiff_t>(l.bitsOffset + l.extent.imageBytes);
    return std::vector<std::uint8_t>(m_block.begin(), end);
}

std::vector<int> COXDIB::RepeatCounts(int oldCount, int newCount)
{
    std::vector<int> repeat(static_cast<std::size_t>(std::max(oldCount, 0)), 0);
    const std::int64_t n = oldCount;
    std::int64_t acc = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        acc += 2 * (std::int64_t{newCount} - n);
        std::int64_t s = acc <= 0 ? -1 : 1;
        std::int64_t d = (acc + s * n) / (2 * n);  // truncates toward zero
        repeat[static_cast<std::size_t>(i)] = static_cast<int>(d + 1);
        if (d != 0)
            acc -= 2 * n * d;
    }
    return repeat;
}

bool COXDIB::Resize(int width, int height)
{
    Layout l;
    if (!GetLayout(l) || width < 1 || height < 1 || l.header.bits < 8 || l.header.compression == kCompressionRLE8 ||
        l.header.compression == kCompressionRLE4)
        return false;
    if (l.header.IsCore() && (width > 0xFFFF || height > 0xFFFF))
        return false;
    bmp::Header nh = l.header;
    nh.width = width;
    nh.height = height;
    bmp::Extent ne;
    if (!bmp::CheckHeader(nh, kMaxImageBytes, ne))
        return false;
    const std::vector<int> columns = RepeatCounts(l.header.width, width);
    const std::vector<int> rows = RepeatCounts(l.header.height, height);
    std::vector<std::uint8_t> block;
    try {
        block.assign(l.bitsOffset + static_cast<std::size_t>(ne.imageBytes), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memcpy(block.data(), m_block.data(), l.bitsOffset);
    if (nh.IsCore()) {
        bmp::PutU16(block.data() + 4, static_cast<std::uint16_t>(width));
        bmp::PutU16(block.data() + 6, static_cast<std::uint16_t>(height));
    } else {
        bmp::PutU32(block.data() + 4, static_cast<std::uint32_t>(width));
        bmp::PutU32(block.data() + 8, static_cast<std::uint32_t>(height));
        bmp::PutU32(block.data() + 20, static_cast<std::uint32_t>(ne.imageBytes));
    }
    const std::size_t bpp = l.header.bits / 8;
    const std::uint8_t* src = m_block.data() + l.bitsOffset;
    std::uint8_t* dst = block.data() + l.bitsOffset;
    // Distributions always sum to the new count, so rows and columns fit exactly.
    std::size_t outRow = 0;
    for (int r = 0; r < l.header.height; ++r) {
        if (rows[static_cast<std::size_t>(r)] == 0)
            continue;
        std::uint8_t* first = dst + outRow * ne.stride;
        const std::uint8_t* in = src + static_cast<std::size_t>(r) * l.extent.stride;
        std::uint8_t* out = first;
        for (int c = 0; c < l.header.width; ++c, in += bpp)
            for (int k = 0; k < columns[static_cast<std::size_t>(c)]; ++k, out += bpp)
                std::memcpy(out, in, bpp);
        ++outRow;
        for (int k = 1; k < rows[static_cast<std::size_t>(r)]; ++k, ++outRow)
            std::memcpy(dst + outRow * ne.stride, first, static_cast<std::size_t>(ne.stride));
    }
    m_block = std::move(block);
    return true;
}

bool COXDIB::FillCheckerboard(std::uint32_t colourA, std::uint32_t colourB, int period)
{
    Layout l;
    if (!GetLayout(l) || period < 1 || l.header.bits < 24 || l.header.compression != kCompressionRGB)
        return false;
    const std::uint8_t a[3] = {static_cast<std::uint8_t>(colourA >> 16), static_cast<std::uint8_t>(colourA >> 8),
                               static_cast<std::uint8_t>(colourA)};
    const std::uint8_t b[3] = {static_cast<std::uint8_t>(colourB >> 16), static_cast<std::uint8_t>(colourB >> 8),
                               static_cast<std::uint8_t>(colourB)};
    const std::size_t bpp = l.header.bits / 8;
    const int half = period / 2;
    for (int row = 0; row < l.header.height; ++row) {
        std::uint8_t* p = m_block.data() + l.bitsOffset + static_cast<std::size_t>(row) * l.extent.stride;
        const bool rowLow = row % period < half;
        for (int x = 0; x < l.header.width; ++x, p += bpp)
            std::memcpy(p, ((x % period < half) == rowLow) ? a : b, 3);
    }
    return true;
}

bool COXDIB::ResampleFrom(const COXDIB& source)
{
    Layout d, s;
    if (!GetLayout(d) || !source.GetLayout(s) || d.header.bits != 24 || s.header.bits < 24 ||
        d.header.compression != kCompressionRGB || s.header.compression == kCompressionRLE8 ||
        s.header.compression == kCompressionRLE4)
        return false;
    const int dw = d.header.width, dh = d.header.height;
    const int sw = s.header.width, sh = s.header.height;
    const std::size_t sbpp = s.header.bits / 8;
    const std::uint8_t* src = source.m_block.data() + s.bitsOffset;
    std::uint8_t* dst = m_block.data() + d.bitsOffset;
    // Rows counted from the top, as the caller sees the picture.
    auto sample = [&](int row, int col) {
        return src + static_cast<std::size_t>(sh - 1 - row) * s.extent.stride + static_cast<std::size_t>(col) * sbpp;
    };
    if (dw == sw && dh == sh) {
        for (int y = 0; y < dh; ++y) {
            std::uint8_t* out = dst + static_cast<std::size_t>(dh - 1 - y) * d.extent.stride;
            if (sbpp == 3) {
                std::memcpy(out, sample(y, 0), static_cast<std::size_t>(dw) * 3);
                continue;
            }
            for (int x = 0; x < dw; ++x)
                std::memcpy(out + 3 * static_cast<std::size_t>(x), sample(y, x), 3);
        }
        return true;
    }
    const double sx = static_cast<double>(dw) / sw;
    const double sy = static_cast<double>(dh) / sh;
    for (int y = 0; y < dh; ++y) {
        const double fyAll = y / sy;
        const int r1 = std::min(static_cast<int>(fyAll), sh - 1);
        const int r2 = std::min(static_cast<int>((y + 0.5) / sy), sh - 1);
        const double fy = fyAll - static_cast<int>(fyAll);
        std::uint8_t* out = dst + static_cast<std::size_t>(dh - 1 - y) * d.extent.stride;
        for (int x = 0; x < dw; ++x, out += 3) {
            const double fxAll = x / sx;
            const int c1 = std::min(static_cast<int>(fxAll), sw - 1);
            const int c2 = std::min(static_cast<int>((x + 0.5) / sx), sw - 1);
            const double fx = fxAll - static_cast<int>(fxAll);
            const std::uint8_t* p11 = sample(r1, c1);
            const std::uint8_t* p12 = sample(r1, c2);
            const std::uint8_t* p21 = sample(r2, c1);
            const std::uint8_t* p22 = sample(r2, c2);
            for (int ch = 0; ch < 3; ++ch) {
                double v = (1 - fy) * ((1 - fx) * p11[ch] + fx * p12[ch]) + fy * ((1 - fx) * p21[ch] + fx * p22[ch]);
                out[ch] = static_cast<std::uint8_t>(v);
            }
        }
    }
    return true;
}

}  // namespace vardel
