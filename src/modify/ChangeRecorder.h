#pragma once
// What a command changes in plug-in files, recorded before it touches the
// first file (write-ahead) and marked as each change completes, so that a
// command can be taken back, done again, and found when it was cut short.

#include <cstdint>
#include <string>
#include <vector>

namespace vardel {

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
    // made. Returns "" when it is recorded; otherwise why not, and nothing
    // may be written.
    virtual std::string Begin(const std::string& label, const std::vector<FileChange>& changes) = 0;
    // Change i of the command begun last is done or skipped.
    virtual void Mark(std::size_t change, FileChange::State state) = 0;
    // The command begun last is over (its changes all marked).
    virtual void End() = 0;
};

}  // namespace vardel
