// CVardelSession: selecting a directory, "Re-Scan all", and the catalogue
// on show. Jobs build catalogues of their own; only the commit, on the
// owner's thread, changes what is shown.

#include "app/DirectoryScanJob.h"
#include "app/FreeMemory.h"
#include "app/Session.h"
#include "app/SessionImpl.h"
#include "base/FileOps.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "pe/BlockFile.h"

#include <cerrno>

namespace vardel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRestoreStore = "restore";
constexpr const char* kPimiInfoStore = "pimiinfo";

UserMessage outsideMessage(const std::string& stored)
{
    const std::string shown = PathForDisplay(stored);
    return {MessageCode::CatalogueOutsideDataDir,
            "The catalogue file " + shown +
                " lies outside setup.db or names another store, and is neither read nor written. The "
                "directory can be given a new catalogue file.",
            shown};
}

// The catalogue file of a directory entry inside "setup.db", or the
// message why it cannot be used.
std::optional<fs::path> catalogueFileOf(const DataDirectory& data, const CPluginDirEntry& dir, UserMessage& why)
{
    if (dir.m_catalogueFile.empty()) {
        // All 100 names were taken when the directory was added.
        const std::string path = data.SetupDb().string();
        why = CatalogueFileError(EINVAL, path);
        return std::nullopt;
    }
    auto file = CatalogueFilePath(data, dir.m_catalogueFile);
    if (!file)
        why = outsideMessage(dir.m_catalogueFile);
    return file;
}

}  // namespace

void CVardelSession::ShowNothing()
{
    for (SessionObserver* o : std::vector<SessionObserver*>(m_impl->observers))
        o->CatalogueAboutToBeReplaced();
    CPluginListManager old;
    std::swap(old.m_entries, m_impl->doc.Catalogue().m_entries);
    std::swap(old.m_roots, m_impl->doc.Catalogue().m_roots);
    m_impl->doc.ShowNothing();
    for (SessionObserver* o : std::vector<SessionObserver*>(m_impl->observers))
        o->CatalogueReplaced();
    Retire(old);
}

void CVardelSession::Retire(CPluginListManager& old)
{
    if (!m_impl->background) {
        old.Clear();
        return;
    }
    // Freed behind the saves queued before, which may read its entries,
    // and off the owner's thread; its pages go back to the system.
    auto retired = std::make_shared<CPluginListManager>();
    std::swap(retired->m_entries, old.m_entries);
    std::swap(retired->m_roots, old.m_roots);
    old.Clear();
    m_impl->saves.Queue({}, [retired]() mutable {
        retired.reset();
        ReleaseFreeMemory();
        return StoreResult{};
    });
}

void CVardelSession::RefuseSelection(const UserMessage& message, ScanOutcome& outcome)
{
    outcome.messages.push_back(message);
    NotifyMessage(message);
    // Nothing of the directory shown before may stay under the new one, and
    // nothing is to be saved over a file that could not be read.
    ShowNothing();
}

std::unique_ptr<ScanJob> CVardelSession::PrepareSelect(int n, ScanOutcome& outcome)
{
    Impl& s = *m_impl;
    if (n < 0 || static_cast<std::size_t>(n) >= s.directories.size())
        return nullptr;
    if (s.doc.IsCatalogueShown())
        SaveCatalogue();
    const CPluginDirEntry& dir = *s.directories[static_cast<std::size_t>(n)];

    UserMessage why;
    auto file = catalogueFileOf(s.dataDir, dir, why);
    if (!file) {
        RefuseSelection(why, outcome);
        return nullptr;
    }
    std::uint64_t size = 0;
    {
        // The error of the open names the cause in the message.
        BlockFile probe;
        if (!probe.Open(file->string())) {
            RefuseSelection(CatalogueFileError(errno, file->string()), outcome);
            return nullptr;
        }
        size = probe.Size();
    }
    const auto kind = size == 0 ? CDirectoryScanJob::Kind::FirstScan : CDirectoryScanJob::Kind::Refresh;
    outcome.fullScan = size == 0;
    return MakeJob(static_cast<int>(kind), dir, *file);
}

