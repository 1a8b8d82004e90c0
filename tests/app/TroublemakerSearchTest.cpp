// The troublemaker search: whichever file breaks the host, it is found in
// at most ceil(log2(n)) answers, a file with several plug-ins moves as one,
// the search goes on in a new program and completes a step cut short, and
// its end leaves every file with its bytes and name from before the start.

#include "app/Session.h"
#include "app/Stores.h"
#include "app/TroublemakerSearch.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "support/TestSupport.h"
#include "DirectorySession.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 10;
constexpr int kDisabled = kFiles - 1;  // disabled from the start: no suspect

class TroublemakerSearchTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(test::testPlugin("pipl_three.8bf")))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        // File 4 holds three plug-ins.
        for (int i = 0; i < kFiles; ++i)
            fs::copy_file(test::testPlugin(i == 4 ? "pipl_three.8bf" : "pipl_single.8bf"), File(i, i != kDisabled));
        for (int i = 0; i < kFiles; ++i)
            m_before.push_back(test::readFile(File(i, i != kDisabled)));
        m_dir.Begin();
    }
    DataDirectory Data() const { return m_dir.Data(); }
    fs::path File(int i, bool enabled = true) const
    {
        return m_dir.Plugins() / ("f" + std::to_string(i) + (enabled ? ".8bf" : "_8bf"));
    }
    std::vector<const CPluginEntry*> All() const
    {
        std::vector<const CPluginEntry*> all;
        for (auto& e : Session().Catalogue().m_entries)
            all.push_back(e.get());
        return all;
    }
    CTroublemakerSearch& Search() { return Session().Troublemaker(); }
    void Step(const TroublemakerStep& step, bool reset = false)
    {
        ASSERT_TRUE(step.ok) << (step.message ? step.message->text : "");
        const auto failed = ApplyTroublemakerStep(Session(), step, reset);
        ASSERT_FALSE(failed) << failed->text;
    }
    // The host breaks while the culprit's file is enabled.
    bool Broken(int culprit) const { return fs::exists(File(culprit)); }
    void ExpectAsBefore(const std::string& when)
    {
        for (int i = 0; i < kFiles; ++i) {
            EXPECT_TRUE(fs::exists(File(i, i != kDisabled))) << i << when;
            EXPECT_FALSE(fs::exists(File(i, i == kDisabled))) << i << when;
            EXPECT_EQ(test::readFile(File(i, i != kDisabled)), m_before[static_cast<std::size_t>(i)]) << i << when;
        }
        for (auto& e : Session().Catalogue().m_entries)
            EXPECT_EQ(e->m_enabled != 0, e->RealPath() != File(kDisabled).string()) << e->m_path << when;
    }

    CVardelSession& Session() const { return m_dir.Session(); }

    test::TempDir m_tmp;
    test::DirectorySession m_dir{m_tmp.path()};
    std::vector<std::vector<std::uint8_t>> m_before;
};

}  // namespace

TEST_F(TroublemakerSearchTest, FindsEveryCulpritInLogStepsAndEndsWhereItStarted)
{
    // Nine enabled files: four answers at most.
    const int most = static_cast<int>(std::ceil(std::log2(kFiles - 1)));
    for (int culprit = 0; culprit < kFiles - 1; ++culprit) {
        const std::string when = " (culprit " + std::to_string(culprit) + ")";
        Step(Search().Start(0, m_dir.Plugins().string(), All()));
        ASSERT_EQ(Search().State().files.size(), static_cast<std::size_t>(kFiles - 1)) << when;
        EXPECT_EQ(Search().State().StepsLeft(), most);
        int answers = 0;
        while (!Search().State().Found()) {
            // The three plug-ins of file 4 are always in one state.
            int enabled = 0;
            for (auto& e : Session().Catalogue().m_entries)
                if (e->RealPath() == File(4).string())
                    enabled += e->m_enabled;
            EXPECT_TRUE(enabled == 0 || enabled == 3) << when;
            EXPECT_LE(Search().State().StepsLeft(), most - answers) << when;
            Step(Search().Answer(Broken(culprit)));
            ASSERT_LE(++answers, most) << when;
        }
        EXPECT_EQ(Search().State().files[Search().State().suspects.front()], File(culprit).string()) << when;
        // Found: every file has its name back already.
        ExpectAsBefore(when);
        Step(Search().Reset(), true);
        EXPECT_FALSE(Search().Active());
        EXPECT_FALSE(fs::exists(Data().SetupDb() / kTroublemakerFileName));
        ExpectAsBefore(when);
    }
}

TEST_F(TroublemakerSearchTest, GoesOnInANewProgramAndCompletesAStepCutShort)
{
    Step(Search().Start(0, m_dir.Plugins().string(), All()));
    const std::vector<std::uint32_t> tested = Search().State().tested;
    ASSERT_FALSE(tested.empty());
    // Killed half way through the renames of a step: one tested file is
    // still under its enabled name.
    const fs::path first = Search().State().files[tested.front()];
    fs::path off = first;
    off.replace_filename(first.stem().string() + "_8bf");
    m_dir.End();
    fs::rename(off, first);
    m_dir.Restart(false);
    ASSERT_TRUE(Search().Active());
    EXPECT_EQ(Search().State().tested, tested);
    EXPECT_EQ(Search().PendingFiles(), 1u);
    const TroublemakerStep refused = Search().Answer(true);
    EXPECT_FALSE(refused.ok);
    Step(Search().Resume());
    EXPECT_EQ(Search().PendingFiles(), 0u);
    EXPECT_FALSE(fs::exists(first));
    Step(Search().Answer(false));
    ASSERT_TRUE(Session().SelectDirectory(0).done);
    Step(Search().Reset(), true);
    ExpectAsBefore(" (after a restart)");
    // Nothing to end twice.
    EXPECT_FALSE(Search().Reset().ok);
}

TEST_F(TroublemakerSearchTest, ADamagedStateIsNoSearchAndIsReplacedByTheNextStart)
{
    Step(Search().Start(0, m_dir.Plugins().string(), All()));
    const fs::path state = Data().SetupDb() / kTroublemakerFileName;
    const auto whole = test::readFile(state);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        test::writeFile(state, std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(n)));
        CTroublemakerSearch read(state);
        EXPECT_FALSE(read.Load()) << n;
        EXPECT_FALSE(read.Active()) << n;
    }
    test::writeFile(state, whole);
    CTroublemakerSearch read(state);
    ASSERT_TRUE(read.Load());
    EXPECT_EQ(read.State().files, Search().State().files);
}
