#pragma once
// The store files below a data directory: "setup.db" holds the directory
// list, the restore database, the PiMI tail cache, the description database,
// the launch bar and one catalogue file per plug-in directory.
//
// Loads never throw: a missing or unreadable store is skipped, and what was
// read before a failure is kept. Saves never leave a truncated store behind.

#include "base/Archive.h"
#include "base/DataDirectory.h"
#include "catalogue/PluginDirEntry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace vardel {

class CPluginDirEntry;
class CPluginRestoreManager;
class CPIMIManager;
class CDescriptionListManager;
class CLaunchBarEntry;
class CPluginListManager;
class CPluginEntry;
class CArchive;
class CNonPluginCache;
class CContentHashCache;

// Outcome of a load or save; the message says what failed.
struct StoreResult {
    bool ok = true;
    std::string error;
    // The file was there and could be read, but its content ended or broke
    // before the container was complete: what was read is in memory, the
    // rest only in the file.
    bool damaged = false;
    // Why the file could not be read, when it could not.
    std::error_code fileError;
    explicit operator bool() const { return ok; }
    // The file is there but could not be read at all (no permission, over
    // the size limit, not a regular file): nothing of it is in memory, so it
    // must never be saved over.
    bool Unreadable() const { return fileError && !IsMissing(); }
    bool IsMissing() const;
};

using LaunchBarList = std::vector<std::unique_ptr<CLaunchBarEntry>>;

StoreResult LoadDirectoryList(const DataDirectory& dir, DirectoryList& list);
StoreResult SaveDirectoryList(const DataDirectory& dir, const DirectoryList& list);
StoreResult LoadRestore(const DataDirectory& dir, CPluginRestoreManager& restore);  // clears, loads, normalises keys
StoreResult SaveRestore(const DataDirectory& dir, CPluginRestoreManager& restore);
StoreResult LoadPimiInfo(const DataDirectory& dir, CPIMIManager& cache);  // clears, loads, normalises keys
StoreResult SavePimiInfo(const DataDirectory& dir, CPIMIManager& cache);
StoreResult LoadDescriptions(const DataDirectory& dir, CDescriptionListManager& db);
StoreResult SaveDescriptions(const DataDirectory& dir, CDescriptionListManager& db);
StoreResult LoadLaunchBar(const DataDirectory& dir, LaunchBarList& list);  // topped up to ten entries
StoreResult SaveLaunchBar(const DataDirectory& dir, const LaunchBarList& list);

// "\nonplugins": files that pass the extension filter but hold no plug-in.
StoreResult LoadNonPlugins(const DataDirectory& dir, CNonPluginCache& cache);
StoreResult SaveNonPlugins(const DataDirectory& dir, CNonPluginCache& cache);

// "\hashes": content hashes of plug-in files by path, size and time. Only a
// cache: a load that fails in any way leaves it empty, to be rebuilt.
StoreResult LoadContentHashes(const DataDirectory& dir, CContentHashCache& cache);
StoreResult SaveContentHashes(const DataDirectory& dir, CContentHashCache& cache);

// The record classes of the store files, and nothing else.
ClassRegistry StoreClassRegistry();

// The names of the store files in "setup.db" that Vardel writes (the
// catalogue files SETUP000 to SETUP099 included).
std::vector<std::string> StoreFileNames();

// A catalogue file: the selected class (DWORD), then the catalogue.
StoreResult LoadCatalogue(const std::filesystem::path& file, int& selectedClass, CPluginListManager& catalogue);
StoreResult SaveCatalogue(const std::filesystem::path& file, int selectedClass, CPluginListManager& catalogue);

// What a catalogue file holds, taken from a catalogue without copying a
// record: the entries must neither change nor go away until whatever was
// made of it (CatalogueBytes) has been made.
struct CatalogueSnapshot {
    int selectedClass = -1;
    std::vector<const CPluginEntry*> entries;
    std::vector<std::pair<int, std::string>> roots;  // tag and path of each root
    int currentRoot = -1;
};
CatalogueSnapshot SnapshotOf(int selectedClass, const CPluginListManager& catalogue);
// The bytes SaveCatalogue writes for the snapshot's catalogue; false (with
// the reason in the result) when they cannot be made.
StoreResult CatalogueBytes(const CatalogueSnapshot& snapshot, std::vector<std::uint8_t>& bytes);
// The bytes SaveRestore and SavePimiInfo write for the union of base and
// a store that only adds to it (a scan job's, before the commit merges it).
StoreResult RestoreBytes(const CPluginRestoreManager& base, const CPluginRestoreManager& added,
                         std::vector<std::uint8_t>& bytes);
StoreResult PimiInfoBytes(const CPIMIManager& base, const CPIMIManager& added, std::vector<std::uint8_t>& bytes);
// The bytes SaveArchiveFile writes for write.
StoreResult ArchiveBytes(const std::function<void(CArchive&)>& write, std::vector<std::uint8_t>& bytes);
// Replaces the file with bytes made by one of the above, atomically; on
// failure the old file is untouched.
StoreResult WriteStoreBytes(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

// Reads a whole store file (at most kMaxStoreSize bytes) through a loading
// archive handed to read. Never throws: a missing file, an archive failure
// or any other exception becomes the result's error; what read stored before
// the failure stays where it put it.
inline constexpr std::uintmax_t kMaxStoreSize = 256u << 20;
StoreResult LoadArchiveFile(const std::filesystem::path& file, const std::function<void(CArchive&)>& read);
// Lets write fill a storing archive and replaces the file with it
// atomically; on failure the old file is untouched.
StoreResult SaveArchiveFile(const std::filesystem::path& file, const std::function<void(CArchive&)>& write);

// Copies a damaged store file to a free name beside it ("index.damaged",
// then "index.damaged.1" ... ".99"), never replacing a file. Returns the
// copy's path; nothing when no free name is left or the copy fails.
std::optional<std::filesystem::path> KeepDamagedOriginal(const std::filesystem::path& file);

}  // namespace vardel
