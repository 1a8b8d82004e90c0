#include "app/Application.h"
#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"
#include "catalogue/VardelDoc.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

#include <unistd.h>

using namespace vardel;
namespace fs = std::filesystem;
using vardel::test::testPlugin;

namespace {

// A data directory with setup.db and one configured plug-in directory.
struct Fixture {
    test::TempDir temp;
    fs::path plugins = temp / "plugins";
    CVardelApp app;
    std::vector<std::string> progress;
    std::vector<std::string> messages;

    Fixture()
    {
        fs::create_directories(temp / "setup.db");
        fs::create_directories(plugins);
        app.m_dataDir.root = temp.path();
        AddDirectory(plugins.string(), false);
    }
    void AddDirectory(const std::string& path, bool subdirs)
    {
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Test " + std::to_string(app.m_directories.size());
        dir->m_directory = path;
        dir->m_includeSubdirectories = subdirs ? 1 : 0;
        dir->m_catalogueFile = NewCatalogueFileName(app.m_dataDir);
        ASSERT_FALSE(dir->m_catalogueFile.empty());
        app.m_directories.push_back(std::move(dir));
    }
    void Copy(const std::string& name, const std::string& as = {})
    {
        fs::copy_file(testPlugin(name), plugins / (as.empty() ? name : as));
    }
    fs::path CatalogueFile(int n) const
    {
        return app.m_dataDir.Resolve(app.m_directories[static_cast<std::size_t>(n)]->m_catalogueFile);
    }
    // A fresh document, as after a restart of the program.
    std::unique_ptr<CVardelDoc> Doc()
    {
        auto doc = std::make_unique<CVardelDoc>(app);
        doc->m_onProgress = [this](const std::string& p) { progress.push_back(p); };
        doc->m_onMessage = [this](const std::string& m) { messages.push_back(m); };
        return doc;
    }
    static std::vector<std::string> Names(const CVardelDoc& doc)
    {
        std::vector<std::string> out;
        for (const auto& e : doc.m_catalogue.m_entries)
            out.push_back(e->m_name);
        return out;
    }
};

}  // namespace

TEST(VardelDoc, SelectingTwiceScansOnceAndRefreshesOnce)
{
    Fixture f;
    for (const char* name : {"pipl_single.8bf", "pipl_three.8bf", "pimi_filter.8bf", "premiere_filter.prm",
                             "ff_filter.8bf", "disabled_8bf"})
        f.Copy(name);
    f.Copy("pipl_nocat.8bf", "notes.txt");  // not a candidate

    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(doc->m_filesRead, 6);
    EXPECT_EQ(f.progress.size(), 6u);
    EXPECT_EQ(doc->m_title, "Test 0");
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 9u);
    EXPECT_EQ(doc->m_catalogue.m_roots.size(), 1u);
    EXPECT_GT(fs::file_size(f.CatalogueFile(0)), 0u) << "SetupSave ran";
    auto first = Fixture::Names(*doc);

    auto again = f.Doc();
    f.progress.clear();
    ASSERT_TRUE(again->SelectDirectory(0));
    EXPECT_EQ(again->m_filesRead, 0);
    EXPECT_EQ(Fixture::Names(*again), first);
    EXPECT_EQ(f.progress.size(), 9u) << "every known entry is checked";
    for (const auto& e : again->m_catalogue.m_entries)
        EXPECT_EQ(e->m_fileStatus.size, fs::file_size(e->m_path)) << e->m_path;
    EXPECT_TRUE(f.messages.empty());
}

TEST(VardelDoc, FilesThatAreNoPluginsAreReadAtEveryRefresh)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    f.Copy("text.8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(doc->m_filesRead, 1) << "the catalogue does not know text.8bf";
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 1u);
}

TEST(VardelDoc, CatalogueIsSortedAndClassesCounted)
{
    Fixture f;
    for (const char* name : {"pipl_kinds.8bf", "pipl_three.8bf", "premiere_filter.prm"})
        f.Copy(name);
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    const auto& entries = doc->m_catalogue.m_entries;
    for (std::size_t i = 1; i < entries.size(); ++i)
        EXPECT_LE(entries[i - 1]->SortKey(), entries[i]->SortKey());
    std::array<int, 10> expected{3, 2, 1, 1, 1, 1, 0, 0, 0, 0};  // the "efkt" kind counts nowhere
    EXPECT_EQ(doc->m_classCounts, expected);
    EXPECT_EQ(doc->m_selectedClass, 0);
}

