#include "modify/CommandAvailability.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/PluginWriter.h"

#include <algorithm>

namespace vardel {

bool IsReadOnlyPlugin(const CPluginEntry& entry)
{
    return entry.IsReadOnly();
}

bool IsEditableForMove(const CPluginEntry& entry)
{
    return !IsReadOnlyPlugin(entry) && entry.m_noCategory == 0 && entry.m_categoryCapacity >= 1;
}

bool CanEnablePlugins(const std::vector<CPluginEntry*>& selection)
{
    return !selection.empty() &&
           std::none_of(selection.begin(), selection.end(), [](const CPluginEntry* e) { return IsReadOnlyPlugin(*e); });
}

bool CanMovePlugins(const std::vector<CPluginEntry*>& selection)
{
    return !selection.empty() &&
           std::all_of(selection.begin(), selection.end(), [](const CPluginEntry* e) { return IsEditableForMove(*e); });
}

bool CanRenamePlugin(const std::vector<CPluginEntry*>& selection)
{
    return selection.size() == 1 && IsEditableForMove(*selection.front());
}

bool CanEnableCategory(const CPluginEntry* categoryEntry, const std::vector<CPluginEntry*>& members)
{
    return categoryEntry != nullptr &&
           std::none_of(members.begin(), members.end(), [](const CPluginEntry* e) { return IsReadOnlyPlugin(*e); });
}

bool CanMoveCategory(const CPluginEntry* categoryEntry, const std::vector<CPluginEntry*>& members)
{
    return categoryEntry != nullptr && IsEditableForMove(*categoryEntry) &&
           std::all_of(members.begin(), members.end(), [](const CPluginEntry* e) { return IsEditableForMove(*e); });
}

int NameLimit(const CPluginEntry& entry)
{
    return CPluginWriter::NameLimit(entry);
}

int CategoryLimit(const std::vector<CPluginEntry*>& entries, const std::atomic<bool>* stop)
{
    int limit = kNoCategoryLimit;
    bool any = false;
    for (const CPluginEntry* e : entries) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const int own = CPluginWriter::CategoryLimit(*e);
        limit = any ? std::min(limit, own) : own;
        any = true;
    }
    return limit;
}

std::vector<CPluginEntry*> CategoryMembers(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry)
{
    // Copied first: the category entry is one of the members.
    const int kind = categoryEntry.m_kind;
    const std::string category = categoryEntry.m_category;
    std::vector<CPluginEntry*> members;
    for (const auto& e : catalogue.m_entries)
        if (e->m_kind == kind && e->m_category == category)
            members.push_back(e.get());
    return members;
}

int PluginIcon(const CPluginEntry& entry)
{
    int icon = entry.m_enabled ? kIconEnabled : kIconDisabled;
    return IsReadOnlyPlugin(entry) ? icon + kIconReadOnly : icon;
}

int CategoryIcon(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry)
{
    int count = 0, enabled = 0, readOnly = 0;
    for (const CPluginEntry* e : CategoryMembers(catalogue, categoryEntry)) {
        ++count;
        enabled += e->m_enabled ? 1 : 0;
        readOnly += IsReadOnlyPlugin(*e) ? 1 : 0;
    }
    int icon = enabled == count ? kIconEnabled : enabled == 0 ? kIconDisabled : kIconPartly;
    return readOnly >= 1 ? icon + kIconReadOnly : icon;
}

}  // namespace vardel
