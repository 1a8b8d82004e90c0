// Random formulas on random images: the library (per pixel through
// FFExec, a row at a time through zeltro_ExecRow, and rows in the exact
// per-pixel order through zeltro_ExecRowInOrder) must give exactly what
// the reference walk gives, and leave the record in the same state, under
// both rule sets.

#include "ZeltroTestSupport.h"

#include <cstring>
#include <optional>
#include <random>
#include <tuple>

using namespace zeltro::test;

namespace {

// The library's record and the reference walk's hold storage arrays of one
// size with the same cells.
::testing::AssertionResult sameStorage(const FFExecRecord& lib, const FFExecRecord& ref)
{
    if (lib.storageSize != ref.storageSize)
        return ::testing::AssertionFailure() << "storage sizes " << lib.storageSize << " and " << ref.storageSize;
    if (std::memcmp(lib.storage, ref.storage, static_cast<size_t>(lib.storageSize) * 4) != 0)
        return ::testing::AssertionFailure() << "storage cells differ";
    return ::testing::AssertionSuccess();
}

class FormulaMaker {
public:
    // pure: no effects under the rule set (rst has one under the genuine
    // rules).
    FormulaMaker(unsigned seed, bool pure, int32_t rules = ZELTRO_RULES_CLASSIC)
        : m_random(seed)
        , m_pure(pure)
        , m_genuine(rules == ZELTRO_RULES_GENUINE)
    {}

    std::string make(int depth)
    {
        if (depth <= 0 || pick(5) == 0)
            return leaf();
        static const char* binary[] = {
            "+", "-", "*", "/", "%", "<<", ">>", "==", "!=", "<", ">", "<=", ">=", "&&", "||", "&", "|", "^"};
        static const char* unary[] = {"-", "+", "!", "~"};
        static const char* fn1[] = {"ctl", "abs", "sqr", "sin", "cos", "tan", "frg", "bkg", "rst", "get"};
        static const char* fn2[] = {"dif", "min", "max", "c2d", "c2m", "r2x", "r2y", "map", "i", "pow"};
        static const char* fn3[] = {"src", "rad", "asrc", "arad", "add", "sub", "val"};
        const int d = depth - 1;
        // clang-format off
        switch (pick(m_pure ? 9 : 11)) {
        case 0: case 1: case 2:
            return "(" + make(d) + ")" + binary[pick(18)] + "(" + make(d) + ")";
        case 3:
            return std::string(unary[pick(4)]) + "(" + make(d) + ")";
        case 4:
            return "(" + make(d) + ")?(" + make(d) + "):(" + make(d) + ")";
        case 5: {
            std::string f = fn1[pick(10)];
            if (f == "rst" && m_pure && m_genuine)
                f = "sqr";
            return f + "(" + make(d) + ")";
        }
        case 6:
            return std::string(fn2[pick(10)]) + "(" + make(d) + "," + make(d) + ")";
        case 7: {
            std::string s = std::string(fn3[pick(7)]) + "(";
            return s + make(d) + "," + make(d) + "," + make(d) + ")";
        }
        case 8:
            switch (pick(4)) {
            case 0: return "mix(" + make(d) + "," + make(d) + "," + make(d) + "," + make(d) + ")";
            case 1: return "scl(" + make(d) + "," + make(d) + "," + make(d) + "," + make(d) + "," + make(d) + ")";
            default: {
                std::string s = pick(2) ? "cnv(" : "icnv(";
                for (int i = 0; i < 9; ++i)
                    s += std::to_string(static_cast<int>(pick(7)) - 3) + ",";
                return s + (pick(4) ? std::to_string(pick(20)) : make(d)) + ")";
            }
            }
        case 9: {
            static const char* effects[] = {"put(%, #)", "rnd(%, #)", "storage(#)", "srcmode(#)", "dst(%, #, z)"};
            std::string s = effects[pick(5)];
            const std::string a = make(d);
            std::string b = pick(3) ? std::to_string(pick(300)) : make(d);
            if (s[0] == 's' && s[1] == 't')
                b = std::to_string(1 + pick(600));
            if (s[0] == 's' && s[1] == 'r')
                b = std::to_string(pick(5));
            s.replace(s.find('#'), 1, b);
            if (s.find('%') != std::string::npos)
                s.replace(s.find('%'), 1, a);
            return s;
        }
        default:
            // A sequence: valid only outside parentheses, so most of these
            // are rejected and skipped; the top-level ones are kept.
            return make(d) + "," + make(d);
        }
        // clang-format on
    }

private:
    std::string leaf()
    {
        static const char* vars[] = {"r", "g", "b", "a", "c", "i", "u", "v", "x", "y",
                                     "z", "X", "Y", "Z", "d", "D", "m", "M", "t", "total"};
        switch (pick(4)) {
        case 0: return vars[pick(20)];
        case 1: return vars[pick(11)];
        case 2: {
            static const char* extremes[] = {"2147483647", "2147483648", "4294967295", "65536", "1024",
                                             "0",          "1",          "255",        "256"};
            return pick(3) ? std::to_string(pick(600)) : extremes[pick(9)];
        }
        default: return std::to_string(pick(40));
        }
    }

