#pragma once
// CVardelSession: one object that owns everything a running Vardel has -
// the settings (over a SettingsBackend), the application-wide stores and the
// document with the catalogue on show - and runs the start-up and exit
// sequences in their order. The GUI and vardel-cli both drive it; neither
// loads or saves a store by itself.
//
// Threads: every member function is called on one thread (the owner's, in
// the GUI the window thread), except ScanJob::Run, which may run anywhere.
// A scan job builds a new catalogue and records new originals and PiMI
// tails over the session's stores, which it reads (so nothing changes them
// until the commit); Commit swaps the result in on the owner's thread and
// tells the observers before the old entries go away.
//
// A session that saves in the background (SetBackgroundSaves) queues its
// large saves on a thread of their own, one after the other: the catalogue
// file and the restore database are read there as they are (no copy), so
// the session waits for those saves before it changes what they read, and
// a job waits for every queued save before it loads a catalogue file. The
// next save of a store follows the one queued before it; Exit waits for all.

#include "app/Application.h"
#include "app/CatalogueView.h"
#include "app/LaunchBarEntry.h"
#include "app/Stores.h"
#include "catalogue/DiskListing.h"
#include "images/PreviewImageManager.h"
#include "modify/CatalogueEditor.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace vardel {

class CArchive;
class CChangeHistory;
class CTroublemakerSearch;
class CContentHashCache;
class CDirectoryScanJob;
class CNonPluginCache;
class CPluginDirEntry;
class CPluginEntry;
class CPluginListManager;
class CVardelDoc;

// What a user is to be told, as a code (for translations) plus the fixed
// English text with its argument already filled in.
enum class MessageCode {
    CatalogueNotFound,          // "%1 was not found."
    CatalogueInvalidPath,       // "%1 contains an invalid path."
    CatalogueTooManyFiles,      // "%1 could not be opened because there are too many open files."
    CatalogueAccessDenied,      // "Access to %1 was denied."
    CatalogueSharingViolation,  // "A sharing violation occurred while accessing %1."
    CatalogueLockingViolation,  // "A locking violation occurred while accessing %1."
    CatalogueUnknownError,      // "An unknown error occurred while accessing %1."
    CatalogueOutsideDataDir,    // a stored catalogue file name points outside "setup.db"
    UnknownPluginType,          // "Interner Fehler in <ReadPimi>: unbekannter Plugin Typ!\n"
    StoreDamaged,               // a store loaded only in part; its original was kept beside it (%1)
    StoreUnreadable,            // a store is there but cannot be read; it is never saved over (%1)
    DataDirectoryInUse,         // another program holds the writer lock of the data directory (%1)
    DataDirectoryLockFailed,    // the writer lock of the data directory cannot be taken (%1)
    SettingsFileUnusable,       // the settings file is no regular file: neither read nor written (%1)
    DataDirectoryNotWritable,   // saves into the data directory fail (%1)
    FileReadOnly,               // "File read only?": a plug-in file cannot be opened or written (%1)
    PluginChangedOnDisk,        // the file no longer holds the entry's text: re-scan (%1)
    PreviewWriteProtected,      // "Unexpected error: preview image write protected?"
    HistoryNothingToUndo,       // no command to take back
    HistoryNothingToRedo,       // no command to do again
    HistoryNoSuchCommand,       // no such command in the history, or not cut short (%1 its number)
    HistoryFileChanged,         // another program changed a file since: refused, nothing changed (%1)
    HistoryFileMissing,         // a file is gone under both its names: refused (%1)
    HistoryNameTaken,           // a rename's other name is taken: refused (%1)
    HistoryWriteFailed,         // a file cannot be written: refused before anything changed (%1)
    HistoryStoppedPartway,      // a file failed after others changed: the command is left cut short (%1)
    HistoryNotRecorded,         // the journal cannot be saved: nothing changed (%1)
    HistoryUnusable,            // the journal cannot be read, or this program may not write (%1)
    TroublemakerRefused,        // the troublemaker search cannot take this step (the text says why)
    TextTooLong,                // a text does not fit into the space it has in the plug-in file (%1)
    CommandRefused,             // a command does not apply (the editor's code says why; %1 the file)
    CatalogueNotSaved,          // the stored catalogue of directory %1 could not be saved
    ShownCatalogueNotSaved,     // the catalogue on show could not be saved
};

