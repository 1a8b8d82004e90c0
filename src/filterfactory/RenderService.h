#pragma once
// CRenderService: the live preview's rendering thread. Callers post render
// requests from any thread; one worker thread renders them one at a time,
// the latest request winning: a new request sets the abort flag, the
// running rendering stops after its current row, and the new one starts
// once it has ended. Requests that arrive while another waits replace it.
//
// Results travel as RenderUpdate values through one callback, called on
// the worker thread: a snapshot every 16 rows while a rendering runs, then
// one final update. Every update carries the generation of its request; a
// window marshals updates to its own thread and drops those for which
// IsCurrent() is false, so a picture never shows another request's result.
//
// The interpreter's rule: zeltro keeps process-wide state (the prepared
// record, the parse in progress) and is not reentrant. Every rendering of
// every CRenderService runs under one process-wide interpreter lock, so two
// services never touch the interpreter at once; any other code that calls
// the interpreter while a service may be rendering (a command-line render,
// a test's reference render) holds LockInterpreter() for the whole call.
//
// A new request never waits for another service's rendering: it aborts it
// after its current row and renders first. The rendering it interrupted is
// taken up again, from its start, once no new request is on its way to the
// interpreter; it gets no final update in between and interrupts nothing
// itself. A newer request or Cancel of its own service drops it for good.
//
// The worker runs below normal priority so that the window stays
// responsive while a rendering runs. Renderings follow the genuine rules;
// the seed variable that rst sets stays with the service from one
// rendering to the next, so an rst takes effect from the next rendering of
// the same preview on.

#include "filterfactory/FilterRenderer.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vardel {

class COXDIB;

// What to render: the sample, the filter's formulas and sliders, and the
// size to fit the sample into.
struct RenderRequest {
    // The sample image (24 or 32 bits to be rendered); shared, never changed.
    std::shared_ptr<const COXDIB> sample;
    std::array<std::string, 4> formulas;    // red, green, blue, alpha
    std::array<std::int32_t, 8> sliders{};  // ctl(0) .. ctl(7)
    bool transparency = false;
    // The sample is scaled down (never up) to fit this size first; a width
    // or height of 0 or less renders the sample at its own size.
    int targetWidth = 0;
    int targetHeight = 0;
};

// One result of a request, delivered on the worker thread.
struct RenderUpdate {
    std::uint64_t generation = 0;  // the value Request() returned
    // Rows finished from the top; on an abort, those last reported (up to
    // 16 more may be done).
    int rowsDone = 0;
    int height = 0;        // rows of the image; 0 when nothing could be rendered
    bool final = false;    // the request's last update; comes once per started request
    RenderResult outcome;  // how the rendering ended (meaningful on the final update)
    // The picture: rows done are filtered, the rest still the unfiltered
    // sample (the whole sample after a syntax error); the transparency
    // checkerboard comes in with the final picture only. Never changed
    // while anyone holds it. Null when nothing could be rendered (no
    // sample, unsupported depth).
    std::shared_ptr<const COXDIB> image;
    // The scaled sample the rendering started from (shown with show-source).
    std::shared_ptr<const COXDIB> unfiltered;
    // Final update only: why the rendering failed, when it failed by an
    // exception (memory); empty otherwise. The outcome is then Aborted.
    std::string failure;
};

class CRenderService {
public:
    using Callback = std::function<void(const RenderUpdate&)>;

    // Starts the worker thread. callback receives every update on the worker
    // thread; it must not throw (exceptions are swallowed) and must not
    // destroy the service. It may call Request, Cancel and IsCurrent.
    // Partial updates come while the rendering is paused between two rows,
    // with the interpreter lock held: the callback hands the update on
    // quickly and never waits for anything that a thread waiting for
    // LockInterpreter() may hold. The final update comes without that lock.
    // Throws std::system_error when the worker thread cannot be started.
    explicit CRenderService(Callback callback);
    // Cancels any rendering, waits until the worker has ended and joins it;
    // no callback runs after it returns and none is started once it began.
    ~CRenderService();

    CRenderService(const CRenderService&) = delete;
    CRenderService& operator=(const CRenderService&) = delete;

    // Posts a request and returns its generation (increasing, from 1). A
    // running rendering is aborted after its current row; a request waiting
    // to start is replaced and gets no update. Never blocks on a rendering.
    std::uint64_t Request(RenderRequest request);

    // Aborts the running rendering (its final update still comes, outcome
    // Aborted) and drops any waiting request; no generation handed out so
    // far is current afterwards.
    void Cancel();

    // True when generation is the latest request and was not cancelled.
    bool IsCurrent(std::uint64_t generation) const;
    // True while the running rendering has been interrupted by another
    // service's request and is about to stop, to be taken up again.
    bool IsInterrupted() const { return m_interrupted.load(); }

    // Waits until no request waits or renders, at most timeout; returns
    // true when idle. For tests and command-line use: a window never waits.
    bool WaitIdle(std::chrono::milliseconds timeout);

    // Holds the process-wide interpreter lock until the returned lock is
    // released; see the rule above.
    static std::unique_lock<std::mutex> LockInterpreter();

    // Lowers the calling thread to the worker's below-normal priority
    // (ignores failure); a benchmark uses it to compare like with like.
    static void LowerThreadPriority();

private:
    struct Pending {
        RenderRequest request;
        std::uint64_t generation = 0;
        bool resumed = false;  // interrupted by another service: it waits its turn
    };

    struct SnapshotPool;

    void Work();
    // Renders a request; false when another service interrupted it (no final
    // update was delivered: the worker takes it up again).
    bool Render(const RenderRequest& request, std::uint64_t generation, bool resumed);
    // Another service's new request wants the interpreter: the rendering
    // stops after its current row and is taken up again later.
    void Interrupt();
    void Deliver(const RenderUpdate& update);
    std::shared_ptr<const COXDIB> Snapshot(const COXDIB& destination, std::uint64_t generation, int rowsDone);

    Callback m_callback;
    // Outlives the service while callers still hold snapshots from it.
    std::shared_ptr<SnapshotPool> m_snapshots;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // a request waits, or stopping
    std::condition_variable m_idle;  // the worker has nothing left to do
    std::optional<Pending> m_pending;
    bool m_rendering = false;
    bool m_stopping = false;
    // Set under m_mutex when the running rendering is no longer wanted,
    // polled without it by the renderer after every row.
    std::atomic<bool> m_abort{false};
    // Set with m_abort when the abort came from another service.
    std::atomic<bool> m_interrupted{false};
    // The latest generation handed out; Cancel moves it on to one that no
    // request carries.
    std::atomic<std::uint64_t> m_generation{0};
    // The seed variable of rst, one per service (one service per preview):
    // 0 at first, then what the last rendering left. Only the worker uses it.
    std::int32_t m_seed = 0;
    std::thread m_worker;
};

}  // namespace vardel