    uint32_t pick(uint32_t n) { return m_random() % n; }

    std::mt19937 m_random;
    bool m_pure;
    bool m_genuine;
};

struct Scenario {
    int width;
    int height;
    int bpp;
    int edgeMode;
};

// Parses text; returns null (and counts nothing) when the generator made
// a sequence inside parentheses, which the language rejects.
Tree tryParse(const std::string& text)
{
    int32_t status = -1;
    Tree tree = parse(text, &status);
    EXPECT_NE(status, 2);
    return status == 0 ? std::move(tree) : Tree();
}

// The formulas as made, and with a pure left-leaning chain of that many
// terms added in front ("(x+...+x)*0+" adds 0): the program is then too
// high for the recursive walks, and all of it is evaluated by the walk
// with its own stack. Each under both rule sets.
class Differential : public ::testing::TestWithParam<std::tuple<int, int32_t>> {
protected:
    void SetUp() override
    {
        m_rules.emplace(rules());
        zeltro_SetSeed(0);
        zeltro::reference::setSeed(0);
    }
    void TearDown() override { m_rules.reset(); }

    static int32_t rules() { return std::get<1>(GetParam()); }

    static std::string prefixed(const std::string& formula)
    {
        const int terms = std::get<0>(GetParam());
        if (terms == 0)
            return formula;
        std::string chain = "x";
        for (int i = 1; i < terms; ++i)
            chain += "+x";
        return "(" + chain + ")*0+" + formula;
    }

private:
    std::optional<RulesScope> m_rules;
};

INSTANTIATE_TEST_SUITE_P(HeightsAndRules, Differential,
                         ::testing::Combine(::testing::Values(0, 140),
                                            ::testing::Values(ZELTRO_RULES_GENUINE, ZELTRO_RULES_CLASSIC)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int32_t>>& info) {
                             const int terms = std::get<0>(info.param);
                             return (terms == 0 ? std::string("AsMade") : "BehindAChainOf" + std::to_string(terms)) +
                                    rulesName(std::get<1>(info.param));
                         });

TEST_P(Differential, PerPixelOrderMatchesTheReferenceWalk)
{
    const Scenario scenarios[] = {{7, 5, 3, 0}, {1, 1, 3, 1}, {6, 4, 4, 2}, {5, 6, 3, 3}, {3, 2, 4, 0}};
    int compared = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        FormulaMaker maker(seed, false, rules());
        std::string formulas[4];
        Tree trees[4];
        bool ok = true;
        for (int z = 0; z < 4 && ok; ++z) {
            formulas[z] = prefixed(maker.make(1 + seed % 6));
            trees[z] = tryParse(formulas[z]);
            ok = trees[z] != nullptr;
        }
        if (!ok)
            continue;
        const Scenario& s = scenarios[seed % 5];
        TestImage image(s.width, s.height, s.bpp, seed);
        FFExecRecord& lib = image.record();
        lib.edgeMode = s.edgeMode;
        for (int i = 0; i < 8; ++i)
            lib.sliders[i] = static_cast<int32_t>((seed * 37 + i * 91) % 256);
        FFExecRecord ref = image.cloneRecord();
        FFPrepareExec(&lib);
        zeltro_SeedRandom(1);
        zeltro::reference::seedRandom(1);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                for (int z = 0; z < 4; ++z) {
                    lib.x = ref.x = x;
                    lib.y = ref.y = y;
                    lib.z = ref.z = z;
                    const int32_t got = FFExec(trees[z].get());
                    const int32_t want = zeltro::reference::evaluate(trees[z].get(), ref);
                    ASSERT_EQ(got, want) << "seed " << seed << " pixel " << x << "," << y << " channel " << z << "\n"
                                         << formulas[z];
                }
        EXPECT_EQ(lib.edgeMode, ref.edgeMode) << seed;
        EXPECT_EQ(lib.error, ref.error) << seed;
        EXPECT_EQ(zeltro_Seed(), zeltro::reference::seed()) << seed;
        ASSERT_TRUE(sameStorage(lib, ref)) << seed;
        std::free(ref.storage);
        ++compared;
    }
    EXPECT_GT(compared, 150);
}

