// Selecting directories and "Re-Scan all" through the session: the full
// scan, the refresh against a stored catalogue, and the document's state.

#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PIMIManager.h"
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

using namespace vardel;
namespace fs = std::filesystem;
using vardel::test::testPlugin;

namespace {

struct Recorder : SessionObserver {
    std::vector<std::string> events;
    std::vector<UserMessage> messages;
    void CatalogueAboutToBeReplaced() override { events.push_back("about"); }
    void CatalogueReplaced() override { events.push_back("replaced"); }
    void StatusText(SessionStatus status) override { events.push_back(SessionStatusText(status)); }
    void Message(const UserMessage& m) override { messages.push_back(m); }
};

// A data directory with setup.db and one configured plug-in directory.
struct Fixture {
    test::TempDir temp;
    fs::path plugins = temp / "plugins";
    MemorySettingsBackend backend;
    std::unique_ptr<CVardelSession> session;
    Recorder recorder;
    std::vector<std::string> progress;

    Fixture()
    {
        fs::create_directories(temp / "setup.db");
        fs::create_directories(plugins);
        Restart();
        AddDirectory(plugins.string(), false);
    }
    DataDirectory Data() const { return DataDirectory{temp.path()}; }
    void AddDirectory(const std::string& path, bool subdirs)
    {
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Test " + std::to_string(session->Directories().size());
        dir->m_directory = path;
        dir->m_includeSubdirectories = subdirs ? 1 : 0;
        dir->m_catalogueFile = NewCatalogueFileName(Data());
        ASSERT_FALSE(dir->m_catalogueFile.empty());
        session->Directories().push_back(std::move(dir));
        ASSERT_TRUE(session->SaveDirectoryList());
    }
    void Copy(const std::string& name, const std::string& as = {})
    {
        fs::copy_file(testPlugin(name), plugins / (as.empty() ? name : as));
    }
    fs::path CatalogueFile(int n)
    {
        return Data().Resolve(session->Directories()[static_cast<std::size_t>(n)]->m_catalogueFile);
    }
    // A fresh session, as after a restart of the program.
    CVardelSession& Restart()
    {
        if (session)
            session->RemoveObserver(&recorder);
        session = std::make_unique<CVardelSession>(Data(), backend);
        session->AddObserver(&recorder);
        session->Start();
        return *session;
    }
    ScanOutcome Select(int n)
    {
        progress.clear();
        return session->SelectDirectory(n, {}, [this](const ScanProgress& p) {
            // Files, once the walk has counted them (before, the directories show).
            if (p.total >= 0 && !p.path.empty())
                progress.push_back(p.path);
        });
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> out;
        for (const auto& e : session->Catalogue().m_entries)
            out.push_back(e->m_name);
        return out;
    }
    const std::vector<std::unique_ptr<CPluginEntry>>& Entries() const { return session->Catalogue().m_entries; }
};

}  // namespace

TEST(VardelDoc, SelectingTwiceScansOnceAndRefreshesOnce)
{
    Fixture f;
    for (const char* name : {"pipl_single.8bf", "pipl_three.8bf", "pimi_filter.8bf", "premiere_filter.prm",
                             "ff_filter.8bf", "disabled_8bf"})
        f.Copy(name);
    f.Copy("pipl_nocat.8bf", "notes.txt");  // not a candidate

    ScanOutcome first = f.Select(0);
    ASSERT_TRUE(first.done);
    EXPECT_TRUE(first.fullScan);
    EXPECT_EQ(first.filesRead, 6);
    EXPECT_EQ(f.progress.size(), 6u);
    EXPECT_EQ(f.session->Title(), "Test 0");
    EXPECT_EQ(f.Entries().size(), 9u);
    EXPECT_EQ(f.session->Catalogue().m_roots.size(), 1u);
    EXPECT_GT(fs::file_size(f.CatalogueFile(0)), 0u) << "the catalogue was saved";
    auto names = f.Names();

    f.Restart();
    ScanOutcome again = f.Select(0);
    ASSERT_TRUE(again.done);
    EXPECT_FALSE(again.fullScan);
    EXPECT_EQ(again.filesRead, 0);
    EXPECT_EQ(f.Names(), names);
    EXPECT_EQ(f.progress.size(), 9u) << "every known entry is checked";
    for (const auto& e : f.Entries())
        EXPECT_EQ(e->m_fileStatus.size, fs::file_size(e->m_path)) << e->m_path;
    EXPECT_TRUE(f.recorder.messages.empty());
}

