#pragma once
// COXDIB: a packed device-independent bitmap (info header, colour table,
// pixel rows) in one memory block. Every image of the program passes through
// it: stored preview images, Filter Factory sample images, clipboard and
// captured bitmaps. 24-bit pixels are stored blue, green, red; rows are
// stored bottom-up and padded to a multiple of 4 bytes.
//
// The block may start with a 40-byte BITMAPINFOHEADER or the older 12-byte
// BITMAPCOREHEADER (as the clipboard may hand it over); reading a BMP file
// always yields a 40-byte header.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <vector>

namespace vardel {

class COXDIB {
public:
    // Header sizes of the two accepted layouts.
    static constexpr std::uint32_t kInfoHeaderSize = 40;
    static constexpr std::uint32_t kCoreHeaderSize = 12;
    // Compression values of the info header.
    static constexpr std::uint32_t kCompressionRGB = 0;
    static constexpr std::uint32_t kCompressionRLE8 = 1;
    static constexpr std::uint32_t kCompressionRLE4 = 2;
    static constexpr std::uint32_t kCompressionBitFields = 3;
    // Largest pixel area accepted from a file or from packed memory (bytes).
    static constexpr std::uint64_t kMaxImageBytes = 512ull * 1024 * 1024;

    struct Size {
        int cx = 0;
        int cy = 0;
        friend bool operator==(const Size&, const Size&) = default;
    };

    COXDIB() = default;
    COXDIB(const COXDIB&) = default;
    COXDIB& operator=(const COXDIB&) = default;
    COXDIB(COXDIB&&) noexcept = default;
    COXDIB& operator=(COXDIB&&) noexcept = default;

    // True when the bitmap holds no block.
    bool IsEmpty() const { return m_block.empty(); }
    // Drops the block.
    void Empty() { m_block.clear(); }

    // (width, height); (0, 0) when empty.
    Size GetSize() const;
    int GetWidth() const { return GetSize().cx; }
    int GetHeight() const { return GetSize().cy; }
    // Bits per pixel; 0 when empty.
    int GetBitCount() const;
    // Bytes per stored row, padded to a multiple of 4; 0 when empty.
    int GetStride() const;
    // 40 or 12; 0 when empty.
    std::uint32_t GetHeaderSize() const;
    // The compression field (0 for a core header or an empty bitmap).
    std::uint32_t GetCompression() const;
    // Number of colour table entries (colours used, or 2^bits for 8 bits or fewer).
    int GetColourCount() const;
    // The colour table as 0x00RRGGBB values (the logical palette); empty when there is none.
    std::vector<std::uint32_t> GetColourTable() const;

    // Resolution fields of a 40-byte header in pixels per metre; (0, 0)
    // for a core header or an empty bitmap. Setting needs a 40-byte header.
    Size GetResolution() const;
    bool SetResolution(int xPelsPerMeter, int yPelsPerMeter);

    // Sets colour table entry index to 0x00RRGGBB; false outside the table.
    bool SetColour(int index, std::uint32_t rgb);

    // The pixel rows (bottom row first); null when empty.
    std::uint8_t* GetBits();
    const std::uint8_t* GetBits() const;
    // Offset of the pixel rows in the packed block.
    std::size_t GetBitsOffset() const;
    // Pointer to stored row r (0 = bottom row); null outside the bitmap.
    std::uint8_t* GetRow(int r);
    const std::uint8_t* GetRow(int r) const;
    // The whole packed block (header, colour table, pixels, any slack).
    std::span<const std::uint8_t> GetPacked() const { return m_block; }

    // Bytes per row of width pixels at bits per pixel, padded to 4 bytes; 0 for negative input.
    static std::int64_t Stride(std::int64_t width, int bits);

    // Replaces the content by a zero-filled bitmap: bits 0/1 -> 1, 2..4 -> 4,
    // 5..8 -> 8 (256 colours used), above 8 -> 24. Colour tables of 16 or more
    // entries get the 16 system colours, repeated. False (content unchanged)
    // for a width or height below 1 or an allocation that fails or is too large.
    bool Create(int bits, int width, int height);

    // Copies a packed bitmap (the clipboard's CF_DIB layout). False, content
    // unchanged, when the header is malformed or the data is shorter than the
    // header, colour table and pixels it announces.
    bool CreateFromPacked(std::span<const std::uint8_t> packed);

    // Reads a BMP file / stream ("BM" file header, info or core header, colour
    // table, pixels read right after the table; the header's data offset is not
    // used). False, content unchanged, for a malformed, absurd or short file.
    bool Read(const std::filesystem::path& fileName);
    bool Read(std::istream& in);

    // Writes the bitmap as a BMP file / stream. Only bitmaps with a 40-byte
    // header are written; false for others, for an empty bitmap and on write errors.
    bool Write(const std::filesystem::path& fileName) const;
    bool Write(std::ostream& out) const;

    // Copy from another bitmap.
    void Copy(const COXDIB& other) { *this = other; }

    // Nearest-neighbour resize in place using RepeatCounts for columns and
    // rows. Needs whole-byte pixels (8 bits or more). False, content
    // unchanged, when empty, for sizes below 1 or when allocation fails.
    bool Resize(int width, int height);

    // How often each of oldCount source columns (rows) is repeated to make
    // newCount: a rounded distribution; 0 drops the column.
    static std::vector<int> RepeatCounts(int oldCount, int newCount);

    // Fills a bitmap of 24 bits or more with a checkerboard: pixel (x, row)
    // takes colourA when (x mod period < period/2) equals (row mod period <
    // period/2), else colourB; rows counted as stored. Colours are 0x00BBGGRR
    // (red in the low byte). False when nothing was filled.
    bool FillCheckerboard(std::uint32_t colourA, std::uint32_t colourB, int period);

    // Fills this 24-bit bitmap from source (24 bits or more) by bilinear
    // resampling; the second sample is taken half a destination pixel on.
    // Equal sizes copy the pixels. False, nothing changed, when this is empty
    // or not 24-bit, or the source has fewer than 24 bits.
    bool ResampleFrom(const COXDIB& source);

    // The packed bitmap for the clipboard: header, colour table and pixels
    // (without the block's slack); empty when the bitmap is empty.
    std::vector<std::uint8_t> MakePackedCopy() const;

private:
    struct Layout;
    bool GetLayout(Layout& layout) const;

    std::vector<std::uint8_t> m_block;
};

}  // namespace vardel
