// The angle tables and c2d. Entries follow the truncated scaled sine,
// cosine and tangent; negative entries lie one below the truncated value,
// and the rows that the filters' own tables hold irregular values (around
// the zeros and poles) are fixed explicitly.

#include "Arith.h"

#include <cmath>

namespace zeltro {
namespace {

struct AngleTables {
    int32_t sine[1024];
    int32_t cosine[1024];
    int32_t tangent[1024];

    AngleTables()
    {
        const double step = 2.0 * 3.14159265358979323846 / 1024.0;
        for (int i = 0; i < 1024; ++i) {
            sine[i] = entry(512.0 * std::sin(step * i));
            cosine[i] = entry(512.0 * std::cos(step * i));
            tangent[i] = entry(1024.0 * std::tan(step * i));
        }
        const int fixedSine[][2] = {{0, -4}, {1, 3}, {2, 6}, {128, 362}, {256, 512}, {384, 362},
                                    {511, 3}, {512, -4}, {513, -7}, {640, -365}, {768, -512},
                                    {1023, -4}};
        const int fixedCosine[][2] = {{0, 512}, {1, 511}, {128, 362}, {255, 3}, {256, -4},
                                      {257, -7}, {512, -512}, {767, -4}, {768, 3}, {1023, 512}};
        const int fixedTangent[][2] = {{0, -6}, {1, 6}, {64, 424}, {128, 1024}, {129, 1036},
                                       {255, 167761}, {256, -167772}, {257, -83463}, {511, -6},
                                       {512, 6}, {767, 167772}, {768, -167772}};
        for (const auto& row : fixedSine)
            sine[row[0]] = row[1];
        for (const auto& row : fixedCosine)
            cosine[row[0]] = row[1];
        for (const auto& row : fixedTangent)
            tangent[row[0]] = row[1];
    }

    static int32_t entry(double v)
    {
        if (v > 2e9)
            v = 2e9;
        if (v < -2e9)
            v = -2e9;
        const auto t = static_cast<int32_t>(v);
        return v < 0 ? t - 1 : t;
    }
};

const AngleTables& tables()
{
    static const AngleTables instance;
    return instance;
}

}  // namespace

const int32_t* const g_sine = tables().sine;
const int32_t* const g_cosine = tables().cosine;
const int32_t* const g_tangent = tables().tangent;

int32_t c2d(int32_t x, int32_t y)
{
    if (y == 0)
        return x >= 0 ? 0 : 512;
    const double q = static_cast<double>(x) / static_cast<double>(neg(absw(y)));
    const auto v = static_cast<int32_t>(256.0 + std::atan(q) * 163.0054122890799);
    return y > 0 ? v : neg(v);
}

}  // namespace zeltro
