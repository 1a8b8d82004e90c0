#pragma once
// The Setup dialog: the extensions of plug-in files with the "scan all
// files" switch, and the ordered list of plug-in directories behind the
// Directory menu. Changes to the directory list take effect as they are
// made; the extensions and the switch are taken over on OK only.

#include <QDialog>
#include <QPointer>
#include <QIcon>

#include <memory>

namespace vardel {
class CVardelSession;
class CPluginDirEntry;
}

namespace Ui {
class SetupDialog;
}

namespace vardel::ui {

class DialogGeometry;

class SetupDialog : public QDialog {
    Q_OBJECT
public:
    // Works on the session's directory list and settings. After the dialog
    // closes, the caller calls session.AfterSetup().
    SetupDialog(vardel::CVardelSession& session, QWidget* parent = nullptr);
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

private:
    void fillList();
    void updateButtons();
    void showContextMenu(const QPoint& pos);
    void directoryListChanged(int select);

    vardel::CVardelSession& m_session;
    std::unique_ptr<Ui::SetupDialog> m_ui;
    // The "Plugin Directory" dialog on show, and the entry Add is making.
    QPointer<QDialog> m_entryDialog;
    std::unique_ptr<vardel::CPluginDirEntry> m_newEntry;
};

}  // namespace vardel::ui
