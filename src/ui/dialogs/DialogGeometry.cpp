#include "ui/dialogs/DialogGeometry.h"

#include "ui/settings/QtSettingsBackend.h"
#include "app/Application.h"
#include "base/SettingsKeys.h"

#include <QByteArray>
#include <QEvent>
#include <QWidget>

namespace vardel::ui {

DialogGeometry::DialogGeometry(QWidget* dialog, SettingsBackend& settings, const QString& name)
    : QObject(dialog)
    , m_dialog(dialog)
    , m_settings(settings)
    , m_name(name)
{
    restore();
    dialog->installEventFilter(this);
}

QString DialogGeometry::key(const QString& name)
{
    return name + QLatin1String(settings_keys::kGeometrySuffix);
}

QVariant DialogGeometry::value(const QString& valueName, const QVariant& defaultValue) const
{
    const auto stored =
        m_settings.ReadString(settings_keys::kSettings, (m_name + QLatin1Char('.') + valueName).toStdString());
    return stored ? QVariant(QString::fromStdString(*stored)) : defaultValue;
}

void DialogGeometry::setValue(const QString& valueName, const QVariant& value)
{
    m_settings.WriteString(settings_keys::kSettings, (m_name + QLatin1Char('.') + valueName).toStdString(),
                           value.toString().toStdString());
}

bool DialogGeometry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_dialog && event->type() == QEvent::Hide)
        save();
    return QObject::eventFilter(watched, event);
}

void DialogGeometry::restore()
{
    const std::string geometry = m_settings.ReadBytes(settings_keys::kSettings, key(m_name).toStdString());
    if (!geometry.empty())
        m_dialog->restoreGeometry(QByteArray::fromStdString(geometry));
}

void DialogGeometry::save()
{
    m_settings.WriteBytes(settings_keys::kSettings, key(m_name).toStdString(), m_dialog->saveGeometry().toStdString());
}

}  // namespace vardel::ui
