// Compiling a tree into a flat operation array with constant folding, and
// the per-pixel evaluation of that array in the language's exact order.

#include "Program.h"

#include "Arith.h"
#include "Fetch.h"
#include "BytecodeRun.h"
#include "RowPlan.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace zeltro {

int childCount(int32_t kind)
{
    // clang-format off
    switch (kind) {
    case kNumber: case 'r': case 'g': case 'b': case 'a': case 'c': case 'i': case 'u':
    case 'v': case 'x': case 'y': case 'z': case 'X': case 'Y': case 'Z': case 'd':
    case 'D': case 'm': case 'M': case 't': case kTotal:
        return 0;
    case kNeg: case kPlus: case kNot: case kCompl: case kCtl: case kGet: case kAbs:
    case kSqr: case kSin: case kCos: case kTan: case kRst: case kSrcmode: case kStorage:
    case kFrg: case kBkg:
        return 1;
    case '+': case '-': case '*': case '/': case '%': case kShl: case kShr: case kEq:
    case kNe: case kLe: case kGe: case kLt: case kGt: case kLogAnd: case kLogOr:
    case kBitAnd: case kBitOr: case kXor: case kSequence: case kIxy: case kDif:
    case kPut: case kMin: case kMax: case kRnd: case kC2d: case kC2m: case kR2x:
    case kR2y: case kMap: case kPow:
        return 2;
    case '?': case kSrc: case kAsrc: case kDst: case kRad: case kArad: case kAdd:
    case kSub: case kVal:
        return 3;
    case kMix:
        return 4;
    case kScl:
        return 5;
    case kCnv: case kIcnv:
        return 10;
    default:
        return -1;
    }
    // clang-format on
}

namespace {

int32_t ownTraits(int32_t kind)
{
    // clang-format off
    switch (kind) {
    case kRnd: case kRndConst: case kRndG: case kRndConstG: case kRndDrawK: return ZELTRO_USES_RANDOM;
    case kPut: case kPutG: case kStorage: return ZELTRO_WRITES_STORAGE;
    case kGet: case kGetG: return ZELTRO_READS_STORAGE;
    case kSrcmode: return ZELTRO_WRITES_EDGE_MODE;
    case kRstG: return ZELTRO_WRITES_SEED;
    case kDst: return ZELTRO_READS_DESTINATION;
    case kUnknown: return ZELTRO_UNKNOWN_KIND;
    default: return 0;
    }
    // clang-format on
}

// Kinds whose value depends on nothing but their children's values.
bool isFoldable(int32_t kind)
{
    // clang-format off
    switch (kind) {
    case '+': case '-': case '*': case '/': case '%': case kShl: case kShr: case kEq:
    case kNe: case kLe: case kGe: case kLt: case kGt: case kLogAnd: case kLogOr:
    case kBitAnd: case kBitOr: case kXor: case kSequence: case '?': case kNeg: case kPlus:
    case kNot: case kCompl: case kAbs: case kSqr: case kMin: case kMax: case kAdd:
    case kSub: case kDif: case kMix: case kScl: case kC2d: case kC2m: case kR2x:
    case kR2y: case kSin: case kCos: case kTan: case kRst: case kPow: case kCondAll:
    case kLogAndAll: case kLogOrAll: case kC2dG: case kSinG: case kCosG: case kR2xG: case kR2yG:
        return true;
    default:
        return false;
    }
    // clang-format on
}

}  // namespace

Program::Program(const FFNode* root, Rules rules)
    : m_rules(rules)
{
    m_root = compile(root);
    m_traits = m_ops[m_root].traits;
    // Ops are stored children first, so one forward pass gives each op the
    // height of its subtree.
    std::vector<int32_t> height(m_ops.size(), 1);
    for (std::size_t i = 0; i < m_ops.size(); ++i) {
        const Op& o = m_ops[i];
        for (int32_t j = 0; j < o.count; ++j)
            height[i] = std::max(height[i], height[static_cast<std::size_t>(m_kids[o.first + j])] + 1);
    }
    m_deep = height[static_cast<std::size_t>(m_root)] > kMaxRecursiveHeight;
    if ((m_traits & (kSideEffects | ZELTRO_READS_DESTINATION)) == 0)
        m_plan = std::make_unique<RowPlan>(*this);
    else
        useConstantDivisors();
    // Register code for every tree the recursive walk could take, pure or
    // not: a pure formula among order-dependent ones is evaluated in the
    // same per-pixel loop.
    if (!m_deep)
        buildCode();
}

