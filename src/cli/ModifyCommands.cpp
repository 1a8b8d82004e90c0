// rename, move, enable, disable: change plug-ins in place, either one plug-in
// file read afresh, or an entry of a directory's stored catalogue as the GUI
// acts on it between two refreshes.

#include "cli/Cli.h"
#include "cli/EntryJson.h"
#include "cli/ViewSupport.h"

#include "base/CodePage.h"
#include "base/MemorySettingsBackend.h"
#include "app/OriginalsFirst.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/VardelDoc.h"
#include "modify/CatalogueEditor.h"
#include "modify/CommandAvailability.h"

#include <memory>
#include <optional>

namespace vardel::cli {

namespace {

enum class Action { Rename, Move, Enable, Disable };

struct ModifyOptions {
    Action action = Action::Rename;
    std::vector<std::string> args;
    std::optional<int> dir;
    std::optional<int> entry;
    std::string entries;  // --entry as given: K, or K1,K2,... for move --dir
};

// The message for a write that changed nothing.
std::string NothingWritten(const WriteResult& result)
{
    if (!result.message.empty())
        return result.message;
    switch (result.status) {
    case WriteStatus::NotLocated: return "Nothing was written: the text was not located in the plug-in file.";
    case WriteStatus::NotWritable: return "Nothing was written: this kind of plug-in has no category to write.";
    default: return "Nothing was written.";
    }
}

std::string FileName(const std::string& path)
{
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A plug-in file read afresh into a catalogue of its own, with the restore
// database and tail cache of the data directory's session.
struct FileSession {
    MemorySettingsBackend backend;
    std::unique_ptr<CVardelSession> session;
    std::unique_ptr<COriginalsFirst> originals;
    CPluginListManager catalogue;
};

void ReadPluginFile(const Common& common, const std::string& path, FileSession& s)
{
    s.session = openSession(common, s.backend, Access::Write);
    CPluginRestoreManager& restore = s.session->Restore();
    s.originals = std::make_unique<COriginalsFirst>(*s.session);
    s.originals->Watch();
    CPluginReader reader(s.catalogue, restore, s.session->PimiCache());
    bool hasExtension = !CVardelDoc::UpperExtension(FileName(path)).empty();
    if (reader.ReadFile(path, hasExtension) == 0)
        throw CliFailure("Not a plug-in file: " + path);
    // Originals seen here for the first time are kept now: once the file is
    // changed, no later scan could record them.
    s.originals->BeforeChange();
    for (auto& e : s.catalogue.m_entries) {
        FileStatus::Get(e->m_path, e->m_fileStatus);
        // Capacities grow to the originals, as a reloaded catalogue's do.
        restore.WidenCapacities(*e);
    }
}

CPluginEntry& EntryWithIndex(CPluginListManager& catalogue, int index, const std::string& path)
{
    for (auto& e : catalogue.m_entries)
        if (e->m_indexInFile == index)
            return *e;
    throw CliFailure("No plug-in with index " + std::to_string(index) + " in " + path);
}

void WriteText(CCatalogueEditor& editor, Action action, CPluginEntry& entry, const std::string& utf8Text)
{
    const std::string text = utf8ToCodePage(utf8Text);
    if (action == Action::Rename) {
        WriteResult result = editor.RenamePlugin(entry, text);
        if (!result.Written())
            throw CliFailure(NothingWritten(result));
        return;
    }
    CommandResult result = editor.MovePlugins({&entry}, text);
    if (!result.accepted)
        throw CliFailure(result.message);
    if (!result.writes.front().result.Written())
        throw CliFailure(NothingWritten(result.writes.front().result));
}

void SetState(CCatalogueEditor& editor, Action action, CPluginEntry& entry)
{
    const bool flag = action == Action::Enable;
    CommandResult result = editor.EnablePlugins({&entry}, flag);
    if (!result.accepted)
        throw CliFailure(result.message);
    if ((entry.m_enabled != 0) != flag)
        throw CliFailure("Nothing was renamed: " + entry.m_path + " cannot get its " + (flag ? "enabled" : "disabled") +
                         " name (is that name taken?).");
}

void RunOnFile(const Common& common, const ModifyOptions& o)
{
    const bool state = o.action == Action::Enable || o.action == Action::Disable;
    if (o.args.size() != (state ? 1u : 3u))
        throw CLI::ValidationError(state ? "expected FILE" : "expected FILE INDEX TEXT");
    FileSession s;
    ReadPluginFile(common, o.args[0], s);
    CCatalogueEditor editor(s.catalogue, nullptr, WriteScope::Anywhere(), s.session->Recorder());
    if (state) {
        // The file's first entry; every other entry of the file follows it.
        CPluginEntry& first = *s.catalogue.m_entries.front();
        SetState(editor, o.action, first);
        printJson({{"path", pathToUtf8(first.m_path)}});
        return;
    }
    int index = 0;
    try {
        index = std::stoi(o.args[1]);
    } catch (const std::exception&) {
        throw CLI::ValidationError("INDEX must be a number");
    }
    CPluginEntry& entry = EntryWithIndex(s.catalogue, index, o.args[0]);
    WriteText(editor, o.action, entry, o.args[2]);
    printJson(EntryToJson(entry, true));
}

void RunOnCatalogue(const Common& common, const ModifyOptions& o)
{
    const bool state = o.action == Action::Enable || o.action == Action::Disable;
    if (!o.entry)
        throw CLI::ValidationError("--dir needs --entry");
    if (o.args.size() != (state ? 0u : 1u))
        throw CLI::ValidationError(state ? "no arguments expected with --dir" : "expected TEXT");

    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Write);
    const int n = *o.dir;
    if (n < 0 || static_cast<std::size_t>(n) >= session->Directories().size())
        throw CliFailure("No directory " + std::to_string(n) + " in the directory list");
    const CPluginDirEntry& dir = *session->Directories()[static_cast<std::size_t>(n)];
    if (dir.m_separator || dir.m_catalogueFile.empty())
        throw CliFailure("Directory " + std::to_string(n) + " has no catalogue file");
    UserMessage failure;
    if (!session->OpenStoredCatalogue(n, &failure))
        throw CliFailure(failure.code == MessageCode::CatalogueOutsideDataDir
                             ? failure.text
                             : "Cannot read the catalogue: " + failure.text);
    CPluginListManager& catalogue = session->Catalogue();
    const int k = *o.entry;
    if (k < 0 || static_cast<std::size_t>(k) >= catalogue.m_entries.size())
        throw CliFailure("No entry " + std::to_string(k) + " in the catalogue of directory " + std::to_string(n));

    CPluginEntry& entry = *catalogue.m_entries[static_cast<std::size_t>(k)];
    // The file status is not stored; the GUI holds it from its last look at
    // the files, so look now (names and categories stay as stored).
    for (auto& e : catalogue.m_entries)
        if (e->RealPath() == entry.RealPath())
            FileStatus::Get(e->m_path, e->m_fileStatus);

    CVardelSession& shown = *session;
    CCatalogueEditor editor(
        catalogue, [&shown](CPluginListManager&) { shown.SortCatalogue(); }, session->CatalogueWriteScope(),
        session->Recorder());
    COriginalsFirst(*session).BeforeChange();
    if (state)
        SetState(editor, o.action, entry);
    else
        WriteText(editor, o.action, entry, o.args[0]);

    session->SortCatalogue();
    if (!session->SaveCatalogue())
        throw CliFailure("The plug-in was changed, but the catalogue could not be saved.");
    if (state)
        printJson({{"path", pathToUtf8(entry.m_path)}});
    else
        printJson(EntryToJson(entry, true));
}

void AddCommand(CLI::App& app, Common& common, const char* name, Action action, const char* help, const char* argsHelp)
{
    auto options = std::make_shared<ModifyOptions>();
    options->action = action;
    CLI::App* cmd = app.add_subcommand(name, help);
    cmd->add_option("args", options->args, argsHelp);
    cmd->add_option("--dir", options->dir, "Directory N of the directory list (its stored catalogue)");
    cmd->add_option("--entry", options->entries,
                    "Entry K of that catalogue (position in the sorted catalogue); move takes K1,K2,...");
    cmd->callback([&common, options] {
        const std::vector<int> entries = parseEntryList(options->entries);
        if (entries.size() > 1) {
            if (options->action != Action::Move || !options->dir)
                throw CLI::ValidationError("only move --dir takes several entries");
            if (options->args.size() != 1)
                throw CLI::ValidationError("expected CATEGORY");
            runMoveEntries(common, *options->dir, entries, options->args[0]);
            return;
        }
        if (!entries.empty())
            options->entry = entries.front();
        if (options->dir)
            RunOnCatalogue(common, *options);
        else if (options->entry)
            throw CLI::ValidationError("--entry needs --dir");
        else
            RunOnFile(common, *options);
    });
}

}  // namespace

void addModifyCommands(CLI::App& app, Common& common)
{
    AddCommand(app, common, "rename", Action::Rename, "Rename a plug-in inside its file",
               "FILE INDEX NAME, or NAME with --dir and --entry");
    AddCommand(app, common, "move", Action::Move, "Move a plug-in to another category inside its file",
               "FILE INDEX CATEGORY, or CATEGORY with --dir and --entry");
    AddCommand(app, common, "enable", Action::Enable, "Enable every plug-in of a file (give it its extension back)",
               "FILE, or nothing with --dir and --entry");
    AddCommand(app, common, "disable", Action::Disable, "Disable every plug-in of a file (drop its extension)",
               "FILE, or nothing with --dir and --entry");
}

}  // namespace vardel::cli
