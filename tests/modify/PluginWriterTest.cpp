#include "FakePlugin.h"

#include "catalogue/PIMIManager.h"
#include "catalogue/PluginListManager.h"
#include "modify/PluginWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;

class PluginWriterTest : public ::testing::Test {
protected:
    // Writes the file and returns its path.
    fs::path Put(const std::string& name, const Bytes& bytes)
    {
        auto path = m_dir / name;
        writeFile(path, bytes);
        return path;
    }

    TempDir m_dir;
    CPIMIManager m_cache;
    CPluginWriter m_writer;
};

// ---------------------------------------------------------------- names

TEST_F(PluginWriterTest, PiplNameIsPaddedToCapacityAndKeepsLengthByte)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Vardel Test"}};  // capacity 10
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);

    auto result = m_writer.SetName(entry, "Blur");

    EXPECT_EQ(result.status, WriteStatus::Written);
    EXPECT_EQ(result.text, "Blur");
    EXPECT_EQ(entry.m_name, "Blur");
    auto expected = Patched(file.bytes, file.nameOffsets[0], std::string("Blur      "));
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(readFile(path)[file.nameOffsets[0] - 1], 10);
}

TEST_F(PluginWriterTest, FilterFactoryNameGetsNewLengthByte)
{
    std::vector<PiplPlugin> plugins{{"FF Ripple", "FF Cat"}};
    auto file = MakePipl(plugins);
    auto path = Put("Ripple.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);
    entry.m_resourceFlags = kFlagPARM | kFlagFUNC;
    entry.m_nameCapacity = entry.m_categoryCapacity = 34;

    auto result = m_writer.SetName(entry, "Blur");

    ASSERT_EQ(result.status, WriteStatus::Written) << result.message;
    EXPECT_EQ(entry.m_name, "Blur");
    auto expected = Patched(file.bytes, file.nameOffsets[0] - 1, Bytes{4, 'B', 'l', 'u', 'r'});
    EXPECT_EQ(readFile(path), expected);  // "pple" of the old name stays after the new end
}

TEST_F(PluginWriterTest, FilterFactoryNameNeverRunsPastItsProperty)
{
    // Capacity 34 is assumed for every Filter Factory filter; this one's name
    // property holds 11 characters (12 bytes of data with the length byte).
    std::vector<PiplPlugin> plugins{{"FF Ripple", "FF Cat"}};
    auto file = MakePipl(plugins);
    auto path = Put("Ripple.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);
    entry.m_resourceFlags = kFlagPARM | kFlagFUNC;
    entry.m_nameCapacity = 34;

    EXPECT_EQ(m_writer.SetName(entry, "Ripple 45678").status, WriteStatus::TooLong);
    EXPECT_EQ(readFile(path), file.bytes);
    EXPECT_EQ(m_writer.SetName(entry, "Ripple 4567").status, WriteStatus::Written);
    EXPECT_EQ(readFile(path), Patched(file.bytes, file.nameOffsets[0] - 1, "\x0bRipple 4567"));
}

// Name lengths around the capacity of a PiPL name (10) and a PiMI name (8).
struct LengthCase {
    std::size_t length;
    bool written;
    friend void PrintTo(const LengthCase& c, std::ostream* os) { *os << "length " << c.length; }
};

class NameLengthTest : public PluginWriterTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(NameLengthTest, PiplNameLengthAgainstCapacity)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Vardel Test"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);
    std::string name(GetParam().length, 'n');

    auto result = m_writer.SetName(entry, name);

    EXPECT_EQ(result.Written(), GetParam().written);
    std::string padded = name + std::string(10 - std::min<std::size_t>(10, name.size()), ' ');
    EXPECT_EQ(readFile(path), GetParam().written ? Patched(file.bytes, file.nameOffsets[0], padded) : file.bytes);
    EXPECT_EQ(entry.m_name, GetParam().written ? name : "Soft Focus");
}

TEST_P(NameLengthTest, PimiNameKeepsItsTerminator)
{
    auto file = MakePimi("PiMI One", "PiMI Cat", SampleTail(1));  // name capacity 8
    auto path = Put("One.8bf", file.bytes);
    auto entry = PimiEntry(path, file, "PiMI One", "PiMI Cat");
    std::string name(GetParam().length, 'p');
    bool fits = name.size() <= 8;

    auto result = m_writer.SetName(entry, name);

    EXPECT_EQ(result.Written(), fits);
    std::string padded = name + std::string(8 - std::min<std::size_t>(8, name.size()), ' ');
    EXPECT_EQ(readFile(path), fits ? Patched(file.bytes, file.nameOffsets[0], padded) : file.bytes);
}

INSTANTIATE_TEST_SUITE_P(AroundCapacity, NameLengthTest,
                         ::testing::Values(LengthCase{0, true}, LengthCase{3, true}, LengthCase{7, true},
                                           LengthCase{8, true}, LengthCase{9, true}, LengthCase{10, true},
                                           LengthCase{11, false}, LengthCase{200, false}));

TEST_F(PluginWriterTest, WidenedCapacityStopsAtTheLengthByte)
{
    // The restore database may say 20 (another file of the same title had a
    // longer original); the file's own length byte says 10.
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Vardel Test"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);
    entry.m_nameCapacity = 20;

    EXPECT_EQ(m_writer.SetName(entry, "Twelve chars").status, WriteStatus::TooLong);
    EXPECT_EQ(readFile(path), file.bytes);
    EXPECT_TRUE(m_writer.SetName(entry, "Blur").Written());
    EXPECT_EQ(readFile(path), Patched(file.bytes, file.nameOffsets[0], std::string("Blur      ")));
}

TEST_F(PluginWriterTest, PaddedNameCanBeRenamedAgain)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Vardel Test"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);

    ASSERT_TRUE(m_writer.SetName(entry, "Blur").Written());
    ASSERT_TRUE(m_writer.SetName(entry, "Soft Focus").Written());
    EXPECT_EQ(readFile(path), file.bytes);

    // As a later scan reads it: with the padding.
    ASSERT_TRUE(m_writer.SetName(entry, "Abc").Written());
    entry.m_name = "Abc       ";
    EXPECT_TRUE(m_writer.SetName(entry, "Xyz").Written());
}

