#include "ui/catalogue/VardelView.h"

#include "app/CatalogueView.h"
#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "modify/CommandAvailability.h"
#include "ui/catalogue/CatalogueCommands.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/ClassSelector.h"
#include "ui/catalogue/FileProbe.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/ViewActions.h"
#include "ui/dialogs/CategoryDialog.h"
#include "ui/session/SessionAdapter.h"

#include <QAction>
#include <QActionGroup>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace vardel::ui {

CVardelView::CVardelView(CVardelSession& session, SessionAdapter& adapter, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_adapter(adapter)
{
    setObjectName(QStringLiteral("vardelView"));
    m_commands = new CatalogueCommands(session, this);
    m_roomProbe = new FileProbe(this);
    m_categoryModel = new CategoryListModel(this);
    m_pluginModel = new PluginListModel(this);
    createActions();
    createLayout();
    connectSession();
    refillAll({}, {});
}

CVardelView::~CVardelView() = default;

void CVardelView::createActions()
{
    m_actions = createViewActions(this);
    m_classMenu = new QMenu(this);
    m_classMenu->setObjectName(QStringLiteral("classMenu"));
    m_classGroup = new QActionGroup(this);
    m_classGroup->setExclusive(true);
    for (const ClassCommand& c : ClassCommands({}, -1)) {
        if (c.separatorBefore)
            m_classMenu->addSeparator();
        auto* action = m_classMenu->addAction(className(c.index));
        action->setObjectName(QStringLiteral("classAction%1").arg(c.index));
        action->setCheckable(true);
        action->setActionGroup(m_classGroup);
        const int cls = c.index;
        connect(action, &QAction::triggered, this, [this, cls] {
            if (!m_busy)
                m_session.SelectClass(cls);
        });
        m_classActions.push_back(action);
    }

    connect(m_actions[LargePreview], &QAction::triggered, this, [this] { openDetails(0); });
    connect(m_actions[Properties], &QAction::triggered, this, [this] { openDetails(1); });
    connect(m_actions[Enable], &QAction::triggered, this,
            [this] { m_commands->enablePlugins(selectedPlugins(), true); });
    connect(m_actions[Disable], &QAction::triggered, this,
            [this] { m_commands->enablePlugins(selectedPlugins(), false); });
    connect(m_actions[Move], &QAction::triggered, this, [this] { m_commands->movePlugins(selectedPlugins()); });
    connect(m_actions[Rename], &QAction::triggered, this, [this] {
        const auto selection = selectedPlugins();
        if (!CanRenamePlugin(selection))
            return;
        m_pluginList->setFocus();
        m_pluginList->startEdit(m_pluginModel->index(m_pluginModel->rowOf(selection.front())));
    });
    connect(m_actions[SelectAll], &QAction::triggered, this, [this] {
        m_pluginList->selectAll();
        m_pluginList->setFocus();
    });
    connect(m_actions[FindPlugins], &QAction::triggered, this, &CVardelView::openFind);
    connect(m_actions[CategoryEnable], &QAction::triggered, this, [this] {
        if (const CPluginEntry* c = currentCategory())
            m_commands->enableCategory(*c, true);
    });
    connect(m_actions[CategoryDisable], &QAction::triggered, this, [this] {
        if (const CPluginEntry* c = currentCategory())
            m_commands->enableCategory(*c, false);
    });
    connect(m_actions[CategoryMove], &QAction::triggered, this, [this] {
        if (const CPluginEntry* c = currentCategory())
            m_commands->moveCategory(*c);
    });
    connect(m_actions[CategoryRename], &QAction::triggered, this, [this] {
        const QModelIndex current = m_categoryList->currentIndex();
        m_categoryList->setFocus();
        m_categoryList->startEdit(current);
    });
}

void CVardelView::createLayout()
{
    m_classSelector = new ClassSelector(this);
    m_classSelector->setClassMenu(m_classMenu);

    m_categoryList = new LabelListView(CategoryListModel::LimitRole, this);
    m_categoryList->setObjectName(QStringLiteral("categoryList"));
    m_categoryList->setModel(m_categoryModel);
    m_categoryList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_categoryList->setDragDropMode(QAbstractItemView::DropOnly);
    m_categoryList->setAcceptDrops(true);
    m_categoryList->setDropIndicatorShown(true);
    m_categoryList->setEditGuard([this](const QModelIndex& index) {
        const int row = index.row();
        if (m_busy || !m_categoryModel->canMove(row))
            return false;
        const int limit = m_categoryModel->knownLimit(row);
        if (limit >= 0)
            return limit > 0;
        // The room is read from every plug-in file of the category, on a
        // worker; the edit starts once it is known.
        editCategoryWhenRoomKnown(row);
        return false;
    });

    m_pluginList = new LabelListView(PluginListModel::LimitRole, this);
    m_pluginList->setObjectName(QStringLiteral("pluginList"));
    m_pluginList->setModel(m_pluginModel);
    m_pluginList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pluginList->setDragEnabled(true);
    m_pluginList->setDragDropMode(QAbstractItemView::DragOnly);
    m_pluginList->setDefaultDropAction(Qt::MoveAction);
    m_pluginList->setEditGuard([this](const QModelIndex& index) {
        const auto selection = selectedPlugins();
        return !m_busy && CanRenamePlugin(selection) && selection.front() == m_pluginModel->entryAt(index.row()) &&
               m_pluginModel->nameRoom(index.row()) > 0;
    });

    // However small the window, both lists keep room for a name.
    const int chars = fontMetrics().averageCharWidth();
    m_categoryList->setMinimumWidth(chars * 16);
    m_pluginList->setMinimumWidth(chars * 20);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(3);
    leftLayout->addWidget(m_classSelector);
    leftLayout->addWidget(m_categoryList, 1);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(3);
    // The plug-in list starts level with the category list.
    rightLayout->addSpacing(m_classSelector->sizeHint().height());
    rightLayout->addWidget(m_pluginList, 1);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("viewSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(left);
    m_splitter->addWidget(right);
    // A width change goes half to each list.
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({1, 1});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_splitter);

    // Context menus, in the order the commands are listed.
    connect(m_pluginList, &QWidget::customContextMenuRequested, this, &CVardelView::showPluginMenu);
    connect(m_categoryList, &QWidget::customContextMenuRequested, this, &CVardelView::showCategoryMenu);
    connect(m_pluginList, &QAbstractItemView::doubleClicked, this, [this] { openDetails(0); });
    connect(m_pluginList, &LabelListView::returnPressed, this, [this] { openDetails(0); });
    connect(m_pluginList, &LabelListView::selectionChangedByUser, this, &CVardelView::selectionChanged);
    connect(m_categoryList->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { fillPlugins({}); });

    // Edited labels are written once the editor has closed: the write may
    // rebuild the lists.
    connect(m_pluginModel, &PluginListModel::renameRequested, this, [this](int row, const QString& text) {
        CPluginEntry* entry = m_pluginModel->entryAt(row);
        QTimer::singleShot(0, this, [this, entry, text, generation = m_generation] {
            if (generation == m_generation && entry)
                m_commands->renamePlugin(*entry, text);
        });
    });
    connect(m_categoryModel, &CategoryListModel::renameRequested, this, [this](int row, const QString& text) {
        const CPluginEntry* entry = m_categoryModel->entryAt(row);
        QTimer::singleShot(0, this, [this, entry, text, generation = m_generation] {
            if (generation == m_generation && entry)
                m_commands->renameCategory(*entry, text);
        });
    });
    connect(m_categoryModel, &CategoryListModel::pluginsDropped, this, &CVardelView::onPluginsDropped);
}

void CVardelView::editCategoryWhenRoomKnown(int row)
{
    const CPluginEntry* entry = m_categoryModel->entryAt(row);
    if (!entry)
        return;
    m_roomProbe->run<int>(CategoryLimitWork(m_categoryModel->members(row)),
                          [this, entry, generation = m_generation](int limit) {
                              if (generation != m_generation || m_busy)
                                  return;
                              // The list may have been refilled meanwhile: the row is the entry's.
                              int at = -1;
                              for (int r = 0; r < m_categoryModel->rowCount() && at < 0; ++r)
                                  if (m_categoryModel->entryAt(r) == entry)
                                      at = r;
                              if (at < 0)
                                  return;
                              m_categoryModel->setLimit(at, limit);
                              // Only while it is still the category the user meant.
                              if (m_categoryList->currentIndex().row() == at && limit > 0)
                                  m_categoryList->startEdit(m_categoryModel->index(at));
                          });
}

void CVardelView::connectSession()
{
    connect(&m_adapter, &SessionAdapter::catalogueAboutToBeReplaced, this, [this] {
        ++m_generation;
        m_roomProbe->cancel();
        m_commands->abandon();
        m_pluginModel->clear();
        m_categoryModel->clear();
        m_lastSingle = nullptr;
        emit currentPluginChanged(nullptr);
    });
    connect(&m_adapter, &SessionAdapter::catalogueReplaced, this, [this] {
        if (!m_keep) {
            refillAll({}, {});
            return;
        }
        const KeptSelection keep = std::move(*m_keep);
        m_keep.reset();
        refillAll(keep.category, FindByIdentity(m_session.Catalogue(), keep.plugins));
    });
    // A scan that ended without a new catalogue keeps nothing for the next.
    connect(&m_adapter, &SessionAdapter::scanFinished, this, [this] { m_keep.reset(); });
    connect(&m_adapter, &SessionAdapter::directoryListChanged, this, &CVardelView::showEmptyHint);
    connect(&m_adapter, &SessionAdapter::orderChanged, this, [this] {
        const CPluginEntry* category = currentCategory();
        const auto selected = selectedPlugins();
        refillAll(category ? category->m_category : std::string(),
                  std::vector<const CPluginEntry*>(selected.begin(), selected.end()));
    });
    connect(&m_adapter, &SessionAdapter::entriesChanged, this, [this](const QVector<const CPluginEntry*>& entries) {
        m_pluginModel->EntriesChanged(std::vector<const CPluginEntry*>(entries.begin(), entries.end()));
        m_categoryModel->refreshIcons();
        const CPluginEntry* single = singlePlugin();
        if (single && entries.contains(single))
            emit currentPluginChanged(single);
        updateAvailability();
        emit indicatorsChanged(indicatorTexts());
    });
    connect(m_commands, &CatalogueCommands::status, this, &CVardelView::statusMessage);
    connect(m_commands, &CatalogueCommands::categoryWritten, this,
            [this](const std::string& category, bool wholeCategory) {
                const int row = m_categoryModel->rowOfText(category);
                const CPluginEntry* current = currentCategory();
                if (row < 0 || (!wholeCategory && current))
                    return;
                m_categoryList->setCurrentIndex(m_categoryModel->index(row));
            });
}

bool CVardelView::mayReplaceCatalogue() const
{
    return !m_busy && !m_commands->isProbing() && !m_commands->openDialog() && !m_commands->openQuestion() &&
           !m_roomProbe->isRunning() && m_categoryList->isIdle() && m_pluginList->isIdle();
}

void CVardelView::keepSelectionOnNextReplace()
{
    KeptSelection keep;
    if (const CPluginEntry* category = currentCategory())
        keep.category = category->m_category;
    for (const CPluginEntry* entry : selectedPlugins())
        keep.plugins.push_back(IdentityOf(*entry));
    m_keep = std::move(keep);
}

void CVardelView::refillAll(const std::string& keepCategory, const std::vector<const CPluginEntry*>& keepPlugins)
{
    const int cls = m_session.SelectedClass();
    m_classSelector->setText(className(cls));
    const auto commands = ClassCommands(m_session.ClassCounts(), cls);
    for (std::size_t i = 0; i < commands.size() && i < m_classActions.size(); ++i) {
        m_classActions[i]->setChecked(commands[i].checked);
        m_classActions[i]->setEnabled(commands[i].enabled && !m_busy);
    }

    m_filling = true;
    m_pluginModel->clear();
    if (cls >= 0)
        m_categoryModel->reset(m_session.Catalogue(), cls);
    else
        m_categoryModel->clear();
    int row = keepCategory.empty() ? 0 : m_categoryModel->rowOfText(keepCategory);
    if (row < 0)
        row = 0;
    if (m_categoryModel->rowCount() > 0)
        m_categoryList->setCurrentIndex(m_categoryModel->index(row));
    m_filling = false;
    showEmptyHint();
    fillPlugins(keepPlugins);
}

void CVardelView::showEmptyHint()
{
    QString text;
    switch (m_session.EmptyHint(static_cast<std::size_t>(m_categoryModel->rowCount()))) {
    case EmptyViewHint::NoDirectory: text = tr("No plug-in directory yet: File > Setup... adds one."); break;
    case EmptyViewHint::NoDirectoryChosen: text = tr("Choose a plug-in directory from Plugin > Directory (F4)."); break;
    case EmptyViewHint::NoPlugins: text = tr("No plug-ins were found in this directory."); break;
    case EmptyViewHint::None: break;
    }
    m_categoryList->setEmptyText(text);
}

void CVardelView::fillPlugins(const std::vector<const CPluginEntry*>& keepPlugins)
{
    if (m_filling)
        return;
    const CPluginEntry* category = currentCategory();
    if (category)
        m_pluginModel->reset(m_session.Catalogue(), *category);
    else
        m_pluginModel->clear();

    QItemSelection selection;
    int current = -1;
    for (const CPluginEntry* e : keepPlugins) {
        const int row = m_pluginModel->rowOf(e);
        if (row < 0)
            continue;
        selection.select(m_pluginModel->index(row), m_pluginModel->index(row));
        if (current < 0)
            current = row;
    }
    if (current < 0 && m_pluginModel->rowCount() > 0) {
        current = 0;
        selection.select(m_pluginModel->index(0), m_pluginModel->index(0));
    }
    if (current >= 0) {
        m_pluginList->selectionModel()->setCurrentIndex(m_pluginModel->index(current), QItemSelectionModel::NoUpdate);
        m_pluginList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        m_pluginList->scrollTo(m_pluginModel->index(current));
    }
    selectionChanged();
}

void CVardelView::selectionChanged()
{
    updateAvailability();
    emit indicatorsChanged(indicatorTexts());
    const CPluginEntry* single = singlePlugin();
    // The bars keep showing the last plug-in while none or several are selected.
    if (single && single != m_lastSingle) {
        m_lastSingle = single;
        emit currentPluginChanged(single);
    }
}

std::vector<CPluginEntry*> CVardelView::selectedPlugins() const
{
    std::vector<CPluginEntry*> result;
    QModelIndexList rows = m_pluginList->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows)
        if (CPluginEntry* e = m_pluginModel->entryAt(i.row()))
            result.push_back(e);
    return result;
}

