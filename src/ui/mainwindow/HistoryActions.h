#pragma once
// Edit > Undo, Redo and History..., Plugin > Find Troublemaker..., and the
// question at start about a change cut short. The files are changed on a
// worker; the catalogue follows on the window thread when it is done. While
// one runs, the actions are unavailable and nothing waits for it.

#include "app/ChangeHistory.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QAction;
class QMessageBox;
class QWidget;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class HistoryDialog;
class TroublemakerDialog;

class HistoryActions : public QObject {
    Q_OBJECT
public:
    // selection: the plug-ins the troublemaker search takes when it starts.
    HistoryActions(CVardelSession& session, QWidget* window,
                   std::function<std::vector<const CPluginEntry*>()> selection);

    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    QAction* historyAction() const { return m_history; }
    QAction* troublemakerAction() const { return m_troublemaker; }

    // Availability from the history and the catalogue on show; blocked
    // while a scan runs.
    void updateActions(bool scanning = false);
    // A command cut short: the question whether to complete or roll it back.
    void offerResolution();
    bool isBusy() const { return m_busy; }
    // Something was recorded or the catalogue changed: availability anew,
    // and an open History window reads the history again.
    void changed();

    // Runs on a worker; the catalogue follows when it is done.
    void undo();
    void redo();
    void takeBack(std::uint32_t id);
    void resolve(std::uint32_t id, bool complete);

    // The windows open now, or null.
    HistoryDialog* openHistory() const;
    TroublemakerDialog* openTroublemaker() const;
    QMessageBox* resolutionQuestion() const;

signals:
    // The history changed (a command recorded, undone, redone).
    void historyChanged();
    void status(const QString& text);
    // A worker began or ended.
    void busyChanged(bool busy);

private:
    void run(std::function<HistoryResult(CChangeHistory&)> work);
    void finished(const HistoryResult& result);
    void showHistory();
    void showTroublemaker();

    CVardelSession& m_session;
    QWidget* m_window;
    std::function<std::vector<const CPluginEntry*>()> m_selection;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_history = nullptr;
    QAction* m_troublemaker = nullptr;
    bool m_busy = false;
    bool m_scanning = false;
    QPointer<HistoryDialog> m_historyDialog;
    QPointer<TroublemakerDialog> m_troublemakerDialog;
    QPointer<QMessageBox> m_question;
};

}  // namespace vardel::ui
