// The refresh of a stored catalogue against its files: each file is opened
// once however many plug-ins it holds and wherever the sort put them, and
// files whose names other entries may rename to or from are checked in the
// catalogue's order.

#include "catalogue/CatalogueScan.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <stop_token>
#include <string>
#include <vector>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

struct Collection {
    test::TempDir temp;
    fs::path plugins = temp / "plugins";
    CPluginRestoreManager restore;
    CPIMIManager pimi;

    Collection() { fs::create_directories(plugins); }
    void Copy(const std::string& name, const std::string& as) { fs::copy_file(test::testPlugin(name), plugins / as); }
    CCatalogueScan ScanOf(CPluginListManager& catalogue)
    {
        return CCatalogueScan(catalogue, restore, pimi, nullptr, {"8bf", false});
    }
    // A full scan, sorted as the program stores it.
    CPluginListManager Scanned()
    {
        CPluginListManager catalogue;
        ScanOf(catalogue).FullScan(plugins.string(), false);
        SortCatalogue(catalogue);
        return catalogue;
    }
};

std::vector<std::string> Paths(const CPluginListManager& catalogue)
{
    std::vector<std::string> paths;
    for (const auto& e : catalogue.m_entries)
        paths.push_back(e->m_path);
    return paths;
}

// What the reader made of an entry, its root aside.
std::string Described(const CPluginEntry& e)
{
    std::ostringstream out;
    out << e.m_kind << ' ' << e.m_resourceType << ' ' << e.m_resourceFlags << ' ' << e.m_modes << ' ' << e.m_noCategory
        << ' ' << e.m_enabled << ' ' << e.m_indexInFile << " [" << e.m_name << "] [" << e.m_category << "] "
        << e.m_nameCapacity << ' ' << e.m_categoryCapacity << ' ' << e.m_nameOffset << ' ' << e.m_categoryOffset << ' '
        << e.m_fileStatus.size << ' ' << int(e.m_fileStatus.attributes);
    return out.str();
}

}  // namespace

// A scan reads file after file through one module and one set of lists:
// every file, whatever was read before it (more resources or plug-ins,
// damage, no module at all), gives the entries a reader of its own gives.
TEST(CatalogueScan, ReadsEveryFileAsAReaderOfItsOwnDoes)
{
    Collection c;
    std::vector<fs::path> templates;
    for (const auto& entry : fs::directory_iterator(test::testPlugin("pipl_single.8bf").parent_path()))
        templates.push_back(entry.path());
    std::sort(templates.begin(), templates.end());
    ASSERT_GT(templates.size(), 20u);
    // Each file twice, so that it follows different files in the walk.
    for (std::size_t i = 0; i < templates.size(); ++i)
        for (const char* copy : {"a", "b"})
            fs::copy_file(templates[i],
                          c.plugins / (copy + std::to_string(i) + "_" + templates[i].stem().string() + ".8bf"));

    CPluginListManager scanned;
    c.ScanOf(scanned).FullScan(c.plugins.string(), false);
    std::map<std::string, std::vector<std::string>> byFile;
    for (const auto& e : scanned.m_entries)
        byFile[e->m_path].push_back(Described(*e));

    int files = 0;
    for (const auto& entry : fs::directory_iterator(c.plugins)) {
        CPluginListManager own;
        CPluginRestoreManager restore;
        CPIMIManager pimi;
        CPluginReader reader(own, restore, pimi);
        const std::string path = entry.path().string();
        reader.ReadFile(path, true);
        std::vector<std::string> expected;
        for (const auto& e : own.m_entries)
            expected.push_back(Described(*e));
        EXPECT_EQ(byFile[path], expected) << path;
        files += expected.empty() ? 0 : 1;
    }
    EXPECT_GT(files, 20);
}

// A scan looks up the originals of its filters together once its files
// are read, or once it is stopped: the capacities and the records must be
// what reading the same files one by one gives, in the same order. Every
// file name is here twice, for two plug-ins: the second of each finds the
// originals the first recorded, texts of another length than its own.
TEST(CatalogueScan, FiltersGetTheOriginalsReadingFileByFileGives)
{
    for (const int stopAfter : {-1, 25}) {
        Collection c;
        std::vector<fs::path> templates;
        for (const auto& entry : fs::directory_iterator(test::testPlugin("pipl_single.8bf").parent_path()))
            templates.push_back(entry.path());
        std::sort(templates.begin(), templates.end());
        fs::create_directories(c.plugins / "one");
        fs::create_directories(c.plugins / "two");
        for (std::size_t i = 0; i < templates.size(); ++i) {
            // The same name for another plug-in: its texts differ from the originals recorded first.
            const std::string name = templates[i].stem().string() + ".8bf";
            fs::copy_file(templates[i], c.plugins / "one" / name);
            fs::copy_file(templates[(i + 1) % templates.size()], c.plugins / "two" / name);
        }
        // The database knows the originals of one of the two already.
        CPluginRestoreManager restore;
        CPluginListManager first, firstOwn;
        c.ScanOf(first).FullScan((c.plugins / "one").string(), false);
        CPIMIManager pimi;
        for (const auto& e : first.m_entries)
            if (firstOwn.m_entries.empty() || firstOwn.m_entries.back()->m_path != e->m_path)
                CPluginReader(firstOwn, restore, pimi).ReadFile(e->m_path, true);

        CPluginListManager scanned;
        std::stop_source stop;
        CCatalogueScan scan(scanned, c.restore, c.pimi, nullptr, {"8bf", false}, stop.get_token());
        int files = 0;
        scan.m_onProgress = [&](int, int total, const std::string& path) {
            if (total >= 0 && !path.empty() && ++files == stopAfter)
                stop.request_stop();
        };
        scan.FullScan(c.plugins.string(), true);
        ASSERT_FALSE(scanned.m_entries.empty());

        // The same files read one by one, in the order the scan read them.
        CPluginListManager own;
        std::vector<std::string> paths;
        for (const auto& e : scanned.m_entries)
            if (paths.empty() || paths.back() != e->m_path)
                paths.push_back(e->m_path);
        for (const auto& path : paths)
            CPluginReader(own, restore, pimi).ReadFile(path, true);

        ASSERT_EQ(own.m_entries.size(), scanned.m_entries.size()) << stopAfter;
        int filters = 0;
        for (std::size_t i = 0; i < own.m_entries.size(); ++i) {
            EXPECT_EQ(Described(*scanned.m_entries[i]), Described(*own.m_entries[i])) << stopAfter;
            filters += own.m_entries[i]->IsFilter() ? 1 : 0;
        }
        EXPECT_GT(filters, 10);
        std::vector<std::string> recorded, expected;
        for (const auto& [key, e] : c.restore.Entries())
            recorded.push_back(key + "|" + e->m_originalName + "|" + e->m_originalCategory);
        for (const auto& [key, e] : restore.Entries())
            expected.push_back(key + "|" + e->m_originalName + "|" + e->m_originalCategory);
        EXPECT_EQ(recorded, expected) << stopAfter;
    }
}

