// The render service: one final update per started request equal to a
// single render, consistent snapshots every 16 rows, the latest request
// winning (abort after the current row, stale generations never after
// newer ones), cancel, destruction while rendering, and the interpreter
// used by one rendering at a time. Suite names start with RenderService:
// the thread-sanitizer stage selects them by that prefix.

#include "filterfactory/RenderService.h"
#include "images/DIB.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace vardel;
using namespace std::chrono_literals;

namespace {

constexpr auto kPatience = 60s;

std::shared_ptr<const COXDIB> makeSample(int width, int height, int bits = 24)
{
    auto image = std::make_shared<COXDIB>();
    EXPECT_TRUE(image->Create(bits, width, height));
    if (bits < 24)
        return image;
    for (int row = 0; row < height; ++row) {
        uint8_t* p = image->GetRow(row);
        for (int x = 0; x < width * 3; ++x)
            p[x] = static_cast<uint8_t>(row * 37 + x * 11 + 5);
    }
    return image;
}

RenderRequest makeRequest(std::shared_ptr<const COXDIB> sample, std::array<std::string, 4> formulas,
                          std::array<int32_t, 8> sliders = {}, bool transparency = false)
{
    RenderRequest request;
    request.sample = std::move(sample);
    request.formulas = std::move(formulas);
    request.sliders = sliders;
    request.transparency = transparency;
    return request;
}

// A fresh single render of a request, as the service should produce it.
COXDIB renderAlone(const RenderRequest& request)
{
    COXDIB source(*request.sample);
    if (request.targetWidth > 0 && request.targetHeight > 0) {
        EXPECT_TRUE(CFilterRenderer::FitToTarget(source, request.targetWidth, request.targetHeight));
    }
    COXDIB destination(source);
    FilterSettings settings;
    settings.formulas = request.formulas;
    settings.sliders = request.sliders;
    settings.transparency = request.transparency;
    auto interpreter = CRenderService::LockInterpreter();
    CFilterRenderer::Render(source, destination, settings);
    return destination;
}

bool samePixels(const COXDIB& a, const COXDIB& b)
{
    return a.GetSize() == b.GetSize() && a.GetBitCount() == b.GetBitCount() &&
           std::equal(a.GetPacked().begin(), a.GetPacked().end(), b.GetPacked().begin(), b.GetPacked().end());
}

// Stored row of image row y (y from the top).
const uint8_t* rowOf(const COXDIB& image, int y)
{
    return image.GetRow(image.GetHeight() - 1 - y);
}

bool sameRow(const COXDIB& a, const COXDIB& b, int y)
{
    return std::equal(rowOf(a, y), rowOf(a, y) + a.GetStride(), rowOf(b, y));
}

// Records every update the service delivers.
class Recorder {
public:
    CRenderService::Callback callback()
    {
        return [this](const RenderUpdate& update) {
            std::lock_guard lock(m_mutex);
            m_updates.push_back(update);
            m_changed.notify_all();
        };
    }

    // The final update of generation; fails the test after kPatience.
    RenderUpdate waitFinal(std::uint64_t generation)
    {
        std::unique_lock lock(m_mutex);
        const RenderUpdate* found = nullptr;
        const bool arrived = m_changed.wait_for(lock, kPatience, [&] {
            for (const RenderUpdate& u : m_updates)
                if (u.generation == generation && u.final)
                    found = &u;
            return found != nullptr;
        });
        EXPECT_TRUE(arrived) << "no final update for generation " << generation;
        return arrived ? *found : RenderUpdate{};
    }

