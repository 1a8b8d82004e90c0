#pragma once
// The rules of the Setup dialog for the directory list, without the dialog:
// checking a directory entry, adding it with a new catalogue file, removing
// it with its catalogue file, and moving it up and down.

#include "base/DataDirectory.h"
#include "catalogue/PluginDirEntry.h"

#include <cstddef>
#include <memory>
#include <string>

namespace vardel {

inline constexpr const char* kDirectoryMissingMessage = "The specified directory does not exist!";

// The directory text with every trailing separator removed ("/plugins//"
// becomes "/plugins", "/" becomes "").
std::string RemoveTrailingSeparators(std::string directory);

// Whether something matches directory + separator + "*": the directory
// exists. An empty text stands for the root and exists.
bool DirectoryExists(const std::string& directory);

enum class DirEntryCheck {
    Accepted,          // the values may be stored into the entry
    DirectoryMissing,  // kDirectoryMissingMessage
    Incomplete,        // a non-separator entry without label or directory
};

// Checks the values of the "Plugin Directory" dialog on OK; the directory
// in entry loses its trailing separators first.
DirEntryCheck CheckDirectoryEntry(CPluginDirEntry& entry);

// Gives the entry a new catalogue file (empty name when none is free) and
// appends it. Returns the index of the new entry.
std::size_t AddDirectory(const DataDirectory& dir, DirectoryList& list, std::unique_ptr<CPluginDirEntry> entry);

// Deletes the entry's catalogue file, then the entry. When the file cannot
// be deleted (it is missing, for one) the entry stays and the result is
// false. An entry without a catalogue file name, or with one that lies
// outside "setup.db" (a damaged or forged store), is simply removed: no file
// outside the data directory is ever deleted.
bool RemoveDirectory(const DataDirectory& dir, DirectoryList& list, std::size_t index);

// True when the entry's catalogue file can be used: a plain file name
// inside "setup.db".
bool HasUsableCatalogueFile(const DataDirectory& dir, const CPluginDirEntry& entry);
// Gives an entry whose catalogue file cannot be used a new, empty one (the
// first free SETUPnnn); its directory is then scanned at the next selection.
// False when no name is free; an entry whose file is usable is left alone.
bool RenewCatalogueFile(const DataDirectory& dir, CPluginDirEntry& entry);

// Swaps the entry with the one above or below; false at the ends.
bool MoveDirectoryUp(DirectoryList& list, std::size_t index);
bool MoveDirectoryDown(DirectoryList& list, std::size_t index);

}  // namespace vardel
