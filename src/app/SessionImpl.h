#pragma once
// What a session holds; shared by the files that implement CVardelSession.

#include "app/ChangeHistory.h"
#include "app/SaveQueue.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "app/TroublemakerSearch.h"
#include "app/WriterLock.h"
#include "catalogue/ContentHashCache.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/VardelDoc.h"
#include "search/DescriptionListManager.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vardel {

struct CVardelSession::Impl {
    Impl(DataDirectory dir, SettingsBackend& settingsBackend)
        : dataDir(std::move(dir))
        , backend(settingsBackend)
        , doc(directories)
        , history(dataDir.SetupDb() / kJournalFileName)
        , troublemaker(dataDir.SetupDb() / kTroublemakerFileName)
    {}

    DataDirectory dataDir;
    SettingsBackend& backend;
    Settings settings;
    DirectoryList directories;
    CPluginRestoreManager restore;
    CPIMIManager pimiCache;
    CDescriptionListManager descriptions;
    LaunchBarList launchBar;
    CNonPluginCache nonPlugins;
    CContentHashCache contentHashes;
    bool contentHashesLoaded = false;
    CVardelDoc doc;
    std::vector<SessionObserver*> observers;
    // The journal of changes to plug-in files; declared after dataDir.
    CChangeHistory history;
    CTroublemakerSearch troublemaker;

    std::map<std::string, StoreResult> loadResults;
    // Stores that loaded only in part and whose original is not kept yet.
    std::map<std::string, bool> damagedPending;
    // The catalogue file on show loaded only in part and its original is not
    // kept yet: the next save of it keeps it first.
    std::filesystem::path catalogueDamagedPending;
    bool toldNotWritable = false;
    // Nothing is saved before the stores were loaded: a save would replace
    // them with empty ones.
    bool started = false;
    // Held for the session's life by a writer.
    WriterLock writerLock;
    bool mayWrite = false;
    std::optional<UserMessage> writeRefusal;
    std::vector<UserMessage> startMessages;

    // Saves run on the queue's thread (SetBackgroundSaves).
    bool background = false;
    // Queued saves that read the session's records (the catalogue on show,
    // the restore database, the tail cache) when they run, not yet ended:
    // nothing may change those records until they have.
    std::shared_ptr<std::atomic<int>> liveSavesPending = std::make_shared<std::atomic<int>>(0);
    std::uint64_t lastTicket = 0;       // number of the save queued last
    std::uint64_t originalsTicket = 0;  // of the last queued save of the originals
    // The restore database and the tail cache as in memory are in their
    // files (loaded whole, or saved since the last originals came in).
    bool restoreSaved = false;
    bool pimiSaved = false;
    std::uint64_t originalsGeneration = 0;  // counts merges of new originals

    // Last: it ends (waiting for its saves) before anything they read goes.
    CSaveQueue saves;
};

}  // namespace vardel
