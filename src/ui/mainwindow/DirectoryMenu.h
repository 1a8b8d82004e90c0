#pragma once
// The "D&irectory" menu: one item per entry of the directory list, at most
// 41, separators for separator entries, an icon that tells whether the
// entry includes subdirectories and the entry's path as its status tip.
// The toolbar's directory button and F4 open the same menu.

#include <QObject>

class QMenu;
class QWidget;

namespace vardel {
class CVardelSession;
}

namespace vardel::ui {

class DirectoryMenu : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxItems = 41;

    DirectoryMenu(CVardelSession& session, QWidget* parent);

    QMenu* menu() const { return m_menu; }
    // Empties the menu and fills it again from the directory list.
    void rebuild();
    // Items are available unless a scan runs.
    void setBusy(bool busy);
    // Shows the menu as a pop-up below the widget's lower left corner, its
    // first directory highlighted (F4 opens it from the keyboard).
    void popupBelow(QWidget* widget);

signals:
    // The item of directory entry n was chosen.
    void directoryChosen(int n);

private:
    CVardelSession& m_session;
    QMenu* m_menu;
    bool m_busy = false;
};

}  // namespace vardel::ui
