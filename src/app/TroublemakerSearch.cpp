#include "app/TroublemakerSearch.h"

#include "app/ChangeHistory.h"
#include "base/Archive.h"
#include "base/ChecksummedFile.h"
#include "base/FileOps.h"
#include "catalogue/PluginEntry.h"

#include <algorithm>

namespace vardel {

namespace {

constexpr char kMagic[5] = "VTRB";
constexpr std::uint32_t kVersion = 1;
constexpr std::uintmax_t kMaxSize = 16u << 20;

// The name of an enabled file when disabled; "" when it has none.
std::string DisabledPath(const std::string& enabled)
{
    CPluginEntry e;
    e.m_path = enabled;
    e.m_enabled = 1;
    return e.PathFor(false);
}

void WriteIndices(CArchive& ar, const std::vector<std::uint32_t>& v)
{
    ar.WriteDword(static_cast<std::uint32_t>(v.size()));
    for (std::uint32_t i : v)
        ar.WriteDword(i);
}

std::vector<std::uint32_t> ReadIndices(CArchive& ar, std::size_t limit)
{
    const std::uint32_t n = ar.ReadDword();
    if (n > ar.Remaining() / 4)
        throw ArchiveEndOfFile();
    std::vector<std::uint32_t> v(n);
    for (auto& i : v) {
        i = ar.ReadDword();
        if (i >= limit)
            throw ArchiveError("an index out of range");
    }
    return v;
}

}  // namespace

int TroublemakerState::StepsLeft() const
{
    int steps = 0;
    for (std::size_t n = suspects.size(); n > 1; n = (n + 1) / 2)
        ++steps;
    return steps;
}

std::vector<std::uint8_t> TroublemakerState::Encode() const
{
    CArchive ar;
    ar.WriteDword(kVersion);
    ar.WriteDword(static_cast<std::uint32_t>(directory));
    ar.WriteString(directoryPath);
    ar.WriteDword(static_cast<std::uint32_t>(files.size()));
    for (const std::string& f : files)
        ar.WriteString(f);
    WriteIndices(ar, suspects);
    WriteIndices(ar, tested);
    ar.WriteDword(answers);
    return ar.Data();
}

bool TroublemakerState::Decode(std::span<const std::uint8_t> body)
{
    try {
        CArchive ar(body, ClassRegistry{});  // values only, no objects
        if (ar.ReadDword() != kVersion)
            return false;
        TroublemakerState s;
        s.directory = static_cast<int>(ar.ReadDword());
        s.directoryPath = ar.ReadString();
        const std::uint32_t n = ar.ReadDword();
        for (std::uint32_t i = 0; i < n; ++i)
            s.files.push_back(ar.ReadString());
        s.suspects = ReadIndices(ar, s.files.size());
        s.tested = ReadIndices(ar, s.files.size());
        s.answers = ar.ReadDword();
        if (ar.Remaining() != 0 || s.suspects.empty())
            return false;
        *this = std::move(s);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

CTroublemakerSearch::CTroublemakerSearch(std::filesystem::path file)
    : m_file(std::move(file))
{}

bool CTroublemakerSearch::Load()
{
    m_state.reset();
    const ChecksummedLoad load = LoadChecksummedFile(m_file, kMagic, kMaxSize);
    if (load.status != ChecksummedLoad::Status::Loaded)
        return false;
    TroublemakerState state;
    if (!state.Decode(load.body))
        return false;
    m_state = std::move(state);
    return true;
}

TroublemakerStep CTroublemakerSearch::Refused(const std::string& text) const
{
    TroublemakerStep step;
    step.message = UserMessage{MessageCode::TroublemakerRefused, text, {}};
    return step;
}

std::optional<TroublemakerStep> CTroublemakerSearch::SaveOrRefuse()
{
    if (const std::error_code ec = SaveChecksummedFile(m_file, kMagic, m_state->Encode()))
        return Refused("The search cannot be saved in " + m_file.string() + " (" + ec.message() +
                       "); no file was renamed.");
    return std::nullopt;
}

std::vector<FileChange> CTroublemakerSearch::Renames(const std::vector<std::uint32_t>& wanted) const
{
    std::vector<FileChange> renames;
    for (std::uint32_t i = 0; i < m_state->files.size(); ++i) {
        const std::string& enabled = m_state->files[i];
        const std::string disabled = DisabledPath(enabled);
        const bool on = PathEntryExists(NativePath(enabled));
        const bool off = PathEntryExists(NativePath(disabled));
        // Gone, or both names taken: nothing to do but leave it.
        if (on == off)
            continue;
        const bool wantOff = std::find(wanted.begin(), wanted.end(), i) != wanted.end();
        if (wantOff == off)
            continue;
        FileChange c;
        c.kind = FileChange::Kind::Rename;
        c.file = enabled;
        c.path = wantOff ? enabled : disabled;
        c.target = wantOff ? disabled : enabled;
        renames.push_back(std::move(c));
    }
    return renames;
}

TroublemakerStep CTroublemakerSearch::Start(int directory, const std::string& directoryPath,
                                            const std::vector<const CPluginEntry*>& entries)
{
    if (m_state)
        return Refused("A troublemaker search is on already; answer its step or abandon it first.");
    TroublemakerState state;
    state.directory = directory;
    state.directoryPath = directoryPath;
    for (const CPluginEntry* e : entries) {
        if (!e->m_enabled)
            continue;
        const std::string file = e->RealPath();
        if (std::find(state.files.begin(), state.files.end(), file) != state.files.end())
            continue;
        if (DisabledPath(file).empty() || !PathEntryExists(NativePath(file)))
            continue;
        state.files.push_back(file);
    }
    if (state.files.empty())
        return Refused("No enabled plug-in file to search.");
    for (std::uint32_t i = 0; i < state.files.size(); ++i)
        state.suspects.push_back(i);
    state.tested.assign(state.suspects.begin(), state.suspects.begin() + state.suspects.size() / 2);
    m_state = std::move(state);
    if (auto refused = SaveOrRefuse()) {
        m_state.reset();
        return *refused;
    }
    return Resume();
}

TroublemakerStep CTroublemakerSearch::Answer(bool stillBroken)
{
    if (!m_state)
        return Refused("No troublemaker search is on.");
    if (m_state->Found())
        return Refused("The troublemaker is found; abandon the search to end it.");
    if (PendingFiles() != 0)
        return Refused("The last step was cut short; resume the search first.");
    const TroublemakerState old = *m_state;
    TroublemakerState& s = *m_state;
    std::vector<std::uint32_t> left;
    for (std::uint32_t i : s.suspects) {
        const bool off = std::find(s.tested.begin(), s.tested.end(), i) != s.tested.end();
        // Still broken: it is among those still enabled; works now: among those disabled.
        if (off != stillBroken)
            left.push_back(i);
    }
    s.suspects = std::move(left);
    ++s.answers;
    if (s.Found())
        s.tested.clear();
    else
        s.tested.assign(s.suspects.begin(), s.suspects.begin() + s.suspects.size() / 2);
    if (auto refused = SaveOrRefuse()) {
        *m_state = old;
        return *refused;
    }
    return Resume();
}

TroublemakerStep CTroublemakerSearch::Resume() const
{
    if (!m_state)
        return Refused("No troublemaker search is on.");
    TroublemakerStep step;
    step.ok = true;
    step.renames = Renames(m_state->tested);
    return step;
}

TroublemakerStep CTroublemakerSearch::Reset() const
{
    if (!m_state)
        return Refused("No troublemaker search is on.");
    TroublemakerStep step;
    step.ok = true;
    step.renames = Renames({});
    return step;
}

void CTroublemakerSearch::Finish()
{
    m_state.reset();
    std::error_code ec;
    std::filesystem::remove(m_file, ec);
}

std::size_t CTroublemakerSearch::PendingFiles() const
{
    return m_state ? Renames(m_state->tested).size() : 0;
}

std::optional<ReplayFailure> MakeTroublemakerRenames(const std::vector<FileChange>& renames,
                                                     std::vector<FileChange>& moved)
{
    std::vector<std::size_t> done;
    auto failure = BringChanges(renames, ChangeSide::After, false, &done);
    for (std::size_t i : done)
        moved.push_back(renames[i]);
    return failure;
}

}  // namespace vardel

#include "app/ChangeFollow.h"

namespace vardel {

std::optional<UserMessage> ApplyTroublemakerStep(CVardelSession& session, const TroublemakerStep& step, bool reset)
{
    std::vector<FileChange> moved;
    const std::optional<ReplayFailure> failure = MakeTroublemakerRenames(step.renames, moved);
    FollowInSession(session, moved, ChangeSide::After);
    if (failure)
        return ReplayMessage(*failure, !moved.empty());
    if (reset)
        session.Troublemaker().Finish();
    return std::nullopt;
}

}  // namespace vardel
