// Grammar: precedence and associativity, the sequence comma, argument
// counts, the status codes and the parser stack limit.

#include "ZeltroTestSupport.h"

using namespace zeltro::test;

namespace {

using Grouping = TreeCase;

class GrammarGrouping : public ::testing::TestWithParam<Grouping> {};

TEST_P(GrammarGrouping, GroupsAsTheTableSays)
{
    expectTree(GetParam().text, GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, GrammarGrouping,
    ::testing::Values(Grouping{"a && b | c", "|(&&(a b) c)"}, Grouping{"a | b && c", "|(a &&(b c))"},
                      Grouping{"a || b && c", "||(a &&(b c))"}, Grouping{"a && b || c", "&&(a ||(b c))"},
                      Grouping{"a & b == c", "&(a ==(b c))"}, Grouping{"a == b < c", "<(==(a b) c)"},
                      Grouping{"a << b + c", "+(<<(a b) c)"}, Grouping{"a * b << c", "*(a <<(b c))"},
                      Grouping{"a << b << c", "<<(a <<(b c))"}, Grouping{"a >> b << c", ">>(a <<(b c))"},
                      Grouping{"a && b && c", "&&(a &&(b c))"}, Grouping{"a ? b : c ? d : r", "?(a b ?(c d r))"},
                      Grouping{"a ? b, c : d", "?(a ,(b c) d)"}, Grouping{"a ? b : c, d", ",(?(a b c) d)"},
                      Grouping{"-a * b", "*(neg(a) b)"}, Grouping{"-a << b", "<<(neg(a) b)"},
                      Grouping{"!a + ~b", "+(!(a) ~(b))"}, Grouping{"+a", "pos(a)"}, Grouping{"- -a", "neg(neg(a))"},
                      Grouping{"x<y&y<z", "&(<(x y) <(y z))"}, Grouping{"a & b | c ^ d", "^(|(&(a b) c) d)"},
                      Grouping{"a - b - c", "-(-(a b) c)"}, Grouping{"a / b * c % d", "%(*(/(a b) c) d)"},
                      Grouping{"a + b * c", "+(a *(b c))"}, Grouping{"(a + b) * c", "*(+(a b) c)"},
                      Grouping{"a != b >= c <= d > r", ">(<=(>=(!=(a b) c) d) r)"}, Grouping{"a, b, c", ",(,(a b) c)"},
                      Grouping{"put(r, 0), get(0)", ",(put(r 0) get(0))"}, Grouping{"i(x,y)*2", "*(i(x y) 2)"},
                      Grouping{"i*2", "*(i 2)"}, Grouping{"i (x, y)", "i(x y)"},
                      Grouping{"src(x-1, y+1, z) + 1", "+(src(-(x 1) +(y 1) z) 1)"},
                      Grouping{"min(a ? b : c, d)", "min(?(a b c) d)"}));

class GrammarRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(GrammarRejects, WithStatusOne)
{
    int32_t status = -1;
    Tree tree = parse(GetParam(), &status);
    EXPECT_EQ(status, 1) << GetParam();
    EXPECT_EQ(tree, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Syntax, GrammarRejects,
                         ::testing::Values("r;", "r)", "(r", "()", "src(x,y)", "src(x,y,z,0)", "(a, b)",
                                           "min((a, b), c)", "ctl(0, 1)", "ctl()", "cnv(1,2,3,4,5,6,7,8,9)",
                                           "cnv(1,2,3,4,5,6,7,8,9,10,11)", "mix(1,2,3)", "scl(1,2,3,4)", "r +", "* r",
                                           "r r", "a ? b", "a : b", "a ? b : ", "i(x)", "i(x,y,z)", "r g", "1 2", ",",
                                           "r,", ",r", "abs", "abs r", "r ? (a, b) : c", "src(x,,z)", "x < < y",
                                           "a && && b"));

TEST(Grammar, CheckModeBuildsNothing)
{
    int32_t status = -1;
    EXPECT_EQ(FFParse("r+g", &status, 0), nullptr);
    EXPECT_EQ(status, 0);
    Tree tree = parse("r+g", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(tree, nullptr);
}

TEST(Grammar, NodeLayoutForNumbersAndChildren)
{
    Tree tree = parse("cnv(1,2,3,4,5,6,7,8,9,10)");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->type, 261);
    ASSERT_EQ(tree->count, 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(tree->children[i]->type, 312);
        EXPECT_EQ(tree->children[i]->value, i + 1);
        EXPECT_EQ(tree->children[i]->count, 0);
        EXPECT_EQ(tree->children[i]->children, nullptr);
    }
}

// Nesting around the parser's stack limit: a deep text is either accepted
// or gives status 2, never a crash; far beyond the limit always 2.
struct Nesting {
    std::string open;
    std::string close;
};

class GrammarNesting : public ::testing::TestWithParam<int> {};

TEST_P(GrammarNesting, ParenthesesAndPrefixes)
{
    const int depth = GetParam();
    const std::string parens = std::string(depth, '(') + "r" + std::string(depth, ')');
    const std::string prefixes = std::string(depth, '-') + "r";
    const std::string calls = [&] {
        std::string s;
        for (int i = 0; i < depth; ++i)
            s += "abs(";
        return s + "r" + std::string(depth, ')');
    }();
    for (const std::string& text : {parens, prefixes, calls}) {
        int32_t status = -1;
        Tree tree = parse(text, &status);
        if (depth <= 4000) {
            EXPECT_EQ(status, 0) << depth;
            EXPECT_NE(tree, nullptr);
        } else if (depth >= 10001) {
            EXPECT_EQ(status, 2) << depth;
            EXPECT_EQ(tree, nullptr);
        }
        EXPECT_EQ(check(text), status);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, GrammarNesting, ::testing::Values(1, 199, 200, 201, 4000, 9999, 10000, 10001, 100000));

TEST(Grammar, UnclosedDeepNestingIsTooDeep)
{
    EXPECT_EQ(check(std::string(100000, '(')), 2);
    EXPECT_EQ(check(std::string(100000, '(') + "r"), 2);
}

TEST(Grammar, LongChainsNeedOnlyAFewParserStackEntries)
{
    // A left-leaning chain is reduced term by term, so however long it is
    // (and however high its tree) it is accepted; only the parser's stack
    // limits nesting.
    auto chain = [](int terms, const std::string& op) {
        std::string s = "r";
        for (int i = 1; i < terms; ++i)
            s += op + "r";
        return s;
    };
    for (const char* op : {"+", "-", "*", "/", "&", "|", "==", ","}) {
        EXPECT_EQ(check(chain(10001, op)), 0) << op;
        EXPECT_EQ(check(chain(200000, op)), 0) << op;
    }
    int32_t status = -1;
    for (const char* op : {"+", "*", ","}) {
        Tree tree = parse(chain(20000, op), &status);
        EXPECT_EQ(status, 0) << op;
        EXPECT_NE(tree, nullptr) << op;
    }
    // Right-associative chains nest: every operand and operator waits on
    // the stack until the last term, so they are limited as nesting is.
    for (const char* op : {"<<", "&&", "||"}) {
        EXPECT_EQ(check(chain(4000, op)), 0) << op;
        EXPECT_EQ(check(chain(10001, op)), 2) << op;
    }
    // Evaluated (by the library and the reference walk) at a height that
    // leaves room on the stack of a sanitizer build.
    TestImage image(2, 2);
    eval(chain(4000, "*"), image);
    std::vector<int32_t> row(2);
    Tree tree = parse(chain(4000, "-"), &status);
    EXPECT_EQ(zeltro_ExecRow(tree.get(), &image.record(), 1, 0, row.data()), 1);
    EXPECT_EQ(row[0], static_cast<int32_t>(-3998u * static_cast<uint32_t>(image.at(0, 1, 0))));
}

TEST(Grammar, ArbitraryBytesNeverCrash)
{
    // Every byte value and a mixed soup: only status 0, 1 or 2.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    for (const std::string& text :
         {all, std::string(50000, ')'), std::string(50000, ','), std::string("r") + std::string(100000, ' ') + "r",
          std::string("r") + std::string(30000, '+')}) {
        int32_t status = -1;
        Tree tree = parse(text, &status);
        EXPECT_TRUE(status == 1 || status == 2);
        EXPECT_EQ(tree, nullptr);
    }
}

TEST(Grammar, NullStatusAndTextAreSafe)
{
    EXPECT_EQ(FFParse("r", nullptr, 0), nullptr);
    Tree tree(FFParse("r", nullptr, 1));
    EXPECT_NE(tree, nullptr);
    int32_t status = -1;
    EXPECT_EQ(FFParse(nullptr, &status, 1), nullptr);
    EXPECT_EQ(status, 1);
}

TEST(Grammar, ParseAfterFailureStartsClean)
{
    // The depth counter and scanner state are reset for every parse.
    EXPECT_EQ(check("(((r"), 1);
    EXPECT_EQ(check("put(r, 0), get(0)"), 0);
    EXPECT_EQ(check(std::string(20000, '(')), 2);
    EXPECT_EQ(check("r, g"), 0);
}

}  // namespace
