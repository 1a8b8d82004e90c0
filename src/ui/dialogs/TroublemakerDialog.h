#pragma once
// "Find Troublemaker": the search for the plug-in file that breaks a host.
// Each step disables half of the suspects; the user starts the host and
// answers "Still broken" or "Works now". The dialog shows how many files
// are disabled and how many steps remain at most, the culprit once found,
// and can be closed at any time: the search is kept in the data directory
// and goes on when the dialog opens again. Abandoning or finishing gives
// every file its name back. The renames run on a worker.

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace vardel {
class CPluginEntry;
class CVardelSession;
struct TroublemakerStep;
}  // namespace vardel

namespace vardel::ui {

class TroublemakerDialog : public QDialog {
    Q_OBJECT
public:
    // entries: the plug-ins a new search would take now (their files, when
    // enabled); asked each time, since the catalogue on show may change.
    using Entries = std::function<std::vector<const vardel::CPluginEntry*>()>;
    TroublemakerDialog(vardel::CVardelSession& session, Entries entries, QWidget* parent = nullptr);

    bool isBusy() const { return m_busy; }

signals:
    void busyChanged(bool busy);

private:
    void start();
    void answer(bool stillBroken);
    void abandon();
    // Renames the step's files on a worker; reset ends the search after.
    void run(const vardel::TroublemakerStep& step, bool reset);
    void showState();

    vardel::CVardelSession& m_session;
    Entries m_entries;
    QLabel* m_text = nullptr;
    QLabel* m_progress = nullptr;
    QListWidget* m_files = nullptr;  // the files disabled now, or the culprit
    QPushButton* m_start = nullptr;
    QPushButton* m_broken = nullptr;
    QPushButton* m_works = nullptr;
    QPushButton* m_abandon = nullptr;
    QPushButton* m_close = nullptr;
    bool m_busy = false;
    QString m_failure;
};

}  // namespace vardel::ui
