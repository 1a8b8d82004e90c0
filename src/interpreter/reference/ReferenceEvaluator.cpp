// The reference walk, written straight from the language's rules, with
// its own arithmetic helpers so that it checks the library's.

#include "ReferenceEvaluator.h"

#include <cmath>
#include <cstdlib>

namespace zeltro {
extern const int32_t* const g_sine;
extern const int32_t* const g_cosine;
extern const int32_t* const g_tangent;
}  // namespace zeltro

namespace zeltro::reference {
namespace {

uint32_t g_random = 1;
bool g_genuine = true;
int32_t g_seed = 0;

using I = int32_t;
using U = uint32_t;

I W(int64_t v)
{
    return static_cast<I>(static_cast<U>(static_cast<uint64_t>(v)));
}
I Quo(I a, I b)
{
    return b == 0 ? 0 : W(static_cast<int64_t>(a) / b);
}
I Rem(I a, I b)
{
    return b == 0 ? 0 : W(static_cast<int64_t>(a) % b);
}
I Abs(I a)
{
    return W(a < 0 ? -static_cast<int64_t>(a) : a);
}
I Isqrt(uint64_t v)
{
    uint64_t s = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
    while (s * s > v)
        --s;
    while ((s + 1) * (s + 1) <= v)
        ++s;
    return static_cast<I>(s);
}
I Lookup(const int32_t* table, I a)
{
    return table[a >= 0 ? a % 1024 : 1023 + a % 1024];
}
I C2d(I x, I y)
{
    if (y == 0)
        return x >= 0 ? 0 : 512;
    const double v = 256 + std::atan(static_cast<double>(x) / static_cast<double>(W(-static_cast<int64_t>(Abs(y))))) *
                               163.0054122890799;
    const I t = static_cast<I>(v);
    return y > 0 ? t : W(-static_cast<int64_t>(t));
}
I C2m(I x, I y)
{
    const U sum = static_cast<U>(W(static_cast<int64_t>(x) * x)) + static_cast<U>(W(static_cast<int64_t>(y) * y));
    return Isqrt(sum);
}

// ---- the genuine rules, each straight from its statement -------------

constexpr double kPi = 3.14159265358979323846;

// The subtractive generator: 55 values, every one an unsigned 32-bit
// integer, indices 31 apart.
struct Subtractive {
    uint32_t ma[56] = {};
    int inext = 0;
    int inextp = 31;