// ------------------------------------------------------------ categories

TEST_F(PluginWriterTest, PiplCategoryShorterKeepsOldBytesAfterIt)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);

    auto result = m_writer.SetCategory(entry, "Art");

    ASSERT_EQ(result.status, WriteStatus::Written) << result.message;
    EXPECT_EQ(entry.m_category, "Art");
    auto expected = Patched(file.bytes, file.categoryOffsets[0] - 1, Bytes{3, 'A', 'r', 't'});
    EXPECT_EQ(readFile(path), expected);
    auto after = readFile(path);
    EXPECT_EQ(std::string(after.begin() + file.categoryOffsets[0] + 3, after.begin() + file.categoryOffsets[0] + 8),
              "istic");
}

TEST_F(PluginWriterTest, PiplCategoryLongerThanCapacityIsRefused)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);

    EXPECT_EQ(m_writer.SetCategory(entry, "Artistic!").status, WriteStatus::TooLong);
    EXPECT_EQ(readFile(path), file.bytes);
    EXPECT_EQ(entry.m_category, "Artistic");
}

TEST_F(PluginWriterTest, StaleCategoryOffsetOutsideAModuleIsRefused)
{
    // The category is looked for again only inside the resource it was read
    // from; a file that is no longer a module has none, so nothing is written.
    std::vector<PiplPlugin> plugins{{"Blurring", "Blurring"}};
    auto file = MakePipl(plugins);
    auto path = Put("Blur.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);
    entry.m_categoryOffset = file.nameOffsets[0];

    EXPECT_EQ(m_writer.SetCategory(entry, "Focus").status, WriteStatus::ChangedOnDisk);
    EXPECT_EQ(readFile(path), file.bytes);
    EXPECT_EQ(entry.m_categoryOffset, file.nameOffsets[0]);
}

TEST_F(PluginWriterTest, SecondPluginOfSameCategoryKeepsItsOwnOffset)
{
    std::vector<PiplPlugin> plugins{{"Alpha One", "Shared Cat"}, {"Beta Two", "Shared Cat"}};
    auto file = MakePipl(plugins);
    auto path = Put("Three.8bf", file.bytes);
    auto second = PiplEntry(path, file, plugins, 1);

    ASSERT_TRUE(m_writer.SetCategory(second, "Own Cat").Written());
    EXPECT_EQ(second.m_categoryOffset, file.categoryOffsets[1]);
    EXPECT_EQ(readFile(path), Patched(file.bytes, file.categoryOffsets[1] - 1, "\x07Own Cat"));
}

TEST_F(PluginWriterTest, PimiCategoryMovesTheCachedTail)
{
    auto tail = SampleTail(1);
    auto file = MakePimi("PiMI One", "PiMI Cat", tail);
    auto path = Put("One.8bf", file.bytes);
    auto entry = PimiEntry(path, file, "PiMI One", "PiMI Cat");
    std::array<std::uint8_t, 16> cached{};
    std::copy(tail.begin(), tail.end(), cached.begin());
    ASSERT_TRUE(m_cache.Add(entry.ImageBaseName(), cached));

    ASSERT_TRUE(m_writer.SetCategory(entry, "Cat").Written());

    Bytes written{'C', 'a', 't', 0};
    written.insert(written.end(), tail.begin(), tail.end());
    auto expected = Patched(file.bytes, file.categoryOffsets[0], written);
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(entry.m_category, "Cat");

    // Back to the longer text: the tail moves down again over its old place.
    ASSERT_TRUE(m_writer.SetCategory(entry, "PiMI Cat").Written());
    EXPECT_EQ(readFile(path), file.bytes);
}

TEST_F(PluginWriterTest, PimiCategoryWithoutCacheEntryMovesTheFilesOwnTail)
{
    auto tail = SampleTail(2);
    auto file = MakePimi("PiMI Two", "PiMI Cat", tail);
    auto path = Put("Two.8bf", file.bytes);
    auto entry = PimiEntry(path, file, "PiMI Two", "PiMI Cat");

    ASSERT_TRUE(m_writer.SetCategory(entry, "Cat").Written());

    Bytes written{'C', 'a', 't', 0};
    written.insert(written.end(), tail.begin(), tail.end());
    EXPECT_EQ(readFile(path), Patched(file.bytes, file.categoryOffsets[0], written));
}

TEST_F(PluginWriterTest, PimiFiltersOfOneTitleInTwoDirectoriesMoveTheirOwnTails)
{
    // Both files give the image base name 8BFM_TWO_00, so the tail cache
    // holds the first one's tail only; neither move is blocked, and each file
    // keeps its own tail right after its category.
    fs::create_directories(m_dir / "a");
    fs::create_directories(m_dir / "b");
    const Bytes tails[] = {SampleTail(2), SampleTail(7)};
    FakePlugin files[] = {MakePimi("PiMI Two", "PiMI Cat", tails[0]), MakePimi("PiMI Two", "PiMI Cat", tails[1])};
    const fs::path paths[] = {Put("a/Two.8bf", files[0].bytes), Put("b/Two.8bf", files[1].bytes)};
    std::array<std::uint8_t, 16> cached{};
    std::copy(tails[0].begin(), tails[0].end(), cached.begin());
    ASSERT_TRUE(m_cache.Add("8BFM_TWO_00", cached));

    for (int round = 0; round < 2; ++round)
        for (int i : {1, 0}) {
            auto entry = PimiEntry(paths[i], files[i], "PiMI Two", "PiMI Cat");
            ASSERT_EQ(entry.ImageBaseName(), "8BFM_TWO_00");
            ASSERT_TRUE(m_writer.SetCategory(entry, "Cat").Written()) << "file " << i << ", round " << round;
            const auto at = static_cast<std::size_t>(files[i].categoryOffsets[0]);
            EXPECT_EQ(readFile(paths[i]),
                      Patched(Patched(files[i].bytes, at, Bytes{'C', 'a', 't', 0}), at + 4, tails[i]));
            // And back: the file is as it was.
            ASSERT_TRUE(m_writer.SetCategory(entry, "PiMI Cat").Written());
            EXPECT_EQ(readFile(paths[i]), files[i].bytes);
        }
    EXPECT_EQ(m_cache.Lookup("8BFM_TWO_00")->m_bytes, cached);  // the record stays as the scan saw it
}

TEST_F(PluginWriterTest, PimiCategoryWithoutItsWholeTailIsRefused)
{
    // A file cut short after the category: no 16 bytes of tail to move.
    auto file = MakePimi("PiMI Two", "PiMI Cat", SampleTail(2));
    const std::size_t end = static_cast<std::size_t>(file.categoryOffsets[0]) + 8 + 1 + 10;
    Bytes cut(file.bytes.begin(), file.bytes.begin() + static_cast<std::ptrdiff_t>(end));
    auto path = Put("Two.8bf", cut);
    auto entry = PimiEntry(path, file, "PiMI Two", "PiMI Cat");

    EXPECT_EQ(m_writer.SetCategory(entry, "Cat").status, WriteStatus::ChangedOnDisk);
    EXPECT_EQ(readFile(path), cut);
}

TEST_F(PluginWriterTest, PremiereAndUnknownCategoriesAreNotWritten)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    for (int type : {int(kResourcePremiere), int(kResourceUnknown)}) {
        auto entry = PiplEntry(path, file, plugins, 0);
        entry.m_resourceType = type;
        auto result = m_writer.SetCategory(entry, "Art");
        EXPECT_EQ(result.status, WriteStatus::NotWritable);
        EXPECT_TRUE(result.text.empty());
        EXPECT_TRUE(result.message.empty());
        EXPECT_EQ(entry.m_category, "Artistic");
    }
    EXPECT_EQ(readFile(path), file.bytes);
}

