// vardel: the desktop program. The single-instance guard first, then the
// application object, the translation, the data directory, the session and
// the main window; at the end the session saves what it holds.

#include "app/DataDirectoryChoice.h"
#include "app/FreeMemory.h"
#include "app/InstanceManager.h"
#include "app/Session.h"
#include "app/WriterLock.h"
#include "images/PreviewFile.h"
#include "ui/common/Convert.h"
#include "ui/mainwindow/HistoryActions.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/mainwindow/ScreenshotRun.h"
#include "ui/resources/Icons.h"
#include "ui/session/DataDirectorySetup.h"
#include "ui/session/SessionAdapter.h"
#include "ui/session/UserMessages.h"
#include "ui/settings/ApplicationIdentity.h"
#include "ui/settings/GuiSettings.h"
#include "ui/settings/QtSettingsBackend.h"
#include "ui/translations/Translations.h"
#include "base/SettingsKeys.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <chrono>
#include <cstdio>
#include <filesystem>

#if defined(_WIN32)
#include <io.h>
#define VARDEL_ISATTY _isatty
#else
#include <unistd.h>
#define VARDEL_ISATTY isatty
#endif

namespace {

constexpr std::chrono::seconds kWriterLockWait{5};

struct Options {
    QString dataDir;
    QString language;
    QString settingsFile;
    int selectDirectory = -1;
    int selectCategory = -1;
    int selectEntry = -1;
    QString screenshot;
    QString detailsScreenshot;
};

Options ParseOptions(QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Vardel: a catalogue of image-host plug-ins that renames, moves, enables and disables them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDir(
        QStringLiteral("data-dir"),
        QCoreApplication::translate("main", "Keep the data (setup.db, images.db, preview) in <dir>."),
        QStringLiteral("dir"));
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QCoreApplication::translate(
            "main", "Use the language <code> (de, en); the one chosen in Setup or the locale's otherwise."),
        QStringLiteral("code"));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QCoreApplication::translate("main", "Keep the settings in the INI file <file> instead of the user's settings."),
        QStringLiteral("file"));
    const QCommandLineOption selectDirectory(
        QStringLiteral("select-directory"),
        QCoreApplication::translate("main", "Screenshots: select item <n> of the Directory menu at start."),
        QStringLiteral("n"));
    const QCommandLineOption selectCategory(
        QStringLiteral("select-category"),
        QCoreApplication::translate("main", "Screenshots: then select row <n> of the category list."),
        QStringLiteral("n"));
    const QCommandLineOption selectEntry(
        QStringLiteral("select-entry"),
        QCoreApplication::translate("main", "Screenshots: then select row <n> of the plug-in list."),
        QStringLiteral("n"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QCoreApplication::translate(
            "main", "Screenshots: write a PNG of the main window to <file> once it settled, then quit."),
        QStringLiteral("file"));
    const QCommandLineOption detailsScreenshot(
        QStringLiteral("screenshot-details"),
        QCoreApplication::translate(
            "main",
            "Screenshots: then open \"Plugin Details\" of the selected plug-in and write a PNG of it to <file>."),
        QStringLiteral("file"));
    parser.addOptions(
        {dataDir, lang, settings, selectDirectory, selectCategory, selectEntry, screenshot, detailsScreenshot});
    parser.process(app);

    Options o;
    o.dataDir = parser.value(dataDir);
    o.language = parser.value(lang);
    o.settingsFile = parser.value(settings);
    auto number = [&parser](const QCommandLineOption& option) {
        bool ok = false;
        const int n = parser.value(option).toInt(&ok);
        return parser.isSet(option) && ok ? n : -1;
    };
    o.selectDirectory = number(selectDirectory);
    o.selectCategory = number(selectCategory);
    o.selectEntry = number(selectEntry);
    o.screenshot = parser.value(screenshot);
    o.detailsScreenshot = parser.value(detailsScreenshot);
    return o;
}

// The value of "--name value" on the command line, read before the options
// are parsed; "" when not given.
QString EarlyOption(int argc, char* argv[], const char* name)
{
    QString value;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == name)
            value = QString::fromLocal8Bit(argv[i + 1]);
    return value;
}

// The language asked for: --lang, else the one chosen in Setup ("" follows
// the locale).
QString ChosenLanguage(int argc, char* argv[])
{
    QString language = EarlyOption(argc, argv, "--lang");
    if (language.isEmpty()) {
        vardel::ui::QtSettingsBackend settings(EarlyOption(argc, argv, "--settings"));
        language = QString::fromStdString(
            settings.ReadString(vardel::settings_keys::kSettings, vardel::settings_keys::kLanguage).value_or(""));
    }
    return language;
}

}  // namespace

