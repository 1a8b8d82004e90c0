#include "search/PluginSearch.h"

#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "filterfactory/ParameterBlock.h"
#include "search/DescriptionListManager.h"
#include "search/FindSettings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace vardel;
using namespace vardel::test;

namespace {

FindSettings Only(const std::string& keyword, std::initializer_list<SearchField> fields, bool matchCase = false)
{
    FindSettings s;
    s.keyword = keyword;
    s.matchCase = matchCase;
    s.title = s.category = s.author = s.keywords = s.description = s.filename = false;
    for (SearchField f : fields) {
        switch (f) {
        case SearchField::Title: s.title = true; break;
        case SearchField::Category: s.category = true; break;
        case SearchField::Author: s.author = true; break;
        case SearchField::Keywords: s.keywords = true; break;
        case SearchField::Description: s.description = true; break;
        case SearchField::Filename: s.filename = true; break;
        }
    }
    return s;
}

std::vector<std::string> Names(const std::vector<SearchRow>& rows)
{
    std::vector<std::string> names;
    for (const auto& r : rows)
        names.push_back(r.columns[0]);
    return names;
}

constexpr auto kAll = {SearchField::Title,    SearchField::Category,    SearchField::Author,
                       SearchField::Keywords, SearchField::Description, SearchField::Filename};

}  // namespace

class PluginSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AddPiplEntry(catalogue, "Gaussian Blur", "Blur", "/plugins/Gauss.8bf");
        AddPiplEntry(catalogue, "Sharpen", "Sharpen", "/plugins/BLUR/sharp.8bf");
        AddPiplEntry(catalogue, "Noise", "", "/plugins/noise.8bf");
        CPluginEntry& ff = AddPiplEntry(catalogue, "FF Ripple", "FF Cat", testPlugin("ff_filter.8bf").string());
        ff.m_resourceFlags = kFlagPARM | kFlagFUNC;
        AddPiplEntry(catalogue, "Importer", "", "/plugins/import.8ba", 2);
        descriptions.SetFromTexts(catalogue.m_entries[1]->DescriptionKey(), "Makes edges crisp", "sharp detail");
        descriptions.SetFromTexts(catalogue.m_entries[2]->DescriptionKey(), "", "grain Blur");
    }
    CPluginListManager catalogue;
    CDescriptionListManager descriptions;
};

TEST_F(PluginSearchTest, WithoutMatchCaseOnlyAToZFold)
{
    auto rows = CPluginSearch::Run(catalogue, descriptions, Only("blur", {SearchField::Title, SearchField::Filename}));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"Gaussian Blur", "Sharpen"}));
    EXPECT_EQ(rows[0].field, SearchField::Title);
    EXPECT_EQ(rows[1].field, SearchField::Filename);
    auto exact =
        CPluginSearch::Run(catalogue, descriptions, Only("BLUR", {SearchField::Title, SearchField::Filename}, true));
    EXPECT_EQ(Names(exact), (std::vector<std::string>{"Sharpen"}));
    EXPECT_TRUE(CPluginSearch::Contains("caf\xE9", "CAF\xE9", false));
    EXPECT_FALSE(CPluginSearch::Contains("caf\xE9", "CAF\xC9", false));
    EXPECT_FALSE(CPluginSearch::Contains("Blur", "blur", true));
    EXPECT_TRUE(CPluginSearch::Contains("", "", true));
    EXPECT_FALSE(CPluginSearch::Contains("", "x", false));
}

TEST_F(PluginSearchTest, EachPluginIsListedOnceByTheFirstFieldThatMatches)
{
    // "Blur" is in the title and category of the first, the keywords of the
    // third and the path of the second.
    auto rows = CPluginSearch::Run(catalogue, descriptions, Only("blur", kAll));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"Gaussian Blur", "Sharpen", "Noise"}));
    EXPECT_EQ(rows[0].field, SearchField::Title);
    EXPECT_EQ(rows[1].field, SearchField::Filename);
    EXPECT_EQ(rows[2].field, SearchField::Keywords);
    auto byCategory =
        CPluginSearch::Run(catalogue, descriptions, Only("blur", {SearchField::Category, SearchField::Keywords}));
    EXPECT_EQ(Names(byCategory), (std::vector<std::string>{"Gaussian Blur", "Noise"}));
    EXPECT_EQ(byCategory[0].field, SearchField::Category);
}

TEST_F(PluginSearchTest, AnEmptyKeywordMatchesEverySearchedField)
{
    auto withEntries = CPluginSearch::Run(catalogue, descriptions, Only("", {SearchField::Keywords}));
    EXPECT_EQ(Names(withEntries), (std::vector<std::string>{"Sharpen", "Noise"}));
    auto all = CPluginSearch::Run(catalogue, descriptions, Only("", {SearchField::Title}));
    EXPECT_EQ(all.size(), catalogue.m_entries.size());
    EXPECT_TRUE(CPluginSearch::Run(catalogue, descriptions, Only("", {})).empty());
}