TEST_F(PluginWriterTest, UnlocatedTextsAreSkippedSilently)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto base = PiplEntry(path, file, plugins, 0);
    for (int field = 0; field < 4; ++field) {
        auto entry = base;
        (field == 0   ? entry.m_nameOffset
         : field == 1 ? entry.m_nameCapacity
         : field == 2 ? entry.m_categoryOffset
                      : entry.m_categoryCapacity) = 0;
        auto result = field < 2 ? m_writer.SetName(entry, "Blur") : m_writer.SetCategory(entry, "Art");
        EXPECT_EQ(result.status, WriteStatus::NotLocated) << field;
        EXPECT_TRUE(result.message.empty());
        EXPECT_TRUE(result.text.empty());
    }
    EXPECT_EQ(readFile(path), file.bytes);
}

// ------------------------------------------------ changed files, failures

TEST_F(PluginWriterTest, FileChangedBehindTheCatalogueIsRefusedAndUntouched)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    // Another tool renamed the plug-in: same length, other text.
    auto changed = Patched(file.bytes, file.nameOffsets[0], std::string("Hard Focus"));
    changed = Patched(changed, file.categoryOffsets[0], std::string("Abstract"));
    auto path = Put("Soft.8bf", changed);
    auto entry = PiplEntry(path, file, plugins, 0);

    auto name = m_writer.SetName(entry, "Blur");
    auto category = m_writer.SetCategory(entry, "Art");

    EXPECT_EQ(name.status, WriteStatus::ChangedOnDisk);
    EXPECT_EQ(name.message, kChangedOnDiskText);
    EXPECT_EQ(category.status, WriteStatus::ChangedOnDisk);
    EXPECT_EQ(readFile(path), changed);
    EXPECT_EQ(entry.m_name, "Soft Focus");
    EXPECT_EQ(entry.m_category, "Artistic");
    EXPECT_EQ(entry.m_categoryOffset, file.categoryOffsets[0]);
}

