#pragma once
// "Tip of the day": one tip about Vardel at a time, with Next and Close.
// The next tip to show is remembered between runs.

#include <QDialog>
#include <QStringList>

class QLabel;

namespace vardel {
class SettingsBackend;
}

namespace vardel::ui {

class DialogGeometry;

class TipDialog : public QDialog {
    Q_OBJECT
public:
    // settings keeps the next tip and the dialog's size.
    explicit TipDialog(vardel::SettingsBackend& settings, QWidget* parent = nullptr);

    // Every tip, in the order they are shown.
    static QStringList tips();
    // Index of the tip on show.
    int currentTip() const { return m_current; }

public slots:
    // Shows the next tip (after the last the first again).
    void nextTip();

private:
    void showTip(int index);

    QLabel* m_tipLabel;
    DialogGeometry* m_geometry;
    QStringList m_tips;
    int m_current = 0;
};

}  // namespace vardel::ui
