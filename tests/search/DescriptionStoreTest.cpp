#include "search/DescriptionListManager.h"
#include "search/DescriptionStore.h"

#include <gtest/gtest.h>

using namespace vardel;

namespace {

std::pair<std::string, std::string> Held(const CDescriptionListManager& db, const std::string& key)
{
    std::string description = "untouched", keywords = "untouched";
    db.Get(key, description, keywords);
    return {description, keywords};
}

}  // namespace

TEST(DescriptionStore, WhatIsStoredAndWhatChanges)
{
    CDescriptionListManager db;
    struct Step {
        std::string description, keywords;
        bool stored, changed;
        std::pair<std::string, std::string> held;
    };
    const std::vector<Step> steps{
        {"", "", false, false, {"untouched", "untouched"}},  // nothing to store, no entry made
        {"Soft", "", true, true, {"Soft", ""}},
        {"Soft", "", true, false, {"Soft", ""}},  // the same again: stored, nothing to save
        {"", "", false, false, {"Soft", ""}},     // clearing both keeps the entry
        {"", "blur", true, true, {"", "blur"}},   // clearing one stores the empty one
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const DescriptionStored r = StoreDescription(db, "8BFM_BLUR_00_0", steps[i].description, steps[i].keywords);
        EXPECT_EQ(r.stored, steps[i].stored) << i;
        EXPECT_EQ(r.changed, steps[i].changed) << i;
        EXPECT_EQ(Held(db, "8BFM_BLUR_00_0"), steps[i].held) << i;
    }
    EXPECT_EQ(db.m_entries.size(), 1u);
    StoreDescription(db, "8bfm_blur_00_0", "Other case", "");
    EXPECT_EQ(db.m_entries.size(), 2u) << "keys differing in case are different entries";
}
