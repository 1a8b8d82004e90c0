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
class CVardelSession;
class SettingsBackend;
struct ScanOutcome;
}  // namespace vardel

namespace vardel::cli {

struct CliFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Options every command shares.
struct Common {
    std::filesystem::path dataDir = ".";
};

// Prints a JSON value on stdout, followed by a line end.
void printJson(const nlohmann::json& value);

// Converts a text of the 8-bit code page (Windows-1252) to UTF-8 for JSON.
std::string toUtf8(const std::string& text);
// Converts a path held in a record to UTF-8 for JSON.
std::string pathToUtf8(const std::string& path);

// A session on common.dataDir over the settings, started (settings and
// stores loaded, stale temporary files of interrupted saves removed).
// Commands change the settings they take as options after this.
std::unique_ptr<CVardelSession> openSession(const Common& common, SettingsBackend& settings);
// Selects directory n of the session's list as the Directory menu does.
// Throws CliFailure when n is not in the list or is a separator, or with the
// text of the message that ended the selection. The messages of a selection
// that went through (the reader's) are printed on stderr.
void selectOrThrow(CVardelSession& session, int n);
// The same, returning what the selection did (files read, full scan).
ScanOutcome selectDirectoryOrThrow(CVardelSession& session, int n);

// Registration of each command group.
void addStoreCommands(CLI::App& app, Common& common);      // store dump, dirs
void addReadCommands(CLI::App& app, Common& common);       // resources, read, scan, select, rescan
void addModifyCommands(CLI::App& app, Common& common);     // rename, move, enable, disable
void addImageCommands(CLI::App& app, Common& common);      // images, ff, find
void addInterpreterCommands(CLI::App& app, Common& common); // check, render
void addViewCommands(CLI::App& app, Common& common);       // what the main view shows

}  // namespace vardel::cli
