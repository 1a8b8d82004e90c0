#include "ui/common/WorkerThreads.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vardel::ui {

struct WorkerThreads::Task::State {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
};

namespace {

// Runs delivered functions on the application's thread. The functions wait
// in the registry's queue, under its mutex; the call that drains it is
// posted by name, so Qt makes the event itself.
class Deliverer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
public slots:
    void drain();
};

// What all workers share: the number running, whether the program still
// takes deliveries, and the deliveries waiting. One per process, as the
// application object is.
struct Registry {
    std::mutex lock;
    std::condition_variable idle;
    int running = 0;
    bool accepting = true;
    bool endRegistered = false;
    std::deque<std::function<void()>> waiting;
    QPointer<Deliverer> deliverer;  // made on the application's thread
};

Registry& registry()
{
    // Kept to the very end: a detached worker may still be leaving it.
    static Registry* r = new Registry;
    return *r;
}

void EndOfProgram()
{
    WorkerThreads::waitAll(true);
}

void Deliverer::drain()
{
    Registry& r = registry();
    std::deque<std::function<void()>> due;
    {
        std::lock_guard lock(r.lock);
        due.swap(r.waiting);
    }
    for (auto& fn : due)
        fn();
}

}  // namespace

void WorkerThreads::Task::wait()
{
    if (!m_state)
        return;
    std::unique_lock lock(m_state->lock);
    m_state->ended.wait(lock, [this] { return m_state->done; });
}

bool WorkerThreads::Task::done()
{
    if (!m_state)
        return true;
    std::lock_guard lock(m_state->lock);
    return m_state->done;
}

WorkerThreads::Task WorkerThreads::run(std::function<void()> work)
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
        if (!r.deliverer && QCoreApplication::instance())
            r.deliverer = new Deliverer(QCoreApplication::instance());
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
        // Told under the lock: once a waiter sees none running, this thread
        // touches the registry no more.
        std::lock_guard lock(r.lock);
        --r.running;
        r.idle.notify_all();
    }).detach();
    return task;
}

void WorkerThreads::deliver(std::function<void()> fn)
{
    Registry& r = registry();
    std::lock_guard lock(r.lock);
    if (!r.accepting || !r.deliverer)
        return;
    const bool first = r.waiting.empty();
    r.waiting.push_back(std::move(fn));
    if (first)
        QMetaObject::invokeMethod(r.deliverer, "drain", Qt::QueuedConnection);
}

void WorkerThreads::waitAll(bool final)
{
    Registry& r = registry();
    std::unique_lock lock(r.lock);
    if (final)
        r.accepting = false;
    r.idle.wait(lock, [&r] { return r.running == 0; });
}

}  // namespace vardel::ui

#include "WorkerThreads.moc"
