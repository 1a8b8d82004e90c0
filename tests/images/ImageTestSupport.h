#pragma once
// Helpers of the image tests: pattern bitmaps, PNM files as the independent
// tools (cjpeg, djpeg) read and write them, and running those tools.

#include "images/DIB.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vardel::test {

// A 24-bit bitmap with a smooth, position-dependent pattern.
COXDIB MakePattern(int width, int height);
// Colour of pixel (x, y) counted from the top-left corner, as 0xRRGGBB
// (palette entries resolved for 8 bits and fewer).
std::uint32_t PixelAt(const COXDIB& dib, int x, int y);
// Sets a pixel of a 24-bit bitmap (y from the top).
void SetPixel(COXDIB& dib, int x, int y, std::uint32_t rgb);

struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;                // 1 (P5) or 3 (P6)
    std::vector<std::uint8_t> data;  // top row first
    std::uint32_t At(int x, int y) const;
};
Pnm ReadPnm(const std::filesystem::path& path);
void WritePpm(const std::filesystem::path& path, const COXDIB& dib);

// Runs cjpeg or djpeg (from /usr/bin) with the arguments; fails the test
// when the tool fails.
void RunTool(const std::string& tool, const std::vector<std::string>& args);

// Every pixel of the bitmap equals the PNM's.
::testing::AssertionResult SamePixels(const COXDIB& dib, const Pnm& pnm);

}  // namespace vardel::test
