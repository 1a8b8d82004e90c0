#include "ui/mainwindow/FrameActions.h"

#include "ui/resources/Icons.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QWidget>

namespace vardel::ui {

namespace {

QAction* Make(QWidget* parent, const char* name, const QString& text, const QString& tip, const QIcon& icon = {},
              const QKeySequence& shortcut = {})
{
    auto* action = new QAction(icon, text, parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(tip);
    action->setToolTip(tip);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    parent->addAction(action);
    return action;
}

}  // namespace

FrameActions createFrameActions(QWidget* parent)
{
    FrameActions a;
    a.setup = Make(parent, "setupAction", QCoreApplication::translate("vardel::ui::CMainFrame", "&Setup..."),
                   QCoreApplication::translate("vardel::ui::CMainFrame", "Set up the plug-in directories and the scan"),
                   commandIcon(QStringLiteral("preferences-system"), QStringLiteral("setup")));
    a.exportCatalogue = Make(
        parent, "exportAction", QCoreApplication::translate("vardel::ui::CMainFrame", "&Export Catalogue..."),
        QCoreApplication::translate("vardel::ui::CMainFrame", "Write the catalogue shown as a CSV table or a web page"),
        commandIcon(QStringLiteral("document-export"), QString()));
    a.duplicates =
        Make(parent, "duplicatesAction", QCoreApplication::translate("vardel::ui::CMainFrame", "D&uplicates..."),
             QCoreApplication::translate("vardel::ui::CMainFrame",
                                         "Find plug-ins installed twice or shown twice, across every directory"),
             commandIcon(QStringLiteral("edit-copy"), QString()));
    a.print = Make(parent, "printAction", QCoreApplication::translate("vardel::ui::CMainFrame", "&Print..."),
                   QCoreApplication::translate("vardel::ui::CMainFrame", "Print (not available)"),
                   commandIcon(QStringLiteral("document-print"), QString()), QKeySequence(Qt::CTRL | Qt::Key_P));
    a.print->setEnabled(false);
    a.exit = Make(parent, "exitAction", QCoreApplication::translate("vardel::ui::CMainFrame", "E&xit"),
                  QCoreApplication::translate("vardel::ui::CMainFrame", "Quit Vardel"),
                  commandIcon(QStringLiteral("application-exit"), QString()), QKeySequence(Qt::ALT | Qt::Key_F4));
    a.statusBar = Make(parent, "statusBarAction", QCoreApplication::translate("vardel::ui::CMainFrame", "&Status Bar"),
                       QCoreApplication::translate("vardel::ui::CMainFrame", "Show or hide the status bar"));
    a.statusBar->setCheckable(true);
    a.statusBar->setChecked(true);
    a.selectDirectory =
        Make(parent, "selectDirectoryAction",
             QCoreApplication::translate("vardel::ui::CMainFrame", "Select plugin directory"),
             QCoreApplication::translate("vardel::ui::CMainFrame", "Select plugin directory"),
             commandIcon(QStringLiteral("folder-open"), QStringLiteral("folder")), QKeySequence(Qt::Key_F4));
    a.rescan = Make(parent, "rescanAction", QCoreApplication::translate("vardel::ui::CMainFrame", "Re-&Scan all"),
                    QCoreApplication::translate("vardel::ui::CMainFrame",
                                                "Re-Scan all Plugins, bypassing the Plugin cache mechanism"),
                    commandIcon(QStringLiteral("view-refresh"), QString()));
    a.manual = Make(parent, "manualAction", QCoreApplication::translate("vardel::ui::CMainFrame", "&Manual..."),
                    QCoreApplication::translate("vardel::ui::CMainFrame", "Open the manual in the web browser"),
                    commandIcon(QStringLiteral("help-contents"), QStringLiteral("manual")));
    a.tip = Make(parent, "tipAction", QCoreApplication::translate("vardel::ui::CMainFrame", "&Tip of the day..."),
                 QCoreApplication::translate("vardel::ui::CMainFrame", "Show the tip of the day"),
                 commandIcon(QStringLiteral("help-hint"), QStringLiteral("tip")));
    a.about = Make(parent, "aboutAction", QCoreApplication::translate("vardel::ui::CMainFrame", "&About Vardel..."),
                   QCoreApplication::translate("vardel::ui::CMainFrame", "Show the program's version and credits"),
                   commandIcon(QStringLiteral("help-about"), QStringLiteral("about")));
    a.website = Make(parent, "websiteAction", QCoreApplication::translate("vardel::ui::CMainFrame", "Vardel &Website"),
                     QCoreApplication::translate("vardel::ui::CMainFrame", "Open Vardel's own page in the manual"),
                     commandIcon(QStringLiteral("internet-web-browser"), QStringLiteral("website")));
    a.cancelScan =
        Make(parent, "cancelScanAction", QCoreApplication::translate("vardel::ui::CMainFrame", "Cancel scan"),
             QCoreApplication::translate("vardel::ui::CMainFrame", "Stop the scan"), {}, QKeySequence(Qt::Key_Escape));
    a.cancelScan->setEnabled(false);
    a.nextPane = Make(parent, "nextPaneAction", QCoreApplication::translate("vardel::ui::CMainFrame", "Next pane"),
                      QCoreApplication::translate("vardel::ui::CMainFrame", "Move the focus to the next pane"), {},
                      QKeySequence(Qt::Key_F6));
    a.previousPane =
        Make(parent, "previousPaneAction", QCoreApplication::translate("vardel::ui::CMainFrame", "Previous pane"),
             QCoreApplication::translate("vardel::ui::CMainFrame", "Move the focus to the previous pane"), {},
             QKeySequence(Qt::SHIFT | Qt::Key_F6));
    return a;
}

}  // namespace vardel::ui
