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
#include <utility>
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
    case kGetG: return cGetG;
    case kStorage: return cStorage;
    case kSrcmode: return cSrcmode;
    case kCtl: return cCtl;
    default: return -1;
    }
}

// The jump taken unless the comparison of kind holds, or -1.
int32_t compareJumpCode(int32_t kind)
{
    switch (kind) {
    case kEq: return cJumpUnlessEq;
    case kNe: return cJumpUnlessNe;
    case kLe: return cJumpUnlessLe;
    case kGe: return cJumpUnlessGe;
    case kLt: return cJumpUnlessLt;
    case kGt: return cJumpUnlessGt;
    default: return -1;
    }
}

constexpr std::size_t kMaxCode = 1 << 14;

}  // namespace

void Program::buildCode()
{
    if (!gen(m_root, 0)) {
        m_code.clear();
        return;
    }
    emitInsn(cEnd, 0, 0, 0);
    useAccumulator();
}

namespace {

// Which field of an instruction names the operand that the previous
// instruction's value usually is: 'a', 'd' (the jumps that test a value)
// or 0 (none that may come from acc).
char leadingOperand(int32_t code)
{
    if ((code >= cAdd && code <= cBool) || (code >= cQuoConst && code <= cCtl) || (code >= cMin && code <= cCosG))
        return code == cRndConst || code == cRndConstG || code == cRndDrawK ? 0 : 'a';
    if (code == cJumpZero || code == cJumpNonZero || (code >= cJumpUnlessEq && code <= cJumpUnlessGtK))
        return 'd';
    return 0;
}

// Which of fields a (bit 0) and b (bit 1) of an instruction name
// registers.
int32_t registerFields(int32_t code)
{
    code = plainCode(code);
    if ((code >= cAdd && code <= cDif) || code == cRnd || code == cRndG || code == cPut || code == cPutG ||
        code == cMin || code == cMax)
        return 3;
    if (code == cMove || (code >= cAddK && code <= cBool) || (code >= cQuoConst && code <= cRemPow2) ||
        (code >= cGet && code <= cCtl) || (code >= cSin && code <= cCosG) ||
        (code >= cJumpUnlessEq && code <= cJumpUnlessGt))
        return 1;
    return 0;
}

// The comparison with its operands swapped: a < b is b > a.
int32_t mirrored(int32_t code)
{
    // clang-format off
    switch (code) {
    case cLt: return cGt;
    case cGt: return cLt;
    case cLe: return cGe;
    case cGe: return cLe;
    case cJumpUnlessLt: return cJumpUnlessGt;
    case cJumpUnlessGt: return cJumpUnlessLt;
    case cJumpUnlessLe: return cJumpUnlessGe;
    case cJumpUnlessGe: return cJumpUnlessLe;
    case cAdd: case cMul: case cEq: case cNe: case cAnd: case cOr: case cXor: case cDif: case cMin: case cMax:
    case cJumpUnlessEq: case cJumpUnlessNe:
        return code;
    default:
        return -1;
    }
    // clang-format on
}

}  // namespace

// Marks the instructions whose leading operand is the value of the
// instruction just before them, which is then still in acc: the CPU need
// not wait for that value to come back from the registers' memory.
// Commutative operations and comparisons swap their operands to have the
// value lead. Not at jump targets, which other instructions precede too.
void Program::useAccumulator()
{
    std::vector<bool> target(m_code.size() + 1, false);
    for (std::size_t i = 0; i < m_code.size(); i += static_cast<std::size_t>(slotsOf(m_code[i].code)))
        if (isJump(m_code[i].code))
            target[static_cast<std::size_t>(m_code[i].b)] = true;
    int32_t value = -1;  // the register the previous instruction set, if any
    for (std::size_t i = 0; i < m_code.size(); i += static_cast<std::size_t>(slotsOf(m_code[i].code))) {
        Insn& insn = m_code[i];
        const int32_t before = target[i] ? -1 : value;
        value = insn.code != cEnd && !isJump(insn.code) ? insn.d : -1;
        const char lead = leadingOperand(insn.code);
        if (before < 0 || lead == 0)
            continue;
        int32_t& first = lead == 'a' ? insn.a : insn.d;
        // Only the register forms have a second register to swap with.
        const bool registerForm = (insn.code >= cAdd && insn.code <= cDif) || insn.code == cMin || insn.code == cMax ||
                                  (insn.code >= cJumpUnlessEq && insn.code <= cJumpUnlessGt);
        int32_t& second = lead == 'a' ? insn.b : insn.a;
        if (first != before && registerForm && second == before && mirrored(insn.code) >= 0) {
            std::swap(first, second);
            insn.code = mirrored(insn.code);
        }
        if (first == before)
            insn.code += kFromAcc;
    }
    // A value that only the next instruction reads, through acc, and that
    // it replaces in its register, need not be stored.
    for (std::size_t i = 0; i < m_code.size(); i += static_cast<std::size_t>(slotsOf(m_code[i].code))) {
        const std::size_t j = i + static_cast<std::size_t>(slotsOf(m_code[i].code));
        if (j >= m_code.size())
            break;
        Insn& insn = m_code[i];
        const Insn& next = m_code[j];
        const bool setsValue = insn.code != cEnd && !isJump(insn.code);
        const bool nextTakesIt = next.code >= kFromAcc && next.code < kValueOnly && !isJump(next.code);
        if (setsValue && nextTakesIt && next.d == insn.d && !((registerFields(next.code) & 2) && next.b == insn.d))
            insn.code += kValueOnly;
    }
}

