// The journal of changes to plug-in files: undo and redo give back the very
// bytes and names, also in a new session; a file another program changed is
// refused and left alone; a command cut short at any change is found at the
// next start and, completed or rolled back, leaves every file exactly as one
// of its two sides; a journal cut short is never read in part.

#include "app/ChangeFollow.h"
#include "app/ChangeHistory.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "base/FileOps.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CatalogueEditor.h"
#include "support/TestSupport.h"
#include "DirectorySession.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 6;

// A recorder that dies (as a killed program does) after a number of changes.
struct DyingRecorder : ChangeRecorder {
    ChangeRecorder& real;
    std::size_t left;
    DyingRecorder(ChangeRecorder& r, std::size_t marks)
        : real(r)
        , left(marks)
    {}
    RecordRefusal Begin(const std::string& label, const std::vector<FileChange>& changes) override
    {
        return real.Begin(label, changes);
    }
    void Mark(std::size_t change, FileChange::State state) override
    {
        if (left-- == 0)
            throw std::runtime_error("killed");
        real.Mark(change, state);
    }
    void End() override { real.End(); }
};

class ChangeHistoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(test::testPlugin("pipl_single.8bf")))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        for (int i = 0; i < kFiles; ++i)
            fs::copy_file(test::testPlugin("pipl_single.8bf"), File(i));
        m_old = test::readFile(File(0));
        m_dir.Begin();
    }

    DataDirectory Data() const { return m_dir.Data(); }
    fs::path File(int i, bool enabled = true) const
    {
        return m_dir.Plugins() / ("f" + std::to_string(i) + (enabled ? ".8bf" : "_8bf"));
    }
    void Restart() { m_dir.Restart(); }
    CCatalogueEditor Editor(ChangeRecorder* recorder = nullptr)
    {
        return CCatalogueEditor(Session().Catalogue(), nullptr, Session().CatalogueWriteScope(),
                                recorder ? recorder : Session().Recorder());
    }
    CPluginEntry& Entry(int i)
    {
        for (auto& e : Session().Catalogue().m_entries)
            if (e->RealPath() == File(i).string())
                return *e;
        throw std::runtime_error("no entry");
    }
    std::vector<CPluginEntry*> All()
    {
        std::vector<CPluginEntry*> all;
        for (auto& e : Session().Catalogue().m_entries)
            all.push_back(e.get());
        return all;
    }
    // Every file with the bytes and name it had at the start.
    void ExpectAsAtStart(const std::string& when = {})
    {
        for (int i = 0; i < kFiles; ++i) {
            ASSERT_TRUE(fs::exists(File(i))) << i << when;
            EXPECT_FALSE(fs::exists(File(i, false))) << i << when;
            EXPECT_EQ(test::readFile(File(i)), m_old) << i << when;
        }
    }
    CChangeHistory& History() { return Session().History(); }
    CVardelSession& Session() { return m_dir.Session(); }

    test::TempDir m_tmp;
    test::DirectorySession m_dir{m_tmp.path()};
    std::vector<std::uint8_t> m_old;
};

// The journal says why it records nothing as a code the window words.
TEST_F(ChangeHistoryTest, ARefusedRecordCarriesItsCode)
{
    FileChange change;
    change.kind = FileChange::Kind::Rename;
    change.file = change.path = (m_tmp / "a.8bf").string();
    change.target = (m_tmp / "a.8b_").string();

    CChangeHistory reader(m_tmp / "reader.jnl");
    reader.Load(false);
    const RecordRefusal readOnly = reader.Begin("Disable", {change});
    EXPECT_EQ(readOnly.code, EditCode::JournalReadOnly);
    EXPECT_EQ(readOnly.text, "this program may not write");

    // A journal that cannot be saved (its name is a directory).
    fs::create_directories(m_tmp / "dir.jnl");
    CChangeHistory unsaved(m_tmp / "dir.jnl");
    unsaved.Load(true);
    const RecordRefusal notSaved = unsaved.Begin("Disable", {change});
    EXPECT_TRUE(notSaved.code == EditCode::JournalNotSaved || notSaved.code == EditCode::JournalUnreadable)
        << notSaved.text;
    EXPECT_FALSE(notSaved.argument.empty());
    EXPECT_TRUE(unsaved.Commands().empty());

    CChangeHistory writer(m_tmp / "writer.jnl");
    writer.Load(true);
    EXPECT_TRUE(writer.Begin("Disable", {change}).empty());
    writer.End();
}

}  // namespace