TEST(VardelDoc, FilesThatAreNoPluginsAreNotReadAgainUntilTheyChange)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    f.Copy("text.8bf", "readme.8bf");
    ASSERT_EQ(f.Select(0).filesRead, 2);
    EXPECT_TRUE(fs::exists(f.temp / "setup.db" / "nonplugins"));

    f.Restart();
    ScanOutcome again = f.Select(0);
    EXPECT_EQ(again.filesRead, 0) << "readme.8bf is remembered as no plug-in";
    EXPECT_EQ(f.Entries().size(), 1u);

    // A changed file is read again; Re-Scan all reads everything.
    test::writeFile(f.plugins / "readme.8bf", std::string("changed, and longer than before"));
    EXPECT_EQ(f.Restart().SelectDirectory(0).filesRead, 1);
    EXPECT_EQ(f.session->SelectDirectory(0).filesRead, 0);
    EXPECT_EQ(f.session->RescanAll().filesRead, 2);

    // A remembered file that became a plug-in (same path, new content) is read and forgotten.
    fs::copy_file(testPlugin("pipl_three.8bf"), f.plugins / "readme.8bf", fs::copy_options::overwrite_existing);
    ScanOutcome plugin = f.session->SelectDirectory(0);
    EXPECT_EQ(plugin.filesRead, 1);
    EXPECT_EQ(f.Entries().size(), 4u);
    EXPECT_EQ(f.session->NonPlugins().Size(), 0u);
}

TEST(VardelDoc, CatalogueIsSortedAndClassesCounted)
{
    Fixture f;
    for (const char* name : {"pipl_kinds.8bf", "pipl_three.8bf", "premiere_filter.prm"})
        f.Copy(name);
    ASSERT_TRUE(f.Select(0).done);
    const auto& entries = f.Entries();
    for (std::size_t i = 1; i < entries.size(); ++i)
        EXPECT_LE(entries[i - 1]->SortKey(), entries[i]->SortKey());
    std::array<int, 10> expected{3, 2, 1, 1, 1, 1, 0, 0, 0, 0};  // the "efkt" kind counts nowhere
    EXPECT_EQ(f.session->ClassCounts(), expected);
    EXPECT_EQ(f.session->SelectedClass(), 0);
    EXPECT_FALSE(f.session->SelectClass(6)) << "no plug-in of that class";
    EXPECT_TRUE(f.session->SelectClass(3));
    EXPECT_EQ(f.session->SelectedClass(), 3);
}

TEST(VardelDoc, FileDisabledOutsideGetsItsNameBack)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Select(0).done);
    fs::rename(f.plugins / "pipl_single.8bf", f.plugins / "pipl_single_8bf");

    f.Restart();
    ScanOutcome again = f.Select(0);
    EXPECT_TRUE(fs::exists(f.plugins / "pipl_single.8bf"));
    EXPECT_FALSE(fs::exists(f.plugins / "pipl_single_8bf"));
    ASSERT_EQ(f.Entries().size(), 1u);
    EXPECT_EQ(f.Entries()[0]->m_enabled, 1);
    EXPECT_EQ(again.filesRead, 0);
}

TEST(VardelDoc, FileEnabledOutsideGetsItsDisabledNameBack)
{
    Fixture f;
    f.Copy("disabled_8bf");
    ASSERT_TRUE(f.Select(0).done);
    fs::rename(f.plugins / "disabled_8bf", f.plugins / "disabled.8bf");
    f.Restart();
    EXPECT_EQ(f.Select(0).filesRead, 0);
    EXPECT_TRUE(fs::exists(f.plugins / "disabled_8bf"));
    EXPECT_FALSE(fs::exists(f.plugins / "disabled.8bf"));
}

TEST(VardelDoc, StateRenameNeverReplacesAFile)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Select(0).done);
    // The enabled name vanished; the disabled one exists and the rename back
    // is blocked by a directory of the enabled name (a file cannot replace it).
    fs::rename(f.plugins / "pipl_single.8bf", f.plugins / "pipl_single_8bf");
    fs::create_directory(f.plugins / "pipl_single.8bf");
    f.Restart();
    ASSERT_TRUE(f.Select(0).done);
    EXPECT_TRUE(fs::is_directory(f.plugins / "pipl_single.8bf"));
    EXPECT_TRUE(fs::exists(f.plugins / "pipl_single_8bf"));
}

