// vardel-cli check and render, run as a user runs them.

#include "images/DIB.h"
#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct CheckCase {
    std::string formula;
    int status;
    friend void PrintTo(const CheckCase& c, std::ostream* os)
    {
        if (c.formula.empty())
            *os << "empty formula";
        else if (c.formula.size() > 20)
            *os << c.formula.substr(0, 20) << "... (" << c.formula.size() << " characters)";
        else
            *os << c.formula;
    }
};

class CheckCommand : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckCommand, PrintsTheStatus)
{
    const RunResult result = RunCli({"check", GetParam().formula});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(json::parse(result.out), json({{"status", GetParam().status}}));
}

INSTANTIATE_TEST_SUITE_P(Formulas, CheckCommand,
                         ::testing::Values(CheckCase{"r", 0}, CheckCase{"", 1}, CheckCase{"src(x,y)", 1},
                                           CheckCase{"put(r, 0), get(0)", 0}, CheckCase{std::string(100000, '('), 2}));

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        COXDIB image;
        ASSERT_TRUE(image.Create(24, 21, 13));
        for (int row = 0; row < 13; ++row)
            for (int i = 0; i < 21 * 3; ++i)
                image.GetRow(row)[i] = static_cast<uint8_t>(row * 17 + i * 5);
        ASSERT_TRUE(image.Write(m_dir / "in.bmp"));
        m_in = image;
    }

    COXDIB Read(const std::string& name)
    {
        COXDIB image;
        EXPECT_TRUE(image.Read(m_dir / name));
        return image;
    }

    TempDir m_dir;
    COXDIB m_in;
};

TEST_F(RenderCommand, FormulasAndSliders)
{
    const RunResult result =
        RunCli({"render", "--formulas", "ctl(0)", "255-g", "x*10", "255", "--in", (m_dir / "in.bmp").string(), "--out",
                (m_dir / "out.bmp").string(), "--sliders", "77,1,2"});
    ASSERT_EQ(result.status, 0) << result.err;
    const json report = json::parse(result.out);
    EXPECT_EQ(report["outcome"], "done");
    EXPECT_EQ(report["width"], 21);
    EXPECT_EQ(report["height"], 13);
    const COXDIB out = Read("out.bmp");
    ASSERT_EQ(out.GetBitCount(), 24);
    for (int row = 0; row < 13; ++row)
        for (int x = 0; x < 21; ++x) {
            EXPECT_EQ(out.GetRow(row)[x * 3 + 2], 77);
            EXPECT_EQ(out.GetRow(row)[x * 3 + 1], 255 - m_in.GetRow(row)[x * 3 + 1]);
            EXPECT_EQ(out.GetRow(row)[x * 3 + 0], std::min(255, x * 10));
        }
}

TEST_F(RenderCommand, ThreadsAndTransparencyGiveTheSameBytesAsOneThread)
{
    const std::vector<std::string> formulas = {"--formulas", "src(x+ctl(0)-128, y, z)", "c2d(x-X/2,y-Y/2)",
                                               "cnv(1,1,1,1,1,1,1,1,1,9)", "x*12"};
    for (const char* threads : {"1", "2"}) {
        std::vector<std::string> args = {"render",
                                         "--in",
                                         (m_dir / "in.bmp").string(),
                                         "--out",
                                         (m_dir / (std::string("t") + threads + ".bmp")).string(),
                                         "--transparency",
                                         "--threads",
                                         threads,
                                         "--sliders",
                                         "140"};
        args.insert(args.end(), formulas.begin(), formulas.end());
        const RunResult result = RunCli(args);
        ASSERT_EQ(result.status, 0) << result.err;
    }
    EXPECT_EQ(readFile(m_dir / "t1.bmp"), readFile(m_dir / "t2.bmp"));
}

