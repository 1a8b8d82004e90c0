// Which plug-ins are Filter Factory filters: the genuine ones by their
// flags, those of compatible builders (no FUNC) by a plausible block, the
// scrambled ones as protected filters with nothing readable.

#include "filterfactory/ParameterBlock.h"

#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vardel;
using namespace vardel::test;

namespace {

// The first entry the reader makes of a test plug-in, flags as scanned.
CPluginEntry ReadEntry(const char* file)
{
    CPluginListManager catalogue;
    CPluginRestoreManager restore;
    CPIMIManager tails;
    CPluginReader reader(catalogue, restore, tails);
    EXPECT_EQ(reader.ReadFile(testPlugin(file).string(), true), 1) << file;
    return catalogue.m_entries.empty() ? CPluginEntry() : *catalogue.m_entries.front();
}

struct KindCase {
    const char* file;
    FilterFactoryVariant variant;
    bool readable;
    bool scrambled;
    const char* title;  // of the block read; "" when none is read
    bool blockProtected;
    friend void PrintTo(const KindCase& c, std::ostream* os) { *os << c.file; }
};

class FilterFactoryKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(FilterFactoryKinds, FromTheFlagsAndTheBlocks)
{
    const KindCase& c = GetParam();
    const CPluginEntry e = ReadEntry(c.file);
    const FilterFactoryKind kind = GetFilterFactoryKind(e);
    EXPECT_EQ(kind.variant, c.variant);
    EXPECT_EQ(kind.readable, c.readable);
    EXPECT_EQ(kind.scrambled, c.scrambled);
    EXPECT_EQ(IsFilterFactoryFilter(e), c.readable);
    // The stored flags keep their meaning: only genuine filters are
    // Photoshop Filter Factory filters by them (and keep their key).
    EXPECT_EQ(e.IsPhotoshopFilterFactory(), c.variant == FilterFactoryVariant::Photoshop);
    CParameterBlock block;
    block.SetTitle("untouched");
    EXPECT_TRUE(ReadParameterBlock(e, block));
    EXPECT_EQ(block.GetTitle(), *c.title ? c.title : "untouched");
    EXPECT_EQ(block.IsProtected(), c.blockProtected);
}

INSTANTIATE_TEST_SUITE_P(
    TestPlugins, FilterFactoryKinds,
    ::testing::Values(
        KindCase{"ff_filter.8bf", FilterFactoryVariant::Photoshop, true, false, "FF Ripple", false},
        KindCase{"ffc_plain.8bf", FilterFactoryVariant::Compatible, true, false, "Builder Waves", false},
        KindCase{"ffc_plain32.8bf", FilterFactoryVariant::Compatible, true, false, "Builder Waves", false},
        KindCase{"ffc_old.8bf", FilterFactoryVariant::Compatible, true, false, "Old Builder Tile", false},
        KindCase{"ffc_protected.8bf", FilterFactoryVariant::Compatible, true, false, "Builder Secret", true},
        KindCase{"ffc_protected32.8bf", FilterFactoryVariant::Compatible, true, false, "Builder Secret", true},
        KindCase{"ffc_scrambled.8bf", FilterFactoryVariant::Compatible, false, true, "", false},
        KindCase{"ffc_scrambled32.8bf", FilterFactoryVariant::Compatible, false, true, "", false},
        KindCase{"ffc_implausible.8bf", FilterFactoryVariant::None, false, false, "", false},
        KindCase{"pipl_single.8bf", FilterFactoryVariant::None, false, false, "", false},
        KindCase{"flags.8bf", FilterFactoryVariant::PremiereTransition, false, false, "", false}),
    [](const ::testing::TestParamInfo<KindCase>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(FilterFactoryKinds, CompatibleBlocksGiveTheirFormulasAndTexts)
{
    const CPluginEntry e = ReadEntry("ffc_plain.8bf");
    CParameterBlock block;
    ASSERT_TRUE(ReadParameterBlock(e, block));
    EXPECT_EQ(block.GetAuthor(), "C. Builder");
    EXPECT_EQ(block.GetCategory(), "Builder Cat");
    EXPECT_EQ(block.GetFormula(2), "rnd(0,254)");
    EXPECT_EQ(block.GetSlider(7), 128);
    EXPECT_STREQ(FilterFactoryVariantText(GetFilterFactoryVariant(e)), "Filter Factory-compatible filter");
    // The stored flags alone tell nothing new.
    EXPECT_EQ(e.m_resourceFlags, kFlagPARM);
}

TEST(FilterFactoryKinds, AFileThatCannotBeReadHoldsNoBlock)
{
    CPluginEntry e = ReadEntry("ffc_plain.8bf");
    e.m_path += ".missing";
    EXPECT_EQ(GetFilterFactoryKind(e).variant, FilterFactoryVariant::None);
    EXPECT_FALSE(IsFilterFactoryFilter(e));
    CPluginEntry scrambled = ReadEntry("ffc_scrambled.8bf");
    scrambled.m_path += ".missing";
    EXPECT_FALSE(GetFilterFactoryKind(scrambled).scrambled);
}

// A block as a builder writes it, every text area ending in its zero.
std::vector<std::uint8_t> BuilderBlock(std::uint32_t first = 0x2068)
{
    std::vector<std::uint8_t> bytes(CParameterBlock::kSize, 0);
    std::memcpy(bytes.data(), &first, 4);
    return bytes;
}

TEST(PlausibleBlocks, SizeAndFirstField)
{
    auto bytes = BuilderBlock();
    EXPECT_TRUE(IsPlausibleParameterBlock(bytes.data(), bytes.size(), false));
    EXPECT_FALSE(IsPlausibleParameterBlock(bytes.data(), bytes.size() - 1, false));
    bytes.push_back(0);
    EXPECT_FALSE(IsPlausibleParameterBlock(bytes.data(), bytes.size(), false));
    EXPECT_FALSE(IsPlausibleParameterBlock(nullptr, CParameterBlock::kSize, true));
    for (std::uint32_t first : {0x1C68u, 0x2068u})
        EXPECT_TRUE(IsPlausibleParameterBlock(BuilderBlock(first).data(), CParameterBlock::kSize, false)) << first;
    for (std::uint32_t first : {0u, 0x2069u, 0x1C67u, 0x68200000u}) {
        EXPECT_FALSE(IsPlausibleParameterBlock(BuilderBlock(first).data(), CParameterBlock::kSize, false)) << first;
        // With FUNC any first field will do.
        EXPECT_TRUE(IsPlausibleParameterBlock(BuilderBlock(first).data(), CParameterBlock::kSize, true)) << first;
    }
}

TEST(PlausibleBlocks, EveryTextAreaNeedsItsZero)
{
    using B = CParameterBlock;
    std::vector<std::pair<std::size_t, std::size_t>> areas = {{B::kCategoryOffset, B::kCategorySize},
                                                              {B::kTitleOffset, B::kTextSize},
                                                              {B::kCopyrightOffset, B::kTextSize},
                                                              {B::kAuthorOffset, B::kTextSize}};
    for (std::size_t i = 0; i < 4; ++i)
        areas.push_back({B::kMapLabelsOffset + i * B::kLabelSize, B::kLabelSize});
    for (std::size_t i = 0; i < 8; ++i)
        areas.push_back({B::kControlLabelsOffset + i * B::kLabelSize, B::kLabelSize});
    for (std::size_t i = 0; i < 4; ++i)
        areas.push_back({B::kFormulasOffset + i * B::kFormulaSize, B::kFormulaSize});
    for (const auto& [offset, size] : areas) {
        auto bytes = BuilderBlock();
        // Filled up to its last byte: still terminated.
        std::memset(bytes.data() + offset, 'x', size - 1);
        EXPECT_TRUE(IsPlausibleParameterBlock(bytes.data(), bytes.size(), false)) << offset;
        // The zero anywhere inside will do.
        bytes[offset + size - 1] = 'x';
        bytes[offset] = 0;
        EXPECT_TRUE(IsPlausibleParameterBlock(bytes.data(), bytes.size(), false)) << offset;
        // None at all: the text would run into the next field.
        bytes[offset] = 'x';
        EXPECT_FALSE(IsPlausibleParameterBlock(bytes.data(), bytes.size(), true)) << offset;
    }
}

}  // namespace
