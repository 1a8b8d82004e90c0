// Noticing what others did to a directory's plug-in files: listings by name,
// size and time, what differs between two of them, and finding the plug-ins
// shown before in a catalogue read afresh.

#include "app/CatalogueView.h"
#include "catalogue/DiskListing.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;

ListingSource SourceOf(const fs::path& dir, bool subdirectories, const CPluginListManager& catalogue = {})
{
    return MakeListingSource(dir.string(), subdirectories, {"8bf, 8bi", false}, catalogue);
}

// A file's time moved on by a second, whatever the file system's clock grain.
void Touch(const fs::path& file)
{
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(1));
}

TEST(DiskListing, NamesWhatOthersAddedRemovedRenamedAndChanged)
{
    TempDir temp;
    const fs::path dir = temp / "plugins";
    fs::create_directories(dir / "sub");
    writeFile(dir / "a.8bf", std::string("aaaa"));
    writeFile(dir / "b.8bf", std::string("bbbb"));
    writeFile(dir / "sub" / "c.8bi", std::string("cccc"));
    writeFile(dir / "notes.txt", std::string("not a candidate"));
    const ListingSource source = SourceOf(dir, true);
    const DiskListing before = TakeDiskListing(source);
    ASSERT_TRUE(before.complete);
    EXPECT_EQ(before.files.size(), 3u);
    ASSERT_EQ(before.directories.size(), 2u);
    EXPECT_EQ(before.directories.front(), dir.string());

    // Nothing done, nothing changed; a file that is no candidate never counts.
    writeFile(dir / "notes.txt", std::string("changed, and still no candidate"));
    EXPECT_TRUE(CompareListings(before, TakeDiskListing(source)).Empty());

    fs::rename(dir / "a.8bf", dir / "a2.8bf");           // renamed: one gone, one new
    fs::remove(dir / "b.8bf");                           // removed
    writeFile(dir / "sub" / "d.8bf", std::string("d"));  // added in a subdirectory
    Touch(dir / "sub" / "c.8bi");                        // written over, same size
    const ListingChanges changes = CompareListings(before, TakeDiskListing(source));
    EXPECT_EQ(changes.added, (std::vector<std::string>{(dir / "a2.8bf").string(), (dir / "sub" / "d.8bf").string()}));
    EXPECT_EQ(changes.removed, (std::vector<std::string>{(dir / "a.8bf").string(), (dir / "b.8bf").string()}));
    EXPECT_EQ(changes.changed, (std::vector<std::string>{(dir / "sub" / "c.8bi").string()}));

    // Without subdirectories, what happens below is not the catalogue's.
    const ListingSource top = SourceOf(dir, false);
    const DiskListing topBefore = TakeDiskListing(top);
    writeFile(dir / "sub" / "e.8bf", std::string("e"));
    EXPECT_TRUE(CompareListings(topBefore, TakeDiskListing(top)).Empty());
}

TEST(DiskListing, ListsTheCataloguedFilesWhateverTheirNames)
{
    // A disabled plug-in's file has a name the extension list does not
    // take; the catalogue knows it, and a change to it counts.
    TempDir temp;
    const fs::path dir = temp / "plugins";
    fs::create_directories(dir);
    writeFile(dir / "off.8bf_", std::string("off"));
    CPluginListManager catalogue;
    AddPiplEntry(catalogue, "Off", "Cat", (dir / "off.8bf_").string());
    AddPiplEntry(catalogue, "Off Two", "Cat", (dir / "off.8bf_").string());
    AddPiplEntry(catalogue, "Gone", "Cat", (dir / "gone.8bf").string());
    const ListingSource source = SourceOf(dir, false, catalogue);
    const DiskListing before = TakeDiskListing(source);
    // Each file once, and a catalogued file that is gone is not listed.
    ASSERT_EQ(before.files.size(), 1u);
    Touch(dir / "off.8bf_");
    EXPECT_EQ(CompareListings(before, TakeDiskListing(source)).changed.size(), 1u);
}

TEST(DiskListing, AStoppedOrImpossibleWalkSaysNothing)
{
    TempDir temp;
    const fs::path dir = temp / "plugins";
    fs::create_directories(dir);
    writeFile(dir / "a.8bf", std::string("a"));
    // A link loop is walked once, and the walk ends.
    fs::create_directory_symlink(dir, dir / "loop");
    const ListingSource source = SourceOf(dir, true);
    const DiskListing whole = TakeDiskListing(source);
    ASSERT_TRUE(whole.complete);
    EXPECT_EQ(whole.files.size(), 1u);

    std::stop_source stop;
    stop.request_stop();
    const DiskListing stopped = TakeDiskListing(source, stop.get_token());
    EXPECT_FALSE(stopped.complete);
    EXPECT_TRUE(CompareListings(whole, stopped).Empty());
    EXPECT_TRUE(CompareListings(stopped, whole).Empty());

    // A directory that is gone lists nothing, and its files count as removed.
    fs::remove_all(dir);
    const ListingChanges gone = CompareListings(whole, TakeDiskListing(source));
    EXPECT_EQ(gone.removed.size(), 1u);
}

TEST(PluginIdentity, FindsThePluginsOfAFileByTheirPlaceInItAfterTheyWereRenamed)
{
    CPluginListManager before;
    AddPiplEntry(before, "One", "Cat", "/p/three.8bf").m_indexInFile = 0;
    AddPiplEntry(before, "Two", "Cat", "/p/three.8bf").m_indexInFile = 1;
    AddPiplEntry(before, "Solo", "Other", "/p/solo.8bf");
    const std::vector<PluginIdentity> kept{IdentityOf(*before.m_entries[1]), IdentityOf(*before.m_entries[2])};

    // Read afresh: another order, a name changed by someone else, a file gone.
    CPluginListManager after;
    AddPiplEntry(after, "Renamed Two", "Cat", "/p/three.8bf").m_indexInFile = 1;
    AddPiplEntry(after, "One", "Cat", "/p/three.8bf").m_indexInFile = 0;
    const auto found = FindByIdentity(after, kept);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->m_name, "Renamed Two");
    EXPECT_TRUE(FindByIdentity(after, {}).empty());
}

}  // namespace
}  // namespace vardel::test
