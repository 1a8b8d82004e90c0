// store dump: any store file as JSON; dirs: the directory list as the Setup
// dialog changes it.

#include "cli/Cli.h"
#include "cli/EntryJson.h"
#include "cli/JsonStream.h"

#include "app/LaunchBarEntry.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "base/Archive.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "search/DescriptionListManager.h"

#include <iostream>
#include <memory>

namespace vardel::cli {
namespace {

const std::vector<std::string> kKinds = {"index", "restore", "pimiinfo", "keywords", "launchbar", "catalogue"};

// The kind of a store from its file name; empty when the name says nothing.
std::string kindFromFileName(const std::filesystem::path& file)
{
    const std::string name = file.filename().string();
    for (const auto& kind : kKinds)
        if (name == kind && kind != "catalogue")
            return kind;
    return IsCatalogueFileName(name) ? "catalogue" : std::string();
}

nlohmann::json launchBarToJson(const CLaunchBarEntry& e)
{
    return {{"label", toUtf8(e.m_label)},
            {"command", toUtf8(e.m_command)},
            {"arguments", toUtf8(e.m_arguments)},
            {"initial_directory", pathToUtf8(e.m_initialDirectory)},
            {"icon_path", pathToUtf8(e.m_iconPath)},
            {"icon_index", e.m_iconIndex},
            {"show_command", e.m_showCommand}};
}

nlohmann::json tailToJson(const CPIMIEntry& e)
{
    nlohmann::json words = nlohmann::json::array();
    for (std::size_t i = 0; i < 12; i += 2)
        words.push_back(e.m_bytes[i] | (e.m_bytes[i + 1] << 8));
    nlohmann::json extra = nlohmann::json::array();
    for (std::size_t i = 12; i < 16; ++i)
        extra.push_back(e.m_bytes[i]);
    return {{"words", words}, {"bytes", extra}};
}

// Reads a store that serializes itself as it lies on disk: keys stay as an
// earlier version wrote them.
template <class Store>
StoreResult readStore(const std::filesystem::path& file, Store& store)
{
    return LoadArchiveFile(file, [&](CArchive& ar) { store.Serialize(ar); });
}

// The records of a keyed store as one JSON object, keys in UTF-8.
template <class Map, class ToJson>
nlohmann::json keyedToJson(const Map& entries, ToJson toJson)
{
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [key, e] : entries)
        out[toUtf8(key)] = toJson(*e);
    return out;
}

// Reads the store and converts what was read, also after a failure. A
// catalogue is printed here, as it is converted (null is returned then).
nlohmann::json dumpStore(const std::filesystem::path& file, const std::string& kind, StoreResult& result)
{
    nlohmann::json out = {{"kind", kind}, {"file", file.string()}};
    if (kind == "index" || kind == "launchbar") {
        DirectoryList dirs;
        LaunchBarList bar;
        result = LoadArchiveFile(file, [&](CArchive& ar) {
            if (kind == "index")
                ar.SerializeArray(dirs);
            else
                ar.SerializeArray(bar);
        });
        nlohmann::json entries = nlohmann::json::array();
        for (const auto& e : dirs)
            entries.push_back(dirEntryToJson(*e));
        for (const auto& e : bar)
            entries.push_back(launchBarToJson(*e));
        out["entries"] = entries;
    } else if (kind == "restore") {
        CPluginRestoreManager restore;
        result = readStore(file, restore);
        out["entries"] = keyedToJson(restore.Entries(), [](const CPluginRestoreEntry& e) {
            return nlohmann::json{{"original_category", toUtf8(e.m_originalCategory)},
                                  {"original_name", toUtf8(e.m_originalName)}};
        });
    } else if (kind == "pimiinfo") {
        CPIMIManager cache;
        result = readStore(file, cache);
        out["entries"] = keyedToJson(cache.Entries(), tailToJson);
    } else if (kind == "keywords") {
        CDescriptionListManager db;
        result = readStore(file, db);
        nlohmann::json entries = nlohmann::json::array();
        for (const auto& e : db.m_entries)
            entries.push_back({{"key", toUtf8(e->m_key)},
                               {"description", toUtf8(e->m_description)},
                               {"keywords", toUtf8(e->m_keywords)}});
        out["entries"] = entries;
    } else {
        CPluginListManager catalogue;
        int selectedClass = -1;
        result = LoadCatalogue(file, selectedClass, catalogue);
        out["selected_class"] = selectedClass;
        nlohmann::json roots = nlohmann::json::array();
        for (const auto& r : catalogue.m_roots)
            roots.push_back({{"tag", r->m_tag}, {"path", pathToUtf8(r->m_path)}});
        out["roots"] = roots;
        out["current_root"] = catalogue.m_currentRoot;
        // The entries are made as they are printed.
        printWithStreamed(out, "entries",
                          {catalogue.m_entries.size(),
                           [&catalogue](std::size_t i) { return EntryToJson(*catalogue.m_entries[i], false); },
                           {}});
        return nullptr;
    }
    return out;
}

nlohmann::json dirListToJson(const DirectoryList& list)
{
    nlohmann::json out = nlohmann::json::array();
    for (std::size_t i = 0; i < list.size(); ++i) {
        auto j = dirEntryToJson(*list[i]);
        j["index"] = i;
        out.push_back(j);
    }
    return out;
}

struct DumpOptions {
    std::filesystem::path file;
    std::string kind;
};

struct AddOptions {
    std::string label;
    std::string directory;
    bool subdirs = false;
    bool separator = false;
};

}  // namespace

