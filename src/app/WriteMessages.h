#pragma once
// What the catalogue editor's writes tell the user, as the session's message
// codes: the window words them in its language, the tools print the text.

#include "app/Session.h"

#include <optional>

namespace vardel {

struct WriteResult;

// The message of a write to a plug-in file: FileReadOnly when the file cannot
// be opened, read or written; PluginChangedOnDisk when it no longer holds the
// entry's text; TextTooLong when the text does not fit; CommandRefused with
// the editor's own words for a command that does not apply. Nothing for a
// write that was made or needs no message. The argument is path.
std::optional<UserMessage> WriteMessage(const WriteResult& result, const std::string& path);

}  // namespace vardel