    std::vector<RenderUpdate> updates()
    {
        std::lock_guard lock(m_mutex);
        return m_updates;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<RenderUpdate> m_updates;
};

const std::array<std::string, 4> kIdentity = {"r", "g", "b", "a"};
const std::array<std::string, 4> kMixed = {"c + rnd(-20, 20) * ctl(0) / 128",
                                           "put(get(x % 64) + g + ctl(1), x % 64), get(x % 64) % 256",
                                           "src(x + ctl(2) / 16 - 8, y, z)", "ctl(3)"};

TEST(RenderService, FinalImageEqualsASingleRenderAndComesOnce)
{
    Recorder recorder;
    CRenderService service(recorder.callback());
    const RenderRequest request = makeRequest(makeSample(40, 70), kMixed, {200, 30, 90, 128}, true);
    const std::uint64_t generation = service.Request(request);
    const RenderUpdate final = recorder.waitFinal(generation);
    ASSERT_TRUE(service.WaitIdle(kPatience));
    EXPECT_EQ(final.outcome.outcome, RenderOutcome::Done);
    EXPECT_EQ(final.rowsDone, 70);
    EXPECT_EQ(final.height, 70);
    ASSERT_TRUE(final.image);
    EXPECT_TRUE(samePixels(*final.image, renderAlone(request)));
    ASSERT_TRUE(final.unfiltered);
    EXPECT_TRUE(samePixels(*final.unfiltered, *request.sample));
    int finals = 0;
    for (const RenderUpdate& u : recorder.updates())
        finals += u.final ? 1 : 0;
    EXPECT_EQ(finals, 1);
    EXPECT_TRUE(service.IsCurrent(generation));
}

TEST(RenderService, SnapshotsEverySixteenRowsShowRowsDoneOverTheUnfilteredSample)
{
    for (const auto& formulas : {kIdentity, kMixed, std::array<std::string, 4>{"255-r", "x", "y", "255"}}) {
        SCOPED_TRACE(formulas[0]);
        Recorder recorder;
        CRenderService service(recorder.callback());
        const auto sample = makeSample(23, 70);
        const std::uint64_t generation = service.Request(makeRequest(sample, formulas, {10, 20, 30, 40}));
        const RenderUpdate final = recorder.waitFinal(generation);
        ASSERT_TRUE(final.image);
        std::vector<int> rows;
        for (const RenderUpdate& u : recorder.updates()) {
            EXPECT_EQ(u.generation, generation);
            EXPECT_EQ(u.height, 70);
            ASSERT_TRUE(u.image);
            if (u.final)
                continue;
            rows.push_back(u.rowsDone);
            for (int y = 0; y < 70; ++y)
                EXPECT_TRUE(sameRow(*u.image, y < u.rowsDone ? *final.image : *sample, y))
                    << "row " << y << " of the snapshot at " << u.rowsDone;
        }
        EXPECT_EQ(rows, (std::vector<int>{16, 32, 48, 64}));
        EXPECT_TRUE(recorder.updates().back().final);
    }
}

TEST(RenderService, SnapshotsReleasedAtOnceStayRightWhenTheirMemoryIsReused)
{
    // A caller that lets go of every snapshot at once hands its memory back
    // for the next one; each must still show exactly its own rows, across
    // renderings of different requests.
    const auto sample = makeSample(31, 100);
    std::vector<RenderRequest> requests;
    std::vector<COXDIB> alone;
    for (int i = 0; i < 4; ++i) {
        requests.push_back(makeRequest(sample, i % 2 ? kMixed : std::array<std::string, 4>{"255-r", "x*8", "y", "a"},
                                       {i * 60, 7, 100 + i}));
        alone.push_back(renderAlone(requests.back()));
    }
    std::mutex mutex;
    std::vector<std::string> faults;
    int partials = 0;
    CRenderService service([&](const RenderUpdate& u) {
        std::lock_guard lock(mutex);
        if (u.final || !u.image)
            return;
        ++partials;
        const COXDIB& reference = alone[u.generation - 1];
        for (int y = 0; y < 100; ++y)
            if (!sameRow(*u.image, y < u.rowsDone ? reference : *sample, y))
                faults.push_back("generation " + std::to_string(u.generation) + " at " + std::to_string(u.rowsDone) +
                                 ": row " + std::to_string(y));
    });
    for (const RenderRequest& request : requests) {
        service.Request(request);
        ASSERT_TRUE(service.WaitIdle(kPatience));
    }
    std::lock_guard lock(mutex);
    EXPECT_EQ(partials, 4 * 6);
    for (const std::string& fault : faults)
        ADD_FAILURE() << fault;
}

TEST(RenderService, NewRequestAbortsTheRunningOneAfterItsCurrentRow)
{
    std::mutex mutex;
    std::vector<RenderUpdate> updates;
    CRenderService* self = nullptr;
    RenderRequest second;
    std::atomic<std::uint64_t> secondGeneration{0};
    CRenderService service([&](const RenderUpdate& update) {
        std::lock_guard lock(mutex);
        updates.push_back(update);
        // Posted while the first rendering waits for this callback: it has
        // finished 16 rows and must stop after one more.
        if (update.generation == 1 && update.rowsDone == 16 && !update.final)
            secondGeneration = self->Request(second);
    });
    self = &service;
    const auto sample = makeSample(30, 64);
    second = makeRequest(sample, kIdentity);
    const RenderRequest first = makeRequest(sample, {"255-r", "255-g", "255-b", "a"});
    ASSERT_EQ(service.Request(first), 1u);
    ASSERT_TRUE(service.WaitIdle(kPatience));

    // Partial updates arrive under the interpreter lock: the reference
    // renders take it outside the test's own lock.
    const COXDIB whole = renderAlone(first);
    const COXDIB secondAlone = renderAlone(second);
    std::lock_guard lock(mutex);
    ASSERT_EQ(secondGeneration.load(), 2u);
    ASSERT_GE(updates.size(), 3u);
    const RenderUpdate& aborted = updates[1];
    EXPECT_EQ(aborted.generation, 1u);
    EXPECT_TRUE(aborted.final);
    EXPECT_EQ(aborted.outcome.outcome, RenderOutcome::Aborted);
    EXPECT_EQ(aborted.rowsDone, 16);
    ASSERT_TRUE(aborted.image);
    for (int y = 0; y < 64; ++y)
        EXPECT_TRUE(sameRow(*aborted.image, y <= 16 ? whole : *sample, y)) << "row " << y;
    EXPECT_TRUE(updates.back().final);
    EXPECT_EQ(updates.back().generation, 2u);
    EXPECT_EQ(updates.back().outcome.outcome, RenderOutcome::Done);
    EXPECT_TRUE(samePixels(*updates.back().image, secondAlone));
}

struct SyntaxCase {
    std::array<std::string, 4> formulas;
    int formula;
    int status;
};

class RenderServiceSyntax : public testing::TestWithParam<SyntaxCase> {};

TEST_P(RenderServiceSyntax, ReportsFormulaAndStatusAndKeepsTheUnfilteredSample)
{
    Recorder recorder;
    CRenderService service(recorder.callback());
    const auto sample = makeSample(20, 20);
    const RenderUpdate final = recorder.waitFinal(service.Request(makeRequest(sample, GetParam().formulas)));
    EXPECT_EQ(final.outcome.outcome, RenderOutcome::SyntaxError);
    EXPECT_EQ(final.outcome.formula, GetParam().formula);
    EXPECT_EQ(final.outcome.status, GetParam().status);
    EXPECT_EQ(final.rowsDone, 0);
    ASSERT_TRUE(final.image);
    EXPECT_TRUE(samePixels(*final.image, *sample));
}

INSTANTIATE_TEST_SUITE_P(
    RenderService, RenderServiceSyntax,
    testing::Values(SyntaxCase{{"r+", "g", "b", "a"}, 0, 1}, SyntaxCase{{"r", "g", "", "a"}, 2, 1},
                    SyntaxCase{{"r", "g", "b", std::string(20000, '(') + "1" + std::string(20000, ')')}, 3, 2}));

TEST(RenderService, UnsupportedSamplesGiveAFinalWithoutPicture)
{
    Recorder recorder;
    CRenderService service(recorder.callback());
    for (const auto& sample :
         {makeSample(8, 8, 8), std::shared_ptr<const COXDIB>{}, std::make_shared<const COXDIB>()}) {
        const RenderUpdate final = recorder.waitFinal(service.Request(makeRequest(sample, kIdentity)));
        EXPECT_EQ(final.outcome.outcome, RenderOutcome::UnsupportedDepth);
        EXPECT_FALSE(final.image);
        EXPECT_EQ(final.height, 0);
    }
}

TEST(RenderService, SampleIsScaledDownToTheTarget)
{
    Recorder recorder;
    CRenderService service(recorder.callback());
    RenderRequest request = makeRequest(makeSample(100, 80), {"255-r", "g", "b", "a"});
    request.targetWidth = 50;
    request.targetHeight = 50;
    const RenderUpdate final = recorder.waitFinal(service.Request(request));
    ASSERT_TRUE(final.image);
    EXPECT_EQ(final.image->GetSize(), (COXDIB::Size{50, 40}));
    EXPECT_EQ(final.unfiltered->GetSize(), (COXDIB::Size{50, 40}));
    EXPECT_TRUE(samePixels(*final.image, renderAlone(request)));
}

TEST(RenderService, CancelAbortsAndNothingIsCurrent)
{
    std::atomic<bool> started{false};
    Recorder recorder;
    auto record = recorder.callback();
    CRenderService service([&](const RenderUpdate& u) {
        record(u);
        started = true;
    });
    const std::uint64_t generation =
        service.Request(makeRequest(makeSample(200, 4000), {"cnv(1,2,1,2,4,2,1,2,1,16)", "g", "b", "a"}));
    while (!started)
        std::this_thread::yield();
    service.Cancel();
    EXPECT_FALSE(service.IsCurrent(generation));
    const RenderUpdate final = recorder.waitFinal(generation);
    EXPECT_EQ(final.outcome.outcome, RenderOutcome::Aborted);
    EXPECT_LT(final.rowsDone, 4000);
    ASSERT_TRUE(service.WaitIdle(kPatience));
    const std::uint64_t next = service.Request(makeRequest(makeSample(4, 4), kIdentity));
    EXPECT_GT(next, generation);
    EXPECT_TRUE(service.IsCurrent(next));
    EXPECT_EQ(recorder.waitFinal(next).outcome.outcome, RenderOutcome::Done);
}

TEST(RenderService, DestructionWhileRenderingStopsAndJoins)
{
    std::atomic<int> calls{0};
    std::atomic<bool> started{false};
    {
        CRenderService service([&](const RenderUpdate&) {
            ++calls;
            started = true;
        });
        service.Request(makeRequest(makeSample(200, 4000), {"cnv(1,2,1,2,4,2,1,2,1,16)", "g", "b", "a"}));
        while (!started)
            std::this_thread::yield();
        // And one waiting behind it, which must never start.
        service.Request(makeRequest(makeSample(10, 10), kIdentity));
    }
    const int afterDestruction = calls.load();
    EXPECT_GE(afterDestruction, 1);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls.load(), afterDestruction);
}

TEST(RenderService, DestroyedWithoutRequests)
{
    CRenderService idle([](const RenderUpdate&) {});
    EXPECT_TRUE(idle.WaitIdle(0ms));
    CRenderService{[](const RenderUpdate&) {}};
}

TEST(RenderService, RandomNumbersRepeatInEveryRendering)
{
    Recorder recorder;
    CRenderService service(recorder.callback());
    const RenderRequest request = makeRequest(makeSample(30, 30), {"rnd(0, 255)", "rnd(0, 255)", "b", "a"});
    const RenderUpdate a = recorder.waitFinal(service.Request(request));
    const RenderUpdate b = recorder.waitFinal(service.Request(request));
    ASSERT_TRUE(a.image && b.image);
    EXPECT_TRUE(samePixels(*a.image, *b.image));
    EXPECT_TRUE(samePixels(*a.image, renderAlone(request)));
}

// The seed variable belongs to the service (one per preview): an rst of one
// rendering seeds the next one of the same service, never another's.
TEST(RenderService, RstSeedsTheNextRenderingOfTheSamePreview)
{
    Recorder recorder;
    CRenderService service(recorder.callback());
    const RenderRequest request = makeRequest(makeSample(3, 2), {"rst(7), rnd(0, 254)", "g", "b", "a"});
    auto red = [](const RenderUpdate& u) { return static_cast<int>(u.image->GetRow(u.image->GetHeight() - 1)[2]); };
    const RenderUpdate first = recorder.waitFinal(service.Request(request));
    const RenderUpdate second = recorder.waitFinal(service.Request(request));
    ASSERT_TRUE(first.image && second.image);
    EXPECT_EQ(red(first), 17);    // seeded with 0
    EXPECT_EQ(red(second), 173);  // seeded with 7
    Recorder otherRecorder;
    CRenderService other(otherRecorder.callback());
    const RenderUpdate elsewhere = otherRecorder.waitFinal(other.Request(request));
    ASSERT_TRUE(elsewhere.image);
    EXPECT_EQ(red(elsewhere), 17);
}

#if defined(__linux__)
TEST(RenderService, WorkerRunsBelowNormalPriority)
{
    std::atomic<int> workerNice{-100};
    Recorder recorder;
    auto record = recorder.callback();
    CRenderService service([&](const RenderUpdate& u) {
        workerNice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
        record(u);
    });
    recorder.waitFinal(service.Request(makeRequest(makeSample(4, 4), kIdentity)));
    // Nicer than normal, and never less nice than the thread that made it.
    EXPECT_GT(workerNice.load(), 0);
    EXPECT_GE(workerNice.load(), getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))));
}
#endif