// Three plug-ins per file in two categories: the sort puts the entries of a
// file far apart, and there are more such files than handles a check could
// keep open.
TEST(CatalogueRefresh, OpensEachFileOnce)
{
    Collection c;
    constexpr int kFiles = 100;
    for (int i = 0; i < kFiles; ++i)
        c.Copy("pipl_three.8bf", "three" + std::to_string(i) + ".8bf");
    c.Copy("pipl_single.8bf", "single.8bf");
    CPluginListManager catalogue = c.Scanned();
    ASSERT_EQ(catalogue.m_entries.size(), 3u * kFiles + 1);
    const std::vector<std::string> before = Paths(catalogue);

    CCatalogueScan refresh = c.ScanOf(catalogue);
    refresh.Refresh(c.plugins.string(), false);
    EXPECT_EQ(refresh.FilesOpened(), kFiles + 1);
    EXPECT_EQ(refresh.FilesRead(), 0);
    EXPECT_EQ(Paths(catalogue), before);
    for (const auto& e : catalogue.m_entries) {
        EXPECT_FALSE(e->m_name.empty());
        EXPECT_EQ(e->m_fileStatus.size, fs::file_size(e->m_path));
    }
}

// Two entries of one file recorded in different states: each check gives
// the file the state its entry recorded, so the last entry in catalogue
// order decides where the file ends, as it always did.
TEST(CatalogueRefresh, EntriesThatRenameEachOthersFilesKeepTheCatalogueOrder)
{
    Collection c;
    c.Copy("pipl_three.8bf", "x.8bf");
    for (int i = 0; i < 3; ++i)
        c.Copy("pipl_single.8bf", "other" + std::to_string(i) + ".8bf");
    CPluginListManager catalogue = c.Scanned();
    std::vector<CPluginEntry*> ofX;
    for (const auto& e : catalogue.m_entries)
        if (fs::path(e->m_path).filename() == "x.8bf")
            ofX.push_back(e.get());
    ASSERT_EQ(ofX.size(), 3u);
    // The middle one says disabled: its check renames x.8bf to x_8bf, and
    // the last one's renames it back.
    const std::string disabled = (c.plugins / "x_8bf").string();
    ofX[1]->m_path = disabled;
    ofX[1]->m_enabled = 0;

    CCatalogueScan refresh = c.ScanOf(catalogue);
    refresh.Refresh(c.plugins.string(), false);
    EXPECT_TRUE(fs::exists(c.plugins / "x.8bf"));
    EXPECT_FALSE(fs::exists(c.plugins / "x_8bf"));
    EXPECT_EQ(catalogue.m_entries.size(), 6u);
    EXPECT_EQ(ofX[1]->m_path, disabled);
    EXPECT_EQ(refresh.FilesRead(), 0);
}

// A file disabled outside the program is found under its other name, gets
// its recorded name back and counts as known (it is not read in full); a
// file that went missing drops its entries; the progress ends at the total.
TEST(CatalogueRefresh, FilesRenamedOrRemovedOutsideTheProgram)
{
    Collection c;
    c.Copy("pipl_three.8bf", "a.8bf");
    c.Copy("pipl_single.8bf", "b.8bf");
    c.Copy("pipl_single.8bf", "c.8bf");
    CPluginListManager catalogue = c.Scanned();
    ASSERT_EQ(catalogue.m_entries.size(), 5u);
    fs::rename(c.plugins / "a.8bf", c.plugins / "a_8bf");
    fs::remove(c.plugins / "c.8bf");

    CCatalogueScan refresh = c.ScanOf(catalogue);
    int done = -1, total = -1;
    refresh.m_onProgress = [&](int d, int t, const std::string&) {
        done = d;
        total = t;
    };
    refresh.Refresh(c.plugins.string(), false);
    EXPECT_TRUE(fs::exists(c.plugins / "a.8bf"));
    EXPECT_FALSE(fs::exists(c.plugins / "a_8bf"));
    EXPECT_EQ(refresh.FilesRead(), 0);
    EXPECT_EQ(catalogue.m_entries.size(), 4u);
    EXPECT_EQ(total, 2);
    EXPECT_EQ(done, 2);
}
