#pragma once
// The file choosers of the program: window-modal, opened with open() and
// never run in a nested event loop; the choice comes as a signal.

#include <QFileDialog>
#include <QString>

#include <functional>

class QWidget;

namespace vardel::ui {

// Opens a file dialog over parent (object name name, deleted when closed) in
// the mode given, starting at start, with the name filters (";;" between
// them; "" for none); chosen is called with the file or folder the user
// accepts, never when he cancels. Returns the dialog (tests answer it).
QFileDialog* chooseFile(QWidget* parent, const QString& name, const QString& title, const QString& start,
                        const QString& filters, QFileDialog::FileMode mode, QFileDialog::AcceptMode accept,
                        std::function<void(const QString&)> chosen);

}  // namespace vardel::ui
