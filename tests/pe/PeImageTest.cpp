#include "pe/PeImage.h"
#include "pe/ResourceFile.h"
#include "pe/ResourceLibrary.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

using namespace vardel;
namespace fs = std::filesystem;
using vardel::test::testPlugin;

namespace {

std::string ListingText(const PeImage& image)
{
    std::ostringstream out;
    for (const auto& r : image.Listing())
        out << r.type << '\t' << r.name << '\t' << r.language << '\t' << r.size << '\n';
    return out.str();
}

bool HavePefile()
{
    static const bool have = test::run({"/usr/bin/python3", "-c", "import pefile"}).status == 0;
    return have;
}

// The listing an established PE parser gives, in the same form.
std::string PefileListing(const fs::path& file)
{
    const char* script =
        "import sys, pefile\n"
        "pe = pefile.PE(sys.argv[1], fast_load=True)\n"
        "pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_RESOURCE']])\n"
        "def n(e): return str(e.name) if e.name is not None else '#%d' % e.id\n"
        "for t in getattr(pe, 'DIRECTORY_ENTRY_RESOURCE', None) and pe.DIRECTORY_ENTRY_RESOURCE.entries or []:\n"
        "  for m in t.directory.entries:\n"
        "    for l in m.directory.entries:\n"
        "      print('%s\\t%s\\t%d\\t%d' % (n(t), n(m), l.id, l.data.struct.Size))\n";
    auto r = test::run({"/usr/bin/python3", "-c", script, file.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

class WellFormed : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(WellFormed, ListsWhatPefileLists)
{
    if (!HavePefile())
        FAIL() << "python3-pefile is not installed (scripts/install-deps installs it)";
    auto image = PeImage::Open(testPlugin(GetParam()).string());
    ASSERT_TRUE(image);
    EXPECT_EQ(ListingText(*image), PefileListing(testPlugin(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(TestPlugins, WellFormed,
                         ::testing::Values("pipl_single.8bf", "pipl_single32.8bf", "pipl_three.8bf", "pipl_three32.8bf",
                                           "pipl_kinds.8bf", "ff_filter.8bf", "ff_filter32.8bf", "pimi_filter.8bf",
                                           "pimi_mixed.8be", "both.8bf", "premiere_filter.prm", "premiere_notext.prm",
                                           "disabled_8bf", "lang.8bf", "flags.8bf", "named.8bf"));

TEST(PeImage, TellsPe32FromPe32Plus)
{
    auto a = PeImage::Open(testPlugin("pipl_single.8bf").string());
    auto b = PeImage::Open(testPlugin("pipl_single32.8bf").string());
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->Is64Bit());
    EXPECT_FALSE(b->Is64Bit());
    EXPECT_EQ(ListingText(*a), ListingText(*b));
}

TEST(ResourceLibrary, EnumNamesGivesNamedEntriesFirstThenNumbers)
{
    COXResourceLibrary lib;
    ASSERT_TRUE(lib.Open(testPlugin("named.8bf").string(), 2));
    std::vector<std::string> names{"stale"};
    ASSERT_TRUE(lib.EnumNames("PIPL", names));
    EXPECT_EQ(names, (std::vector<std::string>{"MYPLUGIN", "#16000"}));
    EXPECT_TRUE(lib.EnumNames("pipl", names)) << "text types are looked up upper-cased";
    EXPECT_FALSE(lib.EnumNames("PIMI", names));
    EXPECT_TRUE(names.empty());
}

TEST(ResourceLibrary, EnumNamesOfThreeNumberedResources)
{
    COXResourceLibrary lib;
    ASSERT_TRUE(lib.Open(testPlugin("pipl_three.8bf").string()));
    std::vector<std::string> names;
    ASSERT_TRUE(lib.EnumNames("PIPL", names));
    EXPECT_EQ(names, (std::vector<std::string>{"#16000", "#16001", "#16002"}));
}

TEST(ResourceLibrary, LanguageZeroPrefersNeutralThenEnglish)
{
    COXResourceLibrary lib;
    ASSERT_TRUE(lib.Open(testPlugin("lang.8bf").string()));
    auto nameOf = [&](const std::string& id) {
        COXResourceFile f;
        EXPECT_TRUE(f.Open(lib, "PIPL", id, 0));
        std::string bytes(f.Data().begin(), f.Data().end());
        return bytes;
    };
    EXPECT_NE(nameOf("#16000").find("English Name"), std::string::npos);
    EXPECT_NE(nameOf("#16001").find("Neutral Name"), std::string::npos);
}

struct LanguageCase {
    std::vector<std::uint16_t> stored;
    std::uint16_t asked;
    int expectedIndex;  // -1: none
    friend void PrintTo(const LanguageCase& c, std::ostream* os)
    {
        *os << std::hex << std::setfill('0');
        for (std::uint16_t language : c.stored)
            *os << std::setw(4) << language << ' ';
        *os << (c.stored.empty() ? "none " : "") << "asked " << std::setw(4) << c.asked;
    }
};

class SelectLanguage : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(SelectLanguage, PicksAsWindowsDoes)
{
    PeResourceName name;
    for (auto l : GetParam().stored)
        name.languages.push_back({l, 0, 0});
    const PeResourceData* hit = PeImage::SelectLanguage(name, GetParam().asked);
    if (GetParam().expectedIndex < 0)
        EXPECT_EQ(hit, nullptr);
    else
        EXPECT_EQ(hit, &name.languages[GetParam().expectedIndex]);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SelectLanguage,
    ::testing::Values(LanguageCase{{}, 0, -1}, LanguageCase{{0x0407}, 0, 0}, LanguageCase{{0x0407, 0x0000}, 0, 1},
                      LanguageCase{{0x0407, 0x0409}, 0, 1}, LanguageCase{{0x0407, 0x0809}, 0, 0},
                      LanguageCase{{0x0407, 0x0009}, 0, 1}, LanguageCase{{0x0407, 0x0400}, 0, 1},
                      LanguageCase{{0x0407, 0x0409}, 0x0407, 0}, LanguageCase{{0x0007, 0x0409}, 0x0407, 0},
                      LanguageCase{{0x0000, 0x0409}, 0x0407, 0}, LanguageCase{{0x0409}, 0x0407, -1}));

class NotModule : public ::testing::TestWithParam<const char*> {};

TEST_P(NotModule, CannotBeOpened)
{
    COXResourceLibrary lib;
    EXPECT_FALSE(lib.Open(testPlugin(GetParam()).string()));
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_TRUE(lib.GetFileName().empty());
}

INSTANTIATE_TEST_SUITE_P(TestPlugins, NotModule,
                         ::testing::Values("text.8bf", "empty.8bf", "mz_only.8bf", "bad_truncated_headers.8bf",
                                           "bad_magic.8bf", "bad_sections.8bf", "bad_signature.8bf",
                                           "does_not_exist.8bf"));

struct DamagedCase {
    const char* file;
    std::vector<std::string> names;  // of PIPL
    std::vector<std::string> readable;
    friend void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.file; }
};

class Damaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(Damaged, KeepsWhatIsIntact)
{
    COXResourceLibrary lib;
    ASSERT_TRUE(lib.Open(testPlugin(GetParam().file).string()));
    std::vector<std::string> names;
    EXPECT_EQ(lib.EnumNames("PIPL", names), !GetParam().names.empty());
    EXPECT_EQ(names, GetParam().names);
    std::vector<std::string> readable;
    for (const auto& n : names) {
        COXResourceFile f;
        if (f.Open(lib, "PIPL", n))
            readable.push_back(n);
    }
    EXPECT_EQ(readable, GetParam().readable);
}

INSTANTIATE_TEST_SUITE_P(
    TestPlugins, Damaged,
    ::testing::Values(DamagedCase{"bad_loop.8bf", {"#16002"}, {"#16002"}}, DamagedCase{"bad_self_loop.8bf", {}, {}},
                      DamagedCase{"bad_data_offset.8bf", {"#16000", "#16001", "#16002"}, {"#16001", "#16002"}},
                      DamagedCase{"bad_data_size.8bf", {"#16000", "#16001", "#16002"}, {"#16001", "#16002"}},
                      DamagedCase{"bad_data_past_end.8bf", {"#16000", "#16001", "#16002"}, {"#16001", "#16002"}},
                      DamagedCase{"bad_long_name.8bf", {}, {}}, DamagedCase{"bad_no_rsrc.8bf", {}, {}},
                      DamagedCase{"bad_truncated_rsrc.8bf", {}, {}}));

TEST(Damaged, HugeEntryCountsAreCutToTheSection)
{
    auto image = PeImage::Open(testPlugin("bad_counts.8bf").string());
    ASSERT_TRUE(image);
    // Whatever the garbage entries say, the walk stays inside the section.
    EXPECT_LT(image->Listing().size(), 1000u);
}

namespace {

// Opens the file as a resource library and reads every PIPL resource it
// names. The sizes of the resources handed out; none when it does not open.
std::vector<std::size_t> PiplSizes(const fs::path& path)
{
    std::vector<std::size_t> sizes;
    COXResourceLibrary lib;
    if (!lib.Open(path.string()))
        return sizes;
    std::vector<std::string> names;
    lib.EnumNames("PIPL", names);
    for (const auto& n : names) {
        std::vector<std::uint8_t> data;
        if (lib.Find("PIPL", n, 0, data))
            sizes.push_back(data.size());
    }
    return sizes;
}

}  // namespace

// Every prefix of a real module opens or is refused, and never reads out of
// bounds; resources whose bytes were cut off are not handed out.
TEST(Damaged, EveryTruncationIsHandled)
{
    auto whole = test::readFile(testPlugin("pipl_three.8bf"));
    test::TempDir dir;
    auto path = dir / "cut.8bf";
    for (std::size_t len = 0; len <= whole.size(); len += 7) {
        test::writeFile(path, std::vector<std::uint8_t>(whole.begin(), whole.begin() + len));
        for (std::size_t size : PiplSizes(path))
            EXPECT_LE(size, len);
    }
}

// Random damage inside the resource section: no crash, no hang.
TEST(Damaged, RandomBytesInTheResourceSection)
{
    auto whole = test::readFile(testPlugin("pipl_three.8bf"));
    test::TempDir dir;
    auto path = dir / "fuzz.8bf";
    std::mt19937 rng(1234);
    const std::size_t from = whole.size() > 0x600 ? whole.size() - 0x600 : 0;
    for (int round = 0; round < 400; ++round) {
        auto bytes = whole;
        for (int k = 0; k < 8; ++k)
            bytes[from + rng() % (bytes.size() - from)] = static_cast<std::uint8_t>(rng());
        test::writeFile(path, bytes);
        PiplSizes(path);
    }
}

TEST(ResourceFile, ReadsSeeksAndCloses)
{
    COXResourceLibrary lib;
    ASSERT_TRUE(lib.Open(testPlugin("ff_filter.8bf").string()));
    COXResourceFile f;
    ASSERT_TRUE(f.Open(lib, "PARM", "#16000", 0));
    EXPECT_EQ(f.GetLength(), 8296u);
    EXPECT_EQ(f.GetType(), "PARM");
    EXPECT_EQ(f.GetName(), "#16000");
    EXPECT_FALSE(f.Open(lib, "FUNC", "#16000", 0)) << "a file that holds data cannot be opened again";
    std::uint8_t buf[16];
    f.Seek(8);
    ASSERT_EQ(f.Read(buf, 4), 4u);
    EXPECT_EQ(buf[0], 10);  // slider 0
    f.Seek(8294);
    EXPECT_EQ(f.Read(buf, 16), 2u);
    EXPECT_EQ(f.Read(buf, 16), 0u);
    f.Seek(100000);
    EXPECT_EQ(f.Read(buf, 16), 0u);
    f.Close();
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_TRUE(f.Open(lib, "FUNC", "#16000", 0));
}

TEST(ResourceFile, MissingResourcesDoNotOpen)
{
    COXResourceLibrary lib;
    ASSERT_TRUE(lib.Open(testPlugin("pipl_single.8bf").string()));
    COXResourceFile f;
    EXPECT_FALSE(f.Open(lib, "PIPL", "#16001"));
    EXPECT_FALSE(f.Open(lib, "PIMI", "#16000"));
    EXPECT_FALSE(f.Open(lib, "PIPL", "16000")) << "a name without # is a text";
    EXPECT_TRUE(f.Open(lib, "PIPL", "#16000"));
}

TEST(ResourceFile, OutlivesItsLibrary)
{
    COXResourceFile f;
    {
        COXResourceLibrary lib;
        ASSERT_TRUE(lib.Open(testPlugin("pipl_single.8bf").string()));
        ASSERT_TRUE(f.Open(lib, "PIPL", "#16000"));
    }
    EXPECT_GT(f.GetLength(), 0u);
    f.Close();
}

TEST(ResourceFile, NormalisesRecordedNames)
{
    EXPECT_EQ(COXResourceFile::NormaliseResourceName("#1000"), "#1000");
    EXPECT_EQ(COXResourceFile::NormaliseResourceName("pipl"), "PIPL");
    EXPECT_EQ(COXResourceFile::NormaliseResourceName("##my name\tx\ny"), "__MY_NAME_X_Y");
    EXPECT_EQ(COXResourceFile::NormaliseResourceName("#12a"), "_12A");
    EXPECT_EQ(COXResourceFile::NormaliseResourceName("a#b"), "A#B");
}

TEST(PeImage, ParsesNumberNames)
{
    std::uint16_t n = 0;
    EXPECT_TRUE(PeImage::ParseNumber("#0", n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(PeImage::ParseNumber("#65535", n));
    EXPECT_EQ(n, 65535);
    EXPECT_FALSE(PeImage::ParseNumber("#65536", n));
    EXPECT_FALSE(PeImage::ParseNumber("#", n));
    EXPECT_FALSE(PeImage::ParseNumber("#1x", n));
    EXPECT_FALSE(PeImage::ParseNumber("16000", n));
}

namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

void SetU32At(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The module with its ".rsrc" section made to reach far past one block of
// the file (zero bytes appended to back it), so that its directory is read
// through the growing window rather than out of the first block.
std::vector<std::uint8_t> WithLargeResourceSection(std::vector<std::uint8_t> bytes)
{
    const std::size_t pe = U32At(bytes, 0x3C);
    const std::size_t sections = bytes[pe + 6] | (bytes[pe + 7] << 8);
    const std::size_t optionalSize = bytes[pe + 20] | (bytes[pe + 21] << 8);
    const std::size_t table = pe + 24 + optionalSize;
    for (std::size_t i = 0; i < sections; ++i) {
        const std::size_t header = table + 40 * i;
        if (std::string(bytes.begin() + header, bytes.begin() + header + 5) != ".rsrc")
            continue;
        const std::uint32_t rawSize = 4 * BlockFile::kBlockSize;
        SetU32At(bytes, header + 16, rawSize);
        bytes.resize(std::max<std::size_t>(bytes.size(), U32At(bytes, header + 20) + rawSize));
        return bytes;
    }
    ADD_FAILURE() << "no .rsrc section";
    return bytes;
}

}  // namespace

// A resource directory in a section larger than a block is read piece by
// piece, one in a small section straight out of the block: both give the
// same directory.
TEST(PeImage, DirectoryOfALargeSectionReadsLikeASmallOne)
{
    test::TempDir dir;
    for (const char* name : {"pipl_three.8bf", "pipl_three32.8bf", "named.8bf", "lang.8bf", "pimi_filter.8bf"}) {
        auto small = PeImage::Open(testPlugin(name).string());
        ASSERT_TRUE(small) << name;
        const auto path = dir / name;
        test::writeFile(path, WithLargeResourceSection(test::readFile(testPlugin(name))));
        auto large = PeImage::Open(path.string());
        ASSERT_TRUE(large) << name;
        EXPECT_GT(large->FileSize(), 2 * BlockFile::kBlockSize);
        EXPECT_FALSE(small->Listing().empty()) << name;
        EXPECT_EQ(ListingText(*large), ListingText(*small)) << name;
    }
}

namespace {

// What a module shows of itself, for comparing two opens of one file.
std::string Described(const PeImage* image)
{
    if (!image)
        return "not a module";
    std::ostringstream out;
    out << image->Is64Bit() << ' ' << image->Machine() << ' ' << image->HasCertificateTable() << ' '
        << image->FileSize() << '\n'
        << ListingText(*image);
    return out.str();
}

}  // namespace

// A scan opens file after file over the memory of the module before: every
// file, whatever came before it (more types, damage, no module at all), must
// read as it does when opened on its own.
TEST(PeImage, ReusedImageReadsEveryFileAsAFreshOne)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(testPlugin("pipl_single.8bf").parent_path()))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GT(files.size(), 20u);
    std::vector<fs::path> orders = files;
    orders.insert(orders.end(), files.rbegin(), files.rend());

    std::unique_ptr<PeImage> spare;
    COXResourceLibrary lib;
    for (const auto& file : orders) {
        auto image = PeImage::Open(file.string(), spare);
        EXPECT_EQ(Described(image.get()), Described(PeImage::Open(file.string()).get())) << file;
        PeImage::Recycle(std::move(image), spare);

        std::vector<std::string> reused, fresh;
        COXResourceLibrary own;
        const bool opened = lib.Open(file.string());
        EXPECT_EQ(opened, own.Open(file.string())) << file;
        EXPECT_EQ(lib.EnumNames("PIPL", reused), own.EnumNames("PIPL", fresh)) << file;
        EXPECT_EQ(reused, fresh) << file;
        lib.Close();
    }
}
