// Tokens of the formula language: names, aliases, constants, numbers,
// comments and longest match, seen through the trees FFParse builds.

#include "ZeltroTestSupport.h"

using namespace zeltro::test;

namespace {

using Shape = TreeCase;

class ScannerShape : public ::testing::TestWithParam<Shape> {};

TEST_P(ScannerShape, BuildsTree)
{
    expectTree(GetParam().text, GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, ScannerShape,
    ::testing::Values(Shape{"r", "r"}, Shape{"rmax-rmin", "-(255 0)"}, Shape{"R", "255"},
                      Shape{"G+B+A+C+I+U+V", "+(+(+(+(+(+(255 255) 255) 255) 255) 255) 255)"},
                      Shape{"gmax+bmax+amax+imax+umax+vmax", "+(+(+(+(+(255 255) 255) 255) 255) 255)"},
                      Shape{"gmin+bmin+amin+imin+umin+vmin+dmin+mmin+tmin+pmin",
                            "+(+(+(+(+(+(+(+(+(0 0) 0) 0) 0) 0) 0) 0) 0) 0)"},
                      Shape{"dmax+mmax+xmax+ymax+zmax+pmax", "+(+(+(+(+(D M) X) Y) Z) Z)"}, Shape{"tmax", "total"},
                      Shape{"total", "total"}, Shape{"p", "z"},
                      Shape{"r0+r1+g0+g1+b0+b1+a0+a1", "+(+(+(+(+(+(+(r r) g) g) b) b) a) a)"},
                      Shape{"c0+c1+i0+i1+u0+u1+v0+v1", "+(+(+(+(+(+(+(c c) i) i) u) u) v) v)"},
                      Shape{"d0+d1+m0+m1+t+x+y+z+X+Y+Z+D+M+d+m",
                            "+(+(+(+(+(+(+(+(+(+(+(+(+(+(d d) m) m) t) x) y) z) X) Y) Z) D) M) d) m)"},
                      Shape{"src1(x,y,z)+src0(x,y,z)", "+(src(x y z) src(x y z))"}, Shape{"srcmode(1)", "srcmode(1)"},
                      Shape{"i0(x,y)", "i(x y)"}, Shape{"4294967295", "-1"}, Shape{"4294967296", "0"},
                      Shape{"2147483648", "-2147483648"}, Shape{"00012", "12"}, Shape{"r // red\n+g", "+(r g)"},
                      Shape{"r//x\n//y\n", "r"}, Shape{" \t\r\nr\t ", "r"},
                      Shape{"cnv1(1,2,3,4,5,6,7,8,9,10)", "cnv(1 2 3 4 5 6 7 8 9 10)"},
                      Shape{"icnv0(1,2,3,4,5,6,7,8,9,10)", "icnv(1 2 3 4 5 6 7 8 9 10)"},
                      Shape{"arad0(1,2,3)+asrc1(1,2,3)+rad1(1,2,3)+dst0(1,2,3)",
                            "+(+(+(arad(1 2 3) asrc(1 2 3)) rad(1 2 3)) dst(1 2 3))"}));

class ScannerRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(ScannerRejects, WithStatusOne)
{
    EXPECT_EQ(check(GetParam()), 1) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Tokens, ScannerRejects,
                         ::testing::Values("", "   // only a comment", "0x1F", "12abc", "ab", "a=b", "rmaxx", "t0",
                                           "x0", "r2", "Rr", "src", "SRC(x,y,z)", "r @", "r $", "\xff", "r\xe9",
                                           "srcmod(1)", "storag(1)", "#"));

TEST(Scanner, NameFunctionsAreAllKnown)
{
    const char* names1[] = {"abs", "bkg", "cos", "ctl", "frg", "get", "rst", "sin", "sqr", "srcmode", "storage", "tan"};
    for (const char* name : names1)
        EXPECT_EQ(check(std::string(name) + "(1)"), 0) << name;
    const char* names2[] = {"c2d", "c2m", "dif", "map", "max", "min", "put", "r2x", "r2y", "rnd"};
    for (const char* name : names2)
        EXPECT_EQ(check(std::string(name) + "(1,2)"), 0) << name;
    const char* names3[] = {"add", "arad", "asrc", "dst", "rad", "src", "sub", "val"};
    for (const char* name : names3)
        EXPECT_EQ(check(std::string(name) + "(1,2,3)"), 0) << name;
    EXPECT_EQ(check("mix(1,2,3,4)"), 0);
    EXPECT_EQ(check("scl(1,2,3,4,5)"), 0);
}

TEST(Scanner, CommentRunsToLineFeedOnly)
{
    // The carriage return and what follows it are inside the comment.
    EXPECT_EQ(show(parse("r // comment\r+g").get()), "r");
    EXPECT_EQ(show(parse("r // comment\n+g").get()), "+(r g)");
    EXPECT_EQ(check("r // comment\r)"), 0);
}

TEST(Scanner, UnmatchedCloseIsRejected)
{
    EXPECT_EQ(check("r)"), 1);
    EXPECT_EQ(check("(r))"), 1);
    EXPECT_EQ(check("(r"), 1);
}

}  // namespace
