#include "ui/mainwindow/DirectoryMenu.h"

#include "app/Session.h"
#include "catalogue/PluginDirEntry.h"
#include "ui/common/Convert.h"
#include "ui/resources/Icons.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace vardel::ui {

DirectoryMenu::DirectoryMenu(CVardelSession& session, QWidget* parent)
    : QObject(parent)
    , m_session(session)
    , m_menu(new QMenu(tr("D&irectory"), parent))
{
    m_menu->setObjectName(QStringLiteral("directoryMenu"));
    m_menu->setToolTipsVisible(true);
    m_menu->setIcon(commandIcon(QStringLiteral("folder-open"), QStringLiteral("folder")));
    rebuild();
}

void DirectoryMenu::rebuild()
{
    m_menu->clear();
    const DirectoryList& list = m_session.Directories();
    const int count = std::min<int>(kMaxItems, static_cast<int>(list.size()));
    for (int n = 0; n < count; ++n) {
        const CPluginDirEntry& entry = *list[static_cast<std::size_t>(n)];
        if (entry.m_separator) {
            m_menu->addSeparator();
            continue;
        }
        const QIcon icon = entry.m_includeSubdirectories
                               ? commandIcon(QStringLiteral("folder-tree"), QStringLiteral("folder-tree"))
                               : commandIcon(QStringLiteral("folder"), QStringLiteral("folder"));
        // An ampersand in a label is shown, not taken as a mnemonic.
        QString label = fromCodePage(entry.m_label);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = m_menu->addAction(icon, label);
        action->setObjectName(QStringLiteral("directoryAction%1").arg(n));
        const QString path = fromStoredPath(entry.m_directory);
        action->setStatusTip(path);
        action->setToolTip(path.left(80));
        action->setEnabled(!m_busy);
        connect(action, &QAction::triggered, this, [this, n] { emit directoryChosen(n); });
    }
}

void DirectoryMenu::setBusy(bool busy)
{
    m_busy = busy;
    for (QAction* action : m_menu->actions())
        if (!action->isSeparator())
            action->setEnabled(!busy);
}

void DirectoryMenu::popupBelow(QWidget* widget)
{
    if (!widget || m_menu->isEmpty())
        return;
    m_menu->popup(widget->mapToGlobal(QPoint(0, widget->height())));
    // Opened from the keyboard: the first directory is highlighted, so that
    // Enter takes it and the arrow keys start from it.
    for (QAction* action : m_menu->actions()) {
        if (!action->isSeparator() && action->isEnabled()) {
            m_menu->setActiveAction(action);
            break;
        }
    }
}

}  // namespace vardel::ui
