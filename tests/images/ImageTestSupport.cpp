#include <gtest/gtest.h>

#include "images/ImageTestSupport.h"

#include "support/TestSupport.h"

#include <fstream>
#include <sstream>

namespace vardel::test {

COXDIB MakePattern(int width, int height)
{
    COXDIB dib;
    dib.Create(24, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t r = static_cast<std::uint32_t>(x * 255 / std::max(1, width - 1));
            std::uint32_t g = static_cast<std::uint32_t>(y * 255 / std::max(1, height - 1));
            std::uint32_t b = static_cast<std::uint32_t>((x * 7 + y * 13) % 256);
            SetPixel(dib, x, y, (r << 16) | (g << 8) | b);
        }
    return dib;
}

std::uint32_t PixelAt(const COXDIB& dib, int x, int y)
{
    const std::uint8_t* row = dib.GetRow(dib.GetHeight() - 1 - y);
    const int bits = dib.GetBitCount();
    if (bits >= 24) {
        const std::uint8_t* p = row + static_cast<std::size_t>(x) * (bits / 8);
        return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    int index = 0;
    if (bits == 8)
        index = row[x];
    else if (bits == 4)
        index = (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
    else if (bits == 1)
        index = (row[x / 8] >> (7 - x % 8)) & 1;
    return dib.GetColourTable().at(static_cast<std::size_t>(index));
}

void SetPixel(COXDIB& dib, int x, int y, std::uint32_t rgb)
{
    std::uint8_t* p = dib.GetRow(dib.GetHeight() - 1 - y) + 3 * static_cast<std::size_t>(x);
    p[0] = static_cast<std::uint8_t>(rgb);
    p[1] = static_cast<std::uint8_t>(rgb >> 8);
    p[2] = static_cast<std::uint8_t>(rgb >> 16);
}

std::uint32_t Pnm::At(int x, int y) const
{
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * channels;
    if (channels == 1)
        return std::uint32_t{data[i]} * 0x010101u;
    return (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) | data[i + 2];
}

Pnm ReadPnm(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    Pnm pnm;
    in >> magic >> pnm.width >> pnm.height >> maxval;
    in.get();
    pnm.channels = magic == "P5" ? 1 : 3;
    pnm.data.resize(static_cast<std::size_t>(pnm.width) * pnm.height * pnm.channels);
    in.read(reinterpret_cast<char*>(pnm.data.data()), static_cast<std::streamsize>(pnm.data.size()));
    EXPECT_TRUE(in) << "cannot read " << path;
    return pnm;
}

void WritePpm(const std::filesystem::path& path, const COXDIB& dib)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << dib.GetWidth() << ' ' << dib.GetHeight() << "\n255\n";
    for (int y = 0; y < dib.GetHeight(); ++y)
        for (int x = 0; x < dib.GetWidth(); ++x) {
            std::uint32_t c = PixelAt(dib, x, y);
            char rgb[3] = {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
            out.write(rgb, 3);
        }
}

void RunTool(const std::string& tool, const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"/usr/bin/" + tool};
    argv.insert(argv.end(), args.begin(), args.end());
    RunResult r = run(argv);
    ASSERT_EQ(r.status, 0) << tool << " failed: " << r.err;
}

::testing::AssertionResult SamePixels(const COXDIB& dib, const Pnm& pnm)
{
    if (dib.GetWidth() != pnm.width || dib.GetHeight() != pnm.height)
        return ::testing::AssertionFailure()
               << "size " << dib.GetWidth() << "x" << dib.GetHeight() << " vs " << pnm.width << "x" << pnm.height;
    for (int y = 0; y < pnm.height; ++y)
        for (int x = 0; x < pnm.width; ++x)
            if (PixelAt(dib, x, y) != pnm.At(x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") " << std::hex
                                                     << PixelAt(dib, x, y) << " vs " << pnm.At(x, y);
    return ::testing::AssertionSuccess();
}

}  // namespace vardel::test