TEST(VardelDoc, FileDisabledOutsideGetsItsNameBack)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    fs::rename(f.plugins / "pipl_single.8bf", f.plugins / "pipl_single_8bf");

    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_TRUE(fs::exists(f.plugins / "pipl_single.8bf"));
    EXPECT_FALSE(fs::exists(f.plugins / "pipl_single_8bf"));
    ASSERT_EQ(doc->m_catalogue.m_entries.size(), 1u);
    EXPECT_EQ(doc->m_catalogue.m_entries[0]->m_enabled, 1);
    EXPECT_EQ(doc->m_filesRead, 0);
}

TEST(VardelDoc, FileEnabledOutsideGetsItsDisabledNameBack)
{
    Fixture f;
    f.Copy("disabled_8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    fs::rename(f.plugins / "disabled_8bf", f.plugins / "disabled.8bf");
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_TRUE(fs::exists(f.plugins / "disabled_8bf"));
    EXPECT_FALSE(fs::exists(f.plugins / "disabled.8bf"));
    EXPECT_EQ(doc->m_filesRead, 0);
}

TEST(VardelDoc, StateRenameNeverReplacesAFile)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    // The enabled name vanished; the disabled one exists and the rename back
    // is blocked by a directory of the enabled name (a file cannot replace it).
    fs::rename(f.plugins / "pipl_single.8bf", f.plugins / "pipl_single_8bf");
    fs::create_directory(f.plugins / "pipl_single.8bf");
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_TRUE(fs::is_directory(f.plugins / "pipl_single.8bf"));
    EXPECT_TRUE(fs::exists(f.plugins / "pipl_single_8bf"));
}

TEST(VardelDoc, PluginRenamedByAnotherToolIsReadAgain)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    const int offset = doc->m_catalogue.m_entries[0]->m_nameOffset;
    auto bytes = test::readFile(f.plugins / "pipl_single.8bf");
    bytes[static_cast<std::size_t>(offset) - 1] = 35;  // a length the refresh refuses
    test::writeFile(f.plugins / "pipl_single.8bf", bytes);

    auto again = f.Doc();
    ASSERT_TRUE(again->SelectDirectory(0));
    EXPECT_EQ(again->m_filesRead, 1);
    ASSERT_EQ(again->m_catalogue.m_entries.size(), 1u);
    // The length byte now claims 35 characters; the text stops at the end of the property.
    EXPECT_EQ(again->m_catalogue.m_entries[0]->m_name.substr(0, 9), "Soft Glow");
}

TEST(VardelDoc, RefreshWidensCapacitiesToTheOriginals)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    // A catalogue written when the capacities were smaller.
    doc->m_catalogue.m_entries[0]->m_nameCapacity = 2;
    doc->m_catalogue.m_entries[0]->m_categoryCapacity = 3;
    ASSERT_TRUE(doc->SaveCatalogue());
    auto again = f.Doc();
    ASSERT_TRUE(again->SelectDirectory(0));
    ASSERT_EQ(again->m_catalogue.m_entries.size(), 1u);
    EXPECT_EQ(again->m_catalogue.m_entries[0]->m_nameCapacity, 9);
    EXPECT_EQ(again->m_catalogue.m_entries[0]->m_categoryCapacity, 11);
}

TEST(VardelDoc, VanishedPluginIsDropped)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    f.Copy("pipl_three.8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    fs::remove(f.plugins / "pipl_three.8bf");
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(Fixture::Names(*doc), std::vector<std::string>{"Soft Glow"});
    EXPECT_EQ(doc->m_filesRead, 0);
}

