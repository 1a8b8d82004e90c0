#pragma once
// The desktop program's own values in the settings store: the main window's
// placement ("wp.*") and the bar layout ("BarState", with the status bar's
// visibility), typed, over the one settings backend. The dialogs keep their
// sizes through DialogGeometry; the Find dialog keeps "Settings.Find" through
// the core's FindSettings over the session's backend.

#include "base/SettingsKeys.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>
#include <string>

namespace vardel {
class SettingsBackend;
}

namespace vardel::ui {

class QtSettingsBackend;

// The fields of a window placement record, as the store keeps them.
struct WindowPlacement {
    static constexpr int kShowNormal = 1;
    static constexpr int kShowMinimized = 2;
    static constexpr int kShowMaximized = 3;

    int showCmd = kShowNormal;
    int flags = 0;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    int left = 0, top = 0, right = 0, bottom = 0;  // the normal rectangle, right and bottom exclusive

    QRect normalRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
    void setNormalRect(const QRect& rect);
};

// True when the rectangle shares at least one pixel with one of the screens.
bool placementIsOnScreen(const QRect& normalRect, const QList<QRect>& screens);

// The placement stored in a section of any settings backend (the Find
// dialog keeps its own in "Settings.Find" through the session's); nothing
// when no "wp." value is stored. Missing single values keep the defaults.
std::optional<WindowPlacement> loadWindowPlacement(SettingsBackend& backend, const std::string& section);
void saveWindowPlacement(SettingsBackend& backend, const WindowPlacement& placement, const std::string& section);

class GuiSettings {
public:
    explicit GuiSettings(QtSettingsBackend& backend);

    // The stored placement; nothing when no "wp." value is stored. Missing
    // single values keep the record's defaults.
    std::optional<WindowPlacement> loadPlacement(const std::string& section = settings_keys::kSettings);
    void savePlacement(const WindowPlacement& placement, const std::string& section = settings_keys::kSettings);

    // The layout of the bars (QMainWindow::saveState); empty when none.
    QByteArray loadBarState();
    void saveBarState(const QByteArray& state);
    // Whether the status bar is shown (true when never saved).
    bool loadStatusBarVisible();
    void saveStatusBarVisible(bool visible);

    QtSettingsBackend& backend() { return m_backend; }

private:
    QtSettingsBackend& m_backend;
};

}  // namespace vardel::ui
