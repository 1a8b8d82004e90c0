#pragma once
// The compiled form of an expression tree: a flat array of operations
// with constant subtrees folded, the traits of the tree, and (for trees
// whose value cannot depend on evaluation order) a plan that evaluates a
// whole row at a time.

#include "zeltro.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zeltro {

// Node kinds as the grammar makes them; kUnknown marks a node the
// evaluator does not know (its kind is kept in value).
enum Kind : int32_t {
    kNumber = 312, kSequence = 258, kUnknown = -1,
    kAbs = 259, kAdd = 260, kCnv = 261, kCtl = 262, kDif = 263, kGet = 264, kPut = 265,
    kMin = 266, kMax = 267, kMix = 268, kRnd = 269, kScl = 270, kSqr = 271, kSrc = 272,
    kSub = 273, kVal = 274, kC2d = 275, kC2m = 276, kRad = 277, kR2x = 278, kR2y = 279,
    kSin = 280, kCos = 281, kTan = 282, kMap = 283, kRst = 284, kTotal = 285, kDst = 286,
    kIxy = 287, kIcnv = 288, kSrcmode = 289, kArad = 290, kAsrc = 291, kStorage = 292,
    kFrg = 293, kBkg = 294, kXor = 295, kBitOr = 296, kBitAnd = 297, kLogOr = 298,
    kLogAnd = 299, kEq = 300, kNe = 301, kLe = 302, kGe = 303, kLt = 304, kGt = 305,
    kShl = 306, kShr = 307, kNeg = 308, kPlus = 309, kNot = 310, kCompl = 311
};

// Number of children a kind takes, or -1 for a kind that is not known.
int childCount(int32_t kind);

struct Op {
    int32_t kind;
    int32_t value;
    int32_t count;
    int32_t first;  // index of the first child in Program::kids
    int32_t traits; // zeltro_Traits bits of the subtree
};

// What one evaluation sees: the record, the pixel and channel, and the
// random generator of the calling thread.
// The coordinates are kept in another order than in the record: the caller
// has just stored x, y and z one by one, and a combined wider load of the
// adjacent x and y would stall on store forwarding.
struct Context {
    FFExecRecord* record;
    uint32_t* random;
    int32_t z;
    int32_t y;
    int32_t x;
};

class RowPlan;

class Program {
public:
    // Compiles a tree; throws std::bad_alloc when memory runs out.
    explicit Program(const FFNode* root);
    ~Program();

    int32_t traits() const { return m_traits; }
    // Value of the tree for the pixel and channel of the context.
    int32_t evaluate(Context& context) const { return eval(m_root, context); }
    int32_t eval(int32_t index, Context& context) const;
    const Op& op(int32_t index) const { return m_ops[index]; }
    const int32_t* kids(const Op& o) const { return m_kids.data() + o.first; }
    int32_t root() const { return m_root; }
    // Row plan, or null when the tree's value depends on evaluation order.
    const RowPlan* rowPlan() const { return m_plan.get(); }

private:
    struct Marks {
        std::size_t ops;
        std::size_t kids;
    };
    [[gnu::noinline]] int32_t compile(const FFNode* node);
    [[gnu::noinline]] int32_t finish(int32_t kind, const int32_t* children, int32_t count, const Marks& marks);
    [[gnu::noinline]] int32_t push(int32_t kind, int32_t value, const int32_t* children, int32_t count);
    int32_t evalWide(const Op& o, const int32_t* k, Context& c) const;
    int32_t evalTrig(const Op& o, const int32_t* k, Context& c, const int32_t* table) const;

    std::vector<Op> m_ops;
    std::vector<int32_t> m_kids;
    int32_t m_root = 0;
    int32_t m_traits = 0;
    std::unique_ptr<RowPlan> m_plan;
};

// Registry of the trees FFParse built, mapping each root to its program.
bool registerTree(const FFNode* root);
void forgetTree(const FFNode* root);
// Program of a registered root, or null.
const Program* findProgram(const FFNode* root);
// Invalidates cached registry look-ups (Api.cpp).
void registryChanged();
// Frees a tree node by node.
void freeTree(FFNode* node);

// The random generator state of the calling thread (starts at 1).
uint32_t& threadRandom();

}  // namespace zeltro
