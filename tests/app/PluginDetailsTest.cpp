// What the property sheet shows: its pages, the general page's fields, the
// mode boxes, and the machine and signature of the file.

#include "app/PluginDetails.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace vardel::test {
namespace {

using Strings = std::vector<std::string>;

class PluginDetailsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(Path("signed.8bf")))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
    }

    static std::string Path(const std::string& name) { return (testDataDir() / "plugins" / name).string(); }

    // Reads the files into the catalogue, sorted, with their file status.
    void Read(std::initializer_list<const char*> names)
    {
        CPluginReader reader(m_catalogue, m_restore, m_tails);
        for (const char* name : names)
            ASSERT_GT(reader.ReadFile(Path(name), true), 0) << name;
        std::stable_sort(m_catalogue.m_entries.begin(), m_catalogue.m_entries.end(),
                         [](const auto& x, const auto& y) { return x->SortKey() < y->SortKey(); });
        for (auto& e : m_catalogue.m_entries)
            FileStatus::Get(e->m_path, e->m_fileStatus);
    }

    const CPluginEntry& Named(const std::string& name) const
    {
        for (const auto& e : m_catalogue.m_entries)
            if (e->m_name == name)
                return *e;
        throw std::runtime_error("no plug-in " + name);
    }

    PluginDetails Details(const CPluginEntry& e)
    {
        m_block = ReadBlockForDetails(e);
        EXPECT_TRUE(m_block.has_value()) << e.m_name;
        return GetPluginDetails(e, m_catalogue, m_restore, m_block ? &*m_block : nullptr);
    }

    CPluginListManager m_catalogue;
    CPluginRestoreManager m_restore;
    CPIMIManager m_tails;
    std::optional<CParameterBlock> m_block;
};

TEST_F(PluginDetailsTest, ThreeFiltersInOneFileGiveZeroOneToZeroThree)
{
    Read({"pipl_three.8bf", "pipl_single.8bf"});
    // Sorted: "Other Cat" (the third filter) before "Shared Cat".
    const Strings lines{"03: Gamma Three", "01: Alpha One", "02: Beta Two"};
    for (const char* name : {"Alpha One", "Beta Two", "Gamma Three"})
        EXPECT_EQ(Details(Named(name)).pluginsInFile, lines) << name;
    EXPECT_EQ(Details(Named("Soft Glow")).pluginsInFile, Strings{"01: Soft Glow"});
}

TEST_F(PluginDetailsTest, GeneralFieldsOfAPiplFilter)
{
    Read({"pipl_three.8bf"});
    const auto d = Details(Named("Beta Two"));
    EXPECT_EQ(d.pages, (Strings{" Preview ", " General Properties "}));
    EXPECT_EQ(d.name, "Beta Two");
    EXPECT_EQ(d.category, "Shared Cat");
    EXPECT_EQ(d.kindLabel, "Filter");
    EXPECT_EQ(d.resourceLabel, "PiPL");
    EXPECT_EQ(d.factoryVariant, "");
    EXPECT_EQ(d.originalName, "Beta Two");
    EXPECT_EQ(d.originalCategory, "Shared Cat");
    EXPECT_EQ(d.path, Path("pipl_three.8bf"));
    EXPECT_EQ(d.size, std::filesystem::file_size(Path("pipl_three.8bf")));
    EXPECT_EQ(d.sizeText, std::to_string(d.size));
    EXPECT_FALSE(d.isFilterFactory);
    EXPECT_TRUE(d.sliders.empty());
    EXPECT_FALSE(d.canShowAboutBox);
    EXPECT_EQ(d.aboutBoxReason, "Plug-in code is never run here.");
    EXPECT_EQ(d.machine, "x86-64");
    EXPECT_FALSE(d.isSigned);
}

