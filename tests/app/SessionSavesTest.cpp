// A session that saves in the background: the same files as one that saves
// at once, each store's saves in their order and every file whole, a job
// that loads what was saved just before it, exit after the last save, and
// failures told once they are known.

#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

struct Recorder : SessionObserver {
    std::vector<UserMessage> messages;
    void Message(const UserMessage& m) override { messages.push_back(m); }
};

class SessionSaves : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_plugins);
        const char* kinds[] = {"pipl_single.8bf", "pipl_three.8bf", "pimi_filter.8bf", "premiere_filter.prm"};
        for (int i = 0; i < 24; ++i) {
            const std::string from = kinds[i % 4];
            fs::copy_file(test::testPlugin(from), m_plugins / ("p" + std::to_string(i) + from.substr(from.rfind('.'))));
        }
        test::writeFile(m_plugins / "readme.8bf", std::string("no plug-in"));
    }
    // A fresh data directory with one plug-in directory, and a session on it.
    std::unique_ptr<CVardelSession> Fresh(bool background)
    {
        fs::remove_all(m_tmp / "setup.db");
        fs::create_directories(m_tmp / "setup.db");
        auto session = std::make_unique<CVardelSession>(DataDirectory{m_tmp.path()}, m_backend);
        session->AddObserver(&m_recorder);
        session->Start();
        session->SetBackgroundSaves(background);
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Plug-ins";
        dir->m_directory = m_plugins.string();
        dir->m_catalogueFile = NewCatalogueFileName(session->GetDataDirectory());
        session->Directories().push_back(std::move(dir));
        return session;
    }
    fs::path CatalogueFile(CVardelSession& session)
    {
        return session.GetDataDirectory().Resolve(session.Directories()[0]->m_catalogueFile);
    }
    // What a session's use leaves in setup.db, file by file.
    std::map<std::string, std::vector<std::uint8_t>> Stores()
    {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const auto& f : fs::directory_iterator(m_tmp / "setup.db"))
            if (f.path().filename() != "vardel.lock")  // names its holder
                files[f.path().filename().string()] = test::readFile(f.path());
        return files;
    }
    // A first scan, a choice of another class, the directory chosen again
    // and the exit.
    void Use(CVardelSession& session)
    {
        ASSERT_TRUE(session.SelectDirectory(0).done);
        ASSERT_TRUE(session.SelectClass(5));
        ASSERT_TRUE(session.SelectDirectory(0).done);
        session.Exit();
    }

    test::TempDir m_tmp;
    fs::path m_plugins = m_tmp / "plugins";
    MemorySettingsBackend m_backend;
    Recorder m_recorder;
};

}  // namespace

TEST_F(SessionSaves, WriteTheSameFilesAsSavesMadeAtOnce)
{
    auto atOnce = Fresh(false);
    Use(*atOnce);
    const auto expected = Stores();
    atOnce.reset();
    ASSERT_TRUE(expected.count("restore") && expected.count("pimiinfo") && expected.count("nonplugins"));

    auto background = Fresh(true);
    Use(*background);
    EXPECT_EQ(Stores(), expected) << "Exit returns after the last save";
    EXPECT_EQ(background->SelectedClass(), 5) << "the refresh read the class saved before it";
    EXPECT_TRUE(m_recorder.messages.empty());
}

// The same directory chosen again: its job loads the catalogue file after
// the save queued when it was chosen, never the one saved before.
TEST_F(SessionSaves, AJobLoadsTheCatalogueSavedJustBeforeIt)
{
    auto session = Fresh(true);
    ASSERT_TRUE(session->SelectDirectory(0).done);
    for (int cls : {5, 0, 5, 0, 5}) {
        ASSERT_TRUE(session->SelectClass(cls));
        ScanOutcome prepared;
        auto job = session->PrepareSelect(0, prepared);
        ASSERT_TRUE(job);
        job->Run({}, {});
        ASSERT_TRUE(session->Commit(*job).done);
        EXPECT_EQ(session->SelectedClass(), cls);
    }
}

// Saves of one store follow each other in the order queued, and a reader
// finds the file whole at any moment.
TEST_F(SessionSaves, EachFileIsWholeAndTheLastSaveWins)
{
    auto session = Fresh(true);
    ASSERT_TRUE(session->SelectDirectory(0).done);
    session->WaitForSaves();
    const fs::path file = CatalogueFile(*session);
    const std::size_t entries = session->Catalogue().m_entries.size();

    std::atomic<bool> done{false};
    std::atomic<int> broken{0};
    std::thread reader([&] {
        while (!done) {
            CPluginListManager read;
            int cls = -1;
            if (!LoadCatalogue(file, cls, read) || read.m_entries.size() != entries)
                ++broken;
        }
    });
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(session->SelectClass(i % 2 == 0 ? 0 : 5));
        ASSERT_TRUE(session->SaveCatalogue());
    }
    session->WaitForSaves();
    done = true;
    reader.join();
    EXPECT_EQ(broken, 0);
    CPluginListManager read;
    int cls = -1;
    ASSERT_TRUE(LoadCatalogue(file, cls, read));
    EXPECT_EQ(cls, 5) << "the last save queued is the file";
}

// A save that fails is told once its result is in, and a store that did not
// reach its file is saved again at the exit.
TEST_F(SessionSaves, AFailedSaveIsToldAndTriedAgain)
{
    auto session = Fresh(true);
    ASSERT_TRUE(session->SelectDirectory(0).done);
    session->WaitForSaves();
    ASSERT_TRUE(fs::exists(m_tmp / "setup.db" / "nonplugins"));
    // Nothing can take the store's name now.
    fs::remove(m_tmp / "setup.db" / "nonplugins");
    fs::create_directories(m_tmp / "setup.db" / "nonplugins" / "in the way");
    session->NonPlugins().Forget((m_plugins / "readme.8bf").string());
    ASSERT_TRUE(session->NonPlugins().IsChanged());
    EXPECT_TRUE(session->SaveNonPluginCache()) << "queued";
    EXPECT_FALSE(session->NonPlugins().IsChanged());
    session->WaitForSaves();
    ASSERT_EQ(m_recorder.messages.size(), 1u);
    EXPECT_EQ(m_recorder.messages[0].code, MessageCode::DataDirectoryNotWritable);
    EXPECT_TRUE(session->NonPlugins().IsChanged()) << "to be saved again";

    fs::remove_all(m_tmp / "setup.db" / "nonplugins");
    session->Exit();
    CNonPluginCache saved;
    EXPECT_TRUE(LoadNonPlugins(session->GetDataDirectory(), saved));
    EXPECT_EQ(saved.Size(), 0u);
    EXPECT_EQ(m_recorder.messages.size(), 1u) << "told once";
}

// Before a plug-in file changes, the originals the scan found are in their
// files; once they are, nothing is saved again.
TEST_F(SessionSaves, OriginalsReachTheirFilesBeforeAWrite)
{
    auto session = Fresh(true);
    ASSERT_TRUE(session->SelectDirectory(0).done);
    ASSERT_TRUE(session->SaveOriginalsBeforeWrite());
    CPluginRestoreManager saved;
    ASSERT_TRUE(LoadRestore(session->GetDataDirectory(), saved));
    EXPECT_EQ(saved.Size(), session->Restore().Size());
    EXPECT_FALSE(saved.IsEmpty());

    const auto before = fs::last_write_time(m_tmp / "setup.db" / "restore");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(session->SaveOriginalsBeforeWrite());
    EXPECT_EQ(fs::last_write_time(m_tmp / "setup.db" / "restore"), before) << "the file holds them already";
}
