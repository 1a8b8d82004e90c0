#include "catalogue/DuplicateFinder.h"

#include "base/ContentHash.h"
#include "base/FileOps.h"
#include "catalogue/ContentHashCache.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace vardel {

namespace fs = std::filesystem;

struct CDuplicateFinder::File {
    std::string key;  // links resolved
    std::vector<std::size_t> items;
    std::optional<FileStamp> stamp;
};

namespace {

// The file a catalogued path stands for, with links resolved, so that one
// file reached through two directories of the list is seen once.
std::string fileKey(const std::string& path)
{
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(NativePath(path), ec);
    if (ec)
        resolved = fs::absolute(NativePath(path), ec).lexically_normal();
    return resolved.string();
}

// Adds the item to the copy, into the place of its directory.
void addPlace(DuplicateCopy& copy, const CatalogueItem& item)
{
    auto it = std::find_if(copy.places.begin(), copy.places.end(),
                           [&](const CopyPlace& p) { return p.directory == item.directory && p.path == item.path; });
    if (it == copy.places.end()) {
        copy.places.push_back({item.directory, item.path, {}});
        it = copy.places.end() - 1;
    }
    it->entries.push_back(item.entry);
}

void sortCopies(DuplicateGroup& group)
{
    for (auto& copy : group.copies)
        std::sort(copy.places.begin(), copy.places.end(), [](const CopyPlace& a, const CopyPlace& b) {
            return std::tie(a.directory, a.path) < std::tie(b.directory, b.path);
        });
    std::sort(group.copies.begin(), group.copies.end(), [](const DuplicateCopy& a, const DuplicateCopy& b) {
        const CopyPlace& pa = a.places.front();
        const CopyPlace& pb = b.places.front();
        return std::tie(pa.directory, pa.path, a.file) < std::tie(pb.directory, pb.path, b.file);
    });
}

}  // namespace

void AppendCatalogueItems(int n, const CPluginListManager& catalogue, std::vector<CatalogueItem>& items)
{
    for (std::size_t i = 0; i < catalogue.m_entries.size(); ++i) {
        const CPluginEntry& e = *catalogue.m_entries[i];
        items.push_back({n, static_cast<int>(i), e.m_path, e.m_kind, e.m_resourceType, e.m_indexInFile, e.m_name,
                         e.m_category, e.m_enabled != 0});
    }
}

int DuplicateGroup::EnabledCopies() const
{
    return static_cast<int>(std::count_if(copies.begin(), copies.end(), [](const auto& c) { return c.enabled; }));
}

CDuplicateFinder::CDuplicateFinder(std::vector<CatalogueItem> items, CContentHashCache& hashes, std::stop_token stop)
    : m_items(std::move(items))
    , m_hashes(hashes)
    , m_stop(std::move(stop))
{}

void CDuplicateFinder::Run()
{
    m_groups.clear();
    m_filesHashed = 0;
    std::vector<File> files;
    std::map<std::string, std::size_t> byKey;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_stop.stop_requested())
            return;
        std::string key = fileKey(m_items[i].path);
        auto [it, added] = byKey.try_emplace(key, files.size());
        if (added)
            files.push_back({std::move(key), {}, std::nullopt});
        files[it->second].items.push_back(i);
    }
    FindSameContent(files);
    if (m_stop.stop_requested())
        return;
    FindSameName(files);
}

void CDuplicateFinder::FindSameContent(std::vector<File>& files)
{
    // Only a file that shares its size with another can share its content.
    std::map<std::uint64_t, std::vector<File*>> bySize;
    std::set<std::string> catalogued;
    for (File& f : files) {
        if (m_stop.stop_requested())
            return;
        const std::string& path = m_items[f.items.front()].path;
        catalogued.insert(path);
        f.stamp = CNonPluginCache::Stamp(path);
        if (f.stamp)
            bySize[f.stamp->size].push_back(&f);
    }
    int total = 0;
    for (const auto& [size, group] : bySize)
        if (group.size() > 1)
            total += static_cast<int>(group.size());

    int done = 0;
    for (const auto& [size, group] : bySize) {
        if (group.size() < 2)
            continue;
        std::map<std::uint64_t, std::vector<const File*>> byHash;
        for (const File* f : group) {
            const std::string& path = m_items[f->items.front()].path;
            if (m_onProgress)
                m_onProgress(done, total, path);
            ++done;
            std::optional<std::uint64_t> hash = m_hashes.Lookup(path, *f->stamp);
            if (!hash) {
                hash = HashFileContent(NativePath(path), m_stop);
                if (m_stop.stop_requested())
                    return;
                ++m_filesHashed;
                // A file that changed while it was read is left for the next time.
                if (!hash || CNonPluginCache::Stamp(path) != f->stamp)
                    continue;
                m_hashes.Remember(path, *f->stamp, *hash);
            }
            byHash[*hash].push_back(f);
        }
        for (const auto& [hash, same] : byHash) {
            if (same.size() < 2)
                continue;
            DuplicateGroup g;
            g.kind = DuplicateKind::SameContent;
            g.size = size;
            g.hash = hash;
            for (const File* f : same) {
                DuplicateCopy copy;
                copy.file = f->key;
                copy.enabled = m_items[f->items.front()].enabled;
                for (std::size_t i : f->items) {
                    const CatalogueItem& item = m_items[i];
                    if (item.directory == m_items[f->items.front()].directory)
                        copy.names.push_back(item.name);
                    addPlace(copy, item);
                }
                g.copies.push_back(std::move(copy));
            }
            sortCopies(g);
            m_groups.push_back(std::move(g));
        }
    }
    std::sort(m_groups.begin(), m_groups.end(), [](const DuplicateGroup& a, const DuplicateGroup& b) {
        const CopyPlace& pa = a.copies.front().places.front();
        const CopyPlace& pb = b.copies.front().places.front();
        return std::tie(pa.directory, pa.path) < std::tie(pb.directory, pb.path);
    });
    if (m_onProgress)
        m_onProgress(done, total, std::string());
    // Every file was looked at: hashes of files no catalogue holds go.
    m_hashes.KeepOnly(catalogued);
}

void CDuplicateFinder::FindSameName(const std::vector<File>& files)
{
    // One plug-in of one file, however many catalogues hold it.
    using Plugin = std::tuple<std::size_t, int, int, int>;    // file, resource type, index in file, kind
    using Shown = std::tuple<int, std::string, std::string>;  // class, name, category
    std::map<Shown, std::map<Plugin, DuplicateCopy>> byShown;
    for (std::size_t f = 0; f < files.size(); ++f) {
        for (std::size_t i : files[f].items) {
            const CatalogueItem& item = m_items[i];
            const int cls = ClassOfKind(item.kind);
            if (cls < 0 || item.name.empty())
                continue;
            DuplicateCopy& copy =
                byShown[{cls, item.name, item.category}][{f, item.resourceType, item.indexInFile, item.kind}];
            if (copy.places.empty()) {
                copy.file = files[f].key;
                copy.enabled = item.enabled;
                copy.names = {item.name};
            }
            addPlace(copy, item);
        }
    }
    for (auto& [shown, plugins] : byShown) {
        if (plugins.size() < 2)
            continue;
        DuplicateGroup g;
        g.kind = DuplicateKind::SameName;
        std::tie(g.pluginClass, g.name, g.category) = shown;
        for (auto& [plugin, copy] : plugins)
            g.copies.push_back(std::move(copy));
        sortCopies(g);
        m_groups.push_back(std::move(g));
    }
}

}  // namespace vardel
