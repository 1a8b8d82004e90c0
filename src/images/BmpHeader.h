#pragma once
// The info header of a device-independent bitmap as parsed from hostile
// bytes (a BMP file or a clipboard block), with the checks every reader
// applies before it allocates anything. Internal to the bitmap code.

#include "base/ByteReader.h"
#include "images/DIB.h"

#include <array>
#include <cstdint>

namespace vardel::bmp {

struct Header {
    std::uint32_t size = 0;  // as stored: 12 (core), 40 or a larger extension
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 1;
    std::uint16_t bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    // Bit-field masks found inside an extended header (52 bytes or more).
    bool masksInHeader = false;
    std::array<std::uint8_t, 12> masks{};

    bool IsCore() const { return size == 12; }
};

// What a checked header announces.
struct Extent {
    std::uint32_t colourCount = 0;  // colour table entries
    std::uint64_t stride = 0;       // bytes per row
    std::uint64_t imageBytes = 0;   // pixel bytes to read or keep
};

// Reads a header at the reader's position: a size of 12 is read with the
// core layout, anything else with the 40-byte layout (a larger header's
// extension is skipped, its masks kept). Throws ReadError on short data.
// maxHeaderSize limits the accepted header size.
Header ParseHeader(ByteReader& reader, std::uint32_t maxHeaderSize);

// Checks the header's sizes before anything is allocated: a positive width
// and height, a known bit depth and compression, at most 256 colours, and a
// pixel area that neither overflows nor exceeds maxImageBytes. False when
// the header is absurd.
bool CheckHeader(const Header& header, std::uint64_t maxImageBytes, Extent& extent);

// Writes a 40-byte info header.
void PutInfoHeader(std::uint8_t* out, const Header& header);

void PutU16(std::uint8_t* out, std::uint16_t value);
void PutU32(std::uint8_t* out, std::uint32_t value);

}  // namespace vardel::bmp

namespace vardel {

// Where the parts of the block lie; derived from the header every time, so
// the block stays the one source of truth.
struct COXDIB::Layout {
    bmp::Header header;
    bmp::Extent extent;
    std::size_t entrySize = 4;  // 3 for a core header's colour table
    std::size_t tableOffset = 0;
    std::size_t bitsOffset = 0;
};

}  // namespace vardel
