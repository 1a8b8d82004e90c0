#pragma once
// The category list of the main view: one row per category (classes with
// categories) or per plug-in kind, over the core's CategoryItems. Rows that
// accept a rename are editable; the edit itself is handed to the view
// (renameRequested), which writes through the catalogue editor. Plug-ins
// dragged from the plug-in list may be dropped on a category row. Filling
// it reads the catalogue once and no plug-in file.

#include "app/CatalogueView.h"

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

namespace vardel {
class CPluginEntry;
class CPluginListManager;
}  // namespace vardel

namespace vardel::ui {

inline constexpr const char* kPluginMimeType = "application/x-vardel-plugins";

class CategoryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // LimitRole: the room the row's text has in the plug-in files (the
    // edit box's limit) once known (SetLimit), -1 until then, 0 when the row
    // may not be renamed.
    enum Roles { EntryRole = Qt::UserRole + 1, LimitRole };

    explicit CategoryListModel(QObject* parent = nullptr);

    // Fills the rows for class cls of the catalogue (empty for cls < 0).
    void reset(const CPluginListManager& catalogue, int cls);
    // No rows and no pointer into any catalogue.
    void clear();
    // The icons of every row again (after an enable or disable).
    void refreshIcons();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edited label goes to renameRequested; the model itself never takes
    // the text (the label shown is the one the file got).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The entry row stands for; null outside the rows.
    const CPluginEntry* entryAt(int row) const;
    // The rows as the core's view made them.
    const std::vector<ViewItem>& items() const { return m_items; }
    // The plug-ins of the row (CategoryMembers).
    std::vector<CPluginEntry*> members(int row) const;
    // Whether the row's Enable and Disable, and its Move and Rename, are
    // available (false outside the rows).
    bool canEnable(int row) const;
    bool canMove(int row) const;
    // The room for a new text of the row, as far as known: -1 until it was
    // worked out from the plug-in files (which the model never reads),
    // 0 when the row may not be renamed.
    int knownLimit(int row) const;
    // The room worked out for the row; its tips say it from now on.
    void setLimit(int row, int limit);
    // The row whose text is text; -1 when none.
    int rowOfText(const std::string& text) const;
    // True when the rows are categories (classes 0 and 2), not kinds.
    bool hasCategories() const { return ClassListsCategories(m_cls); }

signals:
    void renameRequested(int row, const QString& text);
    // Catalogue positions of plug-ins dropped on row.
    void pluginsDropped(int row, const QVector<int>& entries);

private:
    const CPluginListManager* m_catalogue = nullptr;
    int m_cls = -1;
    std::vector<ViewItem> m_items;
    std::vector<int> m_limits;  // room for a new category; -1 until worked out
};

}  // namespace vardel::ui
