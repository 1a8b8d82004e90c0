#include "ui/mainwindow/HistoryActions.h"

#include "app/ChangeFollow.h"
#include "app/Session.h"
#include "app/TroublemakerSearch.h"
#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/dialogs/HistoryDialog.h"
#include "ui/dialogs/TroublemakerDialog.h"
#include "ui/resources/Icons.h"
#include "ui/session/UserMessages.h"

#include <QAction>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace vardel::ui {

namespace {

QAction* Make(QWidget* parent, const char* name, const QString& text, const QString& tip, const QString& icon)
{
    auto* action = new QAction(commandIcon(icon, QString()), text, parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(tip);
    action->setToolTip(tip);
    parent->addAction(action);
    return action;
}

}  // namespace

HistoryActions::HistoryActions(CVardelSession& session, QWidget* window,
                               std::function<std::vector<const CPluginEntry*>()> selection)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_selection(std::move(selection))
{
    m_undo = Make(window, "undoAction", tr("&Undo"), tr("Take back the last change to plug-in files"),
                  QStringLiteral("edit-undo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = Make(window, "redoAction", tr("&Redo"), tr("Make the change taken back last again"),
                  QStringLiteral("edit-redo"));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_history = Make(window, "historyAction", tr("&History..."),
                     tr("The changes made to plug-in files, newest first; take back any of them"),
                     QStringLiteral("document-open-recent"));
    m_troublemaker = Make(window, "troublemakerAction", tr("Find &Troublemaker..."),
                          tr("Find the plug-in file that breaks a host by disabling half of them at a time"),
                          QStringLiteral("system-search"));
    connect(m_undo, &QAction::triggered, this, &HistoryActions::undo);
    connect(m_redo, &QAction::triggered, this, &HistoryActions::redo);
    connect(m_history, &QAction::triggered, this, &HistoryActions::showHistory);
    connect(m_troublemaker, &QAction::triggered, this, &HistoryActions::showTroublemaker);
    updateActions();
}

void HistoryActions::updateActions(bool scanning)
{
    m_scanning = scanning;
    const bool idle = !m_busy && !scanning;
    const bool mayWrite = m_session.MayWrite();
    const auto undo = m_busy ? std::nullopt : m_session.History().NextUndo();
    const auto redo = m_busy ? std::nullopt : m_session.History().NextRedo();
    m_undo->setEnabled(idle && mayWrite && undo.has_value());
    m_redo->setEnabled(idle && mayWrite && redo.has_value());
    // The command's name goes into the tip, not the menu text: the menu's
    // mnemonics stay as they are.
    m_undo->setStatusTip(undo ? tr("Undo: %1").arg(fromCodePage(undo->label))
                              : tr("Take back the last change to plug-in files"));
    m_redo->setStatusTip(redo ? tr("Redo: %1").arg(fromCodePage(redo->label))
                              : tr("Make the change taken back last again"));
    m_undo->setToolTip(m_undo->statusTip());
    m_redo->setToolTip(m_redo->statusTip());
    m_history->setEnabled(!scanning);
    m_troublemaker->setEnabled(idle && mayWrite && (m_session.IsCatalogueShown() || m_session.Troublemaker().Active()));
}

HistoryDialog* HistoryActions::openHistory() const
{
    return m_historyDialog;
}

TroublemakerDialog* HistoryActions::openTroublemaker() const
{
    return m_troublemakerDialog;
}

QMessageBox* HistoryActions::resolutionQuestion() const
{
    return m_question;
}

void HistoryActions::changed()
{
    if (m_busy)
        return;
    updateActions(m_scanning);
    emit historyChanged();
}

void HistoryActions::undo()
{
    run([](CChangeHistory& h) { return h.Undo(); });
}

void HistoryActions::redo()
{
    run([](CChangeHistory& h) { return h.Redo(); });
}

void HistoryActions::takeBack(std::uint32_t id)
{
    run([id](CChangeHistory& h) { return h.TakeBack(id); });
}

void HistoryActions::resolve(std::uint32_t id, bool complete)
{
    run([id, complete](CChangeHistory& h) { return h.Resolve(id, complete); });
}

void HistoryActions::run(std::function<HistoryResult(CChangeHistory&)> work)
{
    if (m_busy || m_scanning || !m_session.MayWrite())
        return;
    m_busy = true;
    updateActions(m_scanning);
    emit busyChanged(true);
    emit status(tr("Changing plug-in files..."));
    // The history guards itself; the window thread does not touch it until
    // the outcome is delivered.
    CChangeHistory* history = &m_session.History();
    QPointer<HistoryActions> self(this);
    WorkerThreads::run([history, work = std::move(work), self] {
        HistoryResult result = work(*history);
        WorkerThreads::deliver([self, result = std::move(result)] {
            if (self)
                self->finished(result);
        });
    });
}

void HistoryActions::finished(const HistoryResult& result)
{
    m_busy = false;
    const auto saved = FollowInSession(m_session, result.moved, result.side);
    updateActions(m_scanning);
    emit busyChanged(false);
    emit historyChanged();
    if (!result.ok && result.message) {
        emit status(tr("Nothing was changed."));
        showMessage(m_window, messageText(*result.message));
        return;
    }
    if (saved)
        showMessage(m_window, messageText(*saved));
    emit status(result.side == ChangeSide::Before ? tr("Taken back.") : tr("Done again."));
}

void HistoryActions::offerResolution()
{
    if (!m_session.MayWrite() || m_question)
        return;
    const auto incomplete = m_session.History().Incomplete();
    if (incomplete.empty())
        return;
    const JournalCommand command = incomplete.front();
    auto* box = new QMessageBox(QMessageBox::Warning, messageTitle(),
                                tr("A change to plug-in files was cut short: \"%1\".").arg(fromCodePage(command.label)),
                                QMessageBox::NoButton, m_window);
    box->setObjectName(QStringLiteral("incompleteQuestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(tr("Complete it, or roll it back so that every file is as it was before? Either way "
                               "each file is checked first."));
    QPushButton* complete = box->addButton(tr("&Complete"), QMessageBox::AcceptRole);
    complete->setObjectName(QStringLiteral("completeButton"));
    QPushButton* rollBack = box->addButton(tr("&Roll Back"), QMessageBox::DestructiveRole);
    rollBack->setObjectName(QStringLiteral("rollBackButton"));
    box->addButton(tr("&Later"), QMessageBox::RejectRole)->setObjectName(QStringLiteral("laterButton"));
    box->setDefaultButton(rollBack);
    const std::uint32_t id = command.id;
    connect(box, &QMessageBox::finished, this, [this, box, complete, rollBack, id] {
        if (box->clickedButton() == complete)
            resolve(id, true);
        else if (box->clickedButton() == rollBack)
            resolve(id, false);
    });
    m_question = box;
    box->open();
}

void HistoryActions::showHistory()
{
    if (m_historyDialog) {
        m_historyDialog->raise();
        m_historyDialog->activateWindow();
        return;
    }
    auto* dialog = new HistoryDialog(m_session, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &HistoryDialog::takeBackRequested, this, &HistoryActions::takeBack);
    connect(dialog, &HistoryDialog::resolveRequested, this, &HistoryActions::resolve);
    connect(this, &HistoryActions::historyChanged, dialog, &HistoryDialog::refresh);
    connect(this, &HistoryActions::busyChanged, dialog, &HistoryDialog::setBusy);
    m_historyDialog = dialog;
    dialog->show();
}

void HistoryActions::showTroublemaker()
{
    if (m_troublemakerDialog) {
        m_troublemakerDialog->raise();
        m_troublemakerDialog->activateWindow();
        return;
    }
    auto* dialog = new TroublemakerDialog(m_session, m_selection, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &TroublemakerDialog::busyChanged, this, [this](bool busy) {
        m_busy = busy;
        updateActions(m_scanning);
        emit busyChanged(busy);
    });
    m_troublemakerDialog = dialog;
    dialog->show();
}

}  // namespace vardel::ui