TEST(VardelDoc, PluginRenamedByAnotherToolIsReadAgain)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Select(0).done);
    const int offset = f.Entries()[0]->m_nameOffset;
    auto bytes = test::readFile(f.plugins / "pipl_single.8bf");
    bytes[static_cast<std::size_t>(offset) - 1] = 35;  // a length the refresh refuses
    test::writeFile(f.plugins / "pipl_single.8bf", bytes);

    f.Restart();
    EXPECT_EQ(f.Select(0).filesRead, 1);
    ASSERT_EQ(f.Entries().size(), 1u);
    // The length byte now claims 35 characters; the text stops at the end of the property.
    EXPECT_EQ(f.Entries()[0]->m_name.substr(0, 9), "Soft Glow");
}

TEST(VardelDoc, RefreshWidensCapacitiesToTheOriginals)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Select(0).done);
    // A catalogue written when the capacities were smaller.
    f.session->Catalogue().m_entries[0]->m_nameCapacity = 2;
    f.session->Catalogue().m_entries[0]->m_categoryCapacity = 3;
    ASSERT_TRUE(f.session->SaveCatalogue());
    f.Restart();
    ASSERT_TRUE(f.Select(0).done);
    ASSERT_EQ(f.Entries().size(), 1u);
    EXPECT_EQ(f.Entries()[0]->m_nameCapacity, 9);
    EXPECT_EQ(f.Entries()[0]->m_categoryCapacity, 11);
}

TEST(VardelDoc, VanishedPluginIsDropped)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    f.Copy("pipl_three.8bf");
    ASSERT_TRUE(f.Select(0).done);
    fs::remove(f.plugins / "pipl_three.8bf");
    f.Restart();
    EXPECT_EQ(f.Select(0).filesRead, 0);
    EXPECT_EQ(f.Names(), std::vector<std::string>{"Soft Glow"});
}

TEST(VardelDoc, PiMIFilterWithoutCachedTailIsReadAgain)
{
    Fixture f;
    f.Copy("pimi_filter.8bf");
    ASSERT_TRUE(f.Select(0).done);
    ASSERT_EQ(f.session->PimiCache().Size(), 2u);
    f.session->PimiCache().Clear();
    ScanOutcome again = f.Select(0);
    EXPECT_EQ(again.filesRead, 1);
    EXPECT_EQ(f.Entries().size(), 2u);
    EXPECT_EQ(f.session->PimiCache().Size(), 2u);
}

TEST(VardelDoc, NewFilesAreReadByTheRefresh)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Select(0).done);
    f.Copy("premiere_filter.prm");
    f.Restart();
    EXPECT_EQ(f.Select(0).filesRead, 1);
    EXPECT_EQ(f.Entries().size(), 2u);
    for (const auto& e : f.Entries())
        EXPECT_EQ(e->m_rootIndex, 0);
}

TEST(VardelDoc, ScanAllIsForFullScansOnly)
{
    Fixture f;
    f.session->GetSettings().scanAll = 1;
    f.Copy("pipl_single.8bf");
    ASSERT_TRUE(f.Select(0).done);
    f.Copy("pipl_three.8bf", "three.xyz");
    ASSERT_TRUE(f.Select(0).done);
    EXPECT_EQ(f.Entries().size(), 1u) << "the refresh applies the extension list";
    ScanOutcome rescan = f.session->RescanAll();
    ASSERT_TRUE(rescan.done);
    EXPECT_EQ(f.Entries().size(), 4u);
    EXPECT_EQ(rescan.filesRead, 2);
    EXPECT_EQ(f.session->ClassCounts()[0], 4) << "a rescan counts the classes again";
}

TEST(VardelDoc, SubdirectoriesOnlyWhenAsked)
{
    Fixture f;
    fs::create_directories(f.plugins / "deeper" / "still");
    fs::copy_file(testPlugin("pipl_single.8bf"), f.plugins / "deeper" / "still" / "a.8bf");
    f.Copy("pipl_nocat.8bf");
    f.AddDirectory(f.plugins.string(), true);
    ASSERT_TRUE(f.Select(0).done);
    EXPECT_EQ(f.Entries().size(), 1u);
    ASSERT_TRUE(f.Select(1).done);
    EXPECT_EQ(f.Entries().size(), 2u);
}

