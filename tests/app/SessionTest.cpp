// The session's start-up and exit sequences and its guards for the stores:
// stale temporary files, partly readable stores, damaged directory paths.

#include "app/LaunchBarEntry.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "base/Archive.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "search/DescriptionListManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

struct Recorder : SessionObserver {
    int directoryListChanges = 0;
    std::vector<UserMessage> messages;
    void DirectoryListChanged() override { ++directoryListChanges; }
    void Message(const UserMessage& m) override { messages.push_back(m); }
};

class Session : public testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_tmp / "setup.db"); }
    fs::path Store(const std::string& name) const { return m_tmp / "setup.db" / name; }
    std::unique_ptr<CVardelSession> Started()
    {
        auto session = std::make_unique<CVardelSession>(DataDirectory{m_tmp.path()}, m_backend);
        session->AddObserver(&m_recorder);
        session->Start();
        return session;
    }
    // A directory list of n entries whose count claims one more.
    std::vector<std::uint8_t> TruncatedIndex(int n)
    {
        DirectoryList list;
        for (int i = 0; i < n; ++i) {
            auto e = std::make_unique<CPluginDirEntry>();
            e->m_label = "L" + std::to_string(i);
            e->m_directory = "/plugins/" + std::to_string(i);
            list.push_back(std::move(e));
        }
        EXPECT_TRUE(SaveDirectoryList(DataDirectory{m_tmp.path()}, list));
        auto bytes = test::readFile(Store("index"));
        bytes[0] = static_cast<std::uint8_t>(n + 1);
        return bytes;
    }

    test::TempDir m_tmp;
    MemorySettingsBackend m_backend;
    Recorder m_recorder;
};

}  // namespace

TEST_F(Session, StartLoadsAndExitSavesEveryStore)
{
    {
        auto session = Started();
        EXPECT_EQ(m_recorder.directoryListChanges, 1);
        EXPECT_EQ(session->LaunchBar().size(), 10u) << "topped up to ten";
        session->GetSettings().scanAll = 1;
        session->Directories().push_back(std::make_unique<CPluginDirEntry>());
        session->Restore().Add("8BFM_A_00", "A", "c");
        session->PimiCache().Add("8BFM_B_00", {});
        ASSERT_TRUE(session->SaveSettingsAndStores());
        EXPECT_TRUE(fs::exists(Store("index")));
        EXPECT_TRUE(fs::exists(Store("restore")));
        EXPECT_TRUE(fs::exists(Store("pimiinfo")));
        EXPECT_FALSE(fs::exists(Store("keywords"))) << "saved at exit only";
        session->Descriptions().m_entries.push_back(std::make_unique<CDescriptionEntry>());
        session->Exit();
        EXPECT_TRUE(fs::exists(Store("keywords")));
    }
    EXPECT_EQ(m_backend.m_writeLog.size(), 10u) << "settings saved twice, in their order";
    EXPECT_EQ(m_backend.m_writeLog[0], "Settings/Transparency");

    // A broken restore store does not keep the next store from loading.
    test::writeFile(Store("restore"), std::string("\x05\x00", 2));
    auto session = Started();
    EXPECT_EQ(session->GetSettings().scanAll, 1);
    EXPECT_EQ(session->Directories().size(), 1u);
    EXPECT_FALSE(session->Restore().Contains("8BFM_A_00"));
    EXPECT_NE(session->PimiCache().Lookup("8BFM_B_00"), nullptr);
    EXPECT_EQ(session->Descriptions().m_entries.size(), 1u);
    EXPECT_TRUE(session->StoreLoadResult("index"));
    EXPECT_TRUE(session->StoreLoadResult("restore").damaged);
}

TEST_F(Session, WithoutSetupDbNothingIsCreatedAndNothingIsSaid)
{
    fs::remove(m_tmp / "setup.db");
    auto session = Started();
    EXPECT_TRUE(session->Directories().empty());
    EXPECT_FALSE(session->SaveSettingsAndStores());
    session->Exit();
    EXPECT_FALSE(fs::exists(m_tmp / "setup.db"));
    EXPECT_TRUE(m_recorder.messages.empty());
    EXPECT_EQ(session->Title(), "Untitled");
    EXPECT_EQ(session->SelectedClass(), -1);
}

// A kill between writing a store's temporary file and renaming it leaves
// the temporary file behind; the next start removes it, and nothing else.
TEST_F(Session, StartRemovesStaleTemporaryFilesOfOurOwnSaves)
{
    const std::vector<std::string> stale = {"~index.AbC123", "~SETUP000.x1y2z3", "~restore.000000",
                                            "~nonplugins.QWErty", "~launchbar.a1B2c3"};
    const std::vector<std::string> kept = {"~index.tmp",    "~other.AbC123",  "index~",
                                           "~index.AbC12",  "~index.AbC1234", "~SETUP100.x1y2z3",
                                           "~index.Ab-123", "notes.txt",      "index.damaged"};
    for (const auto& name : stale)
        test::writeFile(Store(name), std::string("partial"));
    for (const auto& name : kept)
        test::writeFile(Store(name), std::string("someone's"));
    fs::create_directory(Store("~keywords.dir123"));  // a directory is nobody's temporary file
    auto session = Started();
    for (const auto& name : stale)
        EXPECT_FALSE(fs::exists(Store(name))) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(Store(name))) << name;
    EXPECT_TRUE(fs::is_directory(Store("~keywords.dir123")));
}

