#include "catalogue/ResourceSpans.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"
#include "pe/ResourceLibrary.h"

#include <cstring>
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
    return index >= 0 && lib.NameAt(type, static_cast<std::size_t>(index), name);
}

}  // namespace

namespace {

void TextPattern(std::uint8_t first, std::uint8_t second, const std::string& text, std::vector<std::uint8_t>& pattern)
{
    pattern.resize(2 + text.size());
    pattern[0] = first;
    pattern[1] = second;
    std::memcpy(pattern.data() + 2, text.data(), text.size());
}

}  // namespace

void PiplTextPattern(const std::string& text, std::vector<std::uint8_t>& pattern)
{
    TextPattern(0, static_cast<std::uint8_t>(text.size()), text, pattern);
}

void PimiTextPattern(const std::string& text, std::vector<std::uint8_t>& pattern)
{
    TextPattern(3, 0, text, pattern);
}

std::vector<std::uint8_t> PiplTextPattern(const std::string& text)
{
    std::vector<std::uint8_t> pattern;
    PiplTextPattern(text, pattern);
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
        const bool found =
            SpanOf(lib, "PIMI", name, spans.category) && SpanOf(lib, "_" + KindCode(entry.m_kind), name, spans.name);
        if (!found)
            spans = {};
        return found;
    }
    if (entry.IsPremiere())
        return SpanOf(lib, "TEXT", "#1000", spans.name);
    return false;
}

}  // namespace vardel
