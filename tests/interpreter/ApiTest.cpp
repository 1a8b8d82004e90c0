// The library's boundary: exported names, record layout, null handling,
// trees made by hand (unknown kinds), deep trees.

#include "ZeltroTestSupport.h"

#include "support/TestSupport.h"

#include <cstddef>
#include <filesystem>
#include <pthread.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace zeltro::test;

namespace {

TEST(Api, ExportsExactlyTheFourFunctionsAndTheExtensions)
{
    const auto library = vardel::test::binDir().parent_path() / "lib" / "libzeltro.so";
    const std::filesystem::path nm = "/usr/bin/nm";
    if (!std::filesystem::exists(nm) || !std::filesystem::exists(library))
        FAIL() << "needs binutils' nm and the shared library " << library;
    const vardel::test::RunResult result = vardel::test::run({nm.string(), "-D", "--defined-only", library.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    std::set<std::string> names;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        if (!name.empty())
            names.insert(name);
    }
    const std::set<std::string> expected = {"FFParse",
                                            "FFPrepareExec",
                                            "FFExec",
                                            "FFFree",
                                            "zeltro_Traits",
                                            "zeltro_ExecRow",
                                            "zeltro_ExecRowChannels",
                                            "zeltro_ExecRowInOrder",
                                            "zeltro_SeedRandom",
                                            "zeltro_SetRules",
                                            "zeltro_Rules",
                                            "zeltro_SetSeed",
                                            "zeltro_Seed"};
    EXPECT_EQ(names, expected);
}

TEST(Api, RecordFieldsInOrderWithNaturalAlignment)
{
    EXPECT_EQ(offsetof(FFExecRecord, D), 0u);
    EXPECT_EQ(offsetof(FFExecRecord, x), 8u);
    EXPECT_EQ(offsetof(FFExecRecord, z), 32u);
    EXPECT_EQ(offsetof(FFExecRecord, total), 44u);
    EXPECT_EQ(offsetof(FFExecRecord, storage), 48u);
    EXPECT_EQ(offsetof(FFExecRecord, storageSize), 48u + sizeof(void*));
    EXPECT_EQ(offsetof(FFExecRecord, foreground), offsetof(FFExecRecord, storageSize) + 4);
    EXPECT_EQ(offsetof(FFExecRecord, sliders), offsetof(FFExecRecord, background) + 12);
    EXPECT_EQ(offsetof(FFExecRecord, source) % alignof(void*), 0u);
    EXPECT_EQ(offsetof(FFExecRecord, destination), offsetof(FFExecRecord, source) + sizeof(void*));
    EXPECT_EQ(offsetof(FFExecRecord, channelOffsets), offsetof(FFExecRecord, destination) + sizeof(void*));
    EXPECT_EQ(offsetof(FFExecRecord, bottomUp), offsetof(FFExecRecord, channelOffsets) + 4);
    EXPECT_EQ(offsetof(FFExecRecord, error), offsetof(FFExecRecord, bottomUp) + 5 * 4);
    EXPECT_EQ(offsetof(FFNode, children) % alignof(void*), 0u);
    EXPECT_EQ(offsetof(FFNode, count), 8u);
}

TEST(Api, NullsAreHarmless)
{
    EXPECT_EQ(FFExec(nullptr), 0);
    FFFree(nullptr);
    TestImage image(2, 2);
    EXPECT_EQ(FFPrepareExec(&image.record()), &image.record());
    Tree tree = parse("7");
    EXPECT_EQ(FFPrepareExec(nullptr), nullptr);
    EXPECT_EQ(FFExec(tree.get()), 0);
    FFPrepareExec(&image.record());
    EXPECT_EQ(FFExec(tree.get()), 7);
    EXPECT_EQ(zeltro_Traits(nullptr), 0);
}

// A node made by hand, freed with FFFree.
FFNode* node(int type, int value, std::vector<FFNode*> children)
{
    auto* n = static_cast<FFNode*>(std::malloc(sizeof(FFNode)));
    n->type = type;
    n->value = value;
    n->count = static_cast<int32_t>(children.size());
    n->children = nullptr;
    if (!children.empty()) {
        n->children = static_cast<FFNode**>(std::malloc(sizeof(FFNode*) * children.size()));
        std::copy(children.begin(), children.end(), n->children);
    }
    return n;
}

TEST(Api, UnknownKindsYieldZeroAndAreRecorded)
{
    TestImage image(2, 2);
    FFPrepareExec(&image.record());
    Tree unknown(node('+', 0, {node(312, 5, {}), node(999, 0, {})}));
    EXPECT_EQ(FFExec(unknown.get()), 5);
    EXPECT_EQ(image.record().error, 999);
    EXPECT_EQ(zeltro_Traits(unknown.get()) & ZELTRO_UNKNOWN_KIND, ZELTRO_UNKNOWN_KIND);
    // A known kind with the wrong number of children counts as unknown.
    image.record().error = 0;
    Tree wrongCount(node('*', 0, {node(312, 5, {})}));
    EXPECT_EQ(FFExec(wrongCount.get()), 0);
    EXPECT_EQ(image.record().error, '*');
    // A hand-made tree that is fine evaluates like a parsed one.
    image.record().error = 0;
    Tree fine(node('-', 0, {node(312, 9, {}), node(312, 4, {})}));
    EXPECT_EQ(FFExec(fine.get()), 5);
    EXPECT_EQ(image.record().error, 0);
}

TEST(Api, SubtreesOfParsedTreesEvaluate)
{
    TestImage image(2, 2);
    FFPrepareExec(&image.record());
    Tree tree = parse("(3 + x) * 2");
    ASSERT_EQ(tree->count, 2);
    image.record().x = 4;
    EXPECT_EQ(FFExec(tree->children[0]), 7);
    EXPECT_EQ(FFExec(tree.get()), 14);
}

TEST(Api, DeepTreesEvaluate)
{
    TestImage image(3, 3);
    const std::string deep = std::string(4000, '-') + "r";
    const std::string nested = [] {
        std::string s;
        for (int i = 0; i < 2000; ++i)
            s += "abs(1+";
        return s + "x" + std::string(2000, ')');
    }();
    EXPECT_EQ(eval(deep, image, 1, 1), image.at(1, 1, 0));
    EXPECT_EQ(eval(nested, image, 2, 0), 2002);
    Tree tree = parse(nested);
    std::vector<int32_t> row(3);
    ASSERT_EQ(zeltro_ExecRow(tree.get(), &image.record(), 0, 0, row.data()), 1);
    EXPECT_EQ(row, (std::vector<int32_t>{2000, 2001, 2002}));
}

// Chains of 20,000 terms: a short parser stack but a tree 20,000 levels
// high. Each is parsed, compiled, rendered over a small image (per pixel,
// and a row at a time when it is pure) and freed, without any walk over
// the tree recursing as deep as the tree is high.
struct Chain {
    const char* name;
    std::string text;
    int32_t (*expected)(int32_t x, int32_t y);
    bool pure;
};

std::string chainText(const std::string& first, const std::string& term, int count, const std::string& last = "")
{
    std::string s = first;
    for (int i = 0; i < count; ++i)
        s += term;
    return s + last;
}

std::vector<Chain> longChains()
{
    return {
        {"+", chainText("x", "+1", 19999), [](int32_t x, int32_t) { return x + 19999; }, true},
        {"*", chainText("x", "*3", 19999),
         [](int32_t x, int32_t) {
             uint32_t v = static_cast<uint32_t>(x);
             for (int i = 0; i < 19999; ++i)
                 v *= 3u;
             return static_cast<int32_t>(v);
         },
         true},
        {"-", chainText("x", "-y", 19999), [](int32_t x, int32_t y) { return x - 19999 * y; }, true},
        {"/", chainText("x+7", "/1", 19999), [](int32_t x, int32_t) { return x + 7; }, true},
        {", pure", chainText("x", ",x+1", 19999), [](int32_t x, int32_t) { return x + 1; }, true},
        {", with put", chainText("put(x,0)", ",put(get(0)+1,0)", 19998, ",get(0)"),
         [](int32_t x, int32_t) { return x + 19998; }, false},
    };
}

void renderLongChains()
{
    TestImage image(4, 3);
    FFExecRecord& r = image.record();
    FFPrepareExec(&r);
    for (const Chain& chain : longChains()) {
        int32_t status = -1;
        Tree tree = parse(chain.text, &status);
        ASSERT_EQ(status, 0) << chain.name;
        ASSERT_NE(tree, nullptr) << chain.name;
        EXPECT_EQ(zeltro_Traits(tree.get()) == 0, chain.pure) << chain.name;
        std::vector<int32_t> row(4);
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 4; ++x) {
                r.x = x;
                r.y = y;
                r.z = 0;
                EXPECT_EQ(FFExec(tree.get()), chain.expected(x, y)) << chain.name << " at " << x << "," << y;
            }
            if (chain.pure) {
                ASSERT_EQ(zeltro_ExecRow(tree.get(), &r, y, 1, row.data()), 1) << chain.name;
                for (int32_t x = 0; x < 4; ++x)
                    EXPECT_EQ(row[static_cast<std::size_t>(x)], chain.expected(x, y)) << chain.name;
            }
        }
        if (std::string(chain.name) == "+") {
            // A subtree, which FFParse did not register, is compiled for
            // the one evaluation: the chain one term shorter.
            r.x = 2;
            EXPECT_EQ(FFExec(tree->children[0]), 2 + 19998);
        }
    }
}

TEST(Api, LongChainsRenderAndFreeOnTheMainStack)
{
    renderLongChains();
}

TEST(Api, LongChainsRenderAndFreeOnASmallThreadStack)
{
    // 256 KiB: far less than a recursion 20,000 levels deep needs.
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void*) -> void* {
                      renderLongChains();
                      return nullptr;
                  },
                  nullptr),
              0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attributes);
}

TEST(Api, TreesAreIndependentOfTheText)
{
    std::string text = "r + 1";
    Tree tree = parse(text);
    text.assign(text.size(), ' ');
    TestImage image(2, 2);
    EXPECT_EQ(show(tree.get()), "+(r 1)");
}

TEST(Api, FreedTreesAreForgotten)
{
    // A tree built at the address of a freed one must not use the old
    // compiled form.
    TestImage image(2, 2);
    FFPrepareExec(&image.record());
    for (int i = 0; i < 50; ++i) {
        Tree a = parse(std::to_string(i));
        EXPECT_EQ(FFExec(a.get()), i);
        std::vector<int32_t> row(2);
        zeltro_ExecRow(a.get(), &image.record(), 0, 0, row.data());
        EXPECT_EQ(row[1], i);
    }
}

}  // namespace
