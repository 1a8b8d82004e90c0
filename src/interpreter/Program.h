#pragma once
// The compiled form of an expression tree: a flat array of operations
// with constant subtrees folded, the traits of the tree, and (for trees
// whose value cannot depend on evaluation order) a plan that evaluates a
// whole row at a time.

#include "Arith.h"
#include "zeltro.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zeltro {

// Node kinds as the grammar makes them; kUnknown marks a node the
// evaluator does not know (its kind is kept in value). The compiler's own
// kinds: kRndConst, rnd with constant bounds (the lower bound in value, the
// divisor with its reciprocal in three kids cells from first); kQuoConst
// and kRemConst, "/" and "%" by a constant of magnitude 2 or more (the
// divisor in value, the dividend's op and the reciprocal in three kids
// cells from first, count 1).
//
// Under the genuine rules the nodes whose rule differs compile to kinds of
// their own (see Program::kindFor): kCondAll, kLogAndAll and kLogOrAll
// evaluate every operand (made only where an operand that the classic
// rules skip has an effect); kRndConstG is rnd with constant bounds of a
// non-empty range of 2 or more (as kRndConst, the 32-bit range's magnitude
// 0 for 2^32), kRndDrawK a draw that yields the constant in value.
// clang-format off
enum Kind : int32_t {
    kNumber = 312, kSequence = 258, kUnknown = -1, kRndConst = -6, kQuoConst = -7, kRemConst = -8,
    kAbs = 259, kAdd = 260, kCnv = 261, kCtl = 262, kDif = 263, kGet = 264, kPut = 265,
    kMin = 266, kMax = 267, kMix = 268, kRnd = 269, kScl = 270, kSqr = 271, kSrc = 272,
    kSub = 273, kVal = 274, kC2d = 275, kC2m = 276, kRad = 277, kR2x = 278, kR2y = 279,
    kSin = 280, kCos = 281, kTan = 282, kMap = 283, kRst = 284, kTotal = 285, kDst = 286,
    kIxy = 287, kIcnv = 288, kSrcmode = 289, kArad = 290, kAsrc = 291, kStorage = 292,
    kFrg = 293, kBkg = 294, kXor = 295, kBitOr = 296, kBitAnd = 297, kLogOr = 298,
    kLogAnd = 299, kEq = 300, kNe = 301, kLe = 302, kGe = 303, kLt = 304, kGt = 305,
    kShl = 306, kShr = 307, kNeg = 308, kPlus = 309, kNot = 310, kCompl = 311, kPow = 313,
    kCondAll = -10, kLogAndAll = -11, kLogOrAll = -12, kGetG = -13, kPutG = -14, kC2dG = -15,
    kDirG = -16, kSinG = -17, kCosG = -18, kMapG = -19, kRndG = -20, kRstG = -21, kR2xG = -22,
    kR2yG = -23, kRadG = -24, kAradG = -25, kRndConstG = -26, kRndDrawK = -27
};
// clang-format on

// The rule sets, numbered as zeltro_SetRules numbers them.
enum class Rules : int32_t { Genuine = ZELTRO_RULES_GENUINE, Classic = ZELTRO_RULES_CLASSIC };

// The effects an evaluation can have that a later one may see.
constexpr int32_t kSideEffects =
    ZELTRO_USES_RANDOM | ZELTRO_WRITES_STORAGE | ZELTRO_WRITES_EDGE_MODE | ZELTRO_UNKNOWN_KIND | ZELTRO_WRITES_SEED;

// Number of children a kind takes, or -1 for a kind that is not known.
int childCount(int32_t kind);

struct Op {
    int32_t kind;
    int32_t value;
    int32_t count;
    int32_t first;   // index of the first child in Program::kids
    int32_t traits;  // zeltro_Traits bits of the subtree
};

// What one evaluation sees: the record, the pixel and channel, and the
// random generators of the calling thread.
// The coordinates are kept in another order than in the record: the caller
// has just stored x, y and z one by one, and a combined wider load of the
// adjacent x and y would stall on store forwarding.
struct Context {
    FFExecRecord* record;
    RandomState* random;
    int32_t z;
    int32_t y;
    int32_t x;
    // The source row of y, for the register code (set by whoever runs it).
    const uint8_t* row = nullptr;
    // Bytes per pixel of that row, for the code of a whole row.
    intptr_t bpp = 0;
};