int32_t Program::emitInsn(int32_t code, int32_t d, int32_t a, int32_t b)
{
    m_code.push_back({code, d, a, b});
    return static_cast<int32_t>(m_code.size() - 1);
}

// op, a kQuoConst or kRemConst, of the value in register a, into reg.
void Program::emitDivision(int32_t op, int32_t reg, int32_t a)
{
    const Op& o = m_ops[static_cast<std::size_t>(op)];
    const int32_t* k = kids(o);
    // A positive power of two below 2^31 by a mask or a shift.
    if (o.value > 0 && (o.value & (o.value - 1)) == 0) {
        int32_t n = 0;
        while ((1 << n) != o.value)
            ++n;
        // The shift for the quotient, the mask for the remainder.
        emitInsn(o.kind == kQuoConst ? cQuoPow2 : cRemPow2, reg, a, o.kind == kQuoConst ? n : o.value - 1);
        return;
    }
    emitInsn(o.kind == kQuoConst ? cQuoConst : cRemConst, reg, a, 0);
    m_code.push_back({o.value, k[1], k[2], 0});
}

void Program::emitRandom(int32_t op, int32_t reg)
{
    const Op& o = m_ops[static_cast<std::size_t>(op)];
    const int32_t* k = kids(o);
    emitInsn(o.kind == kRndConstG ? cRndConstG : cRndConst, reg, 0, 0);
    m_code.push_back({k[0], k[1], k[2], o.value});
}

// The register that holds the value of op once the code emitted for it
// has run: the leaf's own register for x, y, z and c, which need no code;
// else reg. -1 when the code would exceed its limits.
int32_t Program::operand(int32_t op, int32_t reg)
{
    switch (m_ops[static_cast<std::size_t>(op)].kind) {
    case 'x': return kRegX;
    case 'y': return kRegY;
    case 'z': return kRegZ;
    case 'c': m_readsC = true; return kRegC;
    default: return gen(op, reg) ? reg : -1;
    }
}

// Code for op whose value is not used: nothing unless it has an effect
// (an evaluation of pure ops changes nothing, and none can fail).
bool Program::genEffects(int32_t op, int32_t reg)
{
    const Op& o = m_ops[static_cast<std::size_t>(op)];
    if ((o.traits & kSideEffects) == 0)
        return true;
    const int32_t* k = kids(o);
    // clang-format off
    switch (o.kind) {
    case kSequence:
        return genEffects(k[0], reg) && genEffects(k[1], reg);
    case kCondAll:
        return genEffects(k[0], reg) && genEffects(k[1], reg) && genEffects(k[2], reg);
    case kLogAndAll: case kLogOrAll:
        return genEffects(k[0], reg) && genEffects(k[1], reg);
    case '?': {
        std::vector<int32_t> toElse;
        if (!genBranchUnless(k[0], reg, toElse) || !genEffects(k[1], reg))
            return false;
        int32_t toEnd = -1;
        if ((m_ops[static_cast<std::size_t>(k[2])].traits & kSideEffects) != 0)
            toEnd = emitInsn(cJump, 0, 0, 0);
        for (int32_t i : toElse)
            m_code[static_cast<std::size_t>(i)].b = static_cast<int32_t>(m_code.size());
        if (toEnd < 0)
            return true;
        if (!genEffects(k[2], reg))
            return false;
        m_code[static_cast<std::size_t>(toEnd)].b = static_cast<int32_t>(m_code.size());
        return true;
    }
    default:
        return gen(op, reg);
    }
    // clang-format on
}

