#pragma once
// The Qt face of the core session: turns the session's notifications into
// signals and runs the scan jobs of a directory selection or a re-scan on a
// worker thread, with progress as queued signals and cancel through a stop
// source. The new catalogue is committed on the window thread. The session
// saves in the background while the adapter lives; the results of its saves
// are collected on the window thread.

#include "app/Session.h"
#include "catalogue/PluginEntry.h"

#include "ui/common/WorkerThreads.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <atomic>
#include <memory>
#include <mutex>
#include <stop_token>

namespace vardel::ui {

class SessionAdapter : public QObject, public SessionObserver {
    Q_OBJECT
public:
    explicit SessionAdapter(CVardelSession& session, QObject* parent = nullptr);
    // Stops a running scan and waits for its worker (it is about to be
    // told to stop, so the wait is short).
    ~SessionAdapter() override;

    CVardelSession& session() { return m_session; }

    // Starts selecting directory n (the Directory menu). False when a scan
    // runs already or the session refused (it told the observers why).
    bool startSelect(int n);
    // Starts "Re-Scan all"; false when unavailable or a scan runs.
    bool startRescan();
    // Asks the running scan to stop; the catalogue on show stays as it was.
    void cancelScan();
    bool isScanning() const { return m_job != nullptr; }
    // The directory StartSelect was last asked for, -1 before any.
    int lastSelectRequest() const { return m_lastSelect; }
    // Waits (running the event loop's queued work) until no scan runs; for
    // tests and for leaving the program.
    void waitForScan();

    // SessionObserver, called on the window thread.
    void CatalogueAboutToBeReplaced() override;
    void CatalogueReplaced() override;
    void EntriesChanged(const std::vector<const CPluginEntry*>& entries) override;
    void OrderChanged() override;
    void DirectoryListChanged() override;
    void StatusText(SessionStatus status) override;
    void Message(const UserMessage& message) override;
    void PreviewImagesChanged(const std::string& baseName) override;
    void DescriptionChanged(const std::string& key) override;

signals:
    void catalogueAboutToBeReplaced();
    void catalogueReplaced();
    void entriesChanged(const QVector<const vardel::CPluginEntry*>& entries);
    void orderChanged();
    void directoryListChanged();
    void statusText(const QString& text);
    void message(const vardel::UserMessage& message);
    void previewImagesChanged(const std::string& baseName);
    void descriptionChanged(const std::string& key);
    // A scan started or ended (plug-in commands are unavailable meanwhile).
    void scanningChanged(bool scanning);
    // Files done of total (-1 while counting) and the file being read.
    void scanProgress(int done, int total, const QString& path);
    // The scan ended: committed, stopped, or failed with messages.
    void scanFinished(bool done, bool cancelled, int filesRead);

private:
    bool launch(std::unique_ptr<ScanJob> job);
    void onJobFinished();
    void postProgress(const ScanProgress& progress);
    // Posted by name from the worker (the progress crosses under m_progressLock).
    Q_INVOKABLE void deliverProgress();
    // Posted by name from the saving thread: what the saves tell is told here.
    Q_INVOKABLE void deliverSaves();

    CVardelSession& m_session;
    int m_lastSelect = -1;
    std::unique_ptr<ScanJob> m_job;
    std::stop_source m_stop;
    WorkerThreads::Task m_task;

    // The newest progress of the worker; one delivery is queued at a time so
    // a fast scan cannot flood the window thread.
    std::mutex m_progressLock;
    ScanProgress m_latest;
    std::atomic<bool> m_deliveryQueued{false};
};

}  // namespace vardel::ui
