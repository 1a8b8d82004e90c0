#pragma once
// What a plug-in or category command is about to change, worked out before
// it runs, for the questions a user is asked first: how many files change,
// which plug-ins not named by the command change with their files, and
// which of the files carry a signature that the change breaks.

#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;

struct ChangePlan {
    // The files renamed or rewritten, each once, in catalogue order (their
    // real paths, the names they have when enabled).
    std::vector<std::string> files;
    // Plug-ins the command does not name that change with their files
    // (enable and disable act on whole files).
    std::vector<const CPluginEntry*> fileMates;
    // Of files, those with a certificate table.
    std::vector<std::string> signedFiles;
};

// Enable (flag) or disable the selection: every entry of their files that
// is not in the new state yet.
ChangePlan PlanEnable(const CPluginListManager& catalogue, const std::vector<CPluginEntry*>& selection, bool flag);
// Rename or move of these entries: their files are rewritten.
ChangePlan PlanWrite(const std::vector<CPluginEntry*>& entries);
// The same for a whole category (the plug-ins of the category entry's kind
// and category): enable or disable, and rename or move.
ChangePlan PlanEnableCategory(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry, bool flag);
ChangePlan PlanWriteCategory(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry);

}  // namespace vardel
