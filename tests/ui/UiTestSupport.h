#pragma once
// Helpers of the desktop program's suites: a data directory with test
// plug-ins and configured directories, and the whole program (settings,
// session, adapter, main window) built over it.

#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <Qt>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QAbstractItemView;
class QAction;
class QMenu;
class QMessageBox;
class QTemporaryDir;
class QWidget;

namespace vardel {
class CVardelSession;
}

namespace vardel::ui {
class CMainFrame;
class PluginDetailSheet;
class CVardelView;
class GuiSettings;
class QtSettingsBackend;
class SessionAdapter;
}  // namespace vardel::ui

namespace vardel::uitest {

// A data directory ("setup.db" and friends) below a temporary directory,
// with a "plugins" directory holding copies of the named test plug-ins.
class SampleData {
public:
    explicit SampleData(const std::vector<std::string>& plugins = {});

    std::filesystem::path Root() const { return m_temp.path(); }
    std::filesystem::path DataDir() const { return m_temp / "data"; }
    std::filesystem::path PluginDir() const { return m_temp / "plugins"; }
    QString SettingsFile() const;

    // Appends a directory entry (label, directory) to the stored directory
    // list; a separator entry when separator is true.
    void AddDirectory(const std::string& label, const std::filesystem::path& directory, bool subdirectories = false,
                      bool separator = false);

private:
    test::TempDir m_temp;
};

// A collection of four test plug-in files in five categories (pipl_three,
// pipl_nocat, pipl_single, ff_filter), set up as directory 0 "Test plug-ins".
std::unique_ptr<SampleData> FourFileCollection();

// The program as main() builds it, over a sample's data and settings.
class Program {
public:
    explicit Program(const SampleData& sample);
    ~Program();

    ui::CMainFrame& Frame() { return *m_frame; }
    ui::CVardelView& view();
    ui::SessionAdapter& Adapter() { return *m_adapter; }
    CVardelSession& Session() { return *m_session; }
    ui::QtSettingsBackend& backend() { return *m_backend; }

    // Shows the window, opens the Directory menu with F4, clicks item n and
    // waits for the scan.
    bool SelectDirectory(int n);
    // Clicks the category item with that text; false when there is none.
    bool SelectCategory(const QString& text);
    // Clicks the first of these plug-ins and Ctrl-clicks the others; for
    // none, Ctrl-clicks the selected ones.
    bool SelectPlugins(const QStringList& names);
    // Closes the window and runs the session's exit.
    void Close();

private:
    std::unique_ptr<ui::QtSettingsBackend> m_backend;
    std::unique_ptr<ui::GuiSettings> m_gui;
    std::unique_ptr<CVardelSession> m_session;
    std::unique_ptr<ui::SessionAdapter> m_adapter;
    std::unique_ptr<ui::CMainFrame> m_frame;
    bool m_closed = false;
};

// The program's translation (and Qt's own) for a language while it lives.
class ScopedTranslation {
public:
    explicit ScopedTranslation(const QString& language);
    ~ScopedTranslation();
    ScopedTranslation(const ScopedTranslation&) = delete;
    ScopedTranslation& operator=(const ScopedTranslation&) = delete;
    // The language installed, "" when none could be.
    QString Language() const { return m_language; }

private:
    QString m_language;
};

// Opens "Plugin Details" of a listed plug-in of the view with a double
// click; the sheet, or null when it does not open.
ui::PluginDetailSheet* openDetails(Program& program, const QString& name);
// Clicks the OK button of a dialog's button box.
void ClickOk(QWidget* dialog);

// Where a suite's pictures of its windows go: the directory VARDEL_SHOTS
// names (to look at them by eye), else a temporary directory of the test's own.
class PictureShelf {
public:
    PictureShelf();
    ~PictureShelf();
    QString Dir() const { return m_dir; }
    // Shows the widget, waits for it on screen, grabs it into name.png and
    // hides it. False when it does not show, the picture is blank (one
    // colour) or cannot be saved.
    bool Shoot(QWidget& widget, const QString& name);

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_dir;
};

// Whether the file's bytes hold the text.
bool FileHolds(const std::filesystem::path& file, const std::string& text);
// The message box with that object name once it shows (waits a moment).
QMessageBox* WaitForBox(const QString& name);

// The texts of a list view's rows.
QStringList RowTexts(const QAbstractItemModel& model);

// Input as a person makes it: mouse events at the item's rectangle in the
// view's viewport (scrolled into view first), keys to the focused widget.
QPoint RowCentre(QAbstractItemView& view, int row);
void ClickRow(QAbstractItemView& view, int row, Qt::KeyboardModifiers modifiers = {});
void DoubleClickRow(QAbstractItemView& view, int row);
// A right click through the view's window, so that the context menu event
// comes as it does from the platform.
void RightClickRow(QAbstractItemView& view, int row);
// Drags row of from (with the rows selected there) onto row of to: a press,
// a move past the drag distance that starts the view's own drag, and the
// moves and release of the drag loop over the target, ending in a real drop.
// Needs a platform that drags (xcb under Xvfb); false when the drag did not
// end on the target.
bool DragRow(QAbstractItemView& from, int row, QAbstractItemView& to, int targetRow);
// Clicks the row with that text; false when there is none.
bool ClickRowText(QAbstractItemView& view, const QString& text, Qt::KeyboardModifiers modifiers = {});
// A click at the middle of a widget (a button, a check box).
void ClickWidget(QWidget* widget);
// Clicks the main toolbar's button of an action.
void ClickToolButton(ui::CMainFrame& frame, QAction* action);
// Clicks an item of an open menu.
void ClickMenuItem(QMenu* menu, QAction* action);
// The menu's action with that object name; null when there is none.
QAction* ActionNamed(QMenu* menu, const char* name);
// Opens a menu of the menu bar with Alt and its letter and clicks its item
// of that object name; false (the menu closed) when it is not there or not
// available.
bool ChooseFromMenuBar(ui::CMainFrame& frame, Qt::Key mnemonic, const char* action);
// The menu that pops up and is visible now; null when none (waits a moment).
QMenu* OpenPopupMenu();
// The widget with the keyboard focus (the application's).
QWidget* FocusWidget();
// Sends a key to the focused widget.
void PressKey(int key, Qt::KeyboardModifiers modifiers = {});

}  // namespace vardel::uitest
