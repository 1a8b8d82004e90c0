/* Formula grammar. Actions only build the tree (through ParseState);
 * they never evaluate. Token numbers are the node kinds they produce. */
%{
#include "ParseState.h"

#include <algorithm>

#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
#define YYMALLOC zeltro::parseAlloc
#define YYFREE zeltro::parseFree

int yylex(void);
static void yyerror(const char*) {}

using zeltro::makeNode;

/* Each expression carries its tree depth, in check mode too: a tree
 * deeper than the parser's stack could ever nest (a long chain of a
 * left-associative operator) ends the parse as too deep, so that no later
 * recursion over the tree can exhaust the machine stack. A failed
 * allocation while building ends the parse as well. */
#define BUILD(target, d, expr) do { \
        (target).depth = (d); \
        if ((target).depth > zeltro::kMaxTreeDepth) { zeltro::setTooDeep(); YYABORT; } \
        (target).node = (expr); \
        if (zeltro::parseFailed()) YYABORT; \
    } while (0)
#define D1(a) ((a).depth + 1)
#define D2(a, b) (std::max((a).depth, (b).depth) + 1)
#define D3(a, b, c) (std::max({(a).depth, (b).depth, (c).depth}) + 1)
%}

%code requires {
#include "zeltro.h"
struct ZeltroTree {
    FFNode* node;
    int32_t depth;
};
}

%define parse.error simple
%union {
    int32_t number;
    ZeltroTree tree;
}

%token <number> NUMBER 312
%token <number> VAR 400
%token SEQ 258 ARGSEP 401 BADCLOSE 402
%token ABS 259 ADD 260 CNV 261 CTL 262 DIF 263 GET 264 PUT 265 MIN 266 MAX 267
%token MIX 268 RND 269 SCL 270 SQR 271 SRC 272 SUB 273 VAL 274 C2D 275 C2M 276
%token RAD 277 R2X 278 R2Y 279 SIN 280 COS 281 TAN 282 MAP 283 RST 284
%token DST 286 IVAR 287 ICNV 288 SRCMODE 289 ARAD 290 ASRC 291 STORAGE 292
%token FRG 293 BKG 294
%token XOR 295 BITOR 296 BITAND 297 LOGOR 298 LOGAND 299
%token EQ 300 NE 301 LE 302 GE 303 LT 304 GT 305 SHL 306 SHR 307

%type <tree> expr

%left SEQ
%right '?' ':'
%left BITAND BITOR XOR
%right LOGAND LOGOR
%left EQ NE LT GT LE GE
%left '+' '-'
%left '*' '/' '%'
%right SHL SHR
%precedence UNARY

%%

formula
    : expr                      { zeltro::setRoot($1.node); }
    ;

