#include "ui/catalogue/ViewActions.h"

#include "app/CatalogueView.h"
#include "app/FreeMemory.h"
#include "ui/find/FindDialog.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/resources/Icons.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QTimer>

namespace vardel::ui {

namespace {

QAction* Make(QWidget* parent, const char* name, const QString& text, const QString& tip, const QIcon& icon = {})
{
    auto* action = new QAction(icon, text, parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(tip);
    action->setToolTip(tip);
    return action;
}

}  // namespace

ViewActionArray createViewActions(QWidget* parent)
{
    ViewActionArray a{};
    a[CVardelView::LargePreview] = Make(
        parent, "largePreviewAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Large Preview..."),
        QCoreApplication::translate("vardel::ui::CVardelView", "Show the plug-in's details with its large preview"),
        commandIcon(QStringLiteral("zoom-in"), QStringLiteral("preview")));
    a[CVardelView::Properties] = Make(
        parent, "propertiesAction", QCoreApplication::translate("vardel::ui::CVardelView", "Plugin &Properties..."),
        QCoreApplication::translate("vardel::ui::CVardelView", "Show the plug-in's general properties"),
        commandIcon(QStringLiteral("document-properties"), QStringLiteral("properties")));
    a[CVardelView::Enable] =
        Make(parent, "enableAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Enable"),
             QCoreApplication::translate("vardel::ui::CVardelView", "Enable the selected plug-ins"),
             commandIcon(QStringLiteral("dialog-ok-apply"), QStringLiteral("enable")));
    a[CVardelView::Disable] =
        Make(parent, "disableAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Disable"),
             QCoreApplication::translate("vardel::ui::CVardelView", "Disable the selected plug-ins"),
             commandIcon(QStringLiteral("process-stop"), QStringLiteral("disable")));
    a[CVardelView::Move] =
        Make(parent, "moveAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Move..."),
             QCoreApplication::translate("vardel::ui::CVardelView", "Move the selected plug-ins to another category"),
             commandIcon(QStringLiteral("go-jump"), QStringLiteral("move")));
    a[CVardelView::Rename] =
        Make(parent, "renameAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Rename..."),
             QCoreApplication::translate("vardel::ui::CVardelView", "Rename the selected plug-in"),
             commandIcon(QStringLiteral("edit-rename"), QStringLiteral("rename")));
    a[CVardelView::SelectAll] =
        Make(parent, "selectAllAction", QCoreApplication::translate("vardel::ui::CVardelView", "Select &All"),
             QCoreApplication::translate("vardel::ui::CVardelView", "Select every plug-in of the list"),
             commandIcon(QStringLiteral("edit-select-all"), QString()));
    a[CVardelView::SelectAll]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    a[CVardelView::FindPlugins] =
        Make(parent, "findAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Find Plugins"),
             QCoreApplication::translate("vardel::ui::CVardelView", "Search the catalogue for plug-ins"),
             commandIcon(QStringLiteral("edit-find"), QStringLiteral("find")));
    a[CVardelView::FindPlugins]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    a[CVardelView::CategoryEnable] =
        Make(parent, "categoryEnableAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Enable"),
             QCoreApplication::translate("vardel::ui::CVardelView", "Enable every plug-in of the category"),
             commandIcon(QStringLiteral("dialog-ok-apply"), QStringLiteral("enable")));
    a[CVardelView::CategoryDisable] =
        Make(parent, "categoryDisableAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Disable"),
             QCoreApplication::translate("vardel::ui::CVardelView", "Disable every plug-in of the category"),
             commandIcon(QStringLiteral("process-stop"), QStringLiteral("disable")));
    a[CVardelView::CategoryMove] =
        Make(parent, "categoryMoveAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Move..."),
             QCoreApplication::translate("vardel::ui::CVardelView",
                                         "Move every plug-in of the category to another category"));
    a[CVardelView::CategoryRename] =
        Make(parent, "categoryRenameAction", QCoreApplication::translate("vardel::ui::CVardelView", "&Rename..."),
             QCoreApplication::translate("vardel::ui::CVardelView", "Rename the category in every plug-in file of it"));
    for (QAction* action : a)
        action->setEnabled(false);
    return a;
}

QString className(int cls)
{
    static const char* const names[] = {
        QT_TRANSLATE_NOOP("vardel::ui::ClassNames", "Photoshop Filter Plugins"),
        QT_TRANSLATE_NOOP("vardel::ui::ClassNames", "Photoshop General Plugins"),
        QT_TRANSLATE_NOOP("vardel::ui::ClassNames", "After Effects Effect Plugins"),
        QT_TRANSLATE_NOOP("vardel::ui::ClassNames", "After Effects General Plugins"),
        QT_TRANSLATE_NOOP("vardel::ui::ClassNames", "Illustrator Plugins"),
        QT_TRANSLATE_NOOP("vardel::ui::ClassNames", "Premiere Filter Plugins"),
        QT_TRANSLATE_NOOP("vardel::ui::ClassNames", "Premiere General Plugins"),
    };
    const std::string core = ClassSelectorText(cls);
    for (const char* n : names)
        if (core == n)
            return QCoreApplication::translate("vardel::ui::ClassNames", n);
    return QString::fromStdString(core);
}

void openDetailSheet(CVardelSession& session, const CPluginEntry& entry, int page, QWidget* parent)
{
    PluginDetailSheet::openFor(session, entry, page == 0 ? PluginDetailSheet::First : PluginDetailSheet::General,
                               parent);
}

void openFindDialog(CVardelSession& session, QWidget* parent)
{
    auto* dialog = new FindDialog(session, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The hits and the search's copies of the catalogue go with it: their
    // memory goes back to the system once its parts are gone too.
    QObject::connect(dialog, &QObject::destroyed, [] { QTimer::singleShot(0, [] { ReleaseFreeMemory(); }); });
    dialog->open();
}

}  // namespace vardel::ui
