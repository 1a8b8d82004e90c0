#include "app/Stores.h"

#include "app/LaunchBarEntry.h"
#include "base/Archive.h"
#include "base/FileOps.h"
#include "catalogue/ContentHashCache.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "search/DescriptionListManager.h"

#include <array>

namespace vardel {
namespace {

constexpr std::size_t kLaunchBarSlots = 10;

StoreResult failure(std::string message)
{
    StoreResult result;
    result.ok = false;
    result.error = std::move(message);
    return result;
}

// Reads the file and hands its bytes to read; prepare runs once the file could
// be read at all, before anything is parsed.
template <class Prepare, class Read>
StoreResult loadArchive(const std::filesystem::path& file, Prepare prepare, Read read)
{
    std::vector<std::uint8_t> data;
    if (auto ec = ReadWholeFile(file, data, kMaxStoreSize)) {
        StoreResult result = failure("cannot read " + file.string() + ": " + ec.message());
        result.fileError = ec;
        return result;
    }
    prepare();
    try {
        CArchive ar(data, StoreClassRegistry());
        read(ar);
    } catch (const std::exception& e) {
        StoreResult result = failure(file.string() + ": " + e.what());
        result.damaged = true;
        return result;
    }
    return {};
}

}  // namespace

bool StoreResult::IsMissing() const
{
    return IsMissingFileError(fileError);
}

StoreResult LoadArchiveFile(const std::filesystem::path& file, const std::function<void(CArchive&)>& read)
{
    return loadArchive(
        file, [] {}, read);
}

StoreResult SaveArchiveFile(const std::filesystem::path& file, const std::function<void(CArchive&)>& write)
{
    std::vector<std::uint8_t> bytes;
    if (StoreResult made = ArchiveBytes(write, bytes); !made)
        return failure(file.string() + ": " + made.error);
    return WriteStoreBytes(file, bytes);
}

StoreResult ArchiveBytes(const std::function<void(CArchive&)>& write, std::vector<std::uint8_t>& bytes)
{
    CArchive ar;
    try {
        write(ar);
    } catch (const std::exception& e) {
        return failure(e.what());
    }
    bytes = ar.TakeData();
    return {};
}

StoreResult WriteStoreBytes(const std::filesystem::path& file, std::span<const std::uint8_t> bytes)
{
    if (auto ec = WriteFileAtomically(file, bytes))
        return failure("cannot write " + file.string() + ": " + ec.message());
    return {};
}

namespace {

// Loads a store whose container is replaced by what is read, but only once
// the file could be read at all.
template <class Container, class Read>
StoreResult loadReplacing(const std::filesystem::path& file, Container& container, Read read)
{
    return loadArchive(
        file, [&] { container.clear(); }, read);
}

// Loads a keyed store (restore database, PiMI cache) and brings keys written
// by earlier versions into the current form, whatever the load's outcome.
template <class Store>
StoreResult loadNormalised(const std::filesystem::path& file, Store& store)
{
    store.Clear();
    auto result = LoadArchiveFile(file, [&](CArchive& ar) { store.Serialize(ar); });
    store.NormaliseKeys();
    return result;
}

// Saves a store that serializes itself.
template <class Store>
StoreResult saveStore(const std::filesystem::path& file, Store& store)
{
    return SaveArchiveFile(file, [&](CArchive& ar) { store.Serialize(ar); });
}

// Saves a cache of our own and, when that worked, marks it unchanged.
template <class Cache>
StoreResult saveCache(const std::filesystem::path& file, Cache& cache)
{
    auto result = saveStore(file, cache);
    if (result)
        cache.ClearChanged();
    return result;
}

// Saves a list of records stored as one array.
template <class List>
StoreResult saveArray(const std::filesystem::path& file, const List& list)
{
    return SaveArchiveFile(file, [&](CArchive& ar) { ar.SerializeArray(const_cast<List&>(list)); });
}

}  // namespace

StoreResult LoadDirectoryList(const DataDirectory& dir, DirectoryList& list)
{
    return loadReplacing(dir.SetupDb() / "index", list, [&](CArchive& ar) { ar.SerializeArray(list); });
}

StoreResult SaveDirectoryList(const DataDirectory& dir, const DirectoryList& list)
{
    return saveArray(dir.SetupDb() / "index", list);
}

StoreResult LoadRestore(const DataDirectory& dir, CPluginRestoreManager& restore)
{
    return loadNormalised(dir.SetupDb() / "restore", restore);
}

StoreResult SaveRestore(const DataDirectory& dir, CPluginRestoreManager& restore)
{
    return saveStore(dir.SetupDb() / "restore", restore);
}

StoreResult LoadPimiInfo(const DataDirectory& dir, CPIMIManager& cache)
{
    return loadNormalised(dir.SetupDb() / "pimiinfo", cache);
}

StoreResult SavePimiInfo(const DataDirectory& dir, CPIMIManager& cache)
{
    return saveStore(dir.SetupDb() / "pimiinfo", cache);
}

StoreResult LoadDescriptions(const DataDirectory& dir, CDescriptionListManager& db)
{
    return loadReplacing(dir.SetupDb() / "keywords", db.m_entries, [&](CArchive& ar) { db.Serialize(ar); });
}

StoreResult SaveDescriptions(const DataDirectory& dir, CDescriptionListManager& db)
{
    return saveStore(dir.SetupDb() / "keywords", db);
}

StoreResult LoadLaunchBar(const DataDirectory& dir, LaunchBarList& list)
{
    auto result = loadReplacing(dir.SetupDb() / "launchbar", list, [&](CArchive& ar) { ar.SerializeArray(list); });
    // Entries beyond the tenth are kept: they cost nothing and survive the next save.
    while (list.size() < kLaunchBarSlots)
        list.push_back(std::make_unique<CLaunchBarEntry>());
    return result;
}

StoreResult SaveLaunchBar(const DataDirectory& dir, const LaunchBarList& list)
{
    return saveArray(dir.SetupDb() / "launchbar", list);
}

StoreResult LoadNonPlugins(const DataDirectory& dir, CNonPluginCache& cache)
{
    auto result = loadArchive(
        dir.SetupDb() / "nonplugins", [&] { cache.Clear(); }, [&](CArchive& ar) { cache.Serialize(ar); });
    cache.ClearChanged();
    return result;
}

StoreResult SaveNonPlugins(const DataDirectory& dir, CNonPluginCache& cache)
{
    return saveCache(dir.SetupDb() / "nonplugins", cache);
}

StoreResult LoadContentHashes(const DataDirectory& dir, CContentHashCache& cache)
{
    cache.Clear();
    // Serialize leaves the cache empty when the load fails part way.
    auto result = LoadArchiveFile(dir.SetupDb() / "hashes", [&](CArchive& ar) { cache.Serialize(ar); });
    cache.ClearChanged();
    return result;
}

StoreResult SaveContentHashes(const DataDirectory& dir, CContentHashCache& cache)
{
    return saveCache(dir.SetupDb() / "hashes", cache);
}

ClassRegistry StoreClassRegistry()
{
    static const std::array<const CRuntimeClass*, 7> classes = {
        &CPluginDirEntry::classCPluginDirEntry,
        &CPluginEntry::classCPluginEntry,
        &CRootItem::classCRootItem,
        &CPIMIEntry::classCPIMIEntry,
        &CPluginRestoreEntry::classCPluginRestoreEntry,
        &CDescriptionEntry::classCDescriptionEntry,
        &CLaunchBarEntry::classCLaunchBarEntry,
    };
    return classes;
}

std::vector<std::string> StoreFileNames()
{
    std::vector<std::string> names = {"index",      "restore", "pimiinfo", "keywords",    "launchbar",
                                      "nonplugins", "hashes",  "journal",  "troublemaker"};
    for (int i = 0; i < 100; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "SETUP%03d", i);
        names.push_back(name);
    }
    return names;
}