TEST(VardelDoc, WalkVisitsEveryDirectoryOnce)
{
    Fixture f;
    fs::create_directories(f.plugins / "sub");
    fs::copy_file(testPlugin("pipl_single.8bf"), f.plugins / "sub" / "a.8bf");
    f.Copy("pipl_nocat.8bf");
    // Links back up the tree would make the walk endless without the check.
    fs::create_directory_symlink(f.plugins, f.plugins / "sub" / "up");
    fs::create_directory_symlink(f.plugins / "sub", f.plugins / "again");
    f.AddDirectory(f.plugins.string(), true);
    ScanOutcome scanned = f.Select(1);
    ASSERT_TRUE(scanned.done);
    EXPECT_EQ(scanned.filesRead, 2);
    EXPECT_EQ(f.Entries().size(), 2u);
    f.Restart();
    EXPECT_EQ(f.Select(1).filesRead, 0);
    EXPECT_EQ(f.Entries().size(), 2u);
}

TEST(VardelDoc, MissingDirectoryGivesNoRoot)
{
    Fixture f;
    f.AddDirectory((f.temp / "nowhere").string(), false);
    ASSERT_TRUE(f.Select(1).done);
    EXPECT_TRUE(f.Entries().empty());
    EXPECT_TRUE(f.session->Catalogue().m_roots.empty());
    EXPECT_EQ(f.session->SelectedClass(), -1);
}

TEST(VardelDoc, SelectionSavesTheCatalogueShownFirst)
{
    Fixture f;
    f.Copy("pipl_kinds.8bf");
    f.AddDirectory((f.temp / "other").string(), false);
    ASSERT_TRUE(f.Select(0).done);
    ASSERT_TRUE(f.session->SelectClass(4));  // changed in the view since
    ASSERT_TRUE(f.Select(1).done);
    int stored = -7;
    CPluginListManager loaded;
    ASSERT_TRUE(LoadCatalogue(f.CatalogueFile(0), stored, loaded));
    EXPECT_EQ(stored, 4);
    EXPECT_EQ(loaded.m_entries.size(), 6u);
}

TEST(VardelDoc, CatalogueFileErrorsAreReported)
{
    Fixture f;
    f.session->Directories()[0]->m_catalogueFile = "setup.db/SETUP042";  // never created
    ScanOutcome missing = f.Select(0);
    EXPECT_FALSE(missing.done);
    ASSERT_EQ(missing.messages.size(), 1u);
    EXPECT_EQ(missing.messages[0].code, MessageCode::CatalogueNotFound);
    EXPECT_EQ(missing.messages[0].text, (f.temp / "setup.db/SETUP042").string() + " was not found.");
    EXPECT_EQ(missing.messages[0].argument, (f.temp / "setup.db/SETUP042").string());
    ASSERT_EQ(f.recorder.messages.size(), 1u) << "the observers are told too";

    fs::create_directory(f.temp / "setup.db" / "SETUP043");
    f.session->Directories()[0]->m_catalogueFile = "setup.db/SETUP043";
    ScanOutcome denied = f.Select(0);
    ASSERT_EQ(denied.messages.size(), 1u);
    EXPECT_EQ(denied.messages[0].code, MessageCode::CatalogueAccessDenied);
    EXPECT_EQ(denied.messages[0].text, "Access to " + (f.temp / "setup.db/SETUP043").string() + " was denied.");
    EXPECT_FALSE(f.Select(7).done) << "no such directory";
}

// The catalogue of the directory shown before must not stay in memory
// under a directory whose catalogue file cannot be opened or read, nor be
// saved into that file.
TEST(VardelDoc, UnusableCatalogueFileEmptiesTheCatalogueShown)
{
    Fixture f;
    f.Copy("pipl_three.8bf");
    f.AddDirectory((f.temp / "other").string(), false);
    f.AddDirectory((f.temp / "third").string(), false);
    ASSERT_TRUE(f.Select(0).done);
    ASSERT_EQ(f.Entries().size(), 3u);

    // Cannot be opened.
    fs::remove(f.CatalogueFile(1));
    f.recorder.events.clear();
    EXPECT_FALSE(f.Select(1).done);
    EXPECT_TRUE(f.Entries().empty());
    EXPECT_EQ(f.session->Title(), "Untitled");
    EXPECT_EQ(f.session->CurrentDirectoryIndex(), -1);
    EXPECT_EQ(f.session->SelectedClass(), -1);
    EXPECT_EQ(f.session->ClassCounts(), (std::array<int, 10>{}));
    EXPECT_FALSE(f.session->CanRescan());
    EXPECT_EQ(f.recorder.events, (std::vector<std::string>{"about", "replaced"}));
    f.session->Exit();
    EXPECT_FALSE(fs::exists(f.CatalogueFile(1))) << "nothing was saved under the directory";

    // Opens, but cannot be read (larger than any catalogue may be).
    ASSERT_TRUE(f.Restart().SelectDirectory(0).done);
    fs::resize_file(f.CatalogueFile(2), kMaxStoreSize + 1);
    ScanOutcome tooLarge = f.Select(2);
    EXPECT_FALSE(tooLarge.done);
    ASSERT_FALSE(tooLarge.messages.empty());
    EXPECT_EQ(tooLarge.messages.back().code, MessageCode::CatalogueUnknownError);
    EXPECT_TRUE(f.Entries().empty());
    EXPECT_EQ(f.session->CurrentDirectoryIndex(), -1);
    f.session->Exit();
    EXPECT_EQ(fs::file_size(f.CatalogueFile(2)), kMaxStoreSize + 1) << "the file was not written over";
    fs::resize_file(f.CatalogueFile(2), 0);
}

