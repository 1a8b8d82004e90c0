#pragma once
// The category list of the main view: one row per category (classes with
// categories) or per plug-in kind, over the core's CategoryItems. Rows that
// accept a rename are editable; the edit itself is handed to the view
// (renameRequested), which writes through the catalogue editor. Plug-ins
// dragged from the plug-in list may be dropped on a category row.

#include "catalogue/CatalogueView.h"

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

namespace vardel {
class CPluginEntry;
class CPluginListManager;
}

namespace vardel::ui {

inline constexpr const char* kPluginMimeType = "application/x-vardel-plugins";

class CategoryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { EntryRole = Qt::UserRole + 1, LimitRole };

    explicit CategoryListModel(QObject* parent = nullptr);

    // Fills the rows for class cls of the catalogue (empty for cls < 0).
    void Reset(const CPluginListManager& catalogue, int cls);
    // No rows and no pointer into any catalogue.
    void Clear();
    // The icons of every row again (after an enable or disable).
    void RefreshIcons();

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
    const CPluginEntry* EntryAt(int row) const;
    // The row whose text is text; -1 when none.
    int RowOfText(const std::string& text) const;
    // True when the rows are categories (classes 0 and 2), not kinds.
    bool HasCategories() const { return m_cls == 0 || m_cls == 2; }

signals:
    void renameRequested(int row, const QString& text);
    // Catalogue positions of plug-ins dropped on row.
    void pluginsDropped(int row, const QVector<int>& entries);

private:
    int Limit(int row) const;

    const CPluginListManager* m_catalogue = nullptr;
    int m_cls = -1;
    std::vector<ViewItem> m_items;
    std::vector<int> m_icons;
    std::vector<bool> m_movable;       // the row's plug-ins may get a new category
    mutable std::vector<int> m_limits;  // room for a new category; -1 until asked
};

}  // namespace vardel::ui