struct UserMessage {
    MessageCode code;
    std::string text;      // the English text, argument filled in
    std::string argument;  // the %1 of the text (a path), "" when none
    // CommandRefused: why, as the editor's code and its own arguments.
    EditCode refusal = EditCode::None;
    std::vector<std::string> arguments{};
};

// What the status bar's message pane says while the session works.
enum class SessionStatus {
    Ready,      // "Ready"
    Analysing,  // "Analysing..."
};

// The English text of the status ("Ready", "Analysing...").
const char* SessionStatusText(SessionStatus status);

// Progress of a scan job. total is -1 until the walk has counted the files.
struct ScanProgress {
    int filesDone = 0;
    int total = -1;
    std::string path;
};

// Told about every change of the session's state, on the owner's thread.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;
    // The catalogue on show is about to be replaced or emptied: drop every
    // pointer into it (a Qt model calls beginResetModel() here).
    virtual void CatalogueAboutToBeReplaced() {}
    // The new catalogue is on show (selected class, class counts, title).
    virtual void CatalogueReplaced() {}
    // These entries changed in place (name, category, enabled, path).
    virtual void EntriesChanged(const std::vector<const CPluginEntry*>& /*entries*/) {}
    // The entries were re-sorted: the same records, other positions.
    virtual void OrderChanged() {}
    // The directory list changed (Setup, load): rebuild the Directory menu.
    virtual void DirectoryListChanged() {}
    // The status bar's message pane says status.
    virtual void StatusText(SessionStatus /*status*/) {}
    // Something the user must read (a message box).
    virtual void Message(const UserMessage& /*message*/) {}
    // A window added, deleted or renumbered the preview images of this
    // image base name: whoever shows them reads them again.
    virtual void PreviewImagesChanged(const std::string& /*baseName*/) {}
    // The description or keywords under this description key changed.
    virtual void DescriptionChanged(const std::string& /*key*/) {}
};

// Outcome of selecting a directory or re-scanning it.
struct ScanOutcome {
    bool done = false;                  // a catalogue was committed
    bool cancelled = false;             // the job was stopped; nothing changed
    int filesRead = 0;                  // files handed to the resource reader in full
    bool fullScan = false;              // the directory was scanned in full (not refreshed)
    std::vector<UserMessage> messages;  // what the user was told (also sent to observers)
};

// A selection, re-scan or refresh prepared by the session. Run builds the
// new catalogue without touching the one on show; it may run on any thread
// and returns early when stop is requested.
class ScanJob {
public:
    virtual ~ScanJob() = default;
    virtual void Run(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress) = 0;
};

class WriterLock;

// The message for a writer lock that another program holds (Busy) or that
// cannot be taken (Failed); its argument is the "setup.db" path.
UserMessage WriterLockMessage(const WriterLock& lock, const DataDirectory& dir);

// Whether a session may change anything: stores, preview images, plug-in files.
enum class SessionAccess {
    // Holds the data directory's writer lock (WriterLock) while it lives;
    // when another program holds it, the session starts as a reader and
    // says why (WriteRefusal).
    Writer,
    // Takes no lock and saves nothing: reads while another program writes.
    Reader,
};

// Who a writer is, for the others' messages, and how long it waits for a
// vardel-cli command that holds the lock.
struct WriterIdentity {
    std::string program = "vardel";
    std::chrono::milliseconds wait{0};
};

class CVardelSession {
public:
    // The data directory (holding "setup.db", "images.db", "preview") and
    // where the settings live. Nothing is loaded until Start.
    CVardelSession(DataDirectory dataDir, SettingsBackend& settings);
    ~CVardelSession();
    CVardelSession(const CVardelSession&) = delete;
    CVardelSession& operator=(const CVardelSession&) = delete;

