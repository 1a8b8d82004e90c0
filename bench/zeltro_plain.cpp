// The whole-process baseline for `vardel-cli render`: three simple
// filters written as plain C++, reading and writing the same BMP files
// through the same bitmap type.
//
//   bench_zeltro_plain make OUT SIZE         writes a random 24-bit BMP
//   bench_zeltro_plain scale|threshold|displace IN OUT SLIDER0
//
// scale is r*ctl(0)/255 per channel, threshold (r+g+b)/3 > 128 ? 255 : 0,
// displace src(x+ctl(0)-128, y, z); scripts/zeltro-whole-process times
// them against the renderer and compares the pixels.

#include "images/DIB.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using vardel::COXDIB;

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s make OUT SIZE | scale|threshold|displace IN OUT SLIDER0\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "make") {
        const int size = std::atoi(argv[3]);
        COXDIB image;
        if (!image.Create(24, size, size))
            return 1;
        std::mt19937 random(11);
        for (int row = 0; row < size; ++row) {
            std::uint8_t* p = image.GetRow(row);
            for (int i = 0; i < size * 3; ++i)
                p[i] = static_cast<std::uint8_t>(random());
        }
        return image.Write(argv[2]) ? 0 : 1;
    }
    if (argc < 5)
        return 2;
    COXDIB in;
    if (!in.Read(argv[2]) || in.GetBitCount() != 24)
        return 1;
    COXDIB out = in;
    const int slider = std::atoi(argv[4]);
    const int width = in.GetWidth(), height = in.GetHeight();
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* s = in.GetRow(row);
        std::uint8_t* d = out.GetRow(row);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = s + x * 3;
            std::uint8_t* q = d + x * 3;
            if (mode == "scale") {
                for (int k = 0; k < 3; ++k)
                    q[k] = static_cast<std::uint8_t>(p[k] * slider / 255 > 255 ? 255 : p[k] * slider / 255);
            } else if (mode == "threshold") {
                const std::uint8_t v = (p[0] + p[1] + p[2]) / 3 > 128 ? 255 : 0;
                q[0] = q[1] = q[2] = v;
            } else {
                int sx = x + slider - 128;
                sx = sx < 0 ? 0 : (sx > width - 1 ? width - 1 : sx);
                std::memcpy(q, s + sx * 3, 3);
            }
        }
    }
    return out.Write(argv[3]) ? 0 : 1;
}
