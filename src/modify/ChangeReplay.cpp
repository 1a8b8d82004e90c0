#include "modify/ChangeReplay.h"

#include "base/FileOps.h"
#include "modify/PluginFile.h"
#include "modify/PluginWriter.h"

namespace vardel {

namespace {

ChangeSide Other(ChangeSide side)
{
    return side == ChangeSide::Before ? ChangeSide::After : ChangeSide::Before;
}

ReplayFailure Failure(ReplayError error, const std::string& path)
{
    return {error, path};
}

// The failure that explains why a change stands on neither side.
ReplayFailure WhyNeither(const FileChange& c)
{
    if (c.kind == FileChange::Kind::Rename) {
        const bool from = PathEntryExists(NativePath(c.path));
        const bool to = PathEntryExists(NativePath(c.target));
        if (!from && !to)
            return Failure(ReplayError::FileMissing, c.path);
        return Failure(ReplayError::NameTaken, from ? c.target : c.path);
    }
    if (!PathEntryExists(NativePath(c.path)))
        return Failure(ReplayError::FileMissing, c.path);
    return Failure(ReplayError::FileChanged, c.path);
}

}  // namespace

ChangeSide LocateChange(const FileChange& c, ChangeSide wanted)
{
    if (c.kind == FileChange::Kind::Rename) {
        const bool from = PathEntryExists(NativePath(c.path));
        const bool to = PathEntryExists(NativePath(c.target));
        if (from == to)
            return ChangeSide::Neither;
        return from ? ChangeSide::Before : ChangeSide::After;
    }
    CPluginFile file;
    std::vector<std::uint8_t> found;
    if (!file.OpenForReading(c.path) || !file.ReadAt(c.offset, c.before.size(), found))
        return ChangeSide::Neither;
    const bool before = found == c.before;
    const bool after = found == c.after;
    if (before && after)
        return wanted;
    return before ? ChangeSide::Before : after ? ChangeSide::After : ChangeSide::Neither;
}

std::optional<ReplayFailure> CheckChanges(const std::vector<FileChange>& changes, ChangeSide from, bool strict)
{
    for (const FileChange& c : changes) {
        if (c.state == FileChange::State::Skipped)
            continue;
        const ChangeSide at = LocateChange(c, from);
        if (at == ChangeSide::Neither)
            return WhyNeither(c);
        // Already on the other side: something else did or undid it since.
        if (strict && at != from)
            return Failure(ReplayError::FileChanged, c.kind == FileChange::Kind::Rename && from == ChangeSide::Before
                                                         ? c.path
                                                         : c.PathOn(from == ChangeSide::After));
    }
    return std::nullopt;
}

std::optional<ReplayFailure> BringChanges(const std::vector<FileChange>& changes, ChangeSide to, bool strict,
                                          std::vector<std::size_t>* changed)
{
    if (auto refused = CheckChanges(changes, Other(to), strict))
        return refused;
    const std::size_t n = changes.size();
    for (std::size_t k = 0; k < n; ++k) {
        // Taken back last change first, as a stack of edits must be.
        const std::size_t i = to == ChangeSide::Before ? n - 1 - k : k;
        const FileChange& c = changes[i];
        if (c.state == FileChange::State::Skipped || LocateChange(c, to) == to)
            continue;
        if (c.kind == FileChange::Kind::Rename) {
            const std::string& from = to == ChangeSide::After ? c.path : c.target;
            const std::string& dest = to == ChangeSide::After ? c.target : c.path;
            const std::error_code ec = RenameNoReplace(NativePath(from), NativePath(dest));
            if (ec)
                return Failure(ec == std::errc::file_exists ? ReplayError::NameTaken : ReplayError::WriteFailed,
                               ec == std::errc::file_exists ? dest : from);
        } else {
            const bool forward = to == ChangeSide::After;
            const WriteStatus status = CPluginWriter::ReplaceBytes(c.path, c.offset, forward ? c.before : c.after,
                                                                   forward ? c.after : c.before);
            if (status == WriteStatus::ChangedOnDisk)
                return Failure(ReplayError::FileChanged, c.path);
            if (status != WriteStatus::Written)
                return Failure(ReplayError::WriteFailed, c.path);
        }
        if (changed)
            changed->push_back(i);
    }
    return std::nullopt;
}

}  // namespace vardel
