/* Formula grammar. Actions only build the tree (through ParseState);
 * they never evaluate. Token numbers are the node kinds they produce. */
%{
#include "ParseState.h"

#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
#define YYMALLOC zeltro::parseAlloc
#define YYFREE zeltro::parseFree

int yylex(void);
static void yyerror(const char*) {}

using zeltro::makeNode;

/* Builds a node; a failed allocation while building ends the parse. The
 * only limit on nesting is the parser's stack (YYMAXDEPTH): a chain of a
 * left-associative operator needs a few entries however long it is, and
 * every walk over the tree keeps its own stack or a bounded recursion. */
#define BUILD(target, expr) do { \
        (target) = (expr); \
        if (zeltro::parseFailed()) YYABORT; \
    } while (0)
%}

%code requires {
#include "zeltro.h"
}

%define parse.error simple
%union {
    int32_t number;
    FFNode* tree;
}

%token <number> NUMBER 312
%token <number> VAR 400
%token SEQ 258 ARGSEP 401 BADCLOSE 402
%token ABS 259 ADD 260 CNV 261 CTL 262 DIF 263 GET 264 PUT 265 MIN 266 MAX 267
%token MIX 268 RND 269 SCL 270 SQR 271 SRC 272 SUB 273 VAL 274 C2D 275 C2M 276
%token RAD 277 R2X 278 R2Y 279 SIN 280 COS 281 TAN 282 MAP 283 RST 284
%token DST 286 IVAR 287 ICNV 288 SRCMODE 289 ARAD 290 ASRC 291 STORAGE 292
%token FRG 293 BKG 294 POW 313
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
    : expr                      { zeltro::setRoot($1); }
    ;

expr
    : NUMBER                    { BUILD($$, makeNode(312, $1, 0)); }
    | VAR                       { BUILD($$, makeNode($1, 0, 0)); }
    | IVAR                      { BUILD($$, makeNode('i', 0, 0)); }
    | '(' expr ')'              { $$ = $2; }
    | expr SEQ expr             { BUILD($$, makeNode(258, 0, 2, $1, $3)); }
    | expr '?' expr ':' expr    { BUILD($$, makeNode('?', 0, 3, $1, $3, $5)); }
    | expr BITAND expr          { BUILD($$, makeNode(297, 0, 2, $1, $3)); }
    | expr BITOR expr           { BUILD($$, makeNode(296, 0, 2, $1, $3)); }
    | expr XOR expr             { BUILD($$, makeNode(295, 0, 2, $1, $3)); }
    | expr LOGAND expr          { BUILD($$, makeNode(299, 0, 2, $1, $3)); }
    | expr LOGOR expr           { BUILD($$, makeNode(298, 0, 2, $1, $3)); }
    | expr EQ expr              { BUILD($$, makeNode(300, 0, 2, $1, $3)); }
    | expr NE expr              { BUILD($$, makeNode(301, 0, 2, $1, $3)); }
    | expr LE expr              { BUILD($$, makeNode(302, 0, 2, $1, $3)); }
    | expr GE expr              { BUILD($$, makeNode(303, 0, 2, $1, $3)); }
    | expr LT expr              { BUILD($$, makeNode(304, 0, 2, $1, $3)); }
    | expr GT expr              { BUILD($$, makeNode(305, 0, 2, $1, $3)); }
    | expr '+' expr             { BUILD($$, makeNode('+', 0, 2, $1, $3)); }
    | expr '-' expr             { BUILD($$, makeNode('-', 0, 2, $1, $3)); }
    | expr '*' expr             { BUILD($$, makeNode('*', 0, 2, $1, $3)); }
    | expr '/' expr             { BUILD($$, makeNode('/', 0, 2, $1, $3)); }
    | expr '%' expr             { BUILD($$, makeNode('%', 0, 2, $1, $3)); }
    | expr SHL expr             { BUILD($$, makeNode(306, 0, 2, $1, $3)); }
    | expr SHR expr             { BUILD($$, makeNode(307, 0, 2, $1, $3)); }
    | '-' expr %prec UNARY      { BUILD($$, makeNode(308, 0, 1, $2)); }
    | '+' expr %prec UNARY      { BUILD($$, makeNode(309, 0, 1, $2)); }
    | '!' expr %prec UNARY      { BUILD($$, makeNode(310, 0, 1, $2)); }
    | '~' expr %prec UNARY      { BUILD($$, makeNode(311, 0, 1, $2)); }
    | fn1 '(' expr ')'          { BUILD($$, makeNode($<number>1, 0, 1, $3)); }
    | fn2 '(' expr ARGSEP expr ')'
                                { BUILD($$, makeNode($<number>1, 0, 2, $3, $5)); }
    | fn3 '(' expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, makeNode($<number>1, 0, 3, $3, $5, $7)); }
    | MIX '(' expr ARGSEP expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, makeNode(268, 0, 4, $3, $5, $7, $9)); }
    | SCL '(' expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, makeNode(270, 0, 5, $3, $5, $7, $9, $11)); }
    | fn10 '(' expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP
               expr ARGSEP expr ARGSEP expr ARGSEP expr ARGSEP expr ')'
                                { BUILD($$, makeNode($<number>1, 0, 10, $3, $5, $7, $9,
                                                 $11, $13, $15, $17, $19, $21)); }
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
    | MAP { $<number>$ = 283; } | IVAR { $<number>$ = 287; } | POW { $<number>$ = 313; }
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