class RowPlan;

class Program {
public:
    // Compiles a tree for a rule set; throws std::bad_alloc when memory
    // runs out.
    Program(const FFNode* root, Rules rules);
    ~Program();

    int32_t traits() const { return m_traits; }
    Rules rules() const { return m_rules; }
    // Value of the tree for the pixel and channel of the context: through
    // the register code when there is one, else the recursive walk when
    // the tree is shallow, else the walk with its own stack.
    int32_t evaluate(Context& context) const
    {
        if (!m_code.empty())
            return run(context);
        return m_deep ? evalIterative(m_root, context) : eval(m_root, context);
    }
    // Value of op index by the recursive walk; only for programs that are
    // not deep(), whose recursion is bounded by kMaxRecursiveHeight.
    int32_t eval(int32_t index, Context& context) const;
    // Value of op index by a walk that keeps its own stack on the heap, in
    // exactly the order of eval(); for trees of any height.
    int32_t evalIterative(int32_t index, Context& context) const;
    // True when the tree is higher than the recursive walks may go.
    bool deep() const { return m_deep; }
    const Op& op(int32_t index) const { return m_ops[index]; }
    const int32_t* kids(const Op& o) const { return m_kids.data() + o.first; }
    int32_t root() const { return m_root; }
    // Row plan, or null when the tree's value depends on evaluation order.
    const RowPlan* rowPlan() const { return m_plan.get(); }

    // Trees up to this height are walked recursively (the evaluation and
    // the row planner); their frames stay far below any thread's stack.
    // Higher trees, which a left-leaning chain makes from a short text, are
    // walked with a stack of their own.
    static constexpr int32_t kMaxRecursiveHeight = 128;

private:
    struct Marks {
        std::size_t ops;
        std::size_t kids;
    };
    struct Frame;
    int32_t compile(const FFNode* root);
    // The kind a node of type compiles to under the rule set (children
    // given for the operators that evaluate every operand).
    int32_t kindFor(int32_t type, const int32_t* children, int32_t count) const;
    // The operand of op that an iterative step needs next, or its value.
    bool step(const Op& o, Frame& f, Context& c, int32_t& want, int32_t& value) const;
    int32_t applyWide(const Op& o, const int32_t* v, Context& c) const;
    [[gnu::noinline]] int32_t finish(int32_t kind, const int32_t* children, int32_t count, const Marks& marks);
    [[gnu::noinline]] int32_t push(int32_t kind, int32_t value, const int32_t* children, int32_t count);
    int32_t evalWide(const Op& o, const int32_t* k, Context& c) const;
    int32_t evalTrig(const Op& o, const int32_t* k, Context& c, const int32_t* table) const;
    // Value of a child: constants and coordinates without a call.
    int32_t child(int32_t index, Context& c) const
    {
        const Op& o = m_ops[index];
        switch (o.kind) {
        case kNumber: return o.value;
        case 'x': return c.x;
        case 'y': return c.y;
        case 'z': return c.z;
        default: return eval(index, c);
        }
    }
    int32_t pushRandom(int32_t low, int32_t high);
    int32_t pushRandomGenuine(int32_t low, int32_t high);
    int32_t pushRange(int32_t kind, int32_t low, uint32_t magnitude, uint64_t reciprocal);
    void useConstantDivisors();
    int32_t divideByConstant(const Op& o, int32_t a) const;

    Rules m_rules;
    std::vector<Op> m_ops;
    std::vector<int32_t> m_kids;
    int32_t m_root = 0;
    int32_t m_traits = 0;
    bool m_deep = false;
    std::unique_ptr<RowPlan> m_plan;

