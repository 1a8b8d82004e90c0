#pragma once
// The loop that runs a program's register code (built in Bytecode.cpp),
// inlined into the loops over a row.

#include "Arith.h"
#include "Fetch.h"
#include "Program.h"

namespace zeltro {
namespace bytecode {

// The instruction codes. The binary operations come twice in the same
// order, the second time with a constant right operand (in b): cAdd +
// kConstantRight is cAddK. cOut and cNextPixel exist only in the code
// of a whole row (OrderedRow.cpp): cOut stores a channel's value and
// moves on to the next channel's code, cNextPixel to the next pixel.
#define ZELTRO_CODES(X) \
    X(cEnd) X(cConst) X(cX) X(cY) X(cZ) X(cC) X(cPixel) X(cCall) \
    X(cAdd) X(cSub) X(cMul) X(cQuo) X(cRem) X(cShl) X(cShr) X(cEq) X(cNe) X(cLe) X(cGe) X(cLt) X(cGt) X(cAnd) X(cOr) X(cXor) X(cDif) \
    X(cAddK) X(cSubK) X(cMulK) X(cQuoK) X(cRemK) X(cShlK) X(cShrK) X(cEqK) X(cNeK) X(cLeK) X(cGeK) X(cLtK) X(cGtK) X(cAndK) X(cOrK) X(cXorK) X(cDifK) \
    X(cNeg) X(cNot) X(cCompl) X(cAbs) X(cSqr) X(cBool) \
    X(cDivConst) X(cRndConst) X(cRnd) X(cGet) X(cPut) X(cSrcmode) X(cCtl) X(cSrc) X(cDst) \
    X(cJumpZero) X(cJumpNonZero) X(cJump) X(cJumpUnlessLess) X(cJumpUnlessGreater) \
    X(cMin) X(cMax) X(cSin) X(cCos) X(cTan) X(cWidth) X(cHeight) X(cDepth) X(cD) X(cM) X(cTime) X(cTotal) \
    X(cOut) X(cNextPixel)
#define ZELTRO_ENUM(name) name,
enum Code : int32_t { ZELTRO_CODES(ZELTRO_ENUM) };
#undef ZELTRO_ENUM
constexpr int32_t kConstantRight = cAddK - cAdd;

}  // namespace bytecode

// a quo b or a rem b for an op of useConstantDivisors(); by magnitudes,
// the signs applied as truncation toward zero gives them.
inline int32_t Program::divideByConstant(const Op& o, int32_t a) const
{
#if defined(__SIZEOF_INT128__)
    const int32_t* k = m_kids.data() + o.first;
    const uint64_t reciprocal = static_cast<uint32_t>(k[1]) | (uint64_t(static_cast<uint32_t>(k[2])) << 32);
    const int32_t b = o.value;
    const uint32_t magnitude = b < 0 ? 0u - u(b) : u(b);
    const uint32_t ua = a < 0 ? 0u - u(a) : u(a);
    const uint32_t q = static_cast<uint32_t>((static_cast<unsigned __int128>(reciprocal) * ua) >> 64);
    if (o.kind == kQuoConst)
        return (a < 0) != (b < 0) ? wrap(0u - q) : wrap(q);
    const uint32_t r = ua - q * magnitude;
    return a < 0 ? wrap(0u - r) : wrap(r);
#else
    return o.kind == kQuoConst ? quo(a, o.value) : rem(a, o.value);
#endif
}


inline int32_t Program::runCode(Context& c) const
{
    using namespace bytecode;
    int32_t R[kMaxRegisters];
    FFExecRecord* r = c.record;
    const Insn* code = m_code.data();
    const Program* prog = this;
    for (const Insn* p = code;;) {
        const int32_t d = p->d;
        switch (p->code) {
        case cEnd: return R[d];
#define ZCASE(name) case name:
#define ZNEXT { ++p; continue; }
#define ZJUMP(target) { p = code + (target); continue; }
#include "BytecodeOps.inc"
#undef ZCASE
#undef ZNEXT
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
