#include "ui/session/SessionAdapter.h"

#include "ui/common/Convert.h"
#include "ui/session/UserMessages.h"

#include <QCoreApplication>
#include <QPointer>

namespace vardel::ui {

SessionAdapter::SessionAdapter(CVardelSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
    m_session.AddObserver(this);
    // No save makes the window wait; what a save has to tell comes back here.
    m_session.SetBackgroundSaves(true);
    // Posted by name, so that Qt makes the event on the saving thread and
    // nothing of ours crosses outside a lock the thread sanitizer sees.
    m_session.SetOnSaved([this] { QMetaObject::invokeMethod(this, "deliverSaves", Qt::QueuedConnection); });
}

SessionAdapter::~SessionAdapter()
{
    if (m_job) {
        m_stop.request_stop();
        m_task.wait();
        // A stopped job still hands over the originals it recorded.
        m_session.Commit(*m_job);
        m_job.reset();
    }
    m_session.SetOnSaved({});
    m_session.RemoveObserver(this);
}

bool SessionAdapter::startSelect(int n)
{
    if (m_job)
        return false;
    m_lastSelect = n;
    ScanOutcome outcome;
    return launch(m_session.PrepareSelect(n, outcome));
}

bool SessionAdapter::startRescan()
{
    if (m_job)
        return false;
    ScanOutcome outcome;
    return launch(m_session.PrepareRescan(outcome));
}

bool SessionAdapter::launch(std::unique_ptr<ScanJob> job)
{
    if (!job)
        return false;
    m_job = std::move(job);
    m_stop = std::stop_source();
    emit scanningChanged(true);
    emit scanProgress(0, -1, QString());
    ScanJob* raw = m_job.get();
    const std::stop_token token = m_stop.get_token();
    // The job's end is handed back through its state (the task); a delivery
    // that finds the adapter gone or another job running is dropped.
    QPointer<SessionAdapter> self(this);
    m_task = WorkerThreads::run([this, raw, token, self] {
        raw->Run(token, [this](const ScanProgress& progress) { postProgress(progress); });
        WorkerThreads::deliver([self, raw] {
            if (self && self->m_job.get() == raw)
                self->onJobFinished();
        });
    });
    return true;
}

void SessionAdapter::cancelScan()
{
    if (m_job)
        m_stop.request_stop();
}

void SessionAdapter::waitForScan()
{
    while (m_job) {
        m_task.wait();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void SessionAdapter::postProgress(const ScanProgress& progress)
{
    {
        std::lock_guard lock(m_progressLock);
        m_latest = progress;
    }
    if (!m_deliveryQueued.exchange(true))
        QMetaObject::invokeMethod(this, "deliverProgress", Qt::QueuedConnection);
}

void SessionAdapter::deliverProgress()
{
    ScanProgress progress;
    {
        std::lock_guard lock(m_progressLock);
        progress = m_latest;
        m_deliveryQueued = false;
    }
    if (m_job)
        emit scanProgress(progress.filesDone, progress.total, fromStoredPath(progress.path));
}

void SessionAdapter::deliverSaves()
{
    m_session.CollectSaves();
}

void SessionAdapter::onJobFinished()
{
    if (!m_job)
        return;
    const bool stopped = m_stop.stop_requested();
    const ScanOutcome outcome = m_session.Commit(*m_job);
    m_job.reset();
    emit scanningChanged(false);
    emit scanFinished(outcome.done, outcome.cancelled || (stopped && !outcome.done), outcome.filesRead);
}

void SessionAdapter::CatalogueAboutToBeReplaced()
{
    emit catalogueAboutToBeReplaced();
}

void SessionAdapter::CatalogueReplaced()
{
    emit catalogueReplaced();
}

void SessionAdapter::EntriesChanged(const std::vector<const CPluginEntry*>& entries)
{
    emit entriesChanged(QVector<const CPluginEntry*>(entries.begin(), entries.end()));
}

void SessionAdapter::OrderChanged()
{
    emit orderChanged();
}

void SessionAdapter::DirectoryListChanged()
{
    emit directoryListChanged();
}

void SessionAdapter::StatusText(SessionStatus status)
{
    emit statusText(status == SessionStatus::Analysing ? tr("Analysing...") : tr("Ready"));
}

void SessionAdapter::Message(const UserMessage& message)
{
    emit this->message(message);
}

void SessionAdapter::PreviewImagesChanged(const std::string& baseName)
{
    emit previewImagesChanged(baseName);
}

void SessionAdapter::DescriptionChanged(const std::string& key)
{
    emit descriptionChanged(key);
}

}  // namespace vardel::ui
