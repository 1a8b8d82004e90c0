#pragma once
// The plug-in class selector: a button that shows the selected class's name
// and opens the class menu with its upper right corner at the button's lower
// right corner.

#include <QPushButton>

class QMenu;

namespace vardel::ui {

class ClassSelector : public QPushButton {
    Q_OBJECT
public:
    explicit ClassSelector(QWidget* parent = nullptr);

    // The menu the button opens (owned by the caller).
    void setClassMenu(QMenu* menu) { m_menu = menu; }
    QMenu* classMenu() const { return m_menu; }
    // Opens the menu below the button (a click does the same).
    void openMenu();

protected:
    // The button's text, with a drop-down arrow at its right edge that
    // tells it opens a menu.
    void paintEvent(QPaintEvent* event) override;
    // Down arrow and Alt+Down open the menu, as on a drop-down list.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QMenu* m_menu = nullptr;
};

}  // namespace vardel::ui
