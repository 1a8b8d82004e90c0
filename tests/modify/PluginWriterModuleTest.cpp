// The writer over real plug-in modules (the linked test plug-ins): the
// limits it offers are the limits it enforces, and every text it writes
// lies inside the resource the text was read from.

#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/ResourceSpans.h"
#include "modify/CatalogueEditor.h"
#include "modify/CategoryDialog.h"
#include "modify/CommandAvailability.h"
#include "modify/PluginWriter.h"
#include "pe/ResourceLibrary.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A copy of a test plug-in in a temporary directory, read as a scan reads it.
class PluginWriterModuleTest : public ::testing::Test {
protected:
    fs::path Copy(const std::string& plugin)
    {
        const fs::path path = m_dir / plugin;
        fs::copy_file(testPlugin(plugin), path);
        return path;
    }

    // The file's entries as a fresh scan finds them.
    std::vector<CPluginEntry> Read(const fs::path& path)
    {
        CPluginListManager catalogue;
        CPluginReader reader(catalogue, m_restore, m_cache);
        reader.ReadFile(path.string(), true);
        std::vector<CPluginEntry> entries;
        for (const auto& e : catalogue.m_entries)
            entries.push_back(*e);
        return entries;
    }

    static const CPluginEntry& Named(const std::vector<CPluginEntry>& entries, const std::string& name)
    {
        auto it = std::find_if(entries.begin(), entries.end(), [&](const CPluginEntry& e) { return e.m_name == name; });
        if (it == entries.end())
            throw std::runtime_error("no entry " + name);
        return *it;
    }

    TempDir m_dir;
    CPluginRestoreManager m_restore;
    CPIMIManager m_cache;
    CPluginWriter m_writer;
};

TEST_F(PluginWriterModuleTest, FilterFactoryLimitsAreWhatItsPropertiesHold)
{
    // "FF Ripple" has 12 bytes of name data (11 characters), "FF Cat" 8 bytes
    // of category data (7 characters); the capacities stay at 34.
    const fs::path path = Copy("ff_filter.8bf");
    auto entries = Read(path);
    ASSERT_EQ(entries.size(), 1u);
    CPluginEntry entry = entries[0];
    ASSERT_TRUE(entry.IsPhotoshopFilterFactory());
    EXPECT_EQ(entry.m_nameCapacity, 34);
    EXPECT_EQ(entry.m_categoryCapacity, 34);

    EXPECT_EQ(NameLimit(entry), 11);
    EXPECT_EQ(CategoryLimit({&entry}), 7);
    CPluginListManager catalogue;
    CCategoryDialog dialog(catalogue, {&entry});
    EXPECT_EQ(dialog.Limit(), 7);
    EXPECT_EQ(dialog.LimitText(), "Up to 7 characters allowed");

    // One more than the limit is refused before the file is touched; the
    // limit itself is written.
    const Bytes before = readFile(path);
    CCatalogueEditor editor(catalogue, nullptr);
    WriteResult refused = editor.RenamePlugin(entry, "Ripple 4567X");
    EXPECT_EQ(refused.status, WriteStatus::Refused);
    EXPECT_EQ(refused.message, "At most 11 characters are allowed.");
    EXPECT_EQ(m_writer.SetName(entry, "Ripple 4567X").status, WriteStatus::TooLong);
    EXPECT_EQ(m_writer.SetCategory(entry, "Cat 567X").status, WriteStatus::TooLong);
    EXPECT_EQ(readFile(path), before);

    ASSERT_TRUE(editor.RenamePlugin(entry, "Ripple 4567").Written());
    ASSERT_TRUE(m_writer.SetCategory(entry, "Cat 567").Written());
    auto again = Read(path);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].m_name, "Ripple 4567");
    EXPECT_EQ(again[0].m_category, "Cat 567");
    EXPECT_EQ(NameLimit(again[0]), 11);  // the property's data did not change
}