TEST(VardelDoc, CatalogueFilesOutsideTheDataDirectoryAreRefused)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    const fs::path victim = f.temp / "victim";
    test::writeFile(victim, std::string("not ours"));
    for (const std::string& stored :
         {victim.string(), std::string("setup.db/../victim"), std::string("setup.db\\..\\victim"),
          std::string("setup.db/sub/SETUP000"), std::string("images.db/SETUP000"), std::string("setup.db/")}) {
        f.session->Directories()[0]->m_catalogueFile = stored;
        ScanOutcome refused = f.Select(0);
        EXPECT_FALSE(refused.done) << stored;
        ASSERT_EQ(refused.messages.size(), 1u) << stored;
        EXPECT_EQ(refused.messages[0].code, MessageCode::CatalogueOutsideDataDir) << stored;
        EXPECT_FALSE(f.session->SaveCatalogue()) << stored;
        EXPECT_EQ(test::readFile(victim), std::vector<std::uint8_t>({'n', 'o', 't', ' ', 'o', 'u', 'r', 's'}));
    }
    // Both separators name a file inside setup.db.
    for (const std::string& stored : {std::string("setup.db\\SETUP000"), std::string("setup.db/SETUP000")}) {
        f.session->Directories()[0]->m_catalogueFile = stored;
        EXPECT_TRUE(f.Select(0).done) << stored;
    }
}

TEST(VardelDoc, OpenErrorMessages)
{
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ENOENT, "F"), "F was not found.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ENAMETOOLONG, "F"), "F contains an invalid path.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(EMFILE, "F"),
              "F could not be opened because there are too many open files.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(EACCES, "F"), "Access to F was denied.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ETXTBSY, "F"), "A sharing violation occurred while accessing F.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(ENOLCK, "F"), "A locking violation occurred while accessing F.");
    EXPECT_EQ(CVardelDoc::OpenErrorMessage(EIO, "F"), "An unknown error occurred while accessing F.");
}

struct CandidateCase {
    const char* file;
    bool scanAll;
    bool candidate;
    friend void PrintTo(const CandidateCase& c, std::ostream* os)
    {
        *os << c.file << (c.scanAll ? " scanning all" : "");
    }
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
    DirectoryList list;
    list.push_back(std::make_unique<CPluginDirEntry>());
    CVardelDoc doc(list);
    CPluginListManager catalogue;
    for (int kind : {9, 9, 9, 9, 9, 0, 13}) {
        auto e = std::make_unique<CPluginEntry>();
        e->m_kind = kind;
        catalogue.m_entries.push_back(std::move(e));
    }
    doc.CountClasses();
    EXPECT_EQ(doc.SelectedClass(), -1);
    doc.Show(*list[0], catalogue, 0);
    EXPECT_TRUE(catalogue.m_entries.empty()) << "taken over";
    EXPECT_EQ(doc.ClassCounts()[2], 5);
    EXPECT_EQ(doc.SelectedClass(), 2);
    doc.SetSelectedClass(4);
    doc.CountClasses();
    EXPECT_EQ(doc.SelectedClass(), 4) << "a class with plug-ins stays selected";
    doc.SetSelectedClass(12);
    doc.CountClasses();
    EXPECT_EQ(doc.SelectedClass(), 2);
    EXPECT_EQ(doc.CurrentIndex(), 0);
    list.clear();
    EXPECT_EQ(doc.CurrentIndex(), -1) << "the directory was removed";
    EXPECT_FALSE(doc.IsCatalogueShown());
}

