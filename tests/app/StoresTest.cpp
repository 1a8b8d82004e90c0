#include "app/LaunchBarEntry.h"
#include "app/Stores.h"
#include "base/Archive.h"
#include "base/FileOps.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "search/DescriptionListManager.h"
#include "support/RawArchive.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace vardel;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The raw archive writer with the entries of the stores read here.
struct Raw : test::RawArchiveBase<Raw> {
    Raw& dirEntry(const std::string& label, const std::string& file)
    {
        return str(label).str("/plugins/" + label).u32(1).u32(0).u32(0).str(file);
    }
    Raw& pluginEntry(const std::string& path, int index, int noCategory)
    {
        str(path).u32(0).u32(0xFFFFFFFF).u32(1).u32(2).u32(0).u32(0x10);
        u32(static_cast<std::uint32_t>(index)).u32(static_cast<std::uint32_t>(noCategory)).u32(0).u32(1);
        return str("Name").str("Cat").u32(4).u32(3).u32(100).u32(200).u32(0);
    }
};

class Stores : public testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_data.SetupDb()); }
    fs::path Store(const std::string& name) const { return m_data.SetupDb() / name; }

    test::TempDir m_tmp;
    DataDirectory m_data{m_tmp.path()};
};

}  // namespace

TEST_F(Stores, DirectoryListWrittenElsewhereWithClassIndexAndBackReference)
{
    Raw raw;
    raw.u16(3).cls("CPluginDirEntry").dirEntry("One", "setup.db\\SETUP000");
    raw.u16(0x8001).dirEntry("Two", "setup.db\\SETUP001");
    raw.u16(3);  // object index 3: "Two" again
    test::writeFile(Store("index"), raw.b);

    DirectoryList list;
    ASSERT_TRUE(LoadDirectoryList(m_data, list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->m_label, "One");
    EXPECT_EQ(list[1]->m_directory, "/plugins/Two");
    EXPECT_EQ(list[2]->m_label, "Two");
    EXPECT_NE(list[1].get(), list[2].get());
    EXPECT_EQ(m_data.Resolve(list[1]->m_catalogueFile), m_data.root / "setup.db" / "SETUP001");
}

TEST_F(Stores, CatalogueWrittenElsewhereKeepsSwappedFieldsAndStopsAtSchemaTwo)
{
    Raw raw;
    raw.u32(0).u16(3).cls("CPluginEntry").pluginEntry("/p/a.8bf", 3, 1);
    raw.u16(0x8001).pluginEntry("/p/b.8bf", 0, 0);
    raw.cls("CPluginEntry", 2).pluginEntry("/p/c.8bf", 0, 0);
    test::writeFile(Store("SETUP004"), raw.b);

    CPluginListManager catalogue;
    int selected = 99;
    auto result = LoadCatalogue(Store("SETUP004"), selected, catalogue);
    EXPECT_FALSE(result);
    EXPECT_EQ(selected, 0);
    ASSERT_EQ(catalogue.m_entries.size(), 2u);
    EXPECT_EQ(catalogue.m_entries[0]->m_indexInFile, 3);
    EXPECT_EQ(catalogue.m_entries[0]->m_noCategory, 1);
    EXPECT_EQ(catalogue.m_entries[0]->m_modes, 0x10);
    EXPECT_EQ(catalogue.m_entries[1]->m_path, "/p/b.8bf");
}

TEST_F(Stores, EveryStoreRoundTrips)
{
    DirectoryList dirs;
    dirs.push_back(std::make_unique<CPluginDirEntry>());
    dirs[0]->m_label = "L";
    CPluginRestoreManager restore;
    restore.Add("8BFM_BLUR_00", "Blur", "Blurs");
    CPIMIManager cache;
    cache.Add("8BFM_X_00", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    CDescriptionListManager db;
    db.SetFromTexts("K", "d", "k");
    LaunchBarList bar;
    bar.push_back(std::make_unique<CLaunchBarEntry>());
    bar[0]->m_label = "Editor";
    bar[0]->m_showCommand = 3;
    CPluginListManager catalogue;
    catalogue.m_entries.push_back(std::make_unique<CPluginEntry>());
    catalogue.m_roots.push_back(std::make_unique<CRootItem>());
    catalogue.m_currentRoot = 0;

    ASSERT_TRUE(SaveDirectoryList(m_data, dirs));
    ASSERT_TRUE(SaveRestore(m_data, restore));
    ASSERT_TRUE(SavePimiInfo(m_data, cache));
    ASSERT_TRUE(SaveDescriptions(m_data, db));
    ASSERT_TRUE(SaveLaunchBar(m_data, bar));
    ASSERT_TRUE(SaveCatalogue(Store("SETUP000"), 5, catalogue));

    DirectoryList dirs2;
    CPluginRestoreManager restore2;
    CPIMIManager cache2;
    CDescriptionListManager db2;
    LaunchBarList bar2;
    CPluginListManager catalogue2;
    int selected = -1;
    EXPECT_TRUE(LoadDirectoryList(m_data, dirs2));
    EXPECT_TRUE(LoadRestore(m_data, restore2));
    EXPECT_TRUE(LoadPimiInfo(m_data, cache2));
    EXPECT_TRUE(LoadDescriptions(m_data, db2));
    EXPECT_TRUE(LoadLaunchBar(m_data, bar2));
    EXPECT_TRUE(LoadCatalogue(Store("SETUP000"), selected, catalogue2));
    EXPECT_EQ(dirs2.at(0)->m_label, "L");
    EXPECT_EQ(restore2.GetOriginalName("8BFM_BLUR_00"), "Blur");
    EXPECT_EQ(cache2.Lookup("8BFM_X_00")->m_bytes[15], 16);
    EXPECT_EQ(db2.Find("K"), 0);
    ASSERT_EQ(bar2.size(), 10u);
    EXPECT_EQ(bar2[0]->m_showCommand, 3);
    EXPECT_TRUE(bar2[9]->IsEmpty());
    EXPECT_EQ(selected, 5);
    EXPECT_EQ(catalogue2.m_entries.size(), 1u);
    EXPECT_EQ(catalogue2.m_currentRoot, 0);
}

TEST_F(Stores, LaunchBarSchemaOneLoadsAndIsSavedAsSchemaTwo)
{
    Raw raw;
    raw.u16(2).cls("CLaunchBarEntry", 1).str("Ed").str("/bin/ed").str("").str("/").str("").u32(0);
    raw.u16(0x8001).str("").str("/bin/vi").str("").str("").str("").u32(0);
    test::writeFile(Store("launchbar"), raw.b);
    LaunchBarList bar;
    ASSERT_TRUE(LoadLaunchBar(m_data, bar));
    ASSERT_EQ(bar.size(), 10u);
    EXPECT_EQ(bar[0]->m_showCommand, 5);
    EXPECT_EQ(bar[1]->m_command, "/bin/vi");
    EXPECT_TRUE(bar[1]->IsEmpty());
    ASSERT_TRUE(SaveLaunchBar(m_data, bar));
    auto saved = test::readFile(Store("launchbar"));
    ASSERT_GT(saved.size(), 4u);
    EXPECT_EQ(saved[4], 2);  // schema after count and new-class tag
}

TEST_F(Stores, LaunchBarKeepsEntriesBeyondTheTenth)
{
    LaunchBarList bar;
    for (int i = 0; i < 12; ++i)
        bar.push_back(std::make_unique<CLaunchBarEntry>());
    ASSERT_TRUE(SaveLaunchBar(m_data, bar));
    LaunchBarList back;
    LoadLaunchBar(m_data, back);
    EXPECT_EQ(back.size(), 12u);
}

TEST_F(Stores, RestoreLoadNormalisesKeys)
{
    Raw raw;
    raw.u16(2).str("BLUR_00").cls("CPluginRestoreEntry").str("").str("Blur");
    raw.str("SOFT_8BF_01").u16(0x8001).str("Soft things").str("Soft");
    test::writeFile(Store("restore"), raw.b);
    CPluginRestoreManager restore;
    restore.Add("STALE", "x", "y");
    ASSERT_TRUE(LoadRestore(m_data, restore));
    EXPECT_EQ(restore.Size(), 2u);
    EXPECT_EQ(restore.GetOriginalName("8BEM_BLUR_00"), "Blur");
    EXPECT_EQ(restore.GetOriginalName("8BFM_SOFT_01"), "Soft");
}

TEST_F(Stores, MissingStoresAndMissingSetupDbFailQuietly)
{
    DirectoryList dirs;
    dirs.push_back(std::make_unique<CPluginDirEntry>());
    EXPECT_FALSE(LoadDirectoryList(m_data, dirs));
    EXPECT_EQ(dirs.size(), 1u);  // a store that cannot be read replaces nothing
    LaunchBarList bar;
    EXPECT_FALSE(LoadLaunchBar(m_data, bar));
    EXPECT_EQ(bar.size(), 10u);

    DataDirectory nowhere{m_tmp.path() / "elsewhere"};
    fs::create_directory(nowhere.root);
    EXPECT_FALSE(SaveDirectoryList(nowhere, dirs));
    EXPECT_FALSE(fs::exists(nowhere.SetupDb()));
    EXPECT_EQ(NewCatalogueFileName(nowhere), "");
    EXPECT_FALSE(fs::exists(nowhere.SetupDb()));
}

TEST_F(Stores, EveryTruncationKeepsAPrefixOfTheEntries)
{
    CPluginListManager catalogue;
    for (int i = 0; i < 6; ++i) {
        auto e = std::make_unique<CPluginEntry>();
        e->m_path = "/p/" + std::to_string(i) + ".8bf";
        catalogue.m_entries.push_back(std::move(e));
    }
    ASSERT_TRUE(SaveCatalogue(Store("SETUP001"), 0, catalogue));
    const Bytes full = test::readFile(Store("SETUP001"));
    std::size_t previous = 0;
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
        CPluginListManager back;
        CArchive in(cut, StoreClassRegistry());
        EXPECT_THROW(
            {
                in.ReadDword();
                back.Serialize(in);
            },
            ArchiveEndOfFile)
            << n;
        ASSERT_LE(back.m_entries.size(), 6u);
        EXPECT_GE(back.m_entries.size(), previous) << n;
        previous = back.m_entries.size();
        for (std::size_t i = 0; i < back.m_entries.size(); ++i)
            EXPECT_EQ(back.m_entries[i]->m_path, "/p/" + std::to_string(i) + ".8bf");
    }
    EXPECT_EQ(previous, 6u);
}

TEST_F(Stores, CorruptedBytesNeverCrash)
{
    CPluginRestoreManager restore;
    for (int i = 0; i < 20; ++i)
        restore.Add("8BFM_K" + std::to_string(i) + "_00", std::string(i * 20, 'n'), "c");
    ASSERT_TRUE(SaveRestore(m_data, restore));
    const Bytes full = test::readFile(Store("restore"));
    std::mt19937 rng(1234);
    for (int round = 0; round < 2000; ++round) {
        Bytes bad = full;
        for (int flips = 0; flips < 1 + round % 4; ++flips)
            bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
        CPluginRestoreManager back;
        try {
            CArchive in(bad, StoreClassRegistry());
            back.Serialize(in);
        } catch (const ArchiveError&) {}
        back.NormaliseKeys();
        EXPECT_LE(back.Size(), 20u);
    }
}

TEST_F(Stores, HostileCountsAndClassesStopTheLoad)
{
    // A keyed map claiming four billion entries, a 64-byte class name.
    Raw raw;
    raw.u16(0xFFFF).u32(0xFFFFFFFF).str("ABCDEF").cls("CPIMIEntry");
    for (int i = 0; i < 16; ++i)
        raw.u8(i);
    raw.str("B").cls(std::string(64, 'C'));
    test::writeFile(Store("pimiinfo"), raw.b);
    CPIMIManager cache;
    auto result = LoadPimiInfo(m_data, cache);
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("class"), std::string::npos);
    ASSERT_EQ(cache.Size(), 1u);
    EXPECT_NE(cache.Lookup("8BFM_ABCDEF"), nullptr);

    // A directory list holding a restore entry: the wrong class.
    Raw wrong;
    wrong.u16(1).cls("CPluginRestoreEntry").str("").str("");
    test::writeFile(Store("index"), wrong.b);
    DirectoryList dirs;
    EXPECT_FALSE(LoadDirectoryList(m_data, dirs));
    EXPECT_TRUE(dirs.empty());
}

