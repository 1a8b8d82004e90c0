#include "ui/catalogue/ClassSelector.h"

#include <QKeyEvent>
#include <QMenu>
#include <QStyleOption>
#include <QStylePainter>

namespace vardel::ui {

ClassSelector::ClassSelector(QWidget* parent)
    : QPushButton(parent)
{
    setObjectName(QStringLiteral("classSelector"));
    setToolTip(tr("Plug-in class: click to choose another"));
    setStatusTip(tr("Choose the class of plug-ins to show"));
    // Room on the right for the arrow.
    setStyleSheet(QStringLiteral("text-align: left; padding: 3px 24px 3px 8px; font-weight: bold;"));
    connect(this, &QPushButton::clicked, this, &ClassSelector::openMenu);
}

void ClassSelector::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QStylePainter painter(this);
    QStyleOption arrow;
    arrow.initFrom(this);
    const int size = qMax(8, height() / 3);
    arrow.rect = QRect(width() - size - 8, (height() - size) / 2, size, size);
    painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
}

void ClassSelector::keyPressEvent(QKeyEvent* event)
{
    const bool down = event->key() == Qt::Key_Down && (event->modifiers() & ~Qt::AltModifier) == Qt::NoModifier;
    if (down) {
        openMenu();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void ClassSelector::openMenu()
{
    if (!m_menu)
        return;
    const QSize size = m_menu->sizeHint();
    const QPoint corner = mapToGlobal(QPoint(width(), height()));
    m_menu->popup(QPoint(corner.x() - size.width(), corner.y()));
}

}  // namespace vardel::ui
