#include "app/Stores.h"
#include "base/Archive.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"
#include "pe/BlockFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <sys/stat.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

CPluginEntry entryWithPath(const std::string& path, int kind = kKindFilter, int index = 0)
{
    CPluginEntry e;
    e.m_path = path;
    e.m_kind = kind;
    e.m_indexInFile = index;
    e.m_enabled = path.find('.', path.find_last_of('/') + 1) == std::string::npos ? 0 : 1;
    return e;
}

}  // namespace

TEST(PluginEntry, InitialValues)
{
    CPluginEntry e;
    EXPECT_EQ(e.m_reserved1, -1);
    EXPECT_EQ(e.m_enabled, 1);
    EXPECT_EQ(e.m_kind, 0);
    EXPECT_EQ(e.m_noCategory, 0);
}

TEST(PluginEntry, IndexInFileIsStoredBeforeTheNoCategoryFlag)
{
    CPluginEntry e;
    e.m_indexInFile = 3;
    e.m_noCategory = 1;
    CArchive out;
    e.Serialize(out);
    // path (1 byte), root index, reserved 1, kind, resource type, flags, modes: 1 + 6 * 4.
    const auto& d = out.Data();
    ASSERT_GE(d.size(), 33u);
    EXPECT_EQ(d[25], 3);                               // index in file
    EXPECT_EQ(d[29], 1);                               // no category
    EXPECT_EQ(d.size(), 1u + 10 * 4 + 1 + 1 + 5 * 4);  // 18 items

    CPluginEntry back;
    CArchive in(d, StoreClassRegistry());
    back.Serialize(in);
    EXPECT_EQ(back.m_indexInFile, 3);
    EXPECT_EQ(back.m_noCategory, 1);
}

struct NameCase {
    std::string path;
    int kind;
    int index;
    std::string title;
    std::string base;
    std::string realPath;
};

std::ostream& operator<<(std::ostream& os, const NameCase& c)
{
    return os << c.path << ", index " << c.index;
}

class DerivedNames : public testing::TestWithParam<NameCase> {};

TEST_P(DerivedNames, FollowTheFileName)
{
    const auto& c = GetParam();
    CPluginEntry e = entryWithPath(c.path, c.kind, c.index);
    EXPECT_EQ(e.FileTitle(), c.title);
    EXPECT_EQ(e.ImageBaseName(), c.base);
    EXPECT_EQ(e.RealPath(), c.realPath);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DerivedNames,
    testing::Values(NameCase{"/p/Blur.8BF", 1, 0, "Blur", "8BFM_BLUR_00", "/p/Blur.8BF"},
                    NameCase{"/p/Blur_8BF", 1, 0, "Blur", "8BFM_BLUR_00", "/p/Blur.8BF"},
                    NameCase{"/p/Blur_8BF", 1, 1, "Blur", "8BFM_BLUR_01", "/p/Blur.8BF"},
                    NameCase{"/p/Plug_in_8BF", 1, 0, "Plug_in", "8BFM_PLUG_IN_00", "/p/Plug_in.8BF"},
                    NameCase{"/p/Plug_in.8bf", 1, 0, "Plug_in", "8BFM_PLUG_IN_00", "/p/Plug_in.8bf"},
                    NameCase{"/my_dir.v2/Blur", 0, 12, "Blur", "****_BLUR_12", "/my_dir.v2/Blur"},
                    NameCase{"/my.dir/Blur_8bf", 9, 0, "Blur", "EFKT_BLUR_00", "/my.dir/Blur.8bf"},
                    NameCase{"C:\\Plug.ins\\Sharp_8BF", 1, 0, "Sharp", "8BFM_SHARP_00", "C:\\Plug.ins\\Sharp.8BF"},
                    NameCase{"/p/_8BF", 1, 0, "_8BF", "8BFM__8BF_00", "/p/_8BF"},
                    NameCase{"/p/a.b.8bf", 1, 0, "a.b", "8BFM_A.B_00", "/p/a.b.8bf"},
                    NameCase{"/p/x.8bf", 99, 0, "x", "****_X_00", "/p/x.8bf"}));

TEST(PluginEntry, PreviewImageAndDescriptionKey)
{
    CPluginEntry e = entryWithPath("/p/Blur.8BF");
    EXPECT_EQ(e.PreviewImageName(0), "8BFM_BLUR_00_000.JPG");
    EXPECT_EQ(e.PreviewImageName(12), "8BFM_BLUR_00_012.JPG");
    EXPECT_EQ(e.DescriptionKey(), "8BFM_BLUR_00_0");
    e.m_resourceType = kResourcePiPL;
    e.m_resourceFlags = kFlagPARM | kFlagFUNC;
    EXPECT_EQ(e.DescriptionKey(), "8BFM_BLUR_00_1");
    e.m_resourceType = kResourcePiMI;  // only a PiPL filter is a Filter Factory filter
    EXPECT_EQ(e.DescriptionKey(), "8BFM_BLUR_00_0");
}

