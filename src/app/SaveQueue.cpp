#include "app/SaveQueue.h"

#include <exception>
#include <utility>

namespace vardel {

CSaveQueue::~CSaveQueue()
{
    {
        std::unique_lock lock(m_lock);
        m_idle.wait(lock, [this] { return m_tasks.empty() && !m_running; });
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::uint64_t CSaveQueue::Queue(std::string store, Work work, Done done)
{
    std::uint64_t number = 0;
    {
        std::lock_guard lock(m_lock);
        m_tasks.push_back(Task{std::move(store), std::move(work), std::move(done)});
        number = ++m_queued;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Loop(); });
    }
    m_wake.notify_one();
    return number;
}

void CSaveQueue::Wait()
{
    std::unique_lock lock(m_lock);
    m_idle.wait(lock, [this] { return m_tasks.empty() && !m_running; });
}

void CSaveQueue::WaitFor(std::uint64_t number)
{
    std::unique_lock lock(m_lock);
    m_idle.wait(lock, [this, number] { return m_finished >= number; });
}

bool CSaveQueue::Busy() const
{
    std::lock_guard lock(m_lock);
    return !m_tasks.empty() || m_running;
}

std::vector<CSaveQueue::Outcome> CSaveQueue::TakeOutcomes()
{
    std::lock_guard lock(m_lock);
    return std::exchange(m_outcomes, {});
}

void CSaveQueue::SetOnSaved(std::function<void()> onSaved)
{
    std::lock_guard lock(m_lock);
    m_onSaved = std::move(onSaved);
}

void CSaveQueue::Loop()
{
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || !m_tasks.empty(); });
        if (m_tasks.empty())
            return;
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_running = true;
        lock.unlock();
        StoreResult result;
        try {
            result = task.work();
        } catch (const std::exception& e) {
            result.ok = false;
            result.error = task.store + ": " + e.what();
        } catch (...) {
            result.ok = false;
            result.error = task.store + ": the save failed";
        }
        // The work (and what it owns) goes before the queue counts as idle:
        // whoever waits may free what the work pointed at.
        task.work = nullptr;
        lock.lock();
        m_running = false;
        ++m_finished;
        if (!task.store.empty())
            m_outcomes.push_back({std::move(task.store), std::move(result), std::move(task.done)});
        if (m_onSaved)
            m_onSaved();
        m_idle.notify_all();
    }
}

}  // namespace vardel
