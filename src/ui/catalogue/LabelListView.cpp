#include "ui/catalogue/LabelListView.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace vardel::ui {

LabelEdit::LabelEdit(int limit, QWidget* parent)
    : QLineEdit(parent)
    , m_counter(new QLabel(this))
{
    setObjectName(QStringLiteral("labelEdit"));
    setMaxLength(limit > 0 ? limit : 0);
    setToolTip(tr("Up to %n characters fit into the plug-in file.", nullptr, maxLength()));
    m_counter->setObjectName(QStringLiteral("labelRoom"));
    m_counter->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont small = m_counter->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_counter->setFont(small);
    connect(this, &QLineEdit::textChanged, this, &LabelEdit::showRoom);
    // Told when typing or pasting fills the box, not when it opens full.
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (isFull())
            tellFull();
    });
    showRoom();
}

bool LabelEdit::isFull() const
{
    return text().size() >= maxLength();
}

void LabelEdit::showRoom()
{
    // The counter sits inside the box, right of the text.
    const QString room = QStringLiteral("%1/%2").arg(text().size()).arg(maxLength());
    m_counter->setText(room);
    const int width = m_counter->fontMetrics().horizontalAdvance(QStringLiteral("%1/%1").arg(maxLength())) + 6;
    setTextMargins(0, 0, width, 0);
    m_counter->setGeometry(this->width() - width - 2, 0, width, height());
    QPalette palette = m_counter->palette();
    palette.setColor(QPalette::WindowText, isFull() ? QColor(190, 0, 0) : palette.color(QPalette::PlaceholderText));
    m_counter->setPalette(palette);
}

void LabelEdit::tellFull()
{
    m_fullMessage = tr("The plug-in file has room for %n characters; no more fit.", nullptr, maxLength());
    QToolTip::showText(mapToGlobal(QPoint(0, height())), m_fullMessage, this);
}

void LabelEdit::keyPressEvent(QKeyEvent* event)
{
    // Typing into a full box: say why nothing happens.
    if (isFull() && !hasSelectedText() && !event->text().isEmpty() && event->text().at(0).isPrint())
        tellFull();
    QLineEdit::keyPressEvent(event);
}

void LabelEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    showRoom();
}

namespace {

// The edit box of a label: at most as many characters as the entry has room
// for, and the room shown while typing.
class LimitedLabelDelegate : public QStyledItemDelegate {
public:
    LimitedLabelDelegate(int limitRole, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_limitRole(limitRole)
    {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* editor = new LabelEdit(index.data(m_limitRole).toInt(), parent);
        return editor;
    }

private:
    int m_limitRole;
};

}  // namespace

LabelListView::LabelListView(int limitRole, QWidget* parent)
    : QListView(parent)
{
    setItemDelegate(new LimitedLabelDelegate(limitRole, this));
    setViewMode(QListView::ListMode);
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    // F2, or a second, slow click on the selected item (as in file managers).
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // Hovering an item puts its status tip (the room its text has) into the status bar.
    setMouseTracking(true);
}

bool LabelListView::startEdit(const QModelIndex& index)
{
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

bool LabelListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // A Ctrl- or Shift-click on a selected item changes the selection; only a
    // plain second click edits.
    if (trigger == QAbstractItemView::SelectedClicked && event && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->modifiers() != Qt::NoModifier)
        return false;
    // Only the start of an edit is guarded: not the calls that ask about an
    // edit in progress, nor those of a trigger this list does not edit on
    // (every change of the current item asks with CurrentChanged).
    const bool starts = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (starts && index.isValid() && m_guard && !m_guard(index))
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

void LabelListView::setEmptyText(const QString& text)
{
    if (m_emptyText == text)
        return;
    m_emptyText = text;
    viewport()->update();
}

void LabelListView::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (m_emptyText.isEmpty() || (model() && model()->rowCount(rootIndex()) > 0))
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap, m_emptyText);
}

void LabelListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListView::selectionChanged(selected, deselected);
    emit selectionChangedByUser();
}

}  // namespace vardel::ui