const CPluginEntry* CVardelView::singlePlugin() const
{
    const auto selection = selectedPlugins();
    return selection.size() == 1 ? selection.front() : nullptr;
}

const CPluginEntry* CVardelView::currentCategory() const
{
    // The current item, not the selection: on a mouse press the list moves
    // the current item first and updates the selection after telling us.
    const QModelIndex current = m_categoryList->currentIndex();
    return current.isValid() ? m_categoryModel->entryAt(current.row()) : nullptr;
}

QStringList CVardelView::indicatorTexts() const
{
    // The numbers are the core's; the panes' order is the status bar's.
    const Indicators n = ComputeIndicators(m_categoryModel->items(), m_pluginModel->items(),
                                           static_cast<int>(m_pluginList->selectionModel()->selectedRows().size()));
    return {tr("Categories: %1").arg(n.categories), tr("Plugins: %1").arg(n.plugins), tr("Enabled: %1").arg(n.enabled),
            tr("Selected: %1").arg(n.selected)};
}

bool CVardelView::showPlugin(const CPluginEntry* entry)
{
    if (!entry || m_busy || m_session.EntryIndex(entry) < 0)
        return false;
    const int cls = ClassOfKind(entry->m_kind);
    if (cls < 0 || (cls != m_session.SelectedClass() && !m_session.SelectClass(cls)))
        return false;
    // The category item whose plug-ins it is among.
    for (int row = 0; row < m_categoryModel->rowCount(); ++row) {
        const CPluginEntry* item = m_categoryModel->entryAt(row);
        if (!item || item->m_kind != entry->m_kind ||
            (m_categoryModel->hasCategories() && item->m_category != entry->m_category))
            continue;
        m_categoryList->setCurrentIndex(m_categoryModel->index(row));
        const int plugin = m_pluginModel->rowOf(entry);
        if (plugin < 0)
            return false;
        m_pluginList->setCurrentIndex(m_pluginModel->index(plugin));
        m_pluginList->scrollTo(m_pluginModel->index(plugin));
        m_pluginList->setFocus();
        return true;
    }
    return false;
}

