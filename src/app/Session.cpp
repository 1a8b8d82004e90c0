#include "app/Session.h"

#include "app/SessionImpl.h"
#include "base/Archive.h"
#include "base/FileOps.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "search/DescriptionListManager.h"

#include <algorithm>
#include <filesystem>

namespace vardel {

namespace fs = std::filesystem;

namespace {

// The stores whose partial loads are guarded: saving over them would drop
// what could not be read. Catalogue files are not among them: a refresh
// reads whatever their damaged part held from the plug-in files again.
constexpr const char* kIndex = "index";
constexpr const char* kRestore = "restore";
constexpr const char* kPimiInfo = "pimiinfo";
constexpr const char* kKeywords = "keywords";
constexpr const char* kLaunchBar = "launchbar";
constexpr const char* kNonPlugins = "nonplugins";
constexpr const char* kHashes = "hashes";

UserMessage storeDamagedMessage(const std::string& kept)
{
    return {MessageCode::StoreDamaged,
            "A store could be read only in part; its damaged original was kept as " + kept + ".", kept};
}

UserMessage notWritableMessage(const std::string& dir)
{
    return {MessageCode::DataDirectoryNotWritable,
            "Vardel cannot save into its data directory " + dir + "; changes may be lost.", dir};
}

UserMessage unreadableMessage(const fs::path& file, const std::error_code& error)
{
    return {MessageCode::StoreUnreadable,
            "The store " + file.string() + " cannot be read (" + error.message() +
                "); it is left as it is, and changes to it are not saved.",
            file.string()};
}

}  // namespace

UserMessage WriterLockMessage(const WriterLock& lock, const DataDirectory& dir)
{
    const fs::path setupDb = dir.SetupDb();
    if (lock.GetState() == WriterLock::State::Busy)
        return {MessageCode::DataDirectoryInUse,
                "Another Vardel program (" + lock.Reason() + ") is changing the data directory " + setupDb.string() +
                    "; nothing can be changed there until it ends.",
                setupDb.string()};
    return {MessageCode::DataDirectoryLockFailed,
            "The data directory " + setupDb.string() + " cannot be locked for writing (" + lock.Reason() +
                "); nothing can be changed there.",
            setupDb.string()};
}

namespace {

StoreResult refusedSave(std::string why)
{
    StoreResult refused;
    refused.ok = false;
    refused.error = std::move(why);
    return refused;
}

}  // namespace

CVardelSession::CVardelSession(DataDirectory dataDir, SettingsBackend& settings)
    : m_impl(std::make_unique<Impl>(std::move(dataDir), settings))
{}

CVardelSession::~CVardelSession() = default;

void CVardelSession::AddObserver(SessionObserver* observer)
{
    if (observer && std::find(m_impl->observers.begin(), m_impl->observers.end(), observer) == m_impl->observers.end())
        m_impl->observers.push_back(observer);
}

void CVardelSession::RemoveObserver(SessionObserver* observer)
{
    auto& list = m_impl->observers;
    list.erase(std::remove(list.begin(), list.end(), observer), list.end());
}

// --- start and exit ---------------------------------------------------------------

void CVardelSession::TakeWriterLock(const WriterIdentity& writer)
{
    Impl& s = *m_impl;
    s.writerLock = WriterLock::Acquire(s.dataDir, writer.program, writer.wait);
    s.mayWrite = s.writerLock.AllowsWriting();
    if (!s.mayWrite) {
        s.writeRefusal = WriterLockMessage(s.writerLock, s.dataDir);
        s.startMessages.push_back(*s.writeRefusal);
        NotifyMessage(*s.writeRefusal);
    }
}

void CVardelSession::Start(SessionAccess access, const WriterIdentity& writer)
{
    Impl& s = *m_impl;
    if (access == SessionAccess::Writer)
        TakeWriterLock(writer);
    // Saves interrupted by a kill leave their temporary files behind. Only
    // the lock's holder may tell: every other writer of the stores holds it
    // while it saves, so none is writing them now.
    if (s.writerLock.IsHeld())
        RemoveStaleTemporaryFiles(s.dataDir.SetupDb(), StoreFileNames());

    // A store that broke off part way is guarded until its original is kept;
    // one that could not be read at all is never saved over.
    auto noteLoad = [this, &s](const std::string& name, const StoreResult& result) {
        s.loadResults[name] = result;
        if (result.damaged)
            s.damagedPending[name] = true;
        else
            s.damagedPending.erase(name);
        if (result.Unreadable()) {
            s.startMessages.push_back(unreadableMessage(s.dataDir.SetupDb() / name, result.fileError));
            NotifyMessage(s.startMessages.back());
        }
    };
    s.settings = LoadSettings(s.backend);
    noteLoad(kIndex, LoadDirectoryList(s.dataDir, s.directories));
    // A damaged list may hold paths with zero bytes: they end there.
    for (auto& d : s.directories)
        if (d && d->m_directory.find('\0') != std::string::npos)
            d->m_directory.resize(d->m_directory.find('\0'));
    noteLoad(kRestore, LoadRestore(s.dataDir, s.restore));
    noteLoad(kPimiInfo, LoadPimiInfo(s.dataDir, s.pimiCache));
    // Stores read whole are what their files hold.
    s.restoreSaved = static_cast<bool>(s.loadResults[kRestore]);
    s.pimiSaved = static_cast<bool>(s.loadResults[kPimiInfo]);
    noteLoad(kKeywords, LoadDescriptions(s.dataDir, s.descriptions));
    noteLoad(kLaunchBar, LoadLaunchBar(s.dataDir, s.launchBar));
    // The non-plug-in cache is ours alone and only a cache: a damaged one is dropped.
    StoreResult nonPlugins = LoadNonPlugins(s.dataDir, s.nonPlugins);
    nonPlugins.damaged = false;
    noteLoad(kNonPlugins, nonPlugins);
    s.started = true;
    std::string kept;
    const JournalLoad journal = s.history.Load(s.mayWrite, &kept);
    if (journal.status == JournalLoad::Status::Damaged && !kept.empty()) {
        s.startMessages.push_back(storeDamagedMessage(kept));
        NotifyMessage(s.startMessages.back());
    } else if (journal.status == JournalLoad::Status::Unreadable) {
        s.startMessages.push_back({MessageCode::StoreUnreadable,
                                   "The store " + (s.dataDir.SetupDb() / kJournalFileName).string() +
                                       " cannot be read (" + journal.error +
                                       "); it is left as it is, and no change is recorded in it.",
                                   (s.dataDir.SetupDb() / kJournalFileName).string()});
        NotifyMessage(s.startMessages.back());
    }
    s.troublemaker.Load();
    NotifyDirectoryListChanged();
}

CTroublemakerSearch& CVardelSession::Troublemaker()
{
    return m_impl->troublemaker;
}

CChangeHistory& CVardelSession::History()
{
    return m_impl->history;
}

ChangeRecorder* CVardelSession::Recorder()
{
    return MayWrite() ? &m_impl->history : nullptr;
}

bool CVardelSession::MayWrite() const
{
    return m_impl->started && m_impl->mayWrite;
}

const char* SessionStatusText(SessionStatus status)
{
    return status == SessionStatus::Analysing ? "Analysing..." : "Ready";
}

const std::optional<UserMessage>& CVardelSession::WriteRefusal() const
{
    return m_impl->writeRefusal;
}

const std::vector<UserMessage>& CVardelSession::StartMessages() const
{
    return m_impl->startMessages;
}

void CVardelSession::Exit()
{
    if (!m_impl->started)
        return;
    if (m_impl->doc.IsCatalogueShown())
        SaveCatalogue();
    SaveSettingsAndStores();
    SaveDescriptions();
    if (m_impl->nonPlugins.IsChanged())
        SaveNonPluginCache();
    SaveContentHashes();
    // Leaving waits for every save: what they tell is told before the end.
    WaitForSaves();
}

void CVardelSession::SetBackgroundSaves(bool on)
{
    if (!on)
        WaitForSaves();
    m_impl->background = on;
}

void CVardelSession::SetOnSaved(std::function<void()> onSaved)
{
    m_impl->saves.SetOnSaved(std::move(onSaved));
}

void CVardelSession::CollectSaves()
{
    for (CSaveQueue::Outcome& outcome : m_impl->saves.TakeOutcomes()) {
        TellIfNotWritable(outcome.result);
        if (outcome.done)
            outcome.done(outcome.result);
    }
}

void CVardelSession::WaitForSaves()
{
    m_impl->saves.Wait();
    CollectSaves();
}

void CVardelSession::BeforeEntriesChange()
{
    WaitForLiveSaves();
}

void CVardelSession::WaitForLiveSaves()
{
    if (*m_impl->liveSavesPending > 0)
        WaitForSaves();
}

StoreResult CVardelSession::SaveNonPluginCache()
{
    Impl& s = *m_impl;
    if (!s.background)
        return SaveGuarded(kNonPlugins, [&] { return SaveNonPlugins(s.dataDir, s.nonPlugins); });
    // Its content is taken now; a save that fails leaves it to be saved again.
    StoreResult queued = QueueBytes(
        kNonPlugins, [&](CArchive& ar) { s.nonPlugins.Serialize(ar); },
        [this](const StoreResult& saved) {
            if (!saved)
                m_impl->nonPlugins.MarkChanged();
        });
    if (queued)
        s.nonPlugins.ClearChanged();
    return queued;
}

CContentHashCache& CVardelSession::ContentHashes()
{
    Impl& s = *m_impl;
    if (!s.contentHashesLoaded) {
        // Whatever the load says, what is in memory now can be trusted.
        LoadContentHashes(s.dataDir, s.contentHashes);
        s.contentHashesLoaded = true;
    }
    return s.contentHashes;
}

StoreResult CVardelSession::SaveContentHashes()
{
    Impl& s = *m_impl;
    if (!s.contentHashesLoaded || !s.contentHashes.IsChanged())
        return {};
    return SaveGuarded(kHashes, [&] { return vardel::SaveContentHashes(s.dataDir, s.contentHashes); });
}

std::optional<StoreResult> CVardelSession::RefuseSave(const std::string& name)
{
    Impl& s = *m_impl;
    if (!s.started)
        return refusedSave("the stores were not loaded; " + name + " is not saved");
    if (!s.mayWrite)
        return refusedSave(s.writeRefusal ? s.writeRefusal->text : "a reader saves nothing; " + name + " is not saved");
    const fs::path file = s.dataDir.SetupDb() / name;
    if (auto it = s.loadResults.find(name); it != s.loadResults.end() && it->second.Unreadable())
        return refusedSave(unreadableMessage(file, it->second.fileError).text);
    if (auto it = s.damagedPending.find(name); it != s.damagedPending.end()) {
        // Any save of it queued before has ended first.
        if (s.background)
            WaitForSaves();
        if (!KeepDamaged(file))
            return refusedSave("cannot keep the damaged " + file.string() + " before saving over it");
        s.damagedPending.erase(it);
    }
    return std::nullopt;
}

void CVardelSession::TellIfNotWritable(const StoreResult& result)
{
    Impl& s = *m_impl;
    std::error_code ec;
    if (!result && !s.toldNotWritable && fs::is_directory(s.dataDir.SetupDb(), ec)) {
        // A missing setup.db fails every save silently; an existing one that
        // refuses writes is worth one word.
        s.toldNotWritable = true;
        NotifyMessage(notWritableMessage(s.dataDir.SetupDb().string()));
    }
}

StoreResult CVardelSession::SaveGuarded(const std::string& name, const std::function<StoreResult()>& save)
{
    if (auto refused = RefuseSave(name))
        return *refused;
    // Saved now: whatever was queued before goes first.
    if (m_impl->background)
        WaitForSaves();
    StoreResult result = save();
    TellIfNotWritable(result);
    return result;
}

StoreResult CVardelSession::QueueGuarded(const std::string& name, std::function<StoreResult()> work,
                                         std::function<void(const StoreResult&)> done, bool readsRecords)
{
    Impl& s = *m_impl;
    if (auto refused = RefuseSave(name))
        return *refused;
    if (!s.background) {
        StoreResult result = work();
        TellIfNotWritable(result);
        if (done)
            done(result);
        return result;
    }
    if (readsRecords) {
        // Counted until it has ended, so that whoever changes the records waits.
        auto pending = s.liveSavesPending;
        ++*pending;
        work = [pending, save = std::move(work)] {
            struct Ended {
                std::atomic<int>& count;
                ~Ended() { --count; }
            } ended{*pending};
            return save();
        };
    }
    s.lastTicket = s.saves.Queue(name, std::move(work), std::move(done));
    return {};
}

StoreResult CVardelSession::QueueBytes(const std::string& name, const std::function<void(CArchive&)>& write,
                                       std::function<void(const StoreResult&)> done)
{
    Impl& s = *m_impl;
    const fs::path file = s.dataDir.SetupDb() / name;
    if (!s.background)
        return SaveGuarded(name, [&] { return SaveArchiveFile(file, write); });
    if (auto refused = RefuseSave(name))
        return *refused;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    if (StoreResult made = ArchiveBytes(write, *bytes); !made) {
        StoreResult failed = refusedSave(file.string() + ": " + made.error);
        TellIfNotWritable(failed);
        if (done)
            done(failed);
        return failed;
    }
    s.saves.Queue(
        name, [file, bytes] { return WriteStoreBytes(file, *bytes); }, std::move(done));
    return {};
}

bool CVardelSession::SaveSettingsAndStores()
{
    Impl& s = *m_impl;
    if (!s.started)
        return false;
    SaveSettings(s.backend, s.settings);
    // Each store is its own attempt.
    bool ok = static_cast<bool>(QueueBytes(kIndex, [&](CArchive& ar) { ar.SerializeArray(s.directories); }));
    ok = SaveOriginalsQueued() && ok;
    NotifyDirectoryListChanged();
    return ok;
}

bool CVardelSession::SaveOriginalsQueued()
{
    Impl& s = *m_impl;
    if (!s.background)
        return SaveOriginals();
    // Read where they are when the save runs: nothing changes them before
    // (a commit waits for these saves).
    const std::uint64_t generation = s.originalsGeneration;
    bool ok = static_cast<bool>(QueueGuarded(
        kRestore, [&s] { return SaveRestore(s.dataDir, s.restore); },
        [this, generation](const StoreResult& saved) {
            if (saved && generation == m_impl->originalsGeneration)
                m_impl->restoreSaved = true;
        },
        true));
    ok = static_cast<bool>(QueueGuarded(
             kPimiInfo, [&s] { return SavePimiInfo(s.dataDir, s.pimiCache); },
             [this, generation](const StoreResult& saved) {
                 if (saved && generation == m_impl->originalsGeneration)
                     m_impl->pimiSaved = true;
             },
             true)) &&
         ok;
    s.originalsTicket = s.lastTicket;
    return ok;
}

StoreResult CVardelSession::SaveDirectoryList()
{
    Impl& s = *m_impl;
    return SaveGuarded(kIndex, [&] { return vardel::SaveDirectoryList(s.dataDir, s.directories); });
}

bool CVardelSession::RenewCatalogueFile(int n)
{
    Impl& s = *m_impl;
    if (n < 0 || static_cast<std::size_t>(n) >= s.directories.size() || !s.directories[static_cast<std::size_t>(n)])
        return false;
    CPluginDirEntry& entry = *s.directories[static_cast<std::size_t>(n)];
    const std::string before = entry.m_catalogueFile;
    if (!vardel::RenewCatalogueFile(s.dataDir, entry))
        return false;
    if (entry.m_catalogueFile == before)
        return true;
    if (!SaveDirectoryList()) {
        // The list on disk keeps the old name: so does the one here.
        std::error_code ec;
        std::filesystem::remove(s.dataDir.Resolve(entry.m_catalogueFile), ec);
        entry.m_catalogueFile = before;
        return false;
    }
    NotifyDirectoryListChanged();
    return true;
}

bool CVardelSession::SaveOriginals()
{
    Impl& s = *m_impl;
    const bool restore = static_cast<bool>(SaveGuarded(kRestore, [&] { return SaveRestore(s.dataDir, s.restore); }));
    const bool pimi = static_cast<bool>(SaveGuarded(kPimiInfo, [&] { return SavePimiInfo(s.dataDir, s.pimiCache); }));
    s.restoreSaved = s.restoreSaved || restore;
    s.pimiSaved = s.pimiSaved || pimi;
    return restore && pimi;
}

bool CVardelSession::SaveOriginalsBeforeWrite()
{
    Impl& s = *m_impl;
    // Usually the commit's save of them ended long ago.
    if (s.background && s.originalsTicket > 0) {
        s.saves.WaitFor(s.originalsTicket);
        CollectSaves();
    }
    if (s.restoreSaved && s.pimiSaved)
        return true;
    return SaveOriginals();
}

void CVardelSession::NoteOriginalsRecorded()
{
    Impl& s = *m_impl;
    ++s.originalsGeneration;  // a queued save of them read them before
    s.restoreSaved = s.pimiSaved = false;
}

StoreResult CVardelSession::SaveDescriptions()
{
    Impl& s = *m_impl;
    return QueueBytes(kKeywords, [&](CArchive& ar) { s.descriptions.Serialize(ar); });
}

bool CVardelSession::KeepDamaged(const fs::path& file)
{
    std::error_code ec;
    if (!fs::exists(file, ec))
        return true;
    // When the original cannot be kept, nothing is saved over it.
    auto kept = KeepDamagedOriginal(file);
    if (!kept)
        return false;
    NotifyMessage(storeDamagedMessage(kept->string()));
    return true;
}

bool CVardelSession::SaveLaunchBar()
{
    Impl& s = *m_impl;
    return static_cast<bool>(QueueBytes(kLaunchBar, [&](CArchive& ar) { ar.SerializeArray(s.launchBar); }));
}

StoreResult CVardelSession::StoreLoadResult(const std::string& store) const
{
    auto it = m_impl->loadResults.find(store);
    return it == m_impl->loadResults.end() ? StoreResult{} : it->second;
}

// --- accessors ----------------------------------------------------------------------

const DataDirectory& CVardelSession::GetDataDirectory() const
{
    return m_impl->dataDir;
}
Settings& CVardelSession::GetSettings()
{
    return m_impl->settings;
}
DirectoryList& CVardelSession::Directories()
{
    return m_impl->directories;
}
CPluginRestoreManager& CVardelSession::Restore()
{
    return m_impl->restore;
}
CPIMIManager& CVardelSession::PimiCache()
{
    return m_impl->pimiCache;
}
CDescriptionListManager& CVardelSession::Descriptions()
{
    return m_impl->descriptions;
}

CPreviewImageManager CVardelSession::MakePreviewImages()
{
    return CPreviewImageManager(m_impl->dataDir, [this](const std::string& text) {
        NotifyMessage(UserMessage{MessageCode::PreviewWriteProtected, text, ""});
    });
}

LaunchBarList& CVardelSession::LaunchBar()
{
    return m_impl->launchBar;
}
SettingsBackend& CVardelSession::GetSettingsBackend()
{
    return m_impl->backend;
}
CNonPluginCache& CVardelSession::NonPlugins()
{
    return m_impl->nonPlugins;
}
const CVardelDoc& CVardelSession::Document() const
{
    return m_impl->doc;
}

const CPluginListManager& CVardelSession::Catalogue() const
{
    return m_impl->doc.Catalogue();
}
CPluginListManager& CVardelSession::Catalogue()
{
    return m_impl->doc.Catalogue();
}
const std::string& CVardelSession::Title() const
{
    return m_impl->doc.Title();
}
bool CVardelSession::IsUntitled() const
{
    return m_impl->doc.IsUntitled();
}
int CVardelSession::SelectedClass() const
{
    return m_impl->doc.SelectedClass();
}
const std::array<int, 10>& CVardelSession::ClassCounts() const
{
    return m_impl->doc.ClassCounts();
}
int CVardelSession::CurrentDirectoryIndex() const
{
    return m_impl->doc.CurrentIndex();
}
bool CVardelSession::IsCatalogueShown() const
{
    return m_impl->doc.IsCatalogueShown();
}

std::optional<ListingSource> CVardelSession::ShownListingSource() const
{
    const Impl& s = *m_impl;
    const CPluginDirEntry* dir = s.doc.CurrentDirectory();
    if (!dir || !s.doc.IsCatalogueShown())
        return std::nullopt;
    return MakeListingSource(dir->m_directory, dir->m_includeSubdirectories != 0,
                             {s.settings.extensions, s.settings.scanAll != 0}, s.doc.Catalogue());
}
bool CVardelSession::CanRescan() const
{
    return m_impl->doc.IsCurrentInList();
}

EmptyViewHint CVardelSession::EmptyHint(std::size_t categoryItems) const
{
    int directories = 0;
    for (const auto& d : m_impl->directories)
        if (d && !d->m_separator)
            ++directories;
    return ChooseEmptyViewHint(directories, m_impl->doc.IsCurrentInList(), categoryItems);
}

int CVardelSession::EntryIndex(const CPluginEntry* entry) const
{
    const auto& entries = m_impl->doc.Catalogue().m_entries;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].get() == entry)
            return static_cast<int>(i);
    return -1;
}