TEST_P(Differential, RowsMatchTheReferenceWalk)
{
    const Scenario scenarios[] = {{9, 4, 3, 0}, {1, 3, 3, 0}, {8, 5, 4, 1}, {5, 5, 3, 2}, {6, 3, 4, 3}, {33, 2, 3, 7}};
    int compared = 0;
    std::vector<int32_t> row;
    for (unsigned seed = 1000; seed < 1600; ++seed) {
        FormulaMaker maker(seed, true, rules());
        const std::string formula = prefixed(maker.make(1 + seed % 7));
        Tree tree = tryParse(formula);
        if (!tree)
            continue;
        ASSERT_EQ(zeltro_Traits(tree.get()) & ~ZELTRO_READS_STORAGE, 0) << formula;
        const Scenario& s = scenarios[seed % 6];
        TestImage image(s.width, s.height, s.bpp, seed);
        FFExecRecord& lib = image.record();
        lib.edgeMode = s.edgeMode;
        for (int i = 0; i < 256; ++i)
            lib.storage[i] = static_cast<int32_t>(i * 7919 - 1000);
        for (int i = 0; i < 8; ++i)
            lib.sliders[i] = static_cast<int32_t>((seed * 53 + i * 29) % 256);
        FFExecRecord ref = image.cloneRecord();
        // Channels one by one, and all four in one call (in an order that
        // is not the natural one) with the channel-independent parts shared.
        std::vector<int32_t> rows(static_cast<size_t>(s.width) * 4, INT32_MIN);
        const int32_t channels[4] = {2, 0, 3, 1};
        int32_t* outs[4] = {rows.data(), rows.data() + s.width, rows.data() + 2 * s.width, rows.data() + 3 * s.width};
        row.assign(static_cast<size_t>(s.width), INT32_MIN);
        for (int y = 0; y < s.height; ++y) {
            ASSERT_EQ(zeltro_ExecRowChannels(tree.get(), &lib, y, 4, channels, outs), 1);
            for (int z = 0; z < 4; ++z) {
                ASSERT_EQ(zeltro_ExecRow(tree.get(), &lib, y, z, row.data()), 1);
                static const int slotOf[4] = {1, 3, 0, 2};  // where channel z went
                const int32_t* shared = outs[slotOf[z]];
                for (int x = 0; x < s.width; ++x) {
                    ASSERT_EQ(shared[x], row[static_cast<size_t>(x)]) << "channels shared, seed " << seed << "\n"
                                                                      << formula;
                    ref.x = x;
                    ref.y = y;
                    ref.z = z;
                    ASSERT_EQ(row[static_cast<size_t>(x)], zeltro::reference::evaluate(tree.get(), ref))
                        << "seed " << seed << " pixel " << x << "," << y << " channel " << z << "\n"
                        << formula;
                }
            }
        }
        std::free(ref.storage);
        ++compared;
    }
    EXPECT_GT(compared, 300);
}

