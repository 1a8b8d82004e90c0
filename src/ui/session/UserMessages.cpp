#include "ui/session/UserMessages.h"

#include "app/Session.h"
#include "modify/CatalogueEditor.h"
#include "ui/common/Convert.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace vardel::ui {

QString messageText(const UserMessage& message)
{
    const QString arg = fromStoredPath(message.argument);
    switch (message.code) {
    case MessageCode::CatalogueNotFound:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 was not found.").arg(arg);
    case MessageCode::CatalogueInvalidPath:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 contains an invalid path.").arg(arg);
    case MessageCode::CatalogueTooManyFiles:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "%1 could not be opened because there are too many open files.")
            .arg(arg);
    case MessageCode::CatalogueAccessDenied:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Access to %1 was denied.").arg(arg);
    case MessageCode::CatalogueSharingViolation:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "A sharing violation occurred while accessing %1.")
            .arg(arg);
    case MessageCode::CatalogueLockingViolation:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "A locking violation occurred while accessing %1.")
            .arg(arg);
    case MessageCode::CatalogueUnknownError:
        return QCoreApplication::translate("vardel::ui::UserMessages", "An unknown error occurred while accessing %1.")
            .arg(arg);
    case MessageCode::FileReadOnly: return QCoreApplication::translate("vardel::ui::UserMessages", "File read only?");
    case MessageCode::PluginChangedOnDisk:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The plug-in file changed on disk since it was scanned; nothing was "
                                           "written. Please re-scan the directory.");
    case MessageCode::TextTooLong:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The text does not fit into the space it has in the plug-in file.");
    case MessageCode::CommandRefused: return RefusalText(message.refusal, message.arguments);
    case MessageCode::CatalogueNotSaved:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The catalogue of directory %1 could not be saved.")
            .arg(arg);
    case MessageCode::ShownCatalogueNotSaved:
        return QCoreApplication::translate("vardel::ui::UserMessages", "The catalogue on show could not be saved.");
    case MessageCode::PreviewWriteProtected:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Unexpected error: preview image write protected?");
    case MessageCode::DataDirectoryNotWritable:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Vardel cannot save into its data directory %1; changes may be lost.")
            .arg(arg);
    case MessageCode::StoreDamaged:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "A store could be read only in part; its damaged original was kept as %1.")
            .arg(arg);
    case MessageCode::StoreUnreadable:
        return QCoreApplication::translate(
                   "vardel::ui::UserMessages",
                   "The store %1 cannot be read; it is left as it is, and changes to it are not saved.")
            .arg(arg);
    case MessageCode::DataDirectoryInUse:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Another Vardel program is changing the data directory %1; nothing can be "
                                           "changed there until it ends.")
            .arg(arg);
    case MessageCode::DataDirectoryLockFailed:
        return QCoreApplication::translate(
                   "vardel::ui::UserMessages",
                   "The data directory %1 cannot be locked for writing; nothing can be changed there.")
            .arg(arg);
    case MessageCode::SettingsFileUnusable:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The settings file %1 is not a regular file; it is neither read nor "
                                           "written, and the settings of this run are not kept.")
            .arg(arg);
    case MessageCode::CatalogueOutsideDataDir:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The catalogue file %1 lies outside setup.db or names another store, and is "
                                           "neither read nor written. The directory can be given a new catalogue file.")
            .arg(arg);
    case MessageCode::HistoryNothingToUndo:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Nothing to undo.");
    case MessageCode::HistoryNothingToRedo:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Nothing to redo.");
    case MessageCode::HistoryNoSuchCommand:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Command %1 is not in the history, or was not cut short.")
            .arg(arg);
    case MessageCode::HistoryFileChanged:
        return QCoreApplication::translate(
                   "vardel::ui::UserMessages",
                   "%1 was changed by another program since; it is left as it is and nothing was changed.")
            .arg(arg);
    case MessageCode::HistoryFileMissing:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%1 is gone; nothing was changed.").arg(arg);
    case MessageCode::HistoryNameTaken:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "%1 exists already; no file is renamed over it. Nothing was changed.")
            .arg(arg);
    case MessageCode::HistoryWriteFailed:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "%1 could not be changed (read-only?); nothing was changed.")
            .arg(arg);
    case MessageCode::HistoryStoppedPartway:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "%1 could not be changed; the command was left cut short. Undo or redo it "
                                           "again once the file can be written.")
            .arg(arg);
    case MessageCode::HistoryNotRecorded:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The journal %1 cannot be saved; nothing was changed.")
            .arg(arg);
    case MessageCode::HistoryUnusable:
        return arg.isEmpty()
                   ? QCoreApplication::translate("vardel::ui::UserMessages",
                                                 "This program may not change the data directory now.")
                   : QCoreApplication::translate("vardel::ui::UserMessages",
                                                 "The journal %1 cannot be read; nothing can be undone or redone.")
                         .arg(arg);
    default:
        // The session's own English text says it best for the rarer cases.
        return fromCodePage(message.text);
    }
}

