#include "modify/ChangePlan.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"
#include "pe/PeImage.h"

#include <algorithm>
#include <unordered_set>

namespace vardel {

namespace {

// Fills files and paths from the entries that change, each file once.
void AddFiles(ChangePlan& plan, const std::vector<const CPluginEntry*>& changing)
{
    std::unordered_set<std::string> seen;
    for (const CPluginEntry* e : changing) {
        std::string real = e->RealPath();
        if (!seen.insert(real).second)
            continue;
        plan.files.push_back(std::move(real));
        plan.paths.push_back(e->m_path);
    }
}

}  // namespace

ChangePlan PlanEnable(const CPluginListManager& catalogue, const std::vector<CPluginEntry*>& selection, bool flag)
{
    ChangePlan plan;
    std::unordered_set<std::string> files;
    std::unordered_set<const CPluginEntry*> named(selection.begin(), selection.end());
    for (const CPluginEntry* s : selection)
        files.insert(s->RealPath());
    std::vector<const CPluginEntry*> changing;
    for (const auto& e : catalogue.m_entries) {
        if (!files.count(e->RealPath()) || (e->m_enabled != 0) == flag)
            continue;
        changing.push_back(e.get());
        if (!named.count(e.get()))
            plan.fileMates.push_back(e.get());
    }
    AddFiles(plan, changing);
    return plan;
}

ChangePlan PlanWrite(const std::vector<CPluginEntry*>& entries)
{
    ChangePlan plan;
    AddFiles(plan, std::vector<const CPluginEntry*>(entries.begin(), entries.end()));
    return plan;
}

ChangePlan PlanEnableCategory(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry, bool flag)
{
    return PlanEnable(catalogue, CategoryMembers(catalogue, categoryEntry), flag);
}

ChangePlan PlanWriteCategory(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry)
{
    return PlanWrite(CategoryMembers(catalogue, categoryEntry));
}

std::vector<std::string> SignedFilesOf(const std::vector<std::string>& files, const std::vector<std::string>& paths,
                                       const std::atomic<bool>* stop)
{
    std::vector<std::string> found;
    for (std::size_t i = 0; i < files.size() && i < paths.size(); ++i) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        if (IsSignedFile(paths[i]))
            found.push_back(files[i]);
    }
    return found;
}

}  // namespace vardel
