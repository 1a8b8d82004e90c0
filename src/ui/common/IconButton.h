#pragma once
// IconButton: a flat button that shows one icon, with a raised frame while
// the mouse is over it and a sunken one while it is pressed. The launch
// bar's ten buttons are IconButtons. It takes the focus by Tab (a dotted
// frame shows it); Space or Enter clicks it, the arrow keys ask for the next
// or previous button, the menu key (or Shift+F10) for its context menu.

#include <QAbstractButton>
#include <QIcon>

namespace vardel::ui {

class IconButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kSize = 34;
    static constexpr int kIconSize = 32;

    explicit IconButton(QWidget* parent = nullptr);

    // Takes icon number index of file. False, with the icon unchanged, when
    // the file has no such icon (see iconFromFile).
    bool setIconFromFile(const QString& file, int index);
    void setPlaceholderIcon() { setIcon(placeholderIcon()); }
    void setApplicationIcon() { setIcon(applicationIcon()); }

    // Icon number index of a file, or a null icon when there is none: a
    // Windows module (.exe, .dll) has one icon per icon group resource; a
    // picture Qt can read (.ico, .png, .svg, .xpm and the like) has icon 0
    // only; a desktop entry (.desktop) has the icon its Icon= key names, a
    // file or a name of the icon theme.
    static QIcon iconFromFile(const QString& file, int index);
    // The picture of an empty slot.
    static QIcon placeholderIcon();
    // The program's own icon, for entries whose icon cannot be read.
    static QIcon applicationIcon();

    // The hover mark.
    void setHot(bool hot);

    QSize sizeHint() const override { return QSize(kSize, kSize); }

signals:
    // An arrow key: step is +1 (right, down) or -1 (left, up).
    void stepRequested(int step);
    // The menu key or Shift+F10.
    void menuRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_hot = false;
};

}  // namespace vardel::ui
