#pragma once
// The actions of the main view's commands with their texts, shortcuts, tips
// and icons, the translated class names, and the two windows the view opens
// ("Plugin Details" and "Find Plugins").

#include "ui/catalogue/VardelView.h"

#include <QString>

#include <array>

class QAction;
class QWidget;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

using ViewActionArray = std::array<QAction*, CVardelView::CommandCount>;

// Creates the view's actions, owned by parent, each with an object name
// ("enableAction", "categoryRenameAction", ...).
ViewActionArray createViewActions(QWidget* parent);

// The translated title of plug-in class cls; "" for none.
QString className(int cls);

// Opens "Plugin Details" on its first page (page 0) or " General Properties ".
void openDetailSheet(CVardelSession& session, const CPluginEntry& entry, int page, QWidget* parent);
// Runs "Find Plugins" modally.
void openFindDialog(CVardelSession& session, QWidget* parent);

}  // namespace vardel::ui
