// resources, read, scan, select, rescan: reading plug-in files and
// directories into catalogues.

#include "cli/Cli.h"
#include "cli/EntryJson.h"

#include "app/Application.h"
#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/VardelDoc.h"
#include "modify/PeImage.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace vardel::cli {

namespace {

namespace fs = std::filesystem;

struct ScanOptions {
    bool scanAll = false;
    std::string extensions = kDefaultExtensions;
};

// A progress line on stderr, only when stderr is a terminal.
class ProgressLine {
public:
    ProgressLine()
    {
#if !defined(_WIN32)
        m_enabled = ::isatty(2) != 0;
#endif
    }
    ~ProgressLine()
    {
        if (m_shown)
            std::cerr << "\r\033[K" << std::flush;
    }
    void Show(const std::string& path)
    {
        if (!m_enabled)
            return;
        std::cerr << "\r\033[K" << path.substr(0, 150) << std::flush;
        m_shown = true;
    }

private:
    bool m_enabled = false;
    bool m_shown = false;
};

nlohmann::json EntriesJson(const CPluginListManager& catalogue)
{
    nlohmann::json out = nlohmann::json::array();
    for (const auto& e : catalogue.m_entries)
        out.push_back(EntryToJson(*e, true));
    return out;
}

void LoadStores(CVardelApp& app, const Common& common, const ScanOptions& options)
{
    app.m_dataDir.root = common.dataDir;
    app.m_settings.scanAll = options.scanAll ? 1 : 0;
    app.m_settings.extensions = options.extensions;
    LoadDirectoryList(app.m_dataDir, app.m_directories);
    LoadRestore(app.m_dataDir, app.m_restore);
    LoadPimiInfo(app.m_dataDir, app.m_pimiCache);
}

void SaveStores(CVardelApp& app)
{
    SaveRestore(app.m_dataDir, app.m_restore);
    SavePimiInfo(app.m_dataDir, app.m_pimiCache);
}

void Attach(CVardelDoc& doc, ProgressLine& progress)
{
    doc.m_onProgress = [&progress](const std::string& path) { progress.Show(path); };
    doc.m_onMessage = [](const std::string& text) { std::cerr << text << (text.ends_with('\n') ? "" : "\n"); };
}

// Makes directory n current the way the Directory menu does. Throws
// CliFailure with the document's last message when that fails; with echo the
// messages also go to stderr as they come. The message handler is restored.
void SelectOrThrow(CVardelDoc& doc, int n, bool echo)
{
    const auto previous = doc.m_onMessage;
    std::string failure;
    doc.m_onMessage = [&failure, echo](const std::string& text) {
        if (echo)
            std::cerr << text << (text.ends_with('\n') ? "" : "\n");
        failure = text;
    };
    bool selected = false;
    try {
        selected = doc.SelectDirectory(n);
    } catch (...) {
        doc.m_onMessage = previous;
        throw;
    }
    doc.m_onMessage = previous;
    if (!selected)
        throw CliFailure(failure.empty() ? "cannot select directory " + std::to_string(n) : failure);
}

void CheckDirectoryIndex(const CVardelApp& app, int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= app.m_directories.size())
        throw CliFailure("no directory " + std::to_string(n) + " in the directory list (" +
                         std::to_string(app.m_directories.size()) + " configured)");
    if (app.m_directories[static_cast<std::size_t>(n)]->m_separator)
        throw CliFailure("directory " + std::to_string(n) + " is a separator");
}

void RunResources(const std::string& file)
{
    std::string error;
    auto image = PeImage::Open(file, &error);
    if (!image)
        throw CliFailure(file + " is not a module: " + error);
    nlohmann::json out = nlohmann::json::array();
    for (const auto& r : image->Listing())
        out.push_back({{"type", toUtf8(r.type)}, {"name", toUtf8(r.name)}, {"language", r.language},
                       {"size", r.size}});
    printJson(out);
}

void RunRead(const std::string& file)
{
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

void RunScan(const Common& common, const std::string& directory, bool subdirs, const ScanOptions& options)
{
    CVardelApp app;
    LoadStores(app, common, options);
    CVardelDoc doc(app);
    ProgressLine progress;
    Attach(doc, progress);
    doc.m_catalogue.Clear();
    doc.ScanRoot(directory, subdirs);
    doc.Sort();
    SaveStores(app);
    printJson(EntriesJson(doc.m_catalogue));
}

void RunSelect(const Common& common, int n, const ScanOptions& options)
{
    CVardelApp app;
    LoadStores(app, common, options);
    CheckDirectoryIndex(app, n);
    CVardelDoc doc(app);
    ProgressLine progress;
    Attach(doc, progress);
    std::error_code ec;
    const fs::path catalogueFile = app.m_dataDir.Resolve(app.m_directories[static_cast<std::size_t>(n)]->m_catalogueFile);
    const bool scanned = fs::file_size(catalogueFile, ec) == 0 && !ec;
    SelectOrThrow(doc, n, true);
    SaveStores(app);
    nlohmann::json counts = nlohmann::json::array();
    for (int c : doc.m_classCounts)
        counts.push_back(c);
    printJson({{"scanned", scanned},
               {"files_read", doc.m_filesRead},
               {"selected_class", doc.m_selectedClass},
               {"class_counts", counts},
               {"entries", EntriesJson(doc.m_catalogue)}});
}

void RunRescan(const Common& common, int n, const ScanOptions& options)
{
    CVardelApp app;
    LoadStores(app, common, options);
    CheckDirectoryIndex(app, n);
    CVardelDoc doc(app);
    ProgressLine progress;
    Attach(doc, progress);
    // Re-Scan all works on the current directory: make directory n current
    // the way the Directory menu does, then bypass its stored catalogue.
    SelectOrThrow(doc, n, false);
    doc.RescanAll();
    SaveStores(app);
    printJson({{"files_read", doc.m_filesRead},
               {"selected_class", doc.m_selectedClass},
               {"entries", EntriesJson(doc.m_catalogue)}});
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
