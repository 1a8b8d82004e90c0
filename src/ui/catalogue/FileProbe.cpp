#include "ui/catalogue/FileProbe.h"

#include "catalogue/PluginEntry.h"
#include "modify/CommandAvailability.h"

namespace vardel::ui {

std::function<int(const std::atomic<bool>& stop)> CategoryLimitWork(const std::vector<CPluginEntry*>& entries)
{
    // The worker reads copies: the entries may change while it runs.
    auto copies = std::make_shared<std::vector<CPluginEntry>>();
    copies->reserve(entries.size());
    for (const CPluginEntry* e : entries)
        copies->push_back(*e);
    return [copies](const std::atomic<bool>& stop) {
        std::vector<CPluginEntry*> of;
        of.reserve(copies->size());
        for (CPluginEntry& e : *copies)
            of.push_back(&e);
        return CategoryLimit(of, &stop);
    };
}

}  // namespace vardel::ui
