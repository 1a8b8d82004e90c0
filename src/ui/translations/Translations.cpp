#include "ui/translations/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vardel::ui {

QStringList TranslationDirectories()
{
    const QString base = QCoreApplication::applicationDirPath();
    QStringList dirs = {QDir::cleanPath(base + QStringLiteral("/../share/vardel/translations"))};
#ifdef VARDEL_BUILD_TRANSLATIONS_DIR
    dirs << QStringLiteral(VARDEL_BUILD_TRANSLATIONS_DIR);
#endif
    return dirs;
}

QString InstallTranslation(QCoreApplication& app, const QString& language)
{
    QString lang = language;
    if (lang.isEmpty() && QLocale().language() == QLocale::German)
        lang = QStringLiteral("de");
    if (lang != QLatin1String("de"))
        return {};
    auto* ours = new QTranslator(&app);
    bool loaded = false;
    for (const QString& dir : TranslationDirectories())
        if ((loaded = ours->load(QStringLiteral("vardel_%1").arg(lang), dir)))
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
