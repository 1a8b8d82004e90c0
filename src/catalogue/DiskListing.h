#pragma once
// What the plug-in files of a directory look like on disk, for noticing that
// someone else (an installer, a file manager) added, removed, renamed or
// changed them: every file a refresh of the directory would look at, by name,
// size and modification time. Taking a listing reads directories and file
// status only, never a file's content.

#include "catalogue/CatalogueScan.h"
#include "catalogue/NonPluginCache.h"

#include <stop_token>
#include <string>
#include <vector>

namespace vardel {

class CPluginListManager;

struct ListedFile {
    std::string path;
    FileStamp stamp;
    bool operator==(const ListedFile&) const = default;
};

struct DiskListing {
    // The directories walked, the directory first (what a watcher watches).
    std::vector<std::string> directories;
    // Sorted by path; each file once.
    std::vector<ListedFile> files;
    // Taken whole (not stopped half way).
    bool complete = false;
};

struct ListingChanges {
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::vector<std::string> changed;  // another size or modification time
    bool Empty() const { return added.empty() && removed.empty() && changed.empty(); }
};

// What a listing needs, copied from a catalogue and its directory entry so
// that the listing can be taken on a worker.
struct ListingSource {
    std::string directory;
    bool subdirectories = false;
    ScanSettings settings;
    std::vector<std::string> catalogued;  // the files the entries are recorded at, one per entry
};

ListingSource MakeListingSource(const std::string& directory, bool subdirectories, ScanSettings settings,
                                const CPluginListManager& catalogue);
// Lists the candidate files below the directory (as the refresh finds them)
// and the files the catalogue's entries are recorded at, wherever they are.
DiskListing TakeDiskListing(const ListingSource& source, std::stop_token stop = {});

// What differs from before to after. Listings that are not complete compare
// as unchanged: a stopped walk says nothing about the disk.
ListingChanges CompareListings(const DiskListing& before, const DiskListing& after);

}  // namespace vardel
