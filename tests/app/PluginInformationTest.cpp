// The information bar's texts: author, description and file, and the
// descriptions that plug-ins carry themselves going into the database.

#include "app/PluginInformation.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "filterfactory/ParameterBlock.h"
#include "search/DescriptionListManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace vardel::test {
namespace {

class PluginInformationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(testDataDir() / "plugins" / "ff_protected.8bf"))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
    }

    CPluginEntry& Read(const std::string& name)
    {
        CPluginRestoreManager restore;
        CPIMIManager tails;
        CPluginReader reader(m_catalogue, restore, tails);
        const auto before = m_catalogue.m_entries.size();
        EXPECT_GT(reader.ReadFile((testDataDir() / "plugins" / name).string(), true), 0) << name;
        return *m_catalogue.m_entries.at(before);
    }

    CPluginListManager m_catalogue;
    CDescriptionListManager m_descriptions;
};

TEST_F(PluginInformationTest, FilterFactoryAuthorWithoutDescription)
{
    const CPluginEntry& e = Read("ff_filter.8bf");
    const auto info = GetPluginInformation(e, m_descriptions);
    EXPECT_EQ(info.author, "A. Vardel");
    EXPECT_EQ(info.description, "");
    EXPECT_EQ(info.filename, e.m_path);
    EXPECT_FALSE(info.addedToDatabase);
    EXPECT_TRUE(m_descriptions.m_entries.empty());
}

TEST_F(PluginInformationTest, CompatibleFiltersShowTheirAuthorScrambledOnesNone)
{
    EXPECT_EQ(GetPluginInformation(Read("ffc_plain.8bf"), m_descriptions).author, "C. Builder");
    EXPECT_EQ(GetPluginInformation(Read("ffc_scrambled32.8bf"), m_descriptions).author, "");
}

TEST_F(PluginInformationTest, BlockDescriptionIsAddedOnceThenComesFromTheDatabase)
{
    const CPluginEntry& e = Read("ff_protected.8bf");
    auto info = GetPluginInformation(e, m_descriptions);
    EXPECT_EQ(info.author, "B. Hidden");
    EXPECT_EQ(info.description, "A hidden filter described in its block.");
    EXPECT_TRUE(info.addedToDatabase);
    ASSERT_EQ(m_descriptions.m_entries.size(), 1u);
    EXPECT_EQ(m_descriptions.m_entries[0]->m_key, e.DescriptionKey());
    EXPECT_EQ(m_descriptions.m_entries[0]->m_keywords, "");

    info = GetPluginInformation(e, m_descriptions);
    EXPECT_EQ(info.description, "A hidden filter described in its block.");
    EXPECT_FALSE(info.addedToDatabase);
    EXPECT_EQ(m_descriptions.m_entries.size(), 1u);
}

TEST_F(PluginInformationTest, TheDatabaseWinsOverTheFile)
{
    for (const char* name : {"ff_protected.8bf", "fxvs_text.prm"}) {
        const CPluginEntry& e = Read(name);
        m_descriptions.SetFromTexts(e.DescriptionKey(), "", "only keywords");
        const auto info = GetPluginInformation(e, m_descriptions);
        EXPECT_EQ(info.description, "") << name;
        EXPECT_FALSE(info.addedToDatabase) << name;
    }
    EXPECT_EQ(m_descriptions.m_entries.size(), 2u);
}

TEST_F(PluginInformationTest, TextResourceOfAnFxvsFile)
{
    CPluginEntry& e = Read("fxvs_text.prm");
    ASSERT_NE(e.m_resourceFlags & kFlagFXVS, 0);
    CDescriptionListManager none;
    CPluginEntry withoutFlag = e;
    withoutFlag.m_resourceFlags &= ~kFlagFXVS;
    EXPECT_EQ(GetPluginInformation(withoutFlag, none).description, "");
    EXPECT_TRUE(none.m_entries.empty());

    const auto info = GetPluginInformation(e, m_descriptions);
    EXPECT_EQ(info.author, "");
    EXPECT_EQ(info.description, "A transition described in its file");
    EXPECT_TRUE(info.addedToDatabase);
    EXPECT_EQ(m_descriptions.Find(e.DescriptionKey()), 0);
}

TEST_F(PluginInformationTest, PlainPluginsAndUnreadableFiles)
{
    CPluginEntry& plain = Read("pipl_single.8bf");
    auto info = GetPluginInformation(plain, m_descriptions);
    EXPECT_EQ(info.author, "");
    EXPECT_EQ(info.description, "");
    EXPECT_FALSE(info.addedToDatabase);

    CPluginEntry gone = Read("ff_protected.8bf");
    gone.m_path = (testDataDir() / "plugins" / "no_such_file.8bf").string();
    info = GetPluginInformation(gone, m_descriptions);
    EXPECT_EQ(info.author, "");
    EXPECT_EQ(info.description, "");
    EXPECT_EQ(info.filename, gone.m_path);
    EXPECT_TRUE(m_descriptions.m_entries.empty());
}

TEST_F(PluginInformationTest, AGivenBlockIsUsedAsItIs)
{
    CPluginEntry e = Read("ff_filter.8bf");
    e.m_path = "/nowhere/ff_filter.8bf";
    CParameterBlock block;
    block.SetAuthor("Given Author");
    const auto info = GetPluginInformation(e, m_descriptions, &block);
    EXPECT_EQ(info.author, "Given Author");
    EXPECT_EQ(info.description, "");
}

TEST(BlockDescriptionTest, MarkerAndPartLimits)
{
    CParameterBlock block;
    auto& b = block.GetBytes();
    EXPECT_EQ(BlockDescription(block), "");
    b[1256] = 'D';
    EXPECT_EQ(BlockDescription(block), "") << "no colon";
    b[1257] = ':';
    EXPECT_EQ(BlockDescription(block), "") << "marker with empty parts";
    // Both parts fill their 126 bytes without a terminator: each is cut there.
    std::memset(b.data() + 1258, 'a', 130);
    std::memset(b.data() + 1514, 'b', 130);
    EXPECT_EQ(BlockDescription(block), std::string(126, 'a') + std::string(126, 'b'));
    b[1258 + 3] = 0;
    b[1514] = 0;
    EXPECT_EQ(BlockDescription(block), "aaa");
}

TEST(TextResourceDescriptionTest, NotAModuleOrNoResource)
{
    EXPECT_EQ(TextResourceDescription((testDataDir() / "plugins" / "text.8bf").string()), "");
    EXPECT_EQ(TextResourceDescription((testDataDir() / "plugins" / "premiere_filter.prm").string()), "");
    EXPECT_EQ(TextResourceDescription("/no/such/file.prm"), "");
}

}  // namespace
}  // namespace vardel::test
