#include "ui/session/DiskFollower.h"

#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/session/SessionAdapter.h"

#include <QGuiApplication>
#include <QPointer>

namespace vardel::ui {

DiskFollower::DiskFollower(SessionAdapter& adapter, std::function<bool()> mayRefresh, QObject* parent)
    : QObject(parent), m_adapter(adapter), m_mayRefresh(std::move(mayRefresh))
{
    m_gather.setSingleShot(true);
    connect(&m_gather, &QTimer::timeout, this, &DiskFollower::Look);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskFollower::LookSoon);
    // What the program does itself, and a catalogue read afresh, make the
    // listing the next look compares with.
    connect(&m_adapter, &SessionAdapter::catalogueReplaced, this, &DiskFollower::TakeKnown);
    connect(&m_adapter, &SessionAdapter::entriesChanged, this, &DiskFollower::TakeKnown);
    connect(&m_adapter, &SessionAdapter::orderChanged, this, &DiskFollower::TakeKnown);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            LookSoon();
    });
}

DiskFollower::~DiskFollower() { m_stop.request_stop(); }

void DiskFollower::LookSoon() { m_gather.start(kGatherMs); }

void DiskFollower::TakeKnown()
{
    ++m_generation;
    m_known.reset();
    Take(Purpose::Known);
}

void DiskFollower::Look()
{
    if (m_looking || !m_known) {
        // The look under way, or the listing to compare with, comes first.
        m_gather.start(kRetryMs);
        return;
    }
    Take(Purpose::Check);
}

void DiskFollower::Take(Purpose purpose)
{
    auto source = m_adapter.Session().ShownListingSource();
    if (!source) {
        if (purpose == Purpose::Known && !m_watcher.directories().isEmpty())
            m_watcher.removePaths(m_watcher.directories());
        return;
    }
    if (purpose == Purpose::Check)
        m_looking = true;
    QPointer<DiskFollower> self(this);
    const std::uint64_t generation = m_generation;
    WorkerThreads::Run([source = std::move(*source), stop = m_stop.get_token(), self, purpose, generation] {
        auto listing = std::make_shared<DiskListing>(TakeDiskListing(source, stop));
        WorkerThreads::Deliver([self, purpose, generation, listing] {
            if (self)
                self->Taken(purpose, generation, listing);
        });
    });
}

void DiskFollower::Taken(Purpose purpose, std::uint64_t generation, std::shared_ptr<DiskListing> listing)
{
    if (purpose == Purpose::Known) {
        if (generation != m_generation || !listing->complete)
            return;
        Watch(*listing);
        m_known = std::move(listing);
        return;
    }
    m_looking = false;
    // The program changed files since the look began: it looks again once
    // it knows what it did.
    if (generation != m_generation || !m_known) {
        m_gather.start(kRetryMs);
        return;
    }
    const ListingChanges changes = CompareListings(*m_known, *listing);
    if (!changes.Empty()) {
        if (!m_mayRefresh()) {
            m_gather.start(kRetryMs);
            return;
        }
        emit diskChanged(changes);
    }
    emit looked();
}

void DiskFollower::Watch(const DiskListing& listing)
{
    QStringList wanted;
    for (const std::string& directory : listing.directories) {
        if (wanted.size() >= kMaxWatched)
            break;
        wanted.push_back(FromStoredPath(directory));
    }
    const QStringList watched = m_watcher.directories();
    if (watched == wanted)
        return;
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    if (!wanted.isEmpty())
        m_watcher.addPaths(wanted);
}

}  // namespace vardel::ui