// A store read only in part keeps what was read; before the first save over
// it, the damaged original is kept beside it and the user is told once.
TEST_F(Session, PartlyReadStoreIsKeptBeforeItIsSavedOver)
{
    const auto damaged = TruncatedIndex(2);
    test::writeFile(Store("index"), damaged);
    test::writeFile(Store("index.damaged"), std::string("an older one"));
    auto session = Started();
    EXPECT_EQ(session->Directories().size(), 2u) << "what was read is kept";
    EXPECT_TRUE(session->StoreLoadResult("index").damaged);
    EXPECT_TRUE(m_recorder.messages.empty()) << "told when it matters: at the save";

    ASSERT_TRUE(session->SaveSettingsAndStores());
    EXPECT_EQ(test::readFile(Store("index.damaged.1")), damaged);
    EXPECT_EQ(test::readFile(Store("index.damaged")),
              std::vector<std::uint8_t>({'a', 'n', ' ', 'o', 'l', 'd', 'e', 'r', ' ', 'o', 'n', 'e'}));
    ASSERT_EQ(m_recorder.messages.size(), 1u);
    EXPECT_EQ(m_recorder.messages[0].code, MessageCode::StoreDamaged);
    EXPECT_EQ(m_recorder.messages[0].argument, Store("index.damaged.1").string());

    ASSERT_TRUE(session->SaveSettingsAndStores());
    EXPECT_EQ(m_recorder.messages.size(), 1u) << "once";
    EXPECT_FALSE(fs::exists(Store("index.damaged.2")));
    DirectoryList reread;
    EXPECT_TRUE(LoadDirectoryList(DataDirectory{m_tmp.path()}, reread));
    EXPECT_EQ(reread.size(), 2u);
}

TEST_F(Session, EveryGuardedStoreKeepsItsDamagedOriginal)
{
    for (const char* name : {"restore", "pimiinfo", "keywords", "launchbar"})
        test::writeFile(Store(name), std::string("\x03\x00", 2));
    auto session = Started();
    session->Exit();
    session->SaveLaunchBar();
    for (const char* name : {"restore", "pimiinfo", "keywords", "launchbar"}) {
        EXPECT_EQ(test::readFile(Store(std::string(name) + ".damaged")), std::vector<std::uint8_t>({3, 0})) << name;
        EXPECT_FALSE(fs::exists(Store(std::string(name) + ".damaged.1"))) << name;
    }
    EXPECT_EQ(m_recorder.messages.size(), 4u);
}

TEST_F(Session, MissingStoresAreNotDamaged)
{
    auto session = Started();
    session->Exit();
    EXPECT_FALSE(fs::exists(Store("index.damaged")));
    EXPECT_TRUE(m_recorder.messages.empty());
}

// A damaged "index" may hold a directory path with a zero byte in it: the
// path ends there.
TEST_F(Session, DirectoryPathsEndAtAZeroByte)
{
    fs::create_directory(m_tmp / "plugins");
    fs::copy_file(test::testPlugin("pipl_single.8bf"), m_tmp / "plugins" / "a.8bf");
    DirectoryList list;
    auto e = std::make_unique<CPluginDirEntry>();
    e->m_label = "Damaged";
    e->m_directory = (m_tmp / "plugins").string() + std::string("\0/../..", 7);
    e->m_includeSubdirectories = 1;
    e->m_catalogueFile = NewCatalogueFileName(DataDirectory{m_tmp.path()});
    list.push_back(std::move(e));
    ASSERT_TRUE(SaveDirectoryList(DataDirectory{m_tmp.path()}, list));

    auto session = Started();
    ASSERT_EQ(session->Directories().size(), 1u);
    EXPECT_EQ(session->Directories()[0]->m_directory, (m_tmp / "plugins").string());
    ScanOutcome first = session->SelectDirectory(0);
    ASSERT_TRUE(first.done);
    EXPECT_EQ(first.filesRead, 1);
    ScanOutcome second = session->SelectDirectory(0);
    ASSERT_TRUE(second.done);
    EXPECT_EQ(second.filesRead, 0);
    EXPECT_EQ(session->Catalogue().m_entries.size(), 1u);
}

TEST_F(Session, AfterSetupEmptiesTheViewsWhenTheDirectoryShownWasRemoved)
{
    fs::create_directory(m_tmp / "plugins");
    fs::copy_file(test::testPlugin("pipl_single.8bf"), m_tmp / "plugins" / "a.8bf");
    auto session = Started();
    auto e = std::make_unique<CPluginDirEntry>();
    e->m_label = "P";
    e->m_directory = (m_tmp / "plugins").string();
    e->m_catalogueFile = NewCatalogueFileName(session->GetDataDirectory());
    session->Directories().push_back(std::move(e));
    ASSERT_TRUE(session->SelectDirectory(0).done);
    EXPECT_EQ(session->Title(), "P");
    session->Directories().clear();
    const int before = m_recorder.directoryListChanges;
    session->AfterSetup();
    EXPECT_TRUE(session->Catalogue().m_entries.empty());
    EXPECT_EQ(session->Title(), "Untitled");
    EXPECT_EQ(session->SelectedClass(), -1);
    EXPECT_EQ(session->ClassCounts(), (std::array<int, 10>{}));
    EXPECT_GT(m_recorder.directoryListChanges, before);
    EXPECT_TRUE(fs::exists(Store("index")));
}

// A second instance never starts its session; its exit must not replace the
// stores with empty ones.
TEST_F(Session, WithoutStartNothingIsSaved)
{
    test::writeFile(Store("index"), TruncatedIndex(1));
    const auto before = test::readFile(Store("index"));
    CVardelSession session(DataDirectory{m_tmp.path()}, m_backend);
    EXPECT_FALSE(session.SaveSettingsAndStores());
    EXPECT_FALSE(session.SaveOriginals());
    session.Exit();
    EXPECT_EQ(test::readFile(Store("index")), before);
    EXPECT_FALSE(fs::exists(Store("restore")));
    EXPECT_TRUE(m_backend.m_writeLog.empty());
}
