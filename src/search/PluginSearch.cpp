#include "search/PluginSearch.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "filterfactory/ParameterBlock.h"
#include "search/DescriptionListManager.h"
#include "search/FindSettings.h"

#include <cstring>
#include <utility>

namespace vardel {

namespace {

// Upper case for the 8-bit code page: only a to z change.
std::string FoldUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

bool CPluginSearch::Contains(const std::string& text, const std::string& keyword, bool matchCase)
{
    if (matchCase)
        return text.find(keyword) != std::string::npos;
    return FoldUpper(text).find(FoldUpper(keyword)) != std::string::npos;
}

SearchRow CPluginSearch::MakeRow(const CPluginEntry& entry)
{
    SearchRow row;
    row.plugin = &entry;
    row.columns[0] = entry.m_name;
    row.columns[1] = entry.m_category.empty() ? "\xBB " + KindLabel(entry.m_kind) : entry.m_category;
    row.columns[2] = entry.m_path;
    return row;
}

namespace {

// The search over any sequence of records: entryAt(i) gives record i,
// describe(key, description, keywords) its description entry, takeRow(row)
// takes each hit in order.
template <typename EntryAt, typename Describe, typename Found>
void Search(std::size_t count, const EntryAt& entryAt, const Describe& describe, const FindSettings& settings,
            const CPluginSearch::BlockReader& readBlock, const std::atomic<bool>* stop, const Found& takeRow)
{
    const std::string& keyword = settings.keyword;
    const bool matchCase = settings.matchCase;
    auto match = [&](const std::string& text) { return CPluginSearch::Contains(text, keyword, matchCase); };
    for (std::size_t i = 0; i < count; ++i) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const CPluginEntry& e = entryAt(i);
        SearchField field = SearchField::Title;
        bool found = false;
        if (settings.title && match(e.m_name)) {
            field = SearchField::Title;
            found = true;
        }
        if (!found && settings.category && match(e.m_category)) {
            field = SearchField::Category;
            found = true;
        }
        if (!found && settings.author && IsFilterFactoryFilter(e)) {
            CParameterBlock block;
            const bool read = readBlock ? readBlock(e, block) : ReadParameterBlock(e, block);
            if (read && match(block.GetAuthor())) {
                field = SearchField::Author;
                found = true;
            }
        }
        if (!found && (settings.keywords || settings.description)) {
            std::string description;
            std::string keywords;
            if (describe(e.DescriptionKey(), description, keywords)) {
                if (settings.keywords && match(keywords)) {
                    field = SearchField::Keywords;
                    found = true;
                } else if (settings.description && match(description)) {
                    field = SearchField::Description;
                    found = true;
                }
            }
        }
        if (!found && settings.filename && match(e.m_path)) {
            field = SearchField::Filename;
            found = true;
        }
        if (found) {
            SearchRow row = CPluginSearch::MakeRow(e);
            row.field = field;
            row.entry = static_cast<int>(i);
            takeRow(std::move(row));
        }
    }
}

}  // namespace

std::vector<SearchRow> CPluginSearch::Run(const CPluginListManager& catalogue,
                                          const CDescriptionListManager& descriptions, const FindSettings& settings,
                                          const BlockReader& readBlock)
{
    std::vector<SearchRow> rows;
    Search(
        catalogue.m_entries.size(), [&](std::size_t i) -> const CPluginEntry& { return *catalogue.m_entries[i]; },
        [&](const std::string& key, std::string& d, std::string& k) { return descriptions.Get(key, d, k); }, settings,
        readBlock, nullptr, [&rows](SearchRow&& row) { rows.push_back(std::move(row)); });
    return rows;
}

std::shared_ptr<const SearchSource> CPluginSearch::Snapshot(const CPluginListManager& catalogue,
                                                            const CDescriptionListManager& descriptions)
{
    auto source = std::make_shared<SearchSource>();
    source->entries.reserve(catalogue.m_entries.size());
    for (const auto& e : catalogue.m_entries)
        source->entries.push_back(*e);
    // The first entry of a key is the one a look-up finds.
    for (const auto& d : descriptions.m_entries)
        source->descriptions.try_emplace(d->m_key, d->m_description, d->m_keywords);
    return source;
}

namespace {

template <typename Found>
void SearchSnapshot(const SearchSource& source, const FindSettings& settings,
                    const CPluginSearch::BlockReader& readBlock, const std::atomic<bool>* stop, const Found& takeRow)
{
    Search(
        source.entries.size(), [&](std::size_t i) -> const CPluginEntry& { return source.entries[i]; },
        [&](const std::string& key, std::string& d, std::string& k) {
            const auto it = source.descriptions.find(key);
            if (it == source.descriptions.end())
                return false;
            d = it->second.first;
            k = it->second.second;
            return true;
        },
        settings, readBlock, stop, takeRow);
}

}  // namespace

std::vector<SearchRow> CPluginSearch::Run(const SearchSource& source, const FindSettings& settings,
                                          const BlockReader& readBlock, const std::atomic<bool>* stop)
{
    std::vector<SearchRow> rows;
    SearchSnapshot(source, settings, readBlock, stop, [&rows](SearchRow&& row) { rows.push_back(std::move(row)); });
    return rows;
}

std::size_t CPluginSearch::RunInBatches(const SearchSource& source, const FindSettings& settings,
                                        const BatchSink& onBatch, std::size_t batchSize,
                                        std::chrono::milliseconds batchTime, const BlockReader& readBlock,
                                        const std::atomic<bool>* stop)
{
    using Clock = std::chrono::steady_clock;
    std::size_t total = 0;
    std::vector<SearchRow> batch;
    auto started = Clock::now();
    auto handOver = [&] {
        total += batch.size();
        onBatch(std::move(batch));
        batch = {};
        started = Clock::now();
    };
    SearchSnapshot(source, settings, readBlock, stop, [&](SearchRow&& row) {
        batch.push_back(std::move(row));
        // A slow search (the Author reads files) shows its first rows soon.
        if (batch.size() >= batchSize || Clock::now() - started >= batchTime)
            handOver();
    });
    if (!batch.empty())
        handOver();
    return total;
}

int CPluginSearch::CompareText(const std::string& a, const std::string& b)
{
    // memcmp compares unsigned bytes; paths share long beginnings, which
    // it passes many bytes at a time.
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    if (const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n); c != 0)
        return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void CPluginSearch::SortRows(std::vector<SearchRow>& rows, int column)
{
    if (column < 0 || column >= SearchRow::kColumnCount || rows.size() < 2)
        return;
    const auto col = static_cast<std::size_t>(column);
    auto text = [&](std::ptrdiff_t i) -> const std::string& { return rows[static_cast<std::size_t>(i)].columns[col]; };
    // The list view's classic quicksort: partition around the middle row's
    // text, then sort both sides. The smaller side is sorted by recursion and
    // the larger one by the loop, so the depth stays logarithmic; the order
    // of the two sorts does not change the result.
    struct Range {
        std::ptrdiff_t lo, hi;
    };
    std::function<void(Range)> sort = [&](Range r) {
        while (r.lo < r.hi) {
            std::ptrdiff_t lo = r.lo;
            std::ptrdiff_t hi = r.hi;
            const std::string pivot = text((r.lo + r.hi) / 2);
            while (lo <= hi) {
                while (lo < r.hi && CompareText(text(lo), pivot) < 0)
                    ++lo;
                while (hi > r.lo && CompareText(text(hi), pivot) > 0)
                    --hi;
                if (lo <= hi) {
                    // Rows with equal texts stay where they are.
                    if (CompareText(text(lo), text(hi)) != 0)
                        std::swap(rows[static_cast<std::size_t>(lo)], rows[static_cast<std::size_t>(hi)]);
                    ++lo;
                    --hi;
                }
            }
            Range left{r.lo, hi};
            Range right{lo, r.hi};
            if (left.hi - left.lo < right.hi - right.lo) {
                sort(left);
                r = right;
            } else {
                sort(right);
                r = left;
            }
        }
    };
    sort(Range{0, static_cast<std::ptrdiff_t>(rows.size()) - 1});
}

}  // namespace vardel