void CVardelView::setBusy(bool busy)
{
    m_busy = busy;
    m_commands->setBusy(busy);
    if (busy)
        m_roomProbe->cancel();
    m_categoryList->setAcceptDrops(!busy);
    m_classSelector->setEnabled(!busy);
    updateAvailability();
    const auto commands = ClassCommands(m_session.ClassCounts(), m_session.SelectedClass());
    for (std::size_t i = 0; i < commands.size() && i < m_classActions.size(); ++i)
        m_classActions[i]->setEnabled(commands[i].enabled && !busy);
}

void CVardelView::updateAvailability()
{
    const auto selection = selectedPlugins();
    const bool single = selection.size() == 1;
    // What the category commands need of its plug-ins, the list worked out
    // when it was filled.
    const int category = m_categoryList->currentIndex().isValid() ? m_categoryList->currentIndex().row() : -1;
    const bool idle = !m_busy;
    m_actions[LargePreview]->setEnabled(idle && single);
    m_actions[Properties]->setEnabled(idle && single);
    m_actions[Enable]->setEnabled(idle && CanEnablePlugins(selection));
    m_actions[Disable]->setEnabled(idle && CanEnablePlugins(selection));
    m_actions[Move]->setEnabled(idle && CanMovePlugins(selection));
    m_actions[Rename]->setEnabled(idle && CanRenamePlugin(selection));
    m_actions[SelectAll]->setEnabled(idle && m_pluginModel->rowCount() > 0);
    m_actions[FindPlugins]->setEnabled(idle && !m_session.Catalogue().m_entries.empty());
    m_actions[CategoryEnable]->setEnabled(idle && m_categoryModel->canEnable(category));
    m_actions[CategoryDisable]->setEnabled(idle && m_categoryModel->canEnable(category));
    m_actions[CategoryMove]->setEnabled(idle && m_categoryModel->canMove(category));
    m_actions[CategoryRename]->setEnabled(idle && m_categoryModel->canMove(category));
}

