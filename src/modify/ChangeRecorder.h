#pragma once
// What a command changes in plug-in files, recorded before it touches the
// first file (write-ahead) and marked as each change completes, so that a
// command can be taken back, done again, and found when it was cut short.

#include <cstdint>
#include <string>
#include <vector>

namespace vardel {

// Why a command of the editor was refused or a write failed, for the window
// to word in its language; the English text travels beside it for the tools.
enum class EditCode {
    None,
    FileReadOnly,       // "File read only?"
    ChangedOnDisk,      // the file no longer holds the entry's text: re-scan
    TextTooLong,        // the text does not fit into the space it has in the file
    TooShort,           // "At least 3 characters are needed."
    TooLongFor,         // "At most %1 characters are allowed." (%1 the limit)
    Unavailable,        // read-only, or no category of its own or no space for one
    NothingSelected,    // "No plug-in to change."
    OutsideDirectory,   // %1 the file does not lie in the plug-in directory %2
    WritesBarred,       // the session may not write now (its own message says why)
    NoDirectory,        // no plug-in directory is on show
    JournalBusy,        // not recorded: another change is being made
    JournalReadOnly,    // not recorded: this program may not write
    JournalUnreadable,  // not recorded: the journal cannot be read (%1 why)
    JournalNotSaved,    // not recorded: the journal cannot be saved (%1 the system's error)
    // A command on the stored catalogue of a directory of the list (%1 its number).
    NoSuchDirectory,        // no plug-in directory %1 in the list
    CatalogueFileUnusable,  // the catalogue file of directory %1 cannot be used
    CatalogueUnreadable,    // the catalogue of directory %1 cannot be read (%2 why)
    NotInCatalogue,         // %2 is not in the catalogue of directory %1
    FileGone,               // %1 is gone: select the directory to bring it up to date
    NotEnabled,             // nothing renamed: %1 cannot get its enabled name
    NotDisabled,            // nothing renamed: %1 cannot get its disabled name
    RenamedNotSaved,        // renamed, but the catalogue of directory %1 was not saved
};

// Why the journal refused to record a command: a code, its argument and the
// English text. Empty (code None) when it was recorded.
struct RecordRefusal {
    EditCode code = EditCode::None;
    std::string argument;
    std::string text;

    bool empty() const { return code == EditCode::None; }
};

// The text of an entry a write changes.
enum class TextField : std::uint8_t { Name = 0, Category = 1 };

// One change to one plug-in file: bytes rewritten in place, or a rename.
struct FileChange {
    enum class Kind : std::uint8_t { Write = 1, Rename = 2 };
    // Pending: intended, not known to be done. Done: the file holds the
    // "after" side. Skipped: the command did not make it (refused, failed).
    enum class State : std::uint8_t { Pending = 0, Done = 1, Skipped = 2 };

    Kind kind = Kind::Write;
    State state = State::Pending;
    // Who the file is across renames: its path when enabled.
    std::string file;
    // Write: the path of the file when written. Rename: the path before.
    std::string path;
    // Rename: the path after.
    std::string target;

    // Write: where, and the bytes there before and after (same length).
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
    // Write: the entry it changes (kind, index in file, resource type), the
    // text and the text's offset the entry holds before and after.
    TextField field = TextField::Name;
    int entryKind = 0;
    int entryIndex = 0;
    int entryResourceType = 0;
    std::string textBefore;
    std::string textAfter;
    int textOffsetBefore = 0;
    int textOffsetAfter = 0;

    // The path the file has on the side given (after: true).
    const std::string& PathOn(bool afterSide) const { return kind == Kind::Rename && afterSide ? target : path; }
};

class ChangeRecorder {
public:
    virtual ~ChangeRecorder() = default;
    // Records the command with every change it means to make, before any is
    // made. Returns an empty refusal when it is recorded; otherwise why not,
    // and nothing may be written.
    virtual RecordRefusal Begin(const std::string& label, const std::vector<FileChange>& changes) = 0;
    // Change i of the command begun last is done or skipped.
    virtual void Mark(std::size_t change, FileChange::State state) = 0;
    // The command begun last is over (its changes all marked).
    virtual void End() = 0;
};

}  // namespace vardel
