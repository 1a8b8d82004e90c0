// Row-at-a-time evaluation: planning and the loops over a row.

#include "RowPlan.h"

#include "Arith.h"
#include "Fetch.h"
#include "Program.h"

#include <algorithm>

namespace zeltro {
namespace {

constexpr int32_t kFill = -2;    // dst = per-row value
constexpr int32_t kSrcRow = -3;  // src(x', y, z) with y, z per-row values
constexpr int32_t kCnvRow = -4;  // cnv with per-row weights and divisor
constexpr int32_t kCopy = -5;    // dst = the slot named by scalar
// Slots from here on live in the prelude's region of the row's cells.
constexpr int32_t kHoistBase = 1 << 20;
constexpr int32_t kVV = 0, kVS = 1, kSV = 2;
// Rows whose slots would need more than this many cells are evaluated
// pixel by pixel instead.
constexpr std::size_t kMaxCells = std::size_t(1) << 24;

bool isBinary(int32_t kind)
{
    // clang-format off
    switch (kind) {
    case '+': case '-': case '*': case '/': case '%': case kShl: case kShr: case kEq:
    case kNe: case kLe: case kGe: case kLt: case kGt: case kLogAnd: case kLogOr:
    case kBitAnd: case kBitOr: case kXor:
        return true;
    default:
        return false;
    }
    // clang-format on
}

bool isPixelLeaf(int32_t kind)
{
    // clang-format off
    switch (kind) {
    case 'x': case 'r': case 'g': case 'b': case 'a': case 'c': case 'i': case 'u': case 'v':
    case 'd': case 'm': case kDirG:
        return true;
    default:
        return false;
    }
    // clang-format on
}

template <class F>
void binary(int variant, int32_t* d, const int32_t* a, int32_t s, int n, F f)
{
    if (variant == kVS)
        for (int i = 0; i < n; ++i)
            d[i] = f(a[i], s);
    else
        for (int i = 0; i < n; ++i)
            d[i] = f(s, a[i]);
}

template <class F>
void binaryVV(int32_t* d, const int32_t* a, const int32_t* b, int n, F f)
{
    for (int i = 0; i < n; ++i)
        d[i] = f(a[i], b[i]);
}

// Binary step over a row; a is the vector operand (and the first one of
// two vectors), s the per-row value.
template <class F>
void binaryStep(int variant, int32_t* d, const int32_t* a, const int32_t* b, int32_t s, int n, F f)
{
    if (variant == kVV)
        binaryVV(d, a, b, n, f);
    else
        binary(variant, d, a, s, n, f);
}

// Division of a row by a per-row divisor: exact through doubles (the
// quotient of two 32-bit values is never within rounding of an integer
// it does not reach), which the compiler turns into vector code.
void divideByScalar(int32_t* d, const int32_t* a, int32_t s, int n, bool remainder)
{
    if (s == 0 || (remainder && s == -1)) {
        std::fill(d, d + n, 0);
        return;
    }
    if (s == -1) {
        for (int i = 0; i < n; ++i)
            d[i] = neg(a[i]);
        return;
    }
    if (s > 0 && (s & (s - 1)) == 0) {
        int shift = 0;
        while ((1 << shift) != s)
            ++shift;
        const uint32_t mask = static_cast<uint32_t>(s) - 1;
        for (int i = 0; i < n; ++i) {
            // Truncation toward zero: bias negative values before shifting.
            const int32_t v = a[i];
            const int32_t q = (v + static_cast<int32_t>((static_cast<uint32_t>(v >> 31)) & mask)) >> shift;
            d[i] = remainder ? sub(v, wrap(u(q) << shift)) : q;
        }
        return;
    }
    const double ds = s;
    for (int i = 0; i < n; ++i) {
        const int32_t q = static_cast<int32_t>(static_cast<double>(a[i]) / ds);
        d[i] = remainder ? wrap(u(a[i]) - u(q) * u(s)) : q;
    }
}

}  // namespace

RowPlan::RowPlan(const Program& program)
    : m_program(program)
{
    // The planner walks the tree recursively: a tree too high for that is
    // evaluated pixel by pixel, which gives the same values.
    if (program.deep()) {
        m_perPixel = true;
        return;
    }
    // Ops are stored children first, so one forward pass decides for each
    // op whether it depends on the column.
    const int32_t root = program.root();
    m_varying.assign(static_cast<std::size_t>(root) + 1, false);
    m_channel.assign(static_cast<std::size_t>(root) + 1, false);
    for (int32_t i = 0; i <= root; ++i) {
        const Op& o = program.op(i);
        bool varying = isPixelLeaf(o.kind) || o.kind == kCnv || o.kind == kIcnv;
        bool channel = o.kind == 'z' || o.kind == 'c' || o.kind == kCnv || o.kind == kIcnv;
        const int32_t* k = program.kids(o);
        for (int32_t j = 0; j < o.count; ++j) {
            varying = varying || m_varying[k[j]];
            channel = channel || m_channel[k[j]];
        }
        m_varying[i] = varying;
        m_channel[i] = channel;
    }
    if (!m_varying[root]) {
        m_constantResult = uniform(root);
        return;
    }
    m_result = 0;
    gen(root, 0);
}

namespace {

// The highest prelude slot a step list touches, relative to the base.
int32_t preludeSlots(const std::vector<RowPlan::Step>& steps)
{
    int32_t top = 0;
    for (const RowPlan::Step& st : steps)
        top = std::max({top, st.dst - kHoistBase + 1, st.arg - kHoistBase + 11});
    return top;
}

}  // namespace

int32_t RowPlan::uniform(int32_t op)
{
    m_uniforms.push_back(op);
    return static_cast<int32_t>(m_uniforms.size() - 1);
}

int32_t RowPlan::gen(int32_t op, int32_t slot)
{
    if (slot < kHoistBase)
        m_slots = std::max(m_slots, slot + 1);
    if (!m_varying[op]) {
        emit(kFill, slot, slot, uniform(op), 0);
        return slot;
    }
    const Op& o = m_program.op(op);
    if (!m_inPrelude && !m_channel[op] && (o.count > 0 || o.kind == 'd' || o.kind == 'm' || o.kind == kDirG))
        return hoist(op, slot);
    const int32_t* k = m_program.kids(o);
    if (o.count == 0) {
        emit(o.kind, slot, slot, -1, 0);
        return slot;
    }
    if (isBinary(o.kind)) {
        if (!m_varying[k[1]]) {
            gen(k[0], slot);
            emit(o.kind, slot, slot, uniform(k[1]), kVS);
        } else if (!m_varying[k[0]]) {
            gen(k[1], slot);
            emit(o.kind, slot, slot, uniform(k[0]), kSV);
        } else {
            gen(k[0], slot);
            gen(k[1], slot + 1);
            emit(o.kind, slot, slot, -1, kVV);
        }
        return slot;
    }
    if (o.kind == kSrc && !m_varying[k[1]] && !m_varying[k[2]]) {
        gen(k[0], slot);
        const int32_t yIndex = uniform(k[1]);
        uniform(k[2]);
        emit(kSrcRow, slot, slot, yIndex, 0);
        return slot;
    }
    if (o.kind == kCnv) {
        bool uniformArgs = true;
        for (int32_t j = 0; j < 10; ++j)
            uniformArgs = uniformArgs && !m_varying[k[j]];
        if (uniformArgs) {
            const int32_t first = uniform(k[0]);
            for (int32_t j = 1; j < 10; ++j)
                uniform(k[j]);
            emit(kCnvRow, slot, slot, first, 0);
            return slot;
        }
    }
    if (o.kind == kSequence || o.kind == kPlus) {
        gen(k[o.count - 1], slot);
        return slot;
    }
    if (o.kind == kRst) {
        emit(kNumber, slot, slot, -1, 0);
        return slot;
    }
    for (int32_t j = 0; j < o.count; ++j)
        gen(k[j], slot + j);
    emit(o.kind, slot, slot, -1, 0);
    return slot;
}

// Plans op to be evaluated once per row in the prelude's region; the
// channel steps copy the result. Kept out of gen(), whose frame is
// repeated for every level of a deep tree.
int32_t RowPlan::hoist(int32_t op, int32_t slot)
{
    const int32_t home = kHoistBase + m_hoisted++;
    std::vector<Step> saved;
    saved.swap(m_steps);
    m_inPrelude = true;
    gen(op, home);
    m_inPrelude = false;
    m_prelude.insert(m_prelude.end(), m_steps.begin(), m_steps.end());
    m_steps.swap(saved);
    emit(kCopy, slot, slot, home, 0);
    return slot;
}

void RowPlan::emit(int32_t kind, int32_t dst, int32_t arg, int32_t scalar, int32_t variant)
{
    m_steps.push_back({kind, dst, arg, scalar, variant});
}

void RowPlan::run(const FFExecRecord& r, int32_t y, int32_t count, const int32_t* channels, int32_t* const* out) const
{
    const int32_t width = r.X;
    if (width <= 0)
        return;
    thread_local std::vector<int32_t> scalars;
    thread_local std::vector<int32_t> cells;
    RandomState unusedRandom;
    Context context{const_cast<FFExecRecord*>(&r), &unusedRandom, 0, y, 0};
    const std::size_t mainSlots = static_cast<std::size_t>(m_slots);
    const std::size_t hoistSlots = static_cast<std::size_t>(preludeSlots(m_prelude));
    const std::size_t need = (mainSlots + hoistSlots) * static_cast<std::size_t>(width);
    scalars.resize(m_uniforms.size());
    for (int32_t k = 0; k < count; ++k) {
        context.z = channels[k];
        for (std::size_t i = 0; i < m_uniforms.size(); ++i)
            scalars[i] = m_program.eval(m_uniforms[i], context);
        if (m_constantResult >= 0) {
            std::fill(out[k], out[k] + width, scalars[m_constantResult]);
            continue;
        }
        if (m_perPixel || need > kMaxCells) {
            for (int32_t x = 0; x < width; ++x) {
                context.x = x;
                out[k][x] = m_program.evaluate(context);
            }
            continue;
        }
        cells.resize(need);
        if (k == 0)
            runSteps(m_prelude, r, y, channels[k], width, cells.data(), scalars.data());
        runSteps(m_steps, r, y, channels[k], width, cells.data(), scalars.data());
        std::copy(cells.data(), cells.data() + width, out[k]);
    }
}

void RowPlan::runSteps(const std::vector<Step>& steps, const FFExecRecord& r, int32_t y, int32_t z, int32_t n,
                       int32_t* cells, const int32_t* scalars) const
{
    const uint8_t* row = sourceRow(r, y);
    const int bpp = r.Z;
    const int8_t* off = r.channelOffsets;
    // Main slots first, then the prelude's region.
    auto at = [&](int32_t slot) {
        const std::size_t index = slot >= kHoistBase ? static_cast<std::size_t>(m_slots) + (slot - kHoistBase)
                                                     : static_cast<std::size_t>(slot);
        return cells + index * n;
    };
    for (const Step& st : steps) {
        int32_t* d = at(st.dst);
        const int32_t* a = at(st.arg);
        const int32_t* b = a + n;
        if (st.kind == kCopy) {
            std::copy(at(st.scalar), at(st.scalar) + n, d);
            continue;
        }
        const int32_t s = st.scalar >= 0 ? scalars[st.scalar] : 0;
        auto arg = [&](int j) { return a + static_cast<std::size_t>(j) * n; };
        // clang-format off
        switch (st.kind) {
        case kFill: std::fill(d, d + n, s); break;
        case kNumber: std::fill(d, d + n, 0); break;
        case 'x': for (int i = 0; i < n; ++i) d[i] = i; break;
        case 'r': case 'g': case 'b': case 'a': {
            const int32_t probe = pixelVariable(r, row, static_cast<char>(st.kind));
            if (bpp <= 0 || (st.kind == 'a' && bpp != 2 && bpp < 4)) {
                std::fill(d, d + n, probe);
                break;
            }
            const int ch = st.kind == 'a' ? (bpp == 2 ? 1 : 3)
                         : bpp <= 2 ? 0 : st.kind == 'r' ? 0 : st.kind == 'g' ? 1 : 2;
            const uint8_t* p = row + off[ch];
            for (int i = 0; i < n; ++i)
                d[i] = p[static_cast<std::size_t>(i) * bpp];
            break;
        }
        case 'c':
            if (bpp >= 3 && z >= 0 && z < bpp) {
                const uint8_t* p = row + off[z];
                for (int i = 0; i < n; ++i)
                    d[i] = p[static_cast<std::size_t>(i) * bpp];
            } else {
                for (int i = 0; i < n; ++i)
                    d[i] = channelByte(r, row, i, z);
            }
            break;
        case 'i': case 'u': case 'v': {
            const uint8_t* pr = row + off[0];
            const uint8_t* pg = row + off[1];
            const uint8_t* pb = row + off[2];
            for (int i = 0; i < n; ++i) {
                const std::size_t at = static_cast<std::size_t>(i) * bpp;
                const int32_t R = pr[at], G = pg[at], B = pb[at];
                d[i] = st.kind == 'i' ? (76 * R + 150 * G + 29 * B) / 256
                     : st.kind == 'u' ? (56 * B - 37 * G - 19 * R) / 256
                                      : (78 * R - 65 * G - 13 * B) / 256;
            }
            break;
        }
        case kDirG: {
            const int32_t dy = sub(y, r.centreY);
            for (int i = 0; i < n; ++i)
                d[i] = c2dGenuine(sub(i, r.centreX), dy);
            break;
        }
        case 'd': case 'm': {
            const int32_t dy = sub(y, r.centreY);
            const int32_t dx0 = sub(0, r.centreX);
            // Whole-row directions need x - centreX without wrap-around.
            if (st.kind == 'd' && static_cast<int64_t>(dx0) + n - 1 <= INT32_MAX) {
                c2dRow(dx0, dy, n, d);
                break;
            }
            for (int i = 0; i < n; ++i) {
                const int32_t dx = sub(i, r.centreX);
                d[i] = st.kind == 'd' ? c2d(dx, dy) : c2m(dx, dy);
            }
            break;
        }
        case '+': binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return add(p, q); }); break;
        case '-': binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return sub(p, q); }); break;
        case '*': binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return mul(p, q); }); break;
        case '/': case '%':
            if (st.variant == kVS)
                divideByScalar(d, a, s, n, st.kind == '%');
            else if (st.kind == '/')
                binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return quo(p, q); });
            else
                binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return rem(p, q); });
            break;
        case kShl: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return shl(p, q); }); break;
        case kShr: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return shr(p, q); }); break;
        case kEq: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p == q); }); break;
        case kNe: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p != q); }); break;
        case kLe: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p <= q); }); break;
        case kGe: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p >= q); }); break;
        case kLt: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p < q); }); break;
        case kGt: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p > q); }); break;
        case kLogAnd: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p != 0 && q != 0); }); break;
        case kLogOr: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return int32_t(p != 0 || q != 0); }); break;
        case kBitAnd: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return p & q; }); break;
        case kBitOr: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return p | q; }); break;
        case kXor: binaryStep(st.variant, d, a, b, s, n, [](int32_t p, int32_t q) { return p ^ q; }); break;
        case kNeg: for (int i = 0; i < n; ++i) d[i] = neg(a[i]); break;
        case kNot: for (int i = 0; i < n; ++i) d[i] = a[i] == 0; break;
        case kCompl: for (int i = 0; i < n; ++i) d[i] = ~a[i]; break;
        case kAbs: for (int i = 0; i < n; ++i) d[i] = absw(a[i]); break;
        case kSqr: for (int i = 0; i < n; ++i) d[i] = sqrw(a[i]); break;
        case '?': {
            const int32_t* p = arg(1);
            const int32_t* q = arg(2);
            // Both rows are there already: a mask chooses without a branch
            // (which the vectoriser turns into a blend).
            for (int i = 0; i < n; ++i) {
                const uint32_t mask = 0u - static_cast<uint32_t>(a[i] != 0);
                d[i] = static_cast<int32_t>((u(p[i]) & mask) | (u(q[i]) & ~mask));
            }
            break;
        }
        case kSrcRow: {
            const int32_t yy = s, zz = scalars[st.scalar + 1];
            int32_t ay = yy;
            const bool inside = edgeAdjust(r.edgeMode, ay, r.Y, r.largestRow);
            if (!inside) {
                std::fill(d, d + n, 0);
                break;
            }
            const uint8_t* srow = sourceRow(r, ay);
            if (r.edgeMode == 0 && bpp >= 3 && zz >= 0 && zz < bpp) {
                const uint8_t* p = srow + off[zz];
                const int32_t last = r.largestColumn;
                for (int i = 0; i < n; ++i) {
                    int32_t xx = a[i];
                    xx = xx < 0 ? 0 : (xx > last ? last : xx);
                    d[i] = p[static_cast<std::size_t>(xx) * bpp];
                }
            } else {
                for (int i = 0; i < n; ++i) {
                    int32_t xx = a[i];
                    d[i] = edgeAdjust(r.edgeMode, xx, r.X, r.largestColumn) ? channelByte(r, srow, xx, zz) : 0;
                }
            }
            break;
        }
        case kCnvRow: {
            const int32_t* w = scalars + st.scalar;
            const int32_t divisor = w[9];
            if (divisor == 0) {
                std::fill(d, d + n, 255);
                break;
            }
            if (r.edgeMode != 0 || bpp < 3 || z < 0 || z >= bpp || n < 3 || r.largestColumn != n - 1) {
                for (int i = 0; i < n; ++i) {
                    uint32_t sum = 0;
                    for (int j = 0; j < 9; ++j)
                        sum += u(w[j]) * u(fetch(r, add(i, j % 3 - 1), add(y, j / 3 - 1), z));
                    d[i] = wrap(sum);
                }
            } else {
                // Clamp mode over whole-byte pixels: three row pointers, the
                // border columns clamped, the inside without any test.
                const uint8_t* rows[3];
                for (int j = 0; j < 3; ++j)
                    rows[j] = sourceRow(r, clampTo(add(y, j - 1), r.largestRow)) + off[z];
                const uint32_t w0 = u(w[0]), w1 = u(w[1]), w2 = u(w[2]), w3 = u(w[3]), w4 = u(w[4]),
                               w5 = u(w[5]), w6 = u(w[6]), w7 = u(w[7]), w8 = u(w[8]);
                auto at = [bpp](const uint8_t* p, int x) { return static_cast<uint32_t>(p[static_cast<std::size_t>(x) * bpp]); };
                auto one = [&](int i, int xl, int xr) {
                    return wrap(w0 * at(rows[0], xl) + w1 * at(rows[0], i) + w2 * at(rows[0], xr) +
                                w3 * at(rows[1], xl) + w4 * at(rows[1], i) + w5 * at(rows[1], xr) +
                                w6 * at(rows[2], xl) + w7 * at(rows[2], i) + w8 * at(rows[2], xr));
                };
                const int last = std::min(n - 1, r.largestColumn);
                d[0] = one(0, 0, std::min(1, last));
                for (int i = 1; i < n - 1; ++i)
                    d[i] = one(i, i - 1, i + 1);
                d[n - 1] = one(n - 1, n - 2, std::min(n, last));
            }
            divideByScalar(d, d, divisor, n, false);
            break;
        }
        case kCnv: case kIcnv: {
            const bool intensity = st.kind == kIcnv;
            const int32_t* dv = arg(9);
            for (int i = 0; i < n; ++i) {
                if (dv[i] == 0) {
                    d[i] = 255;
                    continue;
                }
                int32_t sum = 0;
                for (int j = 0; j < 9; ++j) {
                    const int32_t nx = add(i, j % 3 - 1), ny = add(y, j / 3 - 1);
                    const int32_t px = intensity ? intensityAt(r, nx, ny) : fetch(r, nx, ny, z);
                    sum = add(sum, mul(arg(j)[i], px));
                }
                d[i] = quo(sum, dv[i]);
            }
            break;
        }
        default: {
            // Every other function, one pixel at a time with the arguments
            // of the row.
            const int32_t* A0 = arg(0);
            const int32_t* A1 = arg(1);
            const int32_t* A2 = arg(2);
            // The source fetch of clamp mode over whole-byte pixels, without
            // the edge-mode and pixel-size dispatch of fetch().
            const bool clampMode = r.edgeMode == 0 && bpp >= 3;
            auto fetchClamped = [&](int32_t fx, int32_t fy, int32_t fz) -> int32_t {
                if (fz < 0 || fz >= bpp)
                    return 255;
                return sourceRow(r, clampTo(fy, r.largestRow))[static_cast<std::size_t>(clampTo(fx, r.largestColumn)) * bpp + off[fz]];
            };
            // clang-format off
            switch (st.kind) {
            case kSrc:
                if (clampMode)
                    for (int i = 0; i < n; ++i) d[i] = fetchClamped(A0[i], A1[i], A2[i]);
                else
                    for (int i = 0; i < n; ++i) d[i] = fetch(r, A0[i], A1[i], A2[i]);
                break;
            case kRad:
                if (clampMode)
                    for (int i = 0; i < n; ++i)
                        d[i] = fetchClamped(add(r.centreX, r2x(A0[i], A1[i])), add(r.centreY, r2y(A0[i], A1[i])), A2[i]);
                else
                    for (int i = 0; i < n; ++i)
                        d[i] = fetch(r, add(r.centreX, r2x(A0[i], A1[i])), add(r.centreY, r2y(A0[i], A1[i])), A2[i]);
                break;
            case kRadG:
                for (int i = 0; i < n; ++i) {
                    const int32_t px = add(r.centreX, r2xGenuine(A0[i], A1[i]));
                    const int32_t py = add(r.centreY, r2yGenuine(A0[i], A1[i]));
                    d[i] = clampMode ? fetchClamped(px, py, A2[i]) : fetch(r, px, py, A2[i]);
                }
                break;
            case kAsrc: for (int i = 0; i < n; ++i) d[i] = averageAround(r, A0[i], A1[i], A2[i]); break;
            case kArad:
                for (int i = 0; i < n; ++i)
                    d[i] = averageAround(r, add(r.centreX, r2x(A0[i], A1[i])), add(r.centreY, r2y(A0[i], A1[i])), A2[i]);
                break;
            case kAradG:
                for (int i = 0; i < n; ++i)
                    d[i] = averageAround(r, add(r.centreX, r2xGenuine(A0[i], A1[i])),
                                         add(r.centreY, r2yGenuine(A0[i], A1[i])), A2[i]);
                break;
            case kIxy: for (int i = 0; i < n; ++i) d[i] = intensityAt(r, A0[i], A1[i]); break;
            case kCtl: for (int i = 0; i < n; ++i) d[i] = A0[i] >= 0 && A0[i] <= 7 ? r.sliders[A0[i]] : 0; break;
            case kFrg: for (int i = 0; i < n; ++i) d[i] = A0[i] >= 0 && A0[i] <= 2 ? r.foreground[A0[i]] : 0; break;
            case kBkg: for (int i = 0; i < n; ++i) d[i] = A0[i] >= 0 && A0[i] <= 2 ? r.background[A0[i]] : 0; break;
            case kGet: case kGetG: {
                const bool genuine = st.kind == kGetG;
                for (int i = 0; i < n; ++i)
                    d[i] = A0[i] >= 0 && A0[i] < r.storageSize && r.storage ? r.storage[A0[i]] : (genuine ? A0[i] : 0);
                break;
            }
            case kVal:
                for (int i = 0; i < n; ++i)
                    d[i] = A0[i] < 0 || A0[i] > 7 ? 0 : add(A1[i], quo(mul(r.sliders[A0[i]], sub(A2[i], A1[i])), 255));
                break;
            case kMap:
                for (int i = 0; i < n; ++i) {
                    const int32_t k = A0[i], v = A1[i];
                    if (k < 0 || k > 3) {
                        d[i] = 0;
                        continue;
                    }
                    const int32_t hi = r.sliders[2 * k], lo = r.sliders[2 * k + 1];
                    d[i] = hi == 0 && lo == 0 ? 255
                         : hi == lo           ? (v <= lo ? 0 : 255)
                                              : quo(mul(sub(v, lo), 255), sub(hi, lo));
                }
                break;
            case kMapG:
                for (int i = 0; i < n; ++i) {
                    const int32_t k = A0[i];
                    d[i] = k < 0 || k > 3 ? 0 : mapGenuine(A1[i], r.sliders[2 * k], r.sliders[2 * k + 1]);
                }
                break;
            case kDif: for (int i = 0; i < n; ++i) d[i] = absw(sub(A0[i], A1[i])); break;
            case kMin: for (int i = 0; i < n; ++i) d[i] = A0[i] < A1[i] ? A0[i] : A1[i]; break;
            case kMax: for (int i = 0; i < n; ++i) d[i] = A0[i] > A1[i] ? A0[i] : A1[i]; break;
            case kAdd:
                for (int i = 0; i < n; ++i) {
                    const int32_t sum = add(A0[i], A1[i]);
                    d[i] = sum < A2[i] ? sum : A2[i];
                }
                break;
            case kSub:
                for (int i = 0; i < n; ++i) {
                    const int32_t diff = absw(sub(A0[i], A1[i]));
                    d[i] = diff > A2[i] ? diff : A2[i];
                }
                break;
            case kMix: for (int i = 0; i < n; ++i) d[i] = mixw(A0[i], A1[i], A2[i], arg(3)[i]); break;
            case kScl: for (int i = 0; i < n; ++i) d[i] = sclw(A0[i], A1[i], A2[i], arg(3)[i], arg(4)[i]); break;
            case kC2d: for (int i = 0; i < n; ++i) d[i] = c2d(A0[i], A1[i]); break;
            case kC2m: for (int i = 0; i < n; ++i) d[i] = c2m(A0[i], A1[i]); break;
            case kR2x: for (int i = 0; i < n; ++i) d[i] = r2x(A0[i], A1[i]); break;
            case kR2y: for (int i = 0; i < n; ++i) d[i] = r2y(A0[i], A1[i]); break;
            case kSin: for (int i = 0; i < n; ++i) d[i] = g_sine[angleIndex(A0[i])]; break;
            case kCos: for (int i = 0; i < n; ++i) d[i] = g_cosine[angleIndex(A0[i])]; break;
            case kTan: for (int i = 0; i < n; ++i) d[i] = g_tangent[angleIndex(A0[i])]; break;
            case kC2dG: for (int i = 0; i < n; ++i) d[i] = c2dGenuine(A0[i], A1[i]); break;
            case kR2xG: for (int i = 0; i < n; ++i) d[i] = r2xGenuine(A0[i], A1[i]); break;
            case kR2yG: for (int i = 0; i < n; ++i) d[i] = r2yGenuine(A0[i], A1[i]); break;
            case kSinG: for (int i = 0; i < n; ++i) d[i] = sinGenuine(A0[i]); break;
            case kCosG: for (int i = 0; i < n; ++i) d[i] = cosGenuine(A0[i]); break;
            case kPow: for (int i = 0; i < n; ++i) d[i] = poww(A0[i], A1[i]); break;
            default: std::fill(d, d + n, 0); break;
            }
            // clang-format on
            // clang-format on
        }
        }
    }
    (void)z;
}

}  // namespace zeltro