TEST(PluginEntry, SortKeyPadsButNeverCuts)
{
    CPluginEntry e;
    e.m_rootIndex = 2;
    e.m_kind = 1;
    e.m_category = "Blur";
    e.m_name = "soft";
    EXPECT_EQ(e.SortKey(), "002.001." + std::string("BLUR") + std::string(36, ' ') + ".SOFT" + std::string(36, ' '));
    CPluginEntry longer = e;
    longer.m_category = std::string(44, 'a') + "b";
    CPluginEntry other = e;
    other.m_category = std::string(44, 'a') + "c";
    EXPECT_EQ(longer.SortKey().size(), 8u + 45 + 1 + 40);
    EXPECT_LT(longer.SortKey(), other.SortKey());
}

TEST(PluginEntry, Predicates)
{
    CPluginEntry e;
    e.m_kind = kKindFilter;
    EXPECT_TRUE(e.IsFilter());
    e.m_kind = kKindEffect;
    EXPECT_TRUE(e.IsFilter());
    e.m_kind = 2;
    EXPECT_FALSE(e.IsFilter());
    e.m_resourceFlags = kFlagPARM | kFlagFLVS;
    EXPECT_TRUE(e.IsPremiereFilterFactory());
    EXPECT_FALSE(e.IsPremiereTransitionFactory());
    e.m_resourceFlags = kFlagPARM | kFlagFXVS;
    EXPECT_TRUE(e.IsPremiereTransitionFactory());
    e.m_resourceFlags = kFlagFUNC | kFlagFXVS;
    EXPECT_FALSE(e.IsPremiereTransitionFactory());
}

// ---- refresh from file ------------------------------------------------------

namespace {

std::string fileWithPascal(int offset, int length, const std::string& text)
{
    std::string data(64, '\0');
    data[static_cast<std::size_t>(offset - 1)] = static_cast<char>(length);
    data.replace(static_cast<std::size_t>(offset), text.size(), text);
    return data;
}

}  // namespace

struct RefreshLengthCase {
    int length;
    bool ok;
    friend void PrintTo(const RefreshLengthCase& c, std::ostream* os) { *os << "length " << c.length; }
};

class RefreshPiPL : public testing::TestWithParam<RefreshLengthCase> {};

TEST_P(RefreshPiPL, LengthByteLimits)
{
    const auto c = GetParam();
    std::string text(40, 'n');
    std::istringstream file(fileWithPascal(10, c.length, text) + std::string(40, '\0'));
    CPluginEntry e;
    e.m_resourceType = kResourcePiPL;
    e.m_kind = 2;  // not a filter: category is cleared
    e.m_name = "old";
    e.m_category = "cat";
    e.m_nameCapacity = 40;
    e.m_nameOffset = 10;
    EXPECT_EQ(e.RefreshFromFile(file), c.ok);
    if (c.ok) {
        EXPECT_EQ(e.m_name, std::string(static_cast<std::size_t>(c.length), 'n'));
    } else {
        EXPECT_EQ(e.m_name, "");
    }
    EXPECT_EQ(e.m_category, "");
}

INSTANTIATE_TEST_SUITE_P(Lengths, RefreshPiPL,
                         testing::Values(RefreshLengthCase{0, false}, RefreshLengthCase{1, true},
                                         RefreshLengthCase{34, true}, RefreshLengthCase{35, false},
                                         RefreshLengthCase{-1, false}));

TEST(RefreshFromFile, PiPLFilterReadsNameAndCategory)
{
    std::string data(100, '\0');
    data[19] = 4;
    data.replace(20, 4, "Soft");
    data[49] = 3;
    data.replace(50, 3, "Blu");
    std::istringstream file(data);
    CPluginEntry e;
    e.m_resourceType = kResourcePiPL;
    e.m_kind = kKindFilter;
    e.m_nameCapacity = 4;
    e.m_nameOffset = 20;
    e.m_categoryCapacity = 3;
    e.m_categoryOffset = 50;
    EXPECT_TRUE(e.RefreshFromFile(file));
    EXPECT_EQ(e.m_name, "Soft");
    EXPECT_EQ(e.m_category, "Blu");
}

TEST(RefreshFromFile, PiMIReadsZeroTerminatedFieldsAndSurvivesTheEnd)
{
    std::string data(30, '\0');
    data.replace(5, 4, "Name");
    data.replace(20, 10, "Category!!");  // runs to the end of the file
    std::istringstream file(data);
    CPluginEntry e;
    e.m_resourceType = kResourcePiMI;
    e.m_kind = kKindFilter;
    e.m_nameCapacity = 8;
    e.m_nameOffset = 5;
    e.m_categoryCapacity = 40;
    e.m_categoryOffset = 20;
    EXPECT_TRUE(e.RefreshFromFile(file));
    EXPECT_EQ(e.m_name, "Name");
    EXPECT_EQ(e.m_category, "Category!!");
}

