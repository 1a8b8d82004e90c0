// vardel-cli history, undo, redo and bisect, as a user runs them one after
// the other: every command in the history, undo and redo giving back the
// very bytes, a refusal with its reason and status 1, and a troublemaker
// search carried over several runs that ends where it started.

#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

constexpr int kFiles = 5;

class HistoryCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(testPlugin("pipl_single.8bf")))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        fs::create_directories(m_data / "setup.db");
        fs::create_directories(m_dir / "p");
        for (int i = 0; i < kFiles; ++i)
            fs::copy_file(testPlugin("pipl_single.8bf"), File(i));
        m_old = readFile(File(0));
        Ok({"dirs", "add", "P", (m_dir / "p").string()});
        Ok({"select", "0"});
    }
    fs::path File(int i, bool enabled = true) const
    {
        return m_dir / "p" / ("f" + std::to_string(i) + (enabled ? ".8bf" : "_8bf"));
    }
    RunResult Cli(std::vector<std::string> args) { return RunCli(std::move(args), m_data); }
    json Ok(const std::vector<std::string>& args) { return RunCliOk(args, m_data); }
    void ExpectAsAtStart()
    {
        for (int i = 0; i < kFiles; ++i) {
            ASSERT_TRUE(fs::exists(File(i))) << i;
            EXPECT_FALSE(fs::exists(File(i, false))) << i;
            EXPECT_EQ(readFile(File(i)), m_old) << i;
        }
    }

    TempDir m_dir;
    fs::path m_data = m_dir / "data";
    std::vector<std::uint8_t> m_old;
};