TEST_F(PluginDetailsTest, OriginalsComeFromTheRestoreDatabaseAndOnlyFiltersHaveACategory)
{
    Read({"pipl_kinds.8bf"});
    const CPluginEntry& format = Named("Vardel Format");  // kind 8BIF
    m_restore.Add(format.ImageBaseName(), "Old Format", "Old Cat");
    auto d = Details(format);
    EXPECT_EQ(d.kindLabel, "Format");
    EXPECT_EQ(d.originalName, "Old Format");
    EXPECT_EQ(d.originalCategory, "");

    m_restore.Clear();
    d = Details(Named("Vardel Effect"));  // eFKT: a filter of After Effects
    EXPECT_EQ(d.originalName, "");
    EXPECT_EQ(d.originalCategory, "");
    m_restore.Add(Named("Vardel Effect").ImageBaseName(), "Old Effect", "Old AE Cat");
    d = Details(Named("Vardel Effect"));
    EXPECT_EQ(d.originalName, "Old Effect");
    EXPECT_EQ(d.originalCategory, "Old AE Cat");
}

TEST_F(PluginDetailsTest, ModeBoxes)
{
    Read({"modes0.8bf", "pipl_single.8bf"});
    const auto none = Details(Named("No Modes")).modes;
    ASSERT_EQ(none.size(), 12u);
    for (const auto& box : none)
        EXPECT_FALSE(box.checked || box.enabled) << box.label;

    const auto all = Details(Named("Soft Glow")).modes;  // 0xC0FF
    std::vector<int> ids;
    Strings checked;
    for (const auto& box : all) {
        ids.push_back(box.id);
        EXPECT_TRUE(box.enabled);
        if (box.checked)
            checked.push_back(box.label);
    }
    EXPECT_EQ(ids, (std::vector<int>{1061, 1060, 1059, 1058, 1057, 1056, 1055, 1054, 1063, 1062, 1064, 1065}));
    EXPECT_EQ(checked, (Strings{"Bitmap", "Grayscale", "Indexed Color", "RGB Color", "CMYK Color", "HSL Color",
                                "HSB Color", "Multichannel", "16 Bit Gray", "48 Bit Color"}));

    const auto lab = ModeBoxes(0x1000);
    EXPECT_EQ(std::count_if(lab.begin(), lab.end(), [](const ModeBox& b) { return b.checked; }), 1);
    EXPECT_TRUE(lab[9].checked);
    EXPECT_EQ(lab[9].label, "LAB Color");
}

TEST_F(PluginDetailsTest, FilterFactoryPagesAndOverrides)
{
    Read({"ff_filter.8bf", "ff_protected.8bf"});
    auto d = Details(Named("FF Ripple"));
    EXPECT_EQ(d.pages, (Strings{" Preview ", " Author/Description ", " Filter Factory Code ", " General Properties "}));
    EXPECT_EQ(d.factoryVariant, "Photoshop Filter Factory");
    EXPECT_TRUE(d.isFilterFactory);
    EXPECT_FALSE(d.isProtected);
    ASSERT_EQ(d.sliders.size(), 8u);
    EXPECT_EQ(d.sliders[3].label, "Map 1");

    d = Details(Named("FF Hidden"));
    EXPECT_EQ(d.pages, (Strings{" Preview ", " Author/Description ", " General Properties "}));
    EXPECT_TRUE(d.isProtected);
    EXPECT_EQ(d.category, "FF Renamed Cat");
    EXPECT_EQ(d.originalName, "FF Hidden Original");
    EXPECT_EQ(d.originalCategory, "FF Built Cat");
}

// Which page class fills each tab: a filter the block describes is rendered
// live, a scrambled one shows its images like any other plug-in.
TEST_F(PluginDetailsTest, PageKindsSayWhichPreview)
{
    Read({"ff_filter.8bf", "ffc_scrambled.8bf", "pipl_single.8bf"});
    using enum DetailPage;
    EXPECT_EQ(DetailPageKinds(Named("FF Ripple"), nullptr),
              (std::vector<DetailPage>{LivePreview, Author, Code, General}));
    EXPECT_EQ(DetailPageKinds(Named("Builder Scrambled"), nullptr), (std::vector<DetailPage>{ImagePreview, General}));
    EXPECT_STREQ(DetailPageTitle(LivePreview), DetailPageTitle(ImagePreview));
}

