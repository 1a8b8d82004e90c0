// The Filter Factory renderer: record fill, checks before building,
// channel mapping and clamping, the mask and compositing, abort and
// progress, threads, and the preview's size steps.

#include "filterfactory/FilterRenderer.h"
#include "images/DIB.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <sstream>
#include <vector>

using namespace vardel;

namespace {

COXDIB makeImage(int width, int height, int bits = 24)
{
    COXDIB image;
    EXPECT_TRUE(image.Create(24, width, height));
    if (bits == 32) {
        // Create makes 24-bit bitmaps only; a 32-bit one is read from a BMP.
        std::vector<uint8_t> bmp(14 + 40 + static_cast<size_t>(width) * height * 4, 0);
        auto put32 = [&](size_t at, uint32_t v) { std::memcpy(bmp.data() + at, &v, 4); };
        bmp[0] = 'B';
        bmp[1] = 'M';
        put32(2, static_cast<uint32_t>(bmp.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, static_cast<uint32_t>(width));
        put32(22, static_cast<uint32_t>(height));
        bmp[26] = 1;
        bmp[28] = 32;
        std::string text(bmp.begin(), bmp.end());
        std::istringstream in(text);
        EXPECT_TRUE(image.Read(in));
    }
    const int bpp = image.GetBitCount() / 8;
    for (int row = 0; row < height; ++row) {
        uint8_t* p = image.GetRow(row);
        for (int x = 0; x < width * bpp; ++x)
            p[x] = static_cast<uint8_t>(row * 31 + x * 7 + 3);
    }
    return image;
}

// Byte k (0 blue, 1 green, 2 red, 3 fourth) of pixel (x, y), y from the top.
int pixel(const COXDIB& image, int x, int y, int k)
{
    const int bpp = image.GetBitCount() / 8;
    return image.GetRow(image.GetHeight() - 1 - y)[x * bpp + k];
}

FilterSettings formulas(const char* r, const char* g, const char* b, const char* a)
{
    FilterSettings settings;
    settings.formulas = {r, g, b, a};
    return settings;
}

TEST(FilterRenderer, ChannelsGoToRedGreenBlueAndAreClamped)
{
    const COXDIB source = makeImage(5, 3);
    COXDIB result;
    const RenderResult outcome = CFilterRenderer::Render(source, result, formulas("300", "-5", "x*10+y", "0"));
    EXPECT_EQ(outcome.outcome, RenderOutcome::Done);
    ASSERT_EQ(result.GetSize(), source.GetSize());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(pixel(result, x, y, 2), 255);
            EXPECT_EQ(pixel(result, x, y, 1), 0);
            EXPECT_EQ(pixel(result, x, y, 0), x * 10 + y);
        }
}

TEST(FilterRenderer, RecordIsFilledFromTheSource)
{
    const COXDIB source = makeImage(30, 40);
    COXDIB result;
    FilterSettings settings = formulas("M", "D/8", "X*4+Y+Z", "0");
    CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 0, 0, 2), 25);  // sqrt(900 + 1600) / 2
    EXPECT_EQ(pixel(result, 0, 0, 1), 128);
    EXPECT_EQ(pixel(result, 0, 0, 0), 30 * 4 + 40 + 3);
    settings = formulas("ctl(0)", "ctl(7)", "t*100+total", "0");
    settings.sliders = {9, 0, 0, 0, 0, 0, 0, 200};
    CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 3, 3, 2), 9);
    EXPECT_EQ(pixel(result, 3, 3, 1), 200);
    EXPECT_EQ(pixel(result, 3, 3, 0), 1);
    settings = formulas("frg(0)", "bkg(0)", "r==src(x,y,0) && b==src(x,y,2) && a==255", "0");
    CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 7, 9, 2), 255);
    EXPECT_EQ(pixel(result, 7, 9, 1), 0);
    EXPECT_EQ(pixel(result, 7, 9, 0), 1);
}

TEST(FilterRenderer, IdentityKeepsThePicture)
{
    const COXDIB source = makeImage(7, 6);
    COXDIB result;
    CFilterRenderer::Render(source, result, formulas("r", "g", "b", "a"));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(pixel(result, x, y, k), pixel(source, x, y, k));
}

