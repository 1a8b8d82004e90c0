#pragma once
// The program's translations: a German one is built with the program and
// loaded when the user's locale is German or `--lang de` asks for it.

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace vardel::ui {

// Where translations are looked up, in order: the share directory next to
// the program (bin/../share/vardel/translations), then the build tree.
QStringList TranslationDirectories();

// Installs the translation for language ("de"; "" follows the locale).
// Returns the language installed, "" when the built-in English texts stay.
QString InstallTranslation(QCoreApplication& app, const QString& language);

}  // namespace vardel::ui