TEST(RenderService, RenderingWaitsForTheInterpreterLock)
{
    Recorder recorder;
    CRenderService service(recorder.callback());
    std::uint64_t generation;
    {
        auto interpreter = CRenderService::LockInterpreter();
        generation = service.Request(makeRequest(makeSample(8, 8), kIdentity));
        EXPECT_FALSE(service.WaitIdle(30ms));
        EXPECT_TRUE(recorder.updates().empty());
    }
    EXPECT_EQ(recorder.waitFinal(generation).outcome.outcome, RenderOutcome::Done);
}

TEST(RenderService, TwoServicesNeverRenderAtOnce)
{
    // Partial updates are delivered from inside a rendering; two of them
    // overlapping would mean two renderings at once.
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    auto callback = [&](const RenderUpdate& u) {
        if (u.final)
            return;
        if (++inside > 1)
            overlapped = true;
        std::this_thread::yield();
        --inside;
    };
    CRenderService a(callback);
    CRenderService b(callback);
    for (int i = 0; i < 20; ++i) {
        a.Request(makeRequest(makeSample(16, 160), kMixed, {i}));
        b.Request(makeRequest(makeSample(16, 160), kMixed, {i + 1}));
        ASSERT_TRUE(a.WaitIdle(kPatience));
        ASSERT_TRUE(b.WaitIdle(kPatience));
    }
    EXPECT_FALSE(overlapped);
}

