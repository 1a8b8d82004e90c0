#include "app/LaunchBarEntry.h"
#include "app/Stores.h"
#include "base/Archive.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"

#include <gtest/gtest.h>

using namespace vardel;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes bytesOf(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

void append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}
void append(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}
void appendWord(Bytes& out, unsigned v)
{
    append(out, bytesOf({int(v & 0xFF), int(v >> 8 & 0xFF)}));
}
void appendDword(Bytes& out, std::uint32_t v)
{
    for (int s = 0; s < 32; s += 8)
        out.push_back(static_cast<std::uint8_t>(v >> s));
}
// A short string as every writer stores it.
void appendStr(Bytes& out, const std::string& text)
{
    out.push_back(static_cast<std::uint8_t>(text.size()));
    append(out, text);
}
void appendNewClass(Bytes& out, const std::string& name, unsigned schema = 1)
{
    appendWord(out, 0xFFFF);
    appendWord(out, schema);
    appendWord(out, static_cast<unsigned>(name.size()));
    append(out, name);
}

Bytes written(const std::string& s)
{
    CArchive ar;
    ar.WriteString(s);
    return ar.Data();
}

}  // namespace

// ---- strings and counts ---------------------------------------------------

struct StringPrefixCase {
    std::size_t length;
    Bytes prefix;
    friend void PrintTo(const StringPrefixCase& c, std::ostream* os) { *os << "length " << c.length; }
};

class StringPrefix : public testing::TestWithParam<StringPrefixCase> {};

TEST_P(StringPrefix, IsTheShortestFormAndReadsBack)
{
    const auto& c = GetParam();
    std::string text(c.length, 'x');
    Bytes data = written(text);
    ASSERT_EQ(data.size(), c.prefix.size() + c.length);
    EXPECT_EQ(Bytes(data.begin(), data.begin() + static_cast<long>(c.prefix.size())), c.prefix);
    CArchive in(data, StoreClassRegistry());
    EXPECT_EQ(in.ReadString(), text);
    EXPECT_EQ(in.Remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Lengths, StringPrefix,
                         testing::Values(StringPrefixCase{0, bytesOf({0x00})}, StringPrefixCase{254, bytesOf({0xFE})},
                                         StringPrefixCase{255, bytesOf({0xFF, 0xFF, 0x00})},
                                         StringPrefixCase{65533, bytesOf({0xFF, 0xFD, 0xFF})},
                                         StringPrefixCase{65534, bytesOf({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
                                         StringPrefixCase{65535, bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})}));

TEST(ArchiveString, WideFormIsConvertedToTheCodePage)
{
    // FF FE FF marker, length 3, then "é€中" in UTF-16LE.
    Bytes data = bytesOf({0xFF, 0xFE, 0xFF, 0x03, 0xE9, 0x00, 0xAC, 0x20, 0x2D, 0x4E});
    CArchive in(data, StoreClassRegistry());
    EXPECT_EQ(in.ReadString(), "\xE9\x80?");
}

TEST(ArchiveString, WideFormWithWordLength)
{
    Bytes data = bytesOf({0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01});
    for (int i = 0; i < 256; ++i)
        append(data, bytesOf({'a', 0}));
    CArchive in(data, StoreClassRegistry());
    EXPECT_EQ(in.ReadString(), std::string(256, 'a'));
}

TEST(ArchiveString, HugeLengthsFailWithoutAllocating)
{
    for (Bytes data : {bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}),
                       bytesOf({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}),
                       bytesOf({0x05, 'a', 'b'}), bytesOf({0xFF, 0x00}), Bytes{}}) {
        CArchive in(data, StoreClassRegistry());
        EXPECT_THROW(in.ReadString(), ArchiveEndOfFile);
    }
}

