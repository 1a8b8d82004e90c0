// Built-in functions: their values, their edge cases, the angle tables,
// the random generator, storage and the functions that evaluate an
// argument twice. Values that the rule sets give differently are those of
// the classic rules here (GenuineRulesTest has the genuine ones).

#include "ZeltroTestSupport.h"

#include <climits>
#include <thread>

using namespace zeltro::test;

namespace {

using Case = FormulaCase;

class Functions : public ::testing::TestWithParam<Case> {};

TEST_P(Functions, Value)
{
    const RulesScope classic(ZELTRO_RULES_CLASSIC);
    TestImage image(4, 3);
    FFExecRecord& r = image.record();
    for (int i = 0; i < 8; ++i)
        r.sliders[i] = 10 * i + 5;
    r.foreground[0] = 11;
    r.foreground[1] = 12;
    r.foreground[2] = 13;
    r.background[0] = 21;
    r.background[1] = 22;
    r.background[2] = 23;
    EXPECT_EQ(eval(GetParam().formula, image), GetParam().value) << GetParam().formula;
}

INSTANTIATE_TEST_SUITE_P(
    Values, Functions,
    ::testing::Values(
        Case{"ctl(0)", 5}, Case{"ctl(7)", 75}, Case{"ctl(8)", 0}, Case{"ctl(-1)", 0}, Case{"val(8,0,255)", 0},
        Case{"val(-1,0,255)", 0}, Case{"val(1,0,255)", 15}, Case{"val(2,100,0)", 100 + (25 * -100) / 255},
        Case{"frg(0)", 11}, Case{"frg(2)", 13}, Case{"frg(3)", 0}, Case{"frg(-1)", 0}, Case{"bkg(1)", 22},
        Case{"bkg(3)", 0}, Case{"abs(-5)", 5}, Case{"abs(5)", 5}, Case{"dif(3,10)", 7}, Case{"dif(10,3)", 7},
        Case{"add(3,4,10)", 7}, Case{"add(3,7,10)", 10}, Case{"add(3,8,10)", 10}, Case{"sub(3,10,5)", 7},
        Case{"sub(3,5,5)", 5}, Case{"sub(10,3,9)", 9}, Case{"min(3,4)", 3}, Case{"min(4,3)", 3}, Case{"max(3,4)", 4},
        Case{"max(-4,-3)", -3}, Case{"mix(100,200,1,4)", 25 + 150}, Case{"mix(1,2,3,0)", 0},
        Case{"mix(0-2147483647-1,0,1,-1)", INT_MIN}, Case{"scl(5,0,10,0,100)", 50}, Case{"scl(5,3,3,0,100)", 0},
        Case{"scl(5,10,0,0,100)", 50}, Case{"scl(1,0,-1,0-2147483647-1,0)", 0}, Case{"sqr(-9)", 0}, Case{"sqr(10)", 3},
        Case{"sqr(0)", 0}, Case{"sqr(2147483647)", 46340}, Case{"c2m(3,4)", 5}, Case{"c2m(-3,-4)", 5},
        Case{"c2m(65536,0)", 0}, Case{"c2m(46341,0)", 46341}, Case{"c2d(5,0)", 0}, Case{"c2d(-5,0)", 512},
        Case{"c2d(0,10)", 256}, Case{"c2d(0,-10)", -256},
        Case{"c2d(10,10)", static_cast<int32_t>(256 + -0.7853981633974483 * 163.0054122890799)},
        Case{"c2d(1, 0-2147483647-1)", -255}, Case{"r2x(0,512)", 512}, Case{"r2y(256,512)", 512},
        Case{"r2x(256,1000)", (1000 * -4) / 512}, Case{"sin(0)", -4}, Case{"sin(1)", 3}, Case{"sin(2)", 6},
        Case{"sin(128)", 362}, Case{"sin(256)", 512}, Case{"sin(384)", 362}, Case{"sin(511)", 3}, Case{"sin(512)", -4},
        Case{"sin(513)", -7}, Case{"sin(640)", -365}, Case{"sin(768)", -512}, Case{"sin(1023)", -4},
        Case{"cos(0)", 512}, Case{"cos(1)", 511}, Case{"cos(128)", 362}, Case{"cos(255)", 3}, Case{"cos(256)", -4},
        Case{"cos(257)", -7}, Case{"cos(512)", -512}, Case{"cos(767)", -4}, Case{"cos(768)", 3}, Case{"cos(1023)", 512},
        Case{"tan(0)", -6}, Case{"tan(1)", 6}, Case{"tan(64)", 424}, Case{"tan(128)", 1024}, Case{"tan(129)", 1036},
        Case{"tan(255)", 167761}, Case{"tan(256)", -167772}, Case{"tan(257)", -83463}, Case{"tan(511)", -6},
        Case{"tan(512)", 6}, Case{"tan(767)", 167772}, Case{"tan(768)", -167772}, Case{"sin(1024)", -4},
        Case{"sin(-1024)", -4}, Case{"sin(1025)", 3}, Case{"sin(-1)==sin(1022)", 1}, Case{"sin(-1024)==sin(1023)", 1},
        Case{"cos(-1025)==cos(1022)", 1}, Case{"sin(0-2147483647-1)==sin(1023)", 1}, Case{"rnd(5,4)", 0},
        Case{"rnd(3,3)", 3}, Case{"rnd(0,32767)", 41}, Case{"rnd(0-2147483647-1, 2147483647)", 0},
        Case{"rnd(-2, 2147483647)", 41 % -2147483646 - 2}, Case{"get(256)", 0}, Case{"get(-1)", 0},
        Case{"put(7,300)", 0}, Case{"put(7,-1)", 0}, Case{"put(7,255), get(255)", 7}, Case{"storage(64001)", 0},
        Case{"storage(0)", 0}, Case{"srcmode(1), src(-1,0,0)", 0}, Case{"rst(put(9,0)), get(0)", 9},
        Case{"rst(5)", 0}));

TEST(Functions, MapOfSliderPairs)
{
    const RulesScope classic(ZELTRO_RULES_CLASSIC);
    TestImage image(2, 2);
    FFExecRecord& r = image.record();
    r.sliders[0] = r.sliders[1] = 0;
    EXPECT_EQ(eval("map(0, 0)", image), 255);
    EXPECT_EQ(eval("map(0, 1000)", image), 255);
    r.sliders[0] = r.sliders[1] = 100;
    EXPECT_EQ(eval("map(0, 100)", image), 0);
    EXPECT_EQ(eval("map(0, 101)", image), 255);
    r.sliders[2] = 200;
    r.sliders[3] = 100;
    EXPECT_EQ(eval("map(1, 150)", image), 127);
    EXPECT_EQ(eval("map(1, 400)", image), 765);  // not clamped
    EXPECT_EQ(eval("map(4, 1)", image), 0);
    EXPECT_EQ(eval("map(-1, 1)", image), 0);
    // n is evaluated before i.
    EXPECT_EQ(eval("map(get(9), put(1, 9) + 149)", image), 127);
}

TEST(Functions, StorageReplacesTheArray)
{
    TestImage image(2, 2);
    FFExecRecord& r = image.record();
    EXPECT_EQ(eval("put(5, 10), storage(64001), get(10)", image), 5);
    EXPECT_EQ(r.storageSize, 256);
    EXPECT_EQ(eval("storage(1000), put(3, 999), get(999)", image), 3);
    EXPECT_EQ(r.storageSize, 1000);
    EXPECT_EQ(eval("get(10)", image), 0);  // fresh zero-filled cells
    EXPECT_EQ(eval("storage(64000)", image), 0);
    EXPECT_EQ(r.storageSize, 64000);
}

TEST(Functions, SrcmodeChangesTheRecord)
{
    TestImage image(3, 3);
    EXPECT_EQ(eval("srcmode(2)", image), 0);
    EXPECT_EQ(image.record().edgeMode, 2);
    EXPECT_EQ(eval("src(-1,0,0)", image), image.at(1, 0, 0));
}

TEST(Functions, TwiceEvaluatedArguments)
{
    TestImage image(2, 2);
    // min evaluates b, a, then the chosen one again: put counts calls.
    EXPECT_EQ(eval("min(put(get(0)+1, 0), 100), get(0)", image), 2);
    EXPECT_EQ(eval("put(0,0), max(put(get(0)+1, 0), 100), get(0)", image), 1);
    EXPECT_EQ(eval("put(0,0), add(put(get(0)+1, 0), 0, 100), get(0)", image), 2);
    EXPECT_EQ(eval("put(0,0), add(put(get(0)+1, 0), 0, 0), get(0)", image), 1);
    EXPECT_EQ(eval("put(0,0), sub(put(get(0)+1, 0), 0, 0), get(0)", image), 2);
    EXPECT_EQ(eval("put(0,0), dif(put(get(0)+1, 0), 0), get(0)", image), 1);
    EXPECT_EQ(eval("put(0,0), sin(put(get(0)+1, 0)), get(0)", image), 2);
    // The table index comes from the second evaluation (2, not 1).
    EXPECT_EQ(eval("put(0,0), cos(put(get(0)+1, 0))", image), eval("cos(2)", image));
}

TEST(Functions, TrigWhoseArgumentChangesSignReadsInsideTheTable)
{
    TestImage image(2, 2);
    // First evaluation 0 (non-negative), second -1: indexed by -1 with the
    // lookup rule.
    EXPECT_EQ(eval("put(1,0), sin(put(get(0)-1, 0))", image), eval("sin(1022)", image));
    // First -1000 (negative), then -3000.
    EXPECT_EQ(eval("put(0,0), tan(put(get(0)-2000, 0) + 1000)", image), eval("tan(-3000)", image));
    EXPECT_EQ(eval("put(-1,0), cos(put(get(0)+1, 0) - 1)", image), eval("cos(0)", image));
    for (const char* f :
         {"sin(rnd(-5000, 5000))", "cos(rnd(-2000,2000)*rnd(-2000,2000))", "tan(rnd(0-2147483647-1, 2147483647))"})
        for (int i = 0; i < 50; ++i)
            eval(f, image, i % 2, 0);
}

TEST(Functions, RandomSequenceStartsAtOneInEveryThread)
{
    const RulesScope classic(ZELTRO_RULES_CLASSIC);
    auto draws = [] {
        TestImage image(2, 2);
        std::vector<int32_t> values;
        int32_t status = 0;
        Tree tree = parse("rnd(0, 32767)", &status);
        FFPrepareExec(&image.record());
        for (int i = 0; i < 3; ++i)
            values.push_back(FFExec(tree.get()));
        return values;
    };
    std::vector<int32_t> first, second;
    std::thread([&] { first = draws(); }).join();
    std::thread([&] { second = draws(); }).join();
    EXPECT_EQ(first, (std::vector<int32_t>{41, 18467, 6334}));
    EXPECT_EQ(second, first);
}

TEST(Functions, IntensityReadsAreClampedToTheImage)
{
    TestImage image(3, 2);
    auto intensity = [&](int x, int y) {
        return (76 * image.at(x, y, 0) + 150 * image.at(x, y, 1) + 29 * image.at(x, y, 2)) / 256;
    };
    EXPECT_EQ(eval("i(1,1)", image), intensity(1, 1));
    EXPECT_EQ(eval("i(-5,1)", image), intensity(0, 1));
    EXPECT_EQ(eval("i(99,99)", image), intensity(2, 1));
    EXPECT_EQ(eval("i(0-2147483647-1, 2147483647)", image), intensity(0, 1));
    // icnv at a corner: the neighbours outside are the nearest inside.
    const int32_t corner = eval("icnv(1,1,1,1,1,1,1,1,1,9)", image, 0, 0);
    const int32_t sum = 4 * intensity(0, 0) + 2 * intensity(1, 0) + 2 * intensity(0, 1) + intensity(1, 1);
    EXPECT_EQ(corner, sum / 9);
}

TEST(Functions, ConvolutionAndAverages)
{
    TestImage image(4, 4);
    EXPECT_EQ(eval("cnv(0,0,0,0,1,0,0,0,0,1)", image, 1, 1, 2), image.at(1, 1, 2));
    EXPECT_EQ(eval("cnv(1,1,1,1,1,1,1,1,1,0)", image, 1, 1, 0), 255);
    EXPECT_EQ(eval("cnv(0,0,0,0,1,0,0,0,0,-1)", image, 1, 1, 0), -image.at(1, 1, 0));
    EXPECT_EQ(eval("cnv(0,1,0,0,0,0,0,0,0,1)", image, 2, 0, 1), image.at(2, 0, 1));  // clamped above
    EXPECT_EQ(eval("icnv(0,0,0,0,1,0,0,0,0,0)", image, 1, 1), 255);
    eval("asrc(1,1,0)+asrc(0,0,1)+arad(100,3,2)+rad(300,2,0)", image);
    EXPECT_EQ(eval("rad(0,0,0)", image), image.at(2, 2, 0));
}

TEST(Functions, DestinationIsClampedAndChannelChecked)
{
    TestImage image(3, 3);
    EXPECT_EQ(eval("dst(1,2,0)", image), image.dstAt(1, 2, 0));
    EXPECT_EQ(eval("dst(-4,9,2)", image), image.dstAt(0, 2, 2));
    EXPECT_EQ(eval("srcmode(1), dst(-4,0,1)", image), image.dstAt(0, 0, 1));
    EXPECT_EQ(eval("dst(0,0,3)", image), 255);
    EXPECT_EQ(eval("dst(0,0,-1)", image), 255);
}

}  // namespace