// Filters of compatible builders get the pages of genuine ones; a
// scrambled one is a protected compatible filter with no page from its block.
TEST_F(PluginDetailsTest, CompatibleFiltersGetTheFilterFactoryPages)
{
    Read({"ffc_plain.8bf", "ffc_protected32.8bf", "ffc_scrambled.8bf", "ffc_implausible.8bf"});
    auto d = Details(Named("Builder Waves"));
    EXPECT_EQ(d.pages, (Strings{" Preview ", " Author/Description ", " Filter Factory Code ", " General Properties "}));
    EXPECT_EQ(d.factoryVariant, "Filter Factory-compatible filter");
    EXPECT_TRUE(d.isFilterFactory);
    EXPECT_FALSE(d.isProtected);
    EXPECT_EQ(d.originalName, "Builder Waves");
    ASSERT_EQ(d.sliders.size(), 8u);

    d = Details(Named("Builder Secret"));
    EXPECT_EQ(d.pages, (Strings{" Preview ", " Author/Description ", " General Properties "}));
    EXPECT_EQ(d.factoryVariant, "Filter Factory-compatible filter");
    EXPECT_TRUE(d.isProtected);
    EXPECT_EQ(d.machine, "x86");

    d = Details(Named("Builder Scrambled"));
    EXPECT_EQ(d.pages, (Strings{" Preview ", " General Properties "}));
    EXPECT_EQ(d.factoryVariant, "Filter Factory-compatible filter");
    EXPECT_TRUE(d.isProtected);
    EXPECT_FALSE(d.isFilterFactory);
    EXPECT_TRUE(d.sliders.empty());
    // The sheet gets a zero block: nothing of the scrambled bytes.
    EXPECT_EQ(m_block->GetBytes(), CParameterBlock().GetBytes());

    d = Details(Named("Not A Factory"));
    EXPECT_EQ(d.pages, (Strings{" Preview ", " General Properties "}));
    EXPECT_EQ(d.factoryVariant, "");
    EXPECT_FALSE(d.isProtected);
}

TEST_F(PluginDetailsTest, SixteenBitModulesSayWhyTheyAreNotRead)
{
    Read({"pipl_single.8bf"});
    TempDir dir;
    writeSixteenBitModule(dir / "old.prm");
    CPluginListManager catalogue;
    CPluginReader reader(catalogue, m_restore, m_tails);
    EXPECT_EQ(reader.ReadFile((dir / "old.prm").string(), true), 0);
    EXPECT_STREQ(CPluginReader::UnsupportedModuleReason((dir / "old.prm").string()), kSixteenBitModuleText);
    EXPECT_STREQ(kSixteenBitModuleText, "16-bit Windows module: not supported");
    // A record whose file was replaced by one.
    CPluginEntry e;
    e.m_path = (dir / "old.prm").string();
    e.m_resourceType = kResourcePremiere;
    const auto d = GetPluginDetails(e, catalogue, m_restore, nullptr);
    EXPECT_EQ(d.moduleProblem, kSixteenBitModuleText);
    EXPECT_EQ(d.machine, "");
    // Other files that are no module have no reason.
    for (const char* other : {"text.8bf", "mz_only.8bf", "bad_magic.8bf", "empty.8bf"}) {
        EXPECT_EQ(CPluginReader::UnsupportedModuleReason(Path(other)), nullptr) << other;
        e.m_path = Path(other);
        EXPECT_EQ(GetPluginDetails(e, catalogue, m_restore, nullptr).moduleProblem, "") << other;
    }
    EXPECT_EQ(GetPluginDetails(Named("Soft Glow"), m_catalogue, m_restore, nullptr).moduleProblem, "");
}

TEST_F(PluginDetailsTest, UnreadableBlockOpensNoSheet)
{
    Read({"ff_filter.8bf", "pipl_single.8bf"});
    CPluginEntry gone = Named("FF Ripple");
    gone.m_path = Path("no_such_filter.8bf");
    EXPECT_FALSE(ReadBlockForDetails(gone).has_value());
    CPluginEntry plainGone = Named("Soft Glow");
    plainGone.m_path = Path("no_such_plugin.8bf");
    const auto zero = ReadBlockForDetails(plainGone);
    ASSERT_TRUE(zero.has_value()) << "a plug-in without a block always opens";
    EXPECT_EQ(zero->GetBytes(), CParameterBlock().GetBytes());
    const auto d = GetPluginDetails(plainGone, m_catalogue, m_restore, &*zero);
    EXPECT_EQ(d.machine, "");
    EXPECT_FALSE(d.isSigned);
    EXPECT_TRUE(d.pluginsInFile.empty());
}

