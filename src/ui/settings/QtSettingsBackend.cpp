#include "ui/settings/QtSettingsBackend.h"

#include "base/FileOps.h"
#include "ui/common/Convert.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>

namespace vardel::ui {

namespace {

// The files QSettings reads for the user's store where it keeps INI files:
// the application's and the organisation's.
QStringList UserStoreFiles()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return {};  // the registry, property lists
#else
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/');
    const QString organisation = QString::fromLatin1(kOrganisation);
    return {dir + organisation + QLatin1Char('/') + QString::fromLatin1(kApplication) + QStringLiteral(".conf"),
            dir + organisation + QStringLiteral(".conf")};
#endif
}

// The first of the files that is there but is no regular file (QSettings
// would wait on a FIFO in its open for good); "" when there is none.
QString FirstUnusable(const QStringList& files)
{
    for (const QString& file : files)
        if (!IsRegularFileOrAbsent(std::filesystem::path(file.toStdU16String())))
            return file;
    return {};
}

}  // namespace

QtSettingsBackend::QtSettingsBackend(const QString& iniFile)
{
    const QString file = iniFile;
    m_unusableFile = FirstUnusable(file.isEmpty() ? UserStoreFiles() : QStringList{file});
    if (!m_unusableFile.isEmpty()) {
        // Settings for this run only: nothing is read from or written to a
        // file that is not one.
        m_scratch = std::make_unique<QTemporaryDir>();
        m_settings =
            std::make_unique<QSettings>(m_scratch->filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    } else if (file.isEmpty()) {
        m_settings = std::make_unique<QSettings>(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
    } else {
        m_settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
}

QtSettingsBackend::~QtSettingsBackend()
{
    m_settings->sync();
}

QString QtSettingsBackend::key(const std::string& section, const std::string& name) const
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}

std::optional<int> QtSettingsBackend::ReadInt(const std::string& section, const std::string& name)
{
    const QVariant value = m_settings->value(key(section, name));
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
    const QVariant value = m_settings->value(key(section, name));
    if (!value.isValid())
        return std::nullopt;
    return toCodePage(value.toString());
}

void QtSettingsBackend::WriteInt(const std::string& section, const std::string& name, int value)
{
    m_settings->setValue(key(section, name), value);
}

void QtSettingsBackend::WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    m_settings->setValue(key(section, name), fromCodePage(value));
}

std::string QtSettingsBackend::ReadBytes(const std::string& section, const std::string& name)
{
    return ReadBytes(QString::fromStdString(section), QString::fromStdString(name)).toStdString();
}

void QtSettingsBackend::WriteBytes(const std::string& section, const std::string& name, const std::string& bytes)
{
    WriteBytes(QString::fromStdString(section), QString::fromStdString(name), QByteArray::fromStdString(bytes));
}

QByteArray QtSettingsBackend::ReadBytes(const QString& section, const QString& name)
{
    return m_settings->value(section + QLatin1Char('/') + name).toByteArray();
}

void QtSettingsBackend::WriteBytes(const QString& section, const QString& name, const QByteArray& value)
{
    m_settings->setValue(section + QLatin1Char('/') + name, value);
}

bool QtSettingsBackend::sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString QtSettingsBackend::fileName() const
{
    return m_settings->fileName();
}

}  // namespace vardel::ui
