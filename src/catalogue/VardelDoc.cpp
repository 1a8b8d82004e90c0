#include "catalogue/VardelDoc.h"

#include "catalogue/CatalogueScan.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"

#include <cerrno>
#include <utility>

namespace vardel {

CVardelDoc::CVardelDoc(const DirectoryList& directories)
    : m_directories(directories)
{}

int CVardelDoc::CurrentIndex() const
{
    if (!m_current)
        return -1;
    for (std::size_t i = 0; i < m_directories.size(); ++i)
        if (m_directories[i].get() == m_current && m_directories[i]->m_catalogueFile == m_currentCatalogueFile)
            return static_cast<int>(i);
    return -1;
}

const CPluginDirEntry* CVardelDoc::CurrentDirectory() const
{
    const int index = CurrentIndex();
    return index < 0 ? nullptr : m_directories[static_cast<std::size_t>(index)].get();
}

bool CVardelDoc::IsCatalogueShown() const
{
    return !m_catalogue.m_entries.empty() && IsCurrentInList();
}

void CVardelDoc::Show(const CPluginDirEntry& directory, CPluginListManager& catalogue, int selectedClass)
{
    std::swap(m_catalogue.m_entries, catalogue.m_entries);
    std::swap(m_catalogue.m_roots, catalogue.m_roots);
    std::swap(m_catalogue.m_currentRoot, catalogue.m_currentRoot);
    m_current = &directory;
    m_currentCatalogueFile = directory.m_catalogueFile;
    m_title = directory.m_label;
    m_selectedClass = selectedClass;
    CountClasses();
}

void CVardelDoc::ShowNothing()
{
    m_catalogue.Clear();
    m_current = nullptr;
    m_currentCatalogueFile.clear();
    m_title = kUntitled;
    m_selectedClass = -1;
    m_classCounts.fill(0);
}

void CVardelDoc::Sort()
{
    SortCatalogue(m_catalogue);
}

void CVardelDoc::CountClasses()
{
    m_classCounts.fill(0);
    for (const auto& e : m_catalogue.m_entries) {
        int cls = ClassOfKind(e->m_kind);
        if (cls >= 0 && cls < kClassCountSize)
            ++m_classCounts[static_cast<std::size_t>(cls)];
    }
    if (m_selectedClass < 0 || m_selectedClass >= kClassCountSize ||
        m_classCounts[static_cast<std::size_t>(m_selectedClass)] == 0) {
        m_selectedClass = -1;
        for (int c = 0; c < kClassCountSize; ++c)
            if (m_classCounts[static_cast<std::size_t>(c)] >= 1) {
                m_selectedClass = c;
                break;
            }
    }
}

bool CVardelDoc::IsCandidate(const std::string& upperExtension, const std::string& extensions, bool scanAll)
{
    return CCatalogueScan::IsCandidate(upperExtension, extensions, scanAll);
}

std::string CVardelDoc::UpperExtension(const std::string& fileName)
{
    return CCatalogueScan::UpperExtension(fileName);
}

std::string CVardelDoc::OpenErrorMessage(int error, const std::string& path)
{
    switch (error) {
    case ENOENT: return path + " was not found.";
    case ENAMETOOLONG:
    case ENOTDIR:
    case EINVAL:
    case ELOOP: return path + " contains an invalid path.";
    case EMFILE:
    case ENFILE: return path + " could not be opened because there are too many open files.";
    case EACCES:
    case EPERM:
    case EISDIR:  // Windows refuses to open a directory as a file with "access denied"
        return "Access to " + path + " was denied.";
    case EBUSY:
    case ETXTBSY: return "A sharing violation occurred while accessing " + path + ".";
    case EDEADLK:
    case ENOLCK: return "A locking violation occurred while accessing " + path + ".";
    default: return "An unknown error occurred while accessing " + path + ".";
    }
}

}  // namespace vardel
