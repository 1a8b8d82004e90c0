#pragma once
// Helpers of the interpreter tests: a small image with its execution
// record, parsing with ownership, a printer that shows a tree's grouping,
// and evaluation through the library checked against the reference walk.

#include "ReferenceEvaluator.h"
#include "zeltro.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace zeltro::test {

struct TreeDeleter {
    void operator()(FFNode* n) const { FFFree(n); }
};
using Tree = std::unique_ptr<FFNode, TreeDeleter>;

inline Tree parse(const std::string& text, int32_t* statusOut = nullptr)
{
    int32_t status = -1;
    Tree tree(FFParse(text.c_str(), &status, 1));
    if (statusOut)
        *statusOut = status;
    return tree;
}

inline int32_t check(const std::string& text)
{
    int32_t status = -1;
    EXPECT_EQ(FFParse(text.c_str(), &status, 0), nullptr);
    return status;
}

// The tree as text: operators and functions with their children in
// parentheses, numbers by value, variables by letter.
std::string show(const FFNode* node);

// A row of a value table: a formula and what it yields; shown as the formula.
struct FormulaCase {
    const char* formula;
    int32_t value;
    friend void PrintTo(const FormulaCase& c, std::ostream* os) { *os << c.formula; }
};

// A row of a grouping table: a text and its tree as show() prints it; shown
// as the text.
struct TreeCase {
    const char* text;
    const char* tree;
    friend void PrintTo(const TreeCase& c, std::ostream* os) { *os << c.text; }
};

// Parses text, which must succeed, and compares its tree with tree.
inline void expectTree(const char* text, const char* tree)
{
    int32_t status = -1;
    Tree parsed = parse(text, &status);
    ASSERT_EQ(status, 0) << text;
    EXPECT_EQ(show(parsed.get()), tree) << text;
}

// An image of width x height at bytesPerPixel, bottom-up, channel
// offsets 2, 1, 0, 3, filled with a deterministic pattern, and a record
// set up as the renderer sets it.
class TestImage {
public:
    TestImage(int width, int height, int bytesPerPixel = 3, unsigned seed = 1);
    ~TestImage();
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;

    // The byte of channel k (0 red .. 3 alpha) of pixel (x, y), y from the top.
    uint8_t& at(int x, int y, int k);
    uint8_t& dstAt(int x, int y, int k);
    FFExecRecord& record() { return m_record; }
    // A copy of the record with its own storage array, for the reference walk.
    FFExecRecord cloneRecord() const;

    std::vector<uint8_t> source;
    std::vector<uint8_t> destination;

private:
    FFExecRecord m_record{};
};

// Makes rules the rule set of the library and of the reference walk while
// it lives; the genuine rules, the default, afterwards.
class RulesScope {
public:
    explicit RulesScope(int32_t rules)
    {
        zeltro_SetRules(rules);
        reference::setRules(rules);
    }
    ~RulesScope()
    {
        zeltro_SetRules(ZELTRO_RULES_GENUINE);
        reference::setRules(ZELTRO_RULES_GENUINE);
    }
    RulesScope(const RulesScope&) = delete;
    RulesScope& operator=(const RulesScope&) = delete;
};

// "genuine" or "classic", for test names.
inline std::string rulesName(int32_t rules)
{
    return rules == ZELTRO_RULES_CLASSIC ? "Classic" : "Genuine";
}

// Value of formula at (x, y, z) through FFExec under the rule set in
// force; fails the test when the reference walk disagrees or the formula
// does not parse.
int32_t eval(const std::string& formula, TestImage& image, int x = 0, int y = 0, int z = 0);

}  // namespace zeltro::test
