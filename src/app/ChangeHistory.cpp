#include "app/ChangeHistory.h"

#include "base/FileOps.h"

#include <algorithm>
#include <ctime>

namespace vardel {

namespace {

constexpr int kKeptDamaged = 10;

std::string Quoted(std::uint32_t id)
{
    return std::to_string(id);
}

}  // namespace

UserMessage ReplayMessage(const ReplayFailure& failure, bool partly)
{
    const std::string path = PathForDisplay(failure.path);
    if (partly)
        return {MessageCode::HistoryStoppedPartway,
                path + " could not be changed; the command was left cut short. Undo or redo it again once the file "
                       "can be written.",
                path};
    switch (failure.error) {
    case ReplayError::FileChanged:
        return {MessageCode::HistoryFileChanged,
                path + " was changed by another program since; it is left as it is and nothing was changed.", path};
    case ReplayError::FileMissing:
        return {MessageCode::HistoryFileMissing, path + " is gone; nothing was changed.", path};
    case ReplayError::NameTaken:
        return {MessageCode::HistoryNameTaken,
                path + " exists already; no file is renamed over it. Nothing was changed.", path};
    case ReplayError::WriteFailed: break;
    }
    return {MessageCode::HistoryWriteFailed, path + " could not be changed (read-only?); nothing was changed.", path};
}

CChangeHistory::CChangeHistory(std::filesystem::path file)
    : m_file(std::move(file))
{}

JournalLoad CChangeHistory::Load(bool writable, std::string* kept)
{
    std::lock_guard lock(m_mutex);
    m_writable = writable;
    m_unusable.clear();
    JournalLoad load = LoadJournal(m_file, m_journal);
    if (load.status == JournalLoad::Status::Unreadable) {
        m_unusable = load.error;
    } else if (load.status == JournalLoad::Status::Damaged && writable) {
        // What it held is kept for whoever wants to look; the history starts anew.
        for (int i = 0; i < kKeptDamaged; ++i) {
            std::filesystem::path aside = m_file;
            aside += ".damaged" + (i ? std::to_string(i) : std::string());
            if (!RenameNoReplace(m_file, aside)) {
                if (kept)
                    *kept = aside.string();
                return load;
            }
        }
        m_unusable = "a damaged journal could not be moved aside";
    }
    return load;
}

bool CChangeHistory::Save()
{
    return !SaveJournal(m_file, m_journal);
}

RecordRefusal CChangeHistory::Begin(const std::string& label, const std::vector<FileChange>& changes)
{
    std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock())
        return {EditCode::JournalBusy, {}, "another change is being made"};
    if (!m_writable)
        return {EditCode::JournalReadOnly, {}, "this program may not write"};
    if (!m_unusable.empty())
        return {EditCode::JournalUnreadable, m_unusable, "the journal cannot be read: " + m_unusable};
    JournalCommand& command = m_journal.Append(label, static_cast<std::int64_t>(std::time(nullptr)), changes);
    const std::uint32_t id = command.id;
    if (const std::error_code ec = SaveJournal(m_file, m_journal)) {
        m_journal.Remove(id);
        return {EditCode::JournalNotSaved, ec.message(), "it cannot be saved: " + ec.message()};
    }
    m_current = id;
    m_last = id;
    return {};
}

void CChangeHistory::Mark(std::size_t change, FileChange::State state)
{
    std::lock_guard lock(m_mutex);
    // Kept in memory only: a command cut short is read from its files.
    JournalCommand* command = m_journal.Find(m_current);
    if (command && change < command->changes.size())
        command->changes[change].state = state;
}

void CChangeHistory::End()
{
    std::lock_guard lock(m_mutex);
    JournalCommand* command = m_journal.Find(m_current);
    m_current = 0;
    if (!command)
        return;
    const bool any = std::any_of(command->changes.begin(), command->changes.end(),
                                 [](const FileChange& c) { return c.state != FileChange::State::Skipped; });
    if (any) {
        command->state = CommandState::Done;
    } else {
        // Nothing came of it: nothing to undo.
        if (m_last == command->id)
            m_last = 0;
        m_journal.Remove(command->id);
    }
    // A failed save leaves the command as started; the next start reads
    // from its files that it went through.
    Save();
}

