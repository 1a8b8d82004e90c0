#include "app/ChangeFollow.h"

#include "app/Session.h"
#include "app/Stores.h"
#include "base/FileOps.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"

#include <algorithm>

namespace vardel {

namespace {

bool IsBelow(const std::string& path, const std::string& directory)
{
    if (directory.empty() || path.size() <= directory.size() || path.compare(0, directory.size(), directory) != 0)
        return false;
    const char next = path[directory.size()];
    const char last = directory.back();
    return next == '/' || next == '\\' || last == '/' || last == '\\';
}

bool AnyBelow(const std::vector<FileChange>& changes, const std::string& directory)
{
    return std::any_of(changes.begin(), changes.end(), [&](const FileChange& c) { return IsBelow(c.file, directory); });
}

bool ChangesCategory(const std::vector<FileChange>& changes)
{
    return std::any_of(changes.begin(), changes.end(), [](const FileChange& c) {
        return c.kind == FileChange::Kind::Write && c.field == TextField::Category;
    });
}

}  // namespace

std::vector<CPluginEntry*> FollowInCatalogue(CPluginListManager& catalogue, const std::vector<FileChange>& changes,
                                             ChangeSide to)
{
    const bool after = to == ChangeSide::After;
    std::vector<CPluginEntry*> changed;
    auto note = [&changed](CPluginEntry* e) {
        if (std::find(changed.begin(), changed.end(), e) == changed.end())
            changed.push_back(e);
    };
    for (const FileChange& c : changes) {
        for (auto& owned : catalogue.m_entries) {
            CPluginEntry* e = owned.get();
            if (c.kind == FileChange::Kind::Rename) {
                // Every entry of the file, under whichever name the catalogue holds it.
                if (e->RealPath() != c.file && e->m_path != c.path && e->m_path != c.target)
                    continue;
                e->m_path = c.PathOn(after);
                e->m_enabled = e->m_path == c.file ? 1 : 0;
                note(e);
                continue;
            }
            if (e->RealPath() != c.file || e->m_kind != c.entryKind || e->m_indexInFile != c.entryIndex ||
                e->m_resourceType != c.entryResourceType)
                continue;
            const std::string& text = after ? c.textAfter : c.textBefore;
            const int offset = after ? c.textOffsetAfter : c.textOffsetBefore;
            if (c.field == TextField::Name) {
                e->m_name = text;
            } else {
                e->m_category = text;
                e->m_categoryOffset = offset;
            }
            note(e);
        }
    }
    return changed;
}

std::optional<UserMessage> FollowInSession(CVardelSession& session, const std::vector<FileChange>& changes,
                                           ChangeSide to)
{
    if (changes.empty())
        return {};
    std::optional<UserMessage> failure;
    const int shown = session.IsCatalogueShown() ? session.CurrentDirectoryIndex() : -1;
    const DirectoryList& dirs = session.Directories();
    for (std::size_t n = 0; n < dirs.size(); ++n) {
        const CPluginDirEntry& dir = *dirs[n];
        const std::string directory = CCatalogueScan::CutAtZero(dir.m_directory);
        if (dir.m_separator || static_cast<int>(n) == shown || !AnyBelow(changes, directory))
            continue;
        const auto file = CatalogueFilePath(session.GetDataDirectory(), dir.m_catalogueFile);
        if (!file || !PathEntryExists(*file))
            continue;
        CPluginListManager stored;
        int selected = -1;
        if (!LoadCatalogue(*file, selected, stored))
            continue;  // its next selection refreshes it from the files
        if (FollowInCatalogue(stored, changes, to).empty())
            continue;
        SortCatalogue(stored);
        if (!SaveCatalogue(*file, selected, stored) && !failure)
            failure = UserMessage{MessageCode::CatalogueNotSaved,
                                  "The catalogue of directory " + std::to_string(n) + " could not be saved.",
                                  std::to_string(n)};
    }
    session.BeforeEntriesChange();
    std::vector<CPluginEntry*> changed = FollowInCatalogue(session.Catalogue(), changes, to);
    if (!changed.empty()) {
        session.NotifyEntriesChanged(std::vector<const CPluginEntry*>(changed.begin(), changed.end()));
        if (ChangesCategory(changes))
            session.SortCatalogue();
        // At once: the next selection gives the files the states it holds.
        if (!session.SaveCatalogue() && !failure)
            failure = UserMessage{MessageCode::ShownCatalogueNotSaved, "The catalogue on show could not be saved.", {}};
    }
    return failure;
}

}  // namespace vardel
