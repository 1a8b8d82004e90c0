#pragma once
// Arithmetic of the formula language: signed 32-bit values with
// two's-complement wrap-around, computed in unsigned types so that no
// operation is ever undefined (overflow, the most negative value divided
// by -1, shifts by 32 or more).

#include <cmath>
#include <cstdint>

namespace zeltro {

inline int32_t wrap(uint32_t v) { return static_cast<int32_t>(v); }
inline uint32_t u(int32_t v) { return static_cast<uint32_t>(v); }

inline int32_t add(int32_t a, int32_t b) { return wrap(u(a) + u(b)); }
inline int32_t sub(int32_t a, int32_t b) { return wrap(u(a) - u(b)); }
inline int32_t mul(int32_t a, int32_t b) { return wrap(u(a) * u(b)); }
inline int32_t neg(int32_t a) { return wrap(0u - u(a)); }
inline int32_t absw(int32_t a) { return a < 0 ? neg(a) : a; }

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

inline int32_t shl(int32_t a, int32_t b) { return wrap(u(a) << (u(b) & 31u)); }
inline int32_t shr(int32_t a, int32_t b) { return a >> (u(b) & 31u); }

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

inline int32_t sqrw(int32_t a) { return a < 0 ? 0 : isqrt(u(a)); }

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

inline int32_t r2x(int32_t d, int32_t m) { return quo(mul(m, g_cosine[angleIndex(d)]), 512); }
inline int32_t r2y(int32_t d, int32_t m) { return quo(mul(m, g_sine[angleIndex(d)]), 512); }

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
