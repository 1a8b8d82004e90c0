#pragma once
// CMainFrame: the program's one top-level window. Menus, the toolbar, the
// status bar with the message pane and the four indicators, the launch bar,
// the preview bar and the information bar, around the main view. Keeps its
// placement and the bars' layout in the settings between runs.

#include "ui/mainwindow/FrameActions.h"

#include <QMainWindow>

#include <filesystem>
#include <string>
#include <system_error>
#include <QMessageBox>
#include <QPointer>

class QDockWidget;
class QToolBar;
class QToolButton;

namespace vardel {
class CVardelSession;
struct UserMessage;
}  // namespace vardel

namespace vardel::ui {

class CVardelView;
class DiskFollower;
class DirectoryMenu;
class HistoryActions;
class GuiSettings;
class InformationBar;
class LaunchBar;
class PreviewBar;
class SessionAdapter;
class StatusPanes;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CVardelSession& session, SessionAdapter& adapter, GuiSettings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Applies the stored placement when its rectangle lies on a screen and
    // shows the window (maximised when it was). False when nothing stored
    // could be used; the window is then shown at its default size.
    bool restorePlacementAndShow();
    // Saves placement and bar layout (closing does it too).
    void savePlacement();

    CVardelView* view() const { return m_view; }
    CVardelSession& session() const { return m_session; }
    DirectoryMenu* directories() const { return m_directoryMenu; }
    HistoryActions* history() const { return m_history; }
    DiskFollower* follower() const { return m_follower; }
    const FrameActions& actions() const { return m_actions; }
    QToolButton* directoryButton() const { return m_directoryButton; }

    // Where the manual is: next to the program's share directory, then in
    // the build tree. Empty when not found.
    static QString manualPath();

    // The share of a maximised window's width the bars get (percent), and
    // the most they get.
    static constexpr int kBarShare = 30;
    static constexpr int kBarShareLimit = 640;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void createBars();
    void connectSession();
    void updateFrameActions();
    void updateTitle();
    void showUserMessage(const UserMessage& message);
    void moveFocus(int step);
    void shareWidthWithBars();
    void runSetup();
    // "D&uplicates...", and a copy it asks to show (choosing its directory first).
    void openDuplicates();
    void showPluginOf(int directory, const std::string& path);
    // "&Export Catalogue...": a file dialog, then the rows written on a worker.
    void exportCatalogue();
    void exportWritten(const std::filesystem::path& file, std::error_code error, int rows);
    // Opens the manual (at a section, "" for its start) in the browser; says
    // where it is when no browser can be started.
    void openManual(const QString& section);

    CVardelSession& m_session;
    SessionAdapter& m_adapter;
    GuiSettings& m_settings;
    FrameActions m_actions;
    CVardelView* m_view = nullptr;
    DirectoryMenu* m_directoryMenu = nullptr;
    HistoryActions* m_history = nullptr;
    StatusPanes* m_panes = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolButton* m_directoryButton = nullptr;
    QToolBar* m_launchToolBar = nullptr;
    QDockWidget* m_previewDock = nullptr;
    QDockWidget* m_informationDock = nullptr;
    LaunchBar* m_launchBar = nullptr;
    PreviewBar* m_previewBar = nullptr;
    InformationBar* m_informationBar = nullptr;
    DiskFollower* m_follower = nullptr;
    bool m_toldNotWritable = false;
    bool m_followingDisk = false;         // the scan under way is a refresh after changes on disk
    bool m_closeAfterScan = false;        // a close waits for the stopped scan to end
    bool m_savedAtClose = false;          // the stores were saved as the window closed
    QPointer<QMessageBox> m_lastMessage;  // the message box shown last, while it is open
};

}  // namespace vardel::ui
