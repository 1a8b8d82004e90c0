#pragma once
// Threads for work the window thread hands off and never waits for. Each
// piece of work runs on a std::thread of its own and gives its outcome back
// through Deliver, which runs a function on the application's thread; every
// hand-over goes through a std::mutex or the thread's start, so the thread
// sanitizer sees it (Qt's own thread pool and futures it cannot see into).
// The end of the program waits for the work still running; nothing is
// delivered once it has begun to end.

#include <functional>
#include <memory>

namespace vardel::ui {

class WorkerThreads {
public:
    // A piece of work's own state: whether it has ended. Whoever needs to
    // wait for one piece of work (a session at its end) waits on this.
    class Task {
    public:
        // Blocks until the work has returned; for the end of an owner only.
        void wait();
        bool done();

    private:
        friend class WorkerThreads;
        struct State;
        std::shared_ptr<State> m_state;
    };

    // Runs work on a new thread. work may call Deliver as its last act.
    static Task run(std::function<void()> work);
    // From a worker: runs fn on the application's thread, unless the
    // program is ending (then fn is dropped).
    static void deliver(std::function<void()> fn);
    // Waits until no worker runs. With final, nothing is delivered any more
    // (the program's end; it is called when the application object goes).
    static void waitAll(bool final = false);
};

}  // namespace vardel::ui
