#include "catalogue/DirectorySetup.h"

#include "base/FileOps.h"
#include "catalogue/PluginDirEntry.h"

#include <filesystem>

namespace vardel {
namespace {

bool isSeparator(char c)
{
#if defined(_WIN32)
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

}  // namespace

std::string RemoveTrailingSeparators(std::string directory)
{
    while (!directory.empty() && isSeparator(directory.back()))
        directory.pop_back();
    return directory;
}

bool DirectoryExists(const std::string& directory)
{
    if (directory.empty())
        return true;  // the root of the current drive
    std::error_code ec;
    return std::filesystem::is_directory(NativePath(directory + "/"), ec);
}

DirEntryCheck CheckDirectoryEntry(CPluginDirEntry& entry)
{
    entry.m_directory = RemoveTrailingSeparators(entry.m_directory);
    if (!DirectoryExists(entry.m_directory))
        return DirEntryCheck::DirectoryMissing;
    if ((!entry.m_label.empty() && !entry.m_directory.empty()) || entry.m_separator)
        return DirEntryCheck::Accepted;
    return DirEntryCheck::Incomplete;
}

std::size_t AddDirectory(const DataDirectory& dir, DirectoryList& list, std::unique_ptr<CPluginDirEntry> entry)
{
    entry->m_catalogueFile = NewCatalogueFileName(dir);
    list.push_back(std::move(entry));
    return list.size() - 1;
}

bool RemoveDirectory(const DataDirectory& dir, DirectoryList& list, std::size_t index)
{
    if (index >= list.size())
        return false;
    const std::string& stored = list[index]->m_catalogueFile;
    // An entry added when all 100 names were taken has no file; it would
    // otherwise stay in the list for good.
    if (auto file = CatalogueFilePath(dir, stored)) {
        std::error_code ec;
        if (!std::filesystem::remove(*file, ec))
            return false;
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool HasUsableCatalogueFile(const DataDirectory& dir, const CPluginDirEntry& entry)
{
    return CatalogueFilePath(dir, entry.m_catalogueFile).has_value();
}

bool RenewCatalogueFile(const DataDirectory& dir, CPluginDirEntry& entry)
{
    if (HasUsableCatalogueFile(dir, entry))
        return true;
    std::string name = NewCatalogueFileName(dir);
    if (name.empty())
        return false;
    entry.m_catalogueFile = std::move(name);
    return true;
}

bool MoveDirectoryUp(DirectoryList& list, std::size_t index)
{
    if (index == 0 || index >= list.size())
        return false;
    std::swap(list[index - 1], list[index]);
    return true;
}

bool MoveDirectoryDown(DirectoryList& list, std::size_t index)
{
    if (index + 1 >= list.size())
        return false;
    std::swap(list[index], list[index + 1]);
    return true;
}

}  // namespace vardel