void CVardelView::openDetails(int page)
{
    const CPluginEntry* entry = singlePlugin();
    if (!entry || m_busy || !m_actions[page == 0 ? LargePreview : Properties]->isEnabled())
        return;
    openDetailSheet(m_session, *entry, page, window());
}

void CVardelView::openFind()
{
    if (m_busy || !m_actions[FindPlugins]->isEnabled())
        return;
    openFindDialog(m_session, window());
}

void CVardelView::showPluginMenu(const QPoint& pos)
{
    const QModelIndex at = m_pluginList->indexAt(pos);
    // A right click on an item outside the selection selects that item.
    if (at.isValid() && !m_pluginList->selectionModel()->isSelected(at)) {
        m_pluginList->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    }
    updateAvailability();
    QMenu* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("pluginContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(m_actions[LargePreview]);
    menu->addAction(m_actions[Properties]);
    menu->addSeparator();
    menu->addAction(m_actions[Enable]);
    menu->addAction(m_actions[Disable]);
    menu->addSeparator();
    menu->addAction(m_actions[Move]);
    menu->addAction(m_actions[Rename]);
    menu->popup(m_pluginList->viewport()->mapToGlobal(pos));
}

void CVardelView::showCategoryMenu(const QPoint& pos)
{
    const QModelIndex at = m_categoryList->indexAt(pos);
    if (at.isValid() && at != m_categoryList->currentIndex())
        m_categoryList->setCurrentIndex(at);
    updateAvailability();
    QMenu* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("categoryContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(m_actions[CategoryEnable]);
    menu->addAction(m_actions[CategoryDisable]);
    menu->addSeparator();
    menu->addAction(m_actions[CategoryMove]);
    menu->addAction(m_actions[CategoryRename]);
    menu->popup(m_categoryList->viewport()->mapToGlobal(pos));
}

void CVardelView::onPluginsDropped(int row, const QVector<int>& entries)
{
    const CPluginEntry* target = m_categoryModel->entryAt(row);
    if (m_busy || !target)
        return;
    auto& all = m_session.Catalogue().m_entries;
    std::vector<CPluginEntry*> dragged;
    for (int i : entries)
        if (i >= 0 && i < static_cast<int>(all.size()))
            dragged.push_back(all[static_cast<std::size_t>(i)].get());
    // The move may rebuild the lists; let the drag finish first.
    QTimer::singleShot(0, this, [this, dragged, target, generation = m_generation] {
        if (generation == m_generation)
            m_commands->dropPlugins(dragged, *target);
    });
}

}  // namespace vardel::ui
