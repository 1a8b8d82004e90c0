#include "catalogue/CategoryListModel.h"

#include "catalogue/PluginListManager.h"
#include "common/Convert.h"
#include "modify/CommandAvailability.h"
#include "resources/Icons.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

namespace vardel::ui {

CategoryListModel::CategoryListModel(QObject* parent) : QAbstractListModel(parent) {}

void CategoryListModel::Reset(const CPluginListManager& catalogue, int cls)
{
    beginResetModel();
    m_catalogue = &catalogue;
    m_cls = cls;
    m_items = CategoryItems(catalogue, cls);
    m_icons.assign(m_items.size(), 0);
    m_movable.assign(m_items.size(), false);
    m_limits.assign(m_items.size(), -1);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const CPluginEntry* entry = m_items[i].plugin;
        m_icons[i] = m_items[i].icon;
        if (entry)
            m_movable[i] = CanMoveCategory(entry, CategoryMembers(catalogue, *entry));
    }
    endResetModel();
}

void CategoryListModel::Clear()
{
    beginResetModel();
    m_catalogue = nullptr;
    m_cls = -1;
    m_items.clear();
    m_icons.clear();
    m_movable.clear();
    m_limits.clear();
    endResetModel();
}

void CategoryListModel::RefreshIcons()
{
    if (!m_catalogue || m_items.empty())
        return;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].plugin && HasCategories())
            m_icons[i] = CategoryIcon(*m_catalogue, *m_items[i].plugin);
    emit dataChanged(index(0), index(static_cast<int>(m_items.size()) - 1), {Qt::DecorationRole});
}

int CategoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

int CategoryListModel::Limit(int row) const
{
    if (row < 0 || row >= rowCount() || !m_movable[static_cast<std::size_t>(row)] || !m_catalogue)
        return 0;
    // The writer's limit reads the plug-in files: asked once, when needed.
    int& limit = m_limits[static_cast<std::size_t>(row)];
    if (limit < 0)
        limit = std::max(0, CategoryLimit(CategoryMembers(*m_catalogue, *m_items[static_cast<std::size_t>(row)].plugin)));
    return limit;
}

QVariant CategoryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ViewItem& item = m_items[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // Plug-ins without a category are listed under a name of their own.
        if (item.text.empty() && HasCategories())
            return tr("(no category)");
        return FromCodePage(item.text);
    case Qt::EditRole:
        return FromCodePage(item.text);
    case Qt::DecorationRole:
        return ListIcon(m_icons[static_cast<std::size_t>(index.row())]);
    case Qt::ToolTipRole:
    case Qt::StatusTipRole: {
        const int limit = Limit(index.row());
        if (limit > 0)
            return tr("%1: up to %n characters", nullptr, limit).arg(FromCodePage(item.text));
        return FromCodePage(item.text);
    }
    case EntryRole:
        return item.entry;
    case LimitRole:
        return Limit(index.row());
    default:
        return {};
    }
}

Qt::ItemFlags CategoryListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (!index.isValid())
        return f;
    if (m_movable[static_cast<std::size_t>(index.row())])
        f |= Qt::ItemIsEditable;
    if (HasCategories())
        f |= Qt::ItemIsDropEnabled;
    return f;
}

bool CategoryListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role == Qt::EditRole && index.isValid() && index.row() < rowCount() && m_movable[static_cast<std::size_t>(index.row())])
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
    return data && data->hasFormat(QString::fromLatin1(kPluginMimeType)) && HasCategories() && row == -1 &&
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

const CPluginEntry* CategoryListModel::EntryAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_items[static_cast<std::size_t>(row)].plugin : nullptr;
}

int CategoryListModel::RowOfText(const std::string& text) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].text == text)
            return static_cast<int>(i);
    return -1;
}

}  // namespace vardel::ui
