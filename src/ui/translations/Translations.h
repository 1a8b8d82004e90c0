#pragma once
// The program's translations: every vardel_<language>.qm found beside the
// program (or in the build tree) is offered; the one the user chose in Setup
// or with `--lang <code>` is loaded, else the first one the locale asks for.

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace vardel::ui {

// Where translations are looked up, in order: the share directory next to
// the program (bin/../share/vardel/translations), then the build tree.
QStringList translationDirectories();

// The codes of the translations found ("de", "pt_BR"), sorted, each once.
// English is built in and not among them.
QStringList availableLanguages();

// A language's name in that language ("Deutsch" for "de"); the code itself
// when Qt does not know it.
QString languageName(const QString& code);

// Installs the translation for language ("de"; "" follows the locale).
// Returns the language installed, "" when the built-in English texts stay
// (English asked for, or no translation for the language).
QString installTranslation(QCoreApplication& app, const QString& language);

}  // namespace vardel::ui
