#include "FakePlugin.h"

#include "app/WriteMessages.h"
#include "base/FileOps.h"
#include "catalogue/PluginListManager.h"
#include "modify/CatalogueEditor.h"
#include "modify/CommandAvailability.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;

// Two files: "Three.8bf" with three filters (two of "Shared Cat"), and
// "Single.8bf" with one filter of "Shared Cat".
class CatalogueEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_three = MakePipl(m_threePlugins);
        m_single = MakePipl(m_singlePlugins);
        writeFile(ThreePath(), m_three.bytes);
        writeFile(SinglePath(), m_single.bytes);
        for (std::size_t i = 0; i < m_threePlugins.size(); ++i)
            Add(PiplEntry(ThreePath(), m_three, m_threePlugins, i));
        Add(PiplEntry(SinglePath(), m_single, m_singlePlugins, 0));
        Sort(m_catalogue);
    }

    fs::path ThreePath() const { return m_dir / "Three.8bf"; }
    fs::path SinglePath() const { return m_dir / "Single.8bf"; }

    void Add(const CPluginEntry& e) { m_catalogue.m_entries.push_back(std::make_unique<CPluginEntry>(e)); }

    CPluginEntry* Named(const std::string& name)
    {
        for (auto& e : m_catalogue.m_entries)
            if (e->m_name == name)
                return e.get();
        return nullptr;
    }

    static void Sort(CPluginListManager& c)
    {
        std::stable_sort(c.m_entries.begin(), c.m_entries.end(),
                         [](const auto& a, const auto& b) { return a->SortKey() < b->SortKey(); });
    }

    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (auto& e : m_catalogue.m_entries)
            names.push_back(e->m_name);
        return names;
    }

    TempDir m_dir;
    std::vector<PiplPlugin> m_threePlugins{
        {"Alpha One", "Shared Cat"}, {"Beta Two", "Shared Cat"}, {"Gamma Three", "Other Cat"}};
    std::vector<PiplPlugin> m_singlePlugins{{"Delta Four", "Shared Cat"}};
    FakePlugin m_three, m_single;
    CPluginListManager m_catalogue;
    int m_sorts = 0;
    CCatalogueEditor m_editor{m_catalogue, [this](CPluginListManager& c) {
                                  ++m_sorts;
                                  Sort(c);
                              }};
};

TEST_F(CatalogueEditorTest, RenameRefusesShortTextsAndTextsPastCapacity)
{
    auto* beta = Named("Beta Two");  // capacity 8
    for (std::string text : {"", "Bl", "Beta Two!"})
        EXPECT_EQ(m_editor.RenamePlugin(*beta, text).status, WriteStatus::Refused) << text;
    EXPECT_EQ(readFile(ThreePath()), m_three.bytes);

    auto result = m_editor.RenamePlugin(*beta, "Blu");
    EXPECT_TRUE(result.Written());
    EXPECT_EQ(readFile(ThreePath()), Patched(m_three.bytes, m_three.nameOffsets[1], std::string("Blu     ")));
    EXPECT_EQ(m_sorts, 0);  // a rename changes one label in place
}

TEST_F(CatalogueEditorTest, RenameOfAReadOnlyPluginSaysSo)
{
    auto* beta = Named("Beta Two");
    beta->m_fileStatus.attributes = FileStatus::kAttrReadOnly;
    auto result = m_editor.RenamePlugin(*beta, "Blur");
    EXPECT_EQ(result.status, WriteStatus::Refused);
    EXPECT_EQ(result.message, "File read only?");
}

TEST_F(CatalogueEditorTest, MoveUsesTheSmallestCapacityAndSortsAfterwards)
{
    auto* alpha = Named("Alpha One");    // "Shared Cat": 10
    auto* gamma = Named("Gamma Three");  // "Other Cat": 9
    std::vector<CPluginEntry*> both{alpha, gamma};

    EXPECT_FALSE(m_editor.MovePlugins(both, "Zzz Cat 10").accepted);  // 10 > 9
    EXPECT_FALSE(m_editor.MovePlugins(both, "Zz").accepted);
    EXPECT_EQ(m_sorts, 0);

    auto result = m_editor.MovePlugins(both, "Zzz Cat 9");
    ASSERT_TRUE(result.accepted);
    ASSERT_EQ(result.writes.size(), 2u);
    EXPECT_TRUE(result.Failures().empty());
    EXPECT_EQ(m_sorts, 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Beta Two", "Delta Four", "Alpha One", "Gamma Three"}));
    auto expected = Patched(m_three.bytes, m_three.categoryOffsets[0] - 1, std::string("\x09Zzz Cat 9"));
    expected = Patched(expected, m_three.categoryOffsets[2] - 1, std::string("\x09Zzz Cat 9"));
    EXPECT_EQ(readFile(ThreePath()), expected);
}

TEST_F(CatalogueEditorTest, MoveReportsEachFailedWrite)
{
    auto* beta = Named("Beta Two");
    auto* delta = Named("Delta Four");
    fs::remove(SinglePath());

    auto result = m_editor.MovePlugins({beta, delta}, "New Cat");

    ASSERT_TRUE(result.accepted);
    auto failures = result.Failures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0]->entry, delta);
    EXPECT_EQ(failures[0]->result.message, "File read only?");
    EXPECT_EQ(delta->m_category, "Shared Cat");
    EXPECT_EQ(beta->m_category, "New Cat");
}