TEST(VardelDoc, PiMIFilterWithoutCachedTailIsReadAgain)
{
    Fixture f;
    f.Copy("pimi_filter.8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    ASSERT_EQ(f.app.m_pimiCache.m_entries.size(), 2u);
    f.app.m_pimiCache.Clear();
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(doc->m_filesRead, 1);
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 2u);
    EXPECT_EQ(f.app.m_pimiCache.m_entries.size(), 2u);
}

TEST(VardelDoc, NewFilesAreReadByTheRefresh)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    f.Copy("premiere_filter.prm");
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(doc->m_filesRead, 1);
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 2u);
    for (const auto& e : doc->m_catalogue.m_entries)
        EXPECT_EQ(e->m_rootIndex, 0);
}

TEST(VardelDoc, ScanAllIsForFullScansOnly)
{
    Fixture f;
    f.app.m_settings.scanAll = 1;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Doc()->SelectDirectory(0));
    f.Copy("pipl_three.8bf", "three.xyz");
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 1u) << "the refresh applies the extension list";
    ASSERT_TRUE(doc->RescanAll());
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 4u);
    EXPECT_EQ(doc->m_filesRead, 2);
}

TEST(VardelDoc, SubdirectoriesOnlyWhenAsked)
{
    Fixture f;
    fs::create_directories(f.plugins / "deeper" / "still");
    fs::copy_file(testPlugin("pipl_single.8bf"), f.plugins / "deeper" / "still" / "a.8bf");
    f.Copy("pipl_nocat.8bf");
    f.AddDirectory(f.plugins.string(), true);
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 1u);
    ASSERT_TRUE(doc->SelectDirectory(1));
    EXPECT_EQ(doc->m_catalogue.m_entries.size(), 2u);
}

TEST(VardelDoc, MissingDirectoryGivesNoRoot)
{
    Fixture f;
    f.AddDirectory((f.temp / "nowhere").string(), false);
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(1));
    EXPECT_TRUE(doc->m_catalogue.m_entries.empty());
    EXPECT_TRUE(doc->m_catalogue.m_roots.empty());
    EXPECT_EQ(doc->m_selectedClass, -1);
}

TEST(VardelDoc, SelectionSavesTheCatalogueShownFirst)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    f.AddDirectory((f.temp / "other").string(), false);
    auto doc = f.Doc();
    ASSERT_TRUE(doc->SelectDirectory(0));
    doc->m_selectedClass = 5;  // changed in the view since
    ASSERT_TRUE(doc->SelectDirectory(1));
    int stored = -7;
    CPluginListManager loaded;
    ASSERT_TRUE(LoadCatalogue(f.CatalogueFile(0), stored, loaded));
    EXPECT_EQ(stored, 5);
    EXPECT_EQ(loaded.m_entries.size(), 1u);
}

TEST(VardelDoc, CatalogueFileErrorsAreReported)
{
    Fixture f;
    f.app.m_directories[0]->m_catalogueFile = "setup.db/SETUP042";  // never created
    auto doc = f.Doc();
    EXPECT_FALSE(doc->SelectDirectory(0));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0], (f.temp / "setup.db/SETUP042").string() + " was not found.");

    fs::create_directory(f.temp / "setup.db" / "SETUP043");
    f.app.m_directories[0]->m_catalogueFile = "setup.db/SETUP043";
    EXPECT_FALSE(doc->SelectDirectory(0));
    EXPECT_EQ(f.messages.back(), "Access to " + (f.temp / "setup.db/SETUP043").string() + " was denied.");
    EXPECT_FALSE(doc->SelectDirectory(7)) << "no such directory";
}

TEST(VardelDoc, OpenErrorMessages)
{
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ENOENT, "F"), "F was not found.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ENAMETOOLONG, "F"), "F contains an invalid path.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(EMFILE, "F"), "F could not be opened because there are too many open files.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(EACCES, "F"), "Access to F was denied.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ETXTBSY, "F"), "A sharing violation occurred while accessing F.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ENOLCK, "F"), "A locking violation occurred while accessing F.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(EIO, "F"), "An unknown error occurred while accessing F.");
}

struct CandidateCase {
    const char* file;
    bool scanAll;
    bool candidate;
    friend void PrintTo(const CandidateCase& c, std::ostream* os) { *os << c.file << (c.scanAll ? " scanning all" : ""); }
};

