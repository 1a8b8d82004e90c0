#pragma once
// When a plug-in's description and keywords are stored: the rule of the
// property pages' OK and of vardel-cli describe.

#include <string>

namespace vardel {

class CDescriptionListManager;

struct DescriptionStored {
    // At least one text is not empty, so the entry holds the two texts now
    // (both empty store nothing and leave an entry as it was).
    bool stored = false;
    // The database differs from before: it must be saved and the views told.
    bool changed = false;
};

// Stores the two texts under key by the database's rule (SetFromTexts).
DescriptionStored StoreDescription(CDescriptionListManager& db, const std::string& key, const std::string& description,
                                   const std::string& keywords);

}  // namespace vardel