// The renderer's loop for formulas that keep their order, through the
// reference walk: every channel of a pixel before the next pixel, the
// channels named by writeMask clamped into the destination at once.
void referenceRowInOrder(FFNode* const* trees, int count, FFExecRecord& ref, uint8_t* destination, int y, int writeMask,
                         std::vector<int32_t>& values)
{
    for (int x = 0; x < ref.X; ++x)
        for (int k = 0; k < count; ++k) {
            ref.x = x;
            ref.y = y;
            ref.z = k;
            const int32_t v = zeltro::reference::evaluate(trees[k], ref);
            values[static_cast<size_t>(k) * ref.X + x] = v;
            const int off = ref.channelOffsets[k];
            if ((writeMask >> k) & 1 && off >= 0 && off < ref.Z)
                destination[static_cast<size_t>(ref.largestRow - y) * ref.stride + static_cast<size_t>(x) * ref.Z +
                            off] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
}

TEST_P(Differential, RowsInOrderMatchTheReferenceWalk)
{
    const Scenario scenarios[] = {{7, 5, 3, 0}, {1, 2, 3, 1}, {6, 4, 4, 2}, {5, 6, 3, 3}, {9, 3, 4, 0}};
    int compared = 0;
    for (unsigned seed = 2000; seed < 2400; ++seed) {
        FormulaMaker maker(seed, false, rules());
        // Mostly the renderer's call (four channels, colour written); else
        // fewer channels and other channels written.
        const int count = seed % 3 ? 4 : 1 + static_cast<int>(seed / 3 % 4);
        const int writeMask = seed % 3 ? 0x7 : static_cast<int>(seed % 16);
        std::string formulas[4];
        Tree trees[4];
        FFNode* roots[4] = {};
        bool ok = true;
        for (int k = 0; k < count && ok; ++k) {
            formulas[k] = prefixed(maker.make(1 + seed % 6));
            trees[k] = tryParse(formulas[k]);
            roots[k] = trees[k].get();
            ok = roots[k] != nullptr;
        }
        if (!ok)
            continue;
        const Scenario& s = scenarios[seed % 5];
        TestImage image(s.width, s.height, s.bpp, seed);
        FFExecRecord& lib = image.record();
        lib.edgeMode = s.edgeMode;
        for (int i = 0; i < 8; ++i)
            lib.sliders[i] = static_cast<int32_t>((seed * 41 + i * 67) % 256);
        FFExecRecord ref = image.cloneRecord();
        std::vector<uint8_t> refDestination = image.destination;
        ref.destination = refDestination.data();
        std::vector<int32_t> got(static_cast<size_t>(s.width) * 4, INT32_MIN), want(got.size());
        int32_t* outs[4] = {got.data(), got.data() + s.width, got.data() + 2 * s.width, got.data() + 3 * s.width};
        zeltro_SeedRandom(1);
        zeltro::reference::seedRandom(1);
        std::string all;
        for (int k = 0; k < count; ++k)
            all += "\n" + formulas[k];
        for (int y = 0; y < s.height; ++y) {
            ASSERT_EQ(zeltro_ExecRowInOrder(roots, count, &lib, y, image.destination.data(), writeMask, outs), 1);
            referenceRowInOrder(roots, count, ref, refDestination.data(), y, writeMask, want);
            for (int k = 0; k < count; ++k)
                for (int x = 0; x < s.width; ++x)
                    ASSERT_EQ(outs[k][x], want[static_cast<size_t>(k) * s.width + x])
                        << "seed " << seed << " pixel " << x << "," << y << " channel " << k << all;
        }
        EXPECT_EQ(image.destination, refDestination) << seed << all;
        EXPECT_EQ(lib.edgeMode, ref.edgeMode) << seed;
        EXPECT_EQ(lib.error, ref.error) << seed;
        EXPECT_EQ(lib.x, s.width - 1);
        EXPECT_EQ(lib.y, s.height - 1);
        EXPECT_EQ(lib.z, count - 1);
        EXPECT_EQ(zeltro_Seed(), zeltro::reference::seed()) << seed;
        ASSERT_TRUE(sameStorage(lib, ref)) << seed;
        std::free(ref.storage);
        ++compared;
    }
    EXPECT_GT(compared, 150);
}

// The tests below, each under both rule sets.
class BothRules : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override
    {
        m_rules.emplace(GetParam());
        zeltro_SetSeed(0);
        zeltro::reference::setSeed(0);
    }
    void TearDown() override { m_rules.reset(); }

private:
    std::optional<RulesScope> m_rules;
};

