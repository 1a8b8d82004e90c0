// The genuine rule set, the default: each rule where it differs from the
// classic one, with the values the filters give in their host. eval()
// checks every value against the reference walk under the same rules.

#include "ZeltroTestSupport.h"

#include <climits>
#include <thread>

using namespace zeltro::test;
namespace reference = zeltro::reference;

namespace {

using Case = FormulaCase;

// Runs under the genuine rules with the seed variable at 0 and the
// generators seeded with 0 (the state of a new thread).
class Genuine : public ::testing::Test {
protected:
    void SetUp() override
    {
        zeltro_SetSeed(0);
        reference::setSeed(0);
    }
    const RulesScope m_rules{ZELTRO_RULES_GENUINE};
    TestImage m_image{4, 3};

    int32_t value(const std::string& formula) { return eval(formula, m_image); }
    // Evaluations one after another with one generator and one set of cells
    // (eval() restarts the generators for every formula).
    std::vector<int32_t> inOrder(const std::string& formula, int count)
    {
        Tree tree = parse(formula);
        EXPECT_NE(tree, nullptr) << formula;
        FFExecRecord& lib = m_image.record();
        FFExecRecord ref = m_image.cloneRecord();
        FFPrepareExec(&lib);
        zeltro_SeedRandom(0);
        reference::seedRandom(0);
        std::vector<int32_t> values;
        for (int i = 0; i < count && tree; ++i) {
            values.push_back(FFExec(tree.get()));
            EXPECT_EQ(values.back(), reference::evaluate(tree.get(), ref)) << formula << " evaluation " << i;
        }
        std::free(ref.storage);
        return values;
    }
};

TEST(GenuineRules, AreTheDefaultAndOnlyKnownSetsAreTaken)
{
    EXPECT_EQ(zeltro_Rules(), ZELTRO_RULES_GENUINE);
    EXPECT_EQ(zeltro_SetRules(7), -1);
    EXPECT_EQ(zeltro_Rules(), ZELTRO_RULES_GENUINE);
    EXPECT_EQ(zeltro_SetRules(ZELTRO_RULES_CLASSIC), ZELTRO_RULES_GENUINE);
    EXPECT_EQ(zeltro_SetRules(ZELTRO_RULES_GENUINE), ZELTRO_RULES_CLASSIC);
}

// Rule 1: every operand of ?:, && and || is evaluated, in their order; the
// result is chosen as before.
TEST_F(Genuine, ConditionalsEvaluateEveryOperand)
{
    EXPECT_EQ(value("0 && put(1, 0)"), 0);
    EXPECT_EQ(value("get(0)"), 1);
    EXPECT_EQ(value("1 || put(2, 1)"), 1);
    EXPECT_EQ(value("get(1)"), 2);
    EXPECT_EQ(value("1 ? 5 : put(3, 2)"), 5);
    EXPECT_EQ(value("0 ? put(4, 3) : 6"), 6);
    EXPECT_EQ(value("get(2) * 10 + get(3)"), 34);
    // Condition, then branch, then branch; left operand first.
    EXPECT_EQ(value("put(1, 4) ? put(2, 4) : put(3, 4)"), 2);
    EXPECT_EQ(value("get(4)"), 3);
    EXPECT_EQ(value("(put(7, 5) && put(8, 5)), get(5)"), 8);
    EXPECT_EQ(value("(put(0, 6) || put(9, 6)), get(6)"), 9);
    // A draw in the operand not chosen still moves the generator on.
    EXPECT_EQ(inOrder("(0 && rnd(0, 254)), rnd(0, 254)", 1), std::vector<int32_t>{253});
    EXPECT_EQ(inOrder("(1 ? 0 : rnd(0, 254)), rnd(0, 254)", 1), std::vector<int32_t>{253});
    EXPECT_EQ(inOrder("(x < 0 ? rnd(0, 254) : 0), rnd(0, 254)", 1), std::vector<int32_t>{253});
    // Constant conditions keep the effects of the branch not taken.
    EXPECT_EQ(value("(1 ? 4 : put(11, 7)) * 10"), 40);
    EXPECT_EQ(value("get(7)"), 11);
}

TEST_F(Genuine, ConditionalsInsideOtherOperatorsKeepTheirValue)
{
    // Both branches each time: the value of the first, then 10 more.
    EXPECT_EQ(inOrder("z == 0 ? put(get(0) + 1, 0) : put(get(0) + 10, 0)", 3), (std::vector<int32_t>{1, 12, 23}));
    EXPECT_EQ(value("get(0)"), 33);
    EXPECT_EQ(value("(1 ? 5 : put(3, 2)) * 2"), 10);
    EXPECT_EQ(value("x + (y == 0 ? 40 : rnd(0, 9)) - 1"), 39);
    EXPECT_EQ(value("min(0 ? put(1, 0) : 7, 9), get(0)"), 1);
}

// Rule 2: get and put outside the cells.
TEST_F(Genuine, StorageOutsideTheCellsGivesTheIndexOrTheValue)
{
    EXPECT_EQ(value("get(256)"), 256);
    EXPECT_EQ(value("get(-1)"), -1);
    EXPECT_EQ(value("get(0-2147483647-1)"), INT_MIN);
    EXPECT_EQ(value("put(7, 300)"), 7);
    EXPECT_EQ(value("put(7, -1)"), 7);
    EXPECT_EQ(value("put(9, 255), get(255)"), 9);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(m_image.record().storage[i], i == 255 ? 9 : 0) << i;
}

const Case kDirections[] = {
    {"c2d(5, 0)", 0},
    {"c2d(-5, 0)", 512},
    {"c2d(0, 10)", 256},
    {"c2d(0, -10)", -256},
    {"c2d(0, 0)", 0},
    {"c2d(10, 10)", 128},
    {"c2d(3, 1)", 52},
    {"c2d(-3, -1)", -460},
    {"c2d(1, 3)", 204},
    {"c2d(-1, 3)", 308},
    {"c2d(1, -3)", -204},
    {"c2d(7, -2)", -45},
    {"c2d(-100, 37)", 455},
    {"c2d(0-2147483647-1, 0)", 512},
    {"c2d(0-2147483647-1, 0-2147483647-1)", -384},
    {"c2d(2147483647, 1)", 0},
};

// Rule 3: c2d and the direction d.
TEST_F(Genuine, DirectionsFromTheArcTangentOfTheOctant)
{
    for (const Case& c : kDirections)
        EXPECT_EQ(value(c.formula), c.value) << c.formula;
    // d is c2d of the offset from the centre (2, 1).
    EXPECT_EQ(eval("d", m_image, 0, 0), eval("c2d(-2, -1)", m_image));
    EXPECT_EQ(eval("d", m_image, 3, 2), eval("c2d(1, 1)", m_image));
    EXPECT_EQ(eval("d", m_image, 2, 0), -256);
}

// Rule 4: one cosine table, its fourth quadrant one entry further on;
// sin(a) = cos(a - 256) through the lookup.
TEST_F(Genuine, SineAndCosineFromOneShiftedTable)
{
    const Case cases[] = {
        {"cos(0)", 512},    {"cos(1)", 511},    {"cos(128)", 362},
        {"cos(255)", 3},    {"cos(256)", -4},   {"cos(512)", -512},
        {"cos(767)", -4},   {"cos(768)", 3},    {"cos(769)", 6},
        {"cos(800)", 102},  {"cos(1022)", 511}, {"cos(1023)", 512},
        {"cos(-1)", 511},   {"cos(1824)", 102}, {"sin(0)", -4},
        {"sin(256)", 512},  {"sin(512)", -4},   {"sin(1024)", 3},
        {"sin(1056)", 102}, {"sin(-1)", -7},    {"sin(0-2147483647-1)", 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(value(c.formula), c.value) << c.formula;
}

// Rule 5: map of a slider pair (hi = ctl(2i), lo = ctl(2i + 1)).
TEST_F(Genuine, MapCountsUpOrDown)
{
    int32_t* s = m_image.record().sliders;
    s[0] = s[1] = 0;
    EXPECT_EQ(value("map(0, 0)"), 255);
    EXPECT_EQ(value("map(0, -1000)"), 255);
    s[0] = s[1] = 100;
    EXPECT_EQ(value("map(0, 99)"), 0);
    EXPECT_EQ(value("map(0, 100)"), 255);
    EXPECT_EQ(value("map(0, 101)"), 255);
    s[2] = 200;
    s[3] = 100;
    EXPECT_EQ(value("map(1, 150)"), 127);
    EXPECT_EQ(value("map(1, 400)"), 765);
    s[2] = 100;
    s[3] = 200;
    EXPECT_EQ(value("map(1, 150)"), 128);
    s[4] = 0;
    s[5] = 7;
    EXPECT_EQ(value("map(2, 2)"), 183);
    EXPECT_EQ(value("map(2, 0)"), 255);
    EXPECT_EQ(value("map(4, 1)"), 0);
    EXPECT_EQ(value("map(-1, 1)"), 0);
}

// Rule 6: the subtractive generator, 32-bit values, one draw per rnd.
TEST_F(Genuine, RandomNumbersFromTheSubtractiveGenerator)
{
    const std::vector<int32_t> raw = {static_cast<int32_t>(3843100682u), static_cast<int32_t>(691697443u),
                                      static_cast<int32_t>(3360209002u), static_cast<int32_t>(3709352051u)};
    EXPECT_EQ(inOrder("rnd(0-2147483647-1, 2147483647) - (0-2147483647-1)", 4), raw);
    EXPECT_EQ(inOrder("rnd(0, 254)", 4), (std::vector<int32_t>{17, 253, 52, 161}));
    // Bounds that are not constants take the same path.
    EXPECT_EQ(inOrder("rnd(x, x + 254)", 4), (std::vector<int32_t>{17, 253, 52, 161}));
    // An empty range draws and yields 0; a range of one draws too.
    EXPECT_EQ(inOrder("rnd(5, 4), rnd(0, 254)", 2), (std::vector<int32_t>{253, 161}));
    EXPECT_EQ(inOrder("rnd(x + 5, x + 4), rnd(3, 3), rnd(0, 254)", 1), (std::vector<int32_t>{52}));
    EXPECT_EQ(inOrder("rnd(5, 4)", 2), (std::vector<int32_t>{0, 0}));
    // The whole range: the value itself, shifted.
    EXPECT_EQ(inOrder("rnd(0, 2147483647)", 1),
              (std::vector<int32_t>{static_cast<int32_t>(3843100682u - 2147483648u)}));
}

TEST_F(Genuine, ANewThreadStartsTheGeneratorFromSeedZero)
{
    auto draws = [] {
        TestImage image(2, 2);
        Tree tree = parse("rnd(0, 254)");
        FFPrepareExec(&image.record());
        std::vector<int32_t> values;
        for (int i = 0; i < 4; ++i)
            values.push_back(FFExec(tree.get()));
        return values;
    };
    std::vector<int32_t> first;
    std::thread([&] { first = draws(); }).join();
    EXPECT_EQ(first, (std::vector<int32_t>{17, 253, 52, 161}));
}

// Rule 7: rst sets the seed variable and nothing else.
TEST_F(Genuine, RstSetsTheSeedVariable)
{
    EXPECT_EQ(value("rst(40000)"), 0);
    EXPECT_EQ(zeltro_Seed(), 40000 & 32767);
    EXPECT_EQ(reference::seed(), 40000 & 32767);
    EXPECT_EQ(value("rst(-1)"), 0);
    EXPECT_EQ(zeltro_Seed(), 32767);
    // The generator goes on with the stream it had.
    EXPECT_EQ(inOrder("rst(5), rnd(0, 254)", 2), (std::vector<int32_t>{17, 253}));
    EXPECT_EQ(zeltro_Seed(), 5);
    // Seeded from it, the stream is another one.
    zeltro_SeedRandom(5);
    FFPrepareExec(&m_image.record());
    Tree draw = parse("rnd(0, 254)");
    const int32_t fromFive = FFExec(draw.get());
    reference::seedRandom(5);
    FFExecRecord ref = m_image.cloneRecord();
    EXPECT_EQ(fromFive, reference::evaluate(draw.get(), ref));
    std::free(ref.storage);
    EXPECT_NE(fromFive, 17);
}

// Rule 8: pow.
TEST_F(Genuine, IntegerPowers)
{
    const Case cases[] = {
        {"pow(0, 0)", 1},        {"pow(7, 0)", 1},  {"pow(2, 10)", 1024},      {"pow(-3, 3)", -27},
        {"pow(2, 31)", INT_MIN}, {"pow(2, 32)", 0}, {"pow(3, 40)", 689956897}, {"pow(-1, 2147483647)", -1},
        {"pow(0, 5)", 0},        {"pow(2, -1)", 0}, {"pow(1, -5)", 1},         {"pow(-1, -3)", -1},
        {"pow(-1, -4)", 1},      {"pow(0, -1)", 0}, {"pow(x + 3, y + 2)", 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(value(c.formula), c.value) << c.formula;
    EXPECT_EQ(check("pow(2)"), 1);
    EXPECT_EQ(check("pow(2, 3, 4)"), 1);
    // The classic rules compute it alike.
    const RulesScope classic(ZELTRO_RULES_CLASSIC);
    EXPECT_EQ(value("pow(-3, 3) + pow(2, -1)"), -27);
}

// Rule 9: r2x, r2y and rad from the table of scale 16384.
TEST_F(Genuine, PolarOffsetsFromTheFineTable)
{
    // At m = 16384 the offset is the table entry itself.
    const Case entries[] = {
        {"r2x(0, 16384)", 16384},  {"r2x(100, 16384)", 13395},  {"r2x(256, 16384)", 0},
        {"r2x(257, 16384)", -100}, {"r2x(511, 16384)", -16383}, {"r2x(512, 16384)", -16384},
        {"r2x(768, 16384)", 100},  {"r2x(1023, 16384)", 16384}, {"r2y(256, 16384)", 16384},
        {"r2y(0, 16384)", 100},    {"r2y(768, 16384)", -16384}, {"r2y(-768, 16384)", 16384},
    };
    for (const Case& c : entries)
        EXPECT_EQ(value(c.formula), c.value) << c.formula;
    const Case offsets[] = {
        {"r2x(0, 100)", 100},    {"r2y(0, 100)", 1},     {"r2x(256, 100)", 0},    {"r2y(256, 100)", 100},
        {"r2x(512, 100)", -100}, {"r2y(512, 100)", 0},   {"r2x(-1, 1000)", 1000}, {"r2y(-1, 1000)", -6},
        {"r2x(100, 500)", 409},  {"r2y(100, 500)", 290}, {"r2x(700, 300)", -122}, {"r2y(700, 300)", -274},
    };
    for (const Case& c : offsets)
        EXPECT_EQ(value(c.formula), c.value) << c.formula;
    // rad samples at the centre (2, 1) plus those offsets.
    EXPECT_EQ(value("rad(0, 1, 0)"), m_image.at(3, 1, 0));
    EXPECT_EQ(value("rad(256, 1, 2)"), m_image.at(2, 2, 2));
    EXPECT_EQ(value("rad(512, 2, 1)"), m_image.at(0, 1, 1));
    eval("arad(100, 3, 2) + rad(-300, 2, 0)", m_image);
}

// Rule 10: c2m and tan follow one rule in both sets.
TEST_F(Genuine, MagnitudeAndTangentAsClassic)
{
    const Case cases[] = {{"c2m(3, 4)", 5}, {"c2m(-3, -4)", 5},    {"c2m(65536, 0)", 0},       {"tan(0)", -6},
                          {"tan(64)", 424}, {"tan(256)", -167772}, {"tan(-1) == tan(1022)", 1}};
    for (const Case& c : cases)
        EXPECT_EQ(value(c.formula), c.value) << c.formula;
    EXPECT_EQ(eval("m", m_image, 0, 0), 2);
}

// The classic rules stay as they were.
TEST(ClassicRules, KeepTheirOwnValues)
{
    const RulesScope classic(ZELTRO_RULES_CLASSIC);
    TestImage image(4, 3);
    EXPECT_EQ(eval("get(256) + put(7, 300)", image), 0);
    EXPECT_EQ(eval("c2d(10, 10)", image), 127);
    EXPECT_EQ(eval("cos(800)", image), 99);
    EXPECT_EQ(eval("sin(0)", image), -4);
    EXPECT_EQ(eval("sin(1024)", image), -4);
    EXPECT_EQ(eval("r2x(512, 100)", image), -100);
    EXPECT_EQ(eval("rnd(0, 32767)", image), 41);
    zeltro_SetSeed(3);
    EXPECT_EQ(eval("rst(9)", image), 0);
    EXPECT_EQ(zeltro_Seed(), 3);
}

}  // namespace
