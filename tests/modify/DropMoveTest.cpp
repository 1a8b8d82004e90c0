#include "FakePlugin.h"

#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "modify/CatalogueEditor.h"
#include "modify/CommandAvailability.h"
#include "modify/DropMove.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace vardel::test {
namespace {

// "Short.8bf" has a filter in "Blur" and one in "Long Category Name";
// "Wide.8bf" one in "Sharpen Things Very Well", with room for the long one.
class DropMoveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const FakePlugin shortFile = MakePipl(m_short);
        const FakePlugin wideFile = MakePipl(m_wide);
        writeFile(m_dir / "Short.8bf", shortFile.bytes);
        writeFile(m_dir / "Wide.8bf", wideFile.bytes);
        for (std::size_t i = 0; i < m_short.size(); ++i)
            Add(PiplEntry(m_dir / "Short.8bf", shortFile, m_short, i));
        Add(PiplEntry(m_dir / "Wide.8bf", wideFile, m_wide, 0));
    }

    CPluginEntry* Add(const CPluginEntry& e)
    {
        m_catalogue.m_entries.push_back(std::make_unique<CPluginEntry>(e));
        return m_catalogue.m_entries.back().get();
    }
    CPluginEntry* At(std::size_t i) { return m_catalogue.m_entries[i].get(); }

    TempDir m_dir;
    std::vector<PiplPlugin> m_short{{"Soften", "Blur"}, {"Target", "Long Category Name"}};
    std::vector<PiplPlugin> m_wide{{"Crisp", "Sharpen Things Very Well"}};
    CPluginListManager m_catalogue;
};

// What the plan lets through, the writer writes: dropping everything on the
// long category moves the wide plug-in and leaves the short one behind with
// the room its file has.
TEST_F(DropMoveTest, MovableIsWhatTheWriterTakes)
{
    CPluginEntry* soften = At(0);
    CPluginEntry* target = At(1);
    CPluginEntry* crisp = At(2);
    const DropPlan plan = PlanDrop({soften, target, crisp}, *target);
    EXPECT_FALSE(plan.tooShort);
    ASSERT_EQ(plan.movable, (std::vector<CPluginEntry*>{crisp})) << "the target itself is already there";
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_EQ(plan.refused[0].entry, soften);
    EXPECT_EQ(plan.refused[0].reason, DropRefusal::TooLong);
    EXPECT_EQ(plan.refused[0].room, CategoryLimit({soften}));

    CCatalogueEditor editor(m_catalogue, nullptr);
    EXPECT_FALSE(editor.MovePlugins({soften}, target->m_category).accepted);
    const CommandResult moved = editor.MovePlugins(plan.movable, target->m_category);
    ASSERT_TRUE(moved.accepted);
    EXPECT_TRUE(moved.Failures().empty());
    EXPECT_EQ(crisp->m_category, "Long Category Name");
}

TEST_F(DropMoveTest, RefusalsAndSilentSkips)
{
    CPluginEntry* soften = At(0);
    CPluginEntry* crisp = At(2);
    const auto room = [](int n) { return [n](CPluginEntry&) { return n; }; };

    crisp->m_fileStatus.attributes = FileStatus::kAttrReadOnly;
    DropPlan plan = PlanDrop({crisp}, *soften, room(255));
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_EQ(plan.refused[0].reason, DropRefusal::NotEditable);
    EXPECT_TRUE(plan.movable.empty());

    crisp->m_fileStatus.attributes = 0;
    crisp->m_kind = kKindEffect;
    plan = PlanDrop({crisp}, *soften, room(255));
    EXPECT_TRUE(plan.movable.empty() && plan.refused.empty()) << "another kind is left out silently";

    // The room, exactly and one short of the category's 4 characters.
    crisp->m_kind = soften->m_kind;
    EXPECT_EQ(PlanDrop({crisp}, *soften, room(4)).movable.size(), 1u);
    EXPECT_EQ(PlanDrop({crisp}, *soften, room(3)).refused.size(), 1u);
}

TEST_F(DropMoveTest, ACategoryTooShortToWriteTakesNothing)
{
    CPluginEntry* soften = At(0);
    for (const auto& [category, tooShort] :
         std::vector<std::pair<std::string, bool>>{{"", true}, {"Ab", true}, {"Abc", false}}) {
        soften->m_category = category;
        const DropPlan plan = PlanDrop({At(2)}, *soften, [](CPluginEntry&) { return 255; });
        EXPECT_EQ(plan.tooShort, tooShort) << category;
        EXPECT_EQ(plan.movable.empty(), tooShort) << category;
        EXPECT_EQ(IsLongEnough(category), !tooShort) << category;
    }
}

}  // namespace
}  // namespace vardel::test