StoreResult LoadCatalogue(const std::filesystem::path& file, int& selectedClass, CPluginListManager& catalogue)
{
    return loadArchive(
        file, [&] { catalogue.Clear(); },
        [&](CArchive& ar) {
            selectedClass = static_cast<int>(ar.ReadDword());
            catalogue.Serialize(ar);
        });
}

StoreResult SaveCatalogue(const std::filesystem::path& file, int selectedClass, CPluginListManager& catalogue)
{
    return SaveArchiveFile(file, [&](CArchive& ar) {
        ar.WriteDword(static_cast<std::uint32_t>(selectedClass));
        catalogue.Serialize(ar);
    });
}

CatalogueSnapshot SnapshotOf(int selectedClass, const CPluginListManager& catalogue)
{
    CatalogueSnapshot snapshot;
    snapshot.selectedClass = selectedClass;
    snapshot.entries.reserve(catalogue.m_entries.size());
    for (const auto& e : catalogue.m_entries)
        snapshot.entries.push_back(e.get());
    for (const auto& r : catalogue.m_roots)
        snapshot.roots.emplace_back(r ? r->m_tag : 0, r ? r->m_path : std::string());
    snapshot.currentRoot = catalogue.m_currentRoot;
    return snapshot;
}

StoreResult CatalogueBytes(const CatalogueSnapshot& snapshot, std::vector<std::uint8_t>& bytes)
{
    // As SaveCatalogue writes it: the class, then the catalogue's entries,
    // roots and current root (every record once, so no back-references).
    std::vector<CRootItem> roots(snapshot.roots.size());
    for (std::size_t i = 0; i < roots.size(); ++i) {
        roots[i].m_tag = snapshot.roots[i].first;
        roots[i].m_path = snapshot.roots[i].second;
    }
    return ArchiveBytes(
        [&](CArchive& ar) {
            ar.WriteDword(static_cast<std::uint32_t>(snapshot.selectedClass));
            ar.WriteCount(static_cast<std::uint32_t>(snapshot.entries.size()));
            for (const CPluginEntry* e : snapshot.entries)
                ar.WriteObject(e);
            ar.WriteCount(static_cast<std::uint32_t>(roots.size()));
            for (const CRootItem& r : roots)
                ar.WriteObject(&r);
            int currentRoot = snapshot.currentRoot;
            ar.Exchange(currentRoot);
        },
        bytes);
}

StoreResult RestoreBytes(const CPluginRestoreManager& base, const CPluginRestoreManager& added,
                         std::vector<std::uint8_t>& bytes)
{
    return ArchiveBytes([&](CArchive& ar) { ar.StoreMaps(base.Entries(), added.Entries()); }, bytes);
}

StoreResult PimiInfoBytes(const CPIMIManager& base, const CPIMIManager& added, std::vector<std::uint8_t>& bytes)
{
    return ArchiveBytes([&](CArchive& ar) { ar.StoreMaps(base.Entries(), added.Entries()); }, bytes);
}

std::optional<std::filesystem::path> KeepDamagedOriginal(const std::filesystem::path& file)
{
    for (int i = 0; i < 100; ++i) {
        std::filesystem::path copy = file;
        copy += i == 0 ? std::string(".damaged") : ".damaged." + std::to_string(i);
        std::error_code ec;
        if (std::filesystem::exists(copy, ec) || ec)
            continue;
        // copy_options::none fails rather than replace a file that appeared meanwhile.
        if (std::filesystem::copy_file(file, copy, std::filesystem::copy_options::none, ec))
            return copy;
        if (ec != std::errc::file_exists)
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace vardel