TEST(RenderService, ANewRequestInterruptsAnotherServiceWhichTakesItsRenderingUpAfterwards)
{
    // A's rendering pauses (in its callback, with the interpreter held) until
    // B's request is posted; B must not wait for A's whole picture.
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<char, RenderUpdate>> order;
    bool bPosted = false;
    CRenderService* self = nullptr;
    CRenderService* b = nullptr;
    RenderRequest bRequest = makeRequest(makeSample(8, 8), {"255-r", "255-g", "255-b", "a"});
    std::uint64_t bGeneration = 0;
    CRenderService a([&](const RenderUpdate& u) {
        std::unique_lock lock(mutex);
        order.emplace_back('a', u);
        if (!u.final && u.rowsDone == 16 && !bPosted) {
            bPosted = true;
            bGeneration = b->Request(bRequest);
            // A stays paused here until B's worker has interrupted it.
            lock.unlock();
            const auto until = std::chrono::steady_clock::now() + kPatience;
            while (!self->IsInterrupted() && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(1ms);
        }
        changed.notify_all();
    });
    CRenderService bService([&](const RenderUpdate& u) {
        std::lock_guard lock(mutex);
        order.emplace_back('b', u);
        changed.notify_all();
    });
    b = &bService;
    self = &a;
    const RenderRequest aRequest = makeRequest(makeSample(40, 400), kMixed, {3, 4, 5, 6});
    const std::uint64_t aGeneration = a.Request(aRequest);
    ASSERT_TRUE(a.WaitIdle(kPatience));
    ASSERT_TRUE(bService.WaitIdle(kPatience));
    ASSERT_TRUE(a.WaitIdle(kPatience));

    const COXDIB aAlone = renderAlone(aRequest);
    const COXDIB bAlone = renderAlone(bRequest);
    std::lock_guard lock(mutex);
    std::vector<char> finals;
    int aFinals = 0;
    for (const auto& [who, u] : order) {
        if (!u.final)
            continue;
        finals.push_back(who);
        if (who == 'a') {
            ++aFinals;
            EXPECT_EQ(u.generation, aGeneration);
            EXPECT_EQ(u.outcome.outcome, RenderOutcome::Done);
            EXPECT_TRUE(samePixels(*u.image, aAlone));
        } else {
            EXPECT_EQ(u.generation, bGeneration);
            EXPECT_TRUE(samePixels(*u.image, bAlone));
        }
    }
    // B finished first; A's picture came whole afterwards, with one final only.
    EXPECT_EQ(finals, (std::vector<char>{'b', 'a'}));
    EXPECT_EQ(aFinals, 1);
}

TEST(RenderServiceStress, LastOfThousandsOfRequestsFromTwoThreadsEqualsASingleRender)
{
    constexpr int kPerThread = 2000;
    const auto sample = makeSample(64, 48);

    std::mutex mutex;
    std::vector<RenderUpdate> updates;  // in the order of delivery
    CRenderService service([&](const RenderUpdate& u) {
        std::lock_guard lock(mutex);
        updates.push_back(u);
    });

    // Each thread keeps the requests it posted by the generation it got.
    std::map<std::uint64_t, RenderRequest> posted[2];
    auto fire = [&](int thread) {
        std::mt19937 random(static_cast<unsigned>(thread) + 1);
        for (int i = 0; i < kPerThread; ++i) {
            std::array<int32_t, 8> sliders;
            for (auto& s : sliders)
                s = static_cast<int32_t>(random() % 256);
            RenderRequest request = makeRequest(sample, kMixed, sliders, random() % 2 == 0);
            const std::uint64_t generation = service.Request(request);
            posted[thread][generation] = std::move(request);
            // Now and then a pause, so that renderings get going and are
            // aborted midway, not only replaced while they wait.
            if (i % 10 == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 400));
        }
    };
    std::thread one(fire, 0);
    std::thread two(fire, 1);
    one.join();
    two.join();
    ASSERT_TRUE(service.WaitIdle(kPatience));
    std::map<std::uint64_t, RenderRequest> requests = posted[0];
    requests.insert(posted[1].begin(), posted[1].end());
    ASSERT_EQ(requests.size(), 2u * kPerThread);
    const std::uint64_t last = requests.rbegin()->first;
    EXPECT_TRUE(service.IsCurrent(last));

    std::vector<RenderUpdate> delivered;
    {
        // Partial updates arrive under the interpreter lock: the reference
        // renders below take it outside the test's own lock.
        std::lock_guard lock(mutex);
        delivered = updates;
    }
    ASSERT_FALSE(delivered.empty());
    // Single renders of every request that started: with its transparency
    // for the finished picture, without it for the rows of a partial one
    // (the checkerboard comes in only when every row is done).
    std::map<std::uint64_t, std::pair<COXDIB, COXDIB>> alone;
    std::map<std::uint64_t, int> rows;
    std::set<std::uint64_t> finished;
    std::uint64_t latest = 0;
    int aborted = 0;
    for (const RenderUpdate& u : delivered) {
        SCOPED_TRACE("generation " + std::to_string(u.generation) + " rows " + std::to_string(u.rowsDone));
        ASSERT_GE(u.generation, latest) << "a stale generation after a newer one";
        latest = u.generation;
        ASSERT_FALSE(finished.count(u.generation)) << "an update after the final";
        ASSERT_TRUE(u.image);
        if (!alone.count(u.generation)) {
            RenderRequest opaque = requests.at(u.generation);
            opaque.transparency = false;
            alone.emplace(u.generation, std::pair{renderAlone(requests.at(u.generation)), renderAlone(opaque)});
        }
        const auto& [finishedPicture, partialRows] = alone.at(u.generation);
        // Rows beyond those reported that an aborted rendering finished
        // before it saw the flag: at most the 16 of one report.
        int extra = 0;
        if (u.final) {
            finished.insert(u.generation);
            if (u.outcome.outcome == RenderOutcome::Done) {
                EXPECT_TRUE(samePixels(*u.image, finishedPicture));
                continue;
            }
            ASSERT_EQ(u.outcome.outcome, RenderOutcome::Aborted);
            ++aborted;
            while (u.rowsDone + extra < 48 && sameRow(*u.image, partialRows, u.rowsDone + extra))
                ++extra;
            EXPECT_LE(extra, 16);
        } else {
            EXPECT_GT(u.rowsDone, rows[u.generation]);
            rows[u.generation] = u.rowsDone;
        }
        for (int y = 0; y < 48; ++y)
            EXPECT_TRUE(sameRow(*u.image, y < u.rowsDone + extra ? partialRows : *sample, y)) << "row " << y;
    }
    EXPECT_EQ(delivered.back().generation, last);
    EXPECT_TRUE(delivered.back().final);
    EXPECT_EQ(delivered.back().outcome.outcome, RenderOutcome::Done);
    RecordProperty("started", static_cast<int>(finished.size()));
    RecordProperty("aborted", aborted);
}

}  // namespace