Program::~Program() = default;

int32_t Program::push(int32_t kind, int32_t value, const int32_t* children, int32_t count)
{
    Op o{kind, value, count, static_cast<int32_t>(m_kids.size()), ownTraits(kind)};
    for (int32_t i = 0; i < count; ++i) {
        m_kids.push_back(children[i]);
        o.traits |= m_ops[children[i]].traits;
    }
    m_ops.push_back(o);
    return static_cast<int32_t>(m_ops.size() - 1);
}

// Children first, with a stack of its own: a tree is as high as its text
// is long for a chain of a left-associative operator.
int32_t Program::compile(const FFNode* root)
{
    struct Pending {
        const FFNode* node;
        Marks marks;
        int32_t count;
        int32_t next;  // children compiled so far
        int32_t children[10];
    };
    std::vector<Pending> stack;
    int32_t result = 0;
    // Compiles a node without children at once (true, into result), or
    // stacks it to compile its children first (false).
    auto enter = [&](const FFNode* node) {
        if (!node) {
            result = push(kNumber, 0, nullptr, 0);
            return true;
        }
        const int expected = childCount(node->type);
        if (expected < 0 || expected != node->count || (expected > 0 && !node->children)) {
            result = push(kUnknown, node->type, nullptr, 0);
            return true;
        }
        if (expected == 0) {
            result = push(kindFor(node->type, nullptr, 0), node->type == kNumber ? node->value : 0, nullptr, 0);
            return true;
        }
        stack.push_back({node, {m_ops.size(), m_kids.size()}, expected, 0, {}});
        return false;
    };
    bool compiled = enter(root);
    while (!stack.empty()) {
        if (compiled) {
            Pending& top = stack.back();
            top.children[top.next++] = result;
        }
        Pending& top = stack.back();
        if (top.next < top.count) {
            compiled = enter(top.node->children[top.next]);
            continue;
        }
        result = finish(kindFor(top.node->type, top.children, top.count), top.children, top.count, top.marks);
        stack.pop_back();
        compiled = true;
    }
    return result;
}

int32_t Program::kindFor(int32_t type, const int32_t* children, int32_t count) const
{
    if (m_rules == Rules::Classic)
        return type;
    // Operands the classic rules may skip: evaluated all only when one of
    // them has an effect, since skipping a pure one changes nothing.
    auto impure = [&](int32_t i) { return i < count && (m_ops[children[i]].traits & kSideEffects) != 0; };
    switch (type) {
    case '?': return impure(1) || impure(2) ? kCondAll : type;
    case kLogAnd: return impure(1) ? kLogAndAll : type;
    case kLogOr: return impure(1) ? kLogOrAll : type;
    case kGet: return kGetG;
    case kPut: return kPutG;
    case kC2d: return kC2dG;
    case 'd': return kDirG;
    case kSin: return kSinG;
    case kCos: return kCosG;
    case kMap: return kMapG;
    case kRnd: return kRndG;
    case kRst: return kRstG;
    case kR2x: return kR2xG;
    case kR2y: return kR2yG;
    case kRad: return kRadG;
    case kArad: return kAradG;
    default: return type;
    }
}

