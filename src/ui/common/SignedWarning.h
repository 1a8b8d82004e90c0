#pragma once
// The one question asked before plug-in files that carry a signature are
// rewritten or renamed: changing a signed file breaks its signature.

#include <vector>

class QWidget;

namespace vardel {
class CPluginEntry;
}

namespace vardel::ui {

// Asks once, when at least one of the plug-ins' files is signed, whether to
// go on ("the file is signed; changing it breaks the signature"). Returns
// true when none is signed or the user agreed, false when the user declined.
bool ConfirmSignedChange(QWidget* parent, const std::vector<const CPluginEntry*>& entries);

}  // namespace vardel::ui
