#include "ui/dialogs/AboutDialog.h"

#include "app/Session.h"
#include "ui/common/IconButton.h"
#include "ui/dialogs/DialogGeometry.h"
#include "ui/dialogs/RestoreMonitorDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace vardel::ui {

AboutDialog::AboutDialog(vardel::CVardelSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(tr("About Vardel"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(IconButton::applicationIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* title = new QLabel(tr("<b>Vardel 2.0</b>"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    auto* text = new QLabel(tr("A catalogue for collectors of image-host plug-ins: it reads plug-in descriptions "
                               "without running plug-in code, renames, moves, enables and disables plug-ins, keeps "
                               "preview images and descriptions, and renders Filter Factory filters."),
                            this);
    text->setObjectName(QStringLiteral("descriptionLabel"));
    text->setWordWrap(true);
    auto* copyright = new QLabel(tr("Version %1\nCopyright \u00A9 Orvane Software").arg(QStringLiteral("2.0")), this);
    copyright->setObjectName(QStringLiteral("copyrightLabel"));

    auto* textLayout = new QVBoxLayout;
    textLayout->addWidget(title);
    textLayout->addWidget(text);
    textLayout->addWidget(copyright);
    textLayout->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(textLayout, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);

    // The labels pass their mouse clicks on, so that a double click anywhere
    // in the box reaches it.
    for (QLabel* label : {icon, title, text, copyright})
        label->installEventFilter(this);

    resize(420, 180);
    new DialogGeometry(this, m_session.GetSettingsBackend(), QStringLiteral("AboutDialog"));
}

void AboutDialog::showRestoreMonitor()
{
    auto* monitor = new RestoreMonitorDialog(m_session.Restore(), m_session.GetSettingsBackend(), this);
    monitor->setAttribute(Qt::WA_DeleteOnClose);
    monitor->open();
}

void AboutDialog::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        showRestoreMonitor();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        showRestoreMonitor();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vardel::ui
