// vardel-cli beside another writer and over stores it cannot read: a
// command that would write is refused with the reason and changes nothing,
// a command that only reads goes on, and nothing waits on a FIFO.

#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include "app/Stores.h"
#include "app/WriterLock.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>

using namespace vardel;
namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

namespace {

class WriterCommands : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_data / "setup.db");
        fs::create_directories(m_plugins);
        fs::copy_file(test::testPlugin("pipl_three.8bf"), m_plugins / "three.8bf");
        ASSERT_EQ(Cli({"dirs", "add", "P", m_plugins.string()}).status, 0);
        ASSERT_EQ(Cli({"select", "0"}).status, 0);
    }
    test::RunResult Cli(std::vector<std::string> args, std::chrono::milliseconds limit = 60s)
    {
        args.insert(args.begin(), {(test::binDir() / "vardel-cli").string(), "--data-dir", m_data.string()});
        return test::run(args, limit);
    }
    fs::path Store(const std::string& name) const { return m_data / "setup.db" / name; }

    test::TempDir m_tmp;
    fs::path m_data = m_tmp / "data";
    fs::path m_plugins = m_tmp / "plugins";
};

}  // namespace

// While the desktop program holds the data directory, a command that writes
// fails at once naming it; what only reads works as ever.
TEST_F(WriterCommands, WhileTheDesktopProgramRunsWritersAreRefusedAndReadersWork)
{
    const auto indexBefore = test::readFile(Store("index"));
    const auto catalogueBefore = test::readFile(Store("SETUP000"));
    WriterLock desktop = WriterLock::Acquire(DataDirectory{m_data}, kDesktopProgramName);
    ASSERT_TRUE(desktop.IsHeld());

    for (const std::vector<std::string>& writer :
         {std::vector<std::string>{"describe", "--dir", "0", "--entry", "0", "--description", "lost?"},
          {"dirs", "add", "Q", m_plugins.string()},
          {"dirs", "remove", "0"},
          {"select", "0"},
          {"rename", "--dir", "0", "--entry", "0", "Blur"},
          {"disable", (m_plugins / "three.8bf").string()},
          {"images", "list", (m_plugins / "three.8bf").string()},
          {"undo"},
          {"redo"},
          {"bisect", "start", "--dir", "0"},
          {"bisect", "bad"},
          {"bisect", "reset"}}) {
        const auto r = Cli(writer, 10s);
        EXPECT_EQ(r.status, 1) << writer[0] << ": " << r.err;
        EXPECT_NE(r.err.find("Another Vardel program (vardel, process "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find((m_data / "setup.db").string()), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::readFile(Store("index")), indexBefore);
    EXPECT_EQ(test::readFile(Store("SETUP000")), catalogueBefore);
    EXPECT_TRUE(fs::exists(m_plugins / "three.8bf"));
    EXPECT_FALSE(fs::exists(Store("keywords")));

    for (const std::vector<std::string>& reader : {std::vector<std::string>{"dirs", "list"},
                                                   {"describe", "--dir", "0", "--entry", "0"},
                                                   {"details", "--dir", "0", "--entry", "0"},
                                                   {"info", "--dir", "0", "--entry", "0"},
                                                   {"find", "", "--dir", "0"},
                                                   {"history"},
                                                   {"bisect", "status"},
                                                   {"store", "dump", Store("SETUP000").string()}}) {
        const auto r = Cli(reader, 10s);
        EXPECT_EQ(r.status, 0) << reader[0] << ": " << r.err;
    }
    EXPECT_FALSE(json::parse(Cli({"info", "--dir", "0", "--entry", "0"}).out)["added_to_database"])
        << "nothing was stored";

    desktop = WriterLock();
    EXPECT_EQ(Cli({"describe", "--dir", "0", "--entry", "0", "--description", "kept"}).status, 0);
    EXPECT_EQ(json::parse(Cli({"describe", "--dir", "0", "--entry", "0"}).out)["description"], "kept");
}

// A store that is there but cannot be read is told on stderr; a command that
// must save it fails with the reason and leaves it as it is.
TEST_F(WriterCommands, AStoreThatCannotBeReadIsToldAndNeverSavedOver)
{
    test::writeFile(Store("keywords"), std::string("\x00\x00", 2));
    fs::resize_file(Store("keywords"), kMaxStoreSize + 1);
    const auto r = Cli({"describe", "--dir", "0", "--entry", "0", "--description", "new"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The store " + Store("keywords").string() + " cannot be read (File too large)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("The description database could not be saved"), std::string::npos) << r.err;
    EXPECT_EQ(fs::file_size(Store("keywords")), kMaxStoreSize + 1);

    // A command that does not save it goes on, and says so too.
    const auto list = Cli({"dirs", "list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.err.find("cannot be read"), std::string::npos) << list.err;
}

TEST_F(WriterCommands, FifosInPlaceOfFilesAreDamagedInputNotAHang)
{
    fs::remove(Store("SETUP000"));
    test::makeFifo(Store("SETUP000"));
    const auto select = Cli({"select", "0"}, 10s);
    EXPECT_EQ(select.status, 1) << select.err;
    EXPECT_NE(select.err.find("SETUP000"), std::string::npos) << select.err;
    EXPECT_EQ(fs::status(Store("SETUP000")).type(), fs::file_type::fifo);

    fs::remove(Store("SETUP000"));
    test::writeFile(Store("SETUP000"), std::string());
    ASSERT_EQ(Cli({"select", "0"}).status, 0);
    test::makeFifo(m_tmp / "picture.bmp");
    const auto add = Cli({"images", "add", (m_plugins / "three.8bf").string(), (m_tmp / "picture.bmp").string()}, 10s);
    EXPECT_EQ(add.status, 1);
    test::makeFifo(Store("restore.fifo"));
    fs::remove(Store("restore"));
    fs::rename(Store("restore.fifo"), Store("restore"));
    const auto list = Cli({"dirs", "list"}, 10s);
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.err.find("not a regular file"), std::string::npos) << list.err;
}

// A directory list that fails to load was selected from as far as it was
// read, with exit status 0.
TEST_F(WriterCommands, SelectFailsWhenTheDirectoryListFailsToLoad)
{
    auto index = test::readFile(Store("index"));
    index[0] = 2;  // claims a second entry that is not there
    test::writeFile(Store("index"), index);
    const auto select = Cli({"select", "0"});
    EXPECT_EQ(select.status, 1);
    EXPECT_NE(select.err.find("cannot read the directory list"), std::string::npos) << select.err;
    EXPECT_EQ(test::readFile(Store("index")), index);

    fs::remove(Store("index"));
    fs::create_directory(Store("index"));
    const auto unreadable = Cli({"select", "0"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("cannot read the directory list"), std::string::npos) << unreadable.err;
}
