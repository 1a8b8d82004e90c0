#include "ui/catalogue/CategoryListModel.h"

#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"
#include "ui/common/Convert.h"
#include "ui/resources/Icons.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

namespace vardel::ui {

CategoryListModel::CategoryListModel(QObject* parent)
    : QAbstractListModel(parent)
{}

void CategoryListModel::reset(const CPluginListManager& catalogue, int cls)
{
    beginResetModel();
    m_catalogue = &catalogue;
    m_cls = cls;
    m_items = CategoryItems(catalogue, cls);
    m_limits.assign(m_items.size(), -1);
    endResetModel();
}

void CategoryListModel::clear()
{
    beginResetModel();
    m_catalogue = nullptr;
    m_cls = -1;
    m_items.clear();
    m_limits.clear();
    endResetModel();
}

void CategoryListModel::refreshIcons()
{
    if (!m_catalogue || m_items.empty())
        return;
    DescribeCategoryItems(*m_catalogue, m_cls, m_items);
    emit dataChanged(index(0), index(static_cast<int>(m_items.size()) - 1), {Qt::DecorationRole});
}

int CategoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

std::vector<CPluginEntry*> CategoryListModel::members(int row) const
{
    const CPluginEntry* entry = entryAt(row);
    return entry && m_catalogue ? CategoryMembers(*m_catalogue, *entry) : std::vector<CPluginEntry*>{};
}

bool CategoryListModel::canEnable(int row) const
{
    return row >= 0 && row < rowCount() && m_items[static_cast<std::size_t>(row)].canEnable;
}

bool CategoryListModel::canMove(int row) const
{
    return row >= 0 && row < rowCount() && m_items[static_cast<std::size_t>(row)].canMove;
}

int CategoryListModel::knownLimit(int row) const
{
    if (!canMove(row))
        return 0;
    return m_limits[static_cast<std::size_t>(row)];
}

void CategoryListModel::setLimit(int row, int limit)
{
    if (!canMove(row))
        return;
    m_limits[static_cast<std::size_t>(row)] = std::max(0, limit);
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::ToolTipRole, Qt::StatusTipRole, LimitRole});
}

QVariant CategoryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ViewItem& item = m_items[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // Plug-ins without a category are listed under a name of their own.
        if (item.text.empty() && hasCategories())
            return tr("(no category)");
        return fromCodePage(item.text);
    case Qt::EditRole: return fromCodePage(item.text);
    case Qt::DecorationRole: return listIcon(item.icon);
    case Qt::ToolTipRole:
    case Qt::StatusTipRole: {
        // The room is said once known: working it out reads every plug-in
        // file of the category, which a hover never does.
        const int limit = knownLimit(index.row());
        if (limit > 0)
            return tr("%1: up to %n characters", nullptr, limit).arg(fromCodePage(item.text));
        return fromCodePage(item.text);
    }
    case EntryRole: return item.entry;
    case LimitRole: return knownLimit(index.row());
    default: return {};
    }
}

Qt::ItemFlags CategoryListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (!index.isValid())
        return f;
    if (canMove(index.row()))
        f |= Qt::ItemIsEditable;
    if (hasCategories())
        f |= Qt::ItemIsDropEnabled;
    return f;
}

bool CategoryListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role == Qt::EditRole && index.isValid() && canMove(index.row()))
        emit renameRequested(index.row(), value.toString());
    return false;
}

QStringList CategoryListModel::mimeTypes() const
{
    return {QString::fromLatin1(kPluginMimeType)};
}

Qt::DropActions CategoryListModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

bool CategoryListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                        const QModelIndex& parent) const
{
    // Only onto a category row itself, never between rows.
    return data && data->hasFormat(QString::fromLatin1(kPluginMimeType)) && hasCategories() && row == -1 &&
           parent.isValid() && parent.row() < rowCount();
}

bool CategoryListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                     const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    QByteArray bytes = data->data(QString::fromLatin1(kPluginMimeType));
    QDataStream stream(&bytes, QIODevice::ReadOnly);
    QVector<int> entries;
    stream >> entries;
    if (stream.status() != QDataStream::Ok || entries.isEmpty())
        return false;
    emit pluginsDropped(parent.row(), entries);
    // The move is done by the view; the drag source must not remove rows.
    return false;
}

const CPluginEntry* CategoryListModel::entryAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_items[static_cast<std::size_t>(row)].plugin : nullptr;
}

int CategoryListModel::rowOfText(const std::string& text) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].text == text)
            return static_cast<int>(i);
    return -1;
}

}  // namespace vardel::ui
