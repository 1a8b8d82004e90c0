// The preview's rendering thread: requests handed over under one lock, the
// abort flag polled by the renderer, snapshots every 16 rows and one final
// update per started request.

#include "filterfactory/RenderService.h"

#include "images/DIB.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vardel {
namespace {

// Niceness of the worker: below normal, as the window must stay responsive.
constexpr int kBelowNormalNice = 5;

std::mutex& interpreterMutex()
{
    static std::mutex lock;
    return lock;
}

// Turns at the interpreter. g_holder is the service whose rendering holds
// it, so that a new request of another service can interrupt it;
// g_freshWaiting counts new requests on their way to it, before which a
// rendering taken up again steps back. All three under g_holderLock, which
// a service may take while holding its own m_mutex, never the other way.
std::mutex g_holderLock;
std::condition_variable g_turn;
CRenderService* g_holder = nullptr;
int g_freshWaiting = 0;

// Wakes renderings waiting for their turn (one of them may be told to stop).
void WakeWaitingTurns()
{
    {
        std::lock_guard lock(g_holderLock);
    }
    g_turn.notify_all();
}

}  // namespace

// Buffers for partial pictures. A buffer the caller has released comes back
// here (under the lock, so its reads are over before the worker writes);
// when it last held a snapshot of the same rendering, only the rows
// finished since are copied into it, which keeps snapshots every 16 rows
// cheap next to the rendering itself.
struct CRenderService::SnapshotPool {
    struct Buffer {
        COXDIB image;
        std::uint64_t generation = 0;
        int rows = 0;  // rows of that generation's picture it holds
    };
    static constexpr std::size_t kKept = 3;

    std::mutex mutex;
    std::vector<std::unique_ptr<Buffer>> free;

    SnapshotPool() { free.reserve(kKept); }

    // A free buffer, one of generation if there is one; null when none.
    std::unique_ptr<Buffer> Take(std::uint64_t generation)
    {
        std::lock_guard lock(mutex);
        if (free.empty())
            return nullptr;
        auto best = free.end() - 1;
        for (auto it = free.begin(); it != free.end(); ++it)
            if ((*it)->generation == generation && ((*best)->generation != generation || (*it)->rows > (*best)->rows))
                best = it;
        std::unique_ptr<Buffer> buffer = std::move(*best);
        free.erase(best);
        return buffer;
    }

    // Called by the last holder of a snapshot, on any thread.
    void Give(Buffer* released) noexcept
    {
        std::unique_ptr<Buffer> buffer(released);
        std::lock_guard lock(mutex);
        if (free.size() < kKept)  // within the reserved capacity: never throws
            free.push_back(std::move(buffer));
    }
};

std::unique_lock<std::mutex> CRenderService::LockInterpreter()
{
    return std::unique_lock<std::mutex>(interpreterMutex());
}

void CRenderService::LowerThreadPriority()
{
#if defined(_WIN32)
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(__linux__)
    // Linux keeps a niceness per thread; PRIO_PROCESS with a thread id sets
    // that thread's alone. A thread that is already nicer stays as it is.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (errno == 0 && current < kBelowNormalNice)
        setpriority(PRIO_PROCESS, tid, kBelowNormalNice);
#endif
}

CRenderService::CRenderService(Callback callback)
    : m_callback(std::move(callback))
    , m_snapshots(std::make_shared<SnapshotPool>())
{
    m_worker = std::thread([this] { Work(); });
}

CRenderService::~CRenderService()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_pending.reset();
        m_abort = true;
        ++m_generation;
    }
    m_wake.notify_all();
    WakeWaitingTurns();
    m_worker.join();
}

std::uint64_t CRenderService::Request(RenderRequest request)
{
    std::uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        generation = ++m_generation;
        m_pending = Pending{std::move(request), generation};
        m_abort = true;
    }
    m_wake.notify_all();
    WakeWaitingTurns();
    return generation;
}

void CRenderService::Cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
        m_abort = true;
        ++m_generation;
        if (!m_rendering)
            m_idle.notify_all();
    }
    WakeWaitingTurns();
}

bool CRenderService::IsCurrent(std::uint64_t generation) const
{
    return generation == m_generation.load();
}

bool CRenderService::WaitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, timeout, [this] { return !m_pending && !m_rendering; });
}

void CRenderService::Interrupt()
{
    m_interrupted = true;
    m_abort = true;
}

void CRenderService::Work()
{
    LowerThreadPriority();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_pending; });
        if (m_stopping)
            break;
        Pending next = std::move(*m_pending);
        m_pending.reset();
        // Cleared while the lock is held: a request posted from here on
        // sets it again and aborts the rendering about to start.
        m_abort = false;
        m_interrupted = false;
        m_rendering = true;
        lock.unlock();
        const bool finished = Render(next.request, next.generation, next.resumed);
        lock.lock();
        // Interrupted by another service, and nothing newer asked for: taken
        // up again once the interpreter is free.
        if (!finished && !m_pending && !m_stopping && next.generation == m_generation.load()) {
            next.resumed = true;
            m_pending = std::move(next);
        }
        next = Pending{};  // the sample is released before the worker sleeps
        m_rendering = false;
        if (!m_pending)
            m_idle.notify_all();
    }
    m_rendering = false;
    m_idle.notify_all();
}

void CRenderService::Deliver(const RenderUpdate& update)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
    }
    try {
        m_callback(update);
    } catch (...) {
        // The callback's failure must not end the worker.
    }
}