nlohmann::json dirEntryToJson(const CPluginDirEntry& e)
{
    return {{"label", toUtf8(e.m_label)},
            {"directory", pathToUtf8(e.m_directory)},
            {"include_subdirectories", e.m_includeSubdirectories},
            {"enabled", e.m_enabled},
            {"separator", e.m_separator},
            {"catalogue_file", toUtf8(e.m_catalogueFile)}};
}

std::unique_ptr<CVardelSession> openForChange(const Common& common, SettingsBackend& backend)
{
    const DataDirectory dir{common.dataDir};
    std::error_code ec;
    if (!std::filesystem::is_directory(dir.SetupDb(), ec))
        throw CliFailure("no setup.db directory in " + dir.root.string());
    auto session = openSession(common, backend, Access::Write);
    // Saving a list read in part would lose the entries that were not read.
    requireDirectoryList(*session);
    return session;
}

std::size_t addDirectoryOrThrow(CVardelSession& session, std::unique_ptr<CPluginDirEntry> entry)
{
    switch (CheckDirectoryEntry(*entry)) {
    case DirEntryCheck::DirectoryMissing: throw CliFailure(kDirectoryMissingMessage);
    case DirEntryCheck::Incomplete: throw CliFailure("a directory entry needs a label and a directory");
    case DirEntryCheck::Accepted: break;
    }
    const DataDirectory& dir = session.GetDataDirectory();
    DirectoryList& list = session.Directories();
    const std::size_t index = AddDirectory(dir, list, std::move(entry));
    if (auto result = session.SaveDirectoryList(); !result) {
        // Leave no orphan catalogue file behind.
        std::error_code ec;
        if (!list[index]->m_catalogueFile.empty())
            std::filesystem::remove(dir.Resolve(list[index]->m_catalogueFile), ec);
        throw CliFailure(result.error);
    }
    return index;
}