TEST_F(PluginWriterModuleTest, OtherPluginsOfferTheirCapacities)
{
    const fs::path path = Copy("pipl_single.8bf");
    auto entries = Read(path);
    ASSERT_EQ(entries.size(), 1u);
    CPluginEntry entry = entries[0];
    EXPECT_EQ(NameLimit(entry), 9);          // "Soft Glow"
    EXPECT_EQ(CategoryLimit({&entry}), 11);  // "Vardel Test"

    CPluginEntry unlocated = entry;
    unlocated.m_nameOffset = 0;
    EXPECT_EQ(NameLimit(unlocated), 0);
    CPluginEntry premiere = entry;
    premiere.m_resourceType = 0;
    EXPECT_EQ(NameLimit(premiere), 0);

    // A file that cannot be read offers the capacity; the write says why.
    CPluginEntry gone = entry;
    gone.m_path = (m_dir / "gone.8bf").string();
    EXPECT_EQ(NameLimit(gone), 9);
    EXPECT_EQ(CategoryLimit({&gone}), 11);
    EXPECT_EQ(m_writer.SetName(gone, "Blur").message, kFileReadOnlyText);
}

TEST_F(PluginWriterModuleTest, StaleCategoryIsFoundAgainInsideItsOwnResource)
{
    // "Alpha One" and "Beta Two" share "Shared Cat"; a search over the
    // whole file finds Alpha's first, the search inside Beta's PiPL its own.
    const fs::path path = Copy("pipl_three.8bf");
    auto entries = Read(path);
    ASSERT_EQ(entries.size(), 3u);
    CPluginEntry beta = Named(entries, "Beta Two");
    const int own = beta.m_categoryOffset;
    ASSERT_NE(own, Named(entries, "Alpha One").m_categoryOffset);
    beta.m_categoryOffset = beta.m_nameOffset;  // stale: a string of another key

    EXPECT_EQ(CategoryLimit({&beta}), 10);  // "Shared Cat", found again for the limit too
    ASSERT_TRUE(m_writer.SetCategory(beta, "Own Cat").Written());
    EXPECT_EQ(beta.m_categoryOffset, own);
    auto again = Read(path);
    EXPECT_EQ(Named(again, "Beta Two").m_category, "Own Cat");
    EXPECT_EQ(Named(again, "Alpha One").m_category, "Shared Cat");
}

TEST_F(PluginWriterModuleTest, PimiFiltersOfOneTitleInTwoDirectoriesAreBothMoved)
{
    // Both copies of pimi_filter.8bf share the image base names and so the
    // tail cache's keys; the second copy's tails differ from the first's.
    fs::create_directories(m_dir / "a");
    fs::create_directories(m_dir / "b");
    const fs::path first = m_dir / "a" / "pimi_filter.8bf";
    const fs::path second = m_dir / "b" / "pimi_filter.8bf";
    fs::copy_file(testPlugin("pimi_filter.8bf"), first);
    fs::copy_file(testPlugin("pimi_filter.8bf"), second);
    auto firstEntries = Read(first);
    ASSERT_EQ(firstEntries.size(), 2u);
    Bytes bytes = readFile(second);
    for (const CPluginEntry& e : firstEntries) {
        const std::size_t tail = static_cast<std::size_t>(e.m_categoryOffset) + e.m_category.size() + 1;
        for (std::size_t i = 0; i < 16; ++i)
            bytes[tail + i] ^= 0x5A;
    }
    writeFile(second, bytes);
    auto secondEntries = Read(second);
    ASSERT_EQ(secondEntries.size(), 2u);

    for (auto* entries : {&secondEntries, &firstEntries}) {
        const fs::path path = entries->front().m_path;
        const Bytes before = readFile(path);
        for (CPluginEntry& e : *entries)
            ASSERT_TRUE(m_writer.SetCategory(e, "Cat").Written()) << path << " " << e.m_name;
        for (const CPluginEntry& e : Read(path))
            EXPECT_EQ(e.m_category, "Cat");
        for (CPluginEntry& e : *entries)
            ASSERT_TRUE(m_writer.SetCategory(e, "PiMI Cat").Written());
        EXPECT_EQ(readFile(path), before) << path << ": each file's own tails moved and back";
    }
}

// lang.8bf holds PIPL #16000 in German and US English (the English copy is
// read) and #16001 neutral and German (the neutral copy is read); all four
// copies have the category "Lang Cat".
class LanguageCopies : public PluginWriterModuleTest {
protected:
    void SetUp() override
    {
        m_path = Copy("lang.8bf");
        m_entries = Read(m_path);
        ASSERT_EQ(m_entries.size(), 2u);
    }

