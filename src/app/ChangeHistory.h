#pragma once
// CChangeHistory: the journal of the commands that changed plug-in files,
// kept in "setup.db/journal", and what can be done with it: undo and redo
// of whole commands, taking back any one command with the later ones that
// touch its files, and completing or rolling back a command cut short.
//
// It is the recorder of the catalogue editor: a command is saved with every
// change it means to make before the first file is touched, and saved again
// with what came of each change when it is over. A command cut short is
// found by its state; where its files stand is read from the files.
//
// Threads: one thread at a time (a worker for a long undo). Begin never
// waits: while another thread works on the history, it refuses.

#include "app/Session.h"
#include "modify/ChangeJournal.h"
#include "modify/ChangeReplay.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vardel {

// What an undo, redo, take-back or resolution did.
struct HistoryResult {
    bool ok = false;
    std::optional<UserMessage> message;  // why it was refused or stopped; none when ok
    // The commands moved, in the order they were moved.
    std::vector<std::uint32_t> commands;
    // The changes moved and the side they went to (for the catalogues).
    std::vector<FileChange> moved;
    ChangeSide side = ChangeSide::Before;
};

class CChangeHistory : public ChangeRecorder {
public:
    explicit CChangeHistory(std::filesystem::path file);

    // Reads the journal file. A damaged one is moved aside (its new name is
    // returned in kept) and the history starts empty; an unreadable one is
    // never saved over, and nothing is recorded (Begin refuses). writable
    // false: a reader, that records and changes nothing.
    JournalLoad Load(bool writable, std::string* kept = nullptr);

    // ChangeRecorder.
    RecordRefusal Begin(const std::string& label, const std::vector<FileChange>& changes) override;
    void Mark(std::size_t change, FileChange::State state) override;
    void End() override;

    // The commands, newest first.
    std::vector<JournalCommand> Commands() const;
    // The commands cut short, newest first.
    std::vector<JournalCommand> Incomplete() const;
    // What undo and redo would act on: a command cut short first, else the
    // newest done command / the command undone last that no command
    // recorded since made stale. Nothing when there is none.
    std::optional<JournalCommand> NextUndo() const;
    std::optional<JournalCommand> NextRedo() const;
    // The done commands after id that touch its files (or the files of one
    // of them), newest first: taking id back takes them back first.
    std::vector<std::uint32_t> Dependents(std::uint32_t id) const;
    // The id Begin gave the command recorded last; 0 when none.
    std::uint32_t LastRecorded() const;

    // Undo: a command cut short is rolled back (its files get the "before"
    // side), else the newest done command is taken back.
    HistoryResult Undo();
    // Redo: a command cut short is completed, else the command undone last
    // is done again.
    HistoryResult Redo();
    // Takes back command id and, newest first, the done commands that
    // depend on it. Stops at the first refusal.
    HistoryResult TakeBack(std::uint32_t id);
    // A command cut short: complete it (true: its files get the side it was
    // going to) or roll it back.
    HistoryResult Resolve(std::uint32_t id, bool complete);

private:
    HistoryResult Refused(MessageCode code, const std::string& text, const std::string& argument = {}) const;
    // Moves command to side (strict: every change must stand on the other
    // side). Adds to result; false when refused or stopped.
    bool MoveCommand(JournalCommand& command, ChangeSide to, bool strict, HistoryResult& result);
    bool Save();
    std::optional<std::uint32_t> NextUndoId() const;
    std::optional<std::uint32_t> NextRedoId() const;
    HistoryResult Unusable() const;

    std::filesystem::path m_file;
    CChangeJournal m_journal;
    mutable std::mutex m_mutex;
    bool m_writable = false;
    std::string m_unusable;       // why nothing may be recorded; "" when it may
    std::uint32_t m_current = 0;  // the command Begin recorded and End has not ended
    std::uint32_t m_last = 0;
};

// The "%1 ..." message of a replay failure, as its code.
UserMessage ReplayMessage(const ReplayFailure& failure, bool partly);

}  // namespace vardel
