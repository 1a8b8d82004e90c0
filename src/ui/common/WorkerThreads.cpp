#include "common/WorkerThreads.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace vardel::ui {

struct WorkerThreads::Task::State {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
};

namespace {

// What all workers share: the number running and whether the program still
// takes deliveries. One per process, as the application object is.
struct Registry {
    std::mutex lock;
    std::condition_variable idle;
    int running = 0;
    bool accepting = true;
    bool endRegistered = false;
};

Registry& registry()
{
    static Registry r;
    return r;
}

void EndOfProgram()
{
    WorkerThreads::WaitAll(true);
}

}  // namespace

void WorkerThreads::Task::Wait()
{
    if (!m_state)
        return;
    std::unique_lock lock(m_state->lock);
    m_state->ended.wait(lock, [this] { return m_state->done; });
}

bool WorkerThreads::Task::Done()
{
    if (!m_state)
        return true;
    std::lock_guard lock(m_state->lock);
    return m_state->done;
}

WorkerThreads::Task WorkerThreads::Run(std::function<void()> work)
{
    Registry& r = registry();
    {
        std::lock_guard lock(r.lock);
        ++r.running;
        // The application's end waits for the workers, while it still can
        // take what they deliver.
        if (!r.endRegistered && QCoreApplication::instance()) {
            r.endRegistered = true;
            qAddPostRoutine(EndOfProgram);
        }
    }
    Task task;
    task.m_state = std::make_shared<Task::State>();
    std::thread([work = std::move(work), state = task.m_state]() mutable {
        {
            // What the work holds goes with it, before anyone is told it ended.
            auto job = std::move(work);
            job();
        }
        {
            std::lock_guard lock(state->lock);
            state->done = true;
        }
        state->ended.notify_all();
        Registry& r = registry();
        {
            std::lock_guard lock(r.lock);
            --r.running;
        }
        r.idle.notify_all();
    }).detach();
    return task;
}

void WorkerThreads::Deliver(std::function<void()> fn)
{
    Registry& r = registry();
    std::lock_guard lock(r.lock);
    if (!r.accepting || !QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

void WorkerThreads::WaitAll(bool final)
{
    Registry& r = registry();
    std::unique_lock lock(r.lock);
    if (final)
        r.accepting = false;
    r.idle.wait(lock, [&r] { return r.running == 0; });
}

}  // namespace vardel::ui