QString RefusalText(EditCode code, const std::vector<std::string>& arguments)
{
    auto arg = [&arguments](std::size_t i) { return i < arguments.size() ? fromStoredPath(arguments[i]) : QString(); };
    switch (code) {
    case EditCode::None: break;
    case EditCode::FileReadOnly: return QCoreApplication::translate("vardel::ui::UserMessages", "File read only?");
    case EditCode::ChangedOnDisk:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The plug-in file changed on disk since it was scanned; nothing was "
                                           "written. Please re-scan the directory.");
    case EditCode::TextTooLong:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The text does not fit into the space it has in the plug-in file.");
    case EditCode::TooShort:
        return QCoreApplication::translate("vardel::ui::UserMessages", "At least 3 characters are needed.");
    case EditCode::TooLongFor:
        return QCoreApplication::translate("vardel::ui::UserMessages", "At most %1 characters are allowed.")
            .arg(arg(0));
    case EditCode::Unavailable:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Not available: a plug-in is read-only, or has no category of its own or "
                                           "no space for one.");
    case EditCode::NothingSelected:
        return QCoreApplication::translate("vardel::ui::UserMessages", "No plug-in to change.");
    case EditCode::OutsideDirectory:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Nothing was written: %1 does not lie in the plug-in directory %2.")
            .arg(arg(0), arg(1));
    case EditCode::WritesBarred:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "This program may not change the data directory now.");
    case EditCode::NoDirectory:
        return QCoreApplication::translate("vardel::ui::UserMessages", "No plug-in directory is on show.");
    case EditCode::JournalBusy:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Nothing was written: the change could not be recorded in the journal "
                                           "(another change is being made).");
    case EditCode::JournalReadOnly:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Nothing was written: the change could not be recorded in the journal "
                                           "(this program may not write).");
    case EditCode::JournalUnreadable:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Nothing was written: the change could not be recorded in the journal "
                                           "(the journal cannot be read: %1).")
            .arg(arg(0));
    case EditCode::JournalNotSaved:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Nothing was written: the change could not be recorded in the journal "
                                           "(it cannot be saved: %1).")
            .arg(arg(0));
    case EditCode::NoSuchDirectory:
        return QCoreApplication::translate("vardel::ui::UserMessages", "No plug-in directory %1 in the directory list.")
            .arg(arg(0));
    case EditCode::CatalogueFileUnusable:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "The catalogue file of directory %1 cannot be used.")
            .arg(arg(0));
    case EditCode::CatalogueUnreadable:
        return QCoreApplication::translate("vardel::ui::UserMessages", "Cannot read the catalogue of directory %1: %2")
            .arg(arg(0), arg(1));
    case EditCode::NotInCatalogue:
        return QCoreApplication::translate("vardel::ui::UserMessages", "%2 is not in the catalogue of directory %1.")
            .arg(arg(0), arg(1));
    case EditCode::FileGone:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "%1 is gone; select the directory to bring its catalogue up to date.")
            .arg(arg(0));
    case EditCode::NotEnabled:
        return QCoreApplication::translate("vardel::ui::UserMessages",
                                           "Nothing was renamed: %1 cannot get its enabled name (is that name taken?).")
            .arg(arg(0));
    case EditCode::NotDisabled:
        return QCoreApplication::translate(
                   "vardel::ui::UserMessages",
                   "Nothing was renamed: %1 cannot get its disabled name (is that name taken?).")
            .arg(arg(0));
    case EditCode::RenamedNotSaved:
        return QCoreApplication::translate(
                   "vardel::ui::UserMessages",
                   "The files were renamed, but the catalogue of directory %1 could not be saved.")
            .arg(arg(0));
    }
    return {};
}

QString messageTitle()
{
    // The program's own name, which the desktop would otherwise append.
    return QGuiApplication::applicationDisplayName();
}

QMessageBox* showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon)
{
    auto* box = new QMessageBox(icon, messageTitle(), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("messageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

}  // namespace vardel::ui