class Candidate : public ::testing::TestWithParam<CandidateCase> {};

TEST_P(Candidate, ExtensionFilter)
{
    const auto& c = GetParam();
    EXPECT_EQ(CVardelDoc::IsCandidate(CVardelDoc::UpperExtension(c.file), kDefaultExtensions, c.scanAll), c.candidate)
        << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Candidate,
    ::testing::Values(CandidateCase{"Blur.8bf", false, true}, CandidateCase{"Blur.8BF", false, true},
                      CandidateCase{"Effect.aex", false, true}, CandidateCase{"Blur_8BF", false, true},
                      CandidateCase{"readme.txt", false, false}, CandidateCase{"readme.txt", true, true},
                      CandidateCase{"a.b.prm", false, true}, CandidateCase{"odd.8b", false, true},  // a substring
                      CandidateCase{"odd.f, 8", false, true}, CandidateCase{"x.8bff", false, false}));

TEST(VardelDoc, ClassChoice)
{
    Fixture f;
    CVardelDoc doc(f.app);
    auto add = [&](int kind) {
        auto e = std::make_unique<CPluginEntry>();
        e->m_kind = kind;
        doc.m_catalogue.m_entries.push_back(std::move(e));
    };
    doc.CountClasses();
    EXPECT_EQ(doc.m_selectedClass, -1);
    for (int kind : {9, 9, 9, 9, 9, 0, 13})
        add(kind);
    doc.m_selectedClass = 0;
    doc.CountClasses();
    EXPECT_EQ(doc.m_classCounts[2], 5);
    EXPECT_EQ(doc.m_selectedClass, 2);
    doc.m_selectedClass = 4;
    doc.CountClasses();
    EXPECT_EQ(doc.m_selectedClass, 4) << "a class with plug-ins stays selected";
    doc.m_selectedClass = 12;
    doc.CountClasses();
    EXPECT_EQ(doc.m_selectedClass, 2);
}

TEST(VardelDoc, ShellSortOrdersBySortKey)
{
    Fixture f;
    std::mt19937 rng(5);
    for (std::size_t n : {0u, 1u, 2u, 4u, 5u, 13u, 14u, 40u, 41u, 300u}) {
        CVardelDoc doc(f.app);
        for (std::size_t i = 0; i < n; ++i) {
            auto e = std::make_unique<CPluginEntry>();
            e->m_kind = static_cast<int>(rng() % 24);
            e->m_name = "n" + std::to_string(rng() % 50);
            e->m_category = (rng() % 2) ? "cat" : "";
            doc.m_catalogue.m_entries.push_back(std::move(e));
        }
        doc.Sort();
        ASSERT_EQ(doc.m_catalogue.m_entries.size(), n);
        for (std::size_t i = 1; i < n; ++i)
            EXPECT_LE(doc.m_catalogue.m_entries[i - 1]->SortKey(), doc.m_catalogue.m_entries[i]->SortKey());
    }
}

TEST(VardelDoc, RescanNeedsACurrentDirectory)
{
    Fixture f;
    CVardelDoc doc(f.app);
    std::vector<std::string> status;
    doc.m_onStatus = [&](const std::string& s) { status.push_back(s); };
    EXPECT_FALSE(doc.RescanAll());
    EXPECT_EQ(status, std::vector<std::string>{"Ready"});
    EXPECT_FALSE(doc.SaveCatalogue());
}

TEST(VardelDoc, PostsRefillAndSave)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    auto doc = f.Doc();
    std::vector<int> posted;
    std::vector<std::string> status;
    doc->m_post = [&](int c) { posted.push_back(c); };
    doc->m_onStatus = [&](const std::string& s) { status.push_back(s); };
    ASSERT_TRUE(doc->SelectDirectory(0));
    EXPECT_EQ(posted, (std::vector<int>{32846, 32846, 32878}));
    EXPECT_EQ(status, (std::vector<std::string>{"Analysing...", "Ready"}));
    EXPECT_EQ(fs::file_size(f.CatalogueFile(0)), 0u) << "the save waits for the posted command";
}
