#include "search/DescriptionStore.h"

#include "search/DescriptionListManager.h"

namespace vardel {

DescriptionStored StoreDescription(CDescriptionListManager& db, const std::string& key, const std::string& description,
                                   const std::string& keywords)
{
    DescriptionStored result;
    if (description.empty() && keywords.empty())
        return result;
    result.stored = true;
    std::string oldText;
    std::string oldWords;
    const bool found = db.Get(key, oldText, oldWords);
    result.changed = !found || oldText != description || oldWords != keywords;
    if (result.changed)
        db.SetFromTexts(key, description, keywords);
    return result;
}

}  // namespace vardel