std::vector<JournalCommand> CChangeHistory::Commands() const
{
    std::lock_guard lock(m_mutex);
    return {m_journal.commands.rbegin(), m_journal.commands.rend()};
}

std::vector<JournalCommand> CChangeHistory::Incomplete() const
{
    std::lock_guard lock(m_mutex);
    std::vector<JournalCommand> found;
    for (auto it = m_journal.commands.rbegin(); it != m_journal.commands.rend(); ++it)
        if (it->IsIncomplete() && it->id != m_current)
            found.push_back(*it);
    return found;
}

std::optional<std::uint32_t> CChangeHistory::NextUndoId() const
{
    for (auto it = m_journal.commands.rbegin(); it != m_journal.commands.rend(); ++it)
        if (it->IsIncomplete() && it->id != m_current)
            return it->id;
    for (auto it = m_journal.commands.rbegin(); it != m_journal.commands.rend(); ++it)
        if (it->state == CommandState::Done)
            return it->id;
    return std::nullopt;
}

std::optional<std::uint32_t> CChangeHistory::NextRedoId() const
{
    for (auto it = m_journal.commands.rbegin(); it != m_journal.commands.rend(); ++it)
        if (it->IsIncomplete() && it->id != m_current)
            return it->id;
    const JournalCommand* best = nullptr;
    for (const JournalCommand& c : m_journal.commands)
        if (c.state == CommandState::Undone && c.redoable && (!best || c.undoSerial > best->undoSerial))
            best = &c;
    return best ? std::optional(best->id) : std::nullopt;
}

std::optional<JournalCommand> CChangeHistory::NextUndo() const
{
    std::lock_guard lock(m_mutex);
    if (auto id = NextUndoId())
        return *const_cast<CChangeJournal&>(m_journal).Find(*id);
    return std::nullopt;
}

std::optional<JournalCommand> CChangeHistory::NextRedo() const
{
    std::lock_guard lock(m_mutex);
    if (auto id = NextRedoId())
        return *const_cast<CChangeJournal&>(m_journal).Find(*id);
    return std::nullopt;
}

std::vector<std::uint32_t> CChangeHistory::Dependents(std::uint32_t id) const
{
    std::lock_guard lock(m_mutex);
    std::vector<const JournalCommand*> group;
    auto it = std::find_if(m_journal.commands.begin(), m_journal.commands.end(),
                           [id](const JournalCommand& c) { return c.id == id; });
    if (it == m_journal.commands.end())
        return {};
    group.push_back(&*it);
    for (++it; it != m_journal.commands.end(); ++it) {
        if (it->state != CommandState::Done)
            continue;
        if (std::any_of(group.begin(), group.end(), [&](const JournalCommand* g) { return it->SharesFileWith(*g); }))
            group.push_back(&*it);
    }
    std::vector<std::uint32_t> ids;
    for (auto g = group.rbegin(); g != group.rend() - 1; ++g)
        ids.push_back((*g)->id);
    return ids;
}

std::uint32_t CChangeHistory::LastRecorded() const
{
    std::lock_guard lock(m_mutex);
    return m_last;
}

HistoryResult CChangeHistory::Refused(MessageCode code, const std::string& text, const std::string& argument) const
{
    HistoryResult result;
    result.message = UserMessage{code, text, argument};
    return result;
}

HistoryResult CChangeHistory::Unusable() const
{
    if (!m_writable)
        return Refused(MessageCode::HistoryUnusable, "This program may not change the data directory now.");
    return Refused(MessageCode::HistoryUnusable,
                   "The journal " + m_file.string() + " cannot be read (" + m_unusable +
                       "); nothing can be undone or redone.",
                   m_file.string());
}