int main(int argc, char* argv[])
{
    using namespace vardel;
    using namespace vardel::ui;
    // Catalogues of tens of thousands of plug-ins are loaded and freed
    // while the program runs: what they free goes back to the system.
    KeepHeapSmall();

    // --help and --version need no display and no instance guard.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" || arg == "-v") {
            QCoreApplication app(argc, argv);
            QCoreApplication::setApplicationName(QStringLiteral("vardel"));
            QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0"));
            installTranslation(app, ChosenLanguage(argc, argv));
            ParseOptions(app);  // prints and ends the program
            return 0;
        }
    }

    // A second instance ends before anything shows or is written.
    COXInstanceManager guard;
    if (guard.IsOtherInstanceRunning()) {
        if (VARDEL_ISATTY(2))
            std::fprintf(stderr, "vardel: another instance is running; this one ends.\n");
        return 0;
    }

    QApplication app(argc, argv);
    setApplicationIdentity();

    // The language is chosen before the options are parsed, so --help speaks it.
    installTranslation(app, ChosenLanguage(argc, argv));
    const Options options = ParseOptions(app);

    initResources();
    QGuiApplication::setWindowIcon(applicationIcon());

    // A data directory named on the command line must be there: a typing
    // mistake must not set up a new, empty installation. Only the user's
    // own data directory is made, on the first start.
    if (!options.dataDir.isEmpty() && !QFileInfo(options.dataDir).isDir()) {
        const QString text = QCoreApplication::translate("main", "The data directory %1 does not exist.")
                                 .arg(QDir::toNativeSeparators(QFileInfo(options.dataDir).absoluteFilePath()));
        std::fprintf(stderr, "vardel: %s\n", qPrintable(text));
        // Started from a desktop entry nobody reads the terminal.
        if (!VARDEL_ISATTY(2))
            QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(), text);
        return 2;
    }
    const QString dataDir =
        QFileInfo(QString::fromStdU16String(
                      ChooseDataDirectory(DataDirectoryPlaces::FromEnvironment(options.dataDir.toStdU16String()))
                          .u16string()))
            .absoluteFilePath();
    prepareDataDirectory(dataDir);
    const bool writable = isDataDirectoryWritable(dataDir);

    // The one settings store of the run: the session, the window and the
    // dialogs all keep their values through it.
    QtSettingsBackend backend(options.settingsFile);
    GuiSettings guiSettings(backend);
    CVardelSession session(DataDirectory{std::filesystem::path(dataDir.toStdU16String())}, backend);
    // The program is the data directory's writer for its whole run; a
    // command of vardel-cli that holds it ends soon, so it is waited for.
    session.Start(SessionAccess::Writer, WriterIdentity{kDesktopProgramName, kWriterLockWait});
    if (!session.MayWrite() && session.WriteRefusal()) {
        std::fprintf(stderr, "vardel: %s\n", session.WriteRefusal()->text.c_str());
        QMessageBox* box = showMessage(nullptr, messageText(*session.WriteRefusal()));
        QObject::connect(box, &QDialog::finished, &app, &QCoreApplication::quit);
        app.exec();
        return 1;
    }

    int rc = 0;
    {
        SessionAdapter adapter(session);
        CMainFrame frame(session, adapter, guiSettings);
        if (!writable) {
            const std::string dir =
                toStoredPath(QString::fromStdU16String(session.GetDataDirectory().SetupDb().u16string()));
            session.NotifyMessage(
                UserMessage{MessageCode::DataDirectoryNotWritable,
                            "Vardel cannot save into its data directory " + dir + "; changes may be lost.", dir});
        }
        if (!backend.unusableFile().isEmpty()) {
            const std::string file = toStoredPath(backend.unusableFile());
            session.NotifyMessage(UserMessage{MessageCode::SettingsFileUnusable,
                                              "The settings file " + file +
                                                  " is not a regular file; it is neither read nor written, and the "
                                                  "settings of this run are not kept.",
                                              file});
        }
        // What the start found (a store that cannot be read), now that the
        // window listens.
        for (const UserMessage& message : session.StartMessages())
            session.NotifyMessage(message);
        if (!options.screenshot.isEmpty()) {
            frame.resize(1180, 760);
            frame.show();
            auto* run = new ScreenshotRun(frame, adapter, options.selectDirectory, options.selectCategory,
                                          options.selectEntry, options.screenshot, options.detailsScreenshot);
            run->start();
        } else {
            frame.restorePlacementAndShow();
            if (options.selectDirectory >= 0)
                adapter.startSelect(options.selectDirectory);
            // A change cut short by the last run's end: complete or roll back?
            frame.history()->offerResolution();
        }
        rc = app.exec();
        adapter.waitForScan();
    }

    session.Exit();
    backend.sync();
    return rc;
}
