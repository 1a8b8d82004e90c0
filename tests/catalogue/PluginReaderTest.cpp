#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/PluginTables.h"
#include "catalogue/ResourceSpans.h"
#include "pe/ResourceLibrary.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vardel;
namespace fs = std::filesystem;
using vardel::test::testPlugin;

namespace {

struct Reading {
    CPluginListManager catalogue;
    CPluginRestoreManager restore;
    CPIMIManager cache;
    std::vector<std::string> messages;
    std::vector<std::string> progress;
    int added = 0;

    explicit Reading(const fs::path& file, bool hasExtension = true) { Read(file, hasExtension); }
    void Read(const fs::path& file, bool hasExtension = true)
    {
        catalogue.m_currentRoot = 4;
        CPluginReader reader(catalogue, restore, cache);
        reader.m_onMessage = [this](const std::string& m) { messages.push_back(m); };
        reader.m_onProgress = [this](const std::string& p) { progress.push_back(p); };
        added = reader.ReadFile(file.string(), hasExtension);
    }
    const CPluginEntry& operator[](std::size_t i) const { return *catalogue.m_entries.at(i); }
    std::size_t size() const { return catalogue.m_entries.size(); }
};

// The text stored at an entry's offset: for PiPL after a length byte that
// must match, for PiMI and Premiere up to the terminator.
std::string TextAt(const fs::path& file, int offset, bool lengthPrefixed)
{
    auto bytes = test::readFile(file);
    if (offset <= 0 || static_cast<std::size_t>(offset) >= bytes.size())
        return "<no offset>";
    if (lengthPrefixed) {
        std::size_t len = bytes[static_cast<std::size_t>(offset) - 1];
        return std::string(bytes.begin() + offset, bytes.begin() + offset + static_cast<std::ptrdiff_t>(len));
    }
    std::string out;
    for (std::size_t i = static_cast<std::size_t>(offset); i < bytes.size() && bytes[i]; ++i)
        out.push_back(static_cast<char>(bytes[i]));
    return out;
}

void ExpectLocated(const fs::path& file, const CPluginEntry& e)
{
    const bool pipl = e.IsPiPL();
    if (e.m_nameCapacity > 0) {
        EXPECT_EQ(TextAt(file, e.m_nameOffset, pipl), e.m_name) << e.m_name;
    }
    if (e.m_categoryCapacity > 0 && !e.IsPhotoshopFilterFactory()) {
        EXPECT_EQ(TextAt(file, e.m_categoryOffset, pipl), e.m_category) << e.m_category;
    }
}

}  // namespace

TEST(PluginReader, SinglePiPLFilter)
{
    for (const char* name : {"pipl_single.8bf", "pipl_single32.8bf"}) {
        Reading r(testPlugin(name));
        ASSERT_EQ(r.added, 1);
        ASSERT_EQ(r.size(), 1u);
        const auto& e = r[0];
        EXPECT_EQ(e.m_path, testPlugin(name).string());
        EXPECT_EQ(e.m_resourceType, kResourcePiPL);
        EXPECT_EQ(e.m_kind, kKindFilter);
        EXPECT_EQ(e.m_resourceFlags, 0);
        EXPECT_EQ(e.m_modes, 0xC0FF);
        EXPECT_EQ(e.m_rootIndex, 4);
        EXPECT_EQ(e.m_enabled, 1);
        EXPECT_EQ(e.m_indexInFile, 0);
        EXPECT_EQ(e.m_noCategory, 0);
        EXPECT_EQ(e.m_name, "Soft Glow");
        EXPECT_EQ(e.m_category, "Vardel Test");
        EXPECT_EQ(e.m_nameCapacity, 9);
        EXPECT_EQ(e.m_categoryCapacity, 11);
        EXPECT_EQ(e.m_fileStatus.size, fs::file_size(testPlugin(name)));
        ExpectLocated(testPlugin(name), e);
        EXPECT_EQ(r.restore.GetOriginalName(e.ImageBaseName()), "Soft Glow");
        EXPECT_EQ(r.restore.GetOriginalCategory(e.ImageBaseName()), "Vardel Test");
        EXPECT_EQ(r.progress, std::vector<std::string>{testPlugin(name).string()});
    }
}