TEST_F(PluginWriterTest, ShorterOrReplacedFileIsRefused)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto entry = PiplEntry(m_dir / "Soft.8bf", file, plugins, 0);
    for (const Bytes& content : {Bytes(file.bytes.begin(), file.bytes.begin() + file.nameOffsets[0] + 4), Bytes{},
                                 Patched(file.bytes, file.nameOffsets[0] - 1, Bytes{9})}) {
        Put("Soft.8bf", content);
        EXPECT_EQ(m_writer.SetName(entry, "Blur").status, WriteStatus::ChangedOnDisk);
        EXPECT_EQ(readFile(m_dir / "Soft.8bf"), content);
    }
}

TEST_F(PluginWriterTest, ReadOnlyFileIsReportedAndUntouched)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    auto entry = PiplEntry(path, file, plugins, 0);

    auto name = m_writer.SetName(entry, "Blur");
    auto category = m_writer.SetCategory(entry, "Art");

    EXPECT_EQ(name.status, WriteStatus::ReadOnly);
    EXPECT_EQ(name.message, "File read only?");
    EXPECT_EQ(category.message, "File read only?");
    EXPECT_TRUE(name.text.empty());
    EXPECT_EQ(readFile(path), file.bytes);
    EXPECT_EQ(entry.m_name, "Soft Focus");
}

