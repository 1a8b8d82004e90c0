#pragma once
// The settings store of the desktop program: QSettings under the organisation
// "Orvane Software" and the application "Vardel 2.0" (or an INI file chosen
// for a test run). This is the only class of the program that touches
// QSettings; everything else reads and writes through it.

#include "app/Application.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QSettings;
class QTemporaryDir;

namespace vardel::ui {

inline constexpr const char* kOrganisation = "Orvane Software";
inline constexpr const char* kApplication = "Vardel 2.0";

class QtSettingsBackend : public SettingsBackend {
public:
    // The user's settings store; the INI file iniFile instead when it is not
    // empty (`--settings FILE`, the GUI tests).
    explicit QtSettingsBackend(const QString& iniFile = {});
    ~QtSettingsBackend() override;
    QtSettingsBackend(const QtSettingsBackend&) = delete;
    QtSettingsBackend& operator=(const QtSettingsBackend&) = delete;

    // The value of section/name; nothing when missing or not a number.
    std::optional<int> ReadInt(const std::string& section, const std::string& name) override;
    // The value of section/name; nothing when missing.
    std::optional<std::string> ReadString(const std::string& section, const std::string& name) override;
    void WriteInt(const std::string& section, const std::string& name, int value) override;
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;

    // Opaque blobs (the bar layout, a dialog's geometry), kept as QSettings
    // keeps a QByteArray; empty when missing.
    std::string ReadBytes(const std::string& section, const std::string& name) override;
    void WriteBytes(const std::string& section, const std::string& name, const std::string& bytes) override;
    QByteArray ReadBytes(const QString& section, const QString& name);
    void WriteBytes(const QString& section, const QString& name, const QByteArray& value);

    // Writes pending changes; false when the store cannot be written.
    bool sync();
    // Where the values live (a file name), for messages.
    QString fileName() const;
    // A settings file that is there but is no regular file (a FIFO, a
    // directory): its settings are neither read nor written, and the values
    // of this run are kept nowhere. "" when the store is usable.
    const QString& unusableFile() const { return m_unusableFile; }

private:
    QString key(const std::string& section, const std::string& name) const;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<QSettings> m_settings;
    QString m_unusableFile;
};

}  // namespace vardel::ui
