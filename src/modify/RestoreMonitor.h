#pragma once
// The table of the "Restore Cache Monitor": every entry of the restore
// database as six texts, and its order after a click on a column header.

#include <array>
#include <string>
#include <vector>

namespace vardel {

class CPluginRestoreManager;

struct RestoreMonitorColumn {
    const char* title;  // "ID", "Loaded", "Category", "C.Len", "Name", "N.Len"
    int width;          // in pixels
    bool rightAligned;  // the two lengths
};

inline constexpr int kRestoreMonitorColumnCount = 6;
inline constexpr std::array<RestoreMonitorColumn, kRestoreMonitorColumnCount> kRestoreMonitorColumns{{
    {"ID", 150, false},
    {"Loaded", 50, false},
    {"Category", 140, false},
    {"C.Len", 50, true},
    {"Name", 160, false},
    {"N.Len", 50, true},
}};

using RestoreMonitorRow = std::array<std::string, kRestoreMonitorColumnCount>;

// The rows of the database in map order: key, "???", category, its length
// "%2d", name, its length "%2d".
std::vector<RestoreMonitorRow> RestoreMonitorRows(const CPluginRestoreManager& restore);

// Sorts rows ascending by column as the Find dialog's result list does
// (byte-wise, case-sensitive, so the lengths sort as text); rows with equal
// texts keep their order. Ignored for another column.
void SortRestoreMonitorRows(std::vector<RestoreMonitorRow>& rows, int column);

}  // namespace vardel