TEST_F(CatalogueEditorTest, CategoryRenameWritesEveryPluginOfTheCategory)
{
    auto* categoryEntry = Named("Alpha One");
    EXPECT_FALSE(m_editor.RenameCategory(*categoryEntry, "AB").accepted);

    auto result = m_editor.RenameCategory(*categoryEntry, "Soft");

    ASSERT_TRUE(result.accepted);
    EXPECT_EQ(result.writes.size(), 3u);
    for (const char* name : {"Alpha One", "Beta Two", "Delta Four"})
        EXPECT_EQ(Named(name)->m_category, "Soft") << name;
    EXPECT_EQ(Named("Gamma Three")->m_category, "Other Cat");
    EXPECT_EQ(readFile(SinglePath()),
              Patched(m_single.bytes, m_single.categoryOffsets[0] - 1, std::string("\x04Soft")));
    EXPECT_EQ(m_sorts, 1);
}

TEST_F(CatalogueEditorTest, CategoryWithAReadOnlyPluginIsRefusedWhole)
{
    Named("Delta Four")->m_fileStatus.attributes = FileStatus::kAttrReadOnly;
    auto* categoryEntry = Named("Alpha One");
    EXPECT_EQ(m_editor.RenameCategory(*categoryEntry, "Soft").message, "File read only?");
    EXPECT_FALSE(m_editor.EnableCategory(*categoryEntry, false).accepted);
    EXPECT_EQ(readFile(ThreePath()), m_three.bytes);
    EXPECT_TRUE(fs::exists(ThreePath()));
}

TEST_F(CatalogueEditorTest, DisablingOnePluginDisablesItsWholeFileOnce)
{
    auto* beta = Named("Beta Two");
    auto result = m_editor.EnablePlugins({beta}, false);

    ASSERT_TRUE(result.accepted);
    EXPECT_EQ(result.changed.size(), 3u);  // the three of Three.8bf, Gamma Three of another category too
    EXPECT_EQ(Named("Gamma Three")->m_enabled, 0);
    EXPECT_EQ(Named("Delta Four")->m_enabled, 1);
    EXPECT_FALSE(fs::exists(ThreePath()));
    EXPECT_EQ(readFile(m_dir / "Three_8bf"), m_three.bytes);
    EXPECT_EQ(CategoryIcon(m_catalogue, *Named("Alpha One")), kIconPartly);
    EXPECT_EQ(CategoryIcon(m_catalogue, *Named("Gamma Three")), kIconDisabled);
}

TEST_F(CatalogueEditorTest, CategoryDisableFollowsFilesIntoOtherCategories)
{
    auto result = m_editor.EnableCategory(*Named("Gamma Three"), false);

    ASSERT_TRUE(result.accepted);
    EXPECT_EQ(result.changed.size(), 3u);
    EXPECT_EQ(Named("Alpha One")->m_enabled, 0);
    EXPECT_EQ(Named("Delta Four")->m_enabled, 1);

    result = m_editor.EnableCategory(*Named("Alpha One"), true);
    EXPECT_EQ(result.changed.size(), 4u);  // Delta Four was enabled already
    EXPECT_TRUE(fs::exists(ThreePath()));
    EXPECT_EQ(CategoryIcon(m_catalogue, *Named("Alpha One")), kIconEnabled);
}

TEST_F(CatalogueEditorTest, EnableFailsWhenTheOtherNameIsTaken)
{
    writeFile(m_dir / "Single_8bf", std::string("another file"));
    auto* delta = Named("Delta Four");
    auto result = m_editor.EnablePlugins({delta}, false);
    EXPECT_TRUE(result.accepted);
    EXPECT_TRUE(result.changed.empty());
    EXPECT_EQ(delta->m_enabled, 1);
    EXPECT_EQ(readFile(SinglePath()), m_single.bytes);
    EXPECT_EQ(readFile(m_dir / "Single_8bf"), Bytes({'a', 'n', 'o', 't', 'h', 'e', 'r', ' ', 'f', 'i', 'l', 'e'}));
}

