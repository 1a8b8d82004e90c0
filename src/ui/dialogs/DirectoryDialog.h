#pragma once
// The "Plugin Directory" dialog: label, directory, subdirectories and
// separator of one entry of the directory list. For an entry that exists
// already (its label is not empty) only the label can be changed.

#include "catalogue/DirectorySetup.h"

#include <QDialog>

#include <memory>

namespace vardel {
class CPluginDirEntry;
class SettingsBackend;
}  // namespace vardel

namespace Ui {
class DirectoryDialog;
}

class QMessageBox;

namespace vardel::ui {

class DirectoryDialog : public QDialog {
    Q_OBJECT
public:
    DirectoryDialog(vardel::CPluginDirEntry& entry, vardel::SettingsBackend& settings, QWidget* parent = nullptr);
    ~DirectoryDialog() override;

    // Checks the controls' values as OK does (trailing separators removed
    // from the directory) and, when they are accepted, stores them into the
    // entry. Shows nothing and does not close.
    vardel::DirEntryCheck checkAndStore();

public slots:
    // OK: stores and closes when checkAndStore() accepts; a missing
    // directory is told by a message box (object name
    // "directoryMissingBox"); an incomplete entry keeps the dialog open.
    void accept() override;
    // The folder chooser; a chosen folder replaces the directory text.
    void browse();

private:
    vardel::CPluginDirEntry& m_entry;
    std::unique_ptr<Ui::DirectoryDialog> m_ui;
};

}  // namespace vardel::ui