std::unique_ptr<CDirectoryScanJob> CVardelSession::MakeJob(int kind, const CPluginDirEntry& dir, const fs::path& file)
{
    Impl& s = *m_impl;
    // A job waits for the queued saves (the catalogue file it loads may be
    // among them) and makes the bytes its commit saves, off this thread.
    return std::make_unique<CDirectoryScanJob>(static_cast<CDirectoryScanJob::Kind>(kind), dir, file, s.settings,
                                               s.restore, s.pimiCache, s.nonPlugins, s.background ? &s.saves : nullptr,
                                               MayWrite());
}

std::unique_ptr<ScanJob> CVardelSession::PrepareRescan(ScanOutcome& outcome)
{
    Impl& s = *m_impl;
    const CPluginDirEntry* dir = s.doc.CurrentDirectory();
    if (!dir) {
        NotifyStatus(SessionStatus::Ready);
        return nullptr;
    }
    UserMessage why;
    auto file = catalogueFileOf(s.dataDir, *dir, why);
    if (!file) {
        outcome.messages.push_back(why);
        NotifyMessage(why);
        NotifyStatus(SessionStatus::Ready);
        return nullptr;
    }
    outcome.fullScan = true;
    return MakeJob(static_cast<int>(CDirectoryScanJob::Kind::Rescan), *dir, *file);
}

ScanOutcome CVardelSession::Commit(ScanJob& job)
{
    Impl& s = *m_impl;
    ScanOutcome outcome;
    auto* scan = dynamic_cast<CDirectoryScanJob*>(&job);
    if (!scan)
        return outcome;
    outcome.filesRead = scan->FilesRead();
    outcome.fullScan = scan->GetKind() != CDirectoryScanJob::Kind::Refresh;

    // Queued saves that read the stores or the catalogue on show end before
    // either changes (usually they ended before the job began).
    WaitForLiveSaves();
    // Originals recorded for the first time are true whatever became of the
    // job; they are kept at once, since no later scan could see them again
    // once a plug-in is changed.
    const int newOriginals = CDirectoryScanJob::MergeNew(scan->Restore(), s.restore) +
                             CDirectoryScanJob::MergeNew(scan->PimiCache(), s.pimiCache);
    if (newOriginals > 0)
        SaveNewOriginals(*scan);

    for (const UserMessage& m : scan->Messages()) {
        outcome.messages.push_back(m);
        NotifyMessage(m);
    }
    if (scan->Failure()) {
        RefuseSelection(*scan->Failure(), outcome);
        NotifyStatus(SessionStatus::Ready);
        return outcome;
    }

    // The directory must still be the one the job was made for (a Setup
    // may have removed it meanwhile).
    const CPluginDirEntry* dir = nullptr;
    for (const auto& d : s.directories)
        if (d.get() == scan->Directory() && d->m_catalogueFile == scan->DirectoryCatalogueFile())
            dir = d.get();
    if (!scan->Finished() || !dir) {
        outcome.cancelled = true;
        NotifyStatus(SessionStatus::Ready);
        return outcome;
    }

    NotifyStatus(SessionStatus::Analysing);
    // A first scan knows no stored class and a rescan keeps the one shown;
    // either way a class with plug-ins is chosen.
    const int selected =
        scan->GetKind() == CDirectoryScanJob::Kind::Refresh ? scan->StoredSelectedClass() : s.doc.SelectedClass();
    for (SessionObserver* o : std::vector<SessionObserver*>(s.observers))
        o->CatalogueAboutToBeReplaced();
    s.doc.Show(*dir, scan->Catalogue(), selected);
    for (SessionObserver* o : std::vector<SessionObserver*>(s.observers))
        o->CatalogueReplaced();

    if (scan->NonPlugins().IsChanged()) {
        s.nonPlugins = std::move(scan->NonPlugins());
        SaveNonPluginCache();
    }
    // A catalogue file that broke off part way is kept beside it before the
    // refreshed catalogue is saved over it.
    s.catalogueDamagedPending = scan->LoadDamaged() ? scan->CatalogueFile() : fs::path();
    SaveCommittedCatalogue(*scan);
    NotifyStatus(SessionStatus::Ready);
    // The catalogue shown before goes last, behind the saves.
    Retire(scan->Catalogue());
    outcome.done = true;
    return outcome;
}

