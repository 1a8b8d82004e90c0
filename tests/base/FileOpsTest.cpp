// File operations on hostile file systems: what is in a file's place (a
// FIFO, a directory, a dangling link) is never waited on, read as a file or
// written through, and the writer lock admits one holder at a time.

#include "app/WriterLock.h"
#include "base/FileOps.h"
#include "modify/PluginFile.h"
#include "pe/BlockFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <unistd.h>

using namespace vardel;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(FileOps, ReadsTellMissingFromUnreadableAndNeverWaitOnAFifo)
{
    test::TempDir tmp;
    std::vector<std::uint8_t> data;
    const auto missing = ReadWholeFile(tmp / "missing", data, 100);
    EXPECT_TRUE(IsMissingFileError(missing)) << missing.message();
    EXPECT_TRUE(IsMissingFileError(ReadWholeFile(tmp / "missing" / "below", data, 100)));

    fs::create_directory(tmp / "dir");
    EXPECT_EQ(ReadWholeFile(tmp / "dir", data, 100), NotRegularFileError());
    EXPECT_EQ(NotRegularFileError().message(), "not a regular file");

    test::writeFile(tmp / "big", std::string(101, 'x'));
    EXPECT_EQ(ReadWholeFile(tmp / "big", data, 100), std::errc::file_too_large);
    EXPECT_FALSE(ReadWholeFile(tmp / "big", data, 101));
    EXPECT_EQ(data.size(), 101u);

    const fs::path fifo = tmp / "fifo";
    test::makeFifo(fifo);
    EXPECT_FALSE(IsRegularFileOrAbsent(fifo));
    EXPECT_TRUE(IsRegularFileOrAbsent(tmp / "big"));
    EXPECT_TRUE(IsRegularFileOrAbsent(tmp / "missing"));
    // Every reader that opens a file by name: the whole-file read, the block
    // reader of plug-ins and catalogues, the plug-in writer.
    EXPECT_TRUE(test::FinishesWithin(5s, [&] {
        std::vector<std::uint8_t> bytes;
        if (ReadWholeFile(fifo, bytes, 100) != NotRegularFileError())
            _exit(1);
        BlockFile block;
        CPluginFile plugin;
        if (block.Open(fifo.string()) || errno != EISDIR || plugin.OpenForReading(fifo.string()) ||
            plugin.OpenForWriting(fifo.string()))
            _exit(1);
    }));
}

// The data directory's sample pictures are created only where nothing is:
// a dangling link is left alone and nothing appears where it points.
TEST(FileOps, CreateFileIfAbsentNeverWritesThroughALink)
{
    test::TempDir tmp;
    auto writeHello = [](const fs::path& temp) {
        test::writeFile(temp, std::string("hello"));
        return true;
    };
    EXPECT_FALSE(CreateFileIfAbsent(tmp / "new.jpg", writeHello));
    EXPECT_EQ(test::readFile(tmp / "new.jpg").size(), 5u);

    fs::create_symlink(tmp / "elsewhere.jpg", tmp / "dangling.jpg");
    EXPECT_EQ(CreateFileIfAbsent(tmp / "dangling.jpg", writeHello), std::errc::file_exists);
    EXPECT_FALSE(fs::exists(tmp / "elsewhere.jpg"));
    EXPECT_TRUE(fs::is_symlink(tmp / "dangling.jpg"));

    test::writeFile(tmp / "kept.jpg", std::string("mine"));
    EXPECT_EQ(CreateFileIfAbsent(tmp / "kept.jpg", writeHello), std::errc::file_exists);
    EXPECT_EQ(test::readFile(tmp / "kept.jpg").size(), 4u);

    EXPECT_TRUE(CreateFileIfAbsent(tmp / "failed.jpg", [](const fs::path&) { return false; }));
    EXPECT_FALSE(fs::exists(tmp / "failed.jpg"));
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(tmp.path()))
        files += entry.path().filename().string().starts_with("~") ? 100 : 1;
    EXPECT_EQ(files, 3u) << "no temporary file stays";
}

