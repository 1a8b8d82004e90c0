#include "app/DuplicatesJob.h"

#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"

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
        if (!file) {
            m_skipped.push_back({n, "its catalogue file cannot be used"});
            continue;
        }
        std::error_code ec;
        if (std::filesystem::file_size(*file, ec) == 0 && !ec) {
            m_skipped.push_back({n, kNeverScannedText});
            continue;
        }
        CPluginListManager catalogue;
        int selected = -1;
        if (const StoreResult loaded = LoadCatalogue(*file, selected, catalogue); !loaded) {
            m_skipped.push_back({n, loaded.error});
            continue;
        }
        AppendCatalogueItems(n, catalogue, m_items);
    }
}

void CDuplicatesJob::Run(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress)
{
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