TEST(PluginReader, ThreePiPLsSharingACategory)
{
    Reading r(testPlugin("pipl_three.8bf"));
    ASSERT_EQ(r.size(), 3u);
    const char* names[] = {"Alpha One", "Beta Two", "Gamma Three"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r[i].m_name, names[i]);
        EXPECT_EQ(r[i].m_indexInFile, i);
        EXPECT_EQ(r[i].ImageBaseName(), "8BFM_PIPL_THREE_0" + std::to_string(i));
        ExpectLocated(testPlugin("pipl_three.8bf"), r[i]);
    }
    EXPECT_EQ(r[0].m_category, "Shared Cat");
    EXPECT_EQ(r[1].m_category, "Shared Cat");
    EXPECT_GT(r[1].m_categoryOffset, r[0].m_categoryOffset);
    EXPECT_LT(r[0].m_nameOffset, r[1].m_nameOffset);
    EXPECT_EQ(r[1].m_modes, 0x50);
}

TEST(PluginReader, NamelessFilterGetsItsBracketedTitle)
{
    Reading r(testPlugin("pipl_noname.8bf"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_name, "[pipl_noname]");
    EXPECT_EQ(r[0].m_category, "");
    EXPECT_EQ(r[0].m_noCategory, 1);
    EXPECT_EQ(r[0].m_nameCapacity, 0);
    EXPECT_EQ(r[0].m_categoryCapacity, 0);
    EXPECT_FALSE(r.restore.Contains(r[0].ImageBaseName()));
}

TEST(PluginReader, FilterWithoutCategoryIsNotRecorded)
{
    Reading r(testPlugin("pipl_nocat.8bf"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_name, "Plain Filter");
    EXPECT_EQ(r[0].m_categoryCapacity, 0);
    EXPECT_EQ(r[0].m_categoryOffset, 0);
    EXPECT_FALSE(r.restore.Contains(r[0].ImageBaseName()));
}

TEST(PluginReader, LongAndShortTexts)
{
    Reading r(testPlugin("pipl_long.8bf"));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].m_name.size(), 100u);
    EXPECT_EQ(r[0].m_nameCapacity, 100);
    EXPECT_EQ(r[0].m_category.size(), 60u);
    EXPECT_EQ(r[0].m_categoryCapacity, 60);
    EXPECT_EQ(r[1].m_name, "Z");
    EXPECT_EQ(r[1].m_category, "Q");
    for (std::size_t i = 0; i < r.size(); ++i)
        ExpectLocated(testPlugin("pipl_long.8bf"), r[i]);
}

TEST(PluginReader, KindsOfSeveralClasses)
{
    Reading r(testPlugin("pipl_kinds.8bf"));
    ASSERT_EQ(r.size(), 6u);
    std::vector<std::pair<std::string, int>> got;
    for (std::size_t i = 0; i < r.size(); ++i)
        got.emplace_back(r[i].m_name, r[i].m_kind);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{{"Vardel Effect", 9},
                                                             {"Vardel Format", 4},
                                                             {"Vardel General", 12},
                                                             {"Vardel Illustrator", 13},
                                                             {"Vardel Import", 2},
                                                             {"Wrong Case", 0}}));
    for (std::size_t i = 0; i < r.size(); ++i) {
        const auto& e = r[i];
        if (e.m_name == "Vardel Effect") {
            EXPECT_EQ(e.m_category, "AE Cat");
            EXPECT_EQ(e.m_noCategory, 0);
            EXPECT_TRUE(r.restore.Contains(e.ImageBaseName()));
        } else {
            EXPECT_EQ(e.m_category, "") << e.m_name;  // 8BIF had a catg property
            EXPECT_EQ(e.m_noCategory, 1);
            EXPECT_EQ(e.m_categoryCapacity, 0);
        }
        ExpectLocated(testPlugin("pipl_kinds.8bf"), e);
    }
}