TEST_F(ChangeHistoryTest, UndoAndRedoGiveBackTheVeryBytesAndNamesAlsoAfterARestart)
{
    ASSERT_TRUE(Editor().RenamePlugin(Entry(0), "New Name").Written());
    const CommandResult move = Editor().MovePlugins({&Entry(1), &Entry(2)}, "Zed");
    ASSERT_TRUE(move.accepted);
    const CommandResult off = Editor().EnablePlugins({&Entry(3)}, false);
    ASSERT_EQ(off.changed.size(), 1u);
    const auto renamed = test::readFile(File(0));
    const auto moved = test::readFile(File(1));
    ASSERT_NE(renamed, m_old);
    ASSERT_EQ(History().Commands().size(), 3u);

    // The program saves its catalogue after a change (else the next
    // selection gives the files back the states it holds).
    ASSERT_TRUE(Session().SaveCatalogue());
    Restart();
    for (int k = 0; k < 3; ++k) {
        const HistoryResult r = History().Undo();
        ASSERT_TRUE(r.ok) << k << (r.message ? r.message->text : "");
        FollowInSession(Session(), r.moved, r.side);
    }
    ExpectAsAtStart();
    EXPECT_EQ(Entry(0).m_name, "Soft Glow");
    EXPECT_EQ(Entry(1).m_category, "Vardel Test");
    EXPECT_EQ(Entry(3).m_enabled, 1);
    EXPECT_FALSE(History().Undo().ok);

    Restart();
    for (int k = 0; k < 3; ++k) {
        const HistoryResult r = History().Redo();
        ASSERT_TRUE(r.ok) << k << (r.message ? r.message->text : "");
        FollowInSession(Session(), r.moved, r.side);
    }
    EXPECT_EQ(test::readFile(File(0)), renamed);
    EXPECT_EQ(test::readFile(File(1)), moved);
    EXPECT_EQ(test::readFile(File(2)), moved);
    EXPECT_TRUE(fs::exists(File(3, false)));
    EXPECT_EQ(Entry(0).m_name, "New Name");
    EXPECT_EQ(Entry(2).m_category, "Zed");
    EXPECT_EQ(Entry(3).m_enabled, 0);
    const auto redo = History().Redo();
    ASSERT_TRUE(redo.message);
    EXPECT_EQ(redo.message->code, MessageCode::HistoryNothingToRedo);
}

// A file another program changed since, or a name another file took, is
// refused with its code and path before anything is written; the command
// can be undone once the file is back.
TEST_F(ChangeHistoryTest, AFileChangedSinceIsRefusedAndLeftUntouched)
{
    ASSERT_TRUE(Editor().MovePlugins({&Entry(0), &Entry(1)}, "Zed").accepted);
    const auto moved = test::readFile(File(1));
    auto foreign = moved;
    const std::size_t at = static_cast<std::size_t>(Entry(1).m_categoryOffset);
    foreign[at] = 'Q';
    test::writeFile(File(1), foreign);

    const HistoryResult r = History().Undo();
    EXPECT_FALSE(r.ok);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(r.message->code, MessageCode::HistoryFileChanged);
    EXPECT_EQ(r.message->argument, File(1).string());
    EXPECT_TRUE(r.moved.empty());
    EXPECT_EQ(test::readFile(File(1)), foreign);
    EXPECT_EQ(test::readFile(File(0)), moved);  // the file before it in the command too

    test::writeFile(File(1), moved);
    ASSERT_TRUE(History().Undo().ok);
    EXPECT_EQ(test::readFile(File(0)), m_old);
    EXPECT_EQ(test::readFile(File(1)), m_old);

    // Redo: the enabled name is taken by another file meanwhile.
    ASSERT_TRUE(History().Redo().ok);
    ASSERT_TRUE(Editor().EnablePlugins({&Entry(2)}, false).accepted);
    ASSERT_TRUE(History().Undo().ok);
    ASSERT_TRUE(History().Redo().ok);
    test::writeFile(File(2), std::string("someone else's"));
    const HistoryResult taken = History().Undo();
    ASSERT_TRUE(taken.message);
    EXPECT_EQ(taken.message->code, MessageCode::HistoryNameTaken);
    EXPECT_TRUE(fs::exists(File(2, false)));
    const std::string other = "someone else's";
    EXPECT_EQ(test::readFile(File(2)), std::vector<std::uint8_t>(other.begin(), other.end()));
}

