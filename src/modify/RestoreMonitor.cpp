#include "modify/RestoreMonitor.h"

#include "catalogue/PluginRestoreManager.h"
#include "search/PluginSearch.h"

#include <algorithm>
#include <cstdio>

namespace vardel {

namespace {

std::string LengthText(const std::string& text)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%2d", static_cast<int>(text.size()));
    return buffer;
}

}  // namespace

std::vector<RestoreMonitorRow> RestoreMonitorRows(const CPluginRestoreManager& restore)
{
    std::vector<RestoreMonitorRow> rows;
    rows.reserve(restore.Size());
    for (const auto& [key, entry] : restore.Entries()) {
        const std::string category = entry ? entry->m_originalCategory : std::string();
        const std::string name = entry ? entry->m_originalName : std::string();
        rows.push_back(RestoreMonitorRow{key, "???", category, LengthText(category), name, LengthText(name)});
    }
    return rows;
}

void SortRestoreMonitorRows(std::vector<RestoreMonitorRow>& rows, int column)
{
    if (column < 0 || column >= kRestoreMonitorColumnCount)
        return;
    const auto col = static_cast<std::size_t>(column);
    std::stable_sort(rows.begin(), rows.end(), [col](const RestoreMonitorRow& a, const RestoreMonitorRow& b) {
        return CPluginSearch::CompareText(a[col], b[col]) < 0;
    });
}

}  // namespace vardel
