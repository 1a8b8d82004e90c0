#pragma once
// The Setup dialog: the extensions of plug-in files with the "scan all
// files" switch, and the ordered list of plug-in directories behind the
// Directory menu. Changes to the directory list take effect as they are
// made; the extensions and the switch are taken over on OK only. Below, the
// plug-in folders found in the Wine prefixes of this machine, looked for on
// a worker when the dialog opens; one of them is added with a click.

#include "catalogue/PluginFolderFinder.h"

#include <QDialog>
#include <QPointer>
#include <QIcon>

#include <cstdint>
#include <memory>
#include <stop_token>

namespace vardel {
class CVardelSession;
class CPluginDirEntry;
}  // namespace vardel

namespace Ui {
class SetupDialog;
}

namespace vardel::ui {

class DialogGeometry;

class SetupDialog : public QDialog {
    Q_OBJECT
public:
    // Works on the session's directory list and settings. After the dialog
    // closes, the caller calls session.AfterSetup(). Found folders are
    // looked for below home ("" for the user's home directory).
    SetupDialog(vardel::CVardelSession& session, QWidget* parent = nullptr, const QString& home = QString());
    ~SetupDialog() override;

    // The row image of an entry: enabled or disabled, with or without
    // subdirectories, or the separator's image.
    static QIcon rowIcon(const vardel::CPluginDirEntry& entry);

    // Index of the selected directory entry, -1 when none.
    int currentIndex() const;
    void setCurrentIndex(int index);

public slots:
    // OK: takes over the extensions and the switch, then closes.
    void accept() override;

    // The list commands; each takes effect at once.
    void addDirectory();
    void editDirectory();
    void removeDirectory();
    void moveUp();
    void moveDown();
    void setDefaultExtensions();
    // Adds the found folder selected, labelled after its host.
    void addFoundFolder();
    // The folders found (as the list shows them), and whether the search is still on.
    const vardel::FolderSearch& foundFolders() const { return m_found; }
    bool isLookingForFolders() const { return m_looking; }

private:
    // The language choice: the system's, English and every translation found.
    void fillLanguages();
    void fillList();
    void updateButtons();
    void showContextMenu(const QPoint& pos);
    void directoryListChanged(int select);
    void lookForFolders();
    void foldersFound(std::uint64_t generation, vardel::FolderSearch search);

    vardel::CVardelSession& m_session;
    std::unique_ptr<Ui::SetupDialog> m_ui;
    // The "Plugin Directory" dialog on show, and the entry Add is making.
    QPointer<QDialog> m_entryDialog;
    std::unique_ptr<vardel::CPluginDirEntry> m_newEntry;
    QString m_home;
    vardel::FolderSearch m_found;
    std::stop_source m_stopLooking;
    std::uint64_t m_lookGeneration = 0;
    bool m_looking = false;
};

}  // namespace vardel::ui
