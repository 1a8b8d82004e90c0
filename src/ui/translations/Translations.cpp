#include "ui/translations/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

namespace vardel::ui {

namespace {

const QString kPrefix = QStringLiteral("vardel_");

// The first language of the user's locale that a translation exists for.
QString LocaleLanguage(const QStringList& available)
{
    for (QString name : QLocale().uiLanguages()) {
        name.replace(QLatin1Char('-'), QLatin1Char('_'));
        if (available.contains(name))
            return name;
        const QString language = name.section(QLatin1Char('_'), 0, 0);
        if (language == QLatin1String("en"))
            return {};
        if (available.contains(language))
            return language;
    }
    return {};
}

}  // namespace

QStringList translationDirectories()
{
    const QString base = QCoreApplication::applicationDirPath();
    QStringList dirs = {QDir::cleanPath(base + QStringLiteral("/../share/vardel/translations"))};
#ifdef VARDEL_BUILD_TRANSLATIONS_DIR
    dirs << QStringLiteral(VARDEL_BUILD_TRANSLATIONS_DIR);
#endif
    return dirs;
}

QStringList availableLanguages()
{
    // "vardel_de.qm", "vardel_pt_BR.qm": the code is what follows the prefix.
    static const QRegularExpression code(QStringLiteral("^vardel_([a-z]{2,3}(_[A-Z]{2})?)\\.qm$"));
    QStringList languages;
    for (const QString& dir : translationDirectories()) {
        const QStringList files = QDir(dir).entryList({kPrefix + QStringLiteral("*.qm")}, QDir::Files | QDir::Readable);
        for (const QString& file : files) {
            const QRegularExpressionMatch match = code.match(file);
            if (match.hasMatch() && !languages.contains(match.captured(1)))
                languages << match.captured(1);
        }
    }
    languages.sort();
    return languages;
}

QString languageName(const QString& code)
{
    // Qt names English after a country ("American English"); the program's
    // built-in texts are just English.
    if (code == QLatin1String("en"))
        return QStringLiteral("English");
    const QLocale locale(code);
    QString name = locale.nativeLanguageName();
    if (name.isEmpty())
        return code;
    // Languages name themselves in lower case in some locales ("français"):
    // a choice in a list starts with a capital.
    name[0] = name[0].toUpper();
    return name;
}

QString installTranslation(QCoreApplication& app, const QString& language)
{
    const QStringList available = availableLanguages();
    const QString lang = language.isEmpty() ? LocaleLanguage(available) : language;
    if (lang.isEmpty() || !available.contains(lang))
        return {};
    auto* ours = new QTranslator(&app);
    bool loaded = false;
    for (const QString& dir : translationDirectories())
        if ((loaded = ours->load(kPrefix + lang, dir)))
            break;
    if (!loaded) {
        delete ours;
        return {};
    }
    app.installTranslator(ours);
    // Qt's own texts (standard buttons) in the same language, when installed.
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_%1").arg(lang), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
    else
        delete qt;
    return lang;
}

}  // namespace vardel::ui