TEST_F(PluginDetailsTest, VariantsAndResourceLabels)
{
    Read({"flags.8bf", "fxvs_text.prm", "pimi_filter.8bf", "premiere_filter.prm"});
    EXPECT_EQ(Details(Named("Flagged")).factoryVariant, "Premiere Transition Factory");
    EXPECT_EQ(Details(Named("Flagged")).pages, (Strings{" Preview ", " General Properties "}));
    auto d = Details(Named("Vardel Transition"));
    EXPECT_EQ(d.factoryVariant, "Premiere Transition Factory");
    EXPECT_EQ(d.resourceLabel, "Premiere");
    EXPECT_EQ(d.kindLabel, "Transition");
    EXPECT_EQ(d.machine, "x86");
    d = Details(Named("PiMI One"));
    EXPECT_EQ(d.resourceLabel, "PiMI");
    EXPECT_EQ(d.pluginsInFile, (Strings{"01: PiMI One", "02: PiMI Two"}));
    EXPECT_FALSE(d.canShowAboutBox);
}

TEST_F(PluginDetailsTest, MachineAndSignature)
{
    struct Row {
        const char* file;
        const char* machine;
        bool isSigned;
    };
    const Row rows[] = {
        {"pipl_single.8bf", "x86-64", false},
        {"pipl_single32.8bf", "x86", false},
        {"arm64.8bf", "ARM64", false},
        {"signed.8bf", "x86-64", true},
        {"signed32.8bf", "x86", true},
        {"bad_signed_length.8bf", "x86-64", false},
        {"bad_signed_pointer.8bf", "x86-64", false},
    };
    for (const Row& row : rows) {
        CPluginListManager catalogue;
        CPluginReader reader(catalogue, m_restore, m_tails);
        ASSERT_EQ(reader.ReadFile(Path(row.file), true), 1) << row.file;
        const CPluginEntry& e = *catalogue.m_entries.front();
        const auto d = GetPluginDetails(e, catalogue, m_restore, nullptr);
        EXPECT_EQ(d.machine, row.machine) << row.file;
        EXPECT_EQ(d.isSigned, row.isSigned) << row.file;
        EXPECT_EQ(IsSignedPlugin(e), row.isSigned) << row.file;
    }
    CPluginEntry text;
    text.m_path = Path("text.8bf");
    EXPECT_FALSE(IsSignedPlugin(text));
    EXPECT_EQ(MachineName(0x1234), "0x1234");
    EXPECT_EQ(MachineName(0), "Unknown");
}

// The bounds of the certificate table, written into copies of signed.8bf.
TEST_F(PluginDetailsTest, CertificateTableBounds)
{
    const auto original = readFile(Path("signed.8bf"));
    auto u32 = [](const std::vector<std::uint8_t>& b, std::size_t at) {
        return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
               std::uint32_t(b[at + 3]) << 24;
    };
    auto put32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    const std::size_t pe = u32(original, 0x3C);
    const std::size_t security = pe + 24 + 112 + 4 * 8;  // PE32+
    const std::uint32_t offset = u32(original, security);
    const std::uint32_t size = u32(original, security + 4);
    ASSERT_EQ(offset + size, original.size());
    ASSERT_EQ(u32(original, offset), size);

    struct Row {
        std::uint32_t offset, size, length;
        bool isSigned;
    };
    const Row rows[] = {
        {offset, size, size, true},
        {offset, size, size + 1, false},
        {offset, size, 8, true},
        {offset, size, 7, false},
        {offset, 8, 8, true},
        {offset, 7, 7, false},
        {offset + 1, size, size - 1, false},  // one byte past the end of the file
        {0, size, size, false},
        {offset, 0, size, false},
    };
    TempDir dir;
    for (const Row& row : rows) {
        auto bytes = original;
        put32(bytes, security, row.offset);
        put32(bytes, security + 4, row.size);
        put32(bytes, offset, row.length);
        writeFile(dir / "copy.8bf", bytes);
        CPluginEntry e;
        e.m_path = (dir / "copy.8bf").string();
        EXPECT_EQ(IsSignedPlugin(e), row.isSigned) << row.offset << " " << row.size << " " << row.length;
    }
}

}  // namespace
}  // namespace vardel::test
