#include "ui/docks/LaunchBar.h"

#include "app/LaunchBarEntry.h"
#include "app/Session.h"
#include "ui/common/Convert.h"
#include "ui/common/IconButton.h"
#include "ui/dialogs/LaunchBarEntryDialog.h"

#include <QBoxLayout>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace vardel::ui {
namespace {

bool isDesktopEntry(const QFileInfo& info)
{
    return info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0;
}

}  // namespace

LaunchBar::LaunchBar(vardel::CVardelSession& session, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_layout(new QBoxLayout(QBoxLayout::LeftToRight, this))
{
    setObjectName(QStringLiteral("launchBar"));
    LaunchBarList& list = m_session.LaunchBar();
    while (list.size() < kSlots)
        list.push_back(std::make_unique<CLaunchBarEntry>());

    m_layout->setContentsMargins(2, 2, 2, 2);
    m_layout->setSpacing(kSpacing);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
    for (int slot = 0; slot < kSlots; ++slot) {
        auto* button = new IconButton(this);
        button->setObjectName(QStringLiteral("launchButton%1").arg(slot));
        connect(button, &IconButton::clicked, this, [this, slot] { activateSlot(slot); });
        // The keyboard walks along the bar and opens a slot's menu.
        connect(button, &IconButton::stepRequested, this, [this, slot](int step) {
            if (IconButton* next = this->button((slot + step + kSlots) % kSlots))
                next->setFocus(Qt::TabFocusReason);
        });
        connect(button, &IconButton::menuRequested, this,
                [this, slot, button] { showContextMenu(slot, button->mapToGlobal(button->rect().center())); });
        m_buttons[static_cast<std::size_t>(slot)] = button;
        m_layout->addWidget(button);
        refreshSlot(slot);
    }
}

IconButton* LaunchBar::button(int slot) const
{
    return slot >= 0 && slot < kSlots ? m_buttons[static_cast<std::size_t>(slot)] : nullptr;
}

void LaunchBar::setOrientation(Qt::Orientation orientation)
{
    m_orientation = orientation;
    m_layout->setDirection(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
}

QMenu* LaunchBar::createContextMenu(int slot)
{
    const CLaunchBarEntry* e = entry(slot);
    if (!e || e->IsEmpty())
        return nullptr;
    auto* menu = new QMenu(tr("Launchbar Context"), this);
    menu->setObjectName(QStringLiteral("launchbarContext"));
    QAction* edit = menu->addAction(tr("&Edit..."), this, [this, slot] { editSlot(slot); });
    edit->setObjectName(QStringLiteral("editAction"));
    edit->setStatusTip(tr("Edit launch bar entry"));
    QAction* remove = menu->addAction(tr("&Delete"), this, [this, slot] { deleteSlot(slot); });
    remove->setObjectName(QStringLiteral("deleteAction"));
    remove->setStatusTip(tr("Delete launch bar entry"));
    return menu;
}

void LaunchBar::activateSlot(int slot)
{
    const CLaunchBarEntry* e = entry(slot);
    if (!e)
        return;
    if (e->IsEmpty()) {
        editSlot(slot);
        return;
    }
    startSlot(slot);
    button(slot)->setHot(false);
}

LaunchBarEntryDialog* LaunchBar::editSlot(int slot)
{
    CLaunchBarEntry* e = entry(slot);
    if (!e)
        return nullptr;
    // One dialog at a time: each edits an entry of the one list.
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return m_dialog;
    }
    auto* dialog = new LaunchBarEntryDialog(*e, m_session.GetSettingsBackend(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, slot] {
        refreshSlot(slot);
        save();
    });
    m_dialog = dialog;
    dialog->open();
    return dialog;
}

void LaunchBar::deleteSlot(int slot)
{
    CLaunchBarEntry* e = entry(slot);
    if (!e)
        return;
    e->m_label.clear();
    e->m_command.clear();
    e->m_initialDirectory.clear();
    e->m_arguments.clear();
    e->m_iconPath.clear();
    e->m_iconIndex = 0;
    refreshSlot(slot);
    save();
}

bool LaunchBar::startSlot(int slot)
{
    const CLaunchBarEntry* e = entry(slot);
    if (!e || e->IsEmpty() || e->m_command.empty())
        return false;
    const QString command = fromStoredPath(e->m_command);
    const QFileInfo info(command);
    // Documents, folders and desktop entries open with the desktop's choice
    // of program; anything else is run as a program (found along PATH when
    // it has no directory).
    if (info.exists() && (isDesktopEntry(info) || info.isDir() || !info.isExecutable()))
        return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    const QStringList arguments = QProcess::splitCommand(fromStoredPath(e->m_arguments));
    QProcess process;
    process.setProgram(command);
    process.setArguments(arguments);
    process.setWorkingDirectory(fromStoredPath(e->m_initialDirectory));
#ifdef Q_OS_WIN
    if (e->m_showCommand == CLaunchBarEntry::kShowMaximized)
        process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
            args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
            args->startupInfo->wShowWindow = SW_SHOWMAXIMIZED;
        });
#endif
    return process.startDetached();
}

void LaunchBar::refreshSlot(int slot)
{
    IconButton* b = button(slot);
    const CLaunchBarEntry* e = entry(slot);
    if (!b || !e)
        return;
    if (e->IsEmpty()) {
        b->setPlaceholderIcon();
        b->setText(QString());
        b->setToolTip(tr("Empty slot: click to add an application"));
        b->setStatusTip(tr("Add an application to the launch bar"));
    } else {
        if (!b->setIconFromFile(fromStoredPath(e->m_iconPath), e->m_iconIndex))
            b->setApplicationIcon();
        const QString label = fromCodePage(e->m_label);
        b->setText(label);
        b->setToolTip(label);
        b->setStatusTip(label);
    }
    b->update();
}

void LaunchBar::contextMenuEvent(QContextMenuEvent* event)
{
    for (int slot = 0; slot < kSlots; ++slot) {
        IconButton* b = button(slot);
        if (!b->geometry().contains(event->pos()))
            continue;
        showContextMenu(slot, event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

void LaunchBar::showContextMenu(int slot, const QPoint& globalPos)
{
    m_menuSlot = slot;
    if (QMenu* menu = createContextMenu(slot)) {
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(globalPos);
    }
    button(slot)->setHot(false);
}

CLaunchBarEntry* LaunchBar::entry(int slot) const
{
    LaunchBarList& list = m_session.LaunchBar();
    if (slot < 0 || slot >= kSlots || static_cast<std::size_t>(slot) >= list.size())
        return nullptr;
    return list[static_cast<std::size_t>(slot)].get();
}

void LaunchBar::save()
{
    // A failed save keeps the old store; the slots stay as edited.
    m_session.SaveLaunchBar();
}

}  // namespace vardel::ui
