#pragma once
// Scanning a plug-in directory into a catalogue: the full scan that reads
// every candidate file, and the refresh that checks a catalogue loaded from
// its file against the files and reads only the ones it does not know.
//
// A scan works only on what it is given (a catalogue, a restore database, a
// PiMI tail cache and the non-plug-in cache), so a scan job can run it on
// private copies on a worker thread. It checks its stop token once per file
// and directory and then returns early, leaving the catalogue half built.

#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace vardel {

class CNonPluginCache;
class COXResourceLibrary;
class CPIMIManager;
class CPluginEntry;
class CPluginListManager;

// The two settings that decide which files are candidates.
struct ScanSettings {
    std::string extensions;
    bool scanAll = false;
};

class CCatalogueScan {
public:
    // done counts the files of the directory handled so far; total is -1
    // until the walk has listed them; path is the file being looked at.
    using Progress = std::function<void(int done, int total, const std::string& path)>;

    // nonPlugins may be null: every candidate is then read.
    CCatalogueScan(CPluginListManager& catalogue, CPluginRestoreManager& restore, CPIMIManager& pimiCache,
                   CNonPluginCache* nonPlugins, ScanSettings settings, std::stop_token stop = {});
    ~CCatalogueScan();
    CCatalogueScan(CCatalogueScan&&) noexcept;

    Progress m_onProgress;
    // Messages of the resource reader for the user (the unknown PiMI kind).
    std::function<void(const std::string&)> m_onMessage;

    // Empties the catalogue and scans the directory ("Re-Scan all" and the
    // first selection): every candidate is read, remembered non-plug-ins too.
    void FullScan(const std::string& directory, bool subdirectories);
    // Adds a root for the directory when it exists and reads every candidate
    // file below it.
    void ScanRoot(const std::string& directory, bool subdirectories);
    // Checks a catalogue just loaded against the files of its directory
    // (extension list only, "Scan all" not applied) and reads the files it
    // does not know, except unchanged ones remembered as no plug-in. A file
    // with an entry that no longer fits is read again in full, and so is
    // every file of a catalogue that loadedInPart (its file broke off part
    // way), whatever became of their other entries: the catalogue is whole
    // again.
    void Refresh(const std::string& directory, bool subdirectories, bool loadedInPart = false);

    // The files a refresh of the directory would look at for new plug-ins
    // (the extension list only), in the walk's order, and every directory
    // walked (the directory first) when directories is given.
    std::vector<std::string> ListCandidates(const std::string& directory, bool subdirectories,
                                            std::vector<std::string>* directories = nullptr);

    // Files handed to the resource reader in full.
    int FilesRead() const { return m_filesRead; }
    // Files the refresh opened to check the entries it knew: each once,
    // however many plug-ins it holds.
    int FilesOpened() const { return m_filesOpened; }
    bool Stopped() const { return m_stop.stop_requested(); }

    // True when a file with this extension (".8BF", "" for none) is a scan
    // candidate under the extension list (and "Scan all").
    static bool IsCandidate(const std::string& upperExtension, const std::string& extensions, bool scanAll);
    // The same with the extension list already in upper case.
    static bool IsCandidateUpper(const std::string& upperExtension, const std::string& upperExtensions, bool scanAll);
    // The extension of a file name: the text from its last "." on, in upper case.
    static std::string UpperExtension(const std::string& fileName);
    // A stored directory path up to its first zero byte (a damaged store).
    static std::string CutAtZero(const std::string& path);

private:
    // Lists the candidate files below directory, each directory once.
    void Walk(const std::string& directory, bool subdirectories, bool scanAll, std::vector<std::string>& files,
              std::vector<std::string>* directories = nullptr);
    void ReadCandidate(const std::string& path, bool useNonPluginCache);
    // Looks up the originals of the filters read since the last call, all
    // together (see CPluginReader::m_pendingOriginals).
    void RecordPendingOriginals();
    struct RefreshHandle;
    struct RefreshLists;
    // The refresh's check of entry i: finds its file (giving it back the
    // recorded state's name), takes its status and checks the entry.
    // listed is the place of the entry's path in the file list.
    void RefreshEntry(std::size_t i, std::size_t listed, RefreshHandle& handle, RefreshLists& lists);
    // Checks an entry whose file status is already fetched against its file,
    // read through file (which raises on badbit).
    // originals: the lengths of the entry's originals when they were
    // looked up by its path as it is; null to look them up here.
    bool CheckEntry(CPluginEntry& e, std::istream& file, const CPluginRestoreManager::OriginalLengths* originals);
    void Report(const std::string& path);

    CPluginListManager& m_catalogue;
    CPluginRestoreManager& m_restore;
    CPIMIManager& m_pimiCache;
    CNonPluginCache* m_nonPlugins;
    ScanSettings m_settings;
    std::string m_upperExtensions;  // the extension list in upper case, made once
    std::stop_token m_stop;
    int m_filesRead = 0;
    int m_filesOpened = 0;
    int m_done = 0;
    int m_total = -1;
    std::string m_key;  // the image base name of the entry being checked
    // Every file of the scan is read through this one library and into
    // these lists (on the scan's thread), so that the reader's memory is
    // allocated once.
    std::unique_ptr<COXResourceLibrary> m_library;
    std::unique_ptr<CPluginReader::Buffers> m_readerLists;
    std::vector<CPluginEntry*> m_pendingOriginals;  // filters read, waiting for their originals
};

// Sorts the entries by sort key (Shell sort, gaps 1, 4, 13, 40, ...).
void SortCatalogue(CPluginListManager& catalogue);

}  // namespace vardel
