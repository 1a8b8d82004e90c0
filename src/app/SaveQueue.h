#pragma once
// Store saves on a thread of their own, one after the other in the order
// they were queued, so that the window thread never waits for a store to be
// written. Each save is a task that makes its bytes and writes them (with
// WriteFileAtomically: a file holds its old or its new content, never a
// mix). Whoever leaves or loads a file just saved waits for the queue first.

#include "app/Stores.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vardel {

class CSaveQueue {
public:
    // A save: the work, and what the owner does with its result (on its own
    // thread, in TakeOutcomes' order). A task with no store name reports
    // nothing (the release of what the owner handed over).
    using Work = std::function<StoreResult()>;
    using Done = std::function<void(const StoreResult&)>;
    struct Outcome {
        std::string store;
        StoreResult result;
        Done done;
    };

    CSaveQueue() = default;
    // Waits for every queued save.
    ~CSaveQueue();
    CSaveQueue(const CSaveQueue&) = delete;
    CSaveQueue& operator=(const CSaveQueue&) = delete;

    // Queues a save behind every one queued before; the thread starts with
    // the first. Never fails; a task must not throw (a throw counts as a
    // failed save).
    // Returns the save's number (1 for the first, counting up).
    std::uint64_t Queue(std::string store, Work work, Done done = {});
    // Returns once every save queued so far has ended.
    void Wait();
    // Returns once the saves up to the one with this number have ended.
    void WaitFor(std::uint64_t number);
    // True while a save is queued or running.
    bool Busy() const;
    // The outcomes of the saves ended since the last call, in their order.
    std::vector<Outcome> TakeOutcomes();
    // Called on the saving thread after each save (the owner posts itself a
    // call to TakeOutcomes); set before the first Queue, or cleared with an
    // empty function.
    void SetOnSaved(std::function<void()> onSaved);

private:
    void Loop();

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    struct Task {
        std::string store;
        Work work;
        Done done;
    };
    std::deque<Task> m_tasks;
    std::vector<Outcome> m_outcomes;
    std::function<void()> m_onSaved;
    bool m_running = false;        // a task is being worked on
    std::uint64_t m_queued = 0;    // tasks queued so far
    std::uint64_t m_finished = 0;  // tasks ended so far
    bool m_quit = false;
    std::thread m_thread;
};

}  // namespace vardel
