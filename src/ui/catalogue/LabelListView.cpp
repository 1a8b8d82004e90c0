#include "catalogue/LabelListView.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace vardel::ui {

namespace {

// The edit box of a label: at most as many characters as the entry has room for.
class LimitedLabelDelegate : public QStyledItemDelegate {
public:
    LimitedLabelDelegate(int limitRole, QObject* parent) : QStyledItemDelegate(parent), m_limitRole(limitRole) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const int limit = index.data(m_limitRole).toInt();
            line->setMaxLength(limit > 0 ? limit : 0);
            line->setObjectName(QStringLiteral("labelEdit"));
        }
        return editor;
    }

private:
    int m_limitRole;
};

}  // namespace

LabelListView::LabelListView(int limitRole, QWidget* parent) : QListView(parent)
{
    setItemDelegate(new LimitedLabelDelegate(limitRole, this));
    setViewMode(QListView::ListMode);
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // Hovering an item puts its status tip (the room its text has) into the status bar.
    setMouseTracking(true);
}

bool LabelListView::StartEdit(const QModelIndex& index)
{
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

bool LabelListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // Only the start of an edit is guarded; other calls ask about an edit in progress.
    if (trigger != QAbstractItemView::NoEditTriggers && index.isValid() && m_guard && !m_guard(index))
        return false;
    return QListView::edit(index, trigger, event);
}

void LabelListView::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState) {
        emit returnPressed();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void LabelListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListView::selectionChanged(selected, deselected);
    emit selectionChangedByUser();
}

}  // namespace vardel::ui
