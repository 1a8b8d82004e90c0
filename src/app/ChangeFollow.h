#pragma once
// The catalogues follow an undo, redo or troublemaker step as they follow
// the command itself: the entries of the files moved get the texts, offsets,
// paths and states of the side the files went to.

#include "app/Session.h"
#include "modify/ChangeReplay.h"

#include <optional>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;
class CVardelSession;

// Brings the catalogue's entries of the changes' files to side to. Returns
// the entries changed, each once.
std::vector<CPluginEntry*> FollowInCatalogue(CPluginListManager& catalogue, const std::vector<FileChange>& changes,
                                             ChangeSide to);

// The catalogue on show (observers told; re-sorted when a category changed)
// and the stored catalogue of every other directory of the list below which
// a file lies (saved at once). Returns nothing, or why a catalogue could not
// be saved. On the session's thread.
std::optional<UserMessage> FollowInSession(CVardelSession& session, const std::vector<FileChange>& changes,
                                           ChangeSide to);

}  // namespace vardel
