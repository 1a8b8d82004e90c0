#pragma once
// The hits of Find as a table of three columns (title, category, file): the
// rows are the core's SearchRows, texts converted only for the rows a view
// shows, so that tens of thousands of hits cost no widget items. Rows are
// appended in batches as a search finds them and sorted as the core sorts.

#include "search/PluginSearch.h"

#include <QAbstractTableModel>

#include <vector>

namespace vardel {
class CPluginEntry;
}

namespace vardel::ui {

class SearchResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SearchResultModel(QObject* parent = nullptr);

    // The rows in list order.
    const std::vector<SearchRow>& rows() const { return m_rows; }
    // Appends rows after the ones there.
    void append(std::vector<SearchRow>&& rows);
    void clear();
    // Sorts the rows by column 0..2 (CPluginSearch::SortRows).
    void sort(int column);
    // The plug-in of a row; null outside the rows.
    const CPluginEntry* pluginAt(int row) const;
    // The row of a plug-in; -1 when it is not listed.
    int rowOf(const CPluginEntry* plugin) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<SearchRow> m_rows;
};

}  // namespace vardel::ui
