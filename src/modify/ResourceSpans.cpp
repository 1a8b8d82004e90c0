#include "modify/ResourceSpans.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"
#include "modify/ResourceLibrary.h"

#include <string>
#include <vector>

namespace vardel {

namespace {

bool SpanOf(const COXResourceLibrary& lib, const std::string& type, const std::string& name, FileSpan& span)
{
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    if (!lib.FindSpan(type, name, 0, offset, size))
        return false;
    span = {offset, offset + size};
    return true;
}

// The name of the entry's description resource of the type: the one at its
// index in file.
bool NameAtIndex(const COXResourceLibrary& lib, const std::string& type, int index, std::string& name)
{
    std::vector<std::string> names;
    if (index < 0 || !lib.EnumNames(type, names) || static_cast<std::size_t>(index) >= names.size())
        return false;
    name = names[static_cast<std::size_t>(index)];
    return true;
}

}  // namespace

std::vector<std::uint8_t> PiplTextPattern(const std::string& text)
{
    std::vector<std::uint8_t> pattern{0, static_cast<std::uint8_t>(text.size())};
    pattern.insert(pattern.end(), text.begin(), text.end());
    return pattern;
}

std::vector<std::uint8_t> PimiTextPattern(const std::string& text)
{
    std::vector<std::uint8_t> pattern{3, 0};
    pattern.insert(pattern.end(), text.begin(), text.end());
    return pattern;
}

bool FindTextSpans(const COXResourceLibrary& lib, const CPluginEntry& entry, TextSpans& spans)
{
    spans = {};
    std::string name;
    if (entry.IsPiPL()) {
        if (!NameAtIndex(lib, "PIPL", entry.m_indexInFile, name) || !SpanOf(lib, "PIPL", name, spans.name))
            return false;
        spans.category = spans.name;
        return true;
    }
    if (entry.IsPiMI()) {
        if (!NameAtIndex(lib, "PIMI", entry.m_indexInFile, name))
            return false;
        const bool found = SpanOf(lib, "PIMI", name, spans.category) &&
                           SpanOf(lib, "_" + KindCode(entry.m_kind), name, spans.name);
        if (!found)
            spans = {};
        return found;
    }
    if (entry.IsPremiere())
        return SpanOf(lib, "TEXT", "#1000", spans.name);
    return false;
}

}  // namespace vardel