TEST(PluginReader, UnpaddedPropertyLengthsAreSteppedOverAligned)
{
    Reading r(testPlugin("pipl_unpadded.8bf"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_name, "Odd Name");
    EXPECT_EQ(r[0].m_category, "Odd Cat 12");
    EXPECT_EQ(r[0].m_modes, 0xC0FF) << "the property after the unpadded ones is read";
}

TEST(PluginReader, MarkerThreeSkipsTheLeadingString)
{
    Reading r(testPlugin("pipl_marker3.8bf"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_name, "Marked Filter");
    EXPECT_EQ(r[0].m_modes, 0x10);
}

TEST(PluginReader, FilterFactoryFilter)
{
    Reading r(testPlugin("ff_filter.8bf"));
    ASSERT_EQ(r.size(), 1u);
    const auto& e = r[0];
    EXPECT_EQ(e.m_resourceFlags, kFlagPARM | kFlagFUNC);
    EXPECT_TRUE(e.IsPhotoshopFilterFactory());
    EXPECT_EQ(e.m_nameCapacity, 34);
    EXPECT_EQ(e.m_categoryCapacity, 34);
    EXPECT_EQ(e.m_name, "FF Ripple");
    EXPECT_EQ(e.DescriptionKey(), "8BFM_FF_FILTER_00_1");
    EXPECT_FALSE(r.restore.Contains(e.ImageBaseName()));
    ExpectLocated(testPlugin("ff_filter.8bf"), e);
}

TEST(PluginReader, ResourceFlagsOfPremiereFactories)
{
    Reading r(testPlugin("flags.8bf"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_resourceFlags, kFlagFXVS | kFlagFLVS | kFlagPARM);
    EXPECT_TRUE(r[0].IsPremiereTransitionFactory());
    EXPECT_FALSE(r[0].IsPhotoshopFilterFactory());
}

TEST(PluginReader, PiMIFiltersAndTheirTails)
{
    Reading r(testPlugin("pimi_filter.8bf"));
    ASSERT_EQ(r.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const auto& e = r[i];
        EXPECT_EQ(e.m_resourceType, kResourcePiMI);
        EXPECT_EQ(e.m_kind, kKindFilter);
        EXPECT_EQ(e.m_name, i == 0 ? "PiMI One" : "PiMI Two");
        EXPECT_EQ(e.m_category, "PiMI Cat");
        EXPECT_EQ(e.m_nameCapacity, 8);
        EXPECT_EQ(e.m_categoryCapacity, 8);
        EXPECT_EQ(e.m_modes, 0);
        ExpectLocated(testPlugin("pimi_filter.8bf"), e);
        const CPIMIEntry* tail = r.cache.Lookup(e.ImageBaseName());
        ASSERT_NE(tail, nullptr);
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(tail->m_bytes[k], ((i + 1) * 7 + k * 13) & 0xFF);
    }
    EXPECT_GT(r[1].m_categoryOffset, r[0].m_categoryOffset);
}

TEST(PluginReader, PiMIWithoutKindResourceIsReportedAndSkipped)
{
    Reading r(testPlugin("pimi_mixed.8be"));
    EXPECT_EQ(r.messages, std::vector<std::string>{"Interner Fehler in <ReadPimi>: unbekannter Plugin Typ!\n"});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_name, "PiMI Export");
    EXPECT_EQ(r[0].m_kind, 3);
    EXPECT_EQ(r[0].m_noCategory, 1);
    EXPECT_TRUE(r.cache.IsEmpty()) << "only filters have their tails cached";
}

TEST(PluginReader, ZeroTerminatedStringsStopAt258Bytes)
{
    Reading r(testPlugin("pimi_long.8bf"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_category, std::string(257, 'c'));
    EXPECT_EQ(r[0].m_name, std::string(257, 'n'));
    const CPIMIEntry* tail = r.cache.Lookup(r[0].ImageBaseName());
    ASSERT_NE(tail, nullptr);
    for (auto b : tail->m_bytes)
        EXPECT_EQ(b, 'c') << "reading goes on after the 258th byte";
}

TEST(PluginReader, PiPLWinsOverPiMI)
{
    Reading r(testPlugin("both.8bf"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_name, "PiPL Wins");
    EXPECT_TRUE(r.cache.IsEmpty());
}

struct PremiereCase {
    const char* file;
    int kind;
    const char* name;
    int capacity;
    friend void PrintTo(const PremiereCase& c, std::ostream* os) { *os << c.file; }
};

class Premiere : public ::testing::TestWithParam<PremiereCase> {};

TEST_P(Premiere, Module)
{
    const auto& c = GetParam();
    Reading r(testPlugin(c.file));
    ASSERT_EQ(r.size(), 1u);
    const auto& e = r[0];
    EXPECT_EQ(e.m_resourceType, kResourcePremiere);
    EXPECT_EQ(e.m_kind, c.kind);
    EXPECT_EQ(e.m_name, c.name);
    EXPECT_EQ(e.m_nameCapacity, c.capacity);
    EXPECT_EQ(e.m_noCategory, 1);
    if (c.capacity > 0) {
        EXPECT_EQ(TextAt(testPlugin(c.file), e.m_nameOffset, false), c.name);
    }
}

INSTANTIATE_TEST_SUITE_P(TestPlugins, Premiere,
                         ::testing::Values(PremiereCase{"premiere_filter.prm", 14, "Vardel Video Filter", 19},
                                           PremiereCase{"premiere_blank.prm", 15, "[premiere_blank]", 0},
                                           PremiereCase{"premiere_notext.prm", 16, "[premiere_notext]", 0}));

TEST(PluginReader, DisabledFileWithoutExtension)
{
    Reading r(testPlugin("disabled_8bf"), false);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_enabled, 0);
    EXPECT_EQ(r[0].m_resourceFlags, kFlagNoExtension);
    EXPECT_EQ(r[0].ImageBaseName(), "8BFM_DISABLED_00");
    EXPECT_EQ(r[0].m_name, "Disabled Blur");
}

struct YieldCase {
    const char* file;
    int entries;
    friend void PrintTo(const YieldCase& c, std::ostream* os) { *os << c.file; }
};

class Yield : public ::testing::TestWithParam<YieldCase> {};

TEST_P(Yield, MalformedFilesAddNothingHalfway)
{
    Reading r(testPlugin(GetParam().file));
    EXPECT_EQ(r.added, GetParam().entries);
    EXPECT_EQ(r.size(), static_cast<std::size_t>(GetParam().entries));
    for (std::size_t i = 0; i < r.size(); ++i)
        ExpectLocated(testPlugin(GetParam().file), r[i]);
}

INSTANTIATE_TEST_SUITE_P(TestPlugins, Yield,
                         ::testing::Values(YieldCase{"text.8bf", 0}, YieldCase{"empty.8bf", 0},
                                           YieldCase{"mz_only.8bf", 0}, YieldCase{"does_not_exist.8bf", 0},
                                           YieldCase{"bad_truncated_headers.8bf", 0},
                                           YieldCase{"bad_truncated_rsrc.8bf", 0}, YieldCase{"bad_loop.8bf", 1},
                                           YieldCase{"bad_self_loop.8bf", 0}, YieldCase{"bad_data_offset.8bf", 0},
                                           YieldCase{"bad_data_size.8bf", 0}, YieldCase{"bad_data_past_end.8bf", 0},
                                           YieldCase{"bad_counts.8bf", 3} /* the real type entry comes first */,
                                           YieldCase{"bad_long_name.8bf", 0}, YieldCase{"bad_no_rsrc.8bf", 0},
                                           YieldCase{"bad_magic.8bf", 0}));

TEST(PluginReader, RescanKeepsTheFirstCategoryAsOriginal)
{
    test::TempDir dir;
    auto file = dir / "moved.8bf";
    fs::copy_file(testPlugin("pipl_single.8bf"), file);
    Reading r(file);
    ASSERT_EQ(r.size(), 1u);
    // Another tool moves the filter to a shorter category, in place.
    auto bytes = test::readFile(file);
    const std::size_t at = static_cast<std::size_t>(r[0].m_categoryOffset);
    bytes[at - 1] = 5;
    std::copy_n("Other", 5, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    test::writeFile(file, bytes);

    r.catalogue.m_entries.clear();
    r.Read(file);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].m_category, "Other");
    EXPECT_EQ(r[0].m_categoryCapacity, 11) << "the first category's length";
    EXPECT_EQ(r.restore.GetOriginalCategory(r[0].ImageBaseName()), "Vardel Test");
}

TEST(PluginReader, TextsThatAreNotFoundGetNoOffset)
{
    CPluginReader::EntryList entries;
    auto e = std::make_unique<CPluginEntry>();
    e->m_path = testPlugin("pipl_single.8bf").string();
    e->m_resourceType = kResourcePiPL;
    e->m_kind = kKindFilter;
    e->m_name = "Nowhere To Be Found";
    e->m_nameCapacity = 19;
    e->m_category = "Nor This";
    entries.push_back(std::move(e));
    ASSERT_TRUE(CPluginReader::LocateStrings(testPlugin("pipl_single.8bf").string(), entries));
    EXPECT_EQ(entries[0]->m_nameOffset, 0) << "not 2, which points into the header";
    EXPECT_EQ(entries[0]->m_categoryOffset, 0);
    EXPECT_FALSE(CPluginReader::LocateStrings((testPlugin("") / "missing.8bf").string(), entries));
}

// Every located text lies inside the resource data it was read from, also
// when the file holds the same description in several languages (lang.8bf:
// the same category in all four copies).
class LocatedInsideItsResource : public testing::TestWithParam<const char*> {};

TEST_P(LocatedInsideItsResource, NameAndCategory)
{
    const fs::path file = testPlugin(GetParam());
    Reading r(file);
    ASSERT_GE(r.size(), 1u);
    COXResourceLibrary lib;
    ASSERT_TRUE(lib.Open(file.string()));
    for (std::size_t i = 0; i < r.size(); ++i) {
        const CPluginEntry& e = r[i];
        TextSpans spans;
        ASSERT_TRUE(FindTextSpans(lib, e, spans)) << e.m_name;
        ASSERT_GT(e.m_nameOffset, 0) << e.m_name;
        EXPECT_TRUE(spans.name.Holds(static_cast<std::uint64_t>(e.m_nameOffset), e.m_name.size())) << e.m_name;
        if (!e.m_category.empty()) {
            EXPECT_TRUE(spans.category.Holds(static_cast<std::uint64_t>(e.m_categoryOffset), e.m_category.size()))
                << e.m_name;
        }
        ExpectLocated(file, e);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LocatedInsideItsResource,
                         testing::Values("lang.8bf", "pipl_three.8bf", "pimi_filter.8bf", "premiere_filter.prm",
                                         "named.8bf"));

TEST(PluginReader, LanguageCopiesEachLocateTheirOwnCategory)
{
    // #16000 is read in English, #16001 neutral: two offsets, one per copy.
    Reading r(testPlugin("lang.8bf"));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].m_category, "Lang Cat");
    EXPECT_EQ(r[1].m_category, "Lang Cat");
    EXPECT_NE(r[0].m_categoryOffset, r[1].m_categoryOffset);
}
