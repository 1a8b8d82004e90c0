#pragma once
// Plug-ins dragged onto a category item: which of them move there, and why
// the others do not. The rule is the writer's own (CatalogueEditor), asked
// before the move so that the user hears about each plug-in left behind
// while the rest move.

#include <functional>
#include <vector>

namespace vardel {

class CPluginEntry;

enum class DropRefusal {
    NotEditable,  // read-only, or no category of its own
    TooLong       // the category does not fit the room its file has
};

struct RefusedDrop {
    CPluginEntry* entry = nullptr;
    DropRefusal reason = DropRefusal::NotEditable;
    int room = 0;  // TooLong: the longest category the entry takes
};

struct DropPlan {
    // The target's category is shorter than kMinimumTextLength: nothing
    // moves (the writer would refuse the whole move).
    bool tooShort = false;
    std::vector<CPluginEntry*> movable;
    std::vector<RefusedDrop> refused;
};

// The plan for dragged entries dropped on the category of target: entries
// of another kind, or already in that category, are left out silently; the
// others move unless they are not editable for a move or the category is
// longer than roomOf gives for them (by default CategoryLimit({entry}),
// which reads the entry's file, as the writer does).
DropPlan PlanDrop(const std::vector<CPluginEntry*>& dragged, const CPluginEntry& target,
                  const std::function<int(CPluginEntry&)>& roomOf = {});

}  // namespace vardel
