#pragma once
// Remembers a dialog's size and position between runs, in the settings
// section "Settings" under "<name>.geometry", in the session's settings.

#include <QObject>
#include <QString>
#include <QVariant>

class QWidget;

namespace vardel {
class SettingsBackend;
}

namespace vardel::ui {

// Restores the dialog's geometry at once (when one was saved) and saves it
// every time the dialog is hidden. Owned by the dialog; settings must outlive
// it.
class DialogGeometry : public QObject {
    Q_OBJECT
public:
    DialogGeometry(QWidget* dialog, vardel::SettingsBackend& settings, const QString& name);

    // The settings key of a dialog name: "<name>.geometry".
    static QString key(const QString& name);

    // A further value of the dialog kept beside its geometry
    // ("<name>.<value>"); defaultValue when none was saved.
    QVariant value(const QString& valueName, const QVariant& defaultValue = {}) const;
    void setValue(const QString& valueName, const QVariant& value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restore();
    void save();

    QWidget* m_dialog;
    vardel::SettingsBackend& m_settings;
    QString m_name;
};

}  // namespace vardel::ui
