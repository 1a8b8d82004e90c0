#pragma once
// What a plug-in or category command is about to change, worked out before
// it runs, for the questions a user is asked first: how many files change,
// which plug-ins not named by the command change with their files, and
// which of the files carry a signature that the change breaks.
//
// Working out the files and plug-ins reads the catalogue only; finding the
// signed files reads every file's header, which for a large category takes a
// while, so it is a step of its own (SignedFilesOf) that may run elsewhere.

#include <atomic>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;

struct ChangePlan {
    // The files renamed or rewritten, each once, in catalogue order (their
    // real paths, the names they have when enabled).
    std::vector<std::string> files;
    // Where each of files is now (the path of its first entry), to be read.
    std::vector<std::string> paths;
    // Plug-ins the command does not name that change with their files
    // (enable and disable act on whole files).
    std::vector<const CPluginEntry*> fileMates;
    // Of files, those with a certificate table (SignedFilesOf).
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

// The files (a plan's files, read at paths) that carry a certificate table,
// in their order; a file that cannot be read carries none. Reads only the
// files, so it may run on any thread. Returns what it found so far once
// stop is set.
std::vector<std::string> SignedFilesOf(const std::vector<std::string>& files, const std::vector<std::string>& paths,
                                       const std::atomic<bool>* stop = nullptr);

}  // namespace vardel
