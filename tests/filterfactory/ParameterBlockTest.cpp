#include "filterfactory/ParameterBlock.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"
#include "pe/ResourceLibrary.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vardel;
using namespace vardel::test;
namespace fs = std::filesystem;

namespace {

void PutU32(CParameterBlock::Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutText(CParameterBlock::Bytes& b, std::size_t at, const std::string& text)
{
    std::memcpy(b.data() + at, text.data(), text.size());
}

}  // namespace

TEST(ParameterBlock, FieldsLieAtTheirOffsets)
{
    // Assembled by raw offsets, not through the accessors under test.
    CParameterBlock block;
    auto& b = block.GetBytes();
    for (int i = 0; i < 8; ++i)
        PutU32(b, 8 + 4 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(i * 30));
    PutU32(b, 8 + 4 * 7, 0xFFFFFFFF);  // -1
    PutU32(b, 56 + 4 * 2, 7);
    PutU32(b, 72 + 4 * 5, 1);
    PutText(b, 104, "Category");
    PutU32(b, 356, 0x100);
    PutText(b, 360, "Title");
    PutText(b, 616, "Copyright");
    PutText(b, 872, "Author");
    PutText(b, 1128 + 256 * 3, "Map 3");
    PutText(b, 2152 + 256 * 7, "Control 7");
    PutText(b, 4200 + 1024 * 3, "a");
    PutText(b, 4200, "r");

    EXPECT_EQ(block.GetSlider(0), 0);
    EXPECT_EQ(block.GetSlider(6), 180);
    EXPECT_EQ(block.GetSlider(7), -1);
    EXPECT_EQ(block.GetSlider(8), 0);
    EXPECT_EQ(block.GetSlider(-1), 0);
    EXPECT_TRUE(block.IsMapInUse(2));
    EXPECT_FALSE(block.IsMapInUse(1));
    EXPECT_FALSE(block.IsMapInUse(4));
    EXPECT_TRUE(block.IsControlInUse(5));
    EXPECT_FALSE(block.IsControlInUse(4));
    EXPECT_FALSE(block.IsControlInUse(8));
    EXPECT_TRUE(block.IsProtected());
    EXPECT_EQ(block.GetCategory(), "Category");
    EXPECT_EQ(block.GetTitle(), "Title");
    EXPECT_EQ(block.GetCopyright(), "Copyright");
    EXPECT_EQ(block.GetAuthor(), "Author");
    EXPECT_EQ(block.GetMapLabel(3), "Map 3");
    EXPECT_EQ(block.GetMapLabel(4), "");
    EXPECT_EQ(block.GetControlLabel(7), "Control 7");
    EXPECT_EQ(block.GetControlLabel(8), "");
    EXPECT_EQ(block.GetFormula(0), "r");
    EXPECT_EQ(block.GetFormula(3), "a");
    EXPECT_EQ(block.GetFormula(4), "");
}

TEST(ParameterBlock, TextsStayInsideTheirAreas)
{
    CParameterBlock block;
    // A label of 255 characters and its NUL fill the area exactly.
    block.SetMapLabel(0, std::string(255, 'L'));
    block.SetMapLabel(1, "next");
    EXPECT_EQ(block.GetMapLabel(0), std::string(255, 'L'));
    EXPECT_EQ(block.GetBytes()[1128 + 255], 0);
    // A longer text is cut to leave room for the NUL.
    block.SetFormula(0, std::string(1500, 'f'));
    EXPECT_EQ(block.GetFormula(0), std::string(1023, 'f'));
    EXPECT_EQ(block.GetBytes()[4200 + 1024], 0);
    // An area without any NUL ends at its end, not in the next field.
    auto& b = block.GetBytes();
    std::memset(b.data() + 1128, 'X', 256);
    EXPECT_EQ(block.GetMapLabel(0), std::string(256, 'X'));
    EXPECT_EQ(block.GetMapLabel(1), "next");
    std::memset(b.data() + 104, 'C', 252);
    EXPECT_EQ(block.GetCategory(), std::string(252, 'C'));
    std::memset(b.data() + 4200 + 3 * 1024, 'a', 1024);
    EXPECT_EQ(block.GetFormula(3), std::string(1024, 'a'));  // the last field ends the block
    // Setting a shorter text clears what the longer one left behind.
    block.SetCategory("ab");
    EXPECT_EQ(b[104 + 3], 0);
    EXPECT_EQ(block.GetCategory(), "ab");
}

struct VariantCase {
    const char* name;
    int resourceType;
    int flags;
    FilterFactoryVariant variant;
    const char* text;
    bool filterFactory;  // gets formulas, preview and author search
    friend void PrintTo(const VariantCase& c, std::ostream* os) { *os << c.name; }
};
class ParameterBlockVariant : public ::testing::TestWithParam<VariantCase> {};
TEST_P(ParameterBlockVariant, FollowsTheResourceFlagsInTestOrder)
{
    CPluginEntry e;
    e.m_resourceType = GetParam().resourceType;
    e.m_resourceFlags = GetParam().flags;
    EXPECT_EQ(GetFilterFactoryVariant(e), GetParam().variant);
    EXPECT_STREQ(FilterFactoryVariantText(GetFilterFactoryVariant(e)), GetParam().text);
    EXPECT_EQ(IsFilterFactoryFilter(e), GetParam().filterFactory);
}
INSTANTIATE_TEST_SUITE_P(
    Table, ParameterBlockVariant,
    ::testing::Values(VariantCase{"PhotoshopPiPL", kResourcePiPL, kFlagPARM | kFlagFUNC,
                                  FilterFactoryVariant::Photoshop, "Photoshop Filter Factory", true},
                      VariantCase{"PiMINotPhotoshop", kResourcePiMI, kFlagPARM | kFlagFUNC, FilterFactoryVariant::None,
                                  "", false},
                      VariantCase{"PiPLWithoutFunc", kResourcePiPL, kFlagPARM, FilterFactoryVariant::None, "", false},
                      VariantCase{"PremiereFilter", kResourcePremiere, kFlagPARM | kFlagFLVS,
                                  FilterFactoryVariant::PremiereFilter, "Premiere Filter Factory", false},
                      VariantCase{"Transition", kResourcePremiere, kFlagPARM | kFlagFXVS,
                                  FilterFactoryVariant::PremiereTransition, "Premiere Transition Factory", false},
                      VariantCase{"BothPremiereFlags", kResourcePremiere, kFlagPARM | kFlagFXVS | kFlagFLVS,
                                  FilterFactoryVariant::PremiereTransition, "Premiere Transition Factory", false},
                      // Named by the first test that holds, but still a Photoshop filter.
                      VariantCase{"TransitionBeforePhotoshop", kResourcePiPL, kFlagPARM | kFlagFUNC | kFlagFXVS,
                                  FilterFactoryVariant::PremiereTransition, "Premiere Transition Factory", true},
                      VariantCase{"NoParm", kResourcePremiere, kFlagFXVS | kFlagFLVS | kFlagFUNC,
                                  FilterFactoryVariant::None, "", false}));

class ParameterBlockFile : public ::testing::TestWithParam<const char*> {};
TEST_P(ParameterBlockFile, IsReadFromThePluginByContent)
{
    const fs::path file = testPlugin(GetParam());
    ASSERT_TRUE(fs::exists(file)) << file;
    CParameterBlock block;
    ASSERT_TRUE(ReadParameterBlockFromFile(file.string(), block));
    // The block written by the test plug-in generator.
    EXPECT_EQ(block.GetTitle(), "FF Ripple");
    EXPECT_EQ(block.GetCategory(), "FF Cat");
    EXPECT_EQ(block.GetAuthor(), "A. Vardel");
    EXPECT_EQ(block.GetCopyright(), "(c) Vardel tests");
    const std::int32_t sliders[8] = {10, 20, 30, 40, 50, 60, 70, 128};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(block.GetSlider(i), sliders[i]);
    EXPECT_TRUE(block.IsMapInUse(1));
    EXPECT_FALSE(block.IsMapInUse(2));
    EXPECT_TRUE(block.IsControlInUse(7));
    EXPECT_FALSE(block.IsControlInUse(6));
    EXPECT_FALSE(block.IsProtected());
    EXPECT_EQ(block.GetMapLabel(2), "Map 2");
    EXPECT_EQ(block.GetControlLabel(5), "Control 5");
    EXPECT_EQ(block.GetFormula(0), "r+ctl(0)");
    EXPECT_EQ(block.GetFormula(3), "a");
    // Byte for byte the resource's data.
    COXResourceLibrary library;
    std::vector<std::string> names;
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(library.Open(file.string()));
    ASSERT_TRUE(library.EnumNames("PARM", names));
    ASSERT_TRUE(library.Find("PARM", names.front(), 0, data));
    ASSERT_EQ(data.size(), CParameterBlock::kSize);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), block.GetBytes().begin()));
}
INSTANTIATE_TEST_SUITE_P(Plugins, ParameterBlockFile, ::testing::Values("ff_filter.8bf", "ff_filter32.8bf"));

