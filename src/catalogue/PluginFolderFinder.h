#pragma once
// The plug-in folders of image and video hosts installed in the Wine
// prefixes of this machine, found for the Setup dialog's Add: "~/.wine" and
// the prefixes that common Wine front ends create, and inside each the
// hosts' plug-in folders below "drive_c/Program Files*". The search reads
// directory listings only (names, types, no file content), never follows a
// symbolic link out of a prefix, and ends at a deadline or when stopped.

#include "catalogue/PluginDirEntry.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace vardel {

// One plug-in folder of a host.
struct FoundFolder {
    std::string path;     // links resolved, as a record holds a path
    std::string label;    // from the host folder's name, in the 8-bit code page
    std::string prefix;   // the Wine prefix it lies in, as a record holds a path
    int pluginFiles = 0;  // files a scan would read by their extension, in it and below
    int listedAs = -1;    // its position in the directory list; -1 when not on it
};

struct FolderSearch {
    std::vector<FoundFolder> folders;  // by path
    // False when the deadline passed or stop was requested first: folders
    // and counts are then what was found until then.
    bool complete = true;
};

// How long the search may take when nobody waits for it on a worker.
inline constexpr std::chrono::milliseconds kFolderSearchTime{1000};

// The Wine prefixes below home (directories holding "drive_c"), links
// resolved, each once, by path. Symbolic links of home's own layout (such
// as "~/.steam/steam") are followed to find them.
std::vector<std::filesystem::path>
FindWinePrefixes(const std::filesystem::path& home, std::stop_token stop = {},
                 std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

// The plug-in folders in the Wine prefixes below home, each with the number
// of plug-in files by the extension list (as the "Extensions" setting holds
// it; files named as disabled plug-ins count too), the directories of list
// that are the same folder marked, and labels that differ from each other.
// A folder of a host below an "Adobe" folder is found even when empty; any
// other host's only when it holds plug-in files. Never fails: what cannot
// be listed is passed over.
FolderSearch
FindPluginFolders(const std::filesystem::path& home, const std::string& extensions, const DirectoryList& list,
                  std::stop_token stop = {},
                  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

class CPluginDirEntry;

// The directory entry a found folder is added as: its host's label, the
// folder, and its subdirectories included (hosts load plug-ins from the
// folders below theirs too).
std::unique_ptr<CPluginDirEntry> MakeDirectoryEntry(const FoundFolder& folder);

}  // namespace vardel