TEST(RefreshFromFile, CapacityZeroKeepsTextsAndNegativeOffsetThrows)
{
    std::istringstream file(std::string(10, 'x'));
    CPluginEntry e;
    e.m_resourceType = kResourcePiPL;
    e.m_kind = kKindFilter;
    e.m_name = "keep";
    e.m_category = "keep too";
    EXPECT_TRUE(e.RefreshFromFile(file));
    EXPECT_EQ(e.m_name, "keep");
    EXPECT_EQ(e.m_category, "keep too");
    e.m_nameCapacity = 4;
    e.m_nameOffset = 0;  // the length byte would stand before the file
    EXPECT_THROW(e.RefreshFromFile(file), std::ios_base::failure);
}

// ---- enabling and disabling --------------------------------------------------

class SetEnabled : public testing::Test {
protected:
    test::TempDir m_dir;
    std::string P(const std::string& rel) const { return (m_dir.path() / rel).string(); }
};

TEST_F(SetEnabled, DisablesAndEnablesTheFileName)
{
    test::writeFile(P("Blur.8BF"), std::string("x"));
    CPluginEntry e = entryWithPath(P("Blur.8BF"));
    EXPECT_TRUE(e.SetEnabled(false));
    EXPECT_EQ(e.m_path, P("Blur_8BF"));
    EXPECT_EQ(e.m_enabled, 0);
    EXPECT_TRUE(fs::exists(P("Blur_8BF")));
    EXPECT_FALSE(fs::exists(P("Blur.8BF")));
    EXPECT_TRUE(e.SetEnabled(false));  // already so: nothing happens
    EXPECT_TRUE(e.SetEnabled(true));
    EXPECT_EQ(e.m_path, P("Blur.8BF"));
    EXPECT_TRUE(fs::exists(P("Blur.8BF")));
}

TEST_F(SetEnabled, IgnoresDotsAndUnderscoresInDirectoryNames)
{
    fs::create_directories(P("my_plugins.d/sub_dir"));
    test::writeFile(P("my_plugins.d/sub_dir/Blur"), std::string("x"));
    CPluginEntry noUnderscore = entryWithPath(P("my_plugins.d/sub_dir/Blur"));
    EXPECT_FALSE(noUnderscore.SetEnabled(true));
    EXPECT_EQ(noUnderscore.m_path, P("my_plugins.d/sub_dir/Blur"));
    EXPECT_TRUE(fs::exists(P("my_plugins.d/sub_dir/Blur")));

    fs::create_directories(P("v1.0"));
    test::writeFile(P("v1.0/Sharp"), std::string("x"));
    CPluginEntry enabledLooking = entryWithPath(P("v1.0/Sharp"));
    enabledLooking.m_enabled = 1;  // claims to be enabled, but has no extension
    EXPECT_FALSE(enabledLooking.SetEnabled(false));
    EXPECT_TRUE(fs::exists(P("v1.0/Sharp")));
}

TEST_F(SetEnabled, RenamesFilesWhoseNamesAreNotInTheCodePage)
{
    // Paths are held as the file system's bytes: a UTF-8 name must reach the
    // rename unchanged, or the missing source would pass as renamed already.
    const std::string name = "Flou \xC3\xA9t\xC3\xA9 \xE6\xBC\xA2";
    test::writeFile(P(name + ".8BF"), std::string("x"));
    CPluginEntry e = entryWithPath(P(name + ".8BF"));
    EXPECT_TRUE(e.SetEnabled(false));
    EXPECT_EQ(e.m_path, P(name + "_8BF"));
    EXPECT_TRUE(fs::exists(P(name + "_8BF")));
    EXPECT_FALSE(fs::exists(P(name + ".8BF")));
}

TEST_F(SetEnabled, NeverReplacesAnExistingFile)
{
    test::writeFile(P("Blur.8BF"), std::string("enabled"));
    test::writeFile(P("Blur_8BF"), std::string("disabled copy"));
    CPluginEntry e = entryWithPath(P("Blur.8BF"));
    EXPECT_FALSE(e.SetEnabled(false));
    EXPECT_EQ(e.m_path, P("Blur.8BF"));
    EXPECT_EQ(e.m_enabled, 1);
    EXPECT_EQ(test::readFile(P("Blur.8BF")).size(), 7u);
    EXPECT_EQ(test::readFile(P("Blur_8BF")).size(), 13u);
}