class SyntaxErrors : public ::testing::TestWithParam<int> {};

TEST_P(SyntaxErrors, NothingIsRendered)
{
    const int bad = GetParam();
    const COXDIB source = makeImage(4, 4);
    COXDIB result = source;
    const COXDIB before = result;
    FilterSettings settings = formulas("0", "0", "0", "0");
    settings.formulas[bad] = bad == 3 ? std::string(20000, '(') : "r +";
    const RenderResult outcome = CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(outcome.outcome, RenderOutcome::SyntaxError);
    EXPECT_EQ(outcome.formula, bad);
    EXPECT_EQ(outcome.status, bad == 3 ? 2 : 1);
    EXPECT_TRUE(std::equal(result.GetPacked().begin(), result.GetPacked().end(), before.GetPacked().begin()));
}

INSTANTIATE_TEST_SUITE_P(Channels, SyntaxErrors, ::testing::Values(0, 1, 2, 3));

TEST(FilterRenderer, OnlyTwentyFourAndThirtyTwoBits)
{
    COXDIB eight;
    ASSERT_TRUE(eight.Create(8, 4, 4));
    COXDIB result;
    EXPECT_EQ(CFilterRenderer::Render(eight, result, formulas("0", "0", "0", "0")).outcome,
              RenderOutcome::UnsupportedDepth);
    EXPECT_TRUE(result.IsEmpty());
    COXDIB empty;
    EXPECT_EQ(CFilterRenderer::Render(empty, result, formulas("0", "0", "0", "0")).outcome,
              RenderOutcome::UnsupportedDepth);
}

TEST(FilterRenderer, ThirtyTwoBitsKeepTheFourthByte)
{
    const COXDIB source = makeImage(4, 3, 32);
    ASSERT_EQ(source.GetBitCount(), 32);
    COXDIB result;
    EXPECT_EQ(CFilterRenderer::Render(source, result, formulas("1", "2", "a", "0")).outcome, RenderOutcome::Done);
    ASSERT_EQ(result.GetBitCount(), 32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(pixel(result, x, y, 2), 1);
            EXPECT_EQ(pixel(result, x, y, 1), 2);
            EXPECT_EQ(pixel(result, x, y, 0), pixel(source, x, y, 3));  // a reads the fourth byte
            EXPECT_EQ(pixel(result, x, y, 3), pixel(source, x, y, 3));
        }
}

TEST(FilterRenderer, DestinationIsRecreatedAtTheSourceSize)
{
    const COXDIB source = makeImage(9, 5);
    COXDIB result = makeImage(3, 3);
    EXPECT_EQ(CFilterRenderer::Render(source, result, formulas("0", "0", "0", "0")).outcome, RenderOutcome::Done);
    EXPECT_EQ(result.GetSize(), source.GetSize());
    EXPECT_EQ(result.GetBitCount(), 24);
}

TEST(FilterRenderer, TransparencyCompositesOverTheCheckerboard)
{
    const COXDIB source = makeImage(23, 12);
    COXDIB result;
    FilterSettings settings = formulas("10", "20", "30", "0");
    settings.transparency = true;
    CFilterRenderer::Render(source, result, settings);
    for (int row = 0; row < 12; ++row)
        for (int x = 0; x < 23; ++x) {
            const int expected = ((x % 10 < 5) == (row % 10 < 5)) ? 255 : 192;
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(result.GetRow(row)[x * 3 + k], expected) << x << "," << row;
        }
    settings.formulas[3] = "255";
    CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 6, 2, 2), 10);
    EXPECT_EQ(pixel(result, 6, 2, 0), 30);
    settings.formulas[3] = "x*20";
    CFilterRenderer::Render(source, result, settings);
    for (int x = 0; x < 23; ++x) {
        const int alpha = std::min(255, x * 20);
        const int under = ((x % 10 < 5) == ((11 % 10) < 5)) ? 255 : 192;  // top row is memory row 11
        EXPECT_EQ(pixel(result, x, 0, 2), (10 * alpha + under * (255 - alpha)) / 255) << x;
    }
    settings.transparency = false;
    CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 0, 0, 2), 10);  // the mask is ignored without transparency
}