TEST(ParameterBlockFile, FailuresLeaveTheDestinationAsItWas)
{
    TempDir dir;
    CParameterBlock block;
    block.SetTitle("kept");
    // No module, no "PARM" resource, a missing file.
    writeFile(dir / "text.8bf", std::string("not a module"));
    EXPECT_FALSE(ReadParameterBlockFromFile((dir / "text.8bf").string(), block));
    EXPECT_FALSE(ReadParameterBlockFromFile(testPlugin("pipl_single.8bf").string(), block));
    EXPECT_FALSE(ReadParameterBlockFromFile((dir / "missing.8bf").string(), block));
    EXPECT_EQ(block.GetTitle(), "kept");
}

TEST(ParameterBlockFile, ABlockCutShortByTheFileEndIsAFailedRead)
{
    TempDir dir;
    auto bytes = readFile(testPlugin("ff_filter.8bf"));
    // Find the block by its title and keep only its first 300 bytes.
    const std::string title = "FF Ripple";
    auto at = std::search(bytes.begin(), bytes.end(), title.begin(), title.end());
    ASSERT_NE(at, bytes.end());
    const auto blockStart = static_cast<std::size_t>(at - bytes.begin()) - CParameterBlock::kTitleOffset;
    bytes.resize(blockStart + 300);
    writeFile(dir / "cut.8bf", bytes);
    CParameterBlock block;
    block.SetTitle("kept");
    EXPECT_FALSE(ReadParameterBlockFromFile((dir / "cut.8bf").string(), block));
    EXPECT_EQ(block.GetTitle(), "kept");
}

TEST(ParameterBlockFile, RecordsThatAreNoFilterFactoryFilterReadNothing)
{
    CPluginEntry plain;
    plain.m_path = testPlugin("ff_filter.8bf").string();
    plain.m_resourceType = kResourcePiPL;
    plain.m_resourceFlags = kFlagPARM;  // no FUNC
    CParameterBlock block;
    EXPECT_TRUE(ReadParameterBlock(plain, block));
    EXPECT_EQ(block.GetTitle(), "");
    CPluginEntry ff = plain;
    ff.m_resourceFlags = kFlagPARM | kFlagFUNC;
    EXPECT_TRUE(ReadParameterBlock(ff, block));
    EXPECT_EQ(block.GetTitle(), "FF Ripple");
    ff.m_path += ".missing";
    EXPECT_FALSE(ReadParameterBlock(ff, block));
}
