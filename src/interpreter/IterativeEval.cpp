// The per-pixel evaluation of trees too high for the recursive walk: the
// same operations in the same order as Program::eval(), with the pending
// operations kept on a stack of their own on the heap.

#include "BytecodeRun.h"

#include "Arith.h"
#include "Fetch.h"

#include <cstdlib>
#include <vector>

namespace zeltro {

// An operation whose operands are being evaluated.
struct Program::Frame {
    int32_t op;
    int32_t step;   // operands evaluated so far, in the operation's own order
    int32_t slot;   // where the operand being evaluated goes
    int32_t v[10];  // the operands' values
};

namespace {

// Operations with two operands whose right operand is evaluated first.
int32_t binaryValue(int32_t kind, int32_t a, int32_t b, FFExecRecord* r)
{
    // clang-format off
    switch (kind) {
    case '+': return add(a, b);
    case '-': return sub(a, b);
    case '*': return mul(a, b);
    case '/': return quo(a, b);
    case '%': return rem(a, b);
    case kShl: return shl(a, b);
    case kShr: return shr(a, b);
    case kEq: return a == b;
    case kNe: return a != b;
    case kLe: return a <= b;
    case kGe: return a >= b;
    case kLt: return a < b;
    case kGt: return a > b;
    case kBitAnd: return a & b;
    case kBitOr: return a | b;
    case kXor: return a ^ b;
    case kDif: return absw(sub(a, b));
    case kPut: case kPutG: {
        // put(value, index): the index b was evaluated first.
        const bool inside = b >= 0 && b < r->storageSize && r->storage;
        if (inside)
            r->storage[b] = a;
        return inside || kind == kPutG ? a : 0;
    }
    default: return 0;
    }
    // clang-format on
}

int32_t unaryValue(int32_t kind, int32_t a, FFExecRecord* r)
{
    // clang-format off
    switch (kind) {
    case kNeg: return neg(a);
    case kPlus: return a;
    case kNot: return a == 0;
    case kCompl: return ~a;
    case kCtl: return a >= 0 && a <= 7 ? r->sliders[a] : 0;
    case kFrg: return a >= 0 && a <= 2 ? r->foreground[a] : 0;
    case kBkg: return a >= 0 && a <= 2 ? r->background[a] : 0;
    case kAbs: return absw(a);
    case kSqr: return sqrw(a);
    case kGet: case kGetG:
        return a >= 0 && a < r->storageSize && r->storage ? r->storage[a] : (kind == kGetG ? a : 0);
    case kStorage:
        if (a >= 1 && a <= 64000) {
            // Allocated before the old array goes, so that a failed
            // allocation keeps the old one.
            auto* cells = static_cast<int32_t*>(std::calloc(static_cast<std::size_t>(a), sizeof(int32_t)));
            if (cells) {
                std::free(r->storage);
                r->storage = cells;
                r->storageSize = a;
            }
        }
        return 0;
    case kSrcmode: r->edgeMode = a; return 0;
    case kRst: return 0;
    case kRstG: setSeedVariable(a & 32767); return 0;
    default: return 0;
    }
    // clang-format on
}

}  // namespace

// Either names the operand to evaluate next (want, as the position among
// the op's children, and f.slot, where its value goes) and returns false,
// or returns true with the op's value.
bool Program::step(const Op& o, Frame& f, Context& c, int32_t& want, int32_t& value) const
{
#define NEED(child, into) \
    do {                  \
        want = (child);   \
        f.slot = (into);  \
        return false;     \
    } while (0)
#define DONE(x)      \
    do {             \
        value = (x); \
        return true; \
    } while (0)
    int32_t* v = f.v;
    const int32_t s = f.step;
    // clang-format off
    switch (o.kind) {
    case '+': case '-': case '*': case '/': case '%': case kShl: case kShr: case kEq: case kNe:
    case kLe: case kGe: case kLt: case kGt: case kBitAnd: case kBitOr: case kXor: case kDif: case kPut:
    case kPutG:
        if (s == 0) NEED(1, 1);
        if (s == 1) NEED(0, 0);
        DONE(binaryValue(o.kind, v[0], v[1], c.record));
    case kLogAnd:
        if (s == 0) NEED(0, 0);
        if (v[0] == 0) DONE(0);
        if (s == 1) NEED(1, 1);
        DONE(v[1] != 0);
    case kLogOr:
        if (s == 0) NEED(0, 0);
        if (v[0] != 0) DONE(1);
        if (s == 1) NEED(1, 1);
        DONE(v[1] != 0);
    case kLogAndAll: case kLogOrAll: case kCondAll:
        // Every operand, in their order.
        if (s < o.count) NEED(s, s);
        if (o.kind == kCondAll) DONE(v[0] != 0 ? v[1] : v[2]);
        DONE(o.kind == kLogAndAll ? v[0] != 0 && v[1] != 0 : v[0] != 0 || v[1] != 0);
    case kSequence:
        if (s == 0) NEED(0, 0);
        if (s == 1) NEED(1, 1);
        DONE(v[1]);
    case '?':
        if (s == 0) NEED(0, 0);
        if (s == 1) NEED(v[0] != 0 ? 1 : 2, 1);
        DONE(v[1]);
    case kSin: case kCos: case kTan: case kSinG: case kCosG:
        // The argument twice, as the sign test and the index (see evalTrig).
        if (s < 2) NEED(0, 0);
        if (o.kind == kSinG) DONE(sinGenuine(v[0]));
        if (o.kind == kCosG) DONE(cosGenuine(v[0]));
        DONE((o.kind == kSin ? g_sine : o.kind == kCos ? g_cosine : g_tangent)[angleIndex(v[0])]);
    case kAdd: case kSub:
        // b, a and the limit; then b and a again, or the limit again.
        if (s == 0) NEED(1, 1);
        if (s == 1) NEED(0, 0);
        if (s == 2) NEED(2, 2);
        if (s == 3) {
            v[6] = o.kind == kAdd ? add(v[0], v[1]) < v[2] : absw(sub(v[0], v[1])) > v[2];
            if (v[6]) NEED(1, 4);
            NEED(2, 3);
        }
        if (!v[6]) DONE(v[3]);
        if (s == 4) NEED(0, 5);
        DONE(o.kind == kAdd ? add(v[5], v[4]) : absw(sub(v[5], v[4])));
    case kMin: case kMax:
        // b and a; then the chosen one again.
        if (s == 0) NEED(1, 1);
        if (s == 1) NEED(0, 0);
        if (s == 2) NEED((o.kind == kMin ? v[0] < v[1] : v[0] > v[1]) ? 0 : 1, 2);
        DONE(v[2]);
    case kQuoConst: case kRemConst:
        if (s == 0) NEED(0, 0);
        DONE(divideByConstant(o, v[0]));
    case kNeg: case kPlus: case kNot: case kCompl: case kCtl: case kFrg: case kBkg: case kAbs:
    case kSqr: case kGet: case kStorage: case kSrcmode: case kRst: case kGetG: case kRstG:
        if (s == 0) NEED(0, 0);
        DONE(unaryValue(o.kind, v[0], c.record));
    case kSrc: case kRad: case kAsrc: case kArad: case kDst: case kIxy: case kCnv: case kIcnv:
    case kVal: case kMap: case kMix: case kScl: case kC2m: case kC2d: case kR2x: case kR2y: case kRnd:
    case kRadG: case kAradG: case kMapG: case kC2dG: case kR2xG: case kR2yG: case kRndG: case kPow:
        // All arguments, last to first.
        if (s < o.count) NEED(o.count - 1 - s, o.count - 1 - s);
        DONE(applyWide(o, v, c));
    default:
        // Ops without operands never get here; anything else is unknown.
        if (c.record)
            c.record->error = o.kind == kUnknown ? o.value : o.kind;
        DONE(0);
    }
    // clang-format on
#undef NEED
#undef DONE
}

int32_t Program::evalIterative(int32_t index, Context& c) const
{
    if (m_ops[index].count == 0)
        return eval(index, c);  // no operands: no recursion
    // One stack per thread, kept between pixels; evaluations never nest.
    thread_local std::vector<Frame> stack;
    stack.clear();
    stack.push_back({index, 0, 0, {}});
    int32_t value = 0;
    for (;;) {
        Frame& f = stack.back();
        const Op& o = m_ops[f.op];
        int32_t want = 0;
        if (step(o, f, c, want, value)) {
            stack.pop_back();
            if (stack.empty())
                return value;
            Frame& parent = stack.back();
            parent.v[parent.slot] = value;
            ++parent.step;
            continue;
        }
        const int32_t child = m_kids[o.first + want];
        if (m_ops[child].count == 0) {
            f.v[f.slot] = eval(child, c);
            ++f.step;
        } else {
            stack.push_back({child, 0, 0, {}});
        }
    }
}

}  // namespace zeltro
