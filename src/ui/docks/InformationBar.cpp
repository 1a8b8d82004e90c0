#include "ui/docks/InformationBar.h"

#include "app/PluginInformation.h"
#include "app/Session.h"
#include "ui/common/Convert.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QResizeEvent>

namespace vardel::ui {

InformationBar::InformationBar(vardel::CVardelSession& session, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_author(new QLineEdit(this))
    , m_description(new QPlainTextEdit(this))
    , m_file(new QLabel(this))
{
    setObjectName(QStringLiteral("informationBar"));

    auto* authorLabel = new QLabel(tr("Author:"), this);
    authorLabel->setObjectName(QStringLiteral("authorLabel"));
    authorLabel->setBuddy(m_author);
    m_author->setObjectName(QStringLiteral("authorEdit"));
    m_author->setReadOnly(true);
    m_author->setToolTip(tr("The author a Filter Factory filter names"));

    auto* descriptionLabel = new QLabel(tr("Description:"), this);
    descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    descriptionLabel->setBuddy(m_description);
    m_description->setObjectName(QStringLiteral("descriptionEdit"));
    m_description->setReadOnly(true);
    m_description->setToolTip(tr("The plug-in's description"));
    m_description->setMinimumHeight(m_description->fontMetrics().lineSpacing() * 4 + 8);

    auto* fileLabel = new QLabel(tr("Filename:"), this);
    fileLabel->setObjectName(QStringLiteral("filenameCaption"));
    m_file->setObjectName(QStringLiteral("filenameLabel"));
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The path is elided to the width it gets; it must not widen the bar.
    m_file->setMinimumWidth(40);
    m_file->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(authorLabel, 0, 0);
    layout->addWidget(m_author, 0, 1);
    layout->addWidget(descriptionLabel, 1, 0, 1, 2);
    layout->addWidget(m_description, 2, 0, 1, 2);
    layout->addWidget(fileLabel, 3, 0);
    layout->addWidget(m_file, 3, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
}

void InformationBar::showPlugin(const vardel::CPluginEntry* plugin)
{
    if (!plugin || plugin == m_plugin)
        return;
    m_plugin = plugin;
    reload();
}

void InformationBar::reload()
{
    if (!m_plugin)
        return;
    const PluginInformation info = GetPluginInformation(*m_plugin, m_session.Descriptions());
    if (info.addedToDatabase)
        m_session.SaveDescriptions();
    m_author->setText(fromCodePage(info.author));
    m_author->setCursorPosition(0);
    m_description->setPlainText(fromCodePage(info.description));
    m_filename = fromStoredPath(info.filename);
    showFilename();
}

void InformationBar::entriesChanged(const QVector<const vardel::CPluginEntry*>& entries)
{
    if (m_plugin && entries.contains(m_plugin))
        reload();
}

void InformationBar::descriptionChanged(const std::string& key)
{
    if (m_plugin && m_plugin->DescriptionKey() == key)
        reload();
}

void InformationBar::clear()
{
    m_plugin = nullptr;
    m_author->clear();
    m_description->clear();
    m_filename.clear();
    showFilename();
}

void InformationBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    showFilename();
}

void InformationBar::showFilename()
{
    m_file->setText(m_file->fontMetrics().elidedText(m_filename, Qt::ElideMiddle, m_file->width()));
    m_file->setToolTip(m_filename);
}

}  // namespace vardel::ui
