#include "ui/dialogs/TipDialog.h"

#include "ui/dialogs/DialogGeometry.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vardel::ui {

TipDialog::TipDialog(vardel::SettingsBackend& settings, QWidget* parent)
    : QDialog(parent)
    , m_tipLabel(new QLabel(this))
    , m_geometry(nullptr)
    , m_tips(tips())
{
    setObjectName(QStringLiteral("tipDialog"));
    setWindowTitle(tr("Tip of the day"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* heading = new QLabel(tr("<b>Did you know...</b>"), this);
    heading->setObjectName(QStringLiteral("headingLabel"));

    m_tipLabel->setObjectName(QStringLiteral("tipLabel"));
    m_tipLabel->setWordWrap(true);
    m_tipLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_tipLabel->setMinimumHeight(80);

    auto* textLayout = new QVBoxLayout;
    textLayout->addWidget(heading);
    textLayout->addWidget(m_tipLabel, 1);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("tipPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setBackgroundRole(QPalette::Base);
    panel->setAutoFillBackground(true);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(icon);
    panelLayout->addLayout(textLayout, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    QPushButton* next = buttons->addButton(tr("&Next Tip"), QDialogButtonBox::ActionRole);
    next->setObjectName(QStringLiteral("nextButton"));
    next->setToolTip(tr("Show the next tip"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TipDialog::nextTip);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(buttons);

    resize(440, 220);
    m_geometry = new DialogGeometry(this, settings, QStringLiteral("TipDialog"));
    showTip(m_geometry->value(QStringLiteral("tip"), 0).toInt());
}

QStringList TipDialog::tips()
{
    return {
        tr("Vardel reads the descriptions inside plug-in files without running any plug-in code, so even a "
           "plug-in that crashes its host can be catalogued safely."),
        tr("Use File > Setup... to list the directories that hold your plug-ins. Each one becomes an item of "
           "the Plugin > Directory menu; a separator entry puts a line between groups."),
        tr("Disabling a plug-in renames its file so that it has no extension: the host no longer loads it. "
           "Enabling it gives the extension back."),
        tr("A plug-in's name can only be as long as the text its file held when Vardel first saw it. The "
           "original name and category are shown on the General page of Plugin Properties."),
        tr("Paste a screenshot from the clipboard or capture a window on the Preview page of Plugin Properties "
           "to keep preview images of what a filter does."),
        tr("Double-click the picture in the preview bar to see it in the large preview."),
        tr("Find Plugins (Ctrl+F) searches names, categories, authors, keywords, descriptions and file names."),
        tr("Add your image editors to the launch bar: click an empty button to configure it, right-click a "
           "button to edit or delete it. You can drop a program file on the dialog to fill it in."),
        tr("For Filter Factory filters Vardel shows the four channel formulas and renders a live preview with "
           "the eight sliders on a sample image."),
        tr("Re-Scan all reads every plug-in file of the current directory again, for example after you "
           "installed new plug-ins."),
    };
}

void TipDialog::nextTip()
{
    showTip(m_current + 1);
}

void TipDialog::showTip(int index)
{
    if (m_tips.isEmpty())
        return;
    const int count = static_cast<int>(m_tips.size());
    m_current = ((index % count) + count) % count;
    m_tipLabel->setText(m_tips.at(m_current));
    // The next opening goes on with the tip after this one.
    if (m_geometry)
        m_geometry->setValue(QStringLiteral("tip"), (m_current + 1) % count);
}

}  // namespace vardel::ui