std::string nameOfRules(const ::testing::TestParamInfo<int32_t>& info)
{
    return rulesName(info.param);
}

class DifferentialRandom : public BothRules {};
class DifferentialRows : public BothRules {};
INSTANTIATE_TEST_SUITE_P(Rules, DifferentialRandom, ::testing::Values(ZELTRO_RULES_GENUINE, ZELTRO_RULES_CLASSIC),
                         nameOfRules);
INSTANTIATE_TEST_SUITE_P(Rules, DifferentialRows, ::testing::Values(ZELTRO_RULES_GENUINE, ZELTRO_RULES_CLASSIC),
                         nameOfRules);

// rnd with constant bounds is compiled to a multiplication by the
// divisor's reciprocal: every kind of range against the reference walk,
// through FFExec and through rows in order, for a long run of draws.
TEST_P(DifferentialRandom, ConstantBoundsDrawAsTheReferenceWalk)
{
    const char* formulas[] = {"rnd(-20, 20)",        "rnd(0, 0)",
                              "rnd(3, 3)",           "rnd(5, 4)",
                              "rnd(10, -10)",        "rnd(0, 32766)",
                              "rnd(0, 32767)",       "rnd(0, 32768)",
                              "rnd(0, 40000)",       "rnd(-2147483648, 2147483647)",
                              "rnd(0, 2147483647)",  "rnd(2147483647, 0)",
                              "rnd(-5, -300)",       "rnd(0, 1)",
                              "rnd(100, 354)",       "rnd(1, 2) * rnd(0, 9999)",
                              "rnd(0, 254)",         "rnd(-2147483648, 2147483646)",
                              "rnd(-1, 2147483647)", "rnd(0, 1431655765) + rnd(7, 3)"};
    for (const char* f : formulas) {
        Tree tree = parse(f);
        ASSERT_NE(tree, nullptr) << f;
        TestImage image(64, 8);
        FFExecRecord& lib = image.record();
        FFExecRecord ref = image.cloneRecord();
        zeltro_SeedRandom(1);
        zeltro::reference::seedRandom(1);
        FFPrepareExec(&lib);
        for (int i = 0; i < 3000; ++i) {
            lib.x = ref.x = i % 64;
            lib.y = ref.y = i / 64 % 8;
            ASSERT_EQ(FFExec(tree.get()), zeltro::reference::evaluate(tree.get(), ref)) << f << " draw " << i;
        }
        std::vector<int32_t> row(64), want(64);
        int32_t* out[1] = {row.data()};
        FFNode* roots[1] = {tree.get()};
        for (int y = 0; y < 8; ++y) {
            ASSERT_EQ(zeltro_ExecRowInOrder(roots, 1, &lib, y, nullptr, 0, out), 1);
            referenceRowInOrder(roots, 1, ref, nullptr, y, 0, want);
            ASSERT_EQ(row, want) << f << " row " << y;
        }
        std::free(ref.storage);
    }
}

