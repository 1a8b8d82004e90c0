#include "base/MemorySettingsBackend.h"
#include "app/OriginalsFirst.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

class OriginalsFirstTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_tmp / "setup.db");
        m_session = std::make_unique<CVardelSession>(DataDirectory{m_tmp.path()}, m_backend);
        m_session->Start();
    }
    // Reads a plug-in file straight into the session's originals, as
    // vardel-cli does with a file named on its command line.
    void ReadBehindTheSessionsBack(const std::string& plugin)
    {
        CPluginListManager catalogue;
        CPluginReader reader(catalogue, m_session->Restore(), m_session->PimiCache());
        ASSERT_GT(reader.ReadFile(test::testPlugin(plugin).string(), true), 0);
    }
    std::size_t OnDisk()
    {
        CPluginRestoreManager saved;
        LoadRestore(m_session->GetDataDirectory(), saved);
        return saved.Size();
    }
    fs::file_time_type Written() { return fs::last_write_time(m_tmp / "setup.db" / "restore"); }

    test::TempDir m_tmp;
    MemorySettingsBackend m_backend;
    std::unique_ptr<CVardelSession> m_session;
};

TEST_F(OriginalsFirstTest, OriginalsReadOutsideAScanAreSavedBeforeTheChange)
{
    COriginalsFirst originals(*m_session);
    originals.Watch();
    ReadBehindTheSessionsBack("pipl_three.8bf");
    ASSERT_FALSE(m_session->Restore().IsEmpty());
    ASSERT_TRUE(originals.BeforeChange());
    EXPECT_EQ(OnDisk(), m_session->Restore().Size());

    // Once saved, a second change writes nothing.
    const auto first = Written();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(originals.BeforeChange());
    EXPECT_EQ(Written(), first);

    // More originals read after that are saved before the next change.
    ReadBehindTheSessionsBack("pipl_single.8bf");
    ASSERT_TRUE(originals.BeforeChange());
    EXPECT_EQ(OnDisk(), m_session->Restore().Size());
}

// Without Watch the service knows only what the session knows: the window's
// commands, whose originals come from the session's own scans.
TEST_F(OriginalsFirstTest, WithoutWatchTheSessionsBookkeepingDecides)
{
    COriginalsFirst originals(*m_session);
    ASSERT_TRUE(originals.BeforeChange());
    const std::size_t before = OnDisk();
    ReadBehindTheSessionsBack("pipl_three.8bf");
    EXPECT_TRUE(originals.BeforeChange());
    EXPECT_EQ(OnDisk(), before);
    originals.Reset();
    m_session->NoteOriginalsRecorded();
    EXPECT_TRUE(originals.BeforeChange());
    EXPECT_EQ(OnDisk(), m_session->Restore().Size());
}

TEST_F(OriginalsFirstTest, AFailedSaveIsReported)
{
    COriginalsFirst originals(*m_session);
    originals.Watch();
    ReadBehindTheSessionsBack("pipl_three.8bf");
    fs::remove_all(m_tmp / "setup.db");
    test::writeFile(m_tmp / "setup.db", std::string("not a directory"));
    EXPECT_FALSE(originals.BeforeChange());
}

}  // namespace