TEST_F(PluginWriterTest, VanishedFileIsReported)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto entry = PiplEntry(m_dir / "Gone.8bf", file, plugins, 0);
    EXPECT_EQ(m_writer.SetName(entry, "Blur").message, "File read only?");
    EXPECT_EQ(m_writer.SetCategory(entry, "Art").message, "File read only?");
    EXPECT_FALSE(fs::exists(m_dir / "Gone.8bf"));
}

// A file size limit makes the write fail outright, or half way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

TEST_F(PluginWriterTest, FailedWriteLeavesTheFileAsItWas)
{
    std::vector<PiplPlugin> plugins{{"Soft Focus", "Artistic"}};
    auto file = MakePipl(plugins);
    auto path = Put("Soft.8bf", file.bytes);
    auto entry = PiplEntry(path, file, plugins, 0);
    const auto offset = static_cast<rlim_t>(file.nameOffsets[0]);

    for (rlim_t limit : {offset - 1, offset + 4}) {  // nothing written, or cut short after 4 bytes
        WriteResult result;
        {
            FileSizeLimit guard(limit);
            result = m_writer.SetName(entry, "Blur");
        }
        EXPECT_EQ(result.status, WriteStatus::ReadOnly) << limit;
        EXPECT_EQ(result.message, "File read only?");
        EXPECT_EQ(readFile(path), file.bytes) << limit;
        EXPECT_EQ(entry.m_name, "Soft Focus");
    }
}

// -------------------------------------------------------- enable, disable

CPluginEntry* AddEntry(CPluginListManager& catalogue, const fs::path& path, int index)
{
    auto e = std::make_unique<CPluginEntry>();
    e->m_path = path.string();
    e->m_kind = 1;
    e->m_resourceType = kResourcePiPL;
    e->m_indexInFile = index;
    catalogue.m_entries.push_back(std::move(e));
    return catalogue.m_entries.back().get();
}

TEST_F(PluginWriterTest, ThreePluginsOfOneFileAreDisabledWithOneRename)
{
    auto path = Put("Three.8bf", Bytes{'M', 'Z', 1, 2, 3});
    auto other = Put("Other.8bf", Bytes{'M', 'Z'});
    CPluginListManager catalogue;
    auto* a = AddEntry(catalogue, path, 0);
    auto* o = AddEntry(catalogue, other, 0);
    auto* b = AddEntry(catalogue, path, 1);
    auto* c = AddEntry(catalogue, path, 2);

    ASSERT_TRUE(b->SetEnabled(false));
    auto changed = CPluginWriter::SetEnabledForFile(catalogue, *b, false);

    EXPECT_EQ(changed, (std::vector<CPluginEntry*>{a, b, c}));
    for (auto* e : {a, b, c}) {
        EXPECT_EQ(e->m_enabled, 0);
        EXPECT_EQ(e->m_path, (m_dir / "Three_8bf").string());
    }
    EXPECT_EQ(o->m_enabled, 1);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(readFile(m_dir / "Three_8bf"), (Bytes{'M', 'Z', 1, 2, 3}));
    EXPECT_TRUE(fs::exists(other));

    changed = CPluginWriter::SetEnabledForFile(catalogue, *a, true);
    EXPECT_EQ(changed.size(), 3u);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(m_dir / "Three_8bf"));
}

TEST_F(PluginWriterTest, DisablingNeverReplacesTheDisabledName)
{
    auto enabled = Put("Blur.8BF", Bytes{'M', 'Z', 'e'});
    auto disabled = Put("Blur_8BF", Bytes{'M', 'Z', 'd'});
    CPluginListManager catalogue;
    auto* e = AddEntry(catalogue, enabled, 0);
    auto* d = AddEntry(catalogue, disabled, 0);
    d->m_enabled = 0;

    EXPECT_TRUE(CPluginWriter::SetEnabledForFile(catalogue, *e, false).size() == 1);  // only d, already disabled
    EXPECT_EQ(e->m_enabled, 1);
    EXPECT_EQ(e->m_path, enabled.string());
    EXPECT_TRUE(CPluginWriter::SetEnabledForFile(catalogue, *d, true).size() == 1);  // only e, already enabled
    EXPECT_EQ(d->m_enabled, 0);
    EXPECT_EQ(readFile(enabled), (Bytes{'M', 'Z', 'e'}));
    EXPECT_EQ(readFile(disabled), (Bytes{'M', 'Z', 'd'}));
}

}  // namespace
}  // namespace vardel::test