TEST_F(Stores, OversizedStoreIsRefusedBeforeReading)
{
    {
        std::ofstream out(Store("keywords"), std::ios::binary);
        out.seekp(static_cast<std::streamoff>(kMaxStoreSize));
        out.put('\0');
    }
    CDescriptionListManager db;
    EXPECT_FALSE(LoadDescriptions(m_data, db));
}

TEST_F(Stores, AFailedSaveLeavesTheOldStore)
{
    CPluginRestoreManager restore;
    restore.Add("8BFM_OLD_00", "Old", "c");
    ASSERT_TRUE(SaveRestore(m_data, restore));
    const Bytes before = test::readFile(Store("restore"));

    // Serialisation failing half-way through.
    auto result = SaveArchiveFile(Store("restore"), [](CArchive& ar) {
        ar.WriteCount(5);
        throw ArchiveError("interrupted");
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(test::readFile(Store("restore")), before);

    // The file system failing at each step of the replacement.
    for (WriteStep step : {WriteStep::CreateTemp, WriteStep::Write, WriteStep::Sync, WriteStep::Replace}) {
        Bytes other(5000, 0xAB);
        auto ec = WriteFileAtomically(Store("restore"), other, [step](WriteStep s) { return s == step; });
        EXPECT_TRUE(ec) << static_cast<int>(step);
        EXPECT_EQ(test::readFile(Store("restore")), before);
        CPluginRestoreManager back;
        EXPECT_TRUE(LoadRestore(m_data, back));
        EXPECT_EQ(back.GetOriginalName("8BFM_OLD_00"), "Old");
    }
    // No temporary file is left behind.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_data.SetupDb()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(Stores, AtomicWriteKeepsPermissions)
{
    test::writeFile(Store("index"), std::string("old"));
    fs::permissions(Store("index"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Bytes data{1, 2, 3};
    ASSERT_FALSE(WriteFileAtomically(Store("index"), data));
    EXPECT_EQ(test::readFile(Store("index")), data);
    EXPECT_EQ(fs::status(Store("index")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(Stores, NewCatalogueFileNames)
{
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    EXPECT_EQ(NewCatalogueFileName(m_data), "setup.db" + sep + "SETUP000");
    EXPECT_TRUE(fs::exists(Store("SETUP000")));
    EXPECT_EQ(fs::file_size(Store("SETUP000")), 0u);
    test::writeFile(Store("SETUP001"), std::string("x"));
    EXPECT_EQ(NewCatalogueFileName(m_data), "setup.db" + sep + "SETUP002");
    fs::remove(Store("SETUP000"));
    EXPECT_EQ(NewCatalogueFileName(m_data), "setup.db" + sep + "SETUP000");
    for (int i = 3; i < 99; ++i)
        EXPECT_NE(NewCatalogueFileName(m_data), "");
    EXPECT_EQ(NewCatalogueFileName(m_data), "setup.db" + sep + "SETUP099");
    EXPECT_EQ(NewCatalogueFileName(m_data), "");
}

TEST(DataDirectory, ResolveAcceptsBothSeparators)
{
    DataDirectory dir{"/data"};
    EXPECT_EQ(dir.Resolve("setup.db\\SETUP007"), fs::path("/data/setup.db/SETUP007"));
    EXPECT_EQ(dir.Resolve("setup.db/SETUP007"), fs::path("/data/setup.db/SETUP007"));
}
