// FFParse and FFFree: running the generated scanner and grammar, and the
// bookkeeping that lets a failed parse release everything it allocated.

#include "ParseState.h"
#include "Program.h"

#include <csetjmp>
#include <cstdarg>
#include <cstdlib>

namespace zeltro {

int g_depth = 0;

namespace {

// Blocks of the scanner and parser stack that are currently allocated.
constexpr int kMaxBlocks = 64;
void* g_blocks[kMaxBlocks];
int g_blockCount = 0;

// Nodes made by the parse in progress (a malloc'd, growing array).
FFNode** g_nodes = nullptr;
std::size_t g_nodeCount = 0;
std::size_t g_nodeCapacity = 0;

bool g_build = false;
bool g_failed = false;
FFNode* g_root = nullptr;
std::jmp_buf g_fatalJump;

void rememberBlock(void* p)
{
    if (p && g_blockCount < kMaxBlocks)
        g_blocks[g_blockCount++] = p;
}

void forgetBlock(void* p)
{
    for (int i = 0; i < g_blockCount; ++i)
        if (g_blocks[i] == p) {
            g_blocks[i] = g_blocks[--g_blockCount];
            return;
        }
}

bool rememberNode(FFNode* node)
{
    if (g_nodeCount == g_nodeCapacity) {
        const std::size_t capacity = g_nodeCapacity ? g_nodeCapacity * 2 : 256;
        auto* grown = static_cast<FFNode**>(std::realloc(g_nodes, capacity * sizeof(FFNode*)));
        if (!grown)
            return false;
        g_nodes = grown;
        g_nodeCapacity = capacity;
    }
    g_nodes[g_nodeCount++] = node;
    return true;
}

// Frees every node of the failed parse one by one (their children are in
// the list too), and every scanner or stack block still held.
void releaseParse(bool keepNodes)
{
    if (!keepNodes)
        for (std::size_t i = 0; i < g_nodeCount; ++i) {
            std::free(g_nodes[i]->children);
            std::free(g_nodes[i]);
        }
    std::free(g_nodes);
    g_nodes = nullptr;
    g_nodeCount = g_nodeCapacity = 0;
    while (g_blockCount > 0)
        std::free(g_blocks[--g_blockCount]);
}

// Runs scanner and parser; only trivially destructible locals, since the
// scanner leaves through longjmp when it runs out of memory.
// Returns the parser's result, or -1 when the scanner ran out of memory.
int runParse(const char* text)
{
    if (setjmp(g_fatalJump) != 0)
        return -1;
    if (!scanText(text))
        return 1;
    const int result = yyparse();
    scannerRelease();
    return result;
}

}  // namespace

void* parseAlloc(std::size_t size)
{
    void* p = std::malloc(size);
    rememberBlock(p);
    return p;
}

void* parseRealloc(void* p, std::size_t size)
{
    void* grown = std::realloc(p, size);
    if (grown) {
        forgetBlock(p);
        rememberBlock(grown);
    }
    return grown;
}

void parseFree(void* p)
{
    forgetBlock(p);
    std::free(p);
}

FFNode* makeNode(int type, int value, int n, ...)
{
    if (!g_build || g_failed)
        return nullptr;
    auto* node = static_cast<FFNode*>(std::malloc(sizeof(FFNode)));
    FFNode** children = n > 0 ? static_cast<FFNode**>(std::malloc(sizeof(FFNode*) * n)) : nullptr;
    if (!node || (n > 0 && !children) || !rememberNode(node)) {
        std::free(node);
        std::free(children);
        g_failed = true;
        return nullptr;
    }
    node->type = type;
    node->value = value;
    node->count = n;
    node->children = children;
    va_list args;
    va_start(args, n);
    for (int i = 0; i < n; ++i)
        children[i] = va_arg(args, FFNode*);
    va_end(args);
    return node;
}

bool parseFailed()
{
    return g_failed;
}

void setRoot(FFNode* root)
{
    g_root = root;
}

void scannerFatal(const char*)
{
    std::longjmp(g_fatalJump, 1);
}

}  // namespace zeltro

using namespace zeltro;

extern "C" ZELTRO_API FFNode* FFParse(const char* text, int32_t* status, int32_t build)
{
    int32_t ignored = 0;
    int32_t& result = status ? *status : ignored;
    try {
        g_depth = 0;
        g_build = build != 0;
        g_failed = false;
        g_root = nullptr;
        int outcome = text ? runParse(text) : 1;
        if (outcome == -1) {
            // The scanner gave up: every block it and the parser held is
            // freed below, and its pointers are cleared.
            releaseParse(false);
            scannerForget();
            result = 1;
            return nullptr;
        }
        if (outcome == 0 && g_failed)
            outcome = 1;
        if (outcome != 0 && outcome != 2)
            outcome = 1;
        FFNode* root = outcome == 0 && g_build ? g_root : nullptr;
        releaseParse(root != nullptr);
        if (root && !registerTree(root)) {
            // No room for the compiled form: the tree still evaluates,
            // through a compilation per call.
        }
        result = outcome;
        return root;
    } catch (...) {
        releaseParse(false);
        result = 1;
        return nullptr;
    }
}

extern "C" ZELTRO_API void FFFree(FFNode* node)
{
    if (!node)
        return;
    // Forgetting a tree takes the registry's lock, which can throw; no
    // exception leaves the library (a tree left unfreed is leaked, never
    // freed twice).
    try {
        forgetTree(node);
        freeTree(node);
    } catch (...) {}
}
