#include "ui/mainwindow/MainFrame.h"

#include "app/CatalogueExport.h"
#include "app/ExportWriters.h"
#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/VardelView.h"
#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/DuplicatesDialog.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/dialogs/TipDialog.h"
#include "ui/docks/InformationBar.h"
#include "ui/docks/LaunchBar.h"
#include "ui/mainwindow/DirectoryMenu.h"
#include "ui/mainwindow/HistoryActions.h"
#include "ui/mainwindow/StatusPanes.h"
#include "ui/preview/FilterPreview.h"
#include "ui/preview/PreviewBar.h"
#include "ui/resources/Icons.h"
#include "ui/session/DiskFollower.h"
#include "ui/session/SessionAdapter.h"
#include "ui/session/UserMessages.h"
#include "ui/settings/GuiSettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace vardel::ui {

CMainFrame::CMainFrame(CVardelSession& session, SessionAdapter& adapter, GuiSettings& settings, QWidget* parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_adapter(adapter)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(applicationIcon());
    m_actions = createFrameActions(this);
    m_view = new CVardelView(session, adapter, this);
    setCentralWidget(m_view);
    m_directoryMenu = new DirectoryMenu(session, this);
    m_panes = new StatusPanes(statusBar());
    // The troublemaker search takes a selection of several plug-ins, else
    // the whole directory on show.
    m_history = new HistoryActions(session, this, [this] {
        std::vector<const CPluginEntry*> entries;
        const auto selected = m_view->selectedPlugins();
        if (selected.size() > 1)
            entries.assign(selected.begin(), selected.end());
        else
            for (const auto& e : m_session.Catalogue().m_entries)
                entries.push_back(e.get());
        return entries;
    });
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    // The view follows what others do to the shown directory's files, once
    // nothing the user does holds on to the catalogue on show.
    m_follower = new DiskFollower(
        adapter,
        [this] {
            return !m_adapter.isScanning() && !QApplication::activeModalWidget() &&
                   !QApplication::activePopupWidget() && m_view->mayReplaceCatalogue();
        },
        this);
    connect(m_follower, &DiskFollower::diskChanged, this, [this] {
        const int shown = m_session.CurrentDirectoryIndex();
        m_view->keepSelectionOnNextReplace();
        m_followingDisk = m_adapter.startSelect(shown);
    });

    createToolBar();
    createBars();
    createMenus();
    connectSession();

    const QByteArray state = m_settings.loadBarState();
    if (!state.isEmpty())
        restoreState(state);
    const bool statusBarVisible = m_settings.loadStatusBarVisible();
    statusBar()->setVisible(statusBarVisible);
    m_actions.statusBar->setChecked(statusBarVisible);

    m_panes->setMessage(tr("Ready"));
    m_panes->setIndicators(m_view->indicatorTexts());
    updateTitle();
    updateFrameActions();
    resize(1000, 680);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createMenus()
{
    using V = CVardelView;
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    file->addAction(m_actions.setup);
    file->addAction(m_actions.exportCatalogue);
    file->addAction(m_actions.print);
    file->addSeparator();
    file->addAction(m_actions.exit);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    edit->addAction(m_history->undoAction());
    edit->addAction(m_history->redoAction());
    edit->addAction(m_history->historyAction());
    edit->addSeparator();
    edit->addAction(m_view->action(V::SelectAll));
    edit->addAction(m_view->action(V::FindPlugins));
    addAction(m_view->action(V::SelectAll));
    addAction(m_view->action(V::FindPlugins));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    view->addAction(m_toolBar->toggleViewAction());
    view->addAction(m_actions.statusBar);
    view->addAction(m_launchToolBar->toggleViewAction());
    view->addAction(m_previewDock->toggleViewAction());
    view->addAction(m_informationDock->toggleViewAction());

    QMenu* plugin = menuBar()->addMenu(tr("&Plugin"));
    plugin->setObjectName(QStringLiteral("pluginMenu"));
    plugin->addMenu(m_directoryMenu->menu());
    plugin->addAction(m_actions.rescan);
    plugin->addAction(m_actions.duplicates);
    plugin->addAction(m_history->troublemakerAction());
    plugin->addSeparator();
    plugin->addAction(m_view->action(V::LargePreview));
    plugin->addAction(m_view->action(V::Properties));
    plugin->addSeparator();
    plugin->addAction(m_view->action(V::Enable));
    plugin->addAction(m_view->action(V::Disable));
    plugin->addAction(m_view->action(V::Move));
    plugin->addAction(m_view->action(V::Rename));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    help->addAction(m_actions.manual);
    help->addAction(m_actions.tip);
    help->addSeparator();
    help->addAction(m_actions.about);
    help->addAction(m_actions.website);
}

void CMainFrame::createToolBar()
{
    using V = CVardelView;
    m_toolBar = addToolBar(tr("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->toggleViewAction()->setText(tr("&Toolbar"));
    m_toolBar->toggleViewAction()->setObjectName(QStringLiteral("toggleToolbarAction"));
    m_toolBar->toggleViewAction()->setStatusTip(tr("Show or hide the toolbar"));
    m_toolBar->setIconSize(QSize(22, 22));
    m_toolBar->addAction(m_actions.setup);

    m_directoryButton = new QToolButton(m_toolBar);
    m_directoryButton->setObjectName(QStringLiteral("directoryButton"));
    m_directoryButton->setDefaultAction(m_actions.selectDirectory);
    m_directoryButton->setPopupMode(QToolButton::InstantPopup);
    m_directoryButton->setMenu(m_directoryMenu->menu());
    m_toolBar->addWidget(m_directoryButton);

    m_toolBar->addAction(m_view->action(V::FindPlugins));
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_view->action(V::Enable));
    m_toolBar->addAction(m_view->action(V::Disable));
    m_toolBar->addAction(m_view->action(V::Move));
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_actions.about);
}

void CMainFrame::createBars()
{
    // The launch bar sits in the toolbar row, right of the toolbar.
    m_launchToolBar = addToolBar(tr("Launchbar"));
    m_launchToolBar->setObjectName(QStringLiteral("launchToolBar"));
    m_launchToolBar->toggleViewAction()->setText(tr("&Launch Bar"));
    m_launchToolBar->toggleViewAction()->setObjectName(QStringLiteral("toggleLaunchBarAction"));
    m_launchToolBar->toggleViewAction()->setStatusTip(tr("Show or hide the launch bar"));
    m_launchBar = new LaunchBar(m_session, m_launchToolBar);
    m_launchBar->setObjectName(QStringLiteral("launchBar"));
    m_launchToolBar->addWidget(m_launchBar);
    connect(m_launchToolBar, &QToolBar::orientationChanged, m_launchBar, &LaunchBar::setOrientation);

    m_previewDock = new QDockWidget(tr("Preview"), this);
    m_previewDock->setObjectName(QStringLiteral("previewDock"));
    m_previewDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_previewBar = new PreviewBar(m_session, m_previewDock);
    m_previewDock->setWidget(m_previewBar);
    // Filter Factory filters show a live rendering in the bar's window.
    FilterPreview::attachTo(m_session, m_previewBar);
    m_previewDock->toggleViewAction()->setText(tr("Plugin Pre&view"));
    m_previewDock->toggleViewAction()->setObjectName(QStringLiteral("togglePreviewAction"));
    m_previewDock->toggleViewAction()->setStatusTip(tr("Show or hide the plug-in preview"));
    addDockWidget(Qt::RightDockWidgetArea, m_previewDock);

    m_informationDock = new QDockWidget(tr("Plugin Information"), this);
    m_informationDock->setObjectName(QStringLiteral("informationDock"));
    m_informationDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_informationBar = new InformationBar(m_session, m_informationDock);
    m_informationDock->setWidget(m_informationBar);
    m_informationDock->toggleViewAction()->setText(tr("&Plugin Information"));
    m_informationDock->toggleViewAction()->setObjectName(QStringLiteral("toggleInformationAction"));
    m_informationDock->toggleViewAction()->setStatusTip(tr("Show or hide the plug-in information"));
    addDockWidget(Qt::RightDockWidgetArea, m_informationDock);
    splitDockWidget(m_previewDock, m_informationDock, Qt::Vertical);

    connect(m_previewBar, &PreviewBar::largePreviewRequested, m_view->action(CVardelView::LargePreview),
            &QAction::trigger);
}

void CMainFrame::connectSession()
{
    connect(m_actions.setup, &QAction::triggered, this, &CMainFrame::runSetup);
    connect(m_actions.exit, &QAction::triggered, this, &QWidget::close);
    connect(m_actions.duplicates, &QAction::triggered, this, &CMainFrame::openDuplicates);
    connect(m_actions.exportCatalogue, &QAction::triggered, this, &CMainFrame::exportCatalogue);
    connect(m_actions.statusBar, &QAction::toggled, statusBar(), &QWidget::setVisible);
    connect(m_actions.selectDirectory, &QAction::triggered, this, [this] {
        // F4: the button shows pressed while its menu is open, as after a click.
        if (m_directoryMenu->menu()->isEmpty())
            return;
        m_directoryButton->setDown(true);
        m_directoryMenu->popupBelow(m_directoryButton);
    });
    connect(m_directoryMenu->menu(), &QMenu::aboutToHide, m_directoryButton,
            [this] { m_directoryButton->setDown(false); });
    connect(m_actions.rescan, &QAction::triggered, &m_adapter, &SessionAdapter::startRescan);
    connect(m_actions.manual, &QAction::triggered, this, [this] { openManual({}); });
    // The program's own page is the manual's section about it: there is no
    // address on the web to promise.
    connect(m_actions.website, &QAction::triggered, this, [this] { openManual(QStringLiteral("about")); });
    connect(m_actions.about, &QAction::triggered, this, [this] {
        auto* dialog = new AboutDialog(m_session, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    connect(m_actions.tip, &QAction::triggered, this, [this] {
        auto* dialog = new TipDialog(m_session.GetSettingsBackend(), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    connect(m_actions.cancelScan, &QAction::triggered, &m_adapter, &SessionAdapter::cancelScan);
    connect(m_actions.nextPane, &QAction::triggered, this, [this] { moveFocus(1); });
    connect(m_actions.previousPane, &QAction::triggered, this, [this] { moveFocus(-1); });

    connect(m_directoryMenu, &DirectoryMenu::directoryChosen, &m_adapter, &SessionAdapter::startSelect);
    connect(m_panes, &StatusPanes::cancelRequested, &m_adapter, &SessionAdapter::cancelScan);

    connect(&m_adapter, &SessionAdapter::directoryListChanged, this, [this] {
        m_directoryMenu->rebuild();
        updateFrameActions();
    });
    connect(&m_adapter, &SessionAdapter::catalogueReplaced, this, [this] {
        updateTitle();
        updateFrameActions();
    });
    connect(&m_adapter, &SessionAdapter::statusText, m_panes, &StatusPanes::setMessage);
    // The bars follow what other windows and commands change.
    connect(&m_adapter, &SessionAdapter::previewImagesChanged, m_previewBar, &PreviewBar::imagesChanged);
    connect(&m_adapter, &SessionAdapter::descriptionChanged, m_informationBar, &InformationBar::descriptionChanged);
    connect(&m_adapter, &SessionAdapter::entriesChanged, m_informationBar, &InformationBar::entriesChanged);
    connect(&m_adapter, &SessionAdapter::message, this, &CMainFrame::showUserMessage);
    connect(&m_adapter, &SessionAdapter::scanningChanged, this, [this](bool scanning) {
        m_panes->setScanning(scanning);
        m_view->setBusy(scanning);
        m_directoryMenu->setBusy(scanning);
        updateFrameActions();
    });
    connect(&m_adapter, &SessionAdapter::scanProgress, m_panes, &StatusPanes::setProgress);
    connect(&m_adapter, &SessionAdapter::scanFinished, this, [this](bool done, bool cancelled, int) {
        if (std::exchange(m_followingDisk, false) && done)
            m_panes->setMessage(tr("Plug-in files changed on disk: the catalogue was refreshed."));
        else
            m_panes->setMessage(cancelled ? tr("Scan stopped; the catalogue is as it was.") : tr("Ready"));
        if (m_closeAfterScan)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });

    // Every change the editor records, and every new catalogue, changes what undo and redo can do.
    connect(&m_adapter, &SessionAdapter::entriesChanged, m_history, &HistoryActions::changed);
    connect(&m_adapter, &SessionAdapter::catalogueReplaced, m_history, &HistoryActions::changed);
    connect(m_history, &HistoryActions::status, m_panes, &StatusPanes::setMessage);
    connect(m_history, &HistoryActions::busyChanged, this, [this](bool busy) { m_view->setBusy(busy); });

    connect(m_view, &CVardelView::indicatorsChanged, m_panes, &StatusPanes::setIndicators);
    connect(m_view, &CVardelView::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text, 5000); });
    connect(m_view, &CVardelView::currentPluginChanged, this, [this](const CPluginEntry* entry) {
        m_previewBar->showPlugin(entry);
        if (entry)
            m_informationBar->showPlugin(entry);
        else
            m_informationBar->clear();
    });
}

void CMainFrame::updateFrameActions()
{
    const bool idle = !m_adapter.isScanning();
    m_actions.setup->setEnabled(idle);
    m_actions.selectDirectory->setEnabled(idle && !m_session.Directories().empty());
    m_directoryButton->setEnabled(idle && !m_session.Directories().empty());
    m_actions.rescan->setEnabled(idle && m_session.CanRescan());
    m_actions.duplicates->setEnabled(idle && !m_session.Directories().empty());
    m_actions.exportCatalogue->setEnabled(idle && m_session.IsCatalogueShown());
    m_actions.cancelScan->setEnabled(!idle);
    m_history->updateActions(!idle);
}

void CMainFrame::updateTitle()
{
    // Without a directory on show the document is "Untitled", in the user's language.
    const QString title = m_session.IsUntitled() ? tr("Untitled") : fromCodePage(m_session.Title());
    setWindowTitle(tr("%1 - Vardel 2.0").arg(title));
}

void CMainFrame::showUserMessage(const UserMessage& message)
{
    // A data directory that cannot be written is told once, not at every save.
    if (message.code == MessageCode::DataDirectoryNotWritable) {
        if (m_toldNotWritable)
            return;
        m_toldNotWritable = true;
    }
    QMessageBox* box = showMessage(this, messageText(message));
    m_lastMessage = box;
    // A catalogue file that cannot be used is replaced on request, and the
    // directory scanned afresh.
    const int directory = m_adapter.lastSelectRequest();
    if (message.code == MessageCode::CatalogueOutsideDataDir && directory >= 0) {
        QPushButton* renew = box->addButton(tr("&New Catalogue File"), QMessageBox::AcceptRole);
        renew->setObjectName(QStringLiteral("renewButton"));
        box->addButton(QMessageBox::Cancel);
        box->removeButton(box->button(QMessageBox::Ok));
        box->setDefaultButton(renew);
        connect(box, &QMessageBox::finished, this, [this, box, renew, directory] {
            if (box->clickedButton() != renew)
                return;
            if (!m_session.RenewCatalogueFile(directory)) {
                showMessage(this, tr("No new catalogue file could be made in %1.")
                                      .arg(fromStoredPath(m_session.GetDataDirectory().SetupDb().string())));
                return;
            }
            m_adapter.startSelect(directory);
        });
    }
}

void CMainFrame::runSetup()
{
    if (m_adapter.isScanning())
        return;
    auto* dialog = new SetupDialog(m_session, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Its changes to the directory list are made as they come; whichever
    // button closes it, the session then saves and the views follow.
    connect(dialog, &QDialog::finished, this, [this] {
        m_session.AfterSetup();
        m_directoryMenu->rebuild();
        updateTitle();
        updateFrameActions();
    });
    dialog->open();
}

void CMainFrame::openDuplicates()
{
    if (m_adapter.isScanning())
        return;
    auto* dialog = new DuplicatesDialog(m_session, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &DuplicatesDialog::showRequested, this, &CMainFrame::showPluginOf);
    dialog->open();
}

void CMainFrame::showPluginOf(int directory, const std::string& path)
{
    const auto show = [this, path] {
        for (const auto& e : m_session.Catalogue().m_entries)
            if (e->m_path == path || e->RealPath() == path)
                return m_view->showPlugin(e.get());
        return false;
    };
    if (m_session.CurrentDirectoryIndex() == directory && m_session.IsCatalogueShown()) {
        show();
        return;
    }
    // Another directory: chosen first, the plug-in shown once it is on show.
    auto* connection = new QMetaObject::Connection;
    *connection = connect(&m_adapter, &SessionAdapter::scanFinished, this, [connection, show](bool done) {
        QObject::disconnect(*connection);
        delete connection;
        if (done)
            show();
    });
    if (!m_adapter.startSelect(directory)) {
        QObject::disconnect(*connection);
        delete connection;
    }
}

void CMainFrame::exportCatalogue()
{
    if (!m_session.IsCatalogueShown() || m_adapter.isScanning())
        return;
    auto* dialog = new QFileDialog(this, tr("Export Catalogue"));
    dialog->setObjectName(QStringLiteral("exportDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    const QString csv = tr("CSV table (*.csv)");
    const QString html = tr("Web page (*.html)");
    dialog->setNameFilters({csv, html});
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->selectFile(fromCodePage(m_session.Title()) + QStringLiteral(".csv"));
    connect(dialog, &QFileDialog::filterSelected, dialog, [dialog, html](const QString& filter) {
        dialog->setDefaultSuffix(filter == html ? QStringLiteral("html") : QStringLiteral("csv"));
    });
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) {
        const bool asHtml = file.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) ||
                            file.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive);
        // Every plug-in file is read for its machine, signature and block:
        // on a worker, over copies of the catalogue and the descriptions.
        auto source = SnapshotForExport(m_session.Catalogue(), m_session.Descriptions());
        const DataDirectory dataDir = m_session.GetDataDirectory();
        const std::string title = fromCodePage(m_session.Title()).toStdString();
        const std::filesystem::path target(file.toStdU16String());
        m_panes->setMessage(tr("Exporting the catalogue..."));
        QPointer<CMainFrame> self(this);
        WorkerThreads::run([source, dataDir, title, target, asHtml, self] {
            const auto rows = CollectExportRows(*source->catalogue, *source->descriptions);
            const std::string text = asHtml ? ExportHtml(rows, title) : ExportCsv(rows);
            const std::error_code ec = WriteExportFile(dataDir, target, text);
            const auto count = static_cast<int>(rows.size());
            WorkerThreads::deliver([self, ec, target, count] {
                if (self)
                    self->exportWritten(target, ec, count);
            });
        });
    });
    dialog->open();
}

void CMainFrame::exportWritten(const std::filesystem::path& file, std::error_code error, int rows)
{
    const QString path = QDir::toNativeSeparators(QString::fromStdU16String(file.u16string()));
    if (!error) {
        m_panes->setMessage(tr("%n plug-in(s) exported to %1.", nullptr, rows).arg(path));
        return;
    }
    m_panes->setMessage(tr("Ready"));
    showMessage(this, error == std::errc::operation_not_supported
                          ? tr("An export is never written into setup.db, where the program keeps its stores.")
                          : tr("The export could not be written to %1: %2")
                                .arg(path, QString::fromLocal8Bit(error.message().c_str())));
}

void CMainFrame::moveFocus(int step)
{
    QList<QWidget*> panes = {m_view->categoryList(), m_view->pluginList()};
    if (m_previewDock->isVisible())
        panes << m_previewBar;
    if (m_informationDock->isVisible())
        panes << m_informationBar;
    if (m_launchToolBar->isVisible())
        panes << m_launchBar;
    int at = -1;
    for (int i = 0; i < panes.size(); ++i)
        if (panes[i] == focusWidget() || panes[i]->isAncestorOf(focusWidget()))
            at = i;
    const int next = at < 0 ? 0 : (at + step + panes.size()) % panes.size();
    QWidget* target = panes[next];
    // A bar takes the focus on its first control that accepts it.
    if (target->focusPolicy() == Qt::NoFocus && target->nextInFocusChain() &&
        target->isAncestorOf(target->nextInFocusChain()))
        target = target->nextInFocusChain();
    target->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

QString CMainFrame::manualPath()
{
    const QString base = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {base + QStringLiteral("/../share/doc/vardel/manual.html"),
                                     base + QStringLiteral("/../../share/doc/vardel/manual.html")}) {
        const QFileInfo info(candidate);
        if (info.isFile())
            return info.canonicalFilePath();
    }
    return {};
}

void CMainFrame::openManual(const QString& section)
{
    const QString path = manualPath();
    if (path.isEmpty()) {
        showMessage(this, tr("The manual was not found next to the program."));
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (!section.isEmpty())
        url.setFragment(section);
    if (!QDesktopServices::openUrl(url)) {
        QMessageBox* box = showMessage(this,
                                       tr("No web browser could be started to show the manual. It is the file\n%1")
                                           .arg(QDir::toNativeSeparators(path)),
                                       QMessageBox::Information);
        box->setObjectName(QStringLiteral("noBrowserBox"));
        box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
}

bool CMainFrame::restorePlacementAndShow()
{
    const auto placement = m_settings.loadPlacement();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->geometry();
    if (!placement || !placementIsOnScreen(placement->normalRect(), screens)) {
        show();
        return false;
    }
    setGeometry(placement->normalRect());
    if (placement->showCmd == WindowPlacement::kShowMaximized)
        showMaximized();
    else
        show();
    return true;
}

void CMainFrame::savePlacement()
{
    WindowPlacement p;
    p.showCmd = isMaximized() ? WindowPlacement::kShowMaximized
                              : (isMinimized() ? WindowPlacement::kShowMinimized : WindowPlacement::kShowNormal);
    p.setNormalRect(isMaximized() || isMinimized() ? normalGeometry() : geometry());
    m_settings.savePlacement(p);
    m_settings.saveBarState(saveState());
    m_settings.saveStatusBarVisible(m_actions.statusBar->isChecked());
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // A maximised window gives the bars their share of the new width; the
    // main view would take it all otherwise.
    if (event->type() == QEvent::WindowStateChange && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        QTimer::singleShot(0, this, &CMainFrame::shareWidthWithBars);
}

void CMainFrame::shareWidthWithBars()
{
    const int share = std::min(width() * kBarShare / 100, kBarShareLimit);
    QList<QDockWidget*> docks;
    QList<int> widths;
    for (QDockWidget* dock : {m_previewDock, m_informationDock})
        if (dock->isVisible() && !dock->isFloating() && dock->width() < share) {
            docks << dock;
            widths << share;
        }
    if (!docks.isEmpty())
        resizeDocks(docks, widths, Qt::Horizontal);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A running scan is stopped first (the catalogue shown stays as it was);
    // the window closes once the scan has ended, without waiting here.
    if (m_adapter.isScanning()) {
        m_closeAfterScan = true;
        m_adapter.cancelScan();
        event->ignore();
        return;
    }
    // The stores are saved while the window is still there: what the saves
    // have to tell (a damaged store kept aside) is read before it goes.
    if (!m_savedAtClose) {
        m_savedAtClose = true;
        m_lastMessage = nullptr;
        m_session.Exit();
        if (m_lastMessage) {
            event->ignore();
            connect(m_lastMessage, &QDialog::finished, this, &QWidget::close, Qt::QueuedConnection);
            return;
        }
    }
    savePlacement();
    event->accept();
}

}  // namespace vardel::ui
