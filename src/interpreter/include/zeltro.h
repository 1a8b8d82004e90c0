#pragma once
/*
 * zeltro: the Filter Factory formula interpreter.
 *
 * FFParse turns a formula text into an expression tree, FFPrepareExec
 * names the execution record, FFExec evaluates a tree for the pixel and
 * channel the record names, FFFree releases a tree. The library keeps
 * process-wide state (the prepared record, the parse in progress) and is
 * not reentrant: one parse or one FFExec at a time per process.
 *
 * The zeltro_ functions are extensions for a renderer that wants to
 * evaluate whole rows, possibly on several threads: they take the record
 * explicitly, never touch the global state and may run concurrently on
 * trees that FFParse built (zeltro_ExecRowInOrder, which writes its
 * record, on different records). Two more choose the rule set and reach
 * the seed variable that rst writes; like the prepared record these are
 * process-wide.
 *
 * Rule sets (zeltro_SetRules). The genuine rules, the default, give what
 * the filters themselves compute in their host; the classic rules are the
 * interpreter's earlier ones. They differ in:
 *   ?: && ||   genuine: every operand is evaluated (an operand without
 *              effects may still be skipped, as nothing can tell), the
 *              result chosen as before; classic: the operand not needed
 *              is skipped.
 *   get, put   outside the cells, genuine get(i) yields i and put(v, i)
 *              yields v; classic both yield 0.
 *   c2d, d     genuine: from the arc tangent of min/max of |x| and |y|
 *              (a table of 1025 entries, 1/1024 steps), classic: from
 *              atan(x / -|y|) in floating point.
 *   sin, cos   genuine: one cosine table whose fourth quadrant is shifted
 *              by one entry, sin(a) = cos(a - 256); classic: a sine and a
 *              cosine table.
 *   map        genuine: hi = lo != 0 gives 255 from n = lo on, hi < lo
 *              counts down from 255; classic: from n = lo + 1, and one
 *              formula for both directions.
 *   rnd, rst   genuine: the subtractive generator of 55 values (32-bit,
 *              wrapping), one draw per rnd, rst(i) sets the seed variable
 *              to i & 32767; classic: the linear congruential generator
 *              with 15-bit values, no draw for an empty range, rst does
 *              nothing.
 *   r2x, r2y,  genuine: (m * T[a] + 8191) >> 14 from a cosine table of
 *   rad, arad  scale 16384; classic: (m * cos[a]) / 512 and sine.
 * c2m, tan and pow follow one rule in both sets. pow(b, e) is b to the
 * e-th power with wrap-around (pow(0, 0) = 1); a negative exponent gives
 * 1 / b^-e truncated, so 1 for b = 1, +-1 for b = -1 and 0 otherwise.
 */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#if defined(ZELTRO_BUILDING)
#define ZELTRO_API __declspec(dllexport)
#else
#define ZELTRO_API __declspec(dllimport)
#endif
#else
#define ZELTRO_API __attribute__((visibility("default")))
#endif

/* Expression node: built by FFParse, freed by FFFree, opaque to the caller. */
typedef struct FFNode {
    int32_t type;             /* node kind: the token code of the construct */
    int32_t value;            /* constant of a number node (kind 312) */
    int32_t count;            /* number of children: 0, 1, 2, 3, 4, 5 or 10 */
    struct FFNode** children; /* count child pointers, or null when count is 0 */
} FFNode;

/* Execution record: owned and filled by the caller; FFExec writes only
 * storage/storageSize (storage), edgeMode (srcmode), the storage cells
 * (put) and error (unknown node kind). */
typedef struct FFExecRecord {
    int32_t D;                  /*  0 largest direction value */
    int32_t M;                  /*  1 largest magnitude value */
    int32_t x;                  /*  2 current column, 0 = left */
    int32_t y;                  /*  3 current row, 0 = top */
    int32_t X;                  /*  4 width */
    int32_t Y;                  /*  5 height */
    int32_t centreX;            /*  6 */
    int32_t centreY;            /*  7 */
    int32_t z;                  /*  8 current channel */
    int32_t Z;                  /*  9 bytes per pixel */
    int32_t t;                  /* 10 time value */
    int32_t total;              /* 11 total time */
    int32_t* storage;           /* 12 cells for get/put (malloc/calloc/free) */
    int32_t storageSize;        /* 13 number of cells */
    int32_t foreground[3];      /* 14-16 red, green, blue */
    int32_t background[3];      /* 17-19 red, green, blue */
    int32_t sliders[8];         /* 20-27 ctl(0) .. ctl(7) */
    const uint8_t* source;      /* 28 first byte of the source pixel rows */
    const uint8_t* destination; /* 29 first byte of the destination pixel rows */
    int8_t channelOffsets[4];   /* 30 byte offset of red, green, blue, alpha */
    int32_t bottomUp;           /* 31 nonzero: row y lies at memory row (Y-1)-y */
    int32_t edgeMode;           /* 32 out-of-image rule of the source fetch */
    int32_t largestColumn;      /* 33 X-1 */
    int32_t largestRow;         /* 34 Y-1 */
    int32_t stride;             /* 35 bytes from one memory row to the next */
    int32_t error;              /* 36 0, or the kind of the last unknown node */
} FFExecRecord;

/* Parses text (NUL-terminated, single-byte). Stores 0 (accepted),
 * 1 (syntax error, or memory exhausted) or 2 (nesting too deep) in
 * *status. Returns the root of a new tree when build is nonzero and the
 * text is accepted, otherwise null; nothing is left allocated on failure. */
ZELTRO_API FFNode* FFParse(const char* text, int32_t* status, int32_t build);

