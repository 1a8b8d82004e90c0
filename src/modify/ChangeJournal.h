#pragma once
// The journal of the commands that changed plug-in files ("setup.db/journal"),
// oldest first: each command with its label, time, state and every change it
// made or meant to make. Its own store format (not the object archive of the
// other stores): four magic bytes "VJNL", the fields below, and a checksum,
// so that a journal cut short or overwritten is never read in part.

#include "modify/ChangeRecorder.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vardel {

enum class CommandState : std::uint8_t {
    Started = 0,  // being done: some changes may be made, some not (cut short when found at start)
    Done = 1,     // every change made (or skipped)
    Undoing = 2,  // being taken back (cut short when found at start)
    Undone = 3,   // taken back
};

struct JournalCommand {
    std::uint32_t id = 0;
    std::string label;      // in the 8-bit code page, as the names it quotes
    std::int64_t time = 0;  // seconds since the epoch, when it was recorded
    CommandState state = CommandState::Started;
    // Undone and still offered for redo: no command was recorded since.
    bool redoable = false;
    // Undone commands in the order they were undone (the latest is redone first).
    std::uint32_t undoSerial = 0;
    std::vector<FileChange> changes;

    // Cut short while being done or taken back.
    bool IsIncomplete() const { return state == CommandState::Started || state == CommandState::Undoing; }
    // The files it changes (their enabled paths), each once, in order.
    std::vector<std::string> Files() const;
    // True when it and other change one file.
    bool SharesFileWith(const JournalCommand& other) const;
};

class CChangeJournal {
public:
    // The most commands kept; older complete ones are dropped (an incomplete
    // one never is).
    static constexpr std::size_t kKeptCommands = 100;

    std::vector<JournalCommand> commands;  // oldest first
    std::uint32_t nextId = 1;
    std::uint32_t nextUndoSerial = 1;

    JournalCommand* Find(std::uint32_t id);
    // Appends a new command (state Started) with the next id; commands
    // undone before it can no longer be redone, and the oldest are dropped
    // beyond kKeptCommands.
    JournalCommand& Append(const std::string& label, std::int64_t time, std::vector<FileChange> changes);
    // Removes the command (one that changed nothing).
    void Remove(std::uint32_t id);

    std::vector<std::uint8_t> Encode() const;
    // Replaces the content with what body holds; false (content cleared)
    // when it does not hold a whole journal.
    bool Decode(std::span<const std::uint8_t> body);
};

struct JournalLoad {
    enum class Status { Loaded, Missing, Damaged, Unreadable };
    Status status = Status::Missing;
    std::string error;
};

inline constexpr const char* kJournalFileName = "journal";
// The largest journal read.
inline constexpr std::uintmax_t kMaxJournalSize = 64u << 20;

// Loads the journal file; anything but Loaded leaves the journal empty.
JournalLoad LoadJournal(const std::filesystem::path& file, CChangeJournal& journal);
// Saves it atomically. Returns the error (empty on success).
std::error_code SaveJournal(const std::filesystem::path& file, const CChangeJournal& journal);

}  // namespace vardel