// Code that evaluates op and jumps unless its value is non-zero; the
// indexes of the jumps, whose targets are left to the caller, are added
// to patches. Comparisons jump on their operands, and a && b is a's
// jumps then b's, which evaluates b only when a holds, as a && b does.
bool Program::genBranchUnless(int32_t op, int32_t reg, std::vector<int32_t>& patches)
{
    const Op& o = m_ops[static_cast<std::size_t>(op)];
    const int32_t* k = kids(o);
    if (reg + 2 > kMaxRegisters || m_code.size() > kMaxCode)
        return false;
    if (o.kind == kLogAnd)
        return genBranchUnless(k[0], reg, patches) && genBranchUnless(k[1], reg, patches);
    if (const int32_t code = compareJumpCode(o.kind); code >= 0 && o.count == 2) {
        const Op& right = m_ops[static_cast<std::size_t>(k[1])];
        if (right.kind == kNumber) {
            const int32_t a = operand(k[0], reg);
            if (a < 0)
                return false;
            patches.push_back(emitInsn(code + kCompareConstant, a, right.value, 0));
            return true;
        }
        const int32_t b = operand(k[1], reg);
        const int32_t a = b < 0 ? -1 : operand(k[0], b == reg ? reg + 1 : reg);
        if (a < 0)
            return false;
        patches.push_back(emitInsn(code, a, b, 0));
        return true;
    }
    if (!gen(op, reg))
        return false;
    patches.push_back(emitInsn(cJumpZero, reg, 0, 0));
    return true;
}