// Order-dependent formulas whose operands nest beyond the register code's
// registers (a left-leaning chain below the height of the recursive walk)
// or just within them, or evaluate operands twice: rows in order give the
// reference values.
TEST_P(DifferentialRows, LongOrderDependentChainsInOrder)
{
    std::vector<std::string> formulas;
    for (int terms : {10, 62, 63, 64, 65, 100}) {
        std::string left = "rnd(0, 9)";
        std::string right = "put(c, 1)";
        for (int i = 1; i < terms; ++i) {
            left += i % 2 ? "+x" : "-get(z)";
            right = "(x ^ " + right + ")";
        }
        formulas.push_back(left);
        formulas.push_back(right + " + get(1)");
        formulas.push_back("put(" + left + ", z), " + right);
    }
    // Operands evaluated twice (min, max, sin) with and without side
    // effects, and nested so deep that generating them twice over would
    // not end.
    std::string nested = "rnd(0, 99)";
    for (int i = 0; i < 24; ++i)
        nested = (i % 2 ? "min(" : "max(") + nested + ", rnd(0, 99))";
    for (const char* f :
         {"min(put(get(0) + 1, 0), 5) + get(0)", "max(rnd(0, 9), rnd(0, 9))",
          "sin(rnd(-600, 600)) + cos(x - 700) + tan(put(get(z) - 5, z))",
          "min(c, get(z)) + max(255 - c, dst(x - 1, y, z))", "min(x, 3) + max(y, 1) + X + Y + Z + D + M + t + total",
          // Conditions that jump on their comparison, values
          // left unused, leaves read as operands.
          "x == 0 && z == 0 ? storage(X) : 0, put(get(x) + c, x) & 255",
          "x < 2 && (y > 0 && rnd(0, 1)) ? put(c, z) : get(z) - y, c <= x ? rnd(c, 3) : y != z",
          "(z >= 1 ? put(x, 3) : 0), (y ? rnd(1, 2) : 0), x ? 7 : rst(put(9, 4)), get(3) % 7 + c / -3",
          "put((get(z) + c) % 256, z)", "c + rnd(-20, 20) - x / 2 + y % 3",
          // Division by powers of two and other constants,
          // negative dividends and the most negative one.
          "put(x, 0), (x * 536870912 - 1073741824 * y) / 1024 + (c - 128) % 32 + (0 - c) / 2"
          " + (x - 2147483647 - 1) % 65536 + (x - 2147483647 - 1) / 2 + (c * -1) / 4 % 8"
          " + (y - 1) * 7919 / 1073741824 + (c - 99) % 1073741824 + (x - c) / -8 + (c - 200) / 7"})
        formulas.push_back(f);
    formulas.push_back(nested);
    for (const std::string& f : formulas) {
        Tree tree = parse(f);
        ASSERT_NE(tree, nullptr) << f;
        TestImage image(5, 3, 3, 9);
        FFExecRecord& lib = image.record();
        FFExecRecord ref = image.cloneRecord();
        FFNode* roots[4] = {tree.get(), tree.get(), tree.get(), tree.get()};
        std::vector<int32_t> got(20), want(20);
        int32_t* outs[4] = {got.data(), got.data() + 5, got.data() + 10, got.data() + 15};
        zeltro_SeedRandom(1);
        zeltro::reference::seedRandom(1);
        for (int y = 0; y < 3; ++y) {
            ASSERT_EQ(zeltro_ExecRowInOrder(roots, 4, &lib, y, nullptr, 0, outs), 1);
            referenceRowInOrder(roots, 4, ref, nullptr, y, 0, want);
            ASSERT_EQ(got, want) << f << " row " << y;
        }
        ASSERT_TRUE(sameStorage(lib, ref)) << f;
        std::free(ref.storage);
    }
}