bool CChangeHistory::MoveCommand(JournalCommand& command, ChangeSide to, bool strict, HistoryResult& result)
{
    result.side = to;
    const CommandState before = command.state;
    const std::uint32_t id = command.id;
    command.state = to == ChangeSide::After ? CommandState::Started : CommandState::Undoing;
    // Saved before the first file changes, so that a kill leaves it cut short.
    if (const std::error_code ec = SaveJournal(m_file, m_journal)) {
        command.state = before;
        result.ok = false;
        result.message = UserMessage{MessageCode::HistoryNotRecorded,
                                     "The journal " + m_file.string() + " cannot be saved (" + ec.message() +
                                         "); nothing was changed.",
                                     m_file.string()};
        return false;
    }
    std::vector<std::size_t> moved;
    const std::optional<ReplayFailure> failure = BringChanges(command.changes, to, strict, &moved);
    // The journal's vector may not move meanwhile: only this thread touches it.
    JournalCommand& c = *m_journal.Find(id);
    for (std::size_t i : moved)
        result.moved.push_back(c.changes[i]);
    if (failure) {
        // Nothing written: the command stays as it was; else it stays cut short.
        if (moved.empty())
            c.state = before;
        Save();
        result.ok = false;
        result.message = ReplayMessage(*failure, !moved.empty());
        return false;
    }
    if (to == ChangeSide::After) {
        c.state = CommandState::Done;
        c.redoable = false;
    } else {
        c.state = CommandState::Undone;
        c.redoable = true;
        c.undoSerial = m_journal.nextUndoSerial++;
    }
    result.commands.push_back(id);
    Save();
    return true;
}

HistoryResult CChangeHistory::Undo()
{
    std::optional<std::uint32_t> id;
    {
        std::lock_guard lock(m_mutex);
        if (!m_writable || !m_unusable.empty())
            return Unusable();
        id = NextUndoId();
        if (!id)
            return Refused(MessageCode::HistoryNothingToUndo, "Nothing to undo.");
        if (m_journal.Find(*id)->IsIncomplete()) {
            HistoryResult result;
            result.ok = MoveCommand(*m_journal.Find(*id), ChangeSide::Before, false, result);
            return result;
        }
    }
    return TakeBack(*id);
}

HistoryResult CChangeHistory::Redo()
{
    std::lock_guard lock(m_mutex);
    if (!m_writable || !m_unusable.empty())
        return Unusable();
    const std::optional<std::uint32_t> id = NextRedoId();
    if (!id)
        return Refused(MessageCode::HistoryNothingToRedo, "Nothing to redo.");
    JournalCommand& command = *m_journal.Find(*id);
    HistoryResult result;
    result.ok = MoveCommand(command, ChangeSide::After, !command.IsIncomplete(), result);
    return result;
}

HistoryResult CChangeHistory::TakeBack(std::uint32_t id)
{
    std::vector<std::uint32_t> order = Dependents(id);
    order.push_back(id);
    std::lock_guard lock(m_mutex);
    if (!m_writable || !m_unusable.empty())
        return Unusable();
    JournalCommand* target = m_journal.Find(id);
    if (!target)
        return Refused(MessageCode::HistoryNoSuchCommand, "No command " + Quoted(id) + " in the history.", Quoted(id));
    if (target->state != CommandState::Done)
        return Refused(MessageCode::HistoryNothingToUndo, "Nothing to undo.");
    HistoryResult result;
    result.ok = true;
    for (std::uint32_t k : order)
        if (!MoveCommand(*m_journal.Find(k), ChangeSide::Before, true, result))
            return result;
    return result;
}

HistoryResult CChangeHistory::Resolve(std::uint32_t id, bool complete)
{
    std::lock_guard lock(m_mutex);
    if (!m_writable || !m_unusable.empty())
        return Unusable();
    JournalCommand* command = m_journal.Find(id);
    if (!command || !command->IsIncomplete() || id == m_current)
        return Refused(MessageCode::HistoryNoSuchCommand, "No command " + Quoted(id) + " was cut short.", Quoted(id));
    // Completing goes where it was going: an undo cut short to the before side.
    const bool wasUndoing = command->state == CommandState::Undoing;
    const ChangeSide to = complete != wasUndoing ? ChangeSide::After : ChangeSide::Before;
    HistoryResult result;
    result.ok = MoveCommand(*command, to, false, result);
    return result;
}

}  // namespace vardel
