#pragma once
// Generated plug-in collections for the benchmarks: copies of the linked
// test plug-ins (testdata/plugins of the build directory, or
// $VARDEL_TEST_DATA/plugins) in a temporary directory that is removed again.

#include "app/Stores.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"

#include "app/Application.h"

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace vardel::bench {

namespace fs = std::filesystem;

// The test plug-ins the collections are made of, in turn.
inline const char* const kTemplates[] = {"pipl_single.8bf", "pipl_three.8bf",      "pipl_kinds.8bf",   "pipl_nocat.8bf",
                                         "ff_filter.8bf",   "ff_filter32.8bf",     "pimi_filter.8bf",  "pimi_long.8bf",
                                         "both.8bf",        "premiere_filter.prm", "pipl_single32.8bf"};

// Where the test plug-ins are.
inline fs::path TemplateDir()
{
    if (const char* env = std::getenv("VARDEL_TEST_DATA"))
        return fs::path(env) / "plugins";
    return fs::canonical("/proc/self/exe").parent_path().parent_path() / "testdata" / "plugins";
}

// A generated collection of count plug-in files, its data directory and a
// directory list over it; the destructor removes everything.
struct Collection {
    fs::path root;
    fs::path plugins;
    std::vector<std::string> files;
    DataDirectory dataDir;
    Settings settings;
    CPluginRestoreManager restore;
    CPIMIManager pimiCache;
    DirectoryList directories;

    explicit Collection(int count)
    {
        std::random_device rd;
        root = fs::temp_directory_path() / ("vardel-bench-" + std::to_string(rd()));
        plugins = root / "plugins";
        fs::create_directories(plugins);
        fs::create_directories(root / "setup.db");
        const fs::path source = TemplateDir();
        files.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const fs::path from = source / kTemplates[i % std::size(kTemplates)];
            const fs::path to = plugins / ("plugin" + std::to_string(i) + from.extension().string());
            fs::copy_file(from, to);
            files.push_back(to.string());
        }
        dataDir.root = root;
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Bench";
        dir->m_directory = plugins.string();
        dir->m_catalogueFile = NewCatalogueFileName(dataDir);
        directories.push_back(std::move(dir));
    }
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;
    ~Collection()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // A scan of the collection's directory into catalogue, as the scan job makes it.
    CCatalogueScan ScanOf(CPluginListManager& catalogue)
    {
        return CCatalogueScan(catalogue, restore, pimiCache, nullptr, {settings.extensions, settings.scanAll != 0});
    }
};

}  // namespace vardel::bench