TEST_F(PluginSearchTest, KeywordsAndDescriptionComeFromTheDescriptionEntry)
{
    auto desc = CPluginSearch::Run(catalogue, descriptions, Only("crisp", {SearchField::Description}));
    EXPECT_EQ(Names(desc), (std::vector<std::string>{"Sharpen"}));
    EXPECT_EQ(desc[0].field, SearchField::Description);
    EXPECT_TRUE(CPluginSearch::Run(catalogue, descriptions, Only("crisp", {SearchField::Keywords})).empty());
    auto both =
        CPluginSearch::Run(catalogue, descriptions, Only("sharp", {SearchField::Keywords, SearchField::Description}));
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].field, SearchField::Keywords);
}

TEST_F(PluginSearchTest, AuthorIsSearchedOnlyInFilterFactoryBlocks)
{
    auto rows = CPluginSearch::Run(catalogue, descriptions, Only("a. vardel", {SearchField::Author}));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"FF Ripple"}));
    EXPECT_EQ(rows[0].field, SearchField::Author);
    // Only Filter Factory filters are asked, and an unreadable block never matches.
    int asked = 0;
    auto failing = [&](const CPluginEntry& e, CParameterBlock&) {
        ++asked;
        EXPECT_TRUE(e.IsPhotoshopFilterFactory());
        return false;
    };
    EXPECT_TRUE(CPluginSearch::Run(catalogue, descriptions, Only("", {SearchField::Author}), failing).empty());
    EXPECT_EQ(asked, 1);
    catalogue.m_entries[3]->m_path += ".missing";
    EXPECT_TRUE(CPluginSearch::Run(catalogue, descriptions, Only("", {SearchField::Author})).empty());
}

// Compatible filters (PARM without FUNC) are searched in their blocks too;
// a scrambled one has no author to find.
TEST(PluginSearchCompatible, AuthorsOfCompatibleFiltersAreFound)
{
    CPluginListManager catalogue;
    CDescriptionListManager descriptions;
    AddPiplEntry(catalogue, "Builder Waves", "Builder Cat", testPlugin("ffc_plain.8bf").string()).m_resourceFlags =
        kFlagPARM;
    AddPiplEntry(catalogue, "Builder Scrambled", "Builder Cat", testPlugin("ffc_scrambled.8bf").string());
    AddPiplEntry(catalogue, "Not A Factory", "Builder Cat", testPlugin("ffc_implausible.8bf").string())
        .m_resourceFlags = kFlagPARM;
    EXPECT_EQ(Names(CPluginSearch::Run(catalogue, descriptions, Only("c. builder", {SearchField::Author}))),
              (std::vector<std::string>{"Builder Waves"}));
    EXPECT_EQ(Names(CPluginSearch::Run(catalogue, descriptions, Only("", {SearchField::Author}))),
              (std::vector<std::string>{"Builder Waves"}));
}

TEST_F(PluginSearchTest, RowsShowTheKindWhenThereIsNoCategory)
{
    auto rows = CPluginSearch::Run(catalogue, descriptions, Only("", {SearchField::Title}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].columns, (std::array<std::string, 3>{"Gaussian Blur", "Blur", "/plugins/Gauss.8bf"}));
    EXPECT_EQ(rows[2].columns[1], "\xBB Filter");
    EXPECT_EQ(rows[4].columns[1], "\xBB Import/Acquire");
    EXPECT_EQ(rows[4].plugin, catalogue.m_entries[4].get());
    CPluginEntry unknown;
    unknown.m_kind = 99;
    EXPECT_EQ(CPluginSearch::MakeRow(unknown).columns[1], "\xBB Unknown");
}

TEST(PluginSearchSort, AscendingByUnsignedBytesWithRowsMovingWhole)
{
    const std::vector<std::string> texts = {"b", "a", "B", "ab", "\xE9t\xE9", "", "a"};
    std::vector<SearchRow> rows;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SearchRow r;
        r.columns = {texts[i], std::to_string(i), "path" + std::to_string(i)};
        rows.push_back(r);
    }
    CPluginSearch::SortRows(rows, 0);
    std::vector<std::string> sorted;
    for (const auto& r : rows) {
        sorted.push_back(r.columns[0]);
        EXPECT_EQ(r.columns[2], "path" + r.columns[1]);  // whole rows moved
    }
    EXPECT_EQ(sorted, (std::vector<std::string>{"", "B", "a", "a", "ab", "b", "\xE9t\xE9"}));
    // A second sort by the same column is ascending again, not reversed.
    CPluginSearch::SortRows(rows, 0);
    EXPECT_EQ(rows.front().columns[0], "");
    CPluginSearch::SortRows(rows, 2);
    EXPECT_EQ(rows.front().columns[2], "path0");
    EXPECT_EQ(rows.back().columns[2], "path6");
    auto before = rows;
    CPluginSearch::SortRows(rows, 3);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].columns, before[i].columns);
}

