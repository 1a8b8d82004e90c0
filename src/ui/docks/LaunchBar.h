#pragma once
// The launch bar: ten icon buttons, each starting an application the user
// configured. An empty slot shows a placeholder; clicking it opens "Add
// Application to Launch Bar". A filled slot starts its application; its
// context menu edits or clears it. Every change is saved at once.

#include <QPointer>
#include <QWidget>

#include <array>

class QBoxLayout;
class QMenu;

namespace vardel {
class CVardelSession;
class CLaunchBarEntry;
}  // namespace vardel

namespace vardel::ui {

class IconButton;
class LaunchBarEntryDialog;

class LaunchBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSlots = 10;
    static constexpr int kSpacing = 3;

    // Works on the session's launch bar list, topped up to ten slots.
    LaunchBar(vardel::CVardelSession& session, QWidget* parent = nullptr);

    // Button of a slot (object name "launchButton<slot>"); null outside 0..9.
    IconButton* button(int slot) const;
    // Horizontal (a row, the default) or vertical (a column).
    void setOrientation(Qt::Orientation orientation);
    Qt::Orientation orientation() const { return m_orientation; }

    // The context menu of a slot ("&Edit...", "&Delete"), parented to the
    // bar; null for an empty slot.
    QMenu* createContextMenu(int slot);
    // Index of the slot whose context menu was asked for last, -1 at first.
    int menuSlot() const { return m_menuSlot; }

public slots:
    // What a click does: starts a filled slot, edits an empty one.
    void activateSlot(int slot);
    // Opens the edit dialog for a slot (not modal to the application's
    // loop); OK updates the button and saves. Returns the dialog, null
    // outside 0..9.
    LaunchBarEntryDialog* editSlot(int slot);
    // Clears label, command, arguments, directory and icon of a slot (the
    // show command stays), shows the placeholder and saves.
    void deleteSlot(int slot);
    // Starts a slot's application; false when it could not be started.
    bool startSlot(int slot);
    // Shows a slot's entry on its button (icon, tooltip, status tip).
    void refreshSlot(int slot);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    vardel::CLaunchBarEntry* entry(int slot) const;
    // Remembers the slot and pops up its menu (none for an empty slot).
    void showContextMenu(int slot, const QPoint& globalPos);
    void save();

    vardel::CVardelSession& m_session;
    QBoxLayout* m_layout;
    std::array<IconButton*, kSlots> m_buttons{};
    Qt::Orientation m_orientation = Qt::Horizontal;
    int m_menuSlot = -1;
    QPointer<LaunchBarEntryDialog> m_dialog;
};

}  // namespace vardel::ui