    void AddObserver(SessionObserver* observer);
    void RemoveObserver(SessionObserver* observer);

    // Start-up: the writer lock (for a writer), settings, "\index",
    // "\restore", "\pimiinfo" (each its own attempt), then the description
    // database and the launch bar. A writer that holds the lock removes the
    // temporary files of interrupted saves (no live process is writing them).
    // A store that is there but cannot be read is told once and never saved
    // over.
    void Start(SessionAccess access = SessionAccess::Writer, const WriterIdentity& writer = {});
    // True when this session may save and change plug-ins: it was started as
    // a writer and no other program holds the data directory.
    bool MayWrite() const;
    // Why a writer may not write (another program holds the data directory,
    // or its lock cannot be taken); nothing for a reader or a writer that may.
    const std::optional<UserMessage>& WriteRefusal() const;
    // What Start told the observers (unreadable stores, the writer lock), for
    // an observer that comes later.
    const std::vector<UserMessage>& StartMessages() const;
    // Exit: the catalogue on show, settings and stores, then the description
    // database; returns once every save has ended. Not for a second
    // instance (it never calls Start).
    void Exit();

    // Saves from now on run on a thread of their own, queued in order (the
    // GUI's: no save makes the window wait), or, when off (the default),
    // at once. A queued save's result reaches CollectSaves; its function
    // returns success for the queueing. Switching off waits for the queue.
    void SetBackgroundSaves(bool on);
    // Called on the saving thread after each queued save ended (the owner
    // posts itself a call to CollectSaves); empty for none.
    void SetOnSaved(std::function<void()> onSaved);
    // On the owner's thread: takes the results of the queued saves that
    // ended and tells the observers what they have to tell.
    void CollectSaves();
    // Returns once every queued save has ended, their results collected.
    void WaitForSaves();
    // Before a plug-in file is written: the originals recorded so far must
    // be in their files first. Waits for a queued save of them, and saves
    // them now unless the files hold them already. False when that failed.
    bool SaveOriginalsBeforeWrite();
    // Originals were recorded into Restore() or PimiCache() outside a scan
    // of the session: the next SaveOriginalsBeforeWrite saves them.
    void NoteOriginalsRecorded();
    // Before entries of the catalogue on show change outside the editor (an
    // undo, a troublemaker step): waits for a queued save still reading them.
    void BeforeEntriesChange();
    // Settings, "\index", "\restore", "\pimiinfo" (after Setup and when the
    // preview page applies its settings). False when a save failed.
    bool SaveSettingsAndStores();
    // Saves the restore database and the tail cache at once (after a scan
    // that recorded new originals, before any write to a plug-in).
    bool SaveOriginals();
    // Saves the description database at once (after each change). The
    // result says why a save failed or was refused.
    StoreResult SaveDescriptions();
    bool SaveLaunchBar();
    // Saves "\index" alone (vardel-cli's directory commands). The result
    // names what failed.
    StoreResult SaveDirectoryList();
    // Gives directory n a new, empty catalogue file when its stored one
    // cannot be used (a name outside "setup.db"), and saves the directory
    // list; the next selection scans it in full. False when n is no
    // directory, no name is free or the list cannot be saved.
    bool RenewCatalogueFile(int n);
    // Saves "\nonplugins" (after a scan that learned of files without plug-ins).
    StoreResult SaveNonPluginCache();
    // How Start's load of a store went ("index", "restore", "pimiinfo",
    // "keywords", "launchbar", "nonplugins"); a default result before Start.
    StoreResult StoreLoadResult(const std::string& store) const;

