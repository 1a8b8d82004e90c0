#include "ui/session/UserMessages.h"

#include "app/PluginDetails.h"
#include "app/Session.h"
#include "modify/CatalogueEditor.h"
#include "modify/PluginWriter.h"
#include "ui/common/Convert.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace vardel::ui {

QString MessageText(const UserMessage& message)
{
    const QString arg = FromStoredPath(message.argument);
    switch (message.code) {
    case MessageCode::CatalogueNotFound:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 was not found.").arg(arg);
    case MessageCode::CatalogueInvalidPath:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 contains an invalid path.").arg(arg);
    case MessageCode::CatalogueTooManyFiles:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 could not be opened because there are too many open files.").arg(arg);
    case MessageCode::CatalogueAccessDenied:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Access to %1 was denied.").arg(arg);
    case MessageCode::CatalogueSharingViolation:
        return QCoreApplication::translate("vardel::ui::UserMessages", "A sharing violation occurred while accessing %1.").arg(arg);
    case MessageCode::CatalogueLockingViolation:
        return QCoreApplication::translate("vardel::ui::UserMessages", "A locking violation occurred while accessing %1.").arg(arg);
    case MessageCode::CatalogueUnknownError:
        return QCoreApplication::translate("vardel::ui::UserMessages", "An unknown error occurred while accessing %1.").arg(arg);
    case MessageCode::FileReadOnly:
        return QCoreApplication::translate("vardel::ui::UserMessages", "File read only?");
    case MessageCode::PluginChangedOnDisk:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The plug-in file changed on disk since it was scanned; nothing was "
                                           "written. Please re-scan the directory.");
    case MessageCode::TextTooLong:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The text does not fit into the space it has in the plug-in file.");
    case MessageCode::CommandRefused:
        return CoreText(message.text);
    case MessageCode::PreviewWriteProtected:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Unexpected error: preview image write protected?");
    case MessageCode::DataDirectoryNotWritable:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Vardel cannot save into its data directory %1; changes may be lost.").arg(arg);
    case MessageCode::StoreDamaged:
        return QCoreApplication::translate("vardel::ui::UserMessages", "A store could be read only in part; its damaged original was kept as %1.").arg(arg);
    case MessageCode::StoreUnreadable:
        return QCoreApplication::translate("vardel::ui::UserMessages", "The store %1 cannot be read; it is left as it is, and changes to it are not saved.").arg(arg);
    case MessageCode::DataDirectoryInUse:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Another Vardel program is changing the data directory %1; nothing can be changed there until it ends.").arg(arg);
    case MessageCode::DataDirectoryLockFailed:
        return QCoreApplication::translate("vardel::ui::UserMessages", "The data directory %1 cannot be locked for writing; nothing can be changed there.").arg(arg);
    case MessageCode::SettingsFileUnusable:
        return QCoreApplication::translate("vardel::ui::UserMessages", "The settings file %1 is not a regular file; it is neither read nor written, and the settings of this run are not kept.").arg(arg);
    case MessageCode::CatalogueOutsideDataDir:
        return QCoreApplication::translate("vardel::ui::UserMessages", "The catalogue file %1 lies outside setup.db or names another store, and is neither read nor written. The directory can be given a new catalogue file.").arg(arg);
    case MessageCode::HistoryNothingToUndo:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Nothing to undo.");
    case MessageCode::HistoryNothingToRedo:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Nothing to redo.");
    case MessageCode::HistoryNoSuchCommand:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Command %1 is not in the history, or was not cut short.").arg(arg);
    case MessageCode::HistoryFileChanged:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 was changed by another program since; it is left as it is and nothing was changed.").arg(arg);
    case MessageCode::HistoryFileMissing:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 is gone; nothing was changed.").arg(arg);
    case MessageCode::HistoryNameTaken:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 exists already; no file is renamed over it. Nothing was changed.").arg(arg);
    case MessageCode::HistoryWriteFailed:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 could not be changed (read-only?); nothing was changed.").arg(arg);
    case MessageCode::HistoryStoppedPartway:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 could not be changed; the command was left cut short. Undo or redo it again once the file can be written.").arg(arg);
    case MessageCode::HistoryNotRecorded:
        return QCoreApplication::translate("vardel::ui::UserMessages", "The journal %1 cannot be saved; nothing was changed.").arg(arg);
    case MessageCode::HistoryUnusable:
        return arg.isEmpty() ? QCoreApplication::translate("vardel::ui::UserMessages", "This program may not change the data directory now.")
                             : QCoreApplication::translate("vardel::ui::UserMessages", "The journal %1 cannot be read; nothing can be undone or redone.").arg(arg);
    default:
        // The session's own English text says it best for the rarer cases.
        return FromCodePage(message.text);
    }
}

QString CoreText(const std::string& text)
{
    struct Known {
        const char* core;
        const char* translatable;
    };
    static const Known known[] = {
        // A command refused before anything was written.
        {kFileReadOnlyText, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "File read only?")},
        {kTooShortText, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "At least 3 characters are needed.")},
        {kUnavailableText, QT_TRANSLATE_NOOP("vardel::ui::UserMessages",
                                             "Not available: a plug-in is read-only, or has no category of its own or "
                                             "no space for one.")},
        {kNothingSelectedText, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "No plug-in to change.")},
        // The sheet's title and pages.
        {kSheetTitle, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Plugin Details")},
        {kPagePreview, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", " Preview ")},
        {kPageAuthor, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", " Author/Description ")},
        {kPageCode, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", " Filter Factory Code ")},
        {kPageGeneral, QT_TRANSLATE_NOOP("vardel::ui::UserMessages", " General Properties ")},
        // The image modes.
        {"Bitmap", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Bitmap")},
        {"Grayscale", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Grayscale")},
        {"Indexed Color", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Indexed Color")},
        {"RGB Color", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "RGB Color")},
        {"CMYK Color", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "CMYK Color")},
        {"HSL Color", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "HSL Color")},
        {"HSB Color", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "HSB Color")},
        {"Multichannel", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Multichannel")},
        {"Duotone", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Duotone")},
        {"LAB Color", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "LAB Color")},
        {"16 Bit Gray", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "16 Bit Gray")},
        {"48 Bit Color", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "48 Bit Color")},
        // The session's status texts.
        {"Ready", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Ready")},
        {"Analysing...", QT_TRANSLATE_NOOP("vardel::ui::UserMessages", "Analysing...")},
    };
    for (const Known& k : known)
        if (text == k.core)
            return QCoreApplication::translate("vardel::ui::UserMessages", k.translatable);
    return FromCodePage(text);
}

QString MessageTitle()
{
    // The program's own name, which the desktop would otherwise append.
    return QGuiApplication::applicationDisplayName();
}

QMessageBox* ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon)
{
    auto* box = new QMessageBox(icon, MessageTitle(), text,
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("messageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

}  // namespace vardel::ui