    void seed(uint32_t s)
    {
        uint32_t mj = 161803398u - s;
        ma[55] = mj;
        uint32_t mk = 1;
        for (int i = 1; i <= 54; ++i) {
            const int ii = (21 * i) % 55;
            ma[ii] = mk;
            mk = mj - mk;
            mj = ma[ii];
        }
        for (int k = 1; k <= 4; ++k)
            for (int i = 1; i <= 55; ++i)
                ma[i] -= ma[1 + (i + 30) % 55];
        inext = 0;
        inextp = 31;
    }
    uint32_t next()
    {
        if (++inext == 56)
            inext = 1;
        if (++inextp == 56)
            inextp = 1;
        ma[inext] -= ma[inextp];
        return ma[inext];
    }
};

Subtractive& subtractive()
{
    static Subtractive generator = [] {
        Subtractive g;
        g.seed(0);
        return g;
    }();
    return generator;
}

// The table index of an angle: a mod 1024, or 1023 + (a rem 1024) below 0.
I Look(I a)
{
    return a >= 0 ? a % 1024 : 1023 + a % 1024;
}

I GenuineCos(I a)
{
    const I i = Look(a);
    if (g_cosine[i] < 0)
        return g_cosine[i];  // the classic negative entries stand
    return static_cast<I>(512.0 * std::cos(2.0 * kPi * (i < 768 ? i : i + 1) / 1024.0));
}

I GenuineSin(I a)
{
    return GenuineCos(W(static_cast<int64_t>(a) - 256));
}

I Q(int k)
{
    return static_cast<I>(16384.0 * std::cos(2.0 * kPi * k / 1024.0));
}

I T(int i)
{
    if (i <= 256)
        return Q(i);
    if (i <= 511)
        return -Q(512 - i);
    if (i <= 767)
        return -Q(i - 512);
    return Q(1023 - i);
}

I GenuineR2x(I d, I m)
{
    return W(static_cast<int64_t>(W(static_cast<int64_t>(m) * T(Look(d)))) + 8191) >> 14;
}

I GenuineR2y(I d, I m)
{
    const int64_t k = ((static_cast<int64_t>(d) - 256) % 1024 + 1024) % 1024;
    return W(static_cast<int64_t>(W(static_cast<int64_t>(m) * T(static_cast<int>(k)))) + 8191) >> 14;
}

I GenuineC2d(I x, I y)
{
    const int64_t ax = x < 0 ? -static_cast<int64_t>(x) : x;
    const int64_t ay = y < 0 ? -static_cast<int64_t>(y) : y;
    const int64_t mx = ax > ay ? ax : ay;
    const int64_t mn = ax > ay ? ay : ax;
    const int64_t q = mx == 0 ? 0 : mn * 1024 / mx;
    const I t = static_cast<I>(std::atan(static_cast<double>(q) / 1024.0) * 512.0 / kPi);
    I a = ax >= ay ? t : 256 - t;
    if (x < 0)
        a = 512 - a;
    if (y < 0)
        a = -a;
    return a;
}

I GenuineMap(I n, I hi, I lo)
{
    if (hi == 0 && lo == 0)
        return 255;
    if (hi == lo)
        return n < lo ? 0 : 255;
    if (hi > lo)
        return Quo(W(static_cast<int64_t>(W(static_cast<int64_t>(n) - lo)) * 255), W(static_cast<int64_t>(hi) - lo));
    return W(255 - static_cast<int64_t>(Quo(W(static_cast<int64_t>(W(static_cast<int64_t>(n) - hi)) * 255),
                                            W(static_cast<int64_t>(lo) - hi))));
}

// Repeated multiplication, wrapping; a negative exponent as 1 / b^-e.
I Pow(I b, I e)
{
    if (e < 0) {
        if (b == 1)
            return 1;
        if (b == -1)
            return e % 2 == 0 ? 1 : -1;
        return 0;
    }
    uint32_t result = 1;
    uint32_t base = static_cast<uint32_t>(b);
    for (uint32_t n = static_cast<uint32_t>(e); n; n >>= 1) {
        if (n & 1)
            result *= base;
        base *= base;
    }
    return static_cast<I>(result);
}

struct Walk {
    FFExecRecord& r;

    int32_t memRow(I y) const { return r.bottomUp ? W(static_cast<int64_t>(r.largestRow) - y) : y; }

    I byteAt(const uint8_t* base, int64_t offset) const { return base[offset]; }

    I S(I x, I y, I z) const
    {
        auto adjust = [&](I& v, I size, I largest) {
            switch (r.edgeMode) {
            case 0: v = v < 0 ? 0 : (v > largest ? largest : v); return true;
            case 1: return v >= 0 && v <= largest;
            case 2:
                if (size == 0)
                    return false;
                v = v >= 0 ? Rem(v, size) : W(static_cast<int64_t>(Rem(v, size)) + largest);
                return true;
            case 3:
                if (size == 0)
                    return false;
                if ((Quo(v, size) & 1) == 0)
                    v = W(-static_cast<int64_t>(v));
                v = v >= 0 ? Rem(v, size) : W(static_cast<int64_t>(Rem(v, size)) + largest);
                return true;
            default: return false;
            }
        };
        if (!adjust(x, r.X, r.largestColumn) || !adjust(y, r.Y, r.largestRow))
            return 0;
        const int64_t row = static_cast<int64_t>(memRow(y)) * r.stride;
        if (r.Z == 1)
            return z == 3 ? 255 : byteAt(r.source, row + r.channelOffsets[0] + x);
        if (r.Z == 2)
            return byteAt(r.source,
                          row + (z == 3 ? r.channelOffsets[1] : r.channelOffsets[0]) + 2 * static_cast<int64_t>(x));
        if (z < 0 || z >= r.Z)
            return 255;
        return byteAt(r.source, static_cast<int64_t>(x) * r.Z + row + r.channelOffsets[z]);
    }

    const uint8_t* pixel(I x, I y) const
    {
        return r.source + static_cast<int64_t>(x) * r.Z + static_cast<int64_t>(memRow(y)) * r.stride;
    }
    I intensity(I x, I y) const
    {
        // Outside the image the nearest pixel inside is read.
        x = x < 0 ? 0 : (x > r.largestColumn ? r.largestColumn : x);
        y = y < 0 ? 0 : (y > r.largestRow ? r.largestRow : y);
        const uint8_t* p = pixel(x, y);
        return (76 * p[r.channelOffsets[0]] + 150 * p[r.channelOffsets[1]] + 29 * p[r.channelOffsets[2]]) / 256;
    }

