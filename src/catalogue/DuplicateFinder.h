#pragma once
// Duplicates across the catalogues of every directory of the list: files
// with the same content (a plug-in installed twice), and plug-ins of one
// class with the same name and category (the host shows them twice, whatever
// their files). Works only on what it is given, so it may run on a worker
// thread; content is compared by hashes kept in a CContentHashCache, and only
// files that share their size with another file are hashed at all.

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

namespace vardel {

class CContentHashCache;
class CPluginListManager;

// One plug-in of a directory's catalogue, as the finder sees it.
struct CatalogueItem {
    int directory = -1;  // position in the directory list
    int entry = -1;      // position in that directory's catalogue
    std::string path;    // the plug-in file as catalogued
    int kind = 0;
    int resourceType = 0;
    int indexInFile = 0;
    std::string name;
    std::string category;
    bool enabled = true;
};

// Appends an item for every entry of the catalogue of directory n.
void AppendCatalogueItems(int n, const CPluginListManager& catalogue, std::vector<CatalogueItem>& items);

// Where a copy stands in one directory's catalogue.
struct CopyPlace {
    int directory = -1;
    std::string path;          // as that catalogue holds it
    std::vector<int> entries;  // its entries there (the copy's plug-ins)
};

// One copy: a file (same content), or one plug-in of a file (same name).
// A file that two directories of the list both hold is one copy with two
// places, never a duplicate of itself.
struct DuplicateCopy {
    std::string file;  // the file with links resolved: what makes it one copy
    bool enabled = true;
    std::vector<std::string> names;  // the plug-ins it holds, catalogue order
    std::vector<CopyPlace> places;   // by directory
};

enum class DuplicateKind { SameContent, SameName };

struct DuplicateGroup {
    DuplicateKind kind = DuplicateKind::SameContent;
    // SameContent: the files' size and hash.
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    // SameName: the class, name and category all copies share.
    int pluginClass = -1;
    std::string name;
    std::string category;
    std::vector<DuplicateCopy> copies;  // at least two, by first place

    // How many copies are enabled (the host loads them).
    int EnabledCopies() const;
};

class CDuplicateFinder {
public:
    // done counts the files hashed or looked up so far, of total.
    using Progress = std::function<void(int done, int total, const std::string& path)>;

    CDuplicateFinder(std::vector<CatalogueItem> items, CContentHashCache& hashes, std::stop_token stop = {});

    Progress m_onProgress;

    // Finds the groups: content groups first (by the first place of their first copy),
    // then name groups (by class, category and name). Files that are gone
    // or cannot be read take part in name groups only. Hashes are taken
    // from the cache while their file is unchanged, and computed and kept
    // otherwise; once every file was looked at, the cache forgets files that
    // no catalogue holds. Returns early when stop is requested, with the
    // groups found so far.
    void Run();

    const std::vector<DuplicateGroup>& Groups() const { return m_groups; }
    bool Stopped() const { return m_stop.stop_requested(); }
    // Files whose hash had to be computed (not found in the cache).
    int FilesHashed() const { return m_filesHashed; }

private:
    struct File;
    void FindSameContent(std::vector<File>& files);
    void FindSameName(const std::vector<File>& files);

    std::vector<CatalogueItem> m_items;
    CContentHashCache& m_hashes;
    std::stop_token m_stop;
    std::vector<DuplicateGroup> m_groups;
    int m_filesHashed = 0;
};

}  // namespace vardel
