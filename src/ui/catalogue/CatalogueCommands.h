#pragma once
// The plug-in and category commands of the main view as the user meets
// them: wait cursor, the questions and message boxes, the "Enter Category"
// dialog; every write goes through the core's catalogue editor, and the
// session is told what changed so that every view follows.
//
// Before files change the user is asked, one question after the other and
// never in a nested event loop: about plug-ins that change with their files,
// about a whole category, and about files whose signature the change breaks.
// What the questions and the "Enter Category" dialog need of the plug-in
// files (their signatures, the room for a category) is read on a worker
// first (FileProbe): a category of ten thousand plug-ins never makes the
// window wait.

#include "app/OriginalsFirst.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace vardel {
class CPluginEntry;
class CVardelSession;
class CCatalogueEditor;
struct ChangePlan;
struct UserMessage;
}  // namespace vardel

namespace vardel::ui {

class CategoryDialog;
class FileProbe;

class CatalogueCommands : public QObject {
    Q_OBJECT
public:
    // window: the parent of the dialogs and message boxes.
    CatalogueCommands(CVardelSession& session, QWidget* window);

    // Enable or disable the selected plug-ins with every entry of their
    // files. When their files hold other plug-ins, the user is asked first
    // (a count, and the names in the details).
    void enablePlugins(const std::vector<CPluginEntry*>& selection, bool flag);
    // The same for every plug-in of the category item's entry, after a
    // question that says how many files change.
    void enableCategory(const CPluginEntry& categoryEntry, bool flag);
    // Opens "Enter Category" for the entries; OK moves them.
    void movePlugins(const std::vector<CPluginEntry*>& selection);
    void moveCategory(const CPluginEntry& categoryEntry);
    // End of a label edit: the file gets the new text once every question
    // was answered yes.
    void renamePlugin(CPluginEntry& entry, const QString& text);
    void renameCategory(const CPluginEntry& categoryEntry, const QString& text);
    // Plug-ins dragged onto a category: those that have room move there; the
    // others are named with the reason. target is the category's entry.
    void dropPlugins(const std::vector<CPluginEntry*>& dragged, const CPluginEntry& target);

    // The catalogue is about to go: an open dialog is closed unanswered, a
    // command still reading its files is dropped, and the next write saves
    // the originals of the new one first.
    void abandon();
    // While a scan runs no command goes on: one still reading its files is dropped.
    void setBusy(bool busy);
    // True while a command reads what it needs of the plug-in files.
    bool isProbing() const;

    // The open "Enter Category" dialog, or null.
    CategoryDialog* openDialog() const { return m_dialog; }
    // The latest question box of a command until it is deleted (it may be
    // hidden already, answered and waiting for its deletion), or null. The
    // boxes that report failures are not counted.
    QMessageBox* openQuestion() const { return m_question; }

signals:
    // Status bar text of a command's outcome.
    void status(const QString& text);
    // A category got this text (the view selects it after the refresh).
    void categoryWritten(const std::string& category, bool wholeCategory);

private:
    // One question: its text, the details shown on request, the answer that
    // lets the command go on.
    struct Question {
        QString name;  // object name of the box
        QString text;
        QString informative;
        QString details;
        QMessageBox::Icon icon = QMessageBox::Question;
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
        QMessageBox::StandardButton go = QMessageBox::Yes;
        QMessageBox::StandardButton defaultButton = QMessageBox::Yes;
    };
    // Asks the questions in order and runs then once all went on; nothing
    // runs when one is declined or the catalogue went meanwhile.
    void ask(std::vector<Question> questions, std::function<void()> then);
    // The question about signed files of a plan; none when nothing is signed.
    std::vector<Question> signedQuestion(const ChangePlan& plan) const;
    // Finds the plan's signed files on a worker, then goes on with then.
    void withSignedFiles(ChangePlan plan, std::function<void(const ChangePlan&)> then);
    // Works out the room the entries have for a category on a worker
    // (CategoryLimit), then goes on with then.
    void withCategoryLimit(const std::vector<CPluginEntry*>& entries, std::function<void(int)> then);
    void openCategoryDialog(const std::vector<CPluginEntry*>& entries, int limit, const CPluginEntry* categoryEntry);

    void askEnable(const ChangePlan& plan, const std::vector<CPluginEntry*>& selection, bool flag);
    void askEnableCategory(const ChangePlan& plan, const CPluginEntry& categoryEntry, bool flag);
    void askRenameCategory(const ChangePlan& plan, const CPluginEntry& categoryEntry, const std::string& category,
                           const QString& text);
    void doEnable(const std::vector<CPluginEntry*>& selection, bool flag);
    void doEnableCategory(const CPluginEntry& categoryEntry, bool flag);
    void doRenamePlugin(CPluginEntry& entry, const std::string& name);
    void doRenameCategory(const CPluginEntry& categoryEntry, const std::string& category);
    void doMove(const std::vector<CPluginEntry*>& entries, const std::string& category, bool wholeCategory,
                const CPluginEntry* categoryEntry);
    void beforeWrite();
    // One message box with the texts of the messages, each once.
    void showFailures(const std::vector<UserMessage>& messages);
    CCatalogueEditor editor();

    CVardelSession& m_session;
    COriginalsFirst m_originalsFirst;  // asked before every write, reset with the catalogue on show
    QWidget* m_window;
    QPointer<CategoryDialog> m_dialog;
    FileProbe* m_probe;
    bool m_busy = false;
    QPointer<QMessageBox> m_question;
    std::uint64_t m_generation = 0;  // counts catalogues; an answer for an old one is dropped
};

}  // namespace vardel::ui
