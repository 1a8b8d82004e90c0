#include "ui/mainwindow/StatusPanes.h"

#include "ui/resources/Icons.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

namespace vardel::ui {

StatusPanes::StatusPanes(QStatusBar* bar)
    : QObject(bar)
    , m_bar(bar)
{
    m_message = new QLabel(bar);
    m_message->setObjectName(QStringLiteral("messagePane"));
    m_message->setMinimumWidth(80);
    m_message->setTextFormat(Qt::PlainText);
    bar->addWidget(m_message, 1);

    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("scanProgress"));
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(true);
    m_progress->hide();
    bar->addPermanentWidget(m_progress);

    m_cancel = new QToolButton(bar);
    m_cancel->setObjectName(QStringLiteral("cancelScanButton"));
    m_cancel->setText(tr("Cancel"));
    m_cancel->setIcon(commandIcon(QStringLiteral("process-stop"), QStringLiteral("cancel")));
    m_cancel->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_cancel->setAutoRaise(true);
    m_cancel->setToolTip(tr("Stop the scan (Esc); the catalogue stays as it was"));
    m_cancel->hide();
    bar->addPermanentWidget(m_cancel);
    connect(m_cancel, &QToolButton::clicked, this, &StatusPanes::cancelRequested);

    static const char* const names[] = {"categoriesIndicator", "pluginsIndicator", "enabledIndicator",
                                        "selectedIndicator"};
    const QStringList widest = {
        tr("Categories: %1").arg(QStringLiteral("0000")), tr("Plugins: %1").arg(QStringLiteral("00000")),
        tr("Enabled: %1").arg(QStringLiteral("00000")), tr("Selected: %1").arg(QStringLiteral("00000"))};
    for (std::size_t i = 0; i < m_indicators.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString::fromLatin1(names[i]));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest[static_cast<int>(i)]) + 8);
        bar->addPermanentWidget(label);
        m_indicators[i] = label;
    }
}

void StatusPanes::setMessage(const QString& text)
{
    m_message->setText(text);
}

void StatusPanes::setIndicators(const QStringList& texts)
{
    for (std::size_t i = 0; i < m_indicators.size() && static_cast<int>(i) < texts.size(); ++i)
        m_indicators[i]->setText(texts[static_cast<int>(i)]);
}

void StatusPanes::setScanning(bool scanning)
{
    m_progress->setVisible(scanning);
    m_cancel->setVisible(scanning);
    if (scanning) {
        m_progress->setRange(0, 0);
        m_progress->setValue(0);
    }
}

void StatusPanes::setProgress(int done, int total, const QString& path)
{
    if (total < 0) {
        m_progress->setRange(0, 0);
        setMessage(path.isEmpty() ? tr("Looking for plug-in files...") : tr("Looking for plug-in files: %1").arg(path));
        return;
    }
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(std::min(done, std::max(total, 1)));
    m_progress->setFormat(tr("%1 of %2").arg(done).arg(total));
    setMessage(tr("Reading %1 of %2: %3").arg(done).arg(total).arg(path));
}

}  // namespace vardel::ui