    // Accessors.
    const DataDirectory& GetDataDirectory() const;
    Settings& GetSettings();
    DirectoryList& Directories();
    CPluginRestoreManager& Restore();
    CPIMIManager& PimiCache();
    CDescriptionListManager& Descriptions();
    // A place of its own in the preview images, for one window: each window
    // pages through a plug-in's images by itself. Its messages reach the
    // observers.
    CPreviewImageManager MakePreviewImages();
    LaunchBarList& LaunchBar();
    SettingsBackend& GetSettingsBackend();
    // Files that hold no plug-in, by path, size and time ("\nonplugins").
    CNonPluginCache& NonPlugins();
    // Content hashes of plug-in files by path, size and time ("\hashes"),
    // loaded on first use. Only a cache: a store that cannot be read, or
    // only in part, is dropped and rebuilt.
    CContentHashCache& ContentHashes();
    // Saves "\hashes" when it was loaded and changed since; refused like
    // every save of a reader.
    StoreResult SaveContentHashes();
    const CVardelDoc& Document() const;
    // The journal of the commands that changed plug-in files, loaded by
    // Start (a damaged one is kept aside and told like a damaged store).
    CChangeHistory& History();
    // What the catalogue editors record their commands with: the history,
    // or null when this session may not write.
    ChangeRecorder* Recorder();
    // The troublemaker search, as Start found it in "setup.db".
    CTroublemakerSearch& Troublemaker();

    // The document and the catalogue on show.
    const CPluginListManager& Catalogue() const;
    CPluginListManager& Catalogue();
    const std::string& Title() const;  // label of the current directory, "Untitled"
    bool IsUntitled() const;           // no directory shown: Title() is the placeholder
    int SelectedClass() const;         // -1 when none
    const std::array<int, 10>& ClassCounts() const;
    // Index of the current directory in the list, -1 when none (or removed).
    int CurrentDirectoryIndex() const;
    bool IsCatalogueShown() const;  // entries, and its directory still listed
    // What a listing of the shown directory's files needs (copied, for a
    // worker); nothing when no catalogue is on show.
    std::optional<ListingSource> ShownListingSource() const;
    bool CanRescan() const;  // "Re-Scan all" is available
    // What the category list says while it is empty (categoryItems 0).
    EmptyViewHint EmptyHint(std::size_t categoryItems) const;
    // Position of an entry in the sorted catalogue, -1 when not in it.
    int EntryIndex(const CPluginEntry* entry) const;

    // Selecting a directory (the Directory menu): saves the catalogue shown,
    // then returns the job that scans or refreshes directory n. Null, with
    // the reason told to the observers and put into outcome, when n is not a
    // directory of the list or its catalogue file cannot be used (the
    // catalogue on show is then emptied; nothing is saved over that file).
    std::unique_ptr<ScanJob> PrepareSelect(int n, ScanOutcome& outcome);
    // Re-Scan all of the current directory; null when unavailable.
    std::unique_ptr<ScanJob> PrepareRescan(ScanOutcome& outcome);
    // On the owner's thread, after Run returned: swaps the new catalogue in
    // (sorted, counted, class chosen), merges the originals it recorded,
    // saves the originals when new ones came and the catalogue file, and
    // tells the observers. A stopped job changes nothing but the originals.
    ScanOutcome Commit(ScanJob& job);
    // Both steps on the calling thread (vardel-cli, tests).
    ScanOutcome SelectDirectory(int n, std::stop_token stop = {},
                                const std::function<void(const ScanProgress&)>& progress = {});
    ScanOutcome RescanAll(std::stop_token stop = {}, const std::function<void(const ScanProgress&)>& progress = {});

    // Shows the catalogue of directory n exactly as its file holds it, as
    // the program holds it between two refreshes: no refresh, nothing saved
    // (vardel-cli's commands on a stored catalogue). False, with the reason
    // in failure, when n is not in the list or the file cannot be used or
    // read completely; nothing is shown then.
    bool OpenStoredCatalogue(int n, UserMessage* failure = nullptr);
    // Writes the selected class and the catalogue on show to the current
    // directory's catalogue file. False when there is no current directory,
    // its file lies outside "setup.db" or the write fails.
    bool SaveCatalogue();
    // Sorts the catalogue on show by sort key and tells the observers.
    void SortCatalogue();
    // Where the plug-in commands on the catalogue on show may write: below
    // the current directory's own directory, and nowhere when this session
    // may not write.
    WriteScope CatalogueWriteScope() const;