TEST(FilterRenderer, ProgressAfterEverySixteenthRow)
{
    const COXDIB source = makeImage(3, 40);
    for (int threads : {1, 2}) {
        COXDIB result;
        FilterSettings settings = formulas("r", "g", "b", "255");
        settings.threads = threads;
        std::vector<int> calls;
        settings.progress = [&](int rows) { calls.push_back(rows); };
        CFilterRenderer::Render(source, result, settings);
        EXPECT_EQ(calls, (std::vector<int>{16, 32})) << threads;
    }
}

TEST(FilterRenderer, AbortStopsAfterTheCurrentRow)
{
    const COXDIB source = makeImage(4, 64);
    for (const char* red : {"200", "rnd(200,200)"}) {
        COXDIB result;
        FilterSettings settings = formulas(red, "200", "200", "255");
        settings.transparency = true;
        std::atomic<bool> abort{false};
        settings.abort = &abort;
        settings.progress = [&](int) { abort = true; };
        const RenderResult outcome = CFilterRenderer::Render(source, result, settings);
        EXPECT_EQ(outcome.outcome, RenderOutcome::Aborted) << red;
        // The progress after row 15 sets the flag; row 16 is finished, then
        // the loop stops; no compositing happens.
        EXPECT_EQ(pixel(result, 0, 16, 2), 200) << red;
        EXPECT_EQ(pixel(result, 0, 17, 2), pixel(source, 0, 17, 2)) << red;
        EXPECT_EQ(pixel(result, 0, 63, 2), pixel(source, 0, 63, 2)) << red;
    }
}

TEST(FilterRenderer, AbortSetBeforehandRendersNothing)
{
    const COXDIB source = makeImage(4, 4);
    COXDIB result = source;
    FilterSettings settings = formulas("0", "0", "0", "255");
    std::atomic<bool> abort{true};
    settings.abort = &abort;
    EXPECT_EQ(CFilterRenderer::Render(source, result, settings).outcome, RenderOutcome::Aborted);
    EXPECT_TRUE(std::equal(result.GetPacked().begin(), result.GetPacked().end(), source.GetPacked().begin()));
}

TEST(FilterRenderer, ThreadsGiveTheSameBytes)
{
    const COXDIB source = makeImage(61, 70);
    const FilterSettings base = formulas("src(x+ctl(0)-128, y, z) ^ (x*y)", "c2d(x-X/2, y-Y/2) + m",
                                         "cnv(1,2,1,2,4,2,1,2,1,16) + val(1, 0, 99)", "i(x+3, y-5)");
    COXDIB one, two;
    FilterSettings settings = base;
    settings.sliders[0] = 77;
    CFilterRenderer::Render(source, one, settings);
    settings.threads = 2;
    const RenderResult outcome = CFilterRenderer::Render(source, two, settings);
    EXPECT_TRUE(outcome.parallel);
    EXPECT_TRUE(std::equal(one.GetPacked().begin(), one.GetPacked().end(), two.GetPacked().begin()));
}

TEST(FilterRenderer, OrderDependentFormulasStayOnOneThreadAndRepeat)
{
    const COXDIB source = makeImage(16, 20);
    FilterSettings settings = formulas("rnd(0,255)", "put(get(0)+1, 0)", "dst(x-1, y, 0)", "255");
    settings.threads = 2;
    COXDIB first, second;
    EXPECT_FALSE(CFilterRenderer::Render(source, first, settings).parallel);
    CFilterRenderer::Render(source, second, settings);
    EXPECT_TRUE(std::equal(first.GetPacked().begin(), first.GetPacked().end(), second.GetPacked().begin()));
    // put counts pixels in order, and dst sees the blue written just before.
    EXPECT_EQ(pixel(first, 3, 0, 1), 4);
    EXPECT_EQ(pixel(first, 0, 1, 1), 17);
    EXPECT_EQ(pixel(first, 5, 2, 0), pixel(first, 4, 2, 2));
}

