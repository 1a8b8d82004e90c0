#pragma once
// The plug-in list of the main view: the plug-ins of one category item, over
// the core's PluginItems. Texts and icons are read from the entries, so an
// entry that changed in place shows its new state once its row is told.
// Rows that may be renamed are editable (the edit goes to renameRequested);
// selected rows can be dragged onto a category.

#include "app/CatalogueView.h"
#include "ui/catalogue/CategoryListModel.h"

#include <QAbstractListModel>
#include <QStringList>

#include <unordered_map>
#include <vector>

namespace vardel {
class CPluginEntry;
class CPluginListManager;
}  // namespace vardel

namespace vardel::ui {

class PluginListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { EntryRole = Qt::UserRole + 1, LimitRole };

    explicit PluginListModel(QObject* parent = nullptr);

    // Fills the rows with the plug-ins of the category item's entry.
    void reset(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry);
    // No rows and no pointer into any catalogue.
    void clear();
    // Tells the views that these entries changed (name, state, path).
    void EntriesChanged(const std::vector<const CPluginEntry*>& entries);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edited label goes to renameRequested; the model never takes it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QStringList mimeTypes() const override;
    Qt::DropActions supportedDragActions() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // The entry of a row; null outside the rows.
    CPluginEntry* entryAt(int row) const;
    // The rows as the core's view made them.
    const std::vector<ViewItem>& items() const { return m_items; }
    // The row of an entry; -1 when it is not listed.
    int rowOf(const CPluginEntry* entry) const;
    // The room a new name of the row has (the edit box's limit), 0 when it
    // may not be renamed. Asked of the plug-in file once, when an edit
    // starts (LimitRole), then remembered until the entry changes; the tips
    // say it once known, and a hover never reads a file.
    int nameRoom(int row) const;

signals:
    void renameRequested(int row, const QString& text);

private:
    std::vector<ViewItem> m_items;
    mutable std::vector<int> m_rooms;                     // -1 until asked
    std::unordered_map<const CPluginEntry*, int> m_rows;  // row of each entry
};

}  // namespace vardel::ui
