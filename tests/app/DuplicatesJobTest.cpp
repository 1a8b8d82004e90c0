// Duplicates across the directories of a session, and enabling and
// disabling their copies in directories on show or not.

#include "app/DirectoryEditing.h"
#include "app/DuplicatesJob.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

struct Changes : SessionObserver {
    int entriesChanged = 0;
    void EntriesChanged(const std::vector<const CPluginEntry*>&) override { ++entriesChanged; }
};

class DuplicatesJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(test::testDataDir() / "plugins" / "pipl_single.8bf"))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        fs::create_directories(m_tmp / "data" / "setup.db");
        m_session = std::make_unique<CVardelSession>(Data(), m_backend);
        m_session->AddObserver(&m_changes);
        m_session->Start();
        // The same plug-in in directories 0 and 1; directory 2 is never scanned.
        for (const char* dir : {"a", "b", "c"}) {
            fs::create_directories(m_tmp / dir);
            fs::copy_file(test::testDataDir() / "plugins" / "pipl_single.8bf", m_tmp / dir / "Soft.8bf");
            auto entry = std::make_unique<CPluginDirEntry>();
            entry->m_label = std::string("Dir ") + dir;
            entry->m_directory = (m_tmp / dir).string();
            AddDirectory(Data(), m_session->Directories(), std::move(entry));
        }
        ASSERT_TRUE(m_session->SelectDirectory(0).done);
        ASSERT_TRUE(m_session->SelectDirectory(1).done);  // 1 is on show, 0 only stored
    }

    DataDirectory Data() const { return {m_tmp / "data"}; }
    std::string Copy(const char* dir) const { return (m_tmp / dir / "Soft.8bf").string(); }

    CPluginListManager Stored(int n)
    {
        CPluginListManager catalogue;
        int cls = -1;
        auto file = CatalogueFilePath(Data(), m_session->Directories()[static_cast<std::size_t>(n)]->m_catalogueFile);
        EXPECT_TRUE(LoadCatalogue(*file, cls, catalogue));
        return catalogue;
    }

    test::TempDir m_tmp;
    MemorySettingsBackend m_backend;
    Changes m_changes;
    std::unique_ptr<CVardelSession> m_session;
};

}  // namespace

// Both copies are found (a content group and a name group) with their
// directories; the directory never scanned is told; the hashes computed are
// kept in the data directory.
TEST_F(DuplicatesJobTest, FindsCopiesInEveryDirectoryOfTheList)
{
    CDuplicatesJob job(*m_session);
    job.Run();
    EXPECT_TRUE(job.Finished());
    ASSERT_EQ(job.Groups().size(), 2u);
    const DuplicateGroup& content = job.Groups()[0];
    EXPECT_EQ(content.kind, DuplicateKind::SameContent);
    ASSERT_EQ(content.copies.size(), 2u);
    EXPECT_EQ(content.copies[0].places[0].path, Copy("a"));
    EXPECT_EQ(content.copies[1].places[0].path, Copy("b"));
    EXPECT_EQ(content.copies[0].names, std::vector<std::string>{"Soft Glow"});
    EXPECT_EQ(job.Groups()[1].kind, DuplicateKind::SameName);
    ASSERT_EQ(job.Skipped().size(), 1u);
    EXPECT_EQ(job.Skipped()[0].directory, 2);
    EXPECT_TRUE(job.Commit(*m_session));

    CContentHashCache stored;
    ASSERT_TRUE(LoadContentHashes(Data(), stored));
    EXPECT_EQ(stored.Size(), 2u);

    // A catalogue file cut short takes no part, and says why.
    auto file = CatalogueFilePath(Data(), m_session->Directories()[0]->m_catalogueFile);
    auto bytes = test::readFile(*file);
    bytes.resize(bytes.size() / 2);
    test::writeFile(*file, bytes);
    CDuplicatesJob cut(*m_session);
    cut.Run();
    EXPECT_TRUE(cut.Groups().empty());
    ASSERT_EQ(cut.Skipped().size(), 2u);
    EXPECT_EQ(cut.Skipped()[0].directory, 0);
    EXPECT_FALSE(cut.Skipped()[0].reason.empty());
}

// A copy in a directory not on show is changed through its stored catalogue,
// which is saved; one in the directory on show through the session, whose
// observers hear of it.
TEST_F(DuplicatesJobTest, ChangesCopiesInDirectoriesOnShowOrNot)
{
    CommandResult r = SetFilesEnabled(*m_session, 0, {Copy("a")}, false);
    ASSERT_TRUE(r.accepted) << r.message;
    EXPECT_TRUE(r.message.empty()) << r.message;
    EXPECT_TRUE(fs::exists(m_tmp / "a" / "Soft_8bf"));
    EXPECT_FALSE(fs::exists(Copy("a")));
    EXPECT_EQ(Stored(0).m_entries.at(0)->m_enabled, 0);
    EXPECT_EQ(m_changes.entriesChanged, 0);

    r = SetFilesEnabled(*m_session, 1, {Copy("b")}, false);
    ASSERT_TRUE(r.accepted) << r.message;
    EXPECT_EQ(m_session->Catalogue().m_entries.at(0)->m_enabled, 0);
    EXPECT_EQ(m_changes.entriesChanged, 1);
    EXPECT_EQ(Stored(1).m_entries.at(0)->m_enabled, 0);

    r = SetFilesEnabled(*m_session, 0, {(m_tmp / "a" / "Soft_8bf").string()}, true);
    ASSERT_TRUE(r.accepted) << r.message;
    EXPECT_TRUE(fs::exists(Copy("a")));
}

// Refused before anything is renamed: a path the catalogue does not hold, a
// file that is gone, a catalogue whose entry lies outside its directory (a
// forged store), a directory that is none, and a session that may not write.
TEST_F(DuplicatesJobTest, RefusesBeforeWriting)
{
    EXPECT_FALSE(SetFilesEnabled(*m_session, 0, {Copy("a"), Copy("c")}, false).accepted);
    EXPECT_TRUE(fs::exists(Copy("a")));
    EXPECT_FALSE(SetFilesEnabled(*m_session, 7, {Copy("a")}, false).accepted);
    EXPECT_FALSE(SetFilesEnabled(*m_session, 2, {Copy("c")}, false).accepted);  // never scanned

    // Directory 0's catalogue names a file of directory c.
    CPluginListManager forged = Stored(0);
    forged.m_entries.at(0)->m_path = Copy("c");
    auto file = CatalogueFilePath(Data(), m_session->Directories()[0]->m_catalogueFile);
    ASSERT_TRUE(SaveCatalogue(*file, 0, forged));
    const CommandResult outside = SetFilesEnabled(*m_session, 0, {Copy("c")}, false);
    EXPECT_FALSE(outside.accepted);
    EXPECT_TRUE(fs::exists(Copy("c")));

    fs::remove(Copy("b"));
    EXPECT_FALSE(SetFilesEnabled(*m_session, 1, {Copy("b")}, false).accepted);

    CVardelSession reader(Data(), m_backend);
    reader.Start(SessionAccess::Reader);
    const CommandResult refused = SetFilesEnabled(reader, 2, {Copy("c")}, false);
    EXPECT_FALSE(refused.accepted);
    EXPECT_FALSE(refused.message.empty());
}