TEST_F(SetEnabled, AMissingSourceCountsAsRenamedBySiblingEntry)
{
    test::writeFile(P("Multi.8BF"), std::string("x"));
    CPluginEntry first = entryWithPath(P("Multi.8BF"), 1, 0);
    CPluginEntry second = entryWithPath(P("Multi.8BF"), 1, 1);
    EXPECT_TRUE(first.SetEnabled(false));
    EXPECT_TRUE(second.SetEnabled(false));
    EXPECT_EQ(second.m_path, P("Multi_8BF"));
    EXPECT_EQ(second.m_enabled, 0);
    EXPECT_TRUE(fs::exists(P("Multi_8BF")));
}

TEST_F(SetEnabled, LeadingDotOrUnderscoreIsNoExtension)
{
    test::writeFile(P(".8BF"), std::string("x"));
    CPluginEntry e = entryWithPath(P(".8BF"));
    e.m_enabled = 1;
    EXPECT_FALSE(e.SetEnabled(false));  // could never be enabled again
    EXPECT_TRUE(fs::exists(P(".8BF")));
}

TEST(FileStatus, ReadOnlyComesFromThePermissionBits)
{
    test::TempDir dir;
    auto file = dir / "f.8bf";
    test::writeFile(file, std::string("12345"));
    FileStatus st;
    ASSERT_TRUE(FileStatus::Get(file.string(), st));
    EXPECT_EQ(st.size, 5u);
    EXPECT_EQ(st.attributes & FileStatus::kAttrReadOnly, 0);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(FileStatus::Get(file.string(), st));
    EXPECT_NE(st.attributes & FileStatus::kAttrReadOnly, 0);
    EXPECT_FALSE(FileStatus::Get((dir / "missing").string(), st));
}

namespace {

std::string Printf(const char* format, int value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

class NumbersInNames : public testing::TestWithParam<int> {};

}  // namespace

// The numbers in the derived names read as "%02d" and "%03d" print them,
// also where they outgrow the width or are negative (a damaged store).
TEST_P(NumbersInNames, ReadAsPrintfPrintsThem)
{
    const int n = GetParam();
    CPluginEntry e = entryWithPath("/p/Soft blur.8bf", kKindFilter, n);
    EXPECT_EQ(e.ImageBaseName(), "8BFM_SOFT BLUR_" + Printf("%02d", n));
    EXPECT_EQ(e.PreviewImageName(n), "8BFM_SOFT BLUR_" + Printf("%02d", n) + "_" + Printf("%03d", n) + ".JPG");
    e.m_rootIndex = n;
    e.m_kind = n;
    e.m_category = "Blur";
    e.m_name = "soft";
    EXPECT_EQ(e.SortKey(), Printf("%03d", n) + "." + Printf("%03d", n) + ".BLUR" + std::string(36, ' ') + ".SOFT" +
                               std::string(36, ' '));
}

INSTANTIATE_TEST_SUITE_P(Values, NumbersInNames,
                         testing::Values(0, 7, 10, 99, 100, 999, 1000, 123456, -1, -9, -10, -99, -100,
                                         std::numeric_limits<int>::max(), std::numeric_limits<int>::min()));

// The status of an open file is what a query by name gives (its times
// aside, which the query after a read may see later), by either kind of path.
TEST(FileStatus, FromTheOpenFileAsByName)
{
    test::TempDir dir;
    const auto file = dir / "plug.8bf";
    test::writeFile(file, std::string(1234, 'x'));
    for (bool readOnly : {false, true}) {
        fs::permissions(file, readOnly ? fs::perms::owner_read : fs::perms::owner_read | fs::perms::owner_write);
        BlockFile open;
        ASSERT_TRUE(open.Open(file.string()));
        FileStatus byName, fromOpen;
        ASSERT_TRUE(FileStatus::Get(file.string(), byName));
        ASSERT_TRUE(FileStatus::Get(file.string(), open.StatAtOpen(), fromOpen));
        EXPECT_EQ(fromOpen.size, 1234u);
        EXPECT_EQ(fromOpen.size, byName.size);
        EXPECT_EQ(fromOpen.modified, byName.modified);
        EXPECT_EQ(fromOpen.attributes, byName.attributes);
    }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);

    // A path relative to the current directory.
    const auto cwd = fs::current_path();
    fs::current_path(dir.path());
    BlockFile open;
    ASSERT_TRUE(open.Open("plug.8bf"));
    FileStatus byName, fromOpen;
    ASSERT_TRUE(FileStatus::Get("plug.8bf", byName));
    ASSERT_TRUE(FileStatus::Get("plug.8bf", open.StatAtOpen(), fromOpen));
    fs::current_path(cwd);
    EXPECT_EQ(fromOpen.size, 1234u);
    EXPECT_EQ(fromOpen.size, byName.size);
    EXPECT_EQ(fromOpen.attributes, byName.attributes);
}
