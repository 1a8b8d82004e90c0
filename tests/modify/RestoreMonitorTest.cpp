#include "catalogue/PluginRestoreManager.h"
#include "modify/RestoreMonitor.h"

#include <gtest/gtest.h>

using namespace vardel;

namespace {

std::vector<std::string> Column(const std::vector<RestoreMonitorRow>& rows, int c)
{
    std::vector<std::string> out;
    for (const RestoreMonitorRow& row : rows)
        out.push_back(row[static_cast<std::size_t>(c)]);
    return out;
}

}  // namespace

TEST(RestoreMonitor, OneRowPerEntryInMapOrder)
{
    CPluginRestoreManager restore;
    restore.Add("8BFM_B_00", "Blur More", "Blur");
    restore.Add("8BFM_A_00", "", std::string(100, 'c'));
    const auto rows = RestoreMonitorRows(restore);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (RestoreMonitorRow{"8BFM_A_00", "???", std::string(100, 'c'), "100", "", " 0"}));
    EXPECT_EQ(rows[1], (RestoreMonitorRow{"8BFM_B_00", "???", "Blur", " 4", "Blur More", " 9"}));
    EXPECT_TRUE(RestoreMonitorRows(CPluginRestoreManager{}).empty());
}

TEST(RestoreMonitor, ColumnsAndTheirOrder)
{
    std::vector<std::string> titles;
    for (const RestoreMonitorColumn& c : kRestoreMonitorColumns)
        titles.emplace_back(c.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"ID", "Loaded", "Category", "C.Len", "Name", "N.Len"}));
    EXPECT_TRUE(kRestoreMonitorColumns[3].rightAligned && kRestoreMonitorColumns[5].rightAligned);
    EXPECT_FALSE(kRestoreMonitorColumns[4].rightAligned);
}

// Byte-wise and case-sensitive; the lengths sort as text; equal texts keep
// their order; a column outside the table changes nothing.
TEST(RestoreMonitor, SortsByTheTextsOfAColumn)
{
    CPluginRestoreManager restore;
    restore.Add("8BFM_A_00", "beta", std::string(11, 'c'));
    restore.Add("8BFM_B_00", "Beta", std::string(100, 'c'));
    restore.Add("8BFM_C_00", "alpha", std::string(9, 'c'));
    auto rows = RestoreMonitorRows(restore);
    SortRestoreMonitorRows(rows, 4);
    EXPECT_EQ(Column(rows, 4), (std::vector<std::string>{"Beta", "alpha", "beta"}));
    SortRestoreMonitorRows(rows, 3);
    EXPECT_EQ(Column(rows, 3), (std::vector<std::string>{" 9", "100", "11"}));
    SortRestoreMonitorRows(rows, 1);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"8BFM_C_00", "8BFM_B_00", "8BFM_A_00"})) << "stable";
    SortRestoreMonitorRows(rows, 6);
    SortRestoreMonitorRows(rows, -1);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"8BFM_C_00", "8BFM_B_00", "8BFM_A_00"}));
}