    static I R2x(I d, I m)
    {
        return g_genuine ? GenuineR2x(d, m) : Quo(W(static_cast<int64_t>(m) * Lookup(g_cosine, d)), 512);
    }
    static I R2y(I d, I m)
    {
        return g_genuine ? GenuineR2y(d, m) : Quo(W(static_cast<int64_t>(m) * Lookup(g_sine, d)), 512);
    }

    I ev(const FFNode* n)
    {
        auto c = [&](int i) { return ev(n->children[i]); };
        I v[10];
        auto args = [&](int count) {
            for (int i = count - 1; i >= 0; --i)
                v[i] = c(i);
        };
        auto bin = [&](auto f) {
            const I b = c(1);
            const I a = c(0);
            return f(a, b);
        };
        // clang-format off
        switch (n->type) {
        case 312: return n->value;
        case 'x': return r.x;
        case 'y': return r.y;
        case 'z': return r.z;
        case 'X': return r.X;
        case 'Y': return r.Y;
        case 'Z': return r.Z;
        case 'D': return r.D;
        case 'M': return r.M;
        case 't': return r.t;
        case 285: return r.total;
        case 'r': case 'g': case 'b': {
            if (r.Z <= 0) return 255;
            const int k = r.Z <= 2 ? 0 : (n->type == 'r' ? 0 : n->type == 'g' ? 1 : 2);
            return pixel(r.x, r.y)[r.channelOffsets[k]];
        }
        case 'a':
            if (r.Z == 2) return pixel(r.x, r.y)[r.channelOffsets[1]];
            if (r.Z >= 4) return pixel(r.x, r.y)[r.channelOffsets[3]];
            return 255;
        case 'c': {
            const int64_t row = static_cast<int64_t>(memRow(r.y)) * r.stride;
            if (r.Z == 1) return r.z == 3 ? 255 : r.source[row + r.channelOffsets[0] + r.x];
            if (r.Z == 2) return r.source[row + (r.z == 3 ? r.channelOffsets[1] : r.channelOffsets[0]) + 2 * static_cast<int64_t>(r.x)];
            if (r.z < 0 || r.z >= r.Z) return 255;
            return r.source[row + static_cast<int64_t>(r.x) * r.Z + r.channelOffsets[r.z]];
        }
        case 'i': case 'u': case 'v': {
            const uint8_t* p = pixel(r.x, r.y);
            const I R = p[r.channelOffsets[0]], G = p[r.channelOffsets[1]], B = p[r.channelOffsets[2]];
            if (n->type == 'i') return (76 * R + 150 * G + 29 * B) / 256;
            if (n->type == 'u') return (56 * B - 37 * G - 19 * R) / 256;
            return (78 * R - 65 * G - 13 * B) / 256;
        }
        case 'd':
            return (g_genuine ? GenuineC2d : C2d)(W(static_cast<int64_t>(r.x) - r.centreX), W(static_cast<int64_t>(r.y) - r.centreY));
        case 'm': return C2m(W(static_cast<int64_t>(r.x) - r.centreX), W(static_cast<int64_t>(r.y) - r.centreY));
        case '+': return bin([](I a, I b) { return W(static_cast<int64_t>(a) + b); });
        case '-': return bin([](I a, I b) { return W(static_cast<int64_t>(a) - b); });
        case '*': return bin([](I a, I b) { return W(static_cast<int64_t>(a) * b); });
        case '/': return bin(Quo);
        case '%': return bin(Rem);
        case 306: return bin([](I a, I b) { return W(static_cast<int64_t>(static_cast<uint64_t>(static_cast<U>(a)) << (b & 31))); });
        case 307: return bin([](I a, I b) { return W(static_cast<int64_t>(a) >> (b & 31)); });
        case 300: return bin([](I a, I b) { return I(a == b); });
        case 301: return bin([](I a, I b) { return I(a != b); });
        case 302: return bin([](I a, I b) { return I(a <= b); });
        case 303: return bin([](I a, I b) { return I(a >= b); });
        case 304: return bin([](I a, I b) { return I(a < b); });
        case 305: return bin([](I a, I b) { return I(a > b); });
        case 297: return bin([](I a, I b) { return a & b; });
        case 296: return bin([](I a, I b) { return a | b; });
        case 295: return bin([](I a, I b) { return a ^ b; });
        case 299:
            if (g_genuine) { const I a = c(0); const I b = c(1); return I(a != 0 && b != 0); }
            return c(0) == 0 ? 0 : I(c(1) != 0);
        case 298:
            if (g_genuine) { const I a = c(0); const I b = c(1); return I(a != 0 || b != 0); }
            return c(0) != 0 ? 1 : I(c(1) != 0);
        case 258: c(0); return c(1);
        case '?':
            if (g_genuine) { const I k = c(0); const I p = c(1); const I q = c(2); return k != 0 ? p : q; }
            return c(0) != 0 ? c(1) : c(2);
        case 308: return W(-static_cast<int64_t>(c(0)));
        case 309: return c(0);
        case 310: return I(c(0) == 0);
        case 311: return ~c(0);
        case 272: args(3); return S(v[0], v[1], v[2]);
        case 277: case 290: case 291: {
            args(3);
            I x = v[0], y = v[1];
            if (n->type != 291) {
                x = W(static_cast<int64_t>(r.centreX) + R2x(v[0], v[1]));
                y = W(static_cast<int64_t>(r.centreY) + R2y(v[0], v[1]));
            }
            auto s = [&](int dx, int dy) { return S(W(static_cast<int64_t>(x) + dx), W(static_cast<int64_t>(y) + dy), v[2]); };
            if (n->type == 277) return s(0, 0);
            return (3 * s(0, 0) + 2 * (s(-1, 0) + s(1, 0) + s(0, -1) + s(0, 1)) + s(-1, -1) + s(1, -1) + s(-1, 1) + s(1, 1)) / 15;
        }
        case 286: {
            args(3);
            const I x = v[0] < 0 ? 0 : (v[0] > r.largestColumn ? r.largestColumn : v[0]);
            const I y = v[1] < 0 ? 0 : (v[1] > r.largestRow ? r.largestRow : v[1]);
            if (v[2] < 0 || v[2] >= r.Z) return 255;
            return r.destination[static_cast<int64_t>(x) * r.Z + static_cast<int64_t>(memRow(y)) * r.stride + r.channelOffsets[v[2]]];
        }
        case 287: args(2); return intensity(v[0], v[1]);
        case 261: case 288: {
            args(10);
            if (v[9] == 0) return 255;
            int64_t sum = 0;
            for (int j = 0; j < 9; ++j) {
                const I nx = W(static_cast<int64_t>(r.x) + j % 3 - 1), ny = W(static_cast<int64_t>(r.y) + j / 3 - 1);
                sum += static_cast<int64_t>(v[j]) * (n->type == 261 ? S(nx, ny, r.z) : intensity(nx, ny));
            }
            return Quo(W(sum), v[9]);
        }
        case 262: { const I i = c(0); return i >= 0 && i <= 7 ? r.sliders[i] : 0; }
        case 274: args(3); return v[0] >= 0 && v[0] <= 7 ? W(v[1] + static_cast<int64_t>(Quo(W(static_cast<int64_t>(r.sliders[v[0]]) * W(static_cast<int64_t>(v[2]) - v[1])), 255))) : 0;
        case 283: {
            const I nv = c(1);
            const I i = c(0);
            if (i < 0 || i > 3) return 0;
            const I hi = r.sliders[2 * i], lo = r.sliders[2 * i + 1];
            if (g_genuine) return GenuineMap(nv, hi, lo);
            if (hi == 0 && lo == 0) return 255;
            if (hi == lo) return nv <= lo ? 0 : 255;
            return Quo(W(static_cast<int64_t>(W(static_cast<int64_t>(nv) - lo)) * 255), W(static_cast<int64_t>(hi) - lo));
        }
        case 293: { const I i = c(0); return i >= 0 && i <= 2 ? r.foreground[i] : 0; }
        case 294: { const I i = c(0); return i >= 0 && i <= 2 ? r.background[i] : 0; }
        case 259: return Abs(c(0));
        case 263: { const I b = c(1); const I a = c(0); return Abs(W(static_cast<int64_t>(a) - b)); }
        case 260: {
            const I b = c(1), a = c(0), l = c(2);
            if (W(static_cast<int64_t>(a) + b) < l) { const I b2 = c(1); const I a2 = c(0); return W(static_cast<int64_t>(a2) + b2); }
            return c(2);
        }
        case 273: {
            const I b = c(1), a = c(0), l = c(2);
            if (Abs(W(static_cast<int64_t>(a) - b)) > l) { const I b2 = c(1); const I a2 = c(0); return Abs(W(static_cast<int64_t>(a2) - b2)); }
            return c(2);
        }
        case 266: { const I b = c(1), a = c(0); return a < b ? c(0) : c(1); }
        case 267: { const I b = c(1), a = c(0); return a > b ? c(0) : c(1); }
        case 268: {
            args(4);
            if (v[3] == 0) return 0;
            return W(static_cast<int64_t>(Quo(W(static_cast<int64_t>(v[0]) * v[2]), v[3])) +
                     Quo(W(static_cast<int64_t>(v[1]) * W(static_cast<int64_t>(v[3]) - v[2])), v[3]));
        }
        case 270: {
            args(5);
            if (v[2] == v[1]) return 0;
            return W(v[3] + static_cast<int64_t>(Quo(W(static_cast<int64_t>(W(static_cast<int64_t>(v[4]) - v[3])) * W(static_cast<int64_t>(v[0]) - v[1])),
                                                 W(static_cast<int64_t>(v[2]) - v[1]))));
        }
        case 271: { const I a = c(0); return a < 0 ? 0 : Isqrt(static_cast<uint64_t>(a)); }
        case 276: args(2); return C2m(v[0], v[1]);
        case 275: args(2); return (g_genuine ? GenuineC2d : C2d)(v[0], v[1]);
        case 278: args(2); return R2x(v[0], v[1]);
        case 279: args(2); return R2y(v[0], v[1]);
        case 313: args(2); return Pow(v[0], v[1]);
        case 280: case 281: case 282: {
            c(0);  // the sign test
            const I a = c(0);
            if (g_genuine && n->type == 280) return GenuineSin(a);
            if (g_genuine && n->type == 281) return GenuineCos(a);
            return Lookup(n->type == 280 ? g_sine : n->type == 281 ? g_cosine : g_tangent, a);
        }
        case 269: {
            args(2);
            if (g_genuine) {
                const uint32_t value = subtractive().next();
                if (v[1] < v[0]) return 0;
                const uint64_t range = static_cast<uint64_t>(static_cast<int64_t>(v[1]) - v[0]) + 1;
                return W(static_cast<int64_t>(v[0]) + static_cast<int64_t>(value % range));
            }
            const I count = W(static_cast<int64_t>(v[1]) - v[0] + 1);
            if (count == 0) return 0;
            g_random = g_random * 214013u + 2531011u;
            const I next = static_cast<I>((g_random >> 16) & 32767u);
            return W(static_cast<int64_t>(v[0]) + Rem(next, count));
        }
        case 264: { const I i = c(0); return i >= 0 && i < r.storageSize ? r.storage[i] : (g_genuine ? i : 0); }
        case 265: {
            const I i = c(1);
            const I value = c(0);
            if (i < 0 || i >= r.storageSize) return g_genuine ? value : 0;
            r.storage[i] = value;
            return value;
        }
        case 292: {
            const I count = c(0);
            if (count >= 1 && count <= 64000) {
                std::free(r.storage);
                r.storage = static_cast<int32_t*>(std::calloc(static_cast<size_t>(count), sizeof(int32_t)));
                r.storageSize = count;
            }
            return 0;
        }
        case 289: r.edgeMode = c(0); return 0;
        case 284: {
            const I seed = c(0);
            if (g_genuine) g_seed = seed & 32767;
            return 0;
        }
        default:
            r.error = n->type;
            return 0;
        }
        // clang-format on
    }
};

}  // namespace

int32_t evaluate(const FFNode* node, FFExecRecord& record)
{
    if (!node)
        return 0;
    Walk walk{record};
    return walk.ev(node);
}

void seedRandom(uint32_t seed)
{
    g_random = seed;
    subtractive().seed(seed);
}

void setRules(int32_t rules)
{
    g_genuine = rules != ZELTRO_RULES_CLASSIC;
}

void setSeed(int32_t seed)
{
    g_seed = seed;
}

int32_t seed()
{
    return g_seed;
}

}  // namespace zeltro::reference