// Code that leaves the value of op in register reg, using the registers
// above it as scratch; false when more registers would be needed. The
// operands go in from the last one up, each evaluated above those before
// it, so that none is overwritten.
bool Program::gen(int32_t op, int32_t reg)
{
    const Op& o = m_ops[static_cast<std::size_t>(op)];
    const int32_t* k = kids(o);
    // Operands evaluated twice are generated twice, which nesting could
    // multiply without bound.
    if (reg + std::max(o.count, 1) > kMaxRegisters || m_code.size() > kMaxCode)
        return false;
    const auto here = [this] { return static_cast<int32_t>(m_code.size()); };
    // The operands b (the last, evaluated first) and a of a two-operand
    // instruction, each a register; false when either needs too many.
    int32_t a = -1, b = -1;
    const auto operands = [&](int32_t first, int32_t second) {
        b = operand(second, reg);
        a = b < 0 ? -1 : operand(first, b == reg ? reg + 1 : reg);
        return a >= 0;
    };
    // clang-format off
    switch (o.kind) {
    case kNumber: emitInsn(cConst, reg, o.value, 0); return true;
    case 'x': case 'y': case 'z': case 'c': emitInsn(cMove, reg, operand(op, reg), 0); return true;
    case 'r': case 'g': case 'b': case 'a': emitInsn(cPixel, reg, o.kind, 0); return true;
    case kRndConst: case kRndConstG: emitRandom(op, reg); return true;
    case kRndDrawK: emitInsn(cRndDrawK, reg, o.value, 0); return true;
    case kQuoConst: case kRemConst:
        if ((a = operand(k[0], reg)) < 0)
            return false;
        emitDivision(op, reg, a);
        return true;
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
        const bool again = ((m_ops[static_cast<std::size_t>(k[0])].traits |
                             m_ops[static_cast<std::size_t>(k[1])].traits) & kSideEffects) != 0;
        if (!again) {
            if (!operands(k[0], k[1]))
                return false;
            emitInsn(o.kind == kMin ? cMin : cMax, reg, a, b);
            return true;
        }
        if (!gen(k[1], reg) || !gen(k[0], reg + 1))
            return false;
        const int32_t toB = emitInsn(o.kind == kMin ? cJumpUnlessLt : cJumpUnlessGt, reg + 1, reg, 0);
        if (!gen(k[0], reg))
            return false;
        const int32_t toEnd = emitInsn(cJump, reg, 0, 0);
        m_code[static_cast<std::size_t>(toB)].b = here();
        if (!gen(k[1], reg))
            return false;
        m_code[static_cast<std::size_t>(toEnd)].b = here();
        return true;
    }
    case kSin: case kCos: case kTan: case kSinG: case kCosG: {
        // The argument twice, as the sign test and the index (see evalTrig).
        const int32_t code = o.kind == kSin ? cSin : o.kind == kCos ? cCos : o.kind == kTan ? cTan
                           : o.kind == kSinG ? cSinG : cCosG;
        if ((m_ops[static_cast<std::size_t>(k[0])].traits & kSideEffects) != 0) {
            if (!gen(k[0], reg) || !gen(k[0], reg))
                return false;
            emitInsn(code, reg, reg, 0);
            return true;
        }
        if ((a = operand(k[0], reg)) < 0)
            return false;
        emitInsn(code, reg, a, 0);
        return true;
    }
    case kSequence:
        return genEffects(k[0], reg) && gen(k[1], reg);
    case kRst:
        if (!genEffects(k[0], reg))
            return false;
        emitInsn(cConst, reg, 0, 0);
        return true;
    case '?': {
        std::vector<int32_t> toElse;
        if (!genBranchUnless(k[0], reg, toElse) || !gen(k[1], reg))
            return false;
        const int32_t toEnd = emitInsn(cJump, reg, 0, 0);
        for (int32_t i : toElse)
            m_code[static_cast<std::size_t>(i)].b = here();
        if (!gen(k[2], reg))
            return false;
        m_code[static_cast<std::size_t>(toEnd)].b = here();
        return true;
    }
    case kCondAll: {
        // The condition, then both branches in their order: the value of
        // one, the effects of the other.
        std::vector<int32_t> toElse;
        if (!genBranchUnless(k[0], reg, toElse) || !gen(k[1], reg))
            return false;
        const std::size_t valueSet = m_code.size();
        if (!genEffects(k[2], reg + 1))
            return false;
        // The code's last value is its result: the branch's value again.
        if (m_code.size() != valueSet)
            emitInsn(cMove, reg, reg, 0);
        const int32_t toEnd = emitInsn(cJump, reg, 0, 0);
        for (int32_t i : toElse)
            m_code[static_cast<std::size_t>(i)].b = here();
        if (!genEffects(k[1], reg) || !gen(k[2], reg))
            return false;
        m_code[static_cast<std::size_t>(toEnd)].b = here();
        return true;
    }
    case kLogAndAll: case kLogOrAll:
        // Both operands, left first; each made 0 or 1, then combined.
        if (!gen(k[0], reg) || !gen(k[1], reg + 1))
            return false;
        emitInsn(cBool, reg, reg, 0);
        emitInsn(cBool, reg + 1, reg + 1, 0);
        emitInsn(o.kind == kLogAndAll ? cAnd : cOr, reg, reg, reg + 1);
        return true;
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
    case kRnd: case kPut: case kRndG: case kPutG:
        // rnd(a, b) and put(v, i): the second argument first.
        if (!operands(k[0], k[1]))
            return false;
        emitInsn(o.kind == kRnd ? cRnd : o.kind == kPut ? cPut : o.kind == kRndG ? cRndG : cPutG, reg, a, b);
        return true;
    case kSrc: case kDst:
        if (!gen(k[2], reg) || !gen(k[1], reg + 1) || !gen(k[0], reg + 2))
            return false;
        emitInsn(o.kind == kSrc ? cSrc : cDst, reg, reg, 0);
        return true;
    default:
        break;
    }
    // clang-format on
    if (const int32_t code = binaryCode(o.kind); code >= 0 && o.count == 2) {
        const Op& right = m_ops[static_cast<std::size_t>(k[1])];
        if (right.kind == kNumber) {
            // A constant evaluates to itself with no effect: it is the
            // instruction's operand.
            if ((a = operand(k[0], reg)) < 0)
                return false;
            emitInsn(code + kConstantRight, reg, a, right.value);
            return true;
        }
        if (!operands(k[0], k[1]))
            return false;
        emitInsn(code, reg, a, b);
        return true;
    }
    if (const int32_t code = unaryCode(o.kind); code >= 0 && o.count == 1) {
        if ((a = operand(k[0], reg)) < 0)
            return false;
        emitInsn(code, reg, a, 0);
        return true;
    }
    // Every other kind, and every subtree below it, by the recursive walk.
    emitInsn(cCall, reg, op, 0);
    return true;
}

