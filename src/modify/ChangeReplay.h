#pragma once
// Bringing the changes of a recorded command to one of their two sides: the
// "before" side (undo, roll back) or the "after" side (redo, complete).
// Every file is checked before the first is touched; a file that holds
// neither side (another program changed it) refuses the whole command.

#include "modify/ChangeRecorder.h"

#include <optional>
#include <string>
#include <vector>

namespace vardel {

// Where a change's file stands.
enum class ChangeSide : std::uint8_t {
    Before,   // holds the bytes (or has the name) from before the change
    After,    // holds what the change put there
    Neither,  // changed by something else, gone, or both names taken
};

enum class ReplayError : std::uint8_t {
    FileChanged,  // the file holds neither side's bytes at the place
    FileMissing,  // the file is gone under both of its names
    NameTaken,    // a rename's other name is taken by another file
    WriteFailed,  // the file could not be opened, written or renamed
};

struct ReplayFailure {
    ReplayError error = ReplayError::FileChanged;
    std::string path;  // the file (a stored path)
};

// Where the change's file stands now. A write whose two sides are the same
// bytes stands on both: it is reported on the side asked for.
ChangeSide LocateChange(const FileChange& change, ChangeSide wanted);

// Checks that every change not skipped stands on side from (strict), or on
// either side (for a command cut short, whose changes may stand on both).
std::optional<ReplayFailure> CheckChanges(const std::vector<FileChange>& changes, ChangeSide from, bool strict);

// Brings every change not skipped to side to, in reverse order for the
// before side, after checking them all as CheckChanges does. Stops at the
// first failure (a full disk); changes already on side to are left alone.
// changed gets the indices of the changes moved.
std::optional<ReplayFailure> BringChanges(const std::vector<FileChange>& changes, ChangeSide to, bool strict,
                                          std::vector<std::size_t>* changed = nullptr);

}  // namespace vardel
