#include "app/InstanceManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace vardel;

namespace {

// A child process that registers an instance, reports the count it sees
// through a pipe, then waits for a byte before it ends normally.
class ChildInstance {
public:
    ChildInstance(const std::string& name, const std::filesystem::path& dir)
    {
        int up[2], down[2];
        if (::pipe(up) != 0 || ::pipe(down) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(up[0]);
            ::close(down[1]);
            {
                COXInstanceManager guard(name, dir);
                char count = static_cast<char>(guard.GetInstanceCount());
                if (::write(up[1], &count, 1) != 1)
                    _exit(2);
                char go;
                if (::read(down[0], &go, 1) != 1)
                    _exit(3);
            }
            _exit(0);
        }
        ::close(up[1]);
        ::close(down[0]);
        m_up = up[0];
        m_down = down[1];
        char count = 0;
        if (::read(m_up, &count, 1) == 1)
            m_seenCount = count;
    }
    ~ChildInstance()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_up);
        ::close(m_down);
    }
    int SeenCount() const { return m_seenCount; }
    pid_t Pid() const { return m_pid; }
    // Lets the child end normally, unregistering itself.
    void Finish()
    {
        char go = 1;
        if (::write(m_down, &go, 1) == 1)
            ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    // Kills the child without giving it a chance to unregister; reap says
    // whether the zombie is collected.
    void Crash(bool reap)
    {
        ::kill(m_pid, SIGKILL);
        if (reap) {
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        } else {
            // Wait until it is a zombie, without reaping it.
            siginfo_t info{};
            ::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT);
        }
    }

private:
    pid_t m_pid = -1;
    int m_up = -1;
    int m_down = -1;
    int m_seenCount = -1;
};

}  // namespace

TEST(InstanceManager, CountsOtherProcessesAndForgetsThemWhenTheyEnd)
{
    test::TempDir dir;
    ChildInstance first("Vardel2.0", dir.path());
    EXPECT_EQ(first.SeenCount(), 1);
    {
        COXInstanceManager self("Vardel2.0", dir.path());
        EXPECT_EQ(self.GetInstanceCount(), 2);
        EXPECT_TRUE(self.IsOtherInstanceRunning());
        ChildInstance third("Vardel2.0", dir.path());
        EXPECT_EQ(third.SeenCount(), 3);
        auto ids = self.GetInstanceIds();
        ASSERT_EQ(ids.size(), 3u);
        EXPECT_EQ(ids[0], static_cast<std::uint32_t>(first.Pid()));
        EXPECT_EQ(ids[1], static_cast<std::uint32_t>(::getpid()));
        first.Finish();
        EXPECT_EQ(self.GetInstanceIds(), (std::vector<std::uint32_t>{static_cast<std::uint32_t>(::getpid()),
                                                                     static_cast<std::uint32_t>(third.Pid())}));
        third.Finish();
        EXPECT_FALSE(self.IsOtherInstanceRunning());
    }
    COXInstanceManager again("Vardel2.0", dir.path());
    EXPECT_EQ(again.GetInstanceCount(), 1);
}

TEST(InstanceManager, ACrashedInstanceDoesNotBlockTheNextStart)
{
    test::TempDir dir;
    ChildInstance crashed("Vardel2.0", dir.path());
    ChildInstance zombie("Vardel2.0", dir.path());
    EXPECT_EQ(zombie.SeenCount(), 2);
    crashed.Crash(true);
    zombie.Crash(false);
    COXInstanceManager self("Vardel2.0", dir.path());
    EXPECT_EQ(self.GetInstanceCount(), 1);
}

TEST(InstanceManager, NamesAreSeparateAndTheBlockHasItsLayout)
{
    test::TempDir dir;
    COXInstanceManager a("Vardel2.0", dir.path());
    COXInstanceManager b("Other", dir.path());
    EXPECT_EQ(a.GetInstanceCount(), 1);
    EXPECT_EQ(b.GetInstanceCount(), 1);
    auto block = test::readFile(COXInstanceManager::BlockPath("Vardel2.0", dir.path()));
    ASSERT_EQ(block.size(), COXInstanceManager::kBlockSize);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[4], 1);
    const auto pid = static_cast<std::uint32_t>(::getpid());
    EXPECT_EQ(block[8] | block[9] << 8 | block[10] << 16 | static_cast<std::uint32_t>(block[11]) << 24, pid);
}

TEST(InstanceManager, CorruptBlockIsRepairedAndAFullBlockAddsNoMore)
{
    test::TempDir dir;
    auto path = COXInstanceManager::BlockPath("Vardel2.0", dir.path());
    test::writeFile(path, std::string("garbage"));
    {
        COXInstanceManager self("Vardel2.0", dir.path());
        EXPECT_EQ(self.GetInstanceCount(), 1);
    }
    // A block claiming more than 1000 identifiers, all of this process.
    std::vector<std::uint8_t> block(COXInstanceManager::kBlockSize, 0);
    block[0] = 1;
    block[4] = 0xFF;
    block[5] = 0xFF;
    const auto pid = static_cast<std::uint32_t>(::getpid());
    for (std::size_t i = 8; i < block.size(); i += 4)
        for (int b = 0; b < 4; ++b)
            block[i + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(pid >> (8 * b));
    test::writeFile(path, block);
    COXInstanceManager self("Vardel2.0", dir.path());
    EXPECT_EQ(self.GetInstanceCount(), 1000);
}

TEST(InstanceManager, UnwritableDirectoryLeavesTheGuardInactive)
{
    COXInstanceManager guard("Vardel2.0", "/nonexistent/dir");
    EXPECT_EQ(guard.GetInstanceCount(), 0);
    EXPECT_FALSE(guard.IsOtherInstanceRunning());
}