int32_t Program::finish(int32_t kind, const int32_t* children, int32_t count, const Marks& marks)
{
    bool allConstant = true;
    for (int32_t i = 0; i < count; ++i)
        allConstant = allConstant && m_ops[children[i]].kind == kNumber;
    auto constantOf = [&](int i) { return m_ops[children[i]].value; };
    auto pure = [&](int i) { return (m_ops[children[i]].traits & kSideEffects) == 0; };
    auto replaceBy = [&](int32_t value) {
        m_ops.resize(marks.ops);
        m_kids.resize(marks.kids);
        return push(kNumber, value, nullptr, 0);
    };

    if (allConstant && isFoldable(kind)) {
        const int32_t self = push(kind, 0, children, count);
        Context none{nullptr, nullptr, 0, 0, 0};
        return replaceBy(eval(self, none));
    }
    // Partial folds that lose no evaluation with a side effect.
    const bool firstConstant = m_ops[children[0]].kind == kNumber;
    if ((kind == '?' || kind == kCondAll) && firstConstant) {
        // The chosen branch stays where it was compiled; the op array
        // keeps the unused one, which nothing refers to.
        const int chosen = constantOf(0) != 0 ? 1 : 2;
        if (kind == '?' || pure(3 - chosen))
            return children[chosen];
    }
    if (kind == kSequence && pure(0))
        return children[1];
    if ((kind == kLogAnd || (kind == kLogAndAll && pure(1))) && firstConstant && constantOf(0) == 0)
        return replaceBy(0);
    if ((kind == kLogOr || (kind == kLogOrAll && pure(1))) && firstConstant && constantOf(0) != 0)
        return replaceBy(1);
    if (kind == kPlus)
        return children[0];
    if (kind == kRnd && allConstant && sub(constantOf(1), constantOf(0)) != -1) {
        const int32_t low = constantOf(0), high = constantOf(1);
        m_ops.resize(marks.ops);
        m_kids.resize(marks.kids);
        return pushRandom(low, high);
    }
    if (kind == kRndG && allConstant) {
        const int32_t low = constantOf(0), high = constantOf(1);
        m_ops.resize(marks.ops);
        m_kids.resize(marks.kids);
        return pushRandomGenuine(low, high);
    }
    return push(kind, 0, children, count);
}

// Division and remainder by a constant of magnitude 2 or more become a
// multiplication by the magnitude's reciprocal, rounded up to 64 bits,
// which gives the exact quotient of every 32-bit magnitude. Only for
// programs evaluated pixel by pixel: the row plan divides rows itself.
void Program::useConstantDivisors()
{
#if defined(__SIZEOF_INT128__)
    for (Op& o : m_ops) {
        if ((o.kind != '/' && o.kind != '%') || o.count != 2)
            continue;
        const Op& divisor = m_ops[static_cast<std::size_t>(m_kids[o.first + 1])];
        if (divisor.kind != kNumber || divisor.value == 0 || divisor.value == 1 || divisor.value == -1)
            continue;
        const int32_t b = divisor.value;
        const uint32_t magnitude = b < 0 ? 0u - u(b) : u(b);
        const uint64_t reciprocal = ~uint64_t(0) / magnitude + 1;
        const int32_t dividend = m_kids[o.first];
        o.kind = o.kind == '/' ? kQuoConst : kRemConst;
        o.value = b;
        o.count = 1;
        o.first = static_cast<int32_t>(m_kids.size());
        m_kids.push_back(dividend);
        m_kids.push_back(static_cast<int32_t>(static_cast<uint32_t>(reciprocal)));
        m_kids.push_back(static_cast<int32_t>(static_cast<uint32_t>(reciprocal >> 32)));
    }
#endif
}

// rnd(low, high) with constant bounds (whose range is not empty): the
// remainder of the random number, which is below 2^15, by the divisor's
// magnitude through a multiplication by its rounded-up reciprocal, which
// is exact for numbers and divisors below 2^15 (a divisor above that
// leaves the number as it is: reciprocal 0).
int32_t Program::pushRandom(int32_t low, int32_t high)
{
    const int32_t n = add(sub(high, low), 1);
    const uint32_t magnitude = n < 0 ? 0u - u(n) : u(n);
    const uint64_t reciprocal = magnitude <= 32767u ? (uint64_t(1) << 32) / magnitude + 1 : 0;
    return pushRange(kRndConst, low, magnitude, reciprocal);
}