// Bytes written for one channel are seen by the next channel of the same
// pixel: through dst, and when rendering in place (the destination is the
// source) through c, r, g, b and src.
TEST_P(DifferentialRows, RowsInOrderSeeTheBytesWrittenBefore)
{
    const struct {
        const char* formula;
        bool inPlace;
    } cases[] = {
        {"c + rnd(0, 3)", true},
        {"r + g + b - c + put(c, z)", true},
        {"(get(z) + src(x - 1, y, z)) / 2 + rnd(0, 1)", true},
        {"src(x, y, 0) * 2 - src(x, y - 1, z) + rnd(-1, 1)", true},
        {"x % 3 ? put(255 - c, z) : get(2)", true},
        {"dst(x, y, 0) + dst(x, y, 1) - c + rnd(0, 9)", false},
        {"z ? dst(x, y, z - 1) + put(x, 0) : c * 3", false},
    };
    for (const auto& [f, inPlace] : cases) {
        Tree tree = parse(f);
        ASSERT_NE(tree, nullptr) << f;
        TestImage image(6, 4, 3, 17);
        FFExecRecord& lib = image.record();
        FFExecRecord ref = image.cloneRecord();
        std::vector<uint8_t> refSource = image.source, refDestination = image.destination;
        ref.source = refSource.data();
        uint8_t* destination = image.destination.data();
        if (inPlace) {
            lib.destination = destination = image.source.data();
            ref.destination = refSource.data();
        } else {
            ref.destination = refDestination.data();
        }
        FFNode* roots[3] = {tree.get(), tree.get(), tree.get()};
        std::vector<int32_t> got(18), want(18);
        int32_t* outs[3] = {got.data(), got.data() + 6, got.data() + 12};
        zeltro_SeedRandom(5);
        zeltro::reference::seedRandom(5);
        for (int y = 0; y < 4; ++y) {
            ASSERT_EQ(zeltro_ExecRowInOrder(roots, 3, &lib, y, destination, 0x7, outs), 1);
            referenceRowInOrder(roots, 3, ref, const_cast<uint8_t*>(ref.destination), y, 0x7, want);
            ASSERT_EQ(got, want) << f << " row " << y;
        }
        EXPECT_EQ(image.source, refSource) << f;
        EXPECT_EQ(image.destination, refDestination) << f;
        std::free(ref.storage);
    }
}

// A row's directions are found by stepping between the bounds of the
// arc tangent's values: every row through and around the centre, rows far
// away, wide rows and centres far outside the image give c2d's values.
TEST_P(DifferentialRows, DirectionsOfRowsMatchTheReferenceWalk)
{
    Tree tree = parse("d");
    ASSERT_NE(tree, nullptr);
    TestImage image(2600, 2, 3, 3);
    FFExecRecord& lib = image.record();
    std::vector<int32_t> row(2600);
    std::vector<int32_t> dys;
    for (int32_t dy = -700; dy <= 700; ++dy)
        dys.push_back(dy);
    for (int32_t dy : {-1000000, -65536, -4000, 3001, 99999, 2147483647})
        dys.push_back(dy);
    int compared = 0;
    for (int32_t centreX : {1300, 0, 2599, -5000, 40000, 1000000000}) {
        for (int32_t dy : dys) {
            lib.centreX = centreX;
            lib.centreY = static_cast<int32_t>(1 - static_cast<int64_t>(dy));  // row 1 at dy
            if (centreX != 1300 && dy % 7 != 0)
                continue;
            ASSERT_EQ(zeltro_ExecRow(tree.get(), &lib, 1, 0, row.data()), 1);
            FFExecRecord ref = image.cloneRecord();
            ref.centreX = lib.centreX;
            ref.centreY = lib.centreY;
            ref.y = 1;
            for (int x = 0; x < 2600; ++x) {
                ref.x = x;
                ASSERT_EQ(row[static_cast<size_t>(x)], zeltro::reference::evaluate(tree.get(), ref))
                    << "x " << x << " dy " << dy << " centre " << centreX;
            }
            std::free(ref.storage);
            ++compared;
        }
    }
    EXPECT_GT(compared, 1400);
}