void addStoreCommands(CLI::App& app, Common& common)
{
    auto* store = app.add_subcommand("store", "Store files");
    store->require_subcommand(1);
    auto* dump = store->add_subcommand("dump", "Print a store file as JSON");
    auto dumpOpts = std::make_shared<DumpOptions>();
    dump->add_option("FILE", dumpOpts->file, "The store file")->required();
    dump->add_option("--kind", dumpOpts->kind, "Kind of store (default: from the file name)")
        ->check(CLI::IsMember(kKinds));
    dump->callback([dumpOpts] {
        const auto& file = dumpOpts->file;
        std::string k = dumpOpts->kind.empty() ? kindFromFileName(file) : dumpOpts->kind;
        if (k.empty())
            throw CLI::ValidationError("--kind", "cannot tell the kind of store from the file name; give --kind");
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec))
            throw CliFailure("cannot open " + file.string());
        StoreResult result;
        auto out = dumpStore(file, k, result);
        if (!out.is_null())  // a catalogue is printed as it is made
            printJson(out);
        if (!result)
            throw CliFailure(result.error);
    });

    auto* dirs = app.add_subcommand("dirs", "The plug-in directory list");
    dirs->require_subcommand(1);
    dirs->add_subcommand("list", "Print the directory list")->callback([&common] {
        MemorySettingsBackend backend;
        auto session = openSession(common, backend, Access::Read);
        printJson(dirListToJson(session->Directories()));
        std::error_code ec;
        auto result = session->StoreLoadResult("index");
        if (!result && std::filesystem::exists(session->GetDataDirectory().SetupDb() / "index", ec))
            throw CliFailure(result.error);
    });

    auto* add = dirs->add_subcommand("add", "Add a plug-in directory with a new catalogue file");
    auto addOpts = std::make_shared<AddOptions>();
    add->add_option("LABEL", addOpts->label, "Label of the Directory menu item")->required();
    add->add_option("DIR", addOpts->directory, "The plug-in directory")->required();
    add->add_flag("--subdirs", addOpts->subdirs, "Include subdirectories");
    add->add_flag("--separator", addOpts->separator, "A separator entry");
    add->callback([&common, addOpts] {
        const auto& [label, directory, subdirs, separator] = *addOpts;
        MemorySettingsBackend backend;
        auto session = openForChange(common, backend);
        auto entry = std::make_unique<CPluginDirEntry>();
        entry->m_label = label;
        entry->m_directory = directory;
        entry->m_includeSubdirectories = subdirs ? 1 : 0;
        entry->m_separator = separator ? 1 : 0;
        const std::size_t index = addDirectoryOrThrow(*session, std::move(entry));
        const DirectoryList& list = session->Directories();
        auto j = dirEntryToJson(*list[index]);
        j["index"] = index;
        printJson(j);
    });

    auto* renew = dirs->add_subcommand(
        "renew", "Give a directory whose catalogue file cannot be used a new, empty one (the next select scans it)");
    auto renewIndex = std::make_shared<int>(0);
    renew->add_option("N", *renewIndex, "Index of the entry, as dirs list shows it")->required();
    renew->callback([&common, renewIndex] {
        MemorySettingsBackend backend;
        auto session = openForChange(common, backend);
        const DirectoryList& list = session->Directories();
        if (*renewIndex < 0 || static_cast<std::size_t>(*renewIndex) >= list.size())
            throw CliFailure("no directory entry " + std::to_string(*renewIndex));
        if (!session->RenewCatalogueFile(*renewIndex))
            throw CliFailure("no new catalogue file could be made for directory " + std::to_string(*renewIndex));
        auto j = dirEntryToJson(*list[static_cast<std::size_t>(*renewIndex)]);
        j["index"] = *renewIndex;
        printJson(j);
    });

    auto* remove = dirs->add_subcommand("remove", "Remove a directory and its catalogue file");
    auto removeIndexPtr = std::make_shared<std::size_t>(0);
    remove->add_option("N", *removeIndexPtr, "Index of the entry, as dirs list shows it")->required();
    remove->callback([&common, removeIndexPtr] {
        const std::size_t removeIndex = *removeIndexPtr;
        MemorySettingsBackend backend;
        auto session = openForChange(common, backend);
        DirectoryList& list = session->Directories();
        if (removeIndex >= list.size())
            throw CliFailure("no directory entry " + std::to_string(removeIndex));
        if (!RemoveDirectory(session->GetDataDirectory(), list, removeIndex))
            throw CliFailure("cannot delete the catalogue file " + list[removeIndex]->m_catalogueFile +
                             "; the entry stays");
        if (auto result = session->SaveDirectoryList(); !result)
            throw CliFailure(result.error);
        printJson(dirListToJson(list));
    });
}

}  // namespace vardel::cli