    // The bytes of one language copy of a PiPL.
    Bytes CopyOf(const std::string& name, std::uint16_t language) const
    {
        COXResourceLibrary lib;
        Bytes data;
        EXPECT_TRUE(lib.Open(m_path.string()));
        EXPECT_TRUE(lib.Find("PIPL", name, language, data)) << name << " " << language;
        return data;
    }

    // The span of the copy the reader picked for the entry.
    TextSpans SpansOf(const CPluginEntry& e) const
    {
        COXResourceLibrary lib;
        TextSpans spans;
        EXPECT_TRUE(lib.Open(m_path.string()));
        EXPECT_TRUE(FindTextSpans(lib, e, spans));
        return spans;
    }

    fs::path m_path;
    std::vector<CPluginEntry> m_entries;
};

TEST_F(LanguageCopies, TextsAreLocatedInsideTheCopyThatWasRead)
{
    for (const CPluginEntry& e : m_entries) {
        const TextSpans spans = SpansOf(e);
        EXPECT_TRUE(spans.name.Holds(static_cast<std::uint64_t>(e.m_nameOffset), e.m_name.size())) << e.m_name;
        EXPECT_TRUE(spans.category.Holds(static_cast<std::uint64_t>(e.m_categoryOffset), e.m_category.size()))
            << e.m_name;
        EXPECT_EQ(e.m_category, "Lang Cat");
    }
    EXPECT_EQ(m_entries[0].m_name, "English Name");
    EXPECT_EQ(m_entries[1].m_name, "Neutral Name");
}

TEST_F(LanguageCopies, MoveAndRenameChangeOnlyTheCopyThatWasRead)
{
    const Bytes german16000 = CopyOf("#16000", 0x0407);
    const Bytes german16001 = CopyOf("#16001", 0x0407);
    const Bytes neutral = CopyOf("#16001", 0x0000);
    CPluginEntry english = Named(m_entries, "English Name");

    ASSERT_TRUE(m_writer.SetCategory(english, "Moved").Written());
    ASSERT_TRUE(m_writer.SetName(english, "Renamed Name").Written());

    // The copy that is read shows the change after a re-read ...
    auto again = Read(m_path);
    EXPECT_EQ(Named(again, "Renamed Name").m_category, "Moved");
    EXPECT_EQ(Named(again, "Neutral Name").m_category, "Lang Cat");
    // ... and the other copies, which no host reading this language sees,
    // are left exactly as they were.
    EXPECT_EQ(CopyOf("#16000", 0x0407), german16000);
    EXPECT_EQ(CopyOf("#16001", 0x0407), german16001);
    EXPECT_EQ(CopyOf("#16001", 0x0000), neutral);
    EXPECT_NE(CopyOf("#16000", 0x0409), CopyOf("#16000", 0x0407));
}

TEST_F(LanguageCopies, OffsetsIntoAnotherCopyAreNeverWritten)
{
    // Catalogues written by earlier versions may hold offsets that point
    // into another language copy: the category is then found again in the
    // copy that is read; a name there is refused.
    const Bytes file = readFile(m_path);
    auto first = [&](const Bytes& pattern) {
        return static_cast<int>(std::search(file.begin(), file.end(), pattern.begin(), pattern.end()) - file.begin());
    };
    const Bytes german16000 = CopyOf("#16000", 0x0407);
    CPluginEntry english = Named(m_entries, "English Name");
    const int own = english.m_categoryOffset;
    english.m_categoryOffset = first(PiplTextPattern("Lang Cat")) + 2;
    ASSERT_NE(english.m_categoryOffset, own);
    ASSERT_FALSE(SpansOf(english).category.Holds(static_cast<std::uint64_t>(english.m_categoryOffset), 8));

    EXPECT_EQ(CategoryLimit({&english}), 8);
    ASSERT_TRUE(m_writer.SetCategory(english, "Moved").Written());
    EXPECT_EQ(english.m_categoryOffset, own);
    EXPECT_EQ(CopyOf("#16000", 0x0407), german16000);

    CPluginEntry misplaced = english;
    misplaced.m_name = "German Name";
    misplaced.m_nameOffset = first(PiplTextPattern("German Name")) + 2;
    const Bytes before = readFile(m_path);
    EXPECT_EQ(m_writer.SetName(misplaced, "Other Name").status, WriteStatus::ChangedOnDisk);
    EXPECT_EQ(readFile(m_path), before);
}

}  // namespace
}  // namespace vardel::test
