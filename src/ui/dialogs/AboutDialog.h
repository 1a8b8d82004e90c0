#pragma once
// The About box. A double click of the right mouse button in it opens the
// Restore Cache Monitor.

#include <QDialog>

namespace vardel {
class CVardelSession;
}

namespace vardel::ui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(vardel::CVardelSession& session, QWidget* parent = nullptr);

public slots:
    // Opens the Restore Cache Monitor over the session's restore database.
    void showRestoreMonitor();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    vardel::CVardelSession& m_session;
};

}  // namespace vardel::ui
