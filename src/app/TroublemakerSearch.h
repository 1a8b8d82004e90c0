#pragma once
// The search for the plug-in file that breaks a host, by halving: the
// enabled files of one directory (or of a selection) are the suspects; each
// step disables half of them and the user says whether the host is still
// broken (the culprit is among those still enabled) or works now (it is
// among those disabled). One file is left after ceil(log2(n)) answers; then
// every file gets its name from before the start, the culprit's too.
//
// The state is a store of its own ("setup.db/troublemaker"), saved before
// any file is renamed, so that the program may be closed between steps (a
// host may need that) and a step cut short is completed later. Files are
// the unit: a file holding several plug-ins moves as one.

#include "app/Session.h"
#include "modify/ChangeReplay.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;

struct TroublemakerState {
    int directory = -1;                   // its place in the directory list at the start
    std::string directoryPath;            // as stored, to notice a list changed since
    std::vector<std::string> files;       // enabled paths of the files searched
    std::vector<std::uint32_t> suspects;  // indices into files
    std::vector<std::uint32_t> tested;    // disabled in this step (a part of suspects)
    std::uint32_t answers = 0;

    bool Found() const { return suspects.size() == 1; }
    // Answers still needed at most.
    int StepsLeft() const;
    std::vector<std::uint8_t> Encode() const;
    // False when body holds no whole state (then nothing is changed).
    bool Decode(std::span<const std::uint8_t> body);
};

// Renames to make for a step, the search's store already saved.
struct TroublemakerStep {
    bool ok = false;
    std::optional<UserMessage> message;  // why it was refused
    std::vector<FileChange> renames;
};

inline constexpr const char* kTroublemakerFileName = "troublemaker";

class CTroublemakerSearch {
public:
    explicit CTroublemakerSearch(std::filesystem::path file);

    // Reads the store; false (and no search) when there is none or it is
    // damaged; a damaged one is left for Reset to remove.
    bool Load();
    bool Active() const { return m_state.has_value(); }
    const TroublemakerState& State() const { return *m_state; }

    // Starts a search over the files of the enabled entries (each file
    // once, only those there under their enabled name). Refused while a
    // search is on or when no file is left.
    TroublemakerStep Start(int directory, const std::string& directoryPath,
                           const std::vector<const CPluginEntry*>& entries);
    // The user's answer for the step on show. Refused when no search is on,
    // the culprit is found, or a step is cut short (Resume first).
    TroublemakerStep Answer(bool stillBroken);
    // The renames that bring the files where the search wants them now (a
    // step cut short); none when they are there.
    TroublemakerStep Resume() const;
    // The renames that give every file its name from before the start.
    // Finish ends the search once they went through.
    TroublemakerStep Reset() const;
    void Finish();
    // Files not where the search wants them (a step cut short).
    std::size_t PendingFiles() const;

private:
    // The renames that bring the files to disabled = wanted.
    std::vector<FileChange> Renames(const std::vector<std::uint32_t>& wanted) const;
    TroublemakerStep Refused(const std::string& text) const;
    // Saves the state; refused step when that fails.
    std::optional<TroublemakerStep> SaveOrRefuse();

    std::filesystem::path m_file;
    std::optional<TroublemakerState> m_state;
};

// Makes the renames of a step (any thread). moved gets those made.
std::optional<ReplayFailure> MakeTroublemakerRenames(const std::vector<FileChange>& renames,
                                                     std::vector<FileChange>& moved);

}  // namespace vardel

namespace vardel {

// Makes the step's renames and lets the catalogues follow, on the session's
// thread (vardel-cli, tests); the search ends when a reset went through.
// The message when a rename failed (the search then stays as it is).
std::optional<UserMessage> ApplyTroublemakerStep(CVardelSession& session, const TroublemakerStep& step, bool reset);

}  // namespace vardel