TEST(PluginSearchSort, SortsAnyInputIntoAPermutation)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<SearchRow> rows(static_cast<std::size_t>(rng() % 40));
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i].columns = {std::string(rng() % 3, static_cast<char>('a' + rng() % 3)), std::to_string(i), ""};
        auto original = rows;
        CPluginSearch::SortRows(rows, 0);
        for (std::size_t i = 1; i < rows.size(); ++i)
            ASSERT_LE(CPluginSearch::CompareText(rows[i - 1].columns[0], rows[i].columns[0]), 0);
        std::vector<std::string> ids, originalIds;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ids.push_back(rows[i].columns[1] + "/" + rows[i].columns[0]);
            originalIds.push_back(original[i].columns[1] + "/" + original[i].columns[0]);
        }
        std::sort(ids.begin(), ids.end());
        std::sort(originalIds.begin(), originalIds.end());
        ASSERT_EQ(ids, originalIds);
    }
}

TEST(PluginSearchSort, LargeOrderedListsDoNotExhaustTheStack)
{
    std::vector<SearchRow> rows(200000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%08zu", rows.size() - i);
        rows[i].columns[0] = text;
    }
    CPluginSearch::SortRows(rows, 0);
    EXPECT_EQ(rows.front().columns[0], "00000001");
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const SearchRow& a, const SearchRow& b) {
        return CPluginSearch::CompareText(a.columns[0], b.columns[0]) < 0;
    }));
}

TEST(FindSettings, DefaultsAndRoundTrip)
{
    MemorySettingsBackend backend;
    FindSettings s = LoadFindSettings(backend);
    EXPECT_EQ(s.keyword, "");
    EXPECT_FALSE(s.matchCase);
    EXPECT_TRUE(s.title);
    EXPECT_TRUE(s.category);
    EXPECT_FALSE(s.author);
    EXPECT_FALSE(s.filename);
    EXPECT_FALSE(s.description);
    EXPECT_TRUE(s.keywords);
    EXPECT_EQ(s.titleWidth, 150);
    EXPECT_EQ(s.categoryWidth, 150);
    EXPECT_EQ(s.filenameWidth, 350);
    s.keyword = "blur";
    s.matchCase = true;
    s.title = false;
    s.filenameWidth = 99;
    SaveFindSettings(backend, s);
    EXPECT_EQ(backend.m_ints.at({"Settings.Find", "bName"}), 0);
    EXPECT_EQ(backend.m_ints.at({"Settings.Find", "Filename.cx"}), 99);
    EXPECT_EQ(backend.m_strings.at({"Settings.Find", "sKeyword"}), "blur");
    FindSettings back = LoadFindSettings(backend);
    EXPECT_EQ(back.keyword, "blur");
    EXPECT_TRUE(back.matchCase);
    EXPECT_FALSE(back.title);
    EXPECT_EQ(back.filenameWidth, 99);
}

// Rows handed over as found: the batches, one after the other, are the
// rows of the search made at once, each batch no larger than asked, and a
// slow search hands each row over as soon as the time is up.
TEST(PluginSearchBatches, GiveTheRowsOfTheWholeSearchInOrder)
{
    CPluginListManager catalogue;
    for (int i = 0; i < 100; ++i)
        AddPiplEntry(catalogue, (i % 3 == 0 ? "Blur " : "Sharp ") + std::to_string(i), "Cat " + std::to_string(i % 7),
                     "/plugins/p" + std::to_string(i) + ".8bf");
    CDescriptionListManager descriptions;
    const FindSettings settings = Only("blur", {SearchField::Title, SearchField::Category});
    const auto whole = CPluginSearch::Run(catalogue, descriptions, settings);
    ASSERT_EQ(whole.size(), 34u);
    const auto source = CPluginSearch::Snapshot(catalogue, descriptions);

    std::vector<std::size_t> sizes;
    std::vector<SearchRow> joined;
    const std::size_t total = CPluginSearch::RunInBatches(
        *source, settings,
        [&](std::vector<SearchRow>&& batch) {
            sizes.push_back(batch.size());
            for (auto& row : batch)
                joined.push_back(std::move(row));
        },
        8, std::chrono::hours(1));
    EXPECT_EQ(total, whole.size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{8, 8, 8, 8, 2}));
    ASSERT_EQ(joined.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(joined[i].columns, whole[i].columns);
        EXPECT_EQ(joined[i].entry, whole[i].entry);
        EXPECT_EQ(joined[i].field, whole[i].field);
    }

    // No time to wait: every row is a batch of its own.
    sizes.clear();
    CPluginSearch::RunInBatches(
        *source, settings, [&](std::vector<SearchRow>&& batch) { sizes.push_back(batch.size()); }, 8,
        std::chrono::milliseconds(0));
    EXPECT_EQ(sizes, std::vector<std::size_t>(whole.size(), 1));
}