void CVardelSession::SaveNewOriginals(CDirectoryScanJob& scan)
{
    Impl& s = *m_impl;
    ++s.originalsGeneration;
    s.restoreSaved = s.pimiSaved = false;
    auto restore = std::make_shared<std::vector<std::uint8_t>>(std::move(scan.RestoreFileBytes()));
    auto pimi = std::make_shared<std::vector<std::uint8_t>>(std::move(scan.PimiInfoFileBytes()));
    if (restore->empty() || pimi->empty()) {
        // Not made by the job: made here, from the stores as merged.
        SaveOriginals();
        return;
    }
    // The job made them from the stores it added to, which hold now
    // exactly what the merge made of them.
    const std::uint64_t generation = s.originalsGeneration;
    auto saved = [this, generation](bool Impl::*flag) {
        return [this, generation, flag](const StoreResult& result) {
            if (result && generation == m_impl->originalsGeneration)
                (*m_impl).*flag = true;
        };
    };
    const fs::path setupDb = s.dataDir.SetupDb();
    QueueGuarded(
        kRestoreStore, [file = setupDb / kRestoreStore, restore] { return WriteStoreBytes(file, *restore); },
        saved(&Impl::restoreSaved));
    QueueGuarded(
        kPimiInfoStore, [file = setupDb / kPimiInfoStore, pimi] { return WriteStoreBytes(file, *pimi); },
        saved(&Impl::pimiSaved));
    s.originalsTicket = s.lastTicket;
}

std::optional<fs::path> CVardelSession::CatalogueFileToSave()
{
    Impl& s = *m_impl;
    const CPluginDirEntry* dir = s.doc.CurrentDirectory();
    if (!dir || !MayWrite())
        return std::nullopt;
    auto file = CatalogueFilePath(s.dataDir, dir->m_catalogueFile);
    if (!file)
        return std::nullopt;
    if (!s.catalogueDamagedPending.empty() && s.catalogueDamagedPending == *file) {
        // A save of it queued before ends first.
        if (s.background)
            WaitForSaves();
        if (!KeepDamaged(*file))
            return std::nullopt;
        s.catalogueDamagedPending.clear();
    }
    return file;
}

