#include "ui/session/DiskFollower.h"

#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/session/SessionAdapter.h"

#include <QGuiApplication>
#include <QPointer>

namespace vardel::ui {

DiskFollower::DiskFollower(SessionAdapter& adapter, std::function<bool()> mayRefresh, QObject* parent)
    : QObject(parent)
    , m_adapter(adapter)
    , m_mayRefresh(std::move(mayRefresh))
{
    m_gather.setSingleShot(true);
    connect(&m_gather, &QTimer::timeout, this, &DiskFollower::look);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskFollower::lookSoon);
    // What the program does itself, and a catalogue read afresh, make the
    // listing the next look compares with.
    connect(&m_adapter, &SessionAdapter::catalogueReplaced, this, &DiskFollower::takeKnown);
    connect(&m_adapter, &SessionAdapter::entriesChanged, this, &DiskFollower::takeKnown);
    connect(&m_adapter, &SessionAdapter::orderChanged, this, &DiskFollower::takeKnown);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            lookSoon();
    });
}

DiskFollower::~DiskFollower()
{
    m_stop.request_stop();
}

void DiskFollower::lookSoon()
{
    m_gather.start(kGatherMs);
}

void DiskFollower::takeKnown()
{
    ++m_generation;
    m_known.reset();
    take(Purpose::Known);
}

void DiskFollower::look()
{
    if (m_looking || !m_known) {
        // The look under way, or the listing to compare with, comes first.
        m_gather.start(kRetryMs);
        return;
    }
    take(Purpose::Check);
}

void DiskFollower::take(Purpose purpose)
{
    auto source = m_adapter.session().ShownListingSource();
    if (!source) {
        if (purpose == Purpose::Known && !m_watcher.directories().isEmpty())
            m_watcher.removePaths(m_watcher.directories());
        return;
    }
    if (purpose == Purpose::Check)
        m_looking = true;
    QPointer<DiskFollower> self(this);
    const std::uint64_t generation = m_generation;
    WorkerThreads::run([source = std::move(*source), stop = m_stop.get_token(), self, purpose, generation] {
        auto listing = std::make_shared<DiskListing>(TakeDiskListing(source, stop));
        WorkerThreads::deliver([self, purpose, generation, listing] {
            if (self)
                self->taken(purpose, generation, listing);
        });
    });
}

void DiskFollower::taken(Purpose purpose, std::uint64_t generation, std::shared_ptr<DiskListing> listing)
{
    if (purpose == Purpose::Known) {
        if (generation != m_generation || !listing->complete)
            return;
        watch(*listing);
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

void DiskFollower::watch(const DiskListing& listing)
{
    QStringList wanted;
    for (const std::string& directory : listing.directories) {
        if (wanted.size() >= kMaxWatched)
            break;
        wanted.push_back(fromStoredPath(directory));
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