// An op of kind with the lower bound in value and the range's magnitude
// and reciprocal in three kids cells.
int32_t Program::pushRange(int32_t kind, int32_t low, uint32_t magnitude, uint64_t reciprocal)
{
    Op o{kind, low, 0, static_cast<int32_t>(m_kids.size()), ownTraits(kind)};
    m_kids.push_back(static_cast<int32_t>(magnitude));
    m_kids.push_back(static_cast<int32_t>(static_cast<uint32_t>(reciprocal)));
    m_kids.push_back(static_cast<int32_t>(static_cast<uint32_t>(reciprocal >> 32)));
    m_ops.push_back(o);
    return static_cast<int32_t>(m_ops.size() - 1);
}

// rnd(low, high) with constant bounds under the genuine rules: a draw that
// yields a constant for an empty range (0) or a range of one (low); else
// the 32-bit value modulo the range through a multiplication by the
// range's rounded-up 64-bit reciprocal, which is exact for every 32-bit
// value (a range of 2^32, magnitude 0, leaves the value as it is:
// reciprocal 0).
int32_t Program::pushRandomGenuine(int32_t low, int32_t high)
{
    if (high <= low) {
        Op o{kRndDrawK, high < low ? 0 : low, 0, static_cast<int32_t>(m_kids.size()), ownTraits(kRndDrawK)};
        m_ops.push_back(o);
        return static_cast<int32_t>(m_ops.size() - 1);
    }
    const uint64_t n = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;
    const uint32_t magnitude = static_cast<uint32_t>(n);
    const uint64_t reciprocal = magnitude == 0 ? 0 : ~uint64_t(0) / magnitude + 1;
    return pushRange(kRndConstG, low, magnitude, reciprocal);
}

int32_t Program::evalTrig(const Op&, const int32_t* k, Context& c, const int32_t* table) const
{
    // The argument is evaluated twice, as the sign test and the index; the
    // index is taken from the second value by the lookup rule, so a value
    // that changes sign in between still reads inside the table.
    child(k[0], c);
    return table[angleIndex(child(k[0], c))];
}

// Child i, and all n children last to first into v. Macros rather than
// lambdas: evaluation is the per-pixel hot path, and closures that the
// compiler does not inline cost a call and a frame per node.
#define e(i) child(k[i], c)
#define args(n)                         \
    for (int i_ = (n)-1; i_ >= 0; --i_) \
    v[i_] = child(k[i_], c)

// The functions with several arguments, evaluated last to first into an
// array; kept out of eval() so that the common nodes get a small frame.
int32_t Program::evalWide(const Op& o, const int32_t* k, Context& c) const
{
    int32_t v[10];
    args(o.count);
    return applyWide(o, v, c);
}

// The value of a function with several arguments from their values.
int32_t Program::applyWide(const Op& o, const int32_t* v, Context& c) const
{
    FFExecRecord* r = c.record;
    // clang-format off
    switch (o.kind) {
    case kSrc: return fetch(*r, v[0], v[1], v[2]);
    case kRad:
        return fetch(*r, add(r->centreX, r2x(v[0], v[1])), add(r->centreY, r2y(v[0], v[1])), v[2]);
    case kAsrc: case kArad: {
        int32_t x = v[0], y = v[1];
        if (o.kind == kArad) {
            x = add(r->centreX, r2x(v[0], v[1]));
            y = add(r->centreY, r2y(v[0], v[1]));
        }
        return averageAround(*r, x, y, v[2]);
    }
    case kDst: return destinationAt(*r, v[0], v[1], v[2]);
    case kIxy: return intensityAt(*r, v[0], v[1]);
    case kCnv: case kIcnv: {
        if (v[9] == 0)
            return 255;
        int32_t sum = 0;
        for (int j = 0; j < 9; ++j) {
            const int32_t nx = add(c.x, j % 3 - 1), ny = add(c.y, j / 3 - 1);
            const int32_t s = o.kind == kCnv ? fetch(*r, nx, ny, c.z) : intensityAt(*r, nx, ny);
            sum = add(sum, mul(v[j], s));
        }
        return quo(sum, v[9]);
    }
    case kVal: {
        if (v[0] < 0 || v[0] > 7)
            return 0;
        return add(v[1], quo(mul(r->sliders[v[0]], sub(v[2], v[1])), 255));
    }
    case kMap: {
        const int32_t i = v[0], n = v[1];
        if (i < 0 || i > 3)
            return 0;
        const int32_t hi = r->sliders[2 * i], lo = r->sliders[2 * i + 1];
        if (hi == 0 && lo == 0)
            return 255;
        if (hi == lo)
            return n <= lo ? 0 : 255;
        return quo(mul(sub(n, lo), 255), sub(hi, lo));
    }
    case kMix: return mixw(v[0], v[1], v[2], v[3]);
    case kScl: return sclw(v[0], v[1], v[2], v[3], v[4]);
    case kC2m: return c2m(v[0], v[1]);
    case kC2d: return c2d(v[0], v[1]);
    case kR2x: return r2x(v[0], v[1]);
    case kR2y: return r2y(v[0], v[1]);
    case kRnd: return rndw(v[0], v[1], c.random->lcg);
    case kRadG: case kAradG: {
        const int32_t x = add(r->centreX, r2xGenuine(v[0], v[1]));
        const int32_t y = add(r->centreY, r2yGenuine(v[0], v[1]));
        if (o.kind == kRadG)
            return fetch(*r, x, y, v[2]);
        return averageAround(*r, x, y, v[2]);
    }
    case kMapG: {
        const int32_t i = v[0];
        return i < 0 || i > 3 ? 0 : mapGenuine(v[1], r->sliders[2 * i], r->sliders[2 * i + 1]);
    }
    case kC2dG: return c2dGenuine(v[0], v[1]);
    case kR2xG: return r2xGenuine(v[0], v[1]);
    case kR2yG: return r2yGenuine(v[0], v[1]);
    case kRndG: return rndGenuine(v[0], v[1], *c.random);
    case kPow: return poww(v[0], v[1]);
    default:
        return 0;
    }
    // clang-format on
}

