#pragma once
// Reading pixels through the execution record: the source fetch with its
// edge modes, the current pixel's channels, the destination and the
// intensity of a source pixel.

#include "Arith.h"
#include "zeltro.h"

namespace zeltro {

inline int32_t memoryRow(const FFExecRecord& r, int32_t y)
{
    return r.bottomUp ? sub(r.largestRow, y) : y;
}

inline const uint8_t* sourceRow(const FFExecRecord& r, int32_t y)
{
    return r.source + static_cast<intptr_t>(memoryRow(r, y)) * r.stride;
}

// Adjusts one coordinate by the edge mode; false when the fetch yields 0.
inline bool edgeAdjust(int32_t mode, int32_t& v, int32_t size, int32_t largest)
{
    switch (mode) {
    case 0:
        if (v < 0)
            v = 0;
        else if (v > largest)
            v = largest;
        return true;
    case 1: return v >= 0 && v <= largest;
    case 3:
        if (size != 0 && (quo(v, size) & 1) == 0)
            v = neg(v);
        [[fallthrough]];
    case 2:
        if (size == 0)
            return false;
        v = v >= 0 ? rem(v, size) : add(rem(v, size), largest);
        return true;
    default: return false;
    }
}

// Byte of channel z of the pixel at an already adjusted position, by Z.
inline int32_t channelByte(const FFExecRecord& r, const uint8_t* row, int32_t x, int32_t z)
{
    const int32_t bpp = r.Z;
    if (bpp == 1)
        return z == 3 ? 255 : row[x + r.channelOffsets[0]];
    if (bpp == 2)
        return row[2 * static_cast<intptr_t>(x) + r.channelOffsets[z == 3 ? 1 : 0]];
    if (z < 0 || z >= bpp)
        return 255;
    return row[static_cast<intptr_t>(x) * bpp + r.channelOffsets[z]];
}

// S(x, y, z): the source fetch.
inline int32_t fetch(const FFExecRecord& r, int32_t x, int32_t y, int32_t z)
{
    const int32_t mode = r.edgeMode;
    if (!edgeAdjust(mode, x, r.X, r.largestColumn) || !edgeAdjust(mode, y, r.Y, r.largestRow))
        return 0;
    return channelByte(r, sourceRow(r, y), x, z);
}

// asrc: the weighted average of the 3 x 3 source pixels around (x, y),
// channel z.
inline int32_t averageAround(const FFExecRecord& r, int32_t x, int32_t y, int32_t z)
{
    auto S = [&](int dx, int dy) { return fetch(r, add(x, dx), add(y, dy), z); };
    return (3 * S(0, 0) + 2 * (S(-1, 0) + S(1, 0) + S(0, -1) + S(0, 1)) + S(-1, -1) + S(1, -1) + S(-1, 1) + S(1, 1)) /
           15;
}

inline int32_t clampTo(int32_t v, int32_t largest)
{
    return v < 0 ? 0 : (v > largest ? largest : v);
}

// Intensity of the source pixel at (x, y). Coordinates outside the image
// are clamped to it, so no byte outside the source rows is ever read.
inline int32_t intensityAt(const FFExecRecord& r, int32_t x, int32_t y)
{
    x = clampTo(x, r.largestColumn);
    y = clampTo(y, r.largestRow);
    const uint8_t* p = sourceRow(r, y) + static_cast<intptr_t>(x) * r.Z;
    return (76 * p[r.channelOffsets[0]] + 150 * p[r.channelOffsets[1]] + 29 * p[r.channelOffsets[2]]) / 256;
}

// The current pixel's variables r, g, b, a.
inline int32_t pixelVariable(const FFExecRecord& r, const uint8_t* pixel, char name)
{
    const int32_t bpp = r.Z;
    switch (name) {
    case 'a':
        if (bpp == 2)
            return pixel[r.channelOffsets[1]];
        return bpp >= 4 ? pixel[r.channelOffsets[3]] : 255;
    default:
        if (bpp <= 0)
            return 255;
        if (bpp <= 2)
            return pixel[r.channelOffsets[0]];
        return pixel[r.channelOffsets[name == 'r' ? 0 : name == 'g' ? 1 : 2]];
    }
}

inline int32_t destinationAt(const FFExecRecord& r, int32_t x, int32_t y, int32_t z)
{
    x = clampTo(x, r.largestColumn);
    y = clampTo(y, r.largestRow);
    if (z < 0 || z >= r.Z)
        return 255;
    return r.destination[static_cast<intptr_t>(memoryRow(r, y)) * r.stride + static_cast<intptr_t>(x) * r.Z +
                         r.channelOffsets[z]];
}

}  // namespace zeltro
