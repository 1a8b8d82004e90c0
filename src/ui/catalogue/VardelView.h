#pragma once
// CVardelView: the main view. The class selector above the category list on
// the left and the plug-in list on the right, in a splitter that shares a
// width change between the two lists. It owns the plug-in and category
// commands (as actions, with their availability) and their context menus.

#include "app/CatalogueView.h"
#include "catalogue/PluginEntry.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QSplitter;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class CatalogueCommands;
class CategoryListModel;
class ClassSelector;
class FileProbe;
class LabelListView;
class PluginListModel;
class SessionAdapter;

class CVardelView : public QWidget {
    Q_OBJECT
public:
    enum Command {
        LargePreview,
        Properties,
        Enable,
        Disable,
        Move,
        Rename,
        SelectAll,
        FindPlugins,
        CategoryEnable,
        CategoryDisable,
        CategoryMove,
        CategoryRename,
        CommandCount
    };

    CVardelView(CVardelSession& session, SessionAdapter& adapter, QWidget* parent = nullptr);
    ~CVardelView() override;

    QAction* action(Command command) const { return m_actions[command]; }
    QMenu* classMenu() const { return m_classMenu; }

    // The selected plug-ins, in list order.
    std::vector<CPluginEntry*> selectedPlugins() const;
    // The single selected plug-in; null for none or several.
    const CPluginEntry* singlePlugin() const;
    // The entry of the selected category item; null when none.
    const CPluginEntry* currentCategory() const;
    // The four status bar texts ("Categories: 12", "Plugins: 12", "Enabled: 11", "Selected: 1").
    QStringList indicatorTexts() const;

    // Shows the plug-in: its class, its category item, and it selected in
    // the plug-in list. False when it is not in the catalogue on show.
    bool showPlugin(const CPluginEntry* entry);
    // While a scan runs, no plug-in command is available.
    void setBusy(bool busy);
    // Nothing under way holds on to the catalogue on show: no label edit, no
    // drag, no command reading its files or asking, no scan.
    bool mayReplaceCatalogue() const;
    // The next catalogue that replaces the one on show keeps the class, the
    // category and the plug-ins selected now, where it still has them.
    void keepSelectionOnNextReplace();
    // Recomputes every action's availability (selection or catalogue changed).
    void updateAvailability();

    LabelListView* categoryList() const { return m_categoryList; }
    LabelListView* pluginList() const { return m_pluginList; }
    CategoryListModel* categoryModel() const { return m_categoryModel; }
    PluginListModel* pluginModel() const { return m_pluginModel; }
    CatalogueCommands* commands() const { return m_commands; }

signals:
    // The status bar indicators changed.
    void indicatorsChanged(const QStringList& texts);
    // The single selected plug-in changed (null for none or several).
    void currentPluginChanged(const vardel::CPluginEntry* entry);
    void statusMessage(const QString& text);

private:
    void createActions();
    void createLayout();
    void connectSession();
    void refillAll(const std::string& keepCategory, const std::vector<const CPluginEntry*>& keepPlugins);
    void fillPlugins(const std::vector<const CPluginEntry*>& keepPlugins);
    // What the empty category list says to do next.
    void showEmptyHint();
    void selectionChanged();
    void openDetails(int page);
    void openFind();
    void showPluginMenu(const QPoint& pos);
    void showCategoryMenu(const QPoint& pos);
    void onPluginsDropped(int row, const QVector<int>& entries);
    // Works out the room of the category row from its plug-in files on a
    // worker, then starts its label edit if it is still the current row.
    void editCategoryWhenRoomKnown(int row);

    CVardelSession& m_session;
    SessionAdapter& m_adapter;
    CatalogueCommands* m_commands = nullptr;
    FileProbe* m_roomProbe = nullptr;
    ClassSelector* m_classSelector = nullptr;
    LabelListView* m_categoryList = nullptr;
    LabelListView* m_pluginList = nullptr;
    CategoryListModel* m_categoryModel = nullptr;
    PluginListModel* m_pluginModel = nullptr;
    QSplitter* m_splitter = nullptr;
    QMenu* m_classMenu = nullptr;
    QActionGroup* m_classGroup = nullptr;
    std::array<QAction*, CommandCount> m_actions{};
    std::vector<QAction*> m_classActions;
    bool m_busy = false;
    bool m_filling = false;          // the category list is being refilled
    std::uint64_t m_generation = 0;  // counts catalogues; work queued for an old one is dropped
    const CPluginEntry* m_lastSingle = nullptr;
    // What the next catalogue keeps on show (KeepSelectionOnNextReplace).
    struct KeptSelection {
        std::string category;
        std::vector<PluginIdentity> plugins;
    };
    std::optional<KeptSelection> m_keep;
};

}  // namespace vardel::ui
