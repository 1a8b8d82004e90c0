// What a session may save: never over a store it could not read, never
// while another program holds the data directory, and never by removing the
// temporary file of a save that is still being made.

#include "app/Session.h"
#include "app/Stores.h"
#include "app/WriterLock.h"
#include "base/FileOps.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginRestoreManager.h"
#include "search/DescriptionListManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <unistd.h>

using namespace vardel;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Recorder : SessionObserver {
    std::vector<UserMessage> messages;
    void Message(const UserMessage& m) override { messages.push_back(m); }
    int Count(MessageCode code) const
    {
        return static_cast<int>(
            std::count_if(messages.begin(), messages.end(), [code](const UserMessage& m) { return m.code == code; }));
    }
};

class SessionWriters : public testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_tmp / "setup.db"); }
    fs::path Store(const std::string& name) const { return m_tmp / "setup.db" / name; }
    DataDirectory Data() const { return DataDirectory{m_tmp.path()}; }
    std::unique_ptr<CVardelSession> Started(SessionAccess access = SessionAccess::Writer,
                                            const std::string& program = "vardel")
    {
        auto session = std::make_unique<CVardelSession>(Data(), m_backend);
        session->AddObserver(&m_recorder);
        session->Start(access, WriterIdentity{program, {}});
        return session;
    }
    static void Describe(CVardelSession& session, const std::string& key, const std::string& text)
    {
        session.Descriptions().SetFromTexts(key, text, "");
    }
    static std::string DescriptionOf(const CVardelSession& session, const std::string& key)
    {
        std::string description, keywords;
        const_cast<CVardelSession&>(session).Descriptions().Get(key, description, keywords);
        return description;
    }

    test::TempDir m_tmp;
    MemorySettingsBackend m_backend;
    Recorder m_recorder;
};

}  // namespace

// A store that is there but cannot be read (too large, not a regular file)
// was replaced by an empty one at the next save. It is told once, by store
// and reason, and left exactly as it is; the others work as before.
TEST_F(SessionWriters, AStoreThatCannotBeReadIsNeverSavedOver)
{
    test::writeFile(Store("index"), std::string("\x00\x00", 2));
    fs::resize_file(Store("index"), kMaxStoreSize + 1);
    test::writeFile(Store("keywords"), std::string("\x00\x00", 2));
    fs::resize_file(Store("keywords"), kMaxStoreSize + 1);
    test::makeFifo(Store("restore"));
    fs::create_directory(Store("pimiinfo"));

    // A FIFO in a store's place once hung the start in its open.
    ASSERT_TRUE(test::FinishesWithin(10s, [this] { Started(); }));
    {
        auto session = Started();
        EXPECT_TRUE(session->MayWrite());
        ASSERT_EQ(m_recorder.Count(MessageCode::StoreUnreadable), 4);
        EXPECT_EQ(session->StartMessages().size(), 4u);
        std::set<std::string> told;
        for (const auto& m : m_recorder.messages)
            told.insert(m.argument);
        for (const char* name : {"index", "restore", "pimiinfo", "keywords"})
            EXPECT_TRUE(told.count(Store(name).string())) << name;
        EXPECT_TRUE(session->StoreLoadResult("index").Unreadable());
        EXPECT_FALSE(session->StoreLoadResult("launchbar").Unreadable()) << "a missing store is no damage";

        session->Directories().push_back(std::make_unique<CPluginDirEntry>());
        session->Restore().Add("8BFM_A_00", "A", "c");
        Describe(*session, "K_0", "typed while the store was unreadable");
        EXPECT_FALSE(session->SaveSettingsAndStores());
        const StoreResult keywords = session->SaveDescriptions();
        EXPECT_FALSE(keywords);
        EXPECT_NE(keywords.error.find(Store("keywords").string()), std::string::npos) << keywords.error;
        EXPECT_NE(keywords.error.find("File too large"), std::string::npos) << keywords.error;
        EXPECT_TRUE(session->SaveLaunchBar()) << "the other stores are saved as ever";
        session->Exit();
        EXPECT_EQ(m_recorder.Count(MessageCode::StoreUnreadable), 4) << "told once";
    }
    EXPECT_EQ(fs::file_size(Store("index")), kMaxStoreSize + 1);
    EXPECT_EQ(fs::file_size(Store("keywords")), kMaxStoreSize + 1);
    EXPECT_EQ(fs::status(Store("restore")).type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_directory(Store("pimiinfo")));
    EXPECT_TRUE(fs::exists(Store("launchbar")));
    for (const auto& file : fs::directory_iterator(m_tmp / "setup.db"))
        EXPECT_FALSE(file.path().filename().string().starts_with("~")) << file.path();
}

