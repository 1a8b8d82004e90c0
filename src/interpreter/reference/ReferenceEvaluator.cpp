// The reference walk, written straight from the language's rules, with
// its own arithmetic helpers so that it checks the library's.

#include "ReferenceEvaluator.h"

#include <cmath>
#include <cstdlib>

namespace zeltro {
extern const int32_t* const g_sine;
extern const int32_t* const g_cosine;
extern const int32_t* const g_tangent;
}

namespace zeltro::reference {
namespace {

uint32_t g_random = 1;

using I = int32_t;
using U = uint32_t;

I W(int64_t v) { return static_cast<I>(static_cast<U>(static_cast<uint64_t>(v))); }
I Quo(I a, I b) { return b == 0 ? 0 : W(static_cast<int64_t>(a) / b); }
I Rem(I a, I b) { return b == 0 ? 0 : W(static_cast<int64_t>(a) % b); }
I Abs(I a) { return W(a < 0 ? -static_cast<int64_t>(a) : a); }
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
    const double v = 256 + std::atan(static_cast<double>(x) / static_cast<double>(W(-static_cast<int64_t>(Abs(y))))) * 163.0054122890799;
    const I t = static_cast<I>(v);
    return y > 0 ? t : W(-static_cast<int64_t>(t));
}
I C2m(I x, I y)
{
    const U sum = static_cast<U>(W(static_cast<int64_t>(x) * x)) + static_cast<U>(W(static_cast<int64_t>(y) * y));
    return Isqrt(sum);
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
                if (size == 0) return false;
                v = v >= 0 ? Rem(v, size) : W(static_cast<int64_t>(Rem(v, size)) + largest);
                return true;
            case 3:
                if (size == 0) return false;
                if ((Quo(v, size) & 1) == 0) v = W(-static_cast<int64_t>(v));
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
            return byteAt(r.source, row + (z == 3 ? r.channelOffsets[1] : r.channelOffsets[0]) + 2 * static_cast<int64_t>(x));
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

    I ev(const FFNode* n)
    {
        auto c = [&](int i) { return ev(n->children[i]); };
        I v[10];
        auto args = [&](int count) { for (int i = count - 1; i >= 0; --i) v[i] = c(i); };
        auto bin = [&](auto f) { const I b = c(1); const I a = c(0); return f(a, b); };
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
        case 'd': return C2d(W(static_cast<int64_t>(r.x) - r.centreX), W(static_cast<int64_t>(r.y) - r.centreY));
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
        case 299: return c(0) == 0 ? 0 : I(c(1) != 0);
        case 298: return c(0) != 0 ? 1 : I(c(1) != 0);
        case 258: c(0); return c(1);
        case '?': return c(0) != 0 ? c(1) : c(2);
        case 308: return W(-static_cast<int64_t>(c(0)));
        case 309: return c(0);
        case 310: return I(c(0) == 0);
        case 311: return ~c(0);
        case 272: args(3); return S(v[0], v[1], v[2]);
        case 277: case 290: case 291: {
            args(3);
            I x = v[0], y = v[1];
            if (n->type != 291) {
                x = W(static_cast<int64_t>(r.centreX) + Quo(W(static_cast<int64_t>(v[1]) * Lookup(g_cosine, v[0])), 512));
                y = W(static_cast<int64_t>(r.centreY) + Quo(W(static_cast<int64_t>(v[1]) * Lookup(g_sine, v[0])), 512));
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
        case 275: args(2); return C2d(v[0], v[1]);
        case 278: args(2); return Quo(W(static_cast<int64_t>(v[1]) * Lookup(g_cosine, v[0])), 512);
        case 279: args(2); return Quo(W(static_cast<int64_t>(v[1]) * Lookup(g_sine, v[0])), 512);
        case 280: case 281: case 282: {
            c(0);  // the sign test
            const I a = c(0);
            return Lookup(n->type == 280 ? g_sine : n->type == 281 ? g_cosine : g_tangent, a);
        }
        case 269: {
            args(2);
            const I count = W(static_cast<int64_t>(v[1]) - v[0] + 1);
            if (count == 0) return 0;
            g_random = g_random * 214013u + 2531011u;
            const I next = static_cast<I>((g_random >> 16) & 32767u);
            return W(static_cast<int64_t>(v[0]) + Rem(next, count));
        }
        case 264: { const I i = c(0); return i >= 0 && i < r.storageSize ? r.storage[i] : 0; }
        case 265: {
            const I i = c(1);
            const I value = c(0);
            if (i < 0 || i >= r.storageSize) return 0;
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
        case 284: c(0); return 0;
        default:
            r.error = n->type;
            return 0;
        }
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
}

}  // namespace zeltro::reference
