// Evaluation of operators, variables, the source fetch and its edge
// modes, and the order in which operands are evaluated.

#include "ZeltroTestSupport.h"

#include <climits>

using namespace zeltro::test;

namespace {

using Case = FormulaCase;

class Arithmetic : public ::testing::TestWithParam<Case> {};

TEST_P(Arithmetic, Value)
{
    TestImage image(4, 3);
    EXPECT_EQ(eval(GetParam().formula, image), GetParam().value) << GetParam().formula;
}

INSTANTIATE_TEST_SUITE_P(
    Operators, Arithmetic,
    ::testing::Values(Case{"7/0", 0}, Case{"7%0", 0}, Case{"-7/2", -3}, Case{"-7%2", -1}, Case{"7%-2", 1},
                      Case{"2147483647+1", INT_MIN}, Case{"0-2147483647-1", INT_MIN},
                      Case{"(0-2147483647-1)/-1", INT_MIN}, Case{"(0-2147483647-1)%-1", 0},
                      Case{"-(0-2147483647-1)", INT_MIN}, Case{"65536*65536", 0}, Case{"65537*65537", 131073},
                      Case{"1<<32", 1}, Case{"1<<33", 2}, Case{"1<<-1", INT_MIN}, Case{"-8>>1", -4}, Case{"-8>>33", -4},
                      Case{"1<<31", INT_MIN}, Case{"3==3", 1}, Case{"3!=3", 0}, Case{"-1<0", 1}, Case{"2<=2", 1},
                      Case{"2>=3", 0}, Case{"3>2", 1}, Case{"6&3", 2}, Case{"6|3", 7}, Case{"6^3", 5}, Case{"2&&3", 1},
                      Case{"0&&3", 0}, Case{"0||0", 0}, Case{"0||-4", 1}, Case{"!0", 1}, Case{"!5", 0}, Case{"~0", -1},
                      Case{"+5", 5}, Case{"1?2:3", 2}, Case{"0?2:3", 3}, Case{"1,2", 2}, Case{"rmax-rmin", 255},
                      Case{"R", 255}, Case{"abs(0-2147483647-1)", INT_MIN}, Case{"4294967295", -1}));

TEST(Evaluator, RecordVariables)
{
    TestImage image(6, 5);
    FFExecRecord& r = image.record();
    r.t = 17;
    r.total = 99;
    EXPECT_EQ(eval("x", image, 4, 2, 1), 4);
    EXPECT_EQ(eval("y", image, 4, 2, 1), 2);
    EXPECT_EQ(eval("z", image, 4, 2, 1), 1);
    EXPECT_EQ(eval("X*100+Y*10+Z", image), 653);
    EXPECT_EQ(eval("D", image), 1024);
    EXPECT_EQ(eval("M", image), 3);
    EXPECT_EQ(eval("t", image), 17);
    EXPECT_EQ(eval("total", image), 99);
}

TEST(Evaluator, PixelVariablesOfABottomUpImage)
{
    TestImage image(3, 4);
    image.at(1, 0, 0) = 10;
    image.at(1, 0, 1) = 20;
    image.at(1, 0, 2) = 30;
    EXPECT_EQ(eval("r", image, 1, 0), 10);
    EXPECT_EQ(eval("g", image, 1, 0), 20);
    EXPECT_EQ(eval("b", image, 1, 0), 30);
    EXPECT_EQ(eval("a", image, 1, 0), 255);  // 3-byte image
    EXPECT_EQ(eval("c", image, 1, 0, 1), 20);
    EXPECT_EQ(eval("c", image, 1, 0, 3), 255);
    EXPECT_EQ(eval("i", image, 1, 0), (76 * 10 + 150 * 20 + 29 * 30) / 256);
    EXPECT_EQ(eval("u", image, 1, 0), (56 * 30 - 37 * 20 - 19 * 10) / 256);
    EXPECT_EQ(eval("v", image, 1, 0), (78 * 10 - 65 * 20 - 13 * 30) / 256);
    // Top-down storage: the same pixel lies at memory row 0.
    image.record().bottomUp = 0;
    image.at(1, 3, 0) = 77;  // memory row 0 in bottom-up terms
    EXPECT_EQ(eval("r", image, 1, 0), 77);
}

TEST(Evaluator, FourBytePixelsHaveAlpha)
{
    TestImage image(2, 2, 4);
    image.at(1, 1, 3) = 99;
    EXPECT_EQ(eval("a", image, 1, 1), 99);
    EXPECT_EQ(eval("c", image, 1, 1, 3), 99);
    EXPECT_EQ(eval("src(1,1,3)", image), 99);
}

TEST(Evaluator, OneAndTwoBytePixels)
{
    TestImage one(4, 2, 1);
    one.record().channelOffsets[0] = 0;
    const int32_t first = one.source[static_cast<size_t>(one.record().stride) * 1 + 2];  // memory row 1 = y 0
    EXPECT_EQ(eval("r", one, 2, 0), first);
    EXPECT_EQ(eval("g", one, 2, 0), first);
    EXPECT_EQ(eval("a", one, 2, 0), 255);
    EXPECT_EQ(eval("src(2,0,3)", one), 255);
    EXPECT_EQ(eval("src(2,0,1)", one), first);

    TestImage two(4, 2, 2);
    two.record().channelOffsets[0] = 0;
    two.record().channelOffsets[1] = 1;
    const uint8_t* row = two.source.data() + static_cast<size_t>(two.record().stride) * 1;
    EXPECT_EQ(eval("b", two, 3, 0), row[6]);
    EXPECT_EQ(eval("a", two, 3, 0), row[7]);
    EXPECT_EQ(eval("src(3,0,3)", two), row[7]);
    EXPECT_EQ(eval("src(3,0,0)", two), row[6]);
    two.record().Z = 0;
    EXPECT_EQ(eval("r+g+b", two, 0, 0), 3 * 255);
}

struct Edge {
    int mode;
    int x;
    int y;
    int expectX;  // -1: the fetch yields 0
    int expectY;
    friend void PrintTo(const Edge& e, std::ostream* os) { *os << "mode " << e.mode << " at " << e.x << "," << e.y; }
};

class EdgeModes : public ::testing::TestWithParam<Edge> {};

TEST_P(EdgeModes, SourceFetch)
{
    const Edge e = GetParam();
    TestImage image(5, 4);
    image.record().edgeMode = e.mode;
    const std::string formula = "src(" + std::to_string(e.x) + "," + std::to_string(e.y) + ",0)";
    const int32_t expected = e.expectX < 0 ? 0 : image.at(e.expectX, e.expectY, 0);
    EXPECT_EQ(eval(formula, image), expected) << formula << " mode " << e.mode;
}

INSTANTIATE_TEST_SUITE_P(Modes, EdgeModes,
                         ::testing::Values(Edge{0, -1, 0, 0, 0}, Edge{0, 9, 9, 4, 3}, Edge{0, 2, -7, 2, 0},
                                           Edge{0, 4, 3, 4, 3}, Edge{1, -1, 0, -1, 0}, Edge{1, 5, 0, -1, 0},
                                           Edge{1, 0, 4, -1, 0}, Edge{1, 4, 3, 4, 3}, Edge{2, 5, 0, 0, 0},
                                           Edge{2, 7, 5, 2, 1}, Edge{2, -1, 0, 3, 0}, Edge{2, -5, -4, 4, 3},
                                           Edge{3, 0, 0, 0, 0}, Edge{3, 1, 0, 3, 0}, Edge{3, 3, 2, 1, 1},
                                           Edge{3, 6, 0, 1, 0}, Edge{3, -1, 0, 1, 0}, Edge{3, 5, 0, 0, 0},
                                           Edge{4, 0, 0, -1, 0}, Edge{-1, 1, 1, -1, 0}, Edge{2147483647, 1, 1, -1, 0}));

TEST(Evaluator, SourceFetchChannelOutOfRange)
{
    TestImage image(3, 3);
    EXPECT_EQ(eval("src(0,0,7)", image), 255);
    EXPECT_EQ(eval("src(0,0,-1)", image), 255);
    EXPECT_EQ(eval("src(0,0,3)", image), 255);
}

TEST(Evaluator, RightOperandFirst)
{
    TestImage image(2, 2);
    // put stores its value; the right operand's put runs first, so the
    // left get sees it.
    EXPECT_EQ(eval("get(0) + put(5, 0)", image), 10);
    EXPECT_EQ(eval("put(1, 1) - get(1)", image), 1);
    EXPECT_EQ(eval("get(2) * put(4, 2)", image), 16);
    EXPECT_EQ(eval("put(3, 2), get(2) - put(1, 2)", image), 0);
}

TEST(Evaluator, ArgumentsLastToFirst)
{
    TestImage image(2, 2);
    // The last argument's put runs before the first argument's get.
    EXPECT_EQ(eval("min(get(3), put(9, 3))", image), 9);
    EXPECT_EQ(eval("src(get(4), put(0, 4), 0)", image), image.at(0, 0, 0));
    EXPECT_EQ(eval("mix(get(5), 0, put(7, 5), 7)", image), 7);
}

TEST(Evaluator, ShortCircuitAndConditionalSkipOperandsUnderTheClassicRules)
{
    const RulesScope classic(ZELTRO_RULES_CLASSIC);
    TestImage image(2, 2);
    EXPECT_EQ(eval("0 && put(1, 0)", image), 0);
    EXPECT_EQ(eval("get(0)", image), 0);
    EXPECT_EQ(eval("1 || put(1, 0)", image), 1);
    EXPECT_EQ(eval("0 ? put(1, 0) : 5", image), 5);
    EXPECT_EQ(eval("get(0)", image), 0);
    EXPECT_EQ(eval("put(6, 0), get(0) + 1", image), 7);
}

TEST(Evaluator, PolarVariables)
{
    TestImage image(10, 8);
    EXPECT_EQ(eval("d", image, 8, 4), 0);    // right of the centre
    EXPECT_EQ(eval("d", image, 2, 4), 512);  // left of the centre
    EXPECT_EQ(eval("m", image, 8, 4), 3);
    EXPECT_EQ(eval("m", image, 8, 8), 5);
    EXPECT_EQ(eval("d", image, 5, 7), 256);
    EXPECT_EQ(eval("d", image, 5, 1), -256);
}

}  // namespace
