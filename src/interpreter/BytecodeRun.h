#pragma once
// The loop that runs a program's register code (built in Bytecode.cpp),
// inlined into the loops over a row.

#include "Arith.h"
#include "Fetch.h"
#include "Program.h"

#include <cstdlib>

// The loop over a row jumps from handler to handler through GNU C's
// labels as values; elsewhere (or with ZELTRO_NO_COMPUTED_GOTO, to try
// that form) it is a switch.
#if defined(__GNUC__) && !defined(ZELTRO_NO_COMPUTED_GOTO)
#define ZELTRO_COMPUTED_GOTO 1
#else
#define ZELTRO_COMPUTED_GOTO 0
#endif

namespace zeltro {
namespace bytecode {

// The instruction codes. The binary operations come twice in the same
// order, the second time with a constant right operand (in b): cAdd +
// kConstantRight is cAddK; so do the jumps that compare (the left operand
// register in d, the right one or the constant in a, the target in b).
// cRndConst, cRndConstG, cQuoConst and cRemConst are followed by a data
// slot (see Program::Insn); cQuoPow2 divides by 2^b, cRemPow2 by b + 1 (a
// power of two); cRndDrawK draws and yields the constant a. The codes
// ending in G are the genuine rules' forms of the operations. cOutAtOnce and
// cOutLast exist only in the code of a whole row (Bytecode.cpp):
// cOutAtOnce stores a channel's value before the next channel's code
// runs, cOutLast stores the pixel's values and moves on to the next
// pixel.
// clang-format off
#define ZELTRO_OP_CODES(X) \
    X(cConst) X(cMove) X(cPixel) X(cCall) \
    X(cAdd) X(cSub) X(cMul) X(cQuo) X(cRem) X(cShl) X(cShr) X(cEq) X(cNe) X(cLe) X(cGe) X(cLt) X(cGt) X(cAnd) X(cOr) X(cXor) X(cDif) \
    X(cAddK) X(cSubK) X(cMulK) X(cQuoK) X(cRemK) X(cShlK) X(cShrK) X(cEqK) X(cNeK) X(cLeK) X(cGeK) X(cLtK) X(cGtK) X(cAndK) X(cOrK) X(cXorK) X(cDifK) \
    X(cNeg) X(cNot) X(cCompl) X(cAbs) X(cSqr) X(cBool) \
    X(cQuoConst) X(cRemConst) X(cQuoPow2) X(cRemPow2) X(cRndConst) X(cRndConstG) X(cRndDrawK) X(cRnd) X(cRndG) \
    X(cGet) X(cGetG) X(cPut) X(cPutG) X(cStorage) X(cSrcmode) X(cCtl) X(cSrc) X(cDst) \
    X(cJumpZero) X(cJumpNonZero) X(cJump) \
    X(cJumpUnlessEq) X(cJumpUnlessNe) X(cJumpUnlessLe) X(cJumpUnlessGe) X(cJumpUnlessLt) X(cJumpUnlessGt) \
    X(cJumpUnlessEqK) X(cJumpUnlessNeK) X(cJumpUnlessLeK) X(cJumpUnlessGeK) X(cJumpUnlessLtK) X(cJumpUnlessGtK) \
    X(cMin) X(cMax) X(cSin) X(cCos) X(cTan) X(cSinG) X(cCosG) X(cWidth) X(cHeight) X(cDepth) X(cD) X(cM) X(cTime) X(cTotal)
#define ZELTRO_ROW_CODES(X) X(cEnd) X(cOutAtOnce) X(cOutLast)
// clang-format on
// The operations, their variants that take the marked operand from acc
// (name##A, + kFromAcc), that leave the value in acc only (name##V, +
// kValueOnly) and both (name##AV), then the codes of a row's loop.
#define ZELTRO_CODES(X) ZELTRO_OP_CODES(X) ZELTRO_ROW_CODES(X)
#define ZELTRO_ENUM(name) name,
#define ZELTRO_ENUM_A(name) name##A,
#define ZELTRO_ENUM_V(name) name##V,
#define ZELTRO_ENUM_AV(name) name##AV,
// clang-format off
enum Code : int32_t {
    ZELTRO_OP_CODES(ZELTRO_ENUM) ZELTRO_OP_CODES(ZELTRO_ENUM_A) ZELTRO_OP_CODES(ZELTRO_ENUM_V)
    ZELTRO_OP_CODES(ZELTRO_ENUM_AV) ZELTRO_ROW_CODES(ZELTRO_ENUM) kCodeCount
};
// clang-format on
#undef ZELTRO_ENUM
#undef ZELTRO_ENUM_A
#undef ZELTRO_ENUM_V
#undef ZELTRO_ENUM_AV
constexpr int32_t kFromAcc = cConstA - cConst;
constexpr int32_t kValueOnly = cConstV - cConst;
static_assert(cConstAV - cConst == kFromAcc + kValueOnly, "the variants combine");
// The handlers' labels in the order of the codes, for a loop with GNU C's
// labels as values.
#define ZELTRO_LABEL(name) &&L_##name,
#define ZELTRO_LABEL_A(name) &&L_##name##A,
#define ZELTRO_LABEL_V(name) &&L_##name##V,
#define ZELTRO_LABEL_AV(name) &&L_##name##AV,
// clang-format off
#define ZELTRO_LABELS                                                                                     \
    ZELTRO_OP_CODES(ZELTRO_LABEL) ZELTRO_OP_CODES(ZELTRO_LABEL_A) ZELTRO_OP_CODES(ZELTRO_LABEL_V)         \
    ZELTRO_OP_CODES(ZELTRO_LABEL_AV) ZELTRO_ROW_CODES(ZELTRO_LABEL)
// clang-format on
constexpr int32_t kConstantRight = cAddK - cAdd;
constexpr int32_t kCompareConstant = cJumpUnlessEqK - cJumpUnlessEq;

// The code of which code is a variant (itself when it is none).
inline int32_t plainCode(int32_t code)
{
    return code < cEnd ? code % kFromAcc : code;
}

// Instructions a code takes: one, or two with the data slot that follows.
inline int32_t slotsOf(int32_t code)
{
    code = plainCode(code);
    return code == cRndConst || code == cRndConstG || code == cQuoConst || code == cRemConst ? 2 : 1;
}

// True for the codes whose b is an instruction index.
inline bool isJump(int32_t code)
{
    code = plainCode(code);
    return code >= cJumpZero && code <= cJumpUnlessGtK;
}

}  // namespace bytecode

// a quo b (quotient true) or a rem b, for |b| >= 2 whose rounded-up
// 64-bit reciprocal is given; by magnitudes, the signs applied as
// truncation toward zero gives them.
inline int32_t divideByReciprocal(int32_t a, int32_t b, uint64_t reciprocal, bool quotient)
{
#if defined(__SIZEOF_INT128__)
    const uint32_t magnitude = b < 0 ? 0u - u(b) : u(b);
    const uint32_t ua = a < 0 ? 0u - u(a) : u(a);
    const uint32_t q = static_cast<uint32_t>((static_cast<unsigned __int128>(reciprocal) * ua) >> 64);
    if (quotient)
        return (a < 0) != (b < 0) ? wrap(0u - q) : wrap(q);
    const uint32_t r = ua - q * magnitude;
    return a < 0 ? wrap(0u - r) : wrap(r);
#else
    (void)reciprocal;
    return quotient ? quo(a, b) : rem(a, b);
#endif
}

// a quo 2^n (0 < n < 31), truncating toward zero.
inline int32_t quoPow2(int32_t a, int32_t n)
{
    const uint32_t bias = u(a >> 31) & ((1u << n) - 1u);
    return wrap(u(a) + bias) >> n;
}

// a rem mask + 1 for mask = 2^n - 1: the low bits, and for a negative a
// with low bits the remainder below zero, that is with the high bits set.
inline int32_t remPow2(int32_t a, int32_t mask)
{
    const uint32_t low = u(a) & u(mask);
    const uint32_t high = a < 0 && low != 0 ? ~u(mask) : 0u;
    return wrap(low | high);
}

// low plus the random number v (below 2^15) modulo magnitude, through
// magnitude's reciprocal (0 for magnitudes above 2^15).
inline int32_t randomInRange(uint32_t v, int32_t low, uint32_t magnitude, uint64_t reciprocal)
{
    const uint32_t q = static_cast<uint32_t>((v * reciprocal) >> 32);
    return add(low, static_cast<int32_t>(v - q * magnitude));
}

// low plus the 32-bit random number v modulo magnitude (0 standing for
// 2^32), through magnitude's rounded-up 64-bit reciprocal (0 for 2^32).
inline int32_t randomInRangeWide(uint32_t v, int32_t low, uint32_t magnitude, uint64_t reciprocal)
{
#if defined(__SIZEOF_INT128__)
    const uint32_t q = static_cast<uint32_t>((static_cast<unsigned __int128>(reciprocal) * v) >> 64);
    return add(low, wrap(v - q * magnitude));
#else
    (void)reciprocal;
    return add(low, wrap(magnitude == 0 ? v : v % magnitude));
#endif
}

inline uint64_t joinHalves(int32_t low, int32_t high)
{
    return static_cast<uint32_t>(low) | (uint64_t(static_cast<uint32_t>(high)) << 32);
}

// a quo b or a rem b for an op of useConstantDivisors().
inline int32_t Program::divideByConstant(const Op& o, int32_t a) const
{
    const int32_t* k = m_kids.data() + o.first;
    return divideByReciprocal(a, o.value, joinHalves(k[1], k[2]), o.kind == kQuoConst);
}

// The record's storage cells for the register code: the array and how
// many cells it has, 0 without an array.
#define ZELTRO_LOAD_CELLS(r)                                                  \
    {                                                                         \
        cells = (r)->storage;                                                 \
        cellCount = cells && (r)->storageSize > 0 ? u((r)->storageSize) : 0u; \
    }

// The generators while code runs: the classic state (rs) and the genuine
// one's index (gn) in locals, its table (gt) where it lies. Saved before a
// call of the walk, which draws from the context's, and at the end.
#define ZELTRO_LOAD_RANDOM(c)               \
    uint32_t rs = (c).random->lcg;          \
    uint32_t* const gt = (c).random->table; \
    int32_t gn = (c).random->next;
#define ZELTRO_SAVE_RANDOM(c)  \
    {                          \
        (c).random->lcg = rs;  \
        (c).random->next = gn; \
    }
#define ZELTRO_RELOAD_RANDOM(c) \
    {                           \
        rs = (c).random->lcg;   \
        gn = (c).random->next;  \
    }

// The registers of leaves x, y, z and c, as they are at the start of an
// evaluation.
inline void Program::loadLeaves(int32_t* R, const Context& c) const
{
    R[kRegX] = c.x;
    R[kRegY] = c.y;
    R[kRegZ] = c.z;
    if (m_readsC)
        R[kRegC] = channelByte(*c.record, c.row, c.x, c.z);
}

inline int32_t Program::runCode(Context& c) const
{
    using namespace bytecode;
    int32_t R[kRegisterFile];
    loadLeaves(R, c);
    FFExecRecord* r = c.record;
    ZELTRO_LOAD_RANDOM(c)
    const Insn* code = m_code.data();
    int32_t acc = 0;
    int32_t* cells;
    uint32_t cellCount;
    ZELTRO_LOAD_CELLS(r)
#define ZCELLS ZELTRO_LOAD_CELLS(r)
    for (const Insn* p = code;;) {
        switch (p->code) {
        case cEnd:
            // The last value set is the tree's (all code ends in an
            // instruction that sets one).
            ZELTRO_SAVE_RANDOM(c)
            return acc;
#define ZNEXT     \
    {             \
        ++p;      \
        continue; \
    }
#define ZNEXTDATA \
    {             \
        p += 2;   \
        continue; \
    }
#define ZJUMP(target)        \
    {                        \
        p = code + (target); \
        continue;            \
    }
#define ZPROGRAM this
#define ZCHANNEL c.z
#define ZLABEL(name) case name:
#include "BytecodeVariants.inc"
#undef ZLABEL
#undef ZPROGRAM
#undef ZCHANNEL
#undef ZCELLS
#undef ZNEXT
#undef ZNEXTDATA
#undef ZJUMP
        default:
#if defined(__GNUC__)
            __builtin_unreachable();
#else
            return 0;
#endif
        }
    }
}

}  // namespace zeltro