TEST_F(HistoryCommandsTest, HistoryUndoAndRedoOfWholeCommands)
{
    Ok({"rename", "--dir", "0", "--entry", "0", "Blurred"});
    Ok({"disable-category", "--dir", "0", "--entry", "0"});
    const auto renamed = [&] {
        for (int i = 0; i < kFiles; ++i)
            if (readFile(File(i, false)) != m_old)
                return readFile(File(i, false));
        return m_old;
    }();
    ASSERT_NE(renamed, m_old);

    json h = Ok({"history"});
    ASSERT_EQ(h["commands"].size(), 2u);
    const json& newest = h["commands"][0];
    EXPECT_EQ(newest["label"], "Disable category \"Vardel Test\" (5 files)");
    EXPECT_EQ(newest["state"], "done");
    ASSERT_EQ(newest["changes"].size(), static_cast<std::size_t>(kFiles));
    EXPECT_EQ(newest["changes"][0]["kind"], "rename");
    const json& rename = h["commands"][1];
    EXPECT_EQ(rename["label"], "Rename \"Soft Glow\" to \"Blurred\"");
    EXPECT_EQ(rename["changes"][0]["text_before"], "Soft Glow");
    EXPECT_EQ(rename["changes"][0]["text_after"], "Blurred");
    EXPECT_EQ(rename["changes"][0]["before"].get<std::string>().size(),
              rename["changes"][0]["after"].get<std::string>().size());
    EXPECT_EQ(h["next_undo"], newest["id"]);
    EXPECT_TRUE(h["next_redo"].is_null());

    EXPECT_EQ(Ok({"undo"})["undone"], json::array({newest["id"]}));
    EXPECT_EQ(Ok({"undo"})["undone"], json::array({rename["id"]}));
    ExpectAsAtStart();
    // The stored catalogue followed: old names, every file enabled.
    const json stored = Ok({"store", "dump", (m_data / "setup.db" / "SETUP000").string()});
    ASSERT_EQ(stored["entries"].size(), static_cast<std::size_t>(kFiles));
    for (const json& e : stored["entries"]) {
        EXPECT_EQ(e["name"], "Soft Glow");
        EXPECT_EQ(e["enabled"], 1);
    }
    const auto nothing = Cli({"undo"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_NE(nothing.err.find("Nothing to undo."), std::string::npos) << nothing.err;

    EXPECT_EQ(Ok({"redo"})["redone"], json::array({rename["id"]}));
    EXPECT_EQ(Ok({"redo"})["redone"], json::array({newest["id"]}));
    int changed = 0;
    for (int i = 0; i < kFiles; ++i) {
        ASSERT_TRUE(fs::exists(File(i, false)));
        changed += readFile(File(i, false)) == renamed ? 1 : 0;
    }
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(Cli({"redo"}).status, 1);
}

// A file changed by another program between a change and its undo is
// refused with its path; nothing is written.
TEST_F(HistoryCommandsTest, UndoRefusesAFileChangedSince)
{
    Ok({"move", "--dir", "0", "--entry", "0,1,2", "Zed"});
    // The bytes the move wrote in its first file, changed by someone else.
    const json h = Ok({"history"});
    const std::size_t at = h["commands"][0]["changes"][0]["offset"].get<std::size_t>();
    const fs::path first = h["commands"][0]["changes"][0]["path"].get<std::string>();
    auto bytes = readFile(first);
    bytes[at + 1] = 'X';
    writeFile(first, bytes);

    const auto r = Cli({"undo"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(first.string() + " was changed by another program since"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(first), bytes);
    int untouched = 0;
    for (int i = 0; i < kFiles; ++i)
        untouched += readFile(File(i)) == m_old ? 1 : 0;
    EXPECT_EQ(untouched, kFiles - 3);
}

TEST_F(HistoryCommandsTest, BisectOverSeveralRunsFindsTheCulpritAndResetRestores)
{
    const fs::path culprit = File(3);
    json s = Ok({"bisect", "start", "--dir", "0"});
    EXPECT_EQ(s["files"], kFiles);
    EXPECT_EQ(s["steps_left"], 3);
    int answers = 0;
    while (!s["found"].get<bool>()) {
        EXPECT_EQ(s["disabled_count"], s["disabled"].size());
        s = Ok({"bisect", fs::exists(culprit) ? "bad" : "good"});
        ASSERT_LE(++answers, 3);
        EXPECT_EQ(Ok({"bisect", "status"})["answers"], answers);
    }
    EXPECT_EQ(s["culprit"], culprit.string());
    const auto again = Cli({"bisect", "good"});
    EXPECT_EQ(again.status, 1);
    EXPECT_FALSE(again.err.empty());
    Ok({"bisect", "reset"});
    EXPECT_EQ(Ok({"bisect", "status"})["active"], false);
    ExpectAsAtStart();
    EXPECT_EQ(Cli({"bisect", "reset"}).status, 1);
}

// Given entries only: the other files are never touched.
TEST_F(HistoryCommandsTest, BisectOverChosenEntries)
{
    json s = Ok({"bisect", "start", "--dir", "0", "--entry", "1,2"});
    EXPECT_EQ(s["files"], 2);
    EXPECT_EQ(s["disabled_count"], 1);
    int off = 0;
    for (int i = 0; i < kFiles; ++i)
        off += fs::exists(File(i, false)) ? 1 : 0;
    EXPECT_EQ(off, 1);
    s = Ok({"bisect", "good"});
    EXPECT_TRUE(s["found"].get<bool>());
    Ok({"bisect", "reset"});
    ExpectAsAtStart();
}

}  // namespace
}  // namespace vardel::test

namespace vardel::test {
namespace {

// The plug-ins without a category are named as such, not as a category "".
TEST_F(HistoryCommandsTest, TheLabelOfPluginsWithoutACategory)
{
    fs::create_directories(m_dir / "q");
    fs::copy_file(testPlugin("pipl_nocat.8bf"), m_dir / "q" / "nocat.8bf");
    Ok({"dirs", "add", "Q", (m_dir / "q").string()});
    Ok({"select", "1"});
    Ok({"disable-category", "--dir", "1", "--entry", "0"});
    EXPECT_EQ(Ok({"history"})["commands"][0]["label"], "Disable the plug-ins without a category (1 file)");
}

}  // namespace
}  // namespace vardel::test