// Taking back one command takes back, newest first, the later commands that
// touch its files, and leaves the others.
TEST_F(ChangeHistoryTest, TakingBackACommandTakesBackTheLaterOnesOnItsFiles)
{
    ASSERT_TRUE(Editor().RenamePlugin(Entry(0), "First").Written());
    ASSERT_TRUE(Editor().RenamePlugin(Entry(1), "Second").Written());
    ASSERT_TRUE(Editor().EnablePlugins({&Entry(0)}, false).accepted);
    const auto commands = History().Commands();
    ASSERT_EQ(commands.size(), 3u);
    const std::uint32_t first = commands[2].id;
    EXPECT_EQ(History().Dependents(first), std::vector<std::uint32_t>{commands[0].id});

    const HistoryResult r = History().TakeBack(first);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.commands, (std::vector<std::uint32_t>{commands[0].id, first}));
    EXPECT_EQ(test::readFile(File(0)), m_old);
    EXPECT_FALSE(fs::exists(File(0, false)));
    EXPECT_NE(test::readFile(File(1)), m_old);
}

// A bulk command killed after any number of its changes is found at the
// next start; completed or rolled back, every file holds one side whole.
TEST_F(ChangeHistoryTest, ACommandCutShortIsFoundAndCompletedOrRolledBack)
{
    for (int complete = 0; complete < 2; ++complete) {
        for (std::size_t dies = 0; dies <= kFiles; ++dies) {
            const std::string when = " (killed after " + std::to_string(dies) + (complete ? ", completed)" : ")");
            DyingRecorder dying(*Session().Recorder(), dies);
            bool killed = false;
            try {
                Editor(&dying).MovePlugins(All(), "Zed Cat");
            } catch (const std::runtime_error&) {
                killed = true;
            }
            Restart();
            const auto incomplete = History().Incomplete();
            ASSERT_EQ(incomplete.size(), killed ? 1u : 0u) << when;
            const auto movedBytes = [&] {
                // What a whole move leaves: read from a file it reached, when one did.
                for (int i = 0; i < kFiles; ++i)
                    if (test::readFile(File(i)) != m_old)
                        return test::readFile(File(i));
                return m_old;
            }();
            for (int i = 0; i < kFiles; ++i) {
                const auto bytes = test::readFile(File(i));
                EXPECT_TRUE(bytes == m_old || bytes == movedBytes) << i << when;
            }
            if (killed) {
                const HistoryResult r = History().Resolve(incomplete.front().id, complete != 0);
                ASSERT_TRUE(r.ok) << when;
                FollowInSession(Session(), r.moved, r.side);
                EXPECT_TRUE(History().Incomplete().empty());
            }
            if (complete || !killed) {
                for (int i = 0; i < kFiles; ++i)
                    EXPECT_NE(test::readFile(File(i)), m_old) << i << when;
                EXPECT_EQ(Entry(0).m_category, "Zed Cat") << when;
                ASSERT_TRUE(History().Undo().ok) << when;
            }
            ExpectAsAtStart(when);
            Session().Catalogue();
            Restart();
            EXPECT_EQ(Entry(0).m_category, "Vardel Test") << when;
        }
    }
}

// The journal cut at every byte, or with any byte changed, is damaged as a
// whole: never read in part. The session keeps it aside, says so, and
// records anew.
TEST_F(ChangeHistoryTest, AJournalCutShortIsDamagedAsAWholeAndKeptAside)
{
    ASSERT_TRUE(Editor().RenamePlugin(Entry(0), "First").Written());
    ASSERT_TRUE(Editor().EnablePlugins({&Entry(1)}, false).accepted);
    const fs::path journal = Data().SetupDb() / kJournalFileName;
    const auto whole = test::readFile(journal);
    const fs::path cut = m_tmp / "cut";
    for (std::size_t n = 0; n < whole.size(); ++n) {
        test::writeFile(cut, std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(n)));
        CChangeJournal read;
        EXPECT_EQ(LoadJournal(cut, read).status, JournalLoad::Status::Damaged) << n;
        EXPECT_TRUE(read.commands.empty()) << n;
        auto flipped = whole;
        flipped[n] ^= 0x20;
        test::writeFile(cut, flipped);
        EXPECT_EQ(LoadJournal(cut, read).status, JournalLoad::Status::Damaged) << n;
    }

    test::writeFile(journal, std::vector<std::uint8_t>(whole.begin(), whole.end() - 3));
    m_dir.Restart(false);
    const auto& messages = Session().StartMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front().code, MessageCode::StoreDamaged);
    EXPECT_EQ(test::readFile(messages.front().argument).size(), whole.size() - 3);
    EXPECT_TRUE(Session().History().Commands().empty());
    ASSERT_TRUE(Session().SelectDirectory(0).done);
    ASSERT_TRUE(Editor().RenamePlugin(Entry(2), "Third").Written());
    EXPECT_EQ(Session().History().Commands().size(), 1u);
}
