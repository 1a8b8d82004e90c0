#include "catalogue/DiskListing.h"

#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"

#include <algorithm>

namespace vardel {

ListingSource MakeListingSource(const std::string& directory, bool subdirectories, ScanSettings settings,
                                const CPluginListManager& catalogue)
{
    // Made on the window thread whenever the catalogue changes: only the
    // paths are copied there. The listing, on a worker, tells the files apart.
    ListingSource source{directory, subdirectories, std::move(settings), {}};
    source.catalogued.reserve(catalogue.m_entries.size());
    for (const auto& entry : catalogue.m_entries)
        source.catalogued.push_back(entry->m_path);
    return source;
}

DiskListing TakeDiskListing(const ListingSource& source, std::stop_token stop)
{
    // The walk is the scan's own, over empty stores it never touches.
    CPluginListManager catalogue;
    CPluginRestoreManager restore;
    CPIMIManager pimi;
    CCatalogueScan scan(catalogue, restore, pimi, nullptr, source.settings, stop);
    DiskListing listing;
    std::vector<std::string> paths = scan.ListCandidates(source.directory, source.subdirectories, &listing.directories);
    paths.insert(paths.end(), source.catalogued.begin(), source.catalogued.end());
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    listing.files.reserve(paths.size());
    for (std::string& path : paths) {
        if (stop.stop_requested())
            return listing;
        // A catalogued file that is gone is simply not listed.
        if (const auto stamp = CNonPluginCache::Stamp(path))
            listing.files.push_back({std::move(path), *stamp});
    }
    listing.complete = !scan.Stopped();
    return listing;
}

ListingChanges CompareListings(const DiskListing& before, const DiskListing& after)
{
    ListingChanges changes;
    if (!before.complete || !after.complete)
        return changes;
    auto b = before.files.begin();
    auto a = after.files.begin();
    while (b != before.files.end() || a != after.files.end()) {
        if (a == after.files.end() || (b != before.files.end() && b->path < a->path)) {
            changes.removed.push_back((b++)->path);
        } else if (b == before.files.end() || a->path < b->path) {
            changes.added.push_back((a++)->path);
        } else {
            if (!(a->stamp == b->stamp))
                changes.changed.push_back(a->path);
            ++a;
            ++b;
        }
    }
    return changes;
}

}  // namespace vardel