int32_t Program::run(Context& c) const
{
    c.row = sourceRow(*c.record, c.y);
    return runCode(c);
}

// The code of a whole row: the programs' code one after another, each
// channel's value left in its registers (or stored by cOutAtOnce), the
// last ending in cOutLast instead of cEnd, so that one loop runs the row
// without a call per evaluation. With GNU C each handler jumps straight
// to the next instruction's handler.
void Program::runRow(const Program* const* programs, int32_t count, Context& c, int32_t width, uint8_t* row,
                     const int32_t* at, const uint8_t* const* channels, int32_t* const* out, bool writeAtOnce)
{
    if (width <= 0 || count <= 0)
        return;
    // Per channel: where its values go, its byte of pixel 0 in the source
    // row (or null), its byte in the pixel written (or -1) and the register
    // of its value.
    struct Lane {
        int32_t* out;
        const uint8_t* source;
        intptr_t at;
        intptr_t result;
    };
    Lane lanes[4];
    // Each channel's code has registers of its own (its register numbers
    // moved by k * kRegisterFile), so that the code of one channel runs
    // straight into the next one's, its leaves set once per pixel (x, c) or
    // once per row (y, z), and its value stays where it was computed until
    // the pixel is done.
    thread_local std::vector<Insn> combined;
    combined.clear();
    bool readsC = false;
    for (int32_t k = 0; k < count; ++k) {
        const std::vector<Insn>& own = programs[k]->m_code;
        readsC = readsC || programs[k]->m_readsC;
        const int32_t base = static_cast<int32_t>(combined.size());
        const int32_t offset = k * kRegisterFile;
        for (std::size_t i = 0; i < own.size(); i += static_cast<std::size_t>(slotsOf(own[i].code))) {
            Insn insn = own[i];
            if (isJump(insn.code))
                insn.b += base;
            if (insn.code == cEnd) {
                lanes[k] = {out[k], channels[k], at[k], offset + insn.d};
                if (k + 1 < count && !writeAtOnce)
                    continue;
                insn = {k + 1 == count ? cOutLast : cOutAtOnce, insn.d, k, 0};
            }
            // x and y are the same for every channel: their registers are
            // channel 0's.
            const auto moved = [offset](int32_t reg) { return reg == kRegX || reg == kRegY ? reg : reg + offset; };
            const int32_t fields = registerFields(insn.code);
            insn.d = moved(insn.d);
            insn.a = fields & 1 ? moved(insn.a) : insn.a;
            insn.b = fields & 2 ? moved(insn.b) : insn.b;
            if (plainCode(insn.code) == cCall)
                insn.b = k;
            combined.push_back(insn);
            if (slotsOf(insn.code) == 2)
                combined.push_back(own[i + 1]);
        }
    }
    int32_t file[4 * kRegisterFile];
    int32_t* const R = file;
    FFExecRecord* r = c.record;
#if ZELTRO_COMPUTED_GOTO
    // Direct threading: each instruction holds its handler's address.
    static const void* const labels[] = {ZELTRO_LABELS};
    struct Step {
        const void* handler;
        int32_t code, d, a, b;
    };
    thread_local std::vector<Step> threaded;
    threaded.clear();
    for (std::size_t i = 0; i < combined.size(); i += static_cast<std::size_t>(slotsOf(combined[i].code))) {
        const Insn& insn = combined[i];
        threaded.push_back({labels[insn.code], insn.code, insn.d, insn.a, insn.b});
        if (slotsOf(insn.code) == 2) {
            const Insn& data = combined[i + 1];
            threaded.push_back({nullptr, data.code, data.d, data.a, data.b});
        }
    }
    const Step* code = threaded.data();
#else
    const Insn* code = combined.data();
#endif
    const intptr_t bpp = c.bpp;
    ZELTRO_LOAD_RANDOM(c)
    int32_t acc = 0;
    int32_t* cells;
    uint32_t cellCount;
    ZELTRO_LOAD_CELLS(r)
#define ZCELLS ZELTRO_LOAD_CELLS(r)
    int32_t x = 0;
    intptr_t pixel = 0;  // x * bpp
    // c of channel k at pixel x, and the store of channel k's value v.
    // Macros rather than closures, so that x and pixel stay in registers.
#define ZELTRO_CHANNEL_VALUE(k) (lanes[k].source ? lanes[k].source[pixel] : channelByte(*r, c.row, x, k))
#define ZELTRO_WRITE_BYTE(k, v)                                                                       \
    {                                                                                                 \
        const int32_t value = (v);                                                                    \
        row[pixel + lanes[k].at] = static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value)); \
    }