TEST_P(DifferentialRows, RowsInOrderAreRefusedWithoutSideEffects)
{
    TestImage image(4, 3);
    FFExecRecord& r = image.record();
    Tree random = parse("put(rnd(0, 99), 0)");
    Tree plain = parse("r");
    std::vector<int32_t> row(4, 7);
    int32_t* out[4] = {row.data(), row.data(), row.data(), row.data()};
    int32_t* noOut[4] = {row.data(), nullptr, row.data(), row.data()};
    FFNode* trees[4] = {random.get(), plain.get(), plain.get(), plain.get()};
    FFNode* holed[4] = {random.get(), nullptr, plain.get(), plain.get()};
    const std::vector<uint8_t> destination = image.destination;
    zeltro_SeedRandom(1);
    EXPECT_EQ(zeltro_ExecRowInOrder(nullptr, 1, &r, 0, nullptr, 0, out), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(trees, 1, nullptr, 0, nullptr, 0, out), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(trees, 1, &r, 0, nullptr, 0, nullptr), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(trees, 0, &r, 0, nullptr, 0, out), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(trees, 5, &r, 0, nullptr, 0, out), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(trees, 4, &r, -1, image.destination.data(), 0xF, out), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(trees, 4, &r, 3, image.destination.data(), 0xF, out), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(holed, 4, &r, 0, image.destination.data(), 0xF, out), 0);
    EXPECT_EQ(zeltro_ExecRowInOrder(trees, 4, &r, 0, image.destination.data(), 0xF, noOut), 0);
    // Nothing was drawn, stored or written.
    EXPECT_EQ(row, std::vector<int32_t>(4, 7));
    EXPECT_EQ(r.storage[0], 0);
    EXPECT_EQ(image.destination, destination);
    Tree first = parse("rnd(0, 32767)");
    FFPrepareExec(&r);
    zeltro::reference::seedRandom(1);
    FFExecRecord ref = image.cloneRecord();
    EXPECT_EQ(FFExec(first.get()), zeltro::reference::evaluate(first.get(), ref));
    std::free(ref.storage);
}

TEST_P(DifferentialRows, RowsAreRefusedForOrderDependentTrees)
{
    TestImage image(4, 4);
    std::vector<int32_t> row(4, 7);
    for (const char* f : {"rnd(0,9)", "put(r,0)", "storage(5)", "srcmode(1)", "dst(x,y,z)", "r + rst(rnd(1,2))"}) {
        Tree tree = parse(f);
        ASSERT_NE(tree, nullptr) << f;
        EXPECT_NE(zeltro_Traits(tree.get()), 0) << f;
        EXPECT_EQ(zeltro_ExecRow(tree.get(), &image.record(), 0, 0, row.data()), 0) << f;
    }
    EXPECT_EQ(row, std::vector<int32_t>(4, 7));
    // rst sets the seed variable under the genuine rules only.
    Tree seeding = parse("r + get(3) + rst(x)");
    if (GetParam() == ZELTRO_RULES_GENUINE) {
        EXPECT_EQ(zeltro_Traits(seeding.get()), ZELTRO_READS_STORAGE | ZELTRO_WRITES_SEED);
        EXPECT_EQ(zeltro_ExecRow(seeding.get(), &image.record(), 0, 0, row.data()), 0);
        EXPECT_EQ(row, std::vector<int32_t>(4, 7));
    } else {
        EXPECT_EQ(zeltro_Traits(seeding.get()), ZELTRO_READS_STORAGE);
        EXPECT_EQ(zeltro_ExecRow(seeding.get(), &image.record(), 0, 0, row.data()), 1);
    }
    EXPECT_EQ(zeltro_ExecRow(nullptr, &image.record(), 0, 0, row.data()), 0);
}

}  // namespace
