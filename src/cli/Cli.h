#pragma once
// Shared plumbing of vardel-cli: every command group registers its
// subcommands on the application; a command reports failure by throwing
// CliFailure (exit status 1), usage errors come from CLI11 (exit status 2).

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace vardel {
class CPluginDirEntry;
class CVardelSession;
class WriterLock;
class SettingsBackend;
struct ScanOutcome;
}  // namespace vardel

namespace vardel::cli {

struct CliFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Options every command shares.
struct Common {
    std::filesystem::path dataDir;  // chosen by ChooseDataDirectory before a command runs
};

// Prints a JSON value on stdout, followed by a line end.
void printJson(const nlohmann::json& value);

// Converts a text of the 8-bit code page (Windows-1252) to UTF-8 for JSON.
std::string toUtf8(const std::string& text);
// Converts a path held in a record to UTF-8 for JSON.
std::string pathToUtf8(const std::string& path);

// How a command uses the data directory.
enum class Access {
    Read,         // changes nothing: takes no lock, works while the desktop program runs
    Write,        // may change stores, images or plug-ins: holds the writer lock, or fails
    WriteIfFree,  // writes only what it can: a writer when the lock is free, else a reader
};

// A session on common.dataDir over the settings, started (settings and
// stores loaded; for a writer, the writer lock taken and stale temporary
// files of interrupted saves removed). Throws CliFailure for a writer when
// another program holds the data directory. Commands change the settings
// they take as options after this.
std::unique_ptr<CVardelSession> openSession(const Common& common, SettingsBackend& settings, Access access);
// The writer lock of common.dataDir for a command that writes without a
// session (the preview images). Throws CliFailure when another program
// holds it.
WriterLock lockForWriting(const Common& common);
// Throws CliFailure when the directory list is there but could not be read
// completely (saving it or choosing from it would go by a list cut short).
void requireDirectoryList(const CVardelSession& session);
// Selects directory n of the session's list as the Directory menu does.
// Throws CliFailure when the list could not be read, n is not in it or is a
// separator, or with the text of the message that ended the selection. The
// messages of a selection that went through (the reader's) are printed on
// stderr.
void selectOrThrow(CVardelSession& session, int n);
// The same, returning what the selection did (files read, full scan).
ScanOutcome selectDirectoryOrThrow(CVardelSession& session, int n);

// The session of the data directory for a command that changes the
// directory list: a writer. Throws CliFailure when there is no "setup.db"
// or the directory list is there but could not be read completely.
std::unique_ptr<CVardelSession> openForChange(const Common& common, SettingsBackend& backend);
// Checks the entry as the "Plugin Directory" dialog does on OK, gives it a
// new catalogue file, appends it and saves the directory list. Returns its
// position; throws CliFailure, leaving no catalogue file behind, when the
// entry is refused or the list cannot be saved.
std::size_t addDirectoryOrThrow(CVardelSession& session, std::unique_ptr<CPluginDirEntry> entry);
// A directory entry as JSON (dirs list, dirs add).
nlohmann::json dirEntryToJson(const CPluginDirEntry& entry);

// Registration of each command group.
void addStoreCommands(CLI::App& app, Common& common);         // store dump, dirs
void addReadCommands(CLI::App& app, Common& common);          // resources, read, scan, select, rescan
void addModifyCommands(CLI::App& app, Common& common);        // rename, move, enable, disable
void addImageCommands(CLI::App& app, Common& common);         // images, ff, find
void addInterpreterCommands(CLI::App& app, Common& common);   // check, render
void addViewCommands(CLI::App& app, Common& common);          // what the main view shows
void addDuplicateCommands(CLI::App& app, Common& common);     // duplicates
void addFolderCommands(CLI::App& app, Common& common);        // folders
void addExportCommands(CLI::App& app, Common& common);        // export
void addHistoryCommands(CLI::App& app, Common& common);       // history, undo, redo
void addTroublemakerCommands(CLI::App& app, Common& common);  // bisect
void addWatchCommands(CLI::App& app, Common& common);         // watch

}  // namespace vardel::cli
