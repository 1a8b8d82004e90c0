#pragma once
// Arithmetic of the formula language: signed 32-bit values with
// two's-complement wrap-around, computed in unsigned types so that no
// operation is ever undefined (overflow, the most negative value divided
// by -1, shifts by 32 or more).

#include <cmath>
#include <cstdint>

namespace zeltro {

inline int32_t wrap(uint32_t v)
{
    return static_cast<int32_t>(v);
}
inline uint32_t u(int32_t v)
{
    return static_cast<uint32_t>(v);
}

inline int32_t add(int32_t a, int32_t b)
{
    return wrap(u(a) + u(b));
}
inline int32_t sub(int32_t a, int32_t b)
{
    return wrap(u(a) - u(b));
}
inline int32_t mul(int32_t a, int32_t b)
{
    return wrap(u(a) * u(b));
}
inline int32_t neg(int32_t a)
{
    return wrap(0u - u(a));
}
inline int32_t absw(int32_t a)
{
    return a < 0 ? neg(a) : a;
}

// a quo b, truncating; 0 for b = 0; the most negative value quo -1 is
// itself (wrap-around).
inline int32_t quo(int32_t a, int32_t b)
{
    if (b == 0)
        return 0;
    if (b == -1)
        return neg(a);
    return a / b;
}

// a rem b, sign of a; 0 for b = 0 and for b = -1.
inline int32_t rem(int32_t a, int32_t b)
{
    if (b == 0 || b == -1)
        return 0;
    return a % b;
}

inline int32_t shl(int32_t a, int32_t b)
{
    return wrap(u(a) << (u(b) & 31u));
}
inline int32_t shr(int32_t a, int32_t b)
{
    return a >> (u(b) & 31u);
}

// Largest s with s*s <= v: the double square root, which is within one
// of it for every 32-bit v, put right.
inline int32_t isqrt(uint32_t v)
{
    uint64_t s = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
    if (s * s > v)
        --s;
    else if ((s + 1) * (s + 1) <= v)
        ++s;
    return static_cast<int32_t>(s);
}

inline int32_t sqrw(int32_t a)
{
    return a < 0 ? 0 : isqrt(u(a));
}

inline int32_t c2m(int32_t x, int32_t y)
{
    return isqrt(u(x) * u(x) + u(y) * u(y));
}

int32_t c2d(int32_t x, int32_t y);
// c2d(x0 + i, y) into out[i] for i < count (x0 + i without overflow).
void c2dRow(int32_t x0, int32_t y, int32_t count, int32_t* out);

// Angle tables of 1024 entries (sine and cosine scaled by 512, tangent
// by 1024) and the lookup of an angle.
extern const int32_t* const g_sine;
extern const int32_t* const g_cosine;
extern const int32_t* const g_tangent;

inline int32_t angleIndex(int32_t a)
{
    return a >= 0 ? a % 1024 : 1023 + a % 1024;
}

inline int32_t r2x(int32_t d, int32_t m)
{
    return quo(mul(m, g_cosine[angleIndex(d)]), 512);
}
inline int32_t r2y(int32_t d, int32_t m)
{
    return quo(mul(m, g_sine[angleIndex(d)]), 512);
}

inline int32_t mixw(int32_t a, int32_t b, int32_t n, int32_t d)
{
    if (d == 0)
        return 0;
    return add(quo(mul(a, n), d), quo(mul(b, sub(d, n)), d));
}

inline int32_t sclw(int32_t a, int32_t il, int32_t ih, int32_t ol, int32_t oh)
{
    if (ih == il)
        return 0;
    return add(ol, quo(mul(sub(oh, ol), sub(a, il)), sub(ih, il)));
}

// ---- the genuine rule set ----------------------------------------------

// trunc(atan(q / 1024) * 512 / pi) for q = 0 .. 1024; the cosine table of
// the genuine rules (scale 512, its fourth quadrant one entry further on);
// the table of r2x and r2y (scale 16384).
extern const int32_t* const g_arcTangent;
extern const int32_t* const g_cosineGenuine;
extern const int32_t* const g_radius;

// Direction of (x, y): the arc tangent of the smaller of |x|, |y| over the
// larger, in 1/1024 steps, turned into the octant of (x, y).
inline int32_t c2dGenuine(int32_t x, int32_t y)
{
    const uint32_t ax = x < 0 ? 0u - u(x) : u(x);
    const uint32_t ay = y < 0 ? 0u - u(y) : u(y);
    const uint32_t mx = ax > ay ? ax : ay;
    const uint32_t mn = ax > ay ? ay : ax;
    uint32_t q = 0;
    if (mx != 0)
        q = mn < (1u << 22) ? (mn << 10) / mx : static_cast<uint32_t>((static_cast<uint64_t>(mn) << 10) / mx);
    int32_t a = g_arcTangent[q];
    if (ax < ay)
        a = 256 - a;
    if (x < 0)
        a = 512 - a;
    return y < 0 ? -a : a;
}

inline int32_t cosGenuine(int32_t a)
{
    return g_cosineGenuine[angleIndex(a)];
}
// Through the same lookup, so not periodic in a the way cos is.
inline int32_t sinGenuine(int32_t a)
{
    return g_cosineGenuine[angleIndex(sub(a, 256))];
}

inline int32_t r2xGenuine(int32_t d, int32_t m)
{
    return add(mul(m, g_radius[angleIndex(d)]), 8191) >> 14;
}

// (d - 256) mod 1024, non-negative: the low bits of the wrapped difference.
inline int32_t r2yGenuine(int32_t d, int32_t m)
{
    return add(mul(m, g_radius[(u(d) - 256u) & 1023u]), 8191) >> 14;
}

inline int32_t mapGenuine(int32_t n, int32_t hi, int32_t lo)
{
    if (hi == lo)
        return hi == 0 || n >= lo ? 255 : 0;
    if (hi > lo)
        return quo(mul(sub(n, lo), 255), sub(hi, lo));
    return sub(255, quo(mul(sub(n, hi), 255), sub(lo, hi)));
}

// b to the e-th power, wrapping as repeated multiplication does; for a
// negative e, 1 / b^-e truncated as the language divides (by zero: 0).
inline int32_t poww(int32_t b, int32_t e)
{
    if (e < 0)
        return b == 1 ? 1 : (b == -1 ? ((e & 1) ? -1 : 1) : 0);
    uint32_t result = 1, base = u(b);
    for (uint32_t n = u(e); n != 0; n >>= 1) {
        if (n & 1u)
            result *= base;
        base *= base;
    }
    return wrap(result);
}

// The generators of a thread: the classic linear congruential one and
// the genuine subtractive one (55 values in table[1..55]; each value is
// table[next] less the one 31 entries on, which stays that far ahead).
struct RandomState {
    uint32_t lcg = 1;
    int32_t next = 0;
    uint32_t table[56] = {};
};

// The subtractive generator seeded as the genuine rules seed it: from
// 161803398 - seed, the 21 i mod 55 fill and four warm-up passes, every
// value wrapping at 32 bits.
constexpr void seedSubtractive(RandomState& s, uint32_t seed)
{
    uint32_t mj = 161803398u - seed;
    uint32_t mk = 1;
    s.table[55] = mj;
    for (int i = 1; i < 55; ++i) {
        const int ii = (21 * i) % 55;
        s.table[ii] = mk;
        mk = mj - mk;
        mj = s.table[ii];
    }
    for (int pass = 0; pass < 4; ++pass)
        for (int i = 1; i < 56; ++i)
            s.table[i] -= s.table[1 + (i + 30) % 55];
    s.next = 0;
}

// The next value, the index held apart (in a register while a row runs).
inline uint32_t nextSubtractive(uint32_t* table, int32_t& next)
{
    next = next == 55 ? 1 : next + 1;
    const int32_t ahead = next + 31 > 55 ? next - 24 : next + 31;
    const uint32_t v = table[next] - table[ahead];
    table[next] = v;
    return v;
}

inline uint32_t nextSubtractive(RandomState& s)
{
    return nextSubtractive(s.table, s.next);
}

// rnd(a, b) by the genuine rule from the value drawn for it: a plus the
// value modulo the range for b >= a, else 0.
inline int32_t rndGenuineOf(uint32_t v, int32_t a, int32_t b)
{
    if (b < a)
        return 0;
    const uint64_t n = static_cast<uint64_t>(static_cast<int64_t>(b) - a) + 1;
    return wrap(u(a) + static_cast<uint32_t>(v % n));
}

// One draw, then rndGenuineOf.
inline int32_t rndGenuine(int32_t a, int32_t b, RandomState& s)
{
    return rndGenuineOf(nextSubtractive(s), a, b);
}

// ---- the classic rule set ----------------------------------------------

// Next value of the linear congruential generator, 0..32767.
inline int32_t nextRandom(uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 32767u);
}

inline int32_t rndw(int32_t a, int32_t b, uint32_t& state)
{
    const int32_t n = add(sub(b, a), 1);
    if (n == 0)
        return 0;
    return add(a, rem(nextRandom(state), n));
}

}  // namespace zeltro
