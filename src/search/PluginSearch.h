#pragma once
// Find: the keyword search over a catalogue, its result rows and the sort by
// a result column.

#include "catalogue/PluginEntry.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
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
    int entry = -1;                          // position of the record in its catalogue
};

// What a search reads, copied from the catalogue and the description
// database: a search over it may run on another thread, and be given up
// without being waited for, while the originals change.
struct SearchSource {
    std::vector<CPluginEntry> entries;  // in catalogue order
    // Description and keywords by description key (the first entry of a key).
    std::unordered_map<std::string, std::pair<std::string, std::string>> descriptions;
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
    // The copies a search on another thread reads.
    static std::shared_ptr<const SearchSource> Snapshot(const CPluginListManager& catalogue,
                                                        const CDescriptionListManager& descriptions);
    // The same search over a snapshot; the rows' plugin pointers point into
    // source, their entry positions into the catalogue it was taken from.
    // Ends early, with the rows found so far, once stop is set.
    static std::vector<SearchRow> Run(const SearchSource& source, const FindSettings& settings,
                                      const BlockReader& readBlock = {}, const std::atomic<bool>* stop = nullptr);
    // The same, handing the rows over as they are found, in batches of at
    // most batchSize rows, and sooner when finding them takes a while (a
    // batch is handed over once it waited batchTime): the batches, one after
    // the other, hold exactly the rows of Run, in its order. Returns the
    // number of rows.
    using BatchSink = std::function<void(std::vector<SearchRow>&& batch)>;
    static std::size_t RunInBatches(const SearchSource& source, const FindSettings& settings, const BatchSink& onBatch,
                                    std::size_t batchSize, std::chrono::milliseconds batchTime,
                                    const BlockReader& readBlock = {}, const std::atomic<bool>* stop = nullptr);

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
