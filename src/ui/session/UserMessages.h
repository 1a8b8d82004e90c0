#pragma once
// What the core tells a user, in the user's language: the session's message
// codes and the editor's fixed texts as translated texts, and the message
// boxes that show them without stopping the window (they are window-modal
// and return at once).

#include <QMessageBox>
#include <QString>

#include <string>

namespace vardel {
struct UserMessage;
}

namespace vardel::ui {

// The text of a session message, translated, its argument filled in.
QString MessageText(const UserMessage& message);
// A fixed English text of the core (the editor's refusals, the session's
// status texts, the sheet's page titles) translated; any other text as it came.
QString CoreText(const std::string& text);

// Shows a message box over parent and returns at once; the box deletes
// itself when closed. Returns the box (tests close it). Its object name is
// "messageBox".
// The title of the program's message boxes: its name, once.
QString MessageTitle();

QMessageBox* ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);

}  // namespace vardel::ui
