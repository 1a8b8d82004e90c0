#pragma once
// "Add Application to Launch Bar": edits one slot of the launch bar - label,
// command, arguments, initial directory, icon file and number, and whether
// the program starts maximized. Dropping files on the dialog fills it from
// the first one.

#include <QDialog>
#include <QIcon>

#include <memory>

namespace vardel {
class CLaunchBarEntry;
class SettingsBackend;
}  // namespace vardel

namespace Ui {
class LaunchBarEntryDialog;
}

namespace vardel::ui {

class LaunchBarEntryDialog : public QDialog {
    Q_OBJECT
public:
    LaunchBarEntryDialog(vardel::CLaunchBarEntry& entry, vardel::SettingsBackend& settings, QWidget* parent = nullptr);
    ~LaunchBarEntryDialog() override;

    // What a chosen command fills in: the command, and the initial directory
    // and the icon path when they are empty.
    void applyChosenCommand(const QString& path);
    // What a dropped file fills in: label (file name without extension),
    // command, initial directory, icon path, icon 0, no arguments.
    void fillFromFile(const QString& path);
    // The icon the preview shows: the one of the icon fields, or the
    // program's own when that cannot be read.
    QIcon previewIcon() const;

public slots:
    // OK: copies the controls into the entry and closes.
    void accept() override;
    void browseCommand();
    void browseIcon();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void updateOk();
    void updatePreview();

    vardel::CLaunchBarEntry& m_entry;
    std::unique_ptr<Ui::LaunchBarEntryDialog> m_ui;
};

}  // namespace vardel::ui
