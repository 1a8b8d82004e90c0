// resources, read, scan, select, rescan: reading plug-in files and
// directories into catalogues.

#include "cli/Cli.h"
#include "cli/EntryJson.h"
#include "cli/JsonStream.h"

#include "app/Session.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/VardelDoc.h"
#include "pe/PeImage.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace vardel::cli {

namespace {

namespace fs = std::filesystem;

struct ScanOptions {
    bool scanAll = false;
    std::string extensions = kDefaultExtensions;
};

nlohmann::json EntriesJson(const CPluginListManager& catalogue)
{
    nlohmann::json out = nlohmann::json::array();
    for (const auto& e : catalogue.m_entries)
        out.push_back(EntryToJson(*e, true));
    return out;
}

// The entries of a catalogue, each made as it is printed.
StreamedValue StreamedEntries(const CPluginListManager& catalogue)
{
    return {catalogue.m_entries.size(),
            [&catalogue](std::size_t i) { return EntryToJson(*catalogue.m_entries[i], true); },
            {}};
}

void RunResources(const std::string& file)
{
    std::string error;
    auto image = PeImage::Open(file, &error);
    if (!image)
        throw CliFailure(file + " is not a module: " + error);
    nlohmann::json out = nlohmann::json::array();
    for (const auto& r : image->Listing())
        out.push_back({{"type", toUtf8(r.type)}, {"name", toUtf8(r.name)}, {"language", r.language}, {"size", r.size}});
    printJson(out);
}

void RunRead(const std::string& file)
{
    if (const char* reason = CPluginReader::UnsupportedModuleReason(file))
        throw CliFailure(file + ": " + reason);
    // A throwaway catalogue, restore database and tail cache: reading one
    // file shows what a first scan would record, and changes no store.
    CPluginListManager catalogue;
    auto root = std::make_unique<CRootItem>();
    root->m_path = fs::path(file).parent_path().string();
    catalogue.m_roots.push_back(std::move(root));
    catalogue.m_currentRoot = 0;
    CPluginRestoreManager restore;
    CPIMIManager cache;
    CPluginReader reader(catalogue, restore, cache);
    reader.m_onMessage = [](const std::string& text) { std::cerr << text; };
    const std::string name = fs::path(file).filename().string();
    reader.ReadFile(file, !CVardelDoc::UpperExtension(name).empty());
    printJson(EntriesJson(catalogue));
}

// The session of the data directory with the scan options as settings.
std::unique_ptr<CVardelSession> OpenWithOptions(const Common& common, SettingsBackend& backend,
                                                const ScanOptions& options)
{
    auto session = openSession(common, backend, Access::Write);
    session->GetSettings().scanAll = options.scanAll ? 1 : 0;
    session->GetSettings().extensions = options.extensions;
    return session;
}

void RunScan(const Common& common, const std::string& directory, bool subdirs, const ScanOptions& options)
{
    MemorySettingsBackend backend;
    auto session = OpenWithOptions(common, backend, options);
    // A directory outside the list: its catalogue is only printed, but the
    // originals it shows for the first time go into the restore database.
    CPluginListManager catalogue;
    CCatalogueScan scan(catalogue, session->Restore(), session->PimiCache(), nullptr,
                        {options.extensions, options.scanAll});
    scan.m_onMessage = [](const std::string& text) { std::cerr << text << (text.ends_with('\n') ? "" : "\n"); };
    scan.FullScan(directory, subdirs);
    SortCatalogue(catalogue);
    session->SaveOriginals();
    printStreamed(StreamedEntries(catalogue));
}

nlohmann::json CountsJson(const CVardelSession& session)
{
    nlohmann::json counts = nlohmann::json::array();
    for (int c : session.ClassCounts())
        counts.push_back(c);
    return counts;
}

void RunSelect(const Common& common, int n, const ScanOptions& options)
{
    MemorySettingsBackend backend;
    auto session = OpenWithOptions(common, backend, options);
    const ScanOutcome outcome = selectDirectoryOrThrow(*session, n);
    printWithStreamed({{"scanned", outcome.fullScan},
                       {"files_read", outcome.filesRead},
                       {"selected_class", session->SelectedClass()},
                       {"class_counts", CountsJson(*session)}},
                      "entries", StreamedEntries(session->Catalogue()));
}

void RunRescan(const Common& common, int n, const ScanOptions& options)
{
    MemorySettingsBackend backend;
    auto session = OpenWithOptions(common, backend, options);
    // Re-Scan all works on the current directory: make directory n current
    // the way the Directory menu does, then bypass its stored catalogue.
    selectOrThrow(*session, n);
    const ScanOutcome outcome = session->RescanAll();
    if (!outcome.done)
        throw CliFailure(outcome.messages.empty() ? "cannot re-scan directory " + std::to_string(n)
                                                  : outcome.messages.back().text);
    printWithStreamed({{"files_read", outcome.filesRead}, {"selected_class", session->SelectedClass()}}, "entries",
                      StreamedEntries(session->Catalogue()));
}

void AddScanOptions(CLI::App* cmd, ScanOptions& options)
{
    cmd->add_flag("--scan-all", options.scanAll, "Read every file, whatever its extension");
    cmd->add_option("--extensions", options.extensions, "Extensions of plug-in files")->capture_default_str();
}

}  // namespace

void addReadCommands(CLI::App& app, Common& common)
{
    static std::string file;
    static std::string directory;
    static bool subdirs = false;
    static int number = 0;
    static ScanOptions scanOptions;

    auto* resources = app.add_subcommand("resources", "List the resources of a module (JSON)");
    resources->add_option("FILE", file, "Plug-in file")->required();
    resources->callback([] { RunResources(file); });

    auto* read = app.add_subcommand("read", "Read the plug-in descriptions of one file (JSON)");
    read->add_option("FILE", file, "Plug-in file")->required();
    read->callback([] { RunRead(file); });

    auto* scan = app.add_subcommand("scan", "Scan a directory and print the sorted catalogue (JSON)");
    scan->add_option("DIR", directory, "Directory to scan")->required();
    scan->add_flag("--subdirs", subdirs, "Include subdirectories");
    AddScanOptions(scan, scanOptions);
    scan->callback([&common] { RunScan(common, directory, subdirs, scanOptions); });

    auto* select = app.add_subcommand("select", "Select directory N of the directory list (JSON)");
    select->add_option("N", number, "Index in the directory list")->required();
    AddScanOptions(select, scanOptions);
    select->callback([&common] { RunSelect(common, number, scanOptions); });

    auto* rescan = app.add_subcommand("rescan", "Re-scan directory N, bypassing its stored catalogue (JSON)");
    rescan->add_option("N", number, "Index in the directory list")->required();
    AddScanOptions(rescan, scanOptions);
    rescan->callback([&common] { RunRescan(common, number, scanOptions); });
}

}  // namespace vardel::cli
