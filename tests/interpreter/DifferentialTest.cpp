// Random formulas on random images: the library (per pixel through
// FFExec, and a row at a time through zeltro_ExecRow) must give exactly
// what the reference walk gives, and leave the record in the same state.

#include "ZeltroTestSupport.h"

#include <cstring>
#include <random>

using namespace zeltro::test;

namespace {

class FormulaMaker {
public:
    explicit FormulaMaker(unsigned seed, bool pure)
        : m_random(seed), m_pure(pure)
    {
    }

    std::string make(int depth)
    {
        if (depth <= 0 || pick(5) == 0)
            return leaf();
        static const char* binary[] = {"+", "-", "*", "/", "%", "<<", ">>", "==", "!=", "<", ">", "<=",
                                       ">=", "&&", "||", "&", "|", "^"};
        static const char* unary[] = {"-", "+", "!", "~"};
        static const char* fn1[] = {"ctl", "abs", "sqr", "sin", "cos", "tan", "frg", "bkg", "rst", "get"};
        static const char* fn2[] = {"dif", "min", "max", "c2d", "c2m", "r2x", "r2y", "map", "i"};
        static const char* fn3[] = {"src", "rad", "asrc", "arad", "add", "sub", "val"};
        const int d = depth - 1;
        switch (pick(m_pure ? 9 : 11)) {
        case 0: case 1: case 2:
            return "(" + make(d) + ")" + binary[pick(18)] + "(" + make(d) + ")";
        case 3:
            return std::string(unary[pick(4)]) + "(" + make(d) + ")";
        case 4:
            return "(" + make(d) + ")?(" + make(d) + "):(" + make(d) + ")";
        case 5:
            return std::string(fn1[pick(10)]) + "(" + make(d) + ")";
        case 6:
            return std::string(fn2[pick(9)]) + "(" + make(d) + "," + make(d) + ")";
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
    }

private:
    std::string leaf()
    {
        static const char* vars[] = {"r", "g", "b", "a", "c", "i", "u", "v", "x", "y", "z", "X", "Y", "Z",
                                     "d", "D", "m", "M", "t", "total"};
        switch (pick(4)) {
        case 0: return vars[pick(20)];
        case 1: return vars[pick(11)];
        case 2: {
            static const char* extremes[] = {"2147483647", "2147483648", "4294967295", "65536", "1024", "0", "1", "255", "256"};
            return pick(3) ? std::to_string(pick(600)) : extremes[pick(9)];
        }
        default: return std::to_string(pick(40));
        }
    }

    uint32_t pick(uint32_t n) { return m_random() % n; }

    std::mt19937 m_random;
    bool m_pure;
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

TEST(Differential, PerPixelOrderMatchesTheReferenceWalk)
{
    const Scenario scenarios[] = {{7, 5, 3, 0}, {1, 1, 3, 1}, {6, 4, 4, 2}, {5, 6, 3, 3}, {3, 2, 4, 0}};
    int compared = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        FormulaMaker maker(seed, false);
        std::string formulas[4];
        Tree trees[4];
        bool ok = true;
        for (int z = 0; z < 4 && ok; ++z) {
            formulas[z] = maker.make(1 + seed % 6);
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
                    ASSERT_EQ(got, want) << "seed " << seed << " pixel " << x << "," << y << " channel " << z
                                         << "\n" << formulas[z];
                }
        EXPECT_EQ(lib.edgeMode, ref.edgeMode) << seed;
        EXPECT_EQ(lib.error, ref.error) << seed;
        ASSERT_EQ(lib.storageSize, ref.storageSize) << seed;
        EXPECT_EQ(std::memcmp(lib.storage, ref.storage, static_cast<size_t>(lib.storageSize) * 4), 0) << seed;
        std::free(ref.storage);
        ++compared;
    }
    EXPECT_GT(compared, 150);
}

TEST(Differential, RowsMatchTheReferenceWalk)
{
    const Scenario scenarios[] = {{9, 4, 3, 0}, {1, 3, 3, 0}, {8, 5, 4, 1}, {5, 5, 3, 2}, {6, 3, 4, 3},
                                  {33, 2, 3, 7}};
    int compared = 0;
    std::vector<int32_t> row;
    for (unsigned seed = 1000; seed < 1600; ++seed) {
        FormulaMaker maker(seed, true);
        const std::string formula = maker.make(1 + seed % 7);
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
                    ASSERT_EQ(shared[x], row[static_cast<size_t>(x)]) << "channels shared, seed " << seed << "\n" << formula;
                    ref.x = x;
                    ref.y = y;
                    ref.z = z;
                    ASSERT_EQ(row[static_cast<size_t>(x)], zeltro::reference::evaluate(tree.get(), ref))
                        << "seed " << seed << " pixel " << x << "," << y << " channel " << z << "\n" << formula;
                }
            }
        }
        std::free(ref.storage);
        ++compared;
    }
    EXPECT_GT(compared, 300);
}

TEST(Differential, RowsAreRefusedForOrderDependentTrees)
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
    Tree pure = parse("r + get(3) + rst(x)");
    EXPECT_EQ(zeltro_Traits(pure.get()), ZELTRO_READS_STORAGE);
    EXPECT_EQ(zeltro_ExecRow(pure.get(), &image.record(), 0, 0, row.data()), 1);
    EXPECT_EQ(zeltro_ExecRow(nullptr, &image.record(), 0, 0, row.data()), 0);
}

}  // namespace
