#pragma once
// The status bar's panes: the message pane, the scan's progress with its
// Cancel button, and the four indicators in the order "Categories",
// "Plugins", "Enabled", "Selected".

#include <QObject>
#include <QStringList>

#include <array>

class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;

namespace vardel::ui {

class StatusPanes : public QObject {
    Q_OBJECT
public:
    explicit StatusPanes(QStatusBar* bar);

    // The message pane's text ("Ready", "Analysing...", a path).
    void setMessage(const QString& text);
    // The four indicator texts, in pane order.
    void setIndicators(const QStringList& texts);
    // Shows or hides the scan's progress and its Cancel button.
    void setScanning(bool scanning);
    // n of m files, and the file being read (total -1 while counting).
    void setProgress(int done, int total, const QString& path);

signals:
    void cancelRequested();

private:
    QStatusBar* m_bar;
    QLabel* m_message;
    QProgressBar* m_progress;
    QToolButton* m_cancel;
    std::array<QLabel*, 4> m_indicators{};
};

}  // namespace vardel::ui
