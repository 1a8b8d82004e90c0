#include "settings/QtSettingsBackend.h"

#include "common/Convert.h"

#include <QSettings>

namespace vardel::ui {

QtSettingsBackend::QtSettingsBackend(const QString& iniFile)
{
    QString file = iniFile;
    if (file.isEmpty())
        file = qEnvironmentVariable(kSettingsFileVariable);
    if (file.isEmpty())
        m_settings = std::make_unique<QSettings>(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
    else
        m_settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
}

QtSettingsBackend::~QtSettingsBackend()
{
    m_settings->sync();
}

QString QtSettingsBackend::Key(const std::string& section, const std::string& name) const
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}

std::optional<int> QtSettingsBackend::ReadInt(const std::string& section, const std::string& name)
{
    const QVariant value = m_settings->value(Key(section, name));
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<std::string> QtSettingsBackend::ReadString(const std::string& section, const std::string& name)
{
    const QVariant value = m_settings->value(Key(section, name));
    if (!value.isValid())
        return std::nullopt;
    return ToCodePage(value.toString());
}

void QtSettingsBackend::WriteInt(const std::string& section, const std::string& name, int value)
{
    m_settings->setValue(Key(section, name), value);
}

void QtSettingsBackend::WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    m_settings->setValue(Key(section, name), FromCodePage(value));
}

QByteArray QtSettingsBackend::ReadBytes(const QString& section, const QString& name)
{
    return m_settings->value(section + QLatin1Char('/') + name).toByteArray();
}

void QtSettingsBackend::WriteBytes(const QString& section, const QString& name, const QByteArray& value)
{
    m_settings->setValue(section + QLatin1Char('/') + name, value);
}

bool QtSettingsBackend::Sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString QtSettingsBackend::FileName() const
{
    return m_settings->fileName();
}

}  // namespace vardel::ui