namespace {

// The Shell sort as written down: insertion passes over the sort key texts.
// Entries with equal keys end where it leaves them, which the stored
// catalogue shows.
std::vector<std::string> ShellSortedPaths(const CPluginListManager& catalogue)
{
    std::vector<std::pair<std::string, std::string>> items;
    for (const auto& e : catalogue.m_entries)
        items.emplace_back(e->SortKey(), e->m_path);
    const std::size_t n = items.size();
    std::size_t gap = 1;
    while (gap * 3 + 1 <= n)
        gap = gap * 3 + 1;
    for (; gap >= 1; gap = (gap - 1) / 3) {
        for (std::size_t i = gap; i < n; ++i) {
            auto item = items[i];
            std::size_t j = i;
            for (; j >= gap && items[j - gap].first > item.first; j -= gap)
                items[j] = items[j - gap];
            items[j] = item;
        }
        if (gap == 1)
            break;
    }
    std::vector<std::string> paths;
    for (const auto& item : items)
        paths.push_back(item.second);
    return paths;
}

}  // namespace

TEST(VardelDoc, ShellSortOrdersBySortKeyAndLeavesEqualKeysWhereItsPassesDo)
{
    std::mt19937 rng(5);
    // Texts alike in their first bytes, longer than the padding, in either
    // case, with bytes above 127; numbers of every width and sign.
    const std::vector<std::string> texts{"",
                                         "cat",
                                         "Cat",
                                         "cAT x",
                                         "Blur",
                                         "Blur 2",
                                         "Blurry",
                                         "\xe9t\xe9",
                                         "\xc9T\xc9",
                                         std::string(45, 'b'),
                                         std::string(45, 'b') + "a",
                                         "n1",
                                         "n10"};
    const std::vector<int> numbers{0, 1, 7, 8, 12, 99, 100, 1000, -1, -12};
    for (std::size_t n : {0u, 1u, 2u, 4u, 5u, 13u, 14u, 40u, 41u, 300u, 2000u}) {
        CPluginListManager catalogue;
        for (std::size_t i = 0; i < n; ++i) {
            auto e = std::make_unique<CPluginEntry>();
            e->m_path = "/p/" + std::to_string(i) + ".8bf";
            e->m_rootIndex = (rng() % 4) ? 0 : numbers[rng() % numbers.size()];
            e->m_kind = (rng() % 3) ? static_cast<int>(rng() % 24) : numbers[rng() % numbers.size()];
            e->m_name = texts[rng() % texts.size()];
            e->m_category = texts[rng() % texts.size()];
            catalogue.m_entries.push_back(std::move(e));
        }
        const std::vector<std::string> expected = ShellSortedPaths(catalogue);
        SortCatalogue(catalogue);
        ASSERT_EQ(catalogue.m_entries.size(), n);
        for (std::size_t i = 1; i < n; ++i)
            EXPECT_LE(catalogue.m_entries[i - 1]->SortKey(), catalogue.m_entries[i]->SortKey());
        std::vector<std::string> paths;
        for (const auto& e : catalogue.m_entries)
            paths.push_back(e->m_path);
        EXPECT_EQ(paths, expected) << n << " entries";
    }
}

TEST(VardelDoc, RescanNeedsACurrentDirectory)
{
    Fixture f;
    f.recorder.events.clear();
    ScanOutcome none = f.session->RescanAll();
    EXPECT_FALSE(none.done);
    EXPECT_EQ(f.recorder.events, std::vector<std::string>{"Ready"});
    EXPECT_FALSE(f.session->SaveCatalogue());
    EXPECT_FALSE(f.session->CanRescan());
}

TEST(VardelDoc, ObserversSeeTheReplacementBetweenTheStatusTexts)
{
    Fixture f;
    f.Copy("pipl_single.8bf");
    f.recorder.events.clear();
    ASSERT_TRUE(f.Select(0).done);
    EXPECT_EQ(f.recorder.events, (std::vector<std::string>{"Analysing...", "about", "replaced", "Ready"}));
    EXPECT_GT(fs::file_size(f.CatalogueFile(0)), 0u) << "saved with the selection";
    EXPECT_TRUE(f.session->IsCatalogueShown());
    EXPECT_TRUE(f.session->CanRescan());
    EXPECT_EQ(f.session->CurrentDirectoryIndex(), 0);
    EXPECT_EQ(f.session->EntryIndex(f.Entries()[0].get()), 0);
    EXPECT_EQ(f.session->EntryIndex(nullptr), -1);
}
