#pragma once
// CFilterRenderer: runs the four channel formulas of a Filter Factory
// filter over an image through the zeltro interpreter, as the live
// preview does: the execution record filled from the source, the four
// formulas checked before any is built, the channel values clamped to
// bytes, the alpha formula kept as a mask and, with transparency on, the
// result composited over a checkerboard.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace vardel {

class COXDIB;

// A view of pixel rows as the bitmap stores them: bottom-up, channels
// blue, green, red (and a fourth byte at 32 bits).
struct PixelView {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int stride = 0;
};

// The interpreter's rule sets: what the filters compute in their host
// (the preview's), and the interpreter's earlier rules.
enum class RuleSet { Genuine, Classic };

struct FilterSettings {
    std::array<std::string, 4> formulas;    // red, green, blue, alpha
    std::array<std::int32_t, 8> sliders{};  // ctl(0) .. ctl(7)
    bool transparency = false;
    // The rule set the formulas are evaluated by; the interpreter's is
    // process-wide, so it is set for the rendering (under the interpreter
    // lock, see CRenderService).
    RuleSet rules = RuleSet::Genuine;
    // The seed variable of rst (genuine rules) before the rendering: the
    // generator is seeded from it before the first pixel.
    std::int32_t seed = 0;
    // Worker threads for formulas that cannot observe evaluation order
    // (1 = render on the calling thread only).
    int threads = 1;
    // Polled after every row; rendering stops when it is set.
    const std::atomic<bool>* abort = nullptr;
    // Called with the number of rows finished after every 16th row (from
    // one thread at a time, possibly a worker thread).
    std::function<void(int rowsDone)> progress;
};

enum class RenderOutcome {
    Done,              // every row rendered
    Aborted,           // stopped by the abort flag; the rows done are kept
    SyntaxError,       // a formula was rejected; nothing rendered
    UnsupportedDepth,  // not 24 or 32 bits; nothing rendered
    EvaluationError    // rendered, but a node kind was unknown
};

// The parse statuses of FFParse.
inline constexpr int kParseSyntaxError = 1;
inline constexpr int kParseTooDeep = 2;

struct RenderResult {
    RenderOutcome outcome = RenderOutcome::Done;
    int formula = -1;        // the rejected formula (0..3) on a syntax error
    int status = 0;          // its parse status (kParseSyntaxError, kParseTooDeep)
    std::int32_t error = 0;  // the record's error field after rendering
    bool parallel = false;   // rows were split across threads
    // The seed variable after the rendering (rst may have changed it): the
    // next rendering of the same preview starts from it.
    std::int32_t seed = 0;

    // A formula was rejected for its nesting, not its syntax.
    bool NestedTooDeeply() const { return outcome == RenderOutcome::SyntaxError && status == kParseTooDeep; }
};

class CFilterRenderer {
public:
    // Renders source into destination, which must have the same width,
    // height and bytes per pixel (3 or 4); background, when given (24-bit,
    // same size), is composited under the result by the alpha mask. Never
    // throws for bad formulas or pixels; reports through the result.
    static RenderResult Run(const PixelView& source, const PixelView& destination, const PixelView* background,
                            const FilterSettings& settings);

    // The preview's whole rendering on bitmaps: source rendered into
    // destination (recreated at the source's size and depth when they
    // differ), over a checkerboard when transparency is on. Fails (as
    // UnsupportedDepth) for bitmaps that are not 24 or 32 bits.
    static RenderResult Render(const COXDIB& source, COXDIB& destination, const FilterSettings& settings);

    // Preview steps 2-4: scales sample down (never up) to fit a target of
    // targetWidth x targetHeight by the larger of the two ratios. Returns
    // false when a resize was needed and failed.
    static bool FitToTarget(COXDIB& sample, int targetWidth, int targetHeight);

    // Target size of a size mode for a client area of w x h: 0 whole,
    // 1 75 %, 2 50 %, other the sample's own size.
    static void TargetSize(int mode, int clientWidth, int clientHeight, int sampleWidth, int sampleHeight, int& width,
                           int& height);

    // A view of a bitmap's pixel rows; bytesPerPixel 0 for empty bitmaps
    // and depths that are not whole bytes.
    static PixelView ViewOf(const COXDIB& bitmap);
};

}  // namespace vardel
