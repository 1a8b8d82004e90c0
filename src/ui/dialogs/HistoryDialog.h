#pragma once
// "History": the changes made to plug-in files, newest first, with when
// they were made and their state. Any done change can be taken back, with
// the later changes to the same files, after a question; a change cut short
// can be rolled back. The work itself is the caller's (on a worker).

#include <QDialog>
#include <QPointer>

#include <cstdint>

class QLabel;
class QMessageBox;
class QPushButton;
class QTreeWidget;

namespace vardel {
class CVardelSession;
}

namespace vardel::ui {

class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(vardel::CVardelSession& session, QWidget* parent = nullptr);

    // Reads the history again, keeping the selected command when it is still there.
    void refresh();
    // While files change, nothing can be taken back.
    void setBusy(bool busy);
    QMessageBox* openQuestion() const { return m_question; }

signals:
    void takeBackRequested(std::uint32_t id);
    void resolveRequested(std::uint32_t id, bool complete);

private:
    void updateButtons();
    void askTakeBack();
    std::uint32_t selectedId() const;

    vardel::CVardelSession& m_session;
    QTreeWidget* m_list = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_takeBack = nullptr;
    bool m_busy = false;
    QPointer<QMessageBox> m_question;
};

}  // namespace vardel::ui
