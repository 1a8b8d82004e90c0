// The open-addressing key index against a std::map doing the same: long
// runs of colliding keys, erasures in the middle of a run and across the
// end of the slots, and keys that differ only past the bytes a slot holds.

#include "catalogue/KeyIndex.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>

using namespace vardel;

namespace {

struct Record {
    int value = 0;
};

// Every key of the model is found with its record, and no other key is.
void ExpectSame(const KeyIndex<Record>& index, const std::map<std::string, Record*>& model,
                const std::vector<std::string>& keys)
{
    ASSERT_EQ(index.Size(), model.size());
    for (const std::string& key : keys) {
        const auto it = model.find(key);
        Record* const* found = index.Find(key);
        if (it == model.end()) {
            EXPECT_EQ(found, nullptr) << key;
        } else {
            ASSERT_NE(found, nullptr) << key;
            EXPECT_EQ(*found, it->second) << key;
        }
    }
}

}  // namespace

TEST(KeyIndex, AgreesWithAMapThroughInsertsReplacementsAndErasures)
{
    // Keys alike but for their ends, some longer than a slot holds; the
    // table starts small so that it grows, and erasures shift long runs.
    std::vector<std::string> keys;
    for (int i = 0; i < 600; ++i) {
        const std::string tail = std::to_string(i);
        keys.push_back("8BFM_PLUGIN" + tail + "_00");
        keys.push_back(std::string(40, 'A') + tail);
        keys.push_back(tail);
    }
    keys.push_back("");
    std::vector<std::unique_ptr<Record>> records;
    for (std::size_t i = 0; i < keys.size() * 2; ++i)
        records.push_back(std::make_unique<Record>(Record{static_cast<int>(i)}));

    KeyIndex<Record> index;
    std::map<std::string, Record*> model;
    std::mt19937 random(7);
    for (int round = 0; round < 6000; ++round) {
        const std::string& key = keys[random() % keys.size()];
        Record* record = records[random() % records.size()].get();
        switch (random() % 4) {
        case 0:
        case 1: EXPECT_EQ(index.Insert(key, record), model.emplace(key, record).second); break;
        case 2:
            index.Assign(key, record);
            model[key] = record;
            break;
        default:
            index.Erase(key);
            model.erase(key);
            break;
        }
    }
    ExpectSame(index, model, keys);

    // Emptied one key after the other, every lookup stays right.
    for (const std::string& key : keys) {
        index.Erase(key);
        model.erase(key);
    }
    ExpectSame(index, model, keys);
    index.Insert(keys[3], nullptr);  // a null record is still a key
    ASSERT_NE(index.Find(keys[3]), nullptr);
    EXPECT_EQ(*index.Find(keys[3]), nullptr);
    EXPECT_FALSE(index.Insert(keys[3], records[0].get()));
}

TEST(KeyIndex, KeysDifferingOnlyPastTheSlotsBytesAreTwo)
{
    // The index keeps views: the keys live here for as long as it does.
    const std::string head(35, 'K');
    const std::string keyA = head + "A", keyB = head + "B";
    Record a, b;
    KeyIndex<Record> index;
    index.Reserve(2);
    EXPECT_TRUE(index.Insert(keyA, &a));
    EXPECT_TRUE(index.Insert(keyB, &b));
    EXPECT_TRUE(index.Insert(head, &a));
    EXPECT_EQ(*index.Find(head + "A"), &a);
    EXPECT_EQ(*index.Find(head + "B"), &b);
    EXPECT_EQ(index.Find(head + "C"), nullptr);
    index.Erase(head + "A");
    EXPECT_EQ(index.Find(keyA), nullptr);
    EXPECT_EQ(*index.Find(keyB), &b);
    EXPECT_EQ(*index.Find(head), &a);
}
