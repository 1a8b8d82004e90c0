#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "modify/CategoryDialog.h"

#include <gtest/gtest.h>

namespace vardel::test {
namespace {

CPluginEntry* Add(CPluginListManager& catalogue, int kind, const std::string& category, int capacity = 8)
{
    auto e = std::make_unique<CPluginEntry>();
    e->m_kind = kind;
    e->m_category = category;
    e->m_categoryCapacity = capacity;
    catalogue.m_entries.push_back(std::move(e));
    return catalogue.m_entries.back().get();
}

using Texts = std::vector<std::string>;

TEST(CategoryDialogTest, LimitIsTheSmallestCapacityAndProposalsFitIt)
{
    CPluginListManager catalogue;
    Add(catalogue, kKindEffect, "AE");  // another kind: never proposed
    Add(catalogue, kKindEffect, "Effects");
    Add(catalogue, kKindFilter, "");  // no category: not proposed
    Add(catalogue, kKindFilter, "Art");
    Add(catalogue, kKindFilter, "Art");
    Add(catalogue, kKindFilter, "Blur");
    Add(catalogue, kKindFilter, "Noise");    // 5 characters: still fits
    Add(catalogue, kKindFilter, "Sharpen");  // 7: too long for 5
    Add(catalogue, kKindFilter, "X");
    auto* eight = Add(catalogue, kKindFilter, "Artistic", 8);
    auto* five = Add(catalogue, kKindFilter, "Color", 5);

    CCategoryDialog dialog(catalogue, {eight, five});

    EXPECT_EQ(dialog.Limit(), 5);
    EXPECT_EQ(dialog.LimitText(), "Up to 5 characters allowed");
    EXPECT_EQ(dialog.Proposals(), (Texts{"Art", "Blur", "Color", "Noise", "X"}));
}

TEST(CategoryDialogTest, ProposalsAreSortedWithoutRegardToCaseAndShownOnce)
{
    CPluginListManager catalogue;
    // As the sort key orders them: equal but for case, interleaved by name.
    Add(catalogue, kKindFilter, "blur");
    Add(catalogue, kKindFilter, "Blur");
    Add(catalogue, kKindFilter, "blur");
    Add(catalogue, kKindFilter, "alpha");
    Add(catalogue, kKindFilter, "Zeta");
    auto* e = Add(catalogue, kKindFilter, "Zeta");

    CCategoryDialog dialog(catalogue, {e});

    EXPECT_EQ(dialog.Proposals(), (Texts{"alpha", "Blur", "blur", "Zeta"}));
}

TEST(CategoryDialogTest, NoEntriesMeansLimit255AndNoProposals)
{
    CPluginListManager catalogue;
    Add(catalogue, kKindFilter, "Blur");
    CCategoryDialog dialog(catalogue, {});
    EXPECT_EQ(dialog.Limit(), 255);
    EXPECT_EQ(dialog.LimitText(), "Up to 255 characters allowed");
    EXPECT_TRUE(dialog.Proposals().empty());
}

struct OkCase {
    std::string typed;
    bool ok;
    std::string kept;
    friend void PrintTo(const OkCase& c, std::ostream* os) { *os << c.typed.size() << " characters"; }
};

class CategoryDialogOkTest : public ::testing::TestWithParam<OkCase> {};

TEST_P(CategoryDialogOkTest, OkNeedsThreeCharactersWithinTheLimit)
{
    CPluginListManager catalogue;
    auto* e = Add(catalogue, kKindFilter, "Artistic", 5);
    CCategoryDialog dialog(catalogue, {e});
    EXPECT_FALSE(dialog.IsOkEnabled());  // disabled when the dialog opens

    dialog.SetText(GetParam().typed);

    EXPECT_EQ(dialog.IsOkEnabled(), GetParam().ok);
    EXPECT_EQ(dialog.Text(), GetParam().kept);
    EXPECT_EQ(dialog.Chosen(), GetParam().ok ? GetParam().kept : "");
}

INSTANTIATE_TEST_SUITE_P(Lengths, CategoryDialogOkTest,
                         ::testing::Values(OkCase{"", false, ""}, OkCase{"Ar", false, "Ar"}, OkCase{"Art", true, "Art"},
                                           OkCase{"Arti", true, "Arti"}, OkCase{"Artis", true, "Artis"},
                                           OkCase{"Artist", true, "Artis"}));

TEST(CategoryDialogTest, SelectingAProposalCopiesItButKeepsTheMinimum)
{
    CPluginListManager catalogue;
    Add(catalogue, kKindFilter, "FX");
    auto* e = Add(catalogue, kKindFilter, "Blur");
    CCategoryDialog dialog(catalogue, {e});
    ASSERT_EQ(dialog.Proposals(), (Texts{"Blur", "FX"}));

    EXPECT_TRUE(dialog.SelectProposal(0));
    EXPECT_EQ(dialog.Text(), "Blur");
    EXPECT_TRUE(dialog.IsOkEnabled());

    EXPECT_TRUE(dialog.SelectProposal(1));
    EXPECT_EQ(dialog.Text(), "FX");
    EXPECT_FALSE(dialog.IsOkEnabled());

    EXPECT_FALSE(dialog.SelectProposal(2));
    EXPECT_EQ(dialog.Text(), "FX");
}

}  // namespace
}  // namespace vardel::test
