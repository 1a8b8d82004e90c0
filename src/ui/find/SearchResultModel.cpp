#include "ui/find/SearchResultModel.h"

#include "ui/common/Convert.h"

#include <QCoreApplication>

#include <iterator>

namespace vardel::ui {

SearchResultModel::SearchResultModel(QObject* parent)
    : QAbstractTableModel(parent)
{}

void SearchResultModel::append(std::vector<SearchRow>&& rows)
{
    if (rows.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

void SearchResultModel::clear()
{
    beginResetModel();
    m_rows = {};
    endResetModel();
}

void SearchResultModel::sort(int column)
{
    beginResetModel();
    CPluginSearch::SortRows(m_rows, column);
    endResetModel();
}

const CPluginEntry* SearchResultModel::pluginAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].plugin : nullptr;
}

int SearchResultModel::rowOf(const CPluginEntry* plugin) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].plugin == plugin)
            return static_cast<int>(i);
    return -1;
}

int SearchResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : SearchRow::kColumnCount;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const SearchRow& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case 0: return fromCodePage(row.columns[0]);
    case 1: return fromCodePage(row.columns[1]);
    case 2: return fromStoredPath(row.columns[2]);
    default: return {};
    }
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    // The dialog's own texts: the columns are named where its fields are.
    static const char* const titles[] = {
        QT_TRANSLATE_NOOP("vardel::ui::FindDialog", "Title"),
        QT_TRANSLATE_NOOP("vardel::ui::FindDialog", "Category"),
        QT_TRANSLATE_NOOP("vardel::ui::FindDialog", "Filename"),
    };
    if (section < 0 || section >= SearchRow::kColumnCount)
        return {};
    return QCoreApplication::translate("vardel::ui::FindDialog", titles[section]);
}

}  // namespace vardel::ui
