#include "ui/catalogue/PluginListModel.h"

#include "app/CatalogueView.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"
#include "ui/common/Convert.h"
#include "ui/resources/Icons.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>
#include <unordered_set>

namespace vardel::ui {

PluginListModel::PluginListModel(QObject* parent)
    : QAbstractListModel(parent)
{}

void PluginListModel::reset(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry)
{
    beginResetModel();
    m_items = PluginItems(catalogue, categoryEntry);
    m_rooms.assign(m_items.size(), -1);
    m_rows.clear();
    m_rows.reserve(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i)
        m_rows.emplace(m_items[i].plugin, static_cast<int>(i));
    endResetModel();
}

void PluginListModel::clear()
{
    beginResetModel();
    m_items.clear();
    m_rooms.clear();
    m_rows.clear();
    endResetModel();
}

void PluginListModel::EntriesChanged(const std::vector<const CPluginEntry*>& entries)
{
    const std::unordered_set<const CPluginEntry*> changed(entries.begin(), entries.end());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (changed.count(m_items[i].plugin)) {
            m_rooms[i] = -1;
            const QModelIndex at = index(static_cast<int>(i));
            emit dataChanged(at, at);
        }
    }
}

int PluginListModel::nameRoom(int row) const
{
    if (row < 0 || row >= rowCount() || !m_items[static_cast<std::size_t>(row)].plugin)
        return 0;
    int& room = m_rooms[static_cast<std::size_t>(row)];
    if (room < 0) {
        CPluginEntry* entry = const_cast<CPluginEntry*>(m_items[static_cast<std::size_t>(row)].plugin);
        room = CanRenamePlugin({entry}) ? std::max(0, NameLimit(*entry)) : 0;
    }
    return room;
}

int PluginListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

QVariant PluginListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CPluginEntry* entry = m_items[static_cast<std::size_t>(index.row())].plugin;
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return fromCodePage(ListLabel(entry->m_name));
    case Qt::DecorationRole: return listIcon(PluginIcon(*entry));
    case Qt::ToolTipRole: {
        const int room = m_rooms[static_cast<std::size_t>(index.row())];
        QString tip = fromStoredPath(entry->m_path);
        if (room > 0)
            tip = tr("Name: up to %n characters", nullptr, room) + QLatin1Char('\n') + tip;
        return tip;
    }
    case Qt::StatusTipRole: {
        const int room = m_rooms[static_cast<std::size_t>(index.row())];
        if (room > 0)
            return tr("%1 (name: up to %n characters)", nullptr, room).arg(fromStoredPath(entry->m_path));
        return fromStoredPath(entry->m_path);
    }
    case EntryRole: return m_items[static_cast<std::size_t>(index.row())].entry;
    case LimitRole: return nameRoom(index.row());
    default: return {};
    }
}

Qt::ItemFlags PluginListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (!index.isValid())
        return f;
    f |= Qt::ItemIsDragEnabled;
    // Whether a rename is possible at all needs no file; its room is asked when editing starts.
    if (CPluginEntry* entry = entryAt(index.row()); entry && CanRenamePlugin({entry}))
        f |= Qt::ItemIsEditable;
    return f;
}

bool PluginListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role == Qt::EditRole && index.isValid() && index.row() < rowCount())
        emit renameRequested(index.row(), value.toString());
    return false;
}

QStringList PluginListModel::mimeTypes() const
{
    return {QString::fromLatin1(kPluginMimeType)};
}

Qt::DropActions PluginListModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

QMimeData* PluginListModel::mimeData(const QModelIndexList& indexes) const
{
    QVector<int> entries;
    for (const QModelIndex& i : indexes)
        if (i.isValid() && i.row() < rowCount())
            entries.append(m_items[static_cast<std::size_t>(i.row())].entry);
    if (entries.isEmpty())
        return nullptr;
    std::sort(entries.begin(), entries.end());
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << entries;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kPluginMimeType), bytes);
    return data;
}

CPluginEntry* PluginListModel::entryAt(int row) const
{
    return row >= 0 && row < rowCount() ? const_cast<CPluginEntry*>(m_items[static_cast<std::size_t>(row)].plugin)
                                        : nullptr;
}

int PluginListModel::rowOf(const CPluginEntry* entry) const
{
    const auto it = m_rows.find(entry);
    return it == m_rows.end() ? -1 : it->second;
}

}  // namespace vardel::ui