// One stream for the whole rendering, channels in order within a pixel,
// pixels left to right, rows top to bottom; seeded from the seed variable
// under the genuine rules, which an rst leaves for the next rendering.
TEST(FilterRenderer, GenuineRandomNumbersFormOneStreamSeededFromTheSeedVariable)
{
    const COXDIB source = makeImage(2, 2);
    FilterSettings settings = formulas("rnd(0,254)", "rnd(0,254)", "rnd(0,254)", "255");
    COXDIB result;
    RenderResult outcome = CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(outcome.outcome, RenderOutcome::Done);
    EXPECT_EQ(pixel(result, 0, 0, 2), 17);
    EXPECT_EQ(pixel(result, 0, 0, 1), 253);
    EXPECT_EQ(pixel(result, 0, 0, 0), 52);
    EXPECT_EQ(pixel(result, 1, 0, 2), 161);
    EXPECT_EQ(outcome.seed, 0);

    // Seed 7: another stream.
    settings.seed = 7;
    outcome = CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 0, 0, 2), 173);
    EXPECT_EQ(pixel(result, 0, 0, 1), 109);
    EXPECT_EQ(outcome.seed, 7);

    // rst changes the seed variable, not the stream of this rendering.
    settings = formulas("rst(x + 40000), rnd(0,254)", "g", "b", "255");
    outcome = CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 0, 0, 2), 17);
    EXPECT_EQ(pixel(result, 1, 0, 2), 253);
    EXPECT_EQ(outcome.seed, (40001 & 32767));  // the last pixel's
}

TEST(FilterRenderer, ClassicRulesAsBefore)
{
    const COXDIB source = makeImage(3, 2);
    FilterSettings settings = formulas("rnd(0,254)", "map(0, 100)", "rst(5)", "255");
    settings.sliders[0] = settings.sliders[1] = 100;
    settings.rules = RuleSet::Classic;
    settings.seed = 9;
    COXDIB result;
    const RenderResult outcome = CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 0, 0, 2), 41);  // the linear congruential generator from 1
    EXPECT_EQ(pixel(result, 0, 0, 1), 0);   // n = lo gives 0
    EXPECT_EQ(outcome.seed, 9);             // rst does nothing
    settings.rules = RuleSet::Genuine;
    CFilterRenderer::Render(source, result, settings);
    EXPECT_EQ(pixel(result, 0, 0, 1), 255);  // n = lo gives 255
}

TEST(FilterRenderer, StorageReplacedByAFormulaIsFreed)
{
    const COXDIB source = makeImage(8, 8);
    COXDIB result;
    FilterSettings settings = formulas("storage(100 + x), put(5, 99), get(99)", "0", "0", "255");
    EXPECT_EQ(CFilterRenderer::Render(source, result, settings).outcome, RenderOutcome::Done);
    EXPECT_EQ(pixel(result, 2, 2, 2), 5);
}

struct Fit {
    int width, height, targetWidth, targetHeight, expectWidth, expectHeight;
    friend void PrintTo(const Fit& f, std::ostream* os)
    {
        *os << f.width << "x" << f.height << " into " << f.targetWidth << "x" << f.targetHeight;
    }
};

class FitToTarget : public ::testing::TestWithParam<Fit> {};

TEST_P(FitToTarget, ScalesDownOnly)
{
    const Fit f = GetParam();
    COXDIB sample = makeImage(f.width, f.height);
    EXPECT_TRUE(CFilterRenderer::FitToTarget(sample, f.targetWidth, f.targetHeight));
    EXPECT_EQ(sample.GetWidth(), f.expectWidth);
    EXPECT_EQ(sample.GetHeight(), f.expectHeight);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FitToTarget,
                         ::testing::Values(Fit{100, 50, 200, 200, 100, 50}, Fit{100, 50, 100, 50, 100, 50},
                                           Fit{100, 50, 50, 50, 50, 25}, Fit{100, 50, 100, 10, 20, 10},
                                           Fit{101, 50, 100, 50, 100, 49}, Fit{30, 20, 0, 0, 1, 1}));

TEST(FilterRenderer, TargetSizeByMode)
{
    int w = 0, h = 0;
    CFilterRenderer::TargetSize(0, 400, 300, 50, 60, w, h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(400, 300));
    CFilterRenderer::TargetSize(1, 401, 301, 50, 60, w, h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(300, 225));
    CFilterRenderer::TargetSize(2, 401, 301, 50, 60, w, h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(200, 150));
    CFilterRenderer::TargetSize(3, 401, 301, 50, 60, w, h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(50, 60));
}

}  // namespace