int32_t Program::eval(int32_t index, Context& c) const
{
    const Op& o = m_ops[index];
    const int32_t* k = m_kids.data() + o.first;
    FFExecRecord* r = c.record;
    // clang-format off
    switch (o.kind) {
    case kNumber: return o.value;
    case 'x': return c.x;
    case 'y': return c.y;
    case 'z': return c.z;
    case 'X': return r->X;
    case 'Y': return r->Y;
    case 'Z': return r->Z;
    case 'D': return r->D;
    case 'M': return r->M;
    case 't': return r->t;
    case kTotal: return r->total;
    case 'r': case 'g': case 'b': case 'a': {
        const uint8_t* pixel = sourceRow(*r, c.y) + static_cast<intptr_t>(c.x) * r->Z;
        return pixelVariable(*r, pixel, static_cast<char>(o.kind));
    }
    case 'c': return channelByte(*r, sourceRow(*r, c.y), c.x, c.z);
    case 'i': case 'u': case 'v': {
        const uint8_t* p = sourceRow(*r, c.y) + static_cast<intptr_t>(c.x) * r->Z;
        const int32_t R = p[r->channelOffsets[0]], G = p[r->channelOffsets[1]], B = p[r->channelOffsets[2]];
        if (o.kind == 'i')
            return (76 * R + 150 * G + 29 * B) / 256;
        if (o.kind == 'u')
            return (56 * B - 37 * G - 19 * R) / 256;
        return (78 * R - 65 * G - 13 * B) / 256;
    }
    case 'd': return c2d(sub(c.x, r->centreX), sub(c.y, r->centreY));
    case kDirG: return c2dGenuine(sub(c.x, r->centreX), sub(c.y, r->centreY));
    case 'm': return c2m(sub(c.x, r->centreX), sub(c.y, r->centreY));

    case '+': { const int32_t b = e(1); return add(e(0), b); }
    case '-': { const int32_t b = e(1); return sub(e(0), b); }
    case '*': { const int32_t b = e(1); return mul(e(0), b); }
    case '/': { const int32_t b = e(1); return quo(e(0), b); }
    case '%': { const int32_t b = e(1); return rem(e(0), b); }
    case kShl: { const int32_t b = e(1); return shl(e(0), b); }
    case kShr: { const int32_t b = e(1); return shr(e(0), b); }
    case kEq: { const int32_t b = e(1); return e(0) == b; }
    case kNe: { const int32_t b = e(1); return e(0) != b; }
    case kLe: { const int32_t b = e(1); return e(0) <= b; }
    case kGe: { const int32_t b = e(1); return e(0) >= b; }
    case kLt: { const int32_t b = e(1); return e(0) < b; }
    case kGt: { const int32_t b = e(1); return e(0) > b; }
    case kBitAnd: { const int32_t b = e(1); return e(0) & b; }
    case kBitOr: { const int32_t b = e(1); return e(0) | b; }
    case kXor: { const int32_t b = e(1); return e(0) ^ b; }
    case kLogAnd: return e(0) == 0 ? 0 : e(1) != 0;
    case kLogOr: return e(0) != 0 ? 1 : e(1) != 0;
    case kSequence: e(0); return e(1);
    case '?': return e(0) != 0 ? e(1) : e(2);
    // Every operand, in their order; the result chosen as before.
    case kCondAll: { const int32_t cond = e(0), p = e(1), q = e(2); return cond != 0 ? p : q; }
    case kLogAndAll: { const int32_t a = e(0), b = e(1); return a != 0 && b != 0; }
    case kLogOrAll: { const int32_t a = e(0), b = e(1); return a != 0 || b != 0; }
    case kNeg: return neg(e(0));
    case kPlus: return e(0);
    case kNot: return e(0) == 0;
    case kCompl: return ~e(0);

    case kQuoConst: case kRemConst: return divideByConstant(o, e(0));
    case kRndConst:
        return randomInRange(static_cast<uint32_t>(nextRandom(c.random->lcg)), o.value, static_cast<uint32_t>(k[0]),
                             joinHalves(k[1], k[2]));
    case kRnd: { const int32_t b = e(1), a = e(0); return rndw(a, b, c.random->lcg); }
    case kRndConstG:
        return randomInRangeWide(nextSubtractive(*c.random), o.value, static_cast<uint32_t>(k[0]),
                                 joinHalves(k[1], k[2]));
    case kRndDrawK: nextSubtractive(*c.random); return o.value;
    case kSrc: case kRad: case kAsrc: case kArad: case kDst: case kIxy: case kCnv: case kIcnv:
    case kVal: case kMap: case kMix: case kScl: case kC2m: case kC2d: case kR2x: case kR2y:
    case kRadG: case kAradG: case kMapG: case kC2dG: case kR2xG: case kR2yG: case kRndG: case kPow:
        return evalWide(o, k, c);
    case kCtl: { const int32_t i = e(0); return i >= 0 && i <= 7 ? r->sliders[i] : 0; }
    case kFrg: { const int32_t i = e(0); return i >= 0 && i <= 2 ? r->foreground[i] : 0; }
    case kBkg: { const int32_t i = e(0); return i >= 0 && i <= 2 ? r->background[i] : 0; }
    case kAbs: return absw(e(0));
    case kDif: { const int32_t b = e(1); return absw(sub(e(0), b)); }
    case kAdd: {
        const int32_t b = e(1), a = e(0), lim = e(2);
        if (add(a, b) < lim) {
            const int32_t b2 = e(1);
            return add(e(0), b2);
        }
        return e(2);
    }
    case kSub: {
        const int32_t b = e(1), a = e(0), lim = e(2);
        if (absw(sub(a, b)) > lim) {
            const int32_t b2 = e(1);
            return absw(sub(e(0), b2));
        }
        return e(2);
    }
    case kMin: { const int32_t b = e(1), a = e(0); return a < b ? e(0) : e(1); }
    case kMax: { const int32_t b = e(1), a = e(0); return a > b ? e(0) : e(1); }
    case kSqr: return sqrw(e(0));
    case kSin: return evalTrig(o, k, c, g_sine);
    case kCos: return evalTrig(o, k, c, g_cosine);
    case kTan: return evalTrig(o, k, c, g_tangent);
    case kSinG: e(0); return sinGenuine(e(0));
    case kCosG: e(0); return cosGenuine(e(0));
    case kGet: {
        const int32_t i = e(0);
        return i >= 0 && i < r->storageSize && r->storage ? r->storage[i] : 0;
    }
    case kPut: {
        const int32_t i = e(1);
        const int32_t value = e(0);
        if (i < 0 || i >= r->storageSize || !r->storage)
            return 0;
        r->storage[i] = value;
        return value;
    }
    // Outside the cells the index, or the value, comes back.
    case kGetG: {
        const int32_t i = e(0);
        return i >= 0 && i < r->storageSize && r->storage ? r->storage[i] : i;
    }
    case kPutG: {
        const int32_t i = e(1);
        const int32_t value = e(0);
        if (i >= 0 && i < r->storageSize && r->storage)
            r->storage[i] = value;
        return value;
    }
    case kStorage: {
        const int32_t n = e(0);
        if (n >= 1 && n <= 64000) {
            // Allocated before the old array goes, so that a failed
            // allocation keeps the old one.
            auto* cells = static_cast<int32_t*>(std::calloc(static_cast<std::size_t>(n), sizeof(int32_t)));
            if (cells) {
                std::free(r->storage);
                r->storage = cells;
                r->storageSize = n;
            }
        }
        return 0;
    }
    case kSrcmode: r->edgeMode = e(0); return 0;
    case kRst: e(0); return 0;
    case kRstG: setSeedVariable(e(0) & 32767); return 0;
    default:
        if (r)
            r->error = o.kind == kUnknown ? o.value : o.kind;
        return 0;
    }
    // clang-format on
}
#undef e
#undef args

