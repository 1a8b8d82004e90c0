#pragma once
// Notices when someone else (an installer, a file manager, vardel-cli)
// adds, removes, renames or changes plug-in files of the shown directory: a
// file-system watcher on the directories the catalogue came from, its bursts
// of events gathered into one look, and a look also whenever the program
// becomes active again (a watcher does not see a file written over in
// place). A look takes a listing of names, sizes and times on a worker and
// compares it with the one taken after the program's own latest change, so
// that what the program itself did never counts.

#include "catalogue/DiskListing.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>

namespace vardel::ui {

class SessionAdapter;

class DiskFollower : public QObject {
    Q_OBJECT
public:
    // mayRefresh says whether the window can take a refresh now (no scan,
    // no dialog, no edit under way); while it cannot, the look is repeated.
    DiskFollower(SessionAdapter& adapter, std::function<bool()> mayRefresh, QObject* parent = nullptr);
    ~DiskFollower() override;

    // The time the watcher's events are gathered for before a look.
    static constexpr int kGatherMs = 400;
    // How long a look waits while the window cannot take a refresh.
    static constexpr int kRetryMs = 1000;
    // The most directories watched (each costs a watch of the system's).
    static constexpr int kMaxWatched = 2000;

    // Looks at the disk soon (what the watcher's events and activation do).
    void lookSoon();
    // The directories watched now.
    QStringList watchedDirectories() const { return m_watcher.directories(); }

signals:
    // The shown directory's files changed on disk; the receiver refreshes.
    void diskChanged(const vardel::ListingChanges& changes);
    // A listing was taken and compared (for tests: the follower is idle).
    void looked();

private:
    enum class Purpose { Known, Check };
    void takeKnown();
    void look();
    void take(Purpose purpose);
    void taken(Purpose purpose, std::uint64_t generation, std::shared_ptr<DiskListing> listing);
    void watch(const DiskListing& listing);

    SessionAdapter& m_adapter;
    std::function<bool()> m_mayRefresh;
    QFileSystemWatcher m_watcher;
    QTimer m_gather;
    // The listing after the program's own latest change (or the catalogue's
    // arrival); null while it is being taken.
    std::shared_ptr<const DiskListing> m_known;
    // Counts the program's own changes: a look started before the latest one
    // says nothing.
    std::uint64_t m_generation = 0;
    bool m_looking = false;
    std::stop_source m_stop;
};

}  // namespace vardel::ui
