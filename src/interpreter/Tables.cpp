// The angle tables, c2d and its form for a row. Entries follow the truncated scaled sine,
// cosine and tangent; negative entries lie one below the truncated value,
// and the rows that the filters' own tables hold irregular values (around
// the zeros and poles) are fixed explicitly. The genuine rules' tables
// follow.

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
        const int fixedSine[][2] = {{0, -4},  {1, 3},    {2, 6},    {128, 362},  {256, 512},  {384, 362},
                                    {511, 3}, {512, -4}, {513, -7}, {640, -365}, {768, -512}, {1023, -4}};
        const int fixedCosine[][2] = {{0, 512},  {1, 511},    {128, 362}, {255, 3}, {256, -4},
                                      {257, -7}, {512, -512}, {767, -4},  {768, 3}, {1023, 512}};
        const int fixedTangent[][2] = {{0, -6},     {1, 6},        {64, 424},      {128, 1024},
                                       {129, 1036}, {255, 167761}, {256, -167772}, {257, -83463},
                                       {511, -6},   {512, 6},      {767, 167772},  {768, -167772}};
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

namespace {

constexpr double kPi = 3.14159265358979323846;

struct GenuineTables {
    int32_t arcTangent[1025];
    int32_t cosine[1024];
    int32_t radius[1024];

    GenuineTables()
    {
        for (int q = 0; q <= 1024; ++q)
            arcTangent[q] = static_cast<int32_t>(std::atan(q / 1024.0) * 512.0 / kPi);
        // The classic table's negative entries (the genuine ones are not
        // known); its fourth quadrant reads one entry further on.
        const int32_t* classic = tables().cosine;
        for (int i = 0; i < 1024; ++i)
            cosine[i] = classic[i];
        for (int i = 768; i < 1024; ++i)
            cosine[i] = static_cast<int32_t>(512.0 * std::cos(2.0 * kPi * (i + 1) / 1024.0));
        // A quarter of the cosine at scale 16384, mirrored into the others;
        // the fourth quadrant again one entry further on.
        int32_t quarter[257];
        for (int k = 0; k <= 256; ++k)
            quarter[k] = static_cast<int32_t>(16384.0 * std::cos(2.0 * kPi * k / 1024.0));
        for (int i = 0; i < 1024; ++i)
            radius[i] = i <= 256  ? quarter[i]
                        : i < 512 ? -quarter[512 - i]
                        : i < 768 ? -quarter[i - 512]
                                  : quarter[1023 - i];
    }
};

const GenuineTables& genuineTables()
{
    static const GenuineTables instance;
    return instance;
}

}  // namespace

const int32_t* const g_arcTangent = genuineTables().arcTangent;
const int32_t* const g_cosineGenuine = genuineTables().cosine;
const int32_t* const g_radius = genuineTables().radius;

namespace {

constexpr double kDirectionScale = 163.0054122890799;

// The direction of x over -|y| for y != 0, before its sign: 0 .. 512.
int32_t directionOf(double q)
{
    return static_cast<int32_t>(256.0 + std::atan(q) * kDirectionScale);
}

// bound[n], n = 1 .. 512: the ratio at which directionOf reaches n, by
// the tangent; bound[0] and bound[513] are the infinities. All finite
// bounds lie between -160 and 3800.
struct DirectionBounds {
    double bound[514];
    DirectionBounds()
    {
        bound[0] = -HUGE_VAL;
        bound[513] = HUGE_VAL;
        for (int n = 1; n <= 512; ++n)
            bound[n] = std::tan((n - 256) / kDirectionScale);
    }
};

}  // namespace

int32_t c2d(int32_t x, int32_t y)
{
    if (y == 0)
        return x >= 0 ? 0 : 512;
    const int32_t v = directionOf(static_cast<double>(x) / static_cast<double>(neg(absw(y))));
    return y > 0 ? v : neg(v);
}

// Along a row the ratio moves steadily, so the direction is found by
// stepping from the last one between the bounds, without the arc tangent.
// A ratio closer to a bound than many times the rounding error of the
// arc tangent's result takes the arc tangent as c2d does, so each value
// is exactly c2d's.
void c2dRow(int32_t x0, int32_t y, int32_t count, int32_t* out)
{
    if (y == 0) {
        for (int32_t i = 0; i < count; ++i)
            out[i] = x0 + i >= 0 ? 0 : 512;
        return;
    }
    static const DirectionBounds table;
    const double* bound = table.bound;
    const double denominator = static_cast<double>(neg(absw(y)));
    int32_t v = directionOf(static_cast<double>(x0) / denominator);
    for (int32_t i = 0; i < count; ++i) {
        const double q = static_cast<double>(x0 + i) / denominator;
        while (q < bound[v])
            --v;
        while (q >= bound[v + 1])
            ++v;
        // The result's slope is scale / (1 + q^2): this keeps 1e-6 of a
        // step, against errors near 1e-13, between q and either bound.
        const double margin = 1e-8 * (1.0 + q * q);
        if (q - bound[v] < margin || bound[v + 1] - q < margin)
            v = directionOf(q);
        out[i] = y > 0 ? v : neg(v);
    }
}

}  // namespace zeltro