// ---- registry -------------------------------------------------------------

namespace {

// A root's programs, by rule set; made once and kept until the tree is
// freed, so that a program handed out stays valid while its tree lives.
struct Compiled {
    std::unique_ptr<Program> byRules[2];
};

std::mutex g_registryLock;
std::unordered_map<const FFNode*, Compiled>& registry()
{
    static std::unordered_map<const FFNode*, Compiled> map;
    return map;
}

std::size_t slotOf(Rules rules)
{
    return rules == Rules::Classic ? 1 : 0;
}

}  // namespace

bool registerTree(const FFNode* root)
{
    try {
        const Rules rules = currentRules();
        auto program = std::make_unique<Program>(root, rules);
        std::lock_guard lock(g_registryLock);
        Compiled& compiled = registry()[root];
        compiled = Compiled{};
        compiled.byRules[slotOf(rules)] = std::move(program);
        registryChanged();
        return true;
    } catch (...) {
        return false;
    }
}

void forgetTree(const FFNode* root)
{
    std::lock_guard lock(g_registryLock);
    if (registry().erase(root))
        registryChanged();
}

const Program* findProgram(const FFNode* root, Rules rules)
{
    std::lock_guard lock(g_registryLock);
    auto it = registry().find(root);
    if (it == registry().end())
        return nullptr;
    std::unique_ptr<Program>& program = it->second.byRules[slotOf(rules)];
    if (!program) {
        try {
            program = std::make_unique<Program>(root, rules);
        } catch (...) {
            return nullptr;
        }
    }
    return program.get();
}

void freeTree(FFNode* node)
{
    if (!node)
        return;
    // A stack of nodes still to free: each node's children go on it before
    // the node itself is freed. Should the stack find no memory, the rest
    // of the tree stays allocated rather than being walked recursively.
    try {
        std::vector<FFNode*> pending{node};
        while (!pending.empty()) {
            FFNode* n = pending.back();
            pending.pop_back();
            for (int32_t i = 0; i < n->count && n->children; ++i)
                if (n->children[i])
                    pending.push_back(n->children[i]);
            std::free(n->children);
            std::free(n);
        }
    } catch (const std::bad_alloc&) {}
}

namespace {

constexpr RandomState seeded(uint32_t seed)
{
    RandomState state;
    seedSubtractive(state, seed);
    return state;
}

std::atomic<int32_t> g_seed{0};

}  // namespace

RandomState& threadRandom()
{
    // Constant-initialised: no guard on the way in.
    thread_local RandomState state = seeded(0);
    return state;
}

void setSeedVariable(int32_t seed)
{
    g_seed.store(seed, std::memory_order_relaxed);
}

int32_t seedVariable()
{
    return g_seed.load(std::memory_order_relaxed);
}

}  // namespace zeltro
