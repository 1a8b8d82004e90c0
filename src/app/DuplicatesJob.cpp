#include "app/DuplicatesJob.h"

#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"

#include <algorithm>
#include <filesystem>

namespace vardel {

CDuplicatesJob::CDuplicatesJob(CVardelSession& session)
    : m_hashes(session.ContentHashes())
{
    const DirectoryList& dirs = session.Directories();
    const int shown = session.CurrentDirectoryIndex();
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        const CPluginDirEntry& dir = *dirs[i];
        const int n = static_cast<int>(i);
        if (dir.m_separator)
            continue;
        // The catalogue on show may hold changes its file has not yet.
        if (n == shown) {
            AppendCatalogueItems(n, session.Catalogue(), m_items);
            continue;
        }
        const auto file = CatalogueFilePath(session.GetDataDirectory(), dir.m_catalogueFile);
        if (file)
            m_stored.push_back({n, *file});
        else
            m_skipped.push_back({n, "its catalogue file cannot be used"});
    }
}

void CDuplicatesJob::Run(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress)
{
    for (const StoredCatalogue& stored : m_stored) {
        if (stop.stop_requested())
            return;
        std::error_code ec;
        if (std::filesystem::file_size(stored.file, ec) == 0 && !ec) {
            m_skipped.push_back({stored.directory, kNeverScannedText});
            continue;
        }
        CPluginListManager catalogue;
        int selected = -1;
        if (const StoreResult loaded = LoadCatalogue(stored.file, selected, catalogue); !loaded) {
            m_skipped.push_back({stored.directory, loaded.error});
            continue;
        }
        AppendCatalogueItems(stored.directory, catalogue, m_items);
    }
    m_stored.clear();
    std::sort(m_skipped.begin(), m_skipped.end(),
              [](const SkippedDirectory& a, const SkippedDirectory& b) { return a.directory < b.directory; });

    CDuplicateFinder finder(m_items, m_hashes, stop);
    if (progress)
        finder.m_onProgress = [&progress](int done, int total, const std::string& path) {
            progress(ScanProgress{done, total, path});
        };
    finder.Run();
    m_groups = finder.Groups();
    m_filesHashed = finder.FilesHashed();
    m_finished = !finder.Stopped();
}

StoreResult CDuplicatesJob::Commit(CVardelSession& session)
{
    if (m_committed)
        return {};
    m_committed = true;
    session.ContentHashes().TakeOver(m_hashes);
    return session.SaveContentHashes();
}

}  // namespace vardel
