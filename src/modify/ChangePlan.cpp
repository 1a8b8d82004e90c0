#include "modify/ChangePlan.h"

#include "catalogue/PluginDetails.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"

#include <algorithm>
#include <unordered_set>

namespace vardel {

namespace {

// Fills files and signedFiles from the entries that change, each file once.
void AddFiles(ChangePlan& plan, const std::vector<const CPluginEntry*>& changing)
{
    std::unordered_set<std::string> seen;
    for (const CPluginEntry* e : changing) {
        if (!seen.insert(e->RealPath()).second)
            continue;
        plan.files.push_back(e->RealPath());
        if (IsSignedPlugin(*e))
            plan.signedFiles.push_back(e->RealPath());
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

}  // namespace vardel
