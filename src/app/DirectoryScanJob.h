#pragma once
// The scan job behind selecting a directory and "Re-Scan all": loads the
// directory's catalogue file and refreshes it, or scans the directory in
// full, into a catalogue of its own. New originals and PiMI tails go into
// stores of its own that only add to the session's (which Run reads, so
// nothing may change them until the commit), and the non-plug-in cache is a
// private copy. Run touches nothing else, so it may run on a worker thread
// while the window thread reads the catalogue on show; the session commits
// the result.

#include "app/SaveQueue.h"
#include "app/Session.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vardel {

class CDirectoryScanJob : public ScanJob {
public:
    enum class Kind {
        Refresh,    // load the catalogue file, then refresh it
        FirstScan,  // the catalogue file is empty: scan in full
        Rescan,     // "Re-Scan all": scan in full, ignoring the catalogue file
    };

    // directory is the list's record (identity only: Run reads the copy
    // taken here); catalogueFile its catalogue file inside "setup.db".
    // saves: the queued saves Run waits for before it reads anything (none:
    // saves are made at once). prepareSaves: Run also makes the bytes the
    // commit saves.
    CDirectoryScanJob(Kind kind, const CPluginDirEntry& directory, std::filesystem::path catalogueFile,
                      const Settings& settings, const CPluginRestoreManager& restore, const CPIMIManager& pimiCache,
                      const CNonPluginCache& nonPlugins, CSaveQueue* saves = nullptr, bool prepareSaves = false);

    void Run(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress) override;

    Kind GetKind() const { return m_kind; }
    const CPluginDirEntry* Directory() const { return m_directory; }
    const std::string& DirectoryCatalogueFile() const { return m_copy.m_catalogueFile; }
    const std::filesystem::path& CatalogueFile() const { return m_file; }

    // After Run: true when it got to the end (not stopped, no failure).
    bool Finished() const { return m_finished; }
    bool Stopped() const { return m_stopped; }
    // The catalogue file could not be read; nothing is to be shown.
    const std::optional<UserMessage>& Failure() const { return m_failure; }
    int FilesRead() const { return m_filesRead; }
    // The catalogue file broke off part way (what was read is refreshed, and
    // every file it named is read again in full).
    bool LoadDamaged() const { return m_loadDamaged; }
    const std::vector<UserMessage>& Messages() const { return m_messages; }

    // The results, for the commit to take over.
    CPluginListManager& Catalogue() { return m_catalogue; }
    int StoredSelectedClass() const { return m_storedClass; }
    CPluginRestoreManager& Restore() { return m_restore; }
    CPIMIManager& PimiCache() { return m_pimiCache; }
    CNonPluginCache& NonPlugins() { return m_nonPlugins; }
    // The bytes the commit saves, when Run made them (empty otherwise): the
    // catalogue file's once the job finished (its first four bytes, the
    // class, are the commit's to set), and those of the restore database
    // and the tail cache as the commit's merge of this job's new ones makes
    // them, whenever it found any.
    std::vector<std::uint8_t>& CatalogueFileBytes() { return m_catalogueBytes; }
    std::vector<std::uint8_t>& RestoreFileBytes() { return m_restoreBytes; }
    std::vector<std::uint8_t>& PimiInfoFileBytes() { return m_pimiInfoBytes; }

    // Moves the keys of from that into lacks over; returns how many.
    static int MergeNew(CPluginRestoreManager& from, CPluginRestoreManager& into);
    static int MergeNew(CPIMIManager& from, CPIMIManager& into);

private:
    void Scan(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress);
    void PrepareSaves();

    Kind m_kind;
    const CPluginDirEntry* m_directory;
    CPluginDirEntry m_copy;
    std::filesystem::path m_file;
    std::string m_extensions;
    bool m_scanAll;

    CPluginListManager m_catalogue;
    int m_storedClass = -1;
    const CPluginRestoreManager& m_baseRestore;
    const CPIMIManager& m_basePimiCache;
    CPluginRestoreManager m_restore;
    CPIMIManager m_pimiCache;
    CNonPluginCache m_nonPlugins;
    CSaveQueue* m_saves;
    bool m_prepareSaves;
    std::vector<std::uint8_t> m_catalogueBytes;
    std::vector<std::uint8_t> m_restoreBytes;
    std::vector<std::uint8_t> m_pimiInfoBytes;

    bool m_finished = false;
    bool m_stopped = false;
    std::optional<UserMessage> m_failure;
    int m_filesRead = 0;
    bool m_loadDamaged = false;
    std::vector<UserMessage> m_messages;
};

// The user's message for a catalogue file that cannot be opened or read,
// by errno: code and text.
UserMessage CatalogueFileError(int error, const std::string& path);
// The same for the error of a load (anything but an errno value is EIO; a
// file that is not a regular file counts as a directory).
UserMessage CatalogueFileError(const std::error_code& error, const std::string& path);

}  // namespace vardel
