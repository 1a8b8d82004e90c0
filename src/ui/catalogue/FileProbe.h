#pragma once
// Work that reads plug-in files before a command may go on (the room a
// category has, the signed files of a change), run on a worker so that the
// window never waits for it. One at a time: running another, or cancel(),
// drops the result of the one before, which runs out on its own. The busy
// cursor shows while one runs. The work gets copies of what it reads, never
// pointers into the catalogue.

#include "ui/common/WorkerThreads.h"

#include <QApplication>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vardel {
class CPluginEntry;
}

namespace vardel::ui {

class FileProbe : public QObject {
    Q_OBJECT
public:
    explicit FileProbe(QObject* parent = nullptr)
        : QObject(parent)
    {}
    // Drops a pending result; never waits for the worker.
    ~FileProbe() override { cancel(); }

    // Runs work on a worker and hands its result to then, on this thread,
    // unless another probe or cancel() came first. The work may end early
    // once its stop flag is set (its result is dropped then).
    template <class Result>
    void run(std::function<Result(const std::atomic<bool>& stop)> work, std::function<void(Result)> then)
    {
        stopRunning();
        const std::uint64_t generation = ++m_generation;
        auto stop = std::make_shared<std::atomic<bool>>(false);
        m_stop = stop;
        setRunning(true);
        QPointer<FileProbe> self(this);
        WorkerThreads::run([work = std::move(work), then = std::move(then), stop, self, generation]() mutable {
            auto result = std::make_shared<Result>(work(*stop));
            WorkerThreads::deliver([self, generation, result, then = std::move(then)] {
                if (!self || generation != self->m_generation)
                    return;
                self->setRunning(false);
                then(std::move(*result));
            });
        });
    }
    void cancel()
    {
        stopRunning();
        ++m_generation;
        setRunning(false);
    }
    bool isRunning() const { return m_running; }

signals:
    void runningChanged(bool running);

private:
    void stopRunning()
    {
        if (m_stop)
            m_stop->store(true);
        m_stop.reset();
    }
    void setRunning(bool running)
    {
        if (running == m_running)
            return;
        m_running = running;
        // The window stays usable meanwhile: the busy cursor, not the wait cursor.
        if (running)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
        emit runningChanged(running);
    }

    std::uint64_t m_generation = 0;
    bool m_running = false;
    std::shared_ptr<std::atomic<bool>> m_stop;  // of the probe running
};

// The room the entries have for a category (CategoryLimit), as work for a
// probe: it reads copies of the entries, taken here.
std::function<int(const std::atomic<bool>& stop)> CategoryLimitWork(const std::vector<CPluginEntry*>& entries);

}  // namespace vardel::ui