    // Straight-line code over registers for the pixel-by-pixel evaluation
    // of trees that are not deep() (Bytecode.cpp): the same operations in
    // the same order as eval(), without a call per node; subtrees of kinds
    // it does not handle itself are handed to eval().
    // An instruction, or the data slot after one that needs more: for
    // cRndConst the divisor's magnitude (code), its reciprocal's halves (d,
    // a) and the lower bound (b); for cQuoConst and cRemConst the divisor
    // and the reciprocal's halves.
    struct Insn {
        int32_t code;
        int32_t d;  // result register
        int32_t a;  // operand register, constant or op index
        int32_t b;  // second operand register or jump target
    };
    // Scratch registers, then the registers that hold x, y, z and c of the
    // evaluation before its code starts: leaves cost no instruction.
    static constexpr int32_t kMaxRegisters = 64;
    static constexpr int32_t kRegX = kMaxRegisters, kRegY = kRegX + 1, kRegZ = kRegX + 2, kRegC = kRegX + 3;
    static constexpr int32_t kRegisterFile = kRegC + 1;
    void buildCode();
    void useAccumulator();
    bool gen(int32_t op, int32_t reg);
    int32_t operand(int32_t op, int32_t reg);
    bool genEffects(int32_t op, int32_t reg);
    bool genBranchUnless(int32_t op, int32_t reg, std::vector<int32_t>& patches);
    int32_t emitInsn(int32_t code, int32_t d, int32_t a, int32_t b);
    void emitDivision(int32_t op, int32_t reg, int32_t a);
    void emitRandom(int32_t op, int32_t reg);
    int32_t run(Context& context) const;
    std::vector<Insn> m_code;
    bool m_readsC = false;  // the code reads kRegC

public:
    // True when the program has register code (it is not deep() and its
    // code fits its limits); runCode() is then its value for a context
    // whose row is the source row of its y. Inlined into the row loops.
    bool hasCode() const { return !m_code.empty(); }
    // Runs row y of count programs (all hasCode(), count 1..4) in the
    // per-pixel order: for x = 0 .. width-1, channel k by programs[k]; the
    // value goes to out[k][x] and, where at[k] >= 0, clamped to byte at[k]
    // of the pixel in row: at once when writeAtOnce (something may read
    // it before the pixel is done), else once the pixel's last channel is
    // evaluated. channels[k], when not null, is channel k's byte of pixel
    // 0 in the source row, pixels being bpp bytes apart. The context names
    // the record, the row and bpp. Throws std::bad_alloc (before any
    // evaluation) when its code finds no memory.
    static void runRow(const Program* const* programs, int32_t count, Context& context, int32_t width, uint8_t* row,
                       const int32_t* at, const uint8_t* const* channels, int32_t* const* out, bool writeAtOnce);
    [[gnu::always_inline]] inline int32_t runCode(Context& context) const;
    [[gnu::always_inline]] inline void loadLeaves(int32_t* registers, const Context& context) const;
};

// Evaluates programs[k] as channel k (k < count) for every pixel of row y,
// pixel by pixel and channel by channel in that order, exactly as FFExec
// called in that order would, with the calling thread's random generator.
// Value of channel k of column x goes to out[k][x]; when bit k of
// writeMask is set and destination is not null, the value clamped to
// 0..255 is written at once to byte channelOffsets[k] of the pixel in
// destination (laid out as the record's destination), so that dst sees it
// when the next channel is evaluated. Leaves x, y and z of the record at
// the last evaluation. A failed evaluation (memory) yields 0, as in FFExec.
void execRowInOrder(const Program* const* programs, int32_t count, FFExecRecord& record, int32_t y,
                    uint8_t* destination, int32_t writeMask, int32_t* const* out);

// The rule set in force (zeltro_SetRules).
Rules currentRules();

// The seed variable of rst under the genuine rules.
void setSeedVariable(int32_t seed);
int32_t seedVariable();

// Registry of the trees FFParse built, mapping each root to its programs,
// one per rule set, the second compiled when it is first asked for.
bool registerTree(const FFNode* root);
void forgetTree(const FFNode* root);
// Program of a registered root for the rule set, or null (not registered,
// or no memory to compile it).
const Program* findProgram(const FFNode* root, Rules rules);
// Invalidates cached registry look-ups (Api.cpp).
void registryChanged();
// Frees a tree node by node, without recursion.
void freeTree(FFNode* node);

// The random generators of the calling thread (the classic one starts at
// 1, the genuine one seeded with 0).
RandomState& threadRandom();

}  // namespace zeltro
