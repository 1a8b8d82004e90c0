#pragma once
// What the core tells a user, in the user's language: the session's message
// codes and the editor's refusal codes as translated texts, and the message
// boxes that show them without stopping the window (they are window-modal
// and return at once).

#include <QMessageBox>
#include <QString>

#include <string>
#include <vector>

namespace vardel {
struct UserMessage;
enum class EditCode : int;
}  // namespace vardel

namespace vardel::ui {

// The text of a session message, translated, its argument filled in.
QString messageText(const UserMessage& message);
// Why the editor refused a command or a write failed, translated, its
// arguments filled in; "" for EditCode::None.
QString RefusalText(EditCode code, const std::vector<std::string>& arguments);

// Shows a message box over parent and returns at once; the box deletes
// itself when closed. Returns the box (tests close it). Its object name is
// "messageBox".
// The title of the program's message boxes: its name, once.
QString messageTitle();

QMessageBox* showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);

}  // namespace vardel::ui