std::shared_ptr<const COXDIB> CRenderService::Snapshot(const COXDIB& destination, std::uint64_t generation,
                                                       int rowsDone)
{
    std::unique_ptr<SnapshotPool::Buffer> buffer = m_snapshots->Take(generation);
    if (!buffer)
        buffer = std::make_unique<SnapshotPool::Buffer>();
    const COXDIB& held = buffer->image;
    const bool sameShape = held.GetSize() == destination.GetSize() && held.GetBitCount() == destination.GetBitCount() &&
                           held.GetPacked().size() == destination.GetPacked().size();
    if (sameShape && buffer->generation == generation && buffer->rows <= rowsDone) {
        // Rows below those finished are still the unfiltered sample in
        // both; only the rows finished since the buffer's snapshot differ.
        const int height = destination.GetHeight();
        const std::size_t stride = static_cast<std::size_t>(destination.GetStride());
        for (int y = buffer->rows; y < rowsDone && y < height; ++y)
            std::memcpy(buffer->image.GetRow(height - 1 - y), destination.GetRow(height - 1 - y), stride);
    } else {
        buffer->image = destination;  // reuses the buffer's memory when it is large enough
    }
    buffer->generation = generation;
    buffer->rows = rowsDone;

    // Should the control block fail to allocate, the deleter still runs and
    // the buffer goes back to the pool.
    SnapshotPool::Buffer* raw = buffer.release();
    std::shared_ptr<SnapshotPool::Buffer> owner(
        raw, [pool = m_snapshots](SnapshotPool::Buffer* released) { pool->Give(released); });
    return std::shared_ptr<const COXDIB>(owner, &raw->image);
}

bool CRenderService::Render(const RenderRequest& request, std::uint64_t generation, bool resumed)
{
    RenderUpdate final;
    final.generation = generation;
    final.final = true;
    try {
        const int bits = request.sample ? request.sample->GetBitCount() : 0;
        if (bits != 24 && bits != 32) {
            final.outcome.outcome = RenderOutcome::UnsupportedDepth;
            Deliver(final);
            return true;
        }
        // Scaling works on a copy; a sample that already fits is shared.
        std::shared_ptr<const COXDIB> unfiltered = request.sample;
        if (request.targetWidth > 0 && request.targetHeight > 0 &&
            (request.sample->GetWidth() > request.targetWidth || request.sample->GetHeight() > request.targetHeight)) {
            auto scaled = std::make_shared<COXDIB>(*request.sample);
            if (!CFilterRenderer::FitToTarget(*scaled, request.targetWidth, request.targetHeight))
                throw std::runtime_error("the sample could not be scaled");
            unfiltered = std::move(scaled);
        }
        final.unfiltered = unfiltered;
        final.height = unfiltered->GetHeight();

        // Every rendering starts from the unfiltered copy, so rows of an
        // older rendering never show in this one.
        COXDIB destination(*unfiltered);

        FilterSettings settings;
        settings.formulas = request.formulas;
        settings.sliders = request.sliders;
        settings.transparency = request.transparency;
        settings.threads = 1;  // one renderer at a time, at the worker's priority
        settings.abort = &m_abort;
        settings.seed = m_seed;
        settings.progress = [&](int rowsDone) {
            final.rowsDone = rowsDone;
            // A newer request waits: its picture is what counts now.
            if (m_abort.load(std::memory_order_relaxed))
                return;
            try {
                RenderUpdate partial;
                partial.generation = generation;
                partial.rowsDone = rowsDone;
                partial.height = final.height;
                partial.image = Snapshot(destination, generation, rowsDone);
                partial.unfiltered = unfiltered;
                Deliver(partial);
            } catch (const std::bad_alloc&) {
                // No snapshot this time; the rendering goes on.
            }
        };

        {
            // A new request goes first: whoever renders now stops after its
            // row. A rendering taken up again waits until no new request is
            // on its way, and gives up waiting when it is no longer wanted.
            if (resumed) {
                std::unique_lock turn(g_holderLock);
                g_turn.wait(turn, [this] { return g_freshWaiting == 0 || m_abort.load(); });
                if (m_abort.load())
                    return false;
            } else {
                std::lock_guard turn(g_holderLock);
                ++g_freshWaiting;
                if (g_holder && g_holder != this)
                    g_holder->Interrupt();
            }
            auto interpreter = LockInterpreter();
            {
                std::lock_guard turn(g_holderLock);
                g_holder = this;
                if (!resumed)
                    --g_freshWaiting;
                // Came before a new request that is still on its way.
                else if (g_freshWaiting > 0)
                    Interrupt();
            }
            g_turn.notify_all();
            final.outcome = CFilterRenderer::Render(*unfiltered, destination, settings);
            {
                std::lock_guard turn(g_holderLock);
                g_holder = nullptr;
            }
        }
        // An interrupted rendering is done again from its start, with the
        // seed it started from.
        if (final.outcome.outcome == RenderOutcome::Aborted && m_interrupted.load())
            return false;
        m_seed = final.outcome.seed;
        switch (final.outcome.outcome) {
        case RenderOutcome::Done:
        case RenderOutcome::EvaluationError: final.rowsDone = final.height; break;
        case RenderOutcome::SyntaxError: final.rowsDone = 0; break;
        case RenderOutcome::Aborted: break;
        case RenderOutcome::UnsupportedDepth:
            // Nothing rendered: there is no picture of this request.
            final.rowsDone = 0;
            final.height = 0;
            Deliver(final);
            return true;
        }
        final.image = std::make_shared<const COXDIB>(std::move(destination));
    } catch (const std::exception& e) {
        final.outcome = RenderResult{};
        final.outcome.outcome = RenderOutcome::Aborted;
        final.image.reset();
        final.failure = e.what();
    }
    Deliver(final);
    return true;
}

}  // namespace vardel
