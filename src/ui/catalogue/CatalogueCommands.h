#pragma once
// The plug-in and category commands of the main view as the user meets
// them: wait cursor, the questions and message boxes, the "Enter Category"
// dialog; every write goes through the core's catalogue editor, and the
// session is told what changed so that every view follows.

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace vardel {
class CPluginEntry;
class CVardelSession;
class CCatalogueEditor;
}

namespace vardel::ui {

class CategoryDialog;

class CatalogueCommands : public QObject {
    Q_OBJECT
public:
    // window: the parent of the dialogs and message boxes.
    CatalogueCommands(CVardelSession& session, QWidget* window);

    // Enable or disable the selected plug-ins with every entry of their
    // files. When their files hold other plug-ins, the user is asked first
    // (the question lists them).
    void EnablePlugins(const std::vector<CPluginEntry*>& selection, bool flag);
    // The same for every plug-in of the category item's entry.
    void EnableCategory(const CPluginEntry& categoryEntry, bool flag);
    // Opens "Enter Category" for the entries; OK moves them.
    void MovePlugins(const std::vector<CPluginEntry*>& selection);
    void MoveCategory(const CPluginEntry& categoryEntry);
    // End of a label edit. True when the file got the new text.
    bool RenamePlugin(CPluginEntry& entry, const QString& text);
    bool RenameCategory(const CPluginEntry& categoryEntry, const QString& text);
    // Plug-ins dragged onto a category: those that have room move there; the
    // others are named with the reason. target is the category's entry.
    void DropPlugins(const std::vector<CPluginEntry*>& dragged, const CPluginEntry& target);

    // The catalogue is about to go: an open dialog is closed unanswered, and
    // the next write saves the originals of the new one first.
    void Abandon();

    // The open "Enter Category" dialog, or null.
    CategoryDialog* OpenDialog() const { return m_dialog; }

signals:
    // Status bar text of a command's outcome.
    void status(const QString& text);
    // A category got this text (the view selects it after the refresh).
    void categoryWritten(const std::string& category, bool wholeCategory);

private:
    void DoEnable(const std::vector<CPluginEntry*>& selection, bool flag);
    void DoMove(const std::vector<CPluginEntry*>& entries, const std::string& category, bool wholeCategory,
                const CPluginEntry* categoryEntry);
    void BeforeWrite();
    void ShowFailures(const std::vector<std::string>& messages);
    CCatalogueEditor Editor();

    CVardelSession& m_session;
    QWidget* m_window;
    QPointer<CategoryDialog> m_dialog;
    QPointer<QWidget> m_question;
    std::uint64_t m_generation = 0;
    bool m_originalsSaved = false;  // since the catalogue on show was committed  // counts catalogues; a dialog answer for an old one is dropped
};

}  // namespace vardel::ui