// The genuine rules by default, the classic ones on request: the first
// draw of rnd(0, 254) lands in the top-left pixel's red byte.
TEST_F(RenderCommand, RuleSets)
{
    const std::string in = (m_dir / "in.bmp").string();
    for (const auto& [rules, red] : {std::pair<std::string, int>{"", 17}, {"genuine", 17}, {"classic", 41}}) {
        std::vector<std::string> args = {
            "render", "--formulas", "rnd(0, 254)", "g", "b", "a", "--in", in, "--out", (m_dir / "rules.bmp").string()};
        if (!rules.empty())
            args.insert(args.end(), {"--rules", rules});
        const RunResult result = RunCli(args);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(json::parse(result.out)["rules"], rules.empty() ? "genuine" : rules);
        EXPECT_EQ(Read("rules.bmp").GetRow(12)[2], red) << rules;
    }
    EXPECT_EQ(RunCli({"render", "--formulas", "r", "g", "b", "a", "--in", in, "--out", (m_dir / "x.bmp").string(),
                      "--rules", "other"})
                  .status,
              2);
}

TEST_F(RenderCommand, JpegByExtension)
{
    const RunResult result = RunCli({"render", "--formulas", "r", "g", "b", "a", "--in", (m_dir / "in.bmp").string(),
                                     "--out", (m_dir / "out.JPG").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto bytes = readFile(m_dir / "out.JPG");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
}

TEST_F(RenderCommand, FailuresAndUsageErrors)
{
    const std::string in = (m_dir / "in.bmp").string();
    const std::string out = (m_dir / "out.bmp").string();
    RunResult result = RunCli({"render", "--formulas", "r", "g +", "b", "a", "--in", in, "--out", out});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("green"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(out));

    COXDIB eight;
    ASSERT_TRUE(eight.Create(8, 4, 4));
    ASSERT_TRUE(eight.Write(m_dir / "eight.bmp"));
    result = RunCli({"render", "--formulas", "r", "g", "b", "a", "--in", (m_dir / "eight.bmp").string(), "--out", out});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(fs::exists(out));

    result =
        RunCli({"render", "--formulas", "r", "g", "b", "a", "--in", (m_dir / "missing.bmp").string(), "--out", out});
    EXPECT_EQ(result.status, 1);
    result = RunCli({"render", "--formulas", "r", "g", "b", "a", "--in", in, "--out", out, "--sliders", "1,x"});
    EXPECT_EQ(result.status, 1);
    result = RunCli(
        {"render", "--formulas", "r", "g", "b", "a", "--in", in, "--out", out, "--sliders", "1,2,3,4,5,6,7,8,9"});
    EXPECT_EQ(result.status, 1);
    result = RunCli({"render", "--in", in, "--out", out});
    EXPECT_EQ(result.status, 2);
    result = RunCli({"render", "--formulas", "r", "g", "b", "--in", in, "--out", out});
    EXPECT_EQ(result.status, 2);
    result = RunCli({"render", "--formulas", "r", "g", "b", "a", "--in", in, "--out", out, "--threads", "0"});
    EXPECT_EQ(result.status, 2);
    result = RunCli({"render", "--plugin", (m_dir / "in.bmp").string(), "--in", in, "--out", out});
    EXPECT_EQ(result.status, 1);
}

TEST_F(RenderCommand, PluginParameterBlockAndSliderOverride)
{
    const fs::path plugin = testPlugin("ff_filter.8bf");
    if (!fs::exists(plugin))
        FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
    // The test filter carries r+ctl(0), g*ctl(1)/255, b-x%16, a with
    // sliders 10, 20, ... 70, 128.
    const std::string in = (m_dir / "in.bmp").string();
    RunResult result = RunCli({"render", "--plugin", plugin.string(), "--in", in, "--out", (m_dir / "p.bmp").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    result = RunCli({"render", "--formulas", "r+ctl(0)", "g*ctl(1)/255", "b-x%16", "a", "--sliders",
                     "10,20,30,40,50,60,70,128", "--in", in, "--out", (m_dir / "f.bmp").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(m_dir / "p.bmp"), readFile(m_dir / "f.bmp"));
    result = RunCli({"render", "--plugin", plugin.string(), "--sliders", "200,255", "--in", in, "--out",
                     (m_dir / "o.bmp").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const COXDIB o = Read("o.bmp");
    EXPECT_EQ(o.GetRow(0)[2], std::min(255, m_in.GetRow(0)[2] + 200));
    EXPECT_EQ(o.GetRow(0)[1], m_in.GetRow(0)[1]);
}

}  // namespace
}  // namespace vardel::test
