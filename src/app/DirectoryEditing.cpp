#include "app/DirectoryEditing.h"

#include "app/Session.h"
#include "app/Stores.h"
#include "base/FileOps.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"

#include <algorithm>
#include <optional>

namespace vardel {

namespace {

// The entries of the catalogue whose file is at one of the paths; the first
// path not found is put into missing.
std::vector<CPluginEntry*> entriesAt(CPluginListManager& catalogue, const std::vector<std::string>& paths,
                                     std::string& missing)
{
    std::vector<CPluginEntry*> selection;
    for (const std::string& path : paths) {
        const auto before = selection.size();
        for (auto& e : catalogue.m_entries)
            if (e->m_path == path)
                selection.push_back(e.get());
        if (selection.size() == before && missing.empty())
            missing = path;
    }
    return selection;
}

// Either name of the file is on disk: a catalogue not refreshed since may
// hold the name of the other state, which the rename accepts.
bool fileIsThere(const CPluginEntry& entry)
{
    if (PathEntryExists(NativePath(entry.m_path)))
        return true;
    if (!entry.m_enabled)
        return PathEntryExists(NativePath(entry.RealPath()));
    const std::size_t dot = entry.m_path.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    std::string disabled = entry.m_path;
    disabled[dot] = '_';
    return PathEntryExists(NativePath(disabled));
}

}  // namespace

CommandResult SetFilesEnabled(CVardelSession& session, int n, const std::vector<std::string>& paths, bool flag)
{
    if (!session.MayWrite())
        return CommandResult::Refused(
            {EditCode::WritesBarred,
             {},
             session.WriteRefusal() ? session.WriteRefusal()->text : "Nothing may be written now."});
    const DirectoryList& dirs = session.Directories();
    const std::string number = std::to_string(n);
    if (n < 0 || static_cast<std::size_t>(n) >= dirs.size() || dirs[static_cast<std::size_t>(n)]->m_separator)
        return CommandResult::Refused(
            {EditCode::NoSuchDirectory, {number}, "No plug-in directory " + number + " in the directory list."});
    const CPluginDirEntry& dir = *dirs[static_cast<std::size_t>(n)];
    const bool shown = n == session.CurrentDirectoryIndex();

    CPluginListManager stored;
    int storedClass = -1;
    std::optional<std::filesystem::path> file;
    if (!shown) {
        file = CatalogueFilePath(session.GetDataDirectory(), dir.m_catalogueFile);
        if (!file)
            return CommandResult::Refused({EditCode::CatalogueFileUnusable,
                                           {number},
                                           "The catalogue file of directory " + number + " cannot be used."});
        if (const StoreResult loaded = LoadCatalogue(*file, storedClass, stored); !loaded)
            return CommandResult::Refused({EditCode::CatalogueUnreadable,
                                           {number, loaded.error},
                                           "Cannot read the catalogue of directory " + number + ": " + loaded.error});
    }
    CPluginListManager& catalogue = shown ? session.Catalogue() : stored;

    std::string missing;
    std::vector<CPluginEntry*> selection = entriesAt(catalogue, paths, missing);
    if (!missing.empty())
        return CommandResult::Refused(
            {EditCode::NotInCatalogue,
             {number, PathForDisplay(missing)},
             PathForDisplay(missing) + " is not in the catalogue of directory " + number + "."});
    for (CPluginEntry* e : selection) {
        if (!fileIsThere(*e))
            return CommandResult::Refused(
                {EditCode::FileGone,
                 {PathForDisplay(e->m_path)},
                 PathForDisplay(e->m_path) + " is gone; select the directory to bring its catalogue up to date."});
        // Read-only files are refused by the editor: it needs their status.
        FileStatus::Get(e->m_path, e->m_fileStatus);
    }

    const WriteScope scope =
        shown ? session.CatalogueWriteScope() : WriteScope::Below(CCatalogueScan::CutAtZero(dir.m_directory));
    CCatalogueEditor editor(catalogue, nullptr, scope, session.Recorder());
    CommandResult result = editor.EnablePlugins(selection, flag);
    if (!result.accepted)
        return result;

    for (const CPluginEntry* e : selection)
        if ((e->m_enabled != 0) != flag) {
            result.message = "Nothing was renamed: " + PathForDisplay(e->m_path) + " cannot get its " +
                             (flag ? "enabled" : "disabled") + " name (is that name taken?).";
            result.code = flag ? EditCode::NotEnabled : EditCode::NotDisabled;
            result.arguments = {PathForDisplay(e->m_path)};
            break;
        }
    if (result.changed.empty())
        return result;

    bool saved = false;
    if (shown) {
        session.NotifyEntriesChanged(std::vector<const CPluginEntry*>(result.changed.begin(), result.changed.end()));
        saved = session.SaveCatalogue();
    } else {
        saved = static_cast<bool>(SaveCatalogue(*file, storedClass, stored));
    }
    if (!saved && result.message.empty()) {
        result.message = "The files were renamed, but the catalogue of directory " + number + " could not be saved.";
        result.code = EditCode::RenamedNotSaved;
        result.arguments = {number};
    }
    return result;
}

CommandResult SetCopyEnabled(CVardelSession& session, const DuplicateCopy& copy, bool flag)
{
    CommandResult result;
    for (const CopyPlace& place : copy.places) {
        result = SetFilesEnabled(session, place.directory, {place.path}, flag);
        if (!result.accepted || !result.message.empty())
            break;
    }
    return result;
}

}  // namespace vardel