#define ZELTRO_STORE(k, v)          \
    {                               \
        lanes[k].out[x] = (v);      \
        if (lanes[k].at >= 0)       \
            ZELTRO_WRITE_BYTE(k, v) \
    }
#define ZELTRO_PIXEL_LEAVES                                                                    \
    file[kRegX] = x;                                                                           \
    if (readsC) {                                                                              \
        if (direct) {                                                                          \
            switch (count) {                                                                   \
            case 4: file[3 * kRegisterFile + kRegC] = lanes[3].source[pixel]; [[fallthrough]]; \
            case 3: file[2 * kRegisterFile + kRegC] = lanes[2].source[pixel]; [[fallthrough]]; \
            case 2: file[kRegisterFile + kRegC] = lanes[1].source[pixel]; [[fallthrough]];     \
            default: file[kRegC] = lanes[0].source[pixel];                                     \
            }                                                                                  \
        } else                                                                                 \
            for (int32_t k = 0; k < count; ++k)                                                \
                file[k * kRegisterFile + kRegC] = ZELTRO_CHANNEL_VALUE(k);                     \
    }
    // Every channel's byte is found directly in the row; some channel's
    // value goes into the row too.
    bool direct = true, writesBytes = false;
    for (int32_t k = 0; k < count; ++k) {
        file[k * kRegisterFile + kRegZ] = k;
        direct = direct && lanes[k].source;
        writesBytes = writesBytes || lanes[k].at >= 0;
    }
    file[kRegY] = c.y;
    ZELTRO_PIXEL_LEAVES
    auto p = code;
// clang-format off
#if ZELTRO_COMPUTED_GOTO
#define ZLABEL(name) L_##name:
#define ZDISPATCH goto *p->handler;
#define ZNEXT { ++p; ZDISPATCH }
#define ZNEXTDATA { p += 2; ZDISPATCH }
#define ZJUMP(target) { p = code + (target); ZDISPATCH }
    ZDISPATCH
#else
    for (;;) {
        switch (p->code) {
#define ZLABEL(name) case name:
#define ZNEXT { ++p; continue; }
#define ZNEXTDATA { p += 2; continue; }
#define ZJUMP(target) { p = code + (target); continue; }
#endif
// clang-format on
#define ZPROGRAM programs[p->b]
#define ZCHANNEL p->b
#include "BytecodeVariants.inc"
#undef ZPROGRAM
#undef ZCHANNEL
#undef ZCELLS
#define ZCASE(name) ZLABEL(name)
    // acc is the channel's value: every code ends in an instruction
    // that sets one.
    ZCASE(cOutAtOnce)
    {
        ZELTRO_STORE(p->a, acc)
        ZNEXT;
    }
    ZCASE(cOutLast)
    {
        if (!writeAtOnce) {
            switch (count) {
            case 4: lanes[2].out[x] = file[lanes[2].result]; [[fallthrough]];
            case 3: lanes[1].out[x] = file[lanes[1].result]; [[fallthrough]];
            case 2: lanes[0].out[x] = file[lanes[0].result]; break;
            default: break;
            }
        }
        lanes[p->a].out[x] = acc;
        if (writesBytes)
            for (int32_t k = writeAtOnce ? count - 1 : 0; k < count; ++k)
                if (lanes[k].at >= 0)
                    ZELTRO_WRITE_BYTE(k, lanes[k].out[x])
        if (++x >= width) {
            ZELTRO_SAVE_RANDOM(c)
            return;
        }
        pixel += bpp;
        ZELTRO_PIXEL_LEAVES
        ZJUMP(0);
    }
#undef ZELTRO_CHANNEL_VALUE
#undef ZELTRO_STORE
#undef ZELTRO_WRITE_BYTE
#undef ZELTRO_PIXEL_LEAVES
    ZCASE(cEnd)
#if ZELTRO_COMPUTED_GOTO
    __builtin_unreachable();
#undef ZDISPATCH
#else
        default: return;
        }
    }
#endif
#undef ZCASE
#undef ZLABEL
#undef ZNEXT
#undef ZNEXTDATA
#undef ZJUMP
}

}  // namespace zeltro