TEST(ArchiveCount, ShortAndLongForms)
{
    CArchive out;
    out.WriteCount(0);
    out.WriteCount(0xFFFE);
    out.WriteCount(0xFFFF);
    EXPECT_EQ(out.Data(), bytesOf({0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    CArchive in(out.Data(), StoreClassRegistry());
    EXPECT_EQ(in.ReadCount(), 0u);
    EXPECT_EQ(in.ReadCount(), 0xFFFEu);
    EXPECT_EQ(in.ReadCount(), 0xFFFFu);
}

TEST(ArchiveArray, EmptyArrayIsTwoZeroBytes)
{
    CArchive out;
    std::vector<std::unique_ptr<CPluginDirEntry>> none;
    out.SerializeArray(none);
    EXPECT_EQ(out.Data(), bytesOf({0x00, 0x00}));
}

// ---- object references: exact bytes ----------------------------------------

TEST(ArchiveObjects, TwoDirectoryEntriesUseAClassIndexTheSecondTime)
{
    std::vector<std::unique_ptr<CPluginDirEntry>> list;
    for (const char* label : {"A", "B"}) {
        auto e = std::make_unique<CPluginDirEntry>();
        e->m_label = label;
        e->m_directory = "D";
        e->m_catalogueFile = "C";
        list.push_back(std::move(e));
    }
    CArchive out;
    out.SerializeArray(list);

    Bytes expected = bytesOf({0x02, 0x00});
    appendNewClass(expected, "CPluginDirEntry");
    auto fields = [](Bytes& b, const std::string& label) {
        appendStr(b, label);
        appendStr(b, "D");
        appendDword(b, 0);  // include subdirectories
        appendDword(b, 1);  // enabled
        appendDword(b, 0);  // separator
        appendStr(b, "C");
    };
    fields(expected, "A");
    append(expected, bytesOf({0x01, 0x80}));
    fields(expected, "B");
    EXPECT_EQ(out.Data(), expected);
}

TEST(ArchiveObjects, RestoreDatabaseWithOneEntry)
{
    CPluginRestoreManager restore;
    restore.Add("8BFM_BLUR_00", "Blur", "Blurs");
    CArchive out;
    restore.Serialize(out);
    Bytes expected = bytesOf({0x01, 0x00});
    appendStr(expected, "8BFM_BLUR_00");
    append(expected, bytesOf({0xFF, 0xFF, 0x01, 0x00, 0x13, 0x00}));
    append(expected, "CPluginRestoreEntry");
    appendStr(expected, "Blurs");
    appendStr(expected, "Blur");
    EXPECT_EQ(out.Data(), expected);
}

TEST(ArchiveObjects, LaunchBarDescriptorStoresSchemaTwo)
{
    CLaunchBarEntry entry;
    CArchive out;
    out.WriteObject(&entry);
    Bytes expected;
    appendNewClass(expected, "CLaunchBarEntry", 2);
    EXPECT_EQ(Bytes(out.Data().begin(), out.Data().begin() + static_cast<long>(expected.size())), expected);
}

TEST(ArchiveObjects, ObjectWrittenTwiceBecomesABackReference)
{
    CRootItem root;
    CArchive out;
    out.WriteObject(&root);
    out.WriteObject(&root);
    out.WriteObject(nullptr);
    Bytes expected;
    appendNewClass(expected, "CRootItem");
    appendDword(expected, 0);
    appendStr(expected, "");
    append(expected, bytesOf({0x02, 0x00, 0x00, 0x00}));  // object index 2 (class took 1), then null
    EXPECT_EQ(out.Data(), expected);
}

TEST(ArchiveObjects, LongFormFromIndex7FFFOn)
{
    // The CRootItem class takes index 1, its objects 2..0x8000.
    std::vector<std::unique_ptr<CRootItem>> roots;
    for (int i = 0; i < 0x7FFF; ++i)
        roots.push_back(std::make_unique<CRootItem>());
    CArchive out;
    for (const auto& r : roots)
        out.WriteObject(r.get());
    const Bytes& d = out.Data();
    // Class index 1 keeps the short tag however many objects follow.
    EXPECT_EQ(Bytes(d.end() - 7, d.end() - 5), bytesOf({0x01, 0x80}));

    // roots[0x7FFC] has index 0x7FFE, the last short one; roots[0x7FFD] 0x7FFF.
    out.WriteObject(roots[0x7FFC].get());
    EXPECT_EQ(Bytes(d.end() - 2, d.end()), bytesOf({0xFE, 0x7F}));
    out.WriteObject(roots[0x7FFD].get());
    EXPECT_EQ(Bytes(d.end() - 6, d.end()), bytesOf({0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}));

    // A class first written at index 0x8001 is referred to in the long form.
    CPluginDirEntry a, b;
    out.WriteObject(&a);
    const std::size_t before = d.size();
    out.WriteObject(&b);
    EXPECT_EQ(Bytes(d.begin() + static_cast<long>(before), d.begin() + static_cast<long>(before) + 6),
              bytesOf({0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80}));

    // And everything reads back, the long forms included.
    CArchive in(d, StoreClassRegistry());
    for (int i = 0; i < 0x7FFF + 2; ++i)
        ASSERT_NE(in.ReadObjectOf<CRootItem>(), nullptr) << i;
    EXPECT_NE(in.ReadObjectOf<CPluginDirEntry>(), nullptr);
    EXPECT_NE(in.ReadObjectOf<CPluginDirEntry>(), nullptr);
    EXPECT_EQ(in.Remaining(), 0u);
}

// ---- reading what another writer produced -----------------------------------

TEST(ArchiveObjects, ReadsClassTagsAndBackReferencesAsCopies)
{
    Bytes data = bytesOf({0x03, 0x00});  // a map of three
    appendStr(data, "K1");
    appendNewClass(data, "CPluginRestoreEntry");  // class 1, object 2
    appendStr(data, "Cat");
    appendStr(data, "Name");
    appendStr(data, "K2");
    append(data, bytesOf({0x01, 0x80}));  // object 3
    appendStr(data, "C2");
    appendStr(data, "N2");
    appendStr(data, "K3");
    append(data, bytesOf({0x02, 0x00}));  // object 2 again
    CPluginRestoreManager restore;
    CArchive in(data, StoreClassRegistry());
    restore.Serialize(in);
    ASSERT_EQ(restore.Size(), 3u);
    EXPECT_EQ(restore.GetOriginalName("K3"), "Name");
    EXPECT_EQ(restore.GetOriginalCategory("K3"), "Cat");
    EXPECT_NE(restore.Entries().at("K1").get(), restore.Entries().at("K3").get());
    EXPECT_EQ(restore.GetOriginalName("K2"), "N2");
}

TEST(ArchiveObjects, LongFormTagsAreRead)
{
    Bytes data;
    appendNewClass(data, "CRootItem");
    appendDword(data, 7);
    appendStr(data, "a");
    appendWord(data, 0x7FFF);
    appendDword(data, 0x80000001);  // new object of class 1
    appendDword(data, 8);
    appendStr(data, "b");
    appendWord(data, 0x7FFF);
    appendDword(data, 2);  // back-reference to the first root
    CArchive in(data, StoreClassRegistry());
    EXPECT_EQ(in.ReadObjectOf<CRootItem>()->m_tag, 7);
    EXPECT_EQ(in.ReadObjectOf<CRootItem>()->m_path, "b");
    EXPECT_EQ(in.ReadObjectOf<CRootItem>()->m_path, "a");
}

TEST(ArchiveObjects, LaunchBarSchemaOneReadsWithShowCommandFive)
{
    Bytes data;
    appendNewClass(data, "CLaunchBarEntry", 1);
    for (const char* s : {"Label", "cmd", "args", "dir", "icon"})
        appendStr(data, s);
    appendDword(data, 4);
    append(data, bytesOf({0x01, 0x80}));  // a second one, schema remembered
    for (const char* s : {"L2", "", "", "", ""})
        appendStr(data, s);
    appendDword(data, 9);
    CArchive in(data, StoreClassRegistry());
    auto first = in.ReadObjectOf<CLaunchBarEntry>();
    auto second = in.ReadObjectOf<CLaunchBarEntry>();
    EXPECT_EQ(first->m_iconPath, "icon");
    EXPECT_EQ(first->m_iconIndex, 4);
    EXPECT_EQ(first->m_showCommand, 5);
    EXPECT_EQ(second->m_label, "L2");
    EXPECT_EQ(second->m_iconIndex, 9);
    EXPECT_EQ(second->m_showCommand, 5);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ArchiveObjects, EveryRecordRoundTrips)
{
    CPluginEntry entry;
    entry.m_path = "/p/Blur.8bf";
    entry.m_indexInFile = 3;
    entry.m_noCategory = 1;
    entry.m_reserved3 = -7;
    CPIMIEntry tail;
    for (int i = 0; i < 16; ++i)
        tail.m_bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 17);
    CLaunchBarEntry bar;
    bar.m_showCommand = 3;
    CArchive out;
    out.WriteObject(&entry);
    out.WriteObject(&tail);
    out.WriteObject(&bar);
    CArchive in(out.Data(), StoreClassRegistry());
    auto e = in.ReadObjectOf<CPluginEntry>();
    auto t = in.ReadObjectOf<CPIMIEntry>();
    auto b = in.ReadObjectOf<CLaunchBarEntry>();
    EXPECT_EQ(e->m_path, entry.m_path);
    EXPECT_EQ(e->m_indexInFile, 3);
    EXPECT_EQ(e->m_noCategory, 1);
    EXPECT_EQ(e->m_reserved3, -7);
    EXPECT_EQ(e->m_reserved1, -1);
    EXPECT_EQ(t->m_bytes, tail.m_bytes);
    EXPECT_EQ(b->m_showCommand, 3);
}

// ---- failures -----------------------------------------------------------------

enum class Failure { EndOfFile, BadIndex, BadClass, BadSchema };

struct HostileCase {
    const char* name;
    Bytes data;
    Failure failure;
};

std::ostream& operator<<(std::ostream& os, const HostileCase& c)
{
    return os << c.name;
}

HostileCase withClass(const char* name, const std::string& cls, unsigned schema, Bytes tail, Failure f)
{
    Bytes data;
    appendNewClass(data, cls, schema);
    append(data, tail);
    return {name, data, f};
}

class HostileReference : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileReference, FailsWithItsKind)
{
    const auto& c = GetParam();
    CArchive in(c.data, StoreClassRegistry());
    auto read = [&] { in.ReadObject(&CRootItem::classCRootItem); };
    switch (c.failure) {
    case Failure::EndOfFile: EXPECT_THROW(read(), ArchiveEndOfFile); break;
    case Failure::BadIndex: EXPECT_THROW(read(), ArchiveBadIndex); break;
    case Failure::BadClass: EXPECT_THROW(read(), ArchiveBadClass); break;
    case Failure::BadSchema: EXPECT_THROW(read(), ArchiveBadSchema); break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileReference,
    testing::Values(
        HostileCase{"empty", {}, Failure::EndOfFile}, HostileCase{"half_tag", bytesOf({0x01}), Failure::EndOfFile},
        HostileCase{"back_reference_to_nothing", bytesOf({0x05, 0x00}), Failure::BadIndex},
        HostileCase{"reference_to_itself", bytesOf({0x01, 0x00}), Failure::BadIndex},
        HostileCase{"class_index_zero", bytesOf({0x00, 0x80}), Failure::BadIndex},
        HostileCase{"class_index_not_read", bytesOf({0x03, 0x80}), Failure::BadIndex},
        HostileCase{"long_form_index_not_read", bytesOf({0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}), Failure::BadIndex},
        HostileCase{"long_form_class_not_read", bytesOf({0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}), Failure::BadIndex},
        withClass("unknown_class", "CObArray", 1, {}, Failure::BadClass),
        withClass("case_differs", "crootitem", 1, {}, Failure::BadClass),
        withClass("wrong_class", "CPluginDirEntry", 1, {}, Failure::BadClass),
        withClass("name_63_is_checked_by_lookup", std::string(63, 'C'), 1, {}, Failure::BadClass),
        withClass("name_64", std::string(64, 'C'), 1, {}, Failure::BadClass),
        withClass("wrong_schema", "CRootItem", 2, {}, Failure::BadSchema),
        withClass("schema_zero", "CRootItem", 0, {}, Failure::BadSchema),
        withClass("truncated_fields", "CRootItem", 1, bytesOf({1, 0, 0}), Failure::EndOfFile),
        HostileCase{"truncated_class_name", bytesOf({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00, 'C', 'R'}),
                    Failure::EndOfFile}));

TEST(ArchiveObjects, ReferenceToAClassIndexAsObjectIsABadClass)
{
    Bytes data;
    appendNewClass(data, "CRootItem");
    appendDword(data, 0);
    appendStr(data, "");
    append(data, bytesOf({0x01, 0x00}));  // index 1 is the class, not an object
    CArchive in(data, StoreClassRegistry());
    in.ReadObject();
    EXPECT_THROW(in.ReadObject(), ArchiveBadClass);
}

TEST(ArchiveObjects, BackReferenceOfAnotherClassIsABadClass)
{
    Bytes data;
    appendNewClass(data, "CRootItem");
    appendDword(data, 0);
    appendStr(data, "");
    append(data, bytesOf({0x02, 0x00}));
    CArchive in(data, StoreClassRegistry());
    in.ReadObject();
    EXPECT_THROW(in.ReadObject(&CPluginDirEntry::classCPluginDirEntry), ArchiveBadClass);
}

TEST(ArchiveObjects, RunningIndexLimit)
{
    Bytes data;
    appendNewClass(data, "CRootItem");
    appendDword(data, 0);
    appendStr(data, "");
    {
        // Class at 0x3FFFFFFC, object at 0x3FFFFFFD: both allowed.
        CArchive in(data, StoreClassRegistry());
        in.SetRunningIndexForTesting(CArchive::kMaxIndex - 1);
        EXPECT_NE(in.ReadObject(), nullptr);
    }
    {
        CArchive in(data, StoreClassRegistry());
        in.SetRunningIndexForTesting(CArchive::kMaxIndex);
        EXPECT_THROW(in.ReadObject(), ArchiveBadIndex);
    }
    CRootItem root;
    CArchive out;
    out.SetRunningIndexForTesting(CArchive::kMaxIndex);
    EXPECT_THROW(out.WriteObject(&root), ArchiveBadIndex);
}

TEST(ArchiveObjects, ManyBackReferencesToALargeRecordHitTheCopyBudget)
{
    // One 60000-byte record referenced 5000 times: copying would take 300 MB.
    Bytes data = bytesOf({0x88, 0x13});  // map count 5000
    appendStr(data, "k");
    appendNewClass(data, "CPluginRestoreEntry");
    append(data, bytesOf({0xFF, 0x60, 0xEA}));
    append(data, std::string(60000, 'x'));
    appendStr(data, "");
    for (int i = 1; i < 5000; ++i) {
        appendStr(data, "k" + std::to_string(i));
        append(data, bytesOf({0x02, 0x00}));
    }
    CPluginRestoreManager restore;
    CArchive in(data, StoreClassRegistry());
    EXPECT_THROW(restore.Serialize(in), ArchiveBadIndex);
    // What was read before the budget ran out is kept.
    EXPECT_GE(restore.Size(), 2u);
    EXPECT_LT(restore.Size(), 10u);
}

TEST(ArchiveArray, HugeCountEndsAtTheDataAndKeepsWhatWasRead)
{
    Bytes data = bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    appendNewClass(data, "CRootItem");
    appendDword(data, 1);
    appendStr(data, "r");
    append(data, bytesOf({0x00, 0x00}));  // a null reference leaves no slot
    append(data, bytesOf({0x01, 0x80}));
    appendDword(data, 2);
    std::vector<std::unique_ptr<CRootItem>> roots;
    CArchive in(data, StoreClassRegistry());
    EXPECT_THROW(in.SerializeArray(roots), ArchiveEndOfFile);
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0]->m_path, "r");
}