void CVardelSession::SaveCommittedCatalogue(CDirectoryScanJob& scan)
{
    Impl& s = *m_impl;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(std::move(scan.CatalogueFileBytes()));
    if (bytes->size() < 4) {
        SaveCatalogue();
        return;
    }
    auto file = CatalogueFileToSave();
    if (!file)
        return;
    // The job made the file's bytes from the catalogue now shown; only the
    // class, chosen here, was left to set.
    const auto cls = static_cast<std::uint32_t>(s.doc.SelectedClass());
    for (int i = 0; i < 4; ++i)
        (*bytes)[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(cls >> (8 * i));
    // Failures of catalogue saves are silent.
    if (s.background)
        s.lastTicket = s.saves.Queue({}, [file = *file, bytes] { return WriteStoreBytes(file, *bytes); });
    else
        WriteStoreBytes(*file, *bytes);
}

namespace {

ScanOutcome runNow(CVardelSession& session, std::unique_ptr<ScanJob> job, ScanOutcome prepared, std::stop_token stop,
                   const std::function<void(const ScanProgress&)>& progress)
{
    if (!job)
        return prepared;
    job->Run(std::move(stop), progress);
    ScanOutcome outcome = session.Commit(*job);
    outcome.messages.insert(outcome.messages.begin(), prepared.messages.begin(), prepared.messages.end());
    return outcome;
}

}  // namespace

ScanOutcome CVardelSession::SelectDirectory(int n, std::stop_token stop,
                                            const std::function<void(const ScanProgress&)>& progress)
{
    ScanOutcome prepared;
    auto job = PrepareSelect(n, prepared);
    return runNow(*this, std::move(job), std::move(prepared), std::move(stop), progress);
}

ScanOutcome CVardelSession::RescanAll(std::stop_token stop, const std::function<void(const ScanProgress&)>& progress)
{
    ScanOutcome prepared;
    auto job = PrepareRescan(prepared);
    return runNow(*this, std::move(job), std::move(prepared), std::move(stop), progress);
}

bool CVardelSession::OpenStoredCatalogue(int n, UserMessage* failure)
{
    Impl& s = *m_impl;
    UserMessage why;
    auto report = [&](const UserMessage& m) {
        if (failure)
            *failure = m;
        return false;
    };
    if (n < 0 || static_cast<std::size_t>(n) >= s.directories.size())
        return report(
            {MessageCode::CatalogueNotFound, "No directory " + std::to_string(n) + " in the directory list", ""});
    const CPluginDirEntry& dir = *s.directories[static_cast<std::size_t>(n)];
    auto file = catalogueFileOf(s.dataDir, dir, why);
    if (!file)
        return report(why);
    CPluginListManager catalogue;
    int selected = -1;
    StoreResult loaded = LoadCatalogue(*file, selected, catalogue);
    if (!loaded) {
        if (loaded.damaged)
            return report({MessageCode::StoreDamaged,
                           "Cannot read the catalogue " + file->string() + ": " + loaded.error, file->string()});
        return report(CatalogueFileError(loaded.fileError, file->string()));
    }
    for (SessionObserver* o : std::vector<SessionObserver*>(s.observers))
        o->CatalogueAboutToBeReplaced();
    s.doc.Show(dir, catalogue, selected);
    for (SessionObserver* o : std::vector<SessionObserver*>(s.observers))
        o->CatalogueReplaced();
    Retire(catalogue);
    return true;
}

bool CVardelSession::SaveCatalogue()
{
    Impl& s = *m_impl;
    auto file = CatalogueFileToSave();
    if (!file)
        return false;
    if (!s.background)
        return static_cast<bool>(vardel::SaveCatalogue(*file, s.doc.SelectedClass(), s.doc.Catalogue()));
    // The entries are read where they are when the save runs: nothing
    // changes them before (a commit or a write waits for this save), and
    // entries that go away are retired behind it.
    auto snapshot = std::make_shared<CatalogueSnapshot>(SnapshotOf(s.doc.SelectedClass(), s.doc.Catalogue()));
    auto pending = s.liveSavesPending;
    ++*pending;
    // Failures of catalogue saves are silent.
    s.lastTicket = s.saves.Queue({}, [file = *file, snapshot, pending] {
        std::vector<std::uint8_t> bytes;
        StoreResult made = CatalogueBytes(*snapshot, bytes);
        --*pending;
        return made ? WriteStoreBytes(file, bytes) : made;
    });
    return true;
}

WriteScope CVardelSession::CatalogueWriteScope() const
{
    // A queued save may still be reading the entries a write changes.
    if (*m_impl->liveSavesPending > 0)
        m_impl->saves.Wait();
    const Impl& s = *m_impl;
    if (!MayWrite())
        return WriteScope::Nowhere(EditCode::WritesBarred,
                                   s.writeRefusal ? s.writeRefusal->text : "Nothing may be written now.");
    const CPluginDirEntry* dir = s.doc.CurrentDirectory();
    if (!dir)
        return WriteScope::Nowhere(EditCode::NoDirectory, "No plug-in directory is on show.");
    return WriteScope::Below(CCatalogueScan::CutAtZero(dir->m_directory));
}

void CVardelSession::SortCatalogue()
{
    m_impl->doc.Sort();
    NotifyOrderChanged();
}

bool CVardelSession::SelectClass(int cls)
{
    Impl& s = *m_impl;
    if (cls < 0 || cls >= CVardelDoc::kClassCountSize || s.doc.ClassCounts()[static_cast<std::size_t>(cls)] == 0)
        return false;
    for (SessionObserver* o : std::vector<SessionObserver*>(s.observers))
        o->CatalogueAboutToBeReplaced();
    s.doc.SetSelectedClass(cls);
    for (SessionObserver* o : std::vector<SessionObserver*>(s.observers))
        o->CatalogueReplaced();
    return true;
}

void CVardelSession::AfterSetup()
{
    // The directory shown was deleted: nothing is shown any more.
    if (!m_impl->doc.IsCurrentInList() &&
        (!m_impl->doc.Catalogue().m_entries.empty() || m_impl->doc.Title() != CVardelDoc::kUntitled))
        ShowNothing();
    SaveSettingsAndStores();
}

}  // namespace vardel