TEST_F(CatalogueEditorTest, WritesThatFailTellTheirCauseAsAMessageCode)
{
    auto* alpha = Named("Alpha One");
    auto* beta = Named("Beta Two");
    auto* delta = Named("Delta Four");

    // A file that cannot be opened: read only, whatever the cause.
    fs::remove(SinglePath());
    const auto moved = m_editor.MovePlugins({delta}, "New Cat");
    ASSERT_EQ(moved.Failures().size(), 1u);
    const auto readOnly = WriteMessage(moved.Failures()[0]->result, delta->m_path);
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->code, MessageCode::FileReadOnly);
    EXPECT_EQ(readOnly->text, "File read only?");
    EXPECT_EQ(readOnly->argument, delta->m_path);

    // Another program changed the name where the catalogue has it.
    writeFile(ThreePath(),
              Patched(m_three.bytes, static_cast<std::size_t>(m_three.nameOffsets[1]), std::string("Zeta")));
    const auto changed = WriteMessage(m_editor.RenamePlugin(*beta, "Blur"), beta->m_path);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->code, MessageCode::PluginChangedOnDisk);
    EXPECT_EQ(changed->text, kChangedOnDiskText);
    EXPECT_EQ(beta->m_name, "Beta Two");

    // Refused before any write: the editor's words; a write made: nothing.
    const auto refused = WriteMessage(m_editor.RenamePlugin(*alpha, "Al"), alpha->m_path);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, MessageCode::CommandRefused);
    EXPECT_EQ(refused->text, kTooShortText);
    EXPECT_FALSE(WriteMessage(m_editor.RenamePlugin(*alpha, "Ace"), alpha->m_path));
}

// The window words a refusal by its code and arguments; the tools print the text.
TEST_F(CatalogueEditorTest, RefusalsCarryTheirCodeAndArguments)
{
    auto* alpha = Named("Alpha One");
    auto* beta = Named("Beta Two");  // capacity 8
    using Strings = std::vector<std::string>;

    const WriteResult tooShort = m_editor.RenamePlugin(*beta, "Bl");
    EXPECT_EQ(tooShort.code, EditCode::TooShort);
    EXPECT_TRUE(tooShort.arguments.empty());

    const WriteResult tooLong = m_editor.RenamePlugin(*beta, "Beta Two!");
    EXPECT_EQ(tooLong.code, EditCode::TooLongFor);
    EXPECT_EQ(tooLong.arguments, Strings{"8"});
    EXPECT_EQ(tooLong.message, "At most 8 characters are allowed.");

    const CommandResult none = m_editor.MovePlugins({}, "New Cat");
    EXPECT_EQ(none.code, EditCode::NothingSelected);
    EXPECT_EQ(none.message, kNothingSelectedText);

    // Outside the plug-in directory: the file and the directory as shown.
    const TempDir elsewhere;
    CCatalogueEditor below(m_catalogue, nullptr, WriteScope::Below(elsewhere.path().string()));
    const WriteResult outside = below.RenamePlugin(*alpha, "Ace");
    EXPECT_EQ(outside.code, EditCode::OutsideDirectory);
    EXPECT_EQ(outside.arguments, (Strings{PathForDisplay(alpha->m_path), PathForDisplay(elsewhere.path().string())}));
    CCatalogueEditor nowhere(m_catalogue, nullptr,
                             WriteScope::Nowhere(EditCode::NoDirectory, "No plug-in directory is on show."));
    const CommandResult barred = nowhere.EnablePlugins({alpha}, false);
    EXPECT_FALSE(barred.accepted);
    EXPECT_EQ(barred.code, EditCode::NoDirectory);
    EXPECT_EQ(barred.message, "No plug-in directory is on show.");

    beta->m_fileStatus.attributes = FileStatus::kAttrReadOnly;
    EXPECT_EQ(m_editor.RenamePlugin(*beta, "Blur").code, EditCode::FileReadOnly);
    const CommandResult readOnly = m_editor.MovePlugins({alpha, beta}, "New Cat");
    EXPECT_EQ(readOnly.code, EditCode::FileReadOnly);
    EXPECT_EQ(readOnly.message, kFileReadOnlyText);

    // A refusal reaches the window's message with its code and arguments.
    const auto message = WriteMessage(tooLong, beta->m_path);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->code, MessageCode::CommandRefused);
    EXPECT_EQ(message->refusal, EditCode::TooLongFor);
    EXPECT_EQ(message->arguments, Strings{"8"});
    EXPECT_EQ(readFile(ThreePath()), m_three.bytes);
}

}  // namespace
}  // namespace vardel::test
