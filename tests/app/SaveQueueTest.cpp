// The queue of saves: one after the other in the order queued, whoever
// waits returns only when the saves have ended, and the results reach the
// owner in their order. Run under -DVARDEL_SANITIZE=thread this must be clean.

#include "app/SaveQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace vardel;

namespace {

// Holds a save until the test lets it go.
class Gate {
public:
    void Open()
    {
        {
            std::lock_guard lock(m_lock);
            m_open = true;
        }
        m_wake.notify_all();
    }
    void Pass()
    {
        std::unique_lock lock(m_lock);
        m_wake.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_open = false;
};

StoreResult Failed(const std::string& why)
{
    StoreResult r;
    r.ok = false;
    r.error = why;
    return r;
}

}  // namespace

TEST(BackgroundSaves, RunOneAfterTheOtherAndWaitingEndsWithTheLast)
{
    CSaveQueue queue;
    Gate gate;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::vector<int> order;  // written by the saving thread only, read after Wait
    std::atomic<int> saved{0};
    auto save = [&](int n) {
        return [&, n] {
            if (++running > 1)
                overlapped = true;
            if (n == 0)
                gate.Pass();
            order.push_back(n);
            --running;
            ++saved;
            return StoreResult{};
        };
    };
    const std::uint64_t first = queue.Queue("a", save(0));
    for (int n = 1; n < 5; ++n)
        queue.Queue("b", save(n));
    EXPECT_EQ(first, 1u);
    EXPECT_TRUE(queue.Busy());

    std::atomic<bool> waited{false};
    std::thread waiter([&] {
        queue.Wait();
        waited = true;
    });
    // The first save is held: nobody waiting for it may go on.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(waited);
    EXPECT_EQ(saved, 0);
    gate.Open();
    waiter.join();
    EXPECT_EQ(saved, 5) << "Wait returns after the last save";
    EXPECT_FALSE(queue.Busy());
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(BackgroundSaves, OutcomesComeInOrderWithTheirOwnersHandling)
{
    CSaveQueue queue;
    std::atomic<int> told{0};
    queue.SetOnSaved([&] { ++told; });
    std::vector<std::string> done;  // touched by TakeOutcomes' caller only
    const std::uint64_t a = queue.Queue(
        "a", [] { return StoreResult{}; }, [&](const StoreResult& r) { done.push_back("a" + std::to_string(r.ok)); });
    queue.Queue(
        "b", [] { return Failed("disk full"); },
        [&](const StoreResult& r) { done.push_back("b" + std::to_string(r.ok)); });
    queue.Queue({}, [] { return StoreResult{}; });  // tells nothing
    queue.Queue("c", []() -> StoreResult { throw std::runtime_error("broken"); });
    queue.WaitFor(a);
    queue.Wait();
    EXPECT_EQ(told, 4);
    auto outcomes = queue.TakeOutcomes();
    ASSERT_EQ(outcomes.size(), 3u);
    for (auto& o : outcomes)
        if (o.done)
            o.done(o.result);
    EXPECT_EQ(done, (std::vector<std::string>{"a1", "b0"}));
    EXPECT_EQ(outcomes[1].result.error, "disk full");
    EXPECT_FALSE(outcomes[2].result) << "a save that throws failed";
    EXPECT_TRUE(queue.TakeOutcomes().empty());
}

TEST(BackgroundSaves, TheQueueEndsAfterItsSaves)
{
    std::atomic<int> saved{0};
    {
        CSaveQueue queue;
        for (int i = 0; i < 3; ++i)
            queue.Queue("s", [&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++saved;
                return StoreResult{};
            });
    }
    EXPECT_EQ(saved, 3);
}
