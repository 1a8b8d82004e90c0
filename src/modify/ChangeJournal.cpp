#include "modify/ChangeJournal.h"

#include "base/Archive.h"
#include "base/ChecksummedFile.h"

#include <algorithm>

namespace vardel {

namespace {

constexpr char kMagic[5] = "VJNL";
constexpr std::uint32_t kVersion = 1;

void WriteBlob(CArchive& ar, const std::vector<std::uint8_t>& bytes)
{
    ar.WriteDword(static_cast<std::uint32_t>(bytes.size()));
    ar.WriteBytes(bytes);
}

std::vector<std::uint8_t> ReadBlob(CArchive& ar)
{
    const std::uint32_t n = ar.ReadDword();
    if (n > ar.Remaining())
        throw ArchiveEndOfFile();
    std::vector<std::uint8_t> bytes(n);
    ar.ReadBytes(bytes);
    return bytes;
}

void WriteInt(CArchive& ar, int v)
{
    ar.WriteDword(static_cast<std::uint32_t>(v));
}
int ReadInt(CArchive& ar)
{
    return static_cast<int>(ar.ReadDword());
}

// A byte that must be one of the enum's values.
template <class Enum>
Enum ReadEnum(CArchive& ar, std::uint8_t last)
{
    const std::uint8_t v = ar.ReadByte();
    if (v > last)
        throw ArchiveError("a state out of range");
    return static_cast<Enum>(v);
}

void WriteChange(CArchive& ar, const FileChange& c)
{
    ar.WriteByte(static_cast<std::uint8_t>(c.kind));
    ar.WriteByte(static_cast<std::uint8_t>(c.state));
    ar.WriteString(c.file);
    ar.WriteString(c.path);
    ar.WriteString(c.target);
    ar.WriteQword(c.offset);
    WriteBlob(ar, c.before);
    WriteBlob(ar, c.after);
    ar.WriteByte(static_cast<std::uint8_t>(c.field));
    WriteInt(ar, c.entryKind);
    WriteInt(ar, c.entryIndex);
    WriteInt(ar, c.entryResourceType);
    ar.WriteString(c.textBefore);
    ar.WriteString(c.textAfter);
    WriteInt(ar, c.textOffsetBefore);
    WriteInt(ar, c.textOffsetAfter);
}

FileChange ReadChange(CArchive& ar)
{
    FileChange c;
    const std::uint8_t kind = ar.ReadByte();
    if (kind != static_cast<std::uint8_t>(FileChange::Kind::Write) &&
        kind != static_cast<std::uint8_t>(FileChange::Kind::Rename))
        throw ArchiveError("a change of unknown kind");
    c.kind = static_cast<FileChange::Kind>(kind);
    c.state = ReadEnum<FileChange::State>(ar, static_cast<std::uint8_t>(FileChange::State::Skipped));
    c.file = ar.ReadString();
    c.path = ar.ReadString();
    c.target = ar.ReadString();
    c.offset = ar.ReadQword();
    c.before = ReadBlob(ar);
    c.after = ReadBlob(ar);
    if (c.before.size() != c.after.size())
        throw ArchiveError("a write whose two sides differ in length");
    c.field = ReadEnum<TextField>(ar, static_cast<std::uint8_t>(TextField::Category));
    c.entryKind = ReadInt(ar);
    c.entryIndex = ReadInt(ar);
    c.entryResourceType = ReadInt(ar);
    c.textBefore = ar.ReadString();
    c.textAfter = ar.ReadString();
    c.textOffsetBefore = ReadInt(ar);
    c.textOffsetAfter = ReadInt(ar);
    return c;
}

}  // namespace

std::vector<std::string> JournalCommand::Files() const
{
    std::vector<std::string> files;
    for (const FileChange& c : changes)
        if (std::find(files.begin(), files.end(), c.file) == files.end())
            files.push_back(c.file);
    return files;
}

bool JournalCommand::SharesFileWith(const JournalCommand& other) const
{
    for (const FileChange& a : changes)
        for (const FileChange& b : other.changes)
            if (a.file == b.file)
                return true;
    return false;
}

JournalCommand* CChangeJournal::Find(std::uint32_t id)
{
    for (JournalCommand& c : commands)
        if (c.id == id)
            return &c;
    return nullptr;
}

JournalCommand& CChangeJournal::Append(const std::string& label, std::int64_t time, std::vector<FileChange> changes)
{
    for (JournalCommand& c : commands)
        c.redoable = false;
    // The oldest complete commands go first; an incomplete one stays until
    // it is completed or rolled back.
    while (commands.size() >= kKeptCommands) {
        auto oldest =
            std::find_if(commands.begin(), commands.end(), [](const JournalCommand& c) { return !c.IsIncomplete(); });
        if (oldest == commands.end())
            break;
        commands.erase(oldest);
    }
    JournalCommand command;
    command.id = nextId++;
    command.label = label;
    command.time = time;
    command.changes = std::move(changes);
    commands.push_back(std::move(command));
    return commands.back();
}

void CChangeJournal::Remove(std::uint32_t id)
{
    commands.erase(
        std::remove_if(commands.begin(), commands.end(), [id](const JournalCommand& c) { return c.id == id; }),
        commands.end());
}

std::vector<std::uint8_t> CChangeJournal::Encode() const
{
    CArchive ar;
    ar.WriteDword(kVersion);
    ar.WriteDword(nextId);
    ar.WriteDword(nextUndoSerial);
    ar.WriteDword(static_cast<std::uint32_t>(commands.size()));
    for (const JournalCommand& c : commands) {
        ar.WriteDword(c.id);
        ar.WriteString(c.label);
        ar.WriteQword(static_cast<std::uint64_t>(c.time));
        ar.WriteByte(static_cast<std::uint8_t>(c.state));
        ar.WriteByte(c.redoable ? 1 : 0);
        ar.WriteDword(c.undoSerial);
        ar.WriteDword(static_cast<std::uint32_t>(c.changes.size()));
        for (const FileChange& change : c.changes)
            WriteChange(ar, change);
    }
    return ar.Data();
}

bool CChangeJournal::Decode(std::span<const std::uint8_t> body)
{
    commands.clear();
    nextId = 1;
    nextUndoSerial = 1;
    try {
        CArchive ar(body, ClassRegistry{});  // values only, no objects
        if (ar.ReadDword() != kVersion)
            return false;
        CChangeJournal read;
        read.nextId = ar.ReadDword();
        read.nextUndoSerial = ar.ReadDword();
        // No reserve: the counts are only as good as the bytes behind them.
        const std::uint32_t n = ar.ReadDword();
        for (std::uint32_t i = 0; i < n; ++i) {
            JournalCommand c;
            c.id = ar.ReadDword();
            c.label = ar.ReadString();
            c.time = static_cast<std::int64_t>(ar.ReadQword());
            c.state = ReadEnum<CommandState>(ar, static_cast<std::uint8_t>(CommandState::Undone));
            c.redoable = ar.ReadByte() != 0;
            c.undoSerial = ar.ReadDword();
            const std::uint32_t changes = ar.ReadDword();
            for (std::uint32_t k = 0; k < changes; ++k)
                c.changes.push_back(ReadChange(ar));
            if (c.id == 0 || c.id >= read.nextId || read.Find(c.id))
                return false;
            read.commands.push_back(std::move(c));
        }
        if (ar.Remaining() != 0)
            return false;
        *this = std::move(read);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

JournalLoad LoadJournal(const std::filesystem::path& file, CChangeJournal& journal)
{
    journal = CChangeJournal();
    JournalLoad result;
    ChecksummedLoad load = LoadChecksummedFile(file, kMagic, kMaxJournalSize);
    result.error = load.error;
    switch (load.status) {
    case ChecksummedLoad::Status::Missing: result.status = JournalLoad::Status::Missing; return result;
    case ChecksummedLoad::Status::Unreadable: result.status = JournalLoad::Status::Unreadable; return result;
    case ChecksummedLoad::Status::Damaged: result.status = JournalLoad::Status::Damaged; return result;
    case ChecksummedLoad::Status::Loaded: break;
    }
    if (!journal.Decode(load.body)) {
        result.status = JournalLoad::Status::Damaged;
        result.error = "its content is not a journal of this version";
        return result;
    }
    result.status = JournalLoad::Status::Loaded;
    return result;
}

std::error_code SaveJournal(const std::filesystem::path& file, const CChangeJournal& journal)
{
    return SaveChecksummedFile(file, kMagic, journal.Encode());
}

}  // namespace vardel