TEST(FileOps, OneHolderOfALockAtATime)
{
    test::TempDir tmp;
    const fs::path file = tmp / "lock";
    FileLock first;
    ASSERT_FALSE(first.TryLock(file));
    first.WriteNote("vardel 42\n");
    EXPECT_EQ(FileLock::ReadNote(file), "vardel 42\n");
    FileLock second;
    EXPECT_EQ(second.TryLock(file), std::errc::resource_unavailable_try_again);
    EXPECT_FALSE(second.IsHeld());

    first.Release();
    EXPECT_FALSE(fs::exists(file)) << "the holder removes the file as it lets go";
    EXPECT_FALSE(second.TryLock(file));
    FileLock moved = std::move(second);
    EXPECT_TRUE(moved.IsHeld());
    EXPECT_EQ(first.TryLock(file), std::errc::resource_unavailable_try_again);

    // Whatever else is in the lock's place is refused, and left as it is.
    test::TempDir other;
    fs::create_symlink(other / "target", other / "link");
    EXPECT_TRUE(FileLock().TryLock(other / "link"));
    EXPECT_FALSE(fs::exists(other / "target"));
    fs::create_directory(other / "dir");
    EXPECT_EQ(FileLock().TryLock(other / "dir"), NotRegularFileError());
    test::makeFifo(other / "fifo");
    EXPECT_TRUE(test::FinishesWithin(5s, [&] {
        if (FileLock().TryLock(other / "fifo") != NotRegularFileError())
            _exit(1);
    }));
}

TEST(WriterLocks, TheDesktopProgramIsNotWaitedForButACommandIs)
{
    test::TempDir tmp;
    const DataDirectory data{tmp.path()};
    EXPECT_EQ(WriterLock::Acquire(data, "vardel-cli").GetState(), WriterLock::State::NoDataDirectory);
    fs::create_directory(data.SetupDb());

    WriterLock desktop = WriterLock::Acquire(data, kDesktopProgramName);
    ASSERT_TRUE(desktop.IsHeld());
    const auto start = std::chrono::steady_clock::now();
    WriterLock command = WriterLock::Acquire(data, kCommandLineProgramName, 10s);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(command.GetState(), WriterLock::State::Busy);
    EXPECT_FALSE(command.AllowsWriting());
    EXPECT_NE(command.Reason().find("vardel, process "), std::string::npos) << command.Reason();

    desktop = WriterLock();
    WriterLock cli = WriterLock::Acquire(data, kCommandLineProgramName);
    ASSERT_TRUE(cli.IsHeld());
    // A second command waits for the first: it is free once the first ends.
    std::thread ends([&cli] {
        std::this_thread::sleep_for(200ms);
        cli = WriterLock();
    });
    WriterLock next = WriterLock::Acquire(data, kCommandLineProgramName, 10s);
    ends.join();
    EXPECT_TRUE(next.IsHeld());
}

// Inside a directory scope, files open by their names in their directory,
// with the same outcome as by their whole paths: the right file as the
// directory changes from one file to the next, the same errors, and the
// outer scope back after an inner one ends.
TEST(FileOps, DirectoryScopeOpensTheSameFilesAsTheirPaths)
{
    test::TempDir tmp;
    fs::create_directories(tmp / "a");
    fs::create_directories(tmp / "b");
    test::writeFile(tmp / "a" / "one", std::string("a1"));
    test::writeFile(tmp / "a" / "two", std::string("a2 "));
    test::writeFile(tmp / "b" / "one", std::string("b1  "));
    fs::create_directory(tmp / "a" / "dir");
    auto sizeOf = [](const fs::path& path) -> long long {
        OpenFileStat stat;
        const int fd = OpenRegularFileForReading(path.string(), &stat);
        if (fd < 0)
            return -errno;
        CloseFile(fd);
        return static_cast<long long>(stat.size);
    };
    auto expectAll = [&] {
        EXPECT_EQ(sizeOf(tmp / "a" / "one"), 2);
        EXPECT_EQ(sizeOf(tmp / "a" / "two"), 3);
        EXPECT_EQ(sizeOf(tmp / "b" / "one"), 4);
        EXPECT_EQ(sizeOf(tmp / "a" / "one"), 2);
        EXPECT_EQ(sizeOf(tmp / "a" / "missing"), -ENOENT);
        EXPECT_EQ(sizeOf(tmp / "gone" / "one"), -ENOENT);
        EXPECT_EQ(sizeOf(tmp / "a" / "one" / "below"), -ENOTDIR);
        EXPECT_EQ(sizeOf(tmp / "a" / "dir"), -EISDIR);
        EXPECT_EQ(sizeOf(tmp / "a" / ""), -EISDIR);
    };
    expectAll();
    {
        DirectoryOpenScope outer;
        expectAll();
        {
            DirectoryOpenScope inner;
            expectAll();
        }
        expectAll();
    }
    expectAll();

    // A path without a directory opens below the current directory.
    const fs::path before = fs::current_path();
    fs::current_path(tmp / "a");
    {
        DirectoryOpenScope scope;
        EXPECT_EQ(sizeOf("two"), 3);
        EXPECT_EQ(sizeOf("./one"), 2);
    }
    fs::current_path(before);
}
