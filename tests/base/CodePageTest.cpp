#include "base/CodePage.h"

#include <gtest/gtest.h>

using namespace vardel;

TEST(CodePage, EveryByteSurvivesTheRoundTripThroughUtf8AndUtf16)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(utf8ToCodePage(codePageToUtf8(all)), all);
    EXPECT_EQ(utf16ToCodePage(codePageToUtf16(all)), all);
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(utf16ToCodePage(u"\u20AC\u0100\u4E2D"), "\x80??");
    EXPECT_EQ(utf16ToCodePage(std::u16string(1, char16_t(0xD800))), "?");
    EXPECT_EQ(utf8ToCodePage("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    EXPECT_EQ(utf8ToCodePage("\xF0\x9F\x98\x80"), "?");
    EXPECT_EQ(utf8ToCodePage("\xC3"), "?");
}