expr
    : NUMBER                    { BUILD($$, 1, makeNode(312, $1, 0)); }
    | VAR                       { BUILD($$, 1, makeNode($1, 0, 0)); }
    | IVAR                      { BUILD($$, 1, makeNode('i', 0, 0)); }
    | '(' expr ')'              { $$ = $2; }
    | expr SEQ expr             { BUILD($$, D2($1, $3), makeNode(258, 0, 2, $1.node, $3.node)); }
    | expr '?' expr ':' expr    { BUILD($$, D3($1, $3, $5), makeNode('?', 0, 3, $1.node, $3.node, $5.node)); }
    | expr BITAND expr          { BUILD($$, D2($1, $3), makeNode(297, 0, 2, $1.node, $3.node)); }
    | expr BITOR expr           { BUILD($$, D2($1, $3), makeNode(296, 0, 2, $1.node, $3.node)); }
    | expr XOR expr             { BUILD($$, D2($1, $3), makeNode(295, 0, 2, $1.node, $3.node)); }
    | expr LOGAND expr          { BUILD($$, D2($1, $3), makeNode(299, 0, 2, $1.node, $3.node)); }
    | expr LOGOR expr           { BUILD($$, D2($1, $3), makeNode(298, 0, 2, $1.node, $3.node)); }
    | expr EQ expr              { BUILD($$, D2($1, $3), makeNode(300, 0, 2, $1.node, $3.node)); }
    | expr NE expr              { BUILD($$, D2($1, $3), makeNode(301, 0, 2, $1.node, $3.node)); }
    | expr LE expr              { BUILD($$, D2($1, $3), makeNode(302, 0, 2, $1.node, $3.node)); }
    | expr GE expr              { BUILD($$, D2($1, $3), makeNode(303, 0, 2, $1.node, $3.node)); }
    | expr LT expr              { BUILD($$, D2($1, $3), makeNode(304, 0, 2, $1.node, $3.node)); }
    | expr GT expr              { BUILD($$, D2($1, $3), makeNode(305, 0, 2, $1.node, $3.node)); }
    | expr '+' expr             { BUILD($$, D2($1, $3), makeNode('+', 0, 2, $1.node, $3.node)); }
    | expr '-' expr             { BUILD($$, D2($1, $3), makeNode('-', 0, 2, $1.node, $3.node)); }
    | expr '*' expr             { BUILD($$, D2($1, $3), makeNode('*', 0, 2, $1.node, $3.node)); }
    | expr '/' expr             { BUILD($$, D2($1, $3), makeNode('/', 0, 2, $1.node, $3.node)); }
    | expr '%' expr             { BUILD($$, D2($1, $3), makeNode('%', 0, 2, $1.node, $3.node)); }
    | expr SHL expr             { BUILD($$, D2($1, $3), makeNode(306, 0, 2, $1.node, $3.node)); }
    | expr SHR expr             { BUILD($$, D2($1, $3), makeNode(307, 0, 2, $1.node, $3.node)); }
    | '-' expr %prec UNARY      { BUILD($$, D1($2), makeNode(308, 0, 1, $2.node)); }
    | '+' expr %prec UNARY      { BUILD($$, D1($2), makeNode(309, 0, 1, $2.node)); }
    | '!' expr %prec UNARY      { BUILD($$, D1($2), makeNode(310, 0, 1, $2.node)); }
    | '~' expr %prec UNARY      { BUILD($$, D1($2), makeNode(311, 0, 1, $2.node)); }
    | fn1 '(' expr ')'          { BUILD($$, D1($3), makeNode($<number>1, 0, 1, $3.node)); }
    | fn2 '(' expr ARGSEP expr ')'
                                { BUILD($$, D2($3, $5), makeNode($<number>1, 0, 2, $3.node, $5.node)); }
    | fn3 '(' expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, D3($3, $5, $7), makeNode($<number>1, 0, 3, $3.node, $5.node, $7.node)); }
    | MIX '(' expr ARGSEP expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, std::max(D2($3, $5), D2($7, $9)), makeNode(268, 0, 4, $3.node, $5.node, $7.node, $9.node)); }
    | SCL '(' expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, std::max({D2($3, $5), D2($7, $9), D1($11)}), makeNode(270, 0, 5, $3.node, $5.node, $7.node, $9.node, $11.node)); }
    | fn10 '(' expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP
               expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, std::max({D2($3, $5), D2($7, $9), D2($11, $13), D2($15, $17), D2($19, $21)}),
                                        makeNode($<number>1, 0, 10, $3.node, $5.node, $7.node, $9.node,
                                                 $11.node, $13.node, $15.node, $17.node, $19.node, $21.node)); }
    ;

fn1
    : CTL { $<number>$ = 262; } | GET { $<number>$ = 264; } | ABS { $<number>$ = 259; }
    | SQR { $<number>$ = 271; } | SIN { $<number>$ = 280; } | COS { $<number>$ = 281; }
    | TAN { $<number>$ = 282; } | RST { $<number>$ = 284; } | SRCMODE { $<number>$ = 289; }
    | STORAGE { $<number>$ = 292; } | FRG { $<number>$ = 293; } | BKG { $<number>$ = 294; }
    ;
fn2
    : DIF { $<number>$ = 263; } | PUT { $<number>$ = 265; } | MIN { $<number>$ = 266; }
    | MAX { $<number>$ = 267; } | RND { $<number>$ = 269; } | C2D { $<number>$ = 275; }
    | C2M { $<number>$ = 276; } | R2X { $<number>$ = 278; } | R2Y { $<number>$ = 279; }
    | MAP { $<number>$ = 283; } | IVAR { $<number>$ = 287; }
    ;
fn3
    : SRC { $<number>$ = 272; } | ASRC { $<number>$ = 291; } | DST { $<number>$ = 286; }
    | RAD { $<number>$ = 277; } | ARAD { $<number>$ = 290; } | ADD { $<number>$ = 260; }
    | SUB { $<number>$ = 273; } | VAL { $<number>$ = 274; }
    ;
fn10
    : CNV { $<number>$ = 261; } | ICNV { $<number>$ = 288; }
    ;

%%
