#include "catalogue/ClassSelector.h"

#include <QMenu>

namespace vardel::ui {

ClassSelector::ClassSelector(QWidget* parent) : QPushButton(parent)
{
    setObjectName(QStringLiteral("classSelector"));
    setToolTip(tr("Plug-in class: click to choose another"));
    setStatusTip(tr("Choose the class of plug-ins to show"));
    setStyleSheet(QStringLiteral("text-align: left; padding: 3px 8px; font-weight: bold;"));
    connect(this, &QPushButton::clicked, this, &ClassSelector::OpenMenu);
}

void ClassSelector::OpenMenu()
{
    if (!m_menu)
        return;
    const QSize size = m_menu->sizeHint();
    const QPoint corner = mapToGlobal(QPoint(width(), height()));
    m_menu->popup(QPoint(corner.x() - size.width(), corner.y()));
}

}  // namespace vardel::ui
