// Straight-line register code for the programs that are evaluated pixel
// by pixel (those whose value depends on evaluation order). A node becomes
// one instruction whose operands were computed by the instructions before
// it, in the order eval() evaluates them; conditionals become jumps. The
// kinds handled here are those of the common formulas; any other subtree
// is one instruction that hands it to eval(), which keeps the order.

#include "BytecodeRun.h"

#include "Arith.h"
#include "Fetch.h"

#include <algorithm>
#include <vector>

namespace zeltro {

using namespace bytecode;

namespace {



int32_t binaryCode(int32_t kind)
{
    switch (kind) {
    case '+': return cAdd;
    case '-': return cSub;
    case '*': return cMul;
    case '/': return cQuo;
    case '%': return cRem;
    case kShl: return cShl;
    case kShr: return cShr;
    case kEq: return cEq;
    case kNe: return cNe;
    case kLe: return cLe;
    case kGe: return cGe;
    case kLt: return cLt;
    case kGt: return cGt;
    case kBitAnd: return cAnd;
    case kBitOr: return cOr;
    case kXor: return cXor;
    case kDif: return cDif;
    default: return -1;
    }
}

int32_t unaryCode(int32_t kind)
{
    switch (kind) {
    case kNeg: return cNeg;
    case kNot: return cNot;
    case kCompl: return cCompl;
    case kAbs: return cAbs;
    case kSqr: return cSqr;
    case kGet: return cGet;
    case kSrcmode: return cSrcmode;
    case kCtl: return cCtl;
    case kQuoConst: case kRemConst: return cDivConst;
    default: return -1;
    }
}

constexpr int32_t kSideEffectBits = ZELTRO_USES_RANDOM | ZELTRO_WRITES_STORAGE | ZELTRO_WRITES_EDGE_MODE |
                                   ZELTRO_UNKNOWN_KIND;
constexpr std::size_t kMaxCode = 1 << 14;

}  // namespace

void Program::buildCode()
{
    if (!gen(m_root, 0)) {
        m_code.clear();
        return;
    }
    emitInsn(cEnd, 0, 0, 0);
}

int32_t Program::emitInsn(int32_t code, int32_t d, int32_t a, int32_t b)
{
    m_code.push_back({code, d, a, b});
    return static_cast<int32_t>(m_code.size() - 1);
}

// Code that leaves the value of op in register reg, using the registers
// above it as scratch; false when more registers would be needed. The
// operands go in from the last one up (the last in reg), each evaluated
// above those before it, so that none is overwritten.
bool Program::gen(int32_t op, int32_t reg)
{
    const Op& o = m_ops[static_cast<std::size_t>(op)];
    const int32_t* k = kids(o);
    // Operands evaluated twice are generated twice, which nesting could
    // multiply without bound.
    if (reg + std::max(o.count, 1) > kMaxRegisters || m_code.size() > kMaxCode)
        return false;
    const auto here = [this] { return static_cast<int32_t>(m_code.size()); };
    switch (o.kind) {
    case kNumber: emitInsn(cConst, reg, o.value, 0); return true;
    case 'x': emitInsn(cX, reg, 0, 0); return true;
    case 'y': emitInsn(cY, reg, 0, 0); return true;
    case 'z': emitInsn(cZ, reg, 0, 0); return true;
    case 'c': emitInsn(cC, reg, 0, 0); return true;
    case 'r': case 'g': case 'b': case 'a': emitInsn(cPixel, reg, o.kind, 0); return true;
    case kRndConst: emitInsn(cRndConst, reg, op, 0); return true;
    case 'X': emitInsn(cWidth, reg, 0, 0); return true;
    case 'Y': emitInsn(cHeight, reg, 0, 0); return true;
    case 'Z': emitInsn(cDepth, reg, 0, 0); return true;
    case 'D': emitInsn(cD, reg, 0, 0); return true;
    case 'M': emitInsn(cM, reg, 0, 0); return true;
    case 't': emitInsn(cTime, reg, 0, 0); return true;
    case kTotal: emitInsn(cTotal, reg, 0, 0); return true;
    case kMin: case kMax: {
        // b, then a, then the chosen one again: once more only when it
        // has a side effect, since otherwise it gives the same value.
        if (!gen(k[1], reg) || !gen(k[0], reg + 1))
            return false;
        const bool again = ((m_ops[static_cast<std::size_t>(k[0])].traits |
                             m_ops[static_cast<std::size_t>(k[1])].traits) & kSideEffectBits) != 0;
        if (!again) {
            emitInsn(o.kind == kMin ? cMin : cMax, reg, reg + 1, reg);
            return true;
        }
        const int32_t toB = emitInsn(o.kind == kMin ? cJumpUnlessLess : cJumpUnlessGreater, reg + 1, reg, 0);
        if (!gen(k[0], reg))
            return false;
        const int32_t toEnd = emitInsn(cJump, reg, 0, 0);
        m_code[static_cast<std::size_t>(toB)].b = here();
        if (!gen(k[1], reg))
            return false;
        m_code[static_cast<std::size_t>(toEnd)].b = here();
        return true;
    }
    case kSin: case kCos: case kTan:
        // The argument twice, as the sign test and the index (see evalTrig).
        if (!gen(k[0], reg))
            return false;
        if ((m_ops[static_cast<std::size_t>(k[0])].traits & kSideEffectBits) != 0 && !gen(k[0], reg))
            return false;
        emitInsn(o.kind == kSin ? cSin : o.kind == kCos ? cCos : cTan, reg, reg, 0);
        return true;
    case kSequence:
        return gen(k[0], reg) && gen(k[1], reg);
    case kRst:
        if (!gen(k[0], reg))
            return false;
        emitInsn(cConst, reg, 0, 0);
        return true;
    case '?': {
        if (!gen(k[0], reg))
            return false;
        const int32_t toElse = emitInsn(cJumpZero, reg, 0, 0);
        if (!gen(k[1], reg))
            return false;
        const int32_t toEnd = emitInsn(cJump, reg, 0, 0);
        m_code[static_cast<std::size_t>(toElse)].b = here();
        if (!gen(k[2], reg))
            return false;
        m_code[static_cast<std::size_t>(toEnd)].b = here();
        return true;
    }
    case kLogAnd: {
        // A zero left operand is the result as it stands.
        if (!gen(k[0], reg))
            return false;
        const int32_t skip = emitInsn(cJumpZero, reg, 0, 0);
        if (!gen(k[1], reg))
            return false;
        emitInsn(cBool, reg, reg, 0);
        m_code[static_cast<std::size_t>(skip)].b = here();
        return true;
    }
    case kLogOr: {
        if (!gen(k[0], reg))
            return false;
        const int32_t skip = emitInsn(cJumpNonZero, reg, 0, 0);
        if (!gen(k[1], reg))
            return false;
        m_code[static_cast<std::size_t>(skip)].b = here();
        emitInsn(cBool, reg, reg, 0);
        return true;
    }
    case kRnd: case kPut:
        // rnd(a, b) and put(v, i): the second argument first.
        if (!gen(k[1], reg) || !gen(k[0], reg + 1))
            return false;
        emitInsn(o.kind == kRnd ? cRnd : cPut, reg, reg + 1, reg);
        return true;
    case kSrc: case kDst:
        if (!gen(k[2], reg) || !gen(k[1], reg + 1) || !gen(k[0], reg + 2))
            return false;
        emitInsn(o.kind == kSrc ? cSrc : cDst, reg, reg, 0);
        return true;
    default:
        break;
    }
    if (const int32_t code = binaryCode(o.kind); code >= 0 && o.count == 2) {
        const Op& right = m_ops[static_cast<std::size_t>(k[1])];
        if (right.kind == kNumber) {
            // A constant evaluates to itself with no effect: it is the
            // instruction's operand.
            if (!gen(k[0], reg))
                return false;
            emitInsn(code + kConstantRight, reg, reg, right.value);
            return true;
        }
        if (!gen(k[1], reg) || !gen(k[0], reg + 1))
            return false;
        emitInsn(code, reg, reg + 1, reg);
        return true;
    }
    if (const int32_t code = unaryCode(o.kind); code >= 0 && o.count == 1) {
        if (!gen(k[0], reg))
            return false;
        emitInsn(code, reg, code == cDivConst ? op : reg, 0);
        return true;
    }
    // Every other kind, and every subtree below it, by the recursive walk.
    emitInsn(cCall, reg, op, 0);
    return true;
}

int32_t Program::run(Context& c) const
{
    c.row = sourceRow(*c.record, c.y);
    c.channel = nullptr;
    return runCode(c);
}

// The code of a whole row: the programs' code one after another, each
// ending in cOut instead of cEnd, and cNextPixel, so that one loop runs
// the row without a call per evaluation. With GNU C each handler jumps
// straight to the next instruction's handler.
void Program::runRow(const Program* const* programs, int32_t count, Context& c, int32_t width, uint8_t* row,
                     const int32_t* at, const uint8_t* const* channels, int32_t* const* out)
{
    if (width <= 0 || count <= 0)
        return;
    thread_local std::vector<Insn> combined;
    combined.clear();
    for (int32_t k = 0; k < count; ++k) {
        const int32_t base = static_cast<int32_t>(combined.size());
        for (Insn i : programs[k]->m_code) {
            switch (i.code) {
            case cJumpZero: case cJumpNonZero: case cJump: case cJumpUnlessLess: case cJumpUnlessGreater:
                i.b += base;
                break;
            case cEnd:
                i = {cOut, i.d, 0, 0};
                break;
            default:
                break;
            }
            combined.push_back(i);
        }
    }
    combined.push_back({cNextPixel, 0, 0, 0});

    int32_t R[kMaxRegisters];
    FFExecRecord* r = c.record;
    const Insn* code = combined.data();
    const Program* prog = programs[0];
    const intptr_t bpp = c.bpp;
    int32_t k = 0;
    c.x = 0;
    c.z = 0;
    c.channel = channels[0];
    const Insn* p = code;
#if defined(__GNUC__)
#define ZELTRO_LABEL(name) &&L_##name,
    static const void* const labels[] = {ZELTRO_CODES(ZELTRO_LABEL)};
#undef ZELTRO_LABEL
    int32_t d = p->d;
#define ZCASE(name) L_##name:
#define ZDISPATCH { d = p->d; goto *labels[p->code]; }
#define ZNEXT { ++p; ZDISPATCH }
#define ZJUMP(target) { p = code + (target); ZDISPATCH }
    ZDISPATCH
#else
    for (;;) {
        const int32_t d = p->d;
        switch (p->code) {
#define ZCASE(name) case name:
#define ZNEXT { ++p; continue; }
#define ZJUMP(target) { p = code + (target); continue; }
#endif
#include "BytecodeOps.inc"
        ZCASE(cOut) {
            const int32_t v = R[d];
            out[k][c.x] = v;
            if (at[k] >= 0)
                row[c.x * bpp + at[k]] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            if (++k < count) {
                c.z = k;
                c.channel = channels[k];
                prog = programs[k];
            }
            ZNEXT;
        }
        ZCASE(cNextPixel)
            if (++c.x >= width)
                return;
            k = 0;
            c.z = 0;
            c.channel = channels[0];
            prog = programs[0];
            ZJUMP(0);
        ZCASE(cEnd)
#if defined(__GNUC__)
            __builtin_unreachable();
#undef ZDISPATCH
#else
        default:
            return;
        }
    }
#endif
#undef ZCASE
#undef ZNEXT
#undef ZJUMP
}

}  // namespace zeltro
