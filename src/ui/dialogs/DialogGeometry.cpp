#include "dialogs/DialogGeometry.h"

#include "app/SettingsKeys.h"
#include "settings/QtSettingsBackend.h"

#include <QEvent>
#include <QWidget>

namespace vardel::ui {
namespace {

const QString kSection = QString::fromLatin1(settings_keys::kSettings);

}  // namespace

DialogGeometry::DialogGeometry(QWidget* dialog, const QString& name)
    : QObject(dialog), m_dialog(dialog), m_name(name)
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
    QtSettingsBackend settings;
    const auto stored =
        settings.ReadString(settings_keys::kSettings, (m_name + QLatin1Char('.') + valueName).toStdString());
    return stored ? QVariant(QString::fromStdString(*stored)) : defaultValue;
}

void DialogGeometry::setValue(const QString& valueName, const QVariant& value)
{
    QtSettingsBackend settings;
    settings.WriteString(settings_keys::kSettings, (m_name + QLatin1Char('.') + valueName).toStdString(),
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
    QtSettingsBackend settings;
    const QByteArray geometry = settings.ReadBytes(kSection, key(m_name));
    if (!geometry.isEmpty())
        m_dialog->restoreGeometry(geometry);
}

void DialogGeometry::save()
{
    QtSettingsBackend settings;
    settings.WriteBytes(kSection, key(m_name), m_dialog->saveGeometry());
}

}  // namespace vardel::ui