// --- notifications ------------------------------------------------------------------

namespace {

template <class Call>
void tell(const std::vector<SessionObserver*>& observers, Call call)
{
    // An observer may remove itself while told.
    const std::vector<SessionObserver*> copy = observers;
    for (SessionObserver* o : copy)
        call(*o);
}

}  // namespace

void CVardelSession::NotifyEntriesChanged(const std::vector<const CPluginEntry*>& entries)
{
    tell(m_impl->observers, [&](SessionObserver& o) { o.EntriesChanged(entries); });
}

void CVardelSession::NotifyOrderChanged()
{
    tell(m_impl->observers, [](SessionObserver& o) { o.OrderChanged(); });
}

void CVardelSession::NotifyDirectoryListChanged()
{
    tell(m_impl->observers, [](SessionObserver& o) { o.DirectoryListChanged(); });
}

void CVardelSession::NotifyMessage(const UserMessage& message)
{
    tell(m_impl->observers, [&](SessionObserver& o) { o.Message(message); });
}

void CVardelSession::NotifyStatus(SessionStatus status)
{
    tell(m_impl->observers, [&](SessionObserver& o) { o.StatusText(status); });
}

void CVardelSession::NotifyPreviewImagesChanged(const std::string& baseName)
{
    tell(m_impl->observers, [&](SessionObserver& o) { o.PreviewImagesChanged(baseName); });
}

void CVardelSession::NotifyDescriptionChanged(const std::string& key)
{
    tell(m_impl->observers, [&](SessionObserver& o) { o.DescriptionChanged(key); });
}

}  // namespace vardel
