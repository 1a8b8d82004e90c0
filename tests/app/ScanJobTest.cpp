// Scans as jobs: run on a worker thread while the window thread reads the
// catalogue on show, report progress, stop when asked and change nothing
// then, and keep the originals they found at once.

#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

class ScanJobs : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_tmp / "setup.db");
        fs::create_directories(m_plugins);
        m_session.Start();
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Plug-ins";
        dir->m_directory = m_plugins.string();
        dir->m_catalogueFile = NewCatalogueFileName(m_session.GetDataDirectory());
        m_session.Directories().push_back(std::move(dir));
    }
    void Copy(const std::string& name, const std::string& as) { fs::copy_file(test::testPlugin(name), m_plugins / as); }
    // Many small plug-in files, so that a scan takes a while.
    void CopyMany(int n)
    {
        const char* kinds[] = {"pipl_single.8bf", "pipl_three.8bf", "premiere_filter.prm", "pimi_filter.8bf"};
        for (int i = 0; i < n; ++i) {
            const std::string from = kinds[i % 4];
            Copy(from, "p" + std::to_string(i) + from.substr(from.rfind('.')));
        }
    }
    fs::path CatalogueFile()
    {
        return m_session.GetDataDirectory().Resolve(m_session.Directories()[0]->m_catalogueFile);
    }

    test::TempDir m_tmp;
    fs::path m_plugins = m_tmp / "plugins";
    MemorySettingsBackend m_backend;
    CVardelSession m_session{DataDirectory{m_tmp.path()}, m_backend};
};

}  // namespace

// The worker builds its own catalogue; the window thread reads the one on
// show meanwhile. Run under -DVARDEL_SANITIZE=thread this must be clean.
TEST_F(ScanJobs, RunsOnAWorkerWhileTheCatalogueShownIsRead)
{
    CopyMany(12);
    ASSERT_TRUE(m_session.SelectDirectory(0).done);
    const std::size_t shown = m_session.Catalogue().m_entries.size();
    Copy("pipl_kinds.8bf", "late.8bf");

    ScanOutcome prepared;
    auto job = m_session.PrepareRescan(prepared);
    ASSERT_TRUE(job);
    std::atomic<bool> finished{false};
    std::atomic<int> reports{0};
    std::thread worker([&] {
        job->Run({}, [&](const ScanProgress&) { ++reports; });
        finished = true;
    });
    std::size_t reads = 0;
    // At least one pass: a loaded machine may let the worker end first.
    do {
        for (const auto& e : m_session.Catalogue().m_entries)
            reads += e->m_name.size() + static_cast<std::size_t>(m_session.EntryIndex(e.get()) >= 0);
        EXPECT_EQ(m_session.Catalogue().m_entries.size(), shown) << "the catalogue shown stays as it is";
        std::this_thread::yield();
    } while (!finished);
    worker.join();
    EXPECT_GT(reads, 0u);
    EXPECT_GT(reports.load(), 0);
    ScanOutcome outcome = m_session.Commit(*job);
    EXPECT_TRUE(outcome.done);
    EXPECT_EQ(m_session.Catalogue().m_entries.size(), shown + 6);
}

TEST_F(ScanJobs, ProgressCountsFilesUpToTheTotal)
{
    CopyMany(8);
    test::writeFile(m_plugins / "readme.txt", std::string("not a candidate"));
    std::vector<ScanProgress> seen;
    ASSERT_TRUE(m_session.SelectDirectory(0, {}, [&](const ScanProgress& p) { seen.push_back(p); }).done);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().total, 8);
    EXPECT_EQ(seen.back().filesDone, 8);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_LE(seen[i - 1].filesDone, seen[i].filesDone);
    EXPECT_NE(seen.front().path.find(m_plugins.string()), std::string::npos);

    seen.clear();
    ScanOutcome refresh = m_session.SelectDirectory(0, {}, [&](const ScanProgress& p) { seen.push_back(p); });
    EXPECT_EQ(refresh.filesRead, 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().total, 8);
    EXPECT_EQ(seen.back().filesDone, 8);
}

// A stopped job leaves the catalogue shown, its file and the directory's
// state as they were; the originals it found may stay, since they are true.
TEST_F(ScanJobs, StoppedJobChangesNothingShown)
{
    CopyMany(4);
    ASSERT_TRUE(m_session.SelectDirectory(0).done);
    const auto fileBefore = test::readFile(CatalogueFile());
    const CPluginEntry* firstShown = m_session.Catalogue().m_entries.front().get();
    const std::size_t shown = m_session.Catalogue().m_entries.size();
    const int selected = m_session.SelectedClass();
    Copy("pipl_kinds.8bf", "new1.8bf");
    Copy("pipl_kinds.8bf", "new2.8bf");

    for (bool rescan : {false, true}) {
        std::stop_source stop;
        ScanOutcome prepared;
        auto job = rescan ? m_session.PrepareRescan(prepared) : m_session.PrepareSelect(0, prepared);
        ASSERT_TRUE(job);
        int reports = 0;
        job->Run(stop.get_token(), [&](const ScanProgress& p) {
            if (!p.path.empty() && ++reports == 1)
                stop.request_stop();
        });
        ScanOutcome outcome = m_session.Commit(*job);
        EXPECT_TRUE(outcome.cancelled) << rescan;
        EXPECT_FALSE(outcome.done) << rescan;
        EXPECT_LE(outcome.filesRead, 1) << "the stop is seen at the next file";
        EXPECT_EQ(m_session.Catalogue().m_entries.size(), shown);
        EXPECT_EQ(m_session.Catalogue().m_entries.front().get(), firstShown);
        EXPECT_EQ(m_session.SelectedClass(), selected);
        EXPECT_EQ(m_session.Title(), "Plug-ins");
        EXPECT_EQ(test::readFile(CatalogueFile()), fileBefore);
    }

    // Stopped before it starts: reads nothing.
    std::stop_source early;
    early.request_stop();
    ScanOutcome prepared;
    auto job = m_session.PrepareRescan(prepared);
    ASSERT_TRUE(job);
    job->Run(early.get_token(), {});
    EXPECT_EQ(m_session.Commit(*job).filesRead, 0);
    EXPECT_EQ(m_session.Catalogue().m_entries.size(), shown);
}

TEST_F(ScanJobs, NewOriginalsAreSavedAtOnce)
{
    Copy("pipl_three.8bf", "three.8bf");
    ASSERT_TRUE(m_session.SelectDirectory(0).done);
    // Not waiting for the exit: a crash now must not lose them.
    CPluginRestoreManager saved;
    ASSERT_TRUE(LoadRestore(m_session.GetDataDirectory(), saved));
    EXPECT_TRUE(saved.Contains("8BFM_THREE_01"));
    EXPECT_EQ(saved.Size(), m_session.Restore().Size());
    EXPECT_EQ(saved.Size(), 3u);
}

TEST_F(ScanJobs, CommitOfAJobWhoseDirectoryWasRemovedShowsNothingNew)
{
    Copy("pipl_three.8bf", "three.8bf");
    ScanOutcome prepared;
    auto job = m_session.PrepareSelect(0, prepared);
    ASSERT_TRUE(job);
    job->Run({}, {});
    m_session.Directories().clear();
    ScanOutcome outcome = m_session.Commit(*job);
    EXPECT_FALSE(outcome.done);
    EXPECT_TRUE(m_session.Catalogue().m_entries.empty());
}
