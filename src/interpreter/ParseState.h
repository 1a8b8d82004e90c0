#pragma once
// State of the parse in progress, shared by the generated scanner and
// grammar and by FFParse. The library is not reentrant, so these are
// process-wide; every allocation of a parse is recorded here so that a
// failed parse (syntax error, nesting too deep, exhausted memory) can
// release all of it.

#include "zeltro.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zeltro {

// Parenthesis depth of the scanner, 0 at the start of every parse.
extern int g_depth;

// malloc/realloc/free for the scanner's buffers and the parser's stack,
// recorded while a parse runs.
void* parseAlloc(std::size_t size);
void* parseRealloc(void* p, std::size_t size);
void parseFree(void* p);

// Makes a node with n children (given as FFNode* arguments) when the parse
// builds a tree; returns null when it only checks. A failed allocation
// marks the parse failed (parseFailed) and returns null.
FFNode* makeNode(int type, int value, int n, ...);
bool parseFailed();
void setRoot(FFNode* root);

// Scanner entry points (Scanner.l): start scanning a private copy of
// text, release everything the scanner holds.
bool scanText(const char* text);
void scannerRelease();
// Clears the scanner's state without freeing (after the arena freed it).
void scannerForget();
// Called by the scanner when it cannot allocate: abandons the parse.
[[noreturn]] void scannerFatal(const char* message);

}  // namespace zeltro

int yyparse(void);