    // Changes the selected plug-in class (a class command) and tells the
    // observers (CatalogueAboutToBeReplaced / CatalogueReplaced, since every
    // list item changes). False when the class holds no plug-in.
    bool SelectClass(int cls);
    // After Setup: empties the views when the current directory was removed
    // (title "Untitled", class -1, counts 0), then saves settings and stores.
    void AfterSetup();
    // Called by whoever changed entries in place (the catalogue editor
    // wrappers below call it themselves).
    void NotifyEntriesChanged(const std::vector<const CPluginEntry*>& entries);
    void NotifyOrderChanged();
    void NotifyDirectoryListChanged();
    void NotifyMessage(const UserMessage& message);
    void NotifyStatus(SessionStatus status);
    void NotifyPreviewImagesChanged(const std::string& baseName);
    void NotifyDescriptionChanged(const std::string& key);

private:
    struct Impl;
    // Why a store may not be saved now (the session may not write, the
    // store could not be read, its damaged original cannot be kept), as the
    // result of the refused save; nothing when it may (a damaged original
    // was kept then).
    std::optional<StoreResult> RefuseSave(const std::string& store);
    // Tells once that saves into the data directory fail.
    void TellIfNotWritable(const StoreResult& result);
    // Saves one store at once (after the queued saves), first keeping a
    // damaged original of it beside it; refused as RefuseSave says.
    StoreResult SaveGuarded(const std::string& store, const std::function<StoreResult()>& save);
    // The same, queued in a session that saves in the background (the
    // result then tells the queueing; done gets the save's own, on this
    // thread, when collected), at once in any other.
    // readsRecords: the work reads the session's own records when it runs.
    StoreResult QueueGuarded(const std::string& store, std::function<StoreResult()> work,
                             std::function<void(const StoreResult&)> done = {}, bool readsRecords = false);
    // Queues the bytes write makes now as the store's next content.
    StoreResult QueueBytes(const std::string& store, const std::function<void(CArchive&)>& write,
                           std::function<void(const StoreResult&)> done = {});
    // Saves the restore database and the tail cache as they are in memory:
    // queued, read there, in the background.
    bool SaveOriginalsQueued();
    // Waits for the queued saves that read the session's records, before
    // they change.
    void WaitForLiveSaves();
    // The entries of a catalogue no longer shown go: after the queued saves
    // that may read them, on the saving thread, in the background.
    void Retire(CPluginListManager& old);
    // The scan job of a selection or rescan (kind: CDirectoryScanJob::Kind).
    std::unique_ptr<CDirectoryScanJob> MakeJob(int kind, const CPluginDirEntry& dir, const std::filesystem::path& file);
    // Saves the originals a commit merged, from the bytes the job made.
    void SaveNewOriginals(CDirectoryScanJob& scan);
    // The catalogue file to save the catalogue on show to, its damaged
    // original kept first; nothing when it is not to be saved.
    std::optional<std::filesystem::path> CatalogueFileToSave();
    // Saves the catalogue a commit showed, from the bytes the job made.
    void SaveCommittedCatalogue(CDirectoryScanJob& scan);
    void TakeWriterLock(const WriterIdentity& writer);
    // Copies a damaged store file beside it and tells so; true when the copy
    // was made or the file is gone, false when nothing may be saved over it.
    bool KeepDamaged(const std::filesystem::path& file);
    // Tells the observers the catalogue goes, and shows no directory.
    void ShowNothing();
    // Refuses a selection: tells why and shows no directory.
    void RefuseSelection(const UserMessage& message, ScanOutcome& outcome);

    std::unique_ptr<Impl> m_impl;
};

}  // namespace vardel
