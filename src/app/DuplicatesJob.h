#pragma once
// The search for duplicates across every directory of the list, as a job
// like a scan: the constructor takes, on the owner's thread, what the
// catalogue on show holds, the catalogue files of the other directories and
// a copy of the content hash cache; Run reads those files and touches
// nothing else, so it may run on a worker thread; Commit hands the hashes it
// computed back to the session.

#include "app/Session.h"
#include "catalogue/ContentHashCache.h"
#include "catalogue/DuplicateFinder.h"

#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

namespace vardel {

// A directory of the list whose catalogue took no part, and why.
struct SkippedDirectory {
    int directory = -1;
    std::string reason;
};

inline constexpr const char* kNeverScannedText = "never scanned: select it once to catalogue it";

class CDuplicatesJob {
public:
    // The directories' catalogues as the program holds them between two
    // refreshes (no plug-in file is read again for them); separators are
    // left out, and a directory whose catalogue file cannot be used is
    // skipped with the reason.
    explicit CDuplicatesJob(CVardelSession& session);

    // Reads the stored catalogues, skipping (with the reason) one that is
    // empty or cannot be read completely, and finds the groups; returns
    // early when stop is requested.
    void Run(std::stop_token stop = {}, const std::function<void(const ScanProgress&)>& progress = {});

    // After Run: it got to the end.
    bool Finished() const { return m_finished; }
    const std::vector<DuplicateGroup>& Groups() const { return m_groups; }
    const std::vector<SkippedDirectory>& Skipped() const { return m_skipped; }
    int FilesHashed() const { return m_filesHashed; }

    // On the owner's thread, after Run (finished or stopped: every hash it
    // computed is true): the session's content hash cache becomes the job's
    // and is saved when it changed. The result says why a save failed or was
    // refused (a reader saves nothing). Only the first call does anything.
    StoreResult Commit(CVardelSession& session);

private:
    struct StoredCatalogue {
        int directory = -1;
        std::filesystem::path file;
    };

    std::vector<StoredCatalogue> m_stored;
    std::vector<CatalogueItem> m_items;
    CContentHashCache m_hashes;
    std::vector<DuplicateGroup> m_groups;
    std::vector<SkippedDirectory> m_skipped;
    int m_filesHashed = 0;
    bool m_finished = false;
    bool m_committed = false;
};

}  // namespace vardel