/* Names the record for every following FFExec; returns the same pointer. */
ZELTRO_API FFExecRecord* FFPrepareExec(FFExecRecord* record);

/* Evaluates node for the pixel and channel of the prepared record;
 * returns the unclamped value, 0 for a null node or no prepared record. */
ZELTRO_API int32_t FFExec(FFNode* node);

/* Frees a tree: children first, then the children array, then the node.
 * Ignores null. */
ZELTRO_API void FFFree(FFNode* node);

/* Properties of a tree, as bits (zeltro_Traits). */
enum {
    ZELTRO_USES_RANDOM = 1,        /* rnd: draws from the thread's generator */
    ZELTRO_WRITES_STORAGE = 2,     /* put or storage */
    ZELTRO_READS_STORAGE = 4,      /* get */
    ZELTRO_WRITES_EDGE_MODE = 8,   /* srcmode */
    ZELTRO_READS_DESTINATION = 16, /* dst */
    ZELTRO_UNKNOWN_KIND = 32,      /* a node kind the evaluator does not know */
    ZELTRO_WRITES_SEED = 64        /* rst under the genuine rules */
};
/* Returns the property bits of a tree under the current rule set; 0 for
 * null. A tree without ZELTRO_USES_RANDOM, ZELTRO_WRITES_STORAGE,
 * ZELTRO_WRITES_EDGE_MODE, ZELTRO_READS_DESTINATION and
 * ZELTRO_UNKNOWN_KIND gives the same value for a pixel whatever was
 * evaluated before it; one with ZELTRO_WRITES_SEED leaves the seed
 * variable as its last evaluation set it, so it is evaluated in order. */
ZELTRO_API int32_t zeltro_Traits(const FFNode* node);

/* Evaluates node for every column of row y, channel z, as FFExec would
 * one pixel at a time with x = 0 .. X-1, writing X values to out. Reads
 * record (fields x, y, z of it are ignored) and writes nothing to it, so
 * several threads may evaluate rows at once. Only for trees whose
 * zeltro_Traits show none of the order-dependent bits; returns 0 and
 * writes nothing for other trees, a null node, record or out, else 1. */
ZELTRO_API int32_t zeltro_ExecRow(const FFNode* node, const FFExecRecord* record, int32_t y, int32_t z, int32_t* out);

/* As zeltro_ExecRow for count channels of the same row: the values of
 * channel channels[k] go to out[k][0 .. X-1]. Parts of the tree that do not
 * depend on the channel are evaluated once. Returns 0 (writing nothing)
 * where zeltro_ExecRow would, or for a null channels, out or out[k]. */
ZELTRO_API int32_t zeltro_ExecRowChannels(const FFNode* node, const FFExecRecord* record, int32_t y, int32_t count,
                                          const int32_t* channels, int32_t* const* out);

/* Evaluates trees[k] as channel k (k = 0 .. count-1, count 1 to 4) for
 * every pixel of row y (0 .. largest row) in exactly the order of the
 * per-pixel loop: for x = 0 .. X-1, for k = 0 .. count-1, FFExec of
 * trees[k] with the record's x, y, z set to x, y, k. So rnd draws from the
 * calling thread's generator, put, get and storage see the cells as the
 * earlier evaluations left them, srcmode affects every later evaluation
 * and the record's error field is set as FFExec sets it. The value of
 * channel k at column x goes to out[k][x], unclamped. When destination is
 * not null (the writable pixel rows the record's destination names) and
 * bit k of writeMask is set, the value clamped to 0..255 is written to
 * byte channelOffsets[k] of the pixel right after its evaluation, so that
 * dst of a later channel or pixel reads it; a channel whose offset lies
 * outside the pixel is not written. Writes the record as FFExec does and
 * leaves its x, y, z at the last evaluation; ignores FFPrepareExec. Returns
 * 1 when the row was evaluated; 0, with nothing evaluated or written, for
 * a null argument (or trees[k], out[k]), a count outside 1..4, a row
 * outside the image, or memory exhausted before the first evaluation. */
ZELTRO_API int32_t zeltro_ExecRowInOrder(FFNode* const* trees, int32_t count, FFExecRecord* record, int32_t y,
                                         uint8_t* destination, int32_t writeMask, int32_t* const* out);

/* Restarts the calling thread's random generators at seed, so that a
 * rendering can repeat the sequence of rnd: the classic one at state seed,
 * the genuine one seeded with 161803398 - seed. A new thread starts them
 * at 1 (classic) and 0 (genuine). */
ZELTRO_API void zeltro_SeedRandom(uint32_t seed);

/* Rule sets of zeltro_SetRules. */
enum {
    ZELTRO_RULES_GENUINE = 0, /* what the filters compute in their host; the default */
    ZELTRO_RULES_CLASSIC = 1  /* the interpreter's earlier rules */
};
/* Makes rules the rule set of every later FFParse, FFExec and zeltro_
 * call in the process, for trees parsed before as well. Returns the rule
 * set in force before, or -1 (nothing changed) for an unknown value. */
ZELTRO_API int32_t zeltro_SetRules(int32_t rules);
/* Returns the rule set in force. */
ZELTRO_API int32_t zeltro_Rules(void);

/* The seed variable that rst(i) sets to i & 32767 under the genuine
 * rules (process-wide, 0 at start). A renderer seeds the generator from it
 * before a rendering and keeps it between renderings of one preview, so
 * that an rst takes effect from the next rendering on. */
ZELTRO_API void zeltro_SetSeed(int32_t seed);
ZELTRO_API int32_t zeltro_Seed(void);

#ifdef __cplusplus
}
#endif
