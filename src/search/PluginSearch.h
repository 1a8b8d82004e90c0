#pragma once
// Find: the keyword search over a catalogue, its result rows and the sort by
// a result column.

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vardel {

class CDescriptionListManager;
class CParameterBlock;
class CPluginEntry;
class CPluginListManager;
struct FindSettings;

// The fields in the order they are tested.
enum class SearchField { Title, Category, Author, Keywords, Description, Filename };

// One hit: the three column texts (name; category or "\xBB " + kind label;
// file path) and the record it stands for.
struct SearchRow {
    static constexpr int kColumnCount = 3;
    std::array<std::string, kColumnCount> columns;
    const CPluginEntry* plugin = nullptr;
    SearchField field = SearchField::Title;  // the field that matched
};

class CPluginSearch {
public:
    // Reads a Filter Factory filter's parameter block (the Author field).
    using BlockReader = std::function<bool(const CPluginEntry&, CParameterBlock&)>;

    // The hits of settings.keyword in the catalogue, in catalogue order, each
    // plug-in once: the enabled fields are tested in the order Title,
    // Category, Author, Keywords, Description, Filename and the first match
    // wins. Author is searched only in Filter Factory filters whose block can
    // be read (by readBlock, default: from the plug-in file); Keywords and
    // Description in the plug-in's description entry, if it has one.
    static std::vector<SearchRow> Run(const CPluginListManager& catalogue, const CDescriptionListManager& descriptions,
                                      const FindSettings& settings, const BlockReader& readBlock = {});

    // Whether keyword occurs in text; without matchCase only a to z are
    // folded to upper case. An empty keyword occurs in every text.
    static bool Contains(const std::string& text, const std::string& keyword, bool matchCase);

    // The row shown for a record.
    static SearchRow MakeRow(const CPluginEntry& entry);

    // Sorts the rows ascending by the texts of column 0..2 (unsigned bytes,
    // case-sensitive, a prefix first) with a quicksort around the middle
    // row; rows move whole. Ignored for another column.
    static void SortRows(std::vector<SearchRow>& rows, int column);

    // Byte comparison of column texts: <0, 0 or >0.
    static int CompareText(const std::string& a, const std::string& b);
};

}  // namespace vardel
