#include "app/DirectoryScanJob.h"

#include "app/Stores.h"
#include "base/FileOps.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/VardelDoc.h"

#include <cerrno>

namespace vardel {

UserMessage CatalogueFileError(int error, const std::string& path)
{
    MessageCode code = MessageCode::CatalogueUnknownError;
    switch (error) {
    case ENOENT: code = MessageCode::CatalogueNotFound; break;
    case ENAMETOOLONG:
    case ENOTDIR:
    case EINVAL:
    case ELOOP: code = MessageCode::CatalogueInvalidPath; break;
    case EMFILE:
    case ENFILE: code = MessageCode::CatalogueTooManyFiles; break;
    case EACCES:
    case EPERM:
    case EISDIR: code = MessageCode::CatalogueAccessDenied; break;
    case EBUSY:
    case ETXTBSY: code = MessageCode::CatalogueSharingViolation; break;
    case EDEADLK:
    case ENOLCK: code = MessageCode::CatalogueLockingViolation; break;
    default: break;
    }
    return UserMessage{code, CVardelDoc::OpenErrorMessage(error, path), path};
}

UserMessage CatalogueFileError(const std::error_code& error, const std::string& path)
{
    int value = EIO;
    if (error == NotRegularFileError())
        value = EISDIR;
    else if (error && error.category() == std::generic_category())
        value = error.value();
    return CatalogueFileError(value, path);
}

CDirectoryScanJob::CDirectoryScanJob(Kind kind, const CPluginDirEntry& directory, std::filesystem::path catalogueFile,
                                     const Settings& settings, const CPluginRestoreManager& restore,
                                     const CPIMIManager& pimiCache, const CNonPluginCache& nonPlugins,
                                     CSaveQueue* saves, bool prepareSaves)
    : m_kind(kind)
    , m_directory(&directory)
    , m_copy(directory)
    , m_file(std::move(catalogueFile))
    , m_extensions(settings.extensions)
    , m_scanAll(settings.scanAll != 0)
    , m_baseRestore(restore)
    , m_basePimiCache(pimiCache)
    , m_nonPlugins(nonPlugins)
    , m_saves(saves)
    , m_prepareSaves(prepareSaves)
{
    // The job records new originals over the session's stores, which it
    // only reads: nothing is copied, and the commit takes over what it added.
    m_restore.SetBase(&restore);
    m_pimiCache.SetBase(&pimiCache);
    m_nonPlugins.ClearChanged();
}

void CDirectoryScanJob::Run(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress)
{
    // A catalogue file saved just before (the same directory chosen again)
    // is read as saved, and whatever a queued save reads stays until it ends.
    if (m_saves)
        m_saves->Wait();
    Scan(std::move(stop), progress);
    // The originals stay for the program's life; the catalogue goes with
    // the next directory.
    m_restore.Compact();
    m_pimiCache.Compact();
    if (m_prepareSaves)
        PrepareSaves();
}

void CDirectoryScanJob::PrepareSaves()
{
    // Bytes that cannot be made are left to the commit to make.
    if (!m_restore.IsEmpty() || !m_pimiCache.IsEmpty()) {
        if (!RestoreBytes(m_baseRestore, m_restore, m_restoreBytes))
            m_restoreBytes.clear();
        if (!PimiInfoBytes(m_basePimiCache, m_pimiCache, m_pimiInfoBytes))
            m_pimiInfoBytes.clear();
    }
    if (m_finished && !CatalogueBytes(SnapshotOf(0, m_catalogue), m_catalogueBytes))
        m_catalogueBytes.clear();
}

void CDirectoryScanJob::Scan(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress)
{
    if (m_kind == Kind::Refresh) {
        StoreResult loaded = LoadCatalogue(m_file, m_storedClass, m_catalogue);
        // A file that cannot be read at all shows nothing (and is not saved
        // over); one that breaks off part way is refreshed from what was read.
        if (!loaded && !loaded.damaged) {
            m_failure = CatalogueFileError(loaded.fileError, m_file.string());
            return;
        }
        m_loadDamaged = loaded.damaged;
    }
    CCatalogueScan scan(m_catalogue, m_restore, m_pimiCache, &m_nonPlugins, {m_extensions, m_scanAll}, stop);
    if (progress)
        scan.m_onProgress = [&progress](int done, int total, const std::string& path) {
            progress(ScanProgress{done, total, path});
        };
    scan.m_onMessage = [this](const std::string& text) {
        // The reader's one message: a PiMI resource without a kind.
        m_messages.push_back(UserMessage{MessageCode::UnknownPluginType, text, ""});
    };
    if (m_kind == Kind::Refresh)
        scan.Refresh(m_copy.m_directory, m_copy.m_includeSubdirectories != 0, m_loadDamaged);
    else
        scan.FullScan(m_copy.m_directory, m_copy.m_includeSubdirectories != 0);
    m_filesRead = scan.FilesRead();
    if (scan.Stopped()) {
        m_stopped = true;
        return;
    }
    SortCatalogue(m_catalogue);
    m_finished = true;
}

int CDirectoryScanJob::MergeNew(CPluginRestoreManager& from, CPluginRestoreManager& into)
{
    return into.TakeNew(from);
}

int CDirectoryScanJob::MergeNew(CPIMIManager& from, CPIMIManager& into)
{
    return into.TakeNew(from);
}

}  // namespace vardel