// The desktop program and vardel-cli on one data directory: the second
// writer is refused with its reason and saves nothing, a reader reads what
// the writer saved, and whatever each writes in turn survives the other.
TEST_F(SessionWriters, TwoWritersOnOneDataDirectoryLoseNothing)
{
    auto desktop = Started(SessionAccess::Writer, kDesktopProgramName);
    ASSERT_TRUE(desktop->MayWrite());
    EXPECT_FALSE(desktop->WriteRefusal());
    Describe(*desktop, "A_0", "from the window");
    ASSERT_TRUE(desktop->SaveDescriptions());

    auto command = Started(SessionAccess::Writer, kCommandLineProgramName);
    EXPECT_FALSE(command->MayWrite());
    ASSERT_TRUE(command->WriteRefusal());
    EXPECT_EQ(command->WriteRefusal()->code, MessageCode::DataDirectoryInUse);
    EXPECT_EQ(command->WriteRefusal()->argument, (m_tmp / "setup.db").string());
    EXPECT_NE(command->WriteRefusal()->text.find("vardel, process " + std::to_string(::getpid())), std::string::npos)
        << command->WriteRefusal()->text;
    EXPECT_EQ(m_recorder.Count(MessageCode::DataDirectoryInUse), 1);
    Describe(*command, "B_0", "from the command line, refused");
    const StoreResult refused = command->SaveDescriptions();
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error, command->WriteRefusal()->text);
    EXPECT_FALSE(command->SaveSettingsAndStores());
    EXPECT_FALSE(command->SaveCatalogue());
    CPluginEntry entry;
    entry.m_path = (m_tmp / "a.8bf").string();
    const EditRefusal barred = command->CatalogueWriteScope().Refusal(entry);
    EXPECT_EQ(barred.code, EditCode::WritesBarred);
    EXPECT_EQ(barred.text, command->WriteRefusal()->text);
    command->Exit();
    command.reset();

    auto reader = Started(SessionAccess::Reader);
    EXPECT_FALSE(reader->MayWrite());
    EXPECT_FALSE(reader->WriteRefusal()) << "a reader asked for nothing";
    EXPECT_EQ(DescriptionOf(*reader, "A_0"), "from the window");
    EXPECT_FALSE(reader->SaveDescriptions());
    reader.reset();

    Describe(*desktop, "C_0", "typed later in the window");
    desktop->Exit();
    desktop.reset();

    auto next = Started(SessionAccess::Writer, kCommandLineProgramName);
    ASSERT_TRUE(next->MayWrite());
    EXPECT_EQ(DescriptionOf(*next, "A_0"), "from the window");
    EXPECT_EQ(DescriptionOf(*next, "C_0"), "typed later in the window");
    EXPECT_EQ(DescriptionOf(*next, "B_0"), "");
    Describe(*next, "D_0", "from the command line");
    ASSERT_TRUE(next->SaveDescriptions());
    next.reset();
    auto last = Started(SessionAccess::Reader);
    EXPECT_EQ(DescriptionOf(*last, "C_0"), "typed later in the window");
    EXPECT_EQ(DescriptionOf(*last, "D_0"), "from the command line");
}

// Every start removed the temporary files of interrupted saves, also the
// one a live process was writing at that moment. Only the holder of the
// writer lock removes them now, and no other writer can be saving then.
TEST_F(SessionWriters, AStartLeavesTheSaveInProgressAlone)
{
    auto writer = Started();
    std::mutex lock;
    std::condition_variable changed;
    bool paused = false, resume = false;
    const std::vector<std::uint8_t> bytes = {0, 0};
    std::error_code saved = std::make_error_code(std::errc::io_error);
    std::thread save([&] {
        saved = WriteFileAtomically(Store("keywords"), bytes, [&](WriteStep step) {
            if (step == WriteStep::Replace) {
                std::unique_lock held(lock);
                paused = true;
                changed.notify_all();
                changed.wait(held, [&] { return resume; });
            }
            return false;
        });
    });
    {
        std::unique_lock held(lock);
        changed.wait(held, [&] { return paused; });
    }
    auto temporaryFiles = [this] {
        int n = 0;
        for (const auto& file : fs::directory_iterator(m_tmp / "setup.db"))
            n += IsTemporaryNameOf(file.path().filename().string(), StoreFileNames()) ? 1 : 0;
        return n;
    };
    ASSERT_EQ(temporaryFiles(), 1);
    Started(SessionAccess::Writer, kCommandLineProgramName);
    Started(SessionAccess::Reader);
    EXPECT_EQ(temporaryFiles(), 1);
    {
        std::lock_guard held(lock);
        resume = true;
    }
    changed.notify_all();
    save.join();
    EXPECT_FALSE(saved) << saved.message();
    EXPECT_EQ(test::readFile(Store("keywords")), bytes);

    // A kill leaves one behind: the next writer, alone, removes it.
    writer.reset();
    test::writeFile(Store("~index.AbC123"), std::string("half"));
    Started();
    EXPECT_EQ(temporaryFiles(), 0);
}

// A lock file that is not a plain file of our own refuses every writer
// rather than letting two write at once.
TEST_F(SessionWriters, AnUnusableLockFileRefusesWriting)
{
    fs::create_symlink(m_tmp / "elsewhere", Store(kWriterLockFileName));
    auto session = Started();
    EXPECT_FALSE(session->MayWrite());
    ASSERT_TRUE(session->WriteRefusal());
    EXPECT_EQ(session->WriteRefusal()->code, MessageCode::DataDirectoryLockFailed);
    EXPECT_FALSE(fs::exists(m_tmp / "elsewhere"));
    EXPECT_FALSE(session->SaveDescriptions());
}
