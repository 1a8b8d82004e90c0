#include "modify/DropMove.h"

#include "catalogue/PluginEntry.h"
#include "modify/CommandAvailability.h"

namespace vardel {

DropPlan PlanDrop(const std::vector<CPluginEntry*>& dragged, const CPluginEntry& target,
                  const std::function<int(CPluginEntry&)>& roomOf)
{
    DropPlan plan;
    const std::string& category = target.m_category;
    if (!IsLongEnough(category)) {
        plan.tooShort = true;
        return plan;
    }
    for (CPluginEntry* e : dragged) {
        if (e->m_kind != target.m_kind || e->m_category == category)
            continue;  // another kind, or already there
        if (!IsEditableForMove(*e)) {
            plan.refused.push_back({e, DropRefusal::NotEditable, 0});
            continue;
        }
        const int room = roomOf ? roomOf(*e) : CategoryLimit({e});
        if (static_cast<int>(category.size()) > room)
            plan.refused.push_back({e, DropRefusal::TooLong, room});
        else
            plan.movable.push_back(e);
    }
    return plan;
}

}  // namespace vardel
