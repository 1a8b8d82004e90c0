#pragma once
// Where in a plug-in file lie the resource data that an entry's name and
// category were read from. A file may hold one description several times
// (the same PiPL in several languages, often with the same texts); the
// texts are located, and rewritten, only inside the copy that was read.

#include "pe/PatternSearch.h"
#include "pe/ResourceLibrary.h"

#include <cstdint>
#include <exception>
#include <istream>
#include <span>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;

// File offsets [begin, end) of one resource's data; empty when unknown.
struct FileSpan {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;

    // True when count bytes at first lie wholly inside the span.
    bool Holds(std::uint64_t first, std::uint64_t count) const
    {
        return first >= begin && first <= end && count <= end - first;
    }
};

struct TextSpans {
    FileSpan name;      // PiPL: the PiPL resource; PiMI: its kind resource; Premiere: "TEXT" #1000
    FileSpan category;  // PiPL: the PiPL resource; PiMI: the PiMI resource; Premiere: empty
};

// The spans of the resources the reader takes the entry's texts from: the
// resource of the entry's type at its index in file (in resource-directory
// order), its PiMI kind resource, or the Premiere "TEXT" #1000, each in the
// language the reader picks (0: as the Windows resource functions choose).
// False when the module holds no such resource; the spans are then empty.
bool FindTextSpans(const COXResourceLibrary& lib, const CPluginEntry& entry, TextSpans& spans);

// The patterns a text is located by: a PiPL string property's text follows
// a zero byte (the top byte of its data length) and its length byte, behind
// the property's key ("8eman", "8gtac": the last vendor byte and the key, as
// stored); a PiMI text follows the marker 03 00; a Premiere name stands alone.
inline const std::vector<std::uint8_t> kPiplNameKey{'8', 'e', 'm', 'a', 'n'};
inline const std::vector<std::uint8_t> kPiplCategoryKey{'8', 'g', 't', 'a', 'c'};
std::vector<std::uint8_t> PiplTextPattern(const std::string& text);
// The same into pattern, whose allocation a caller locating many texts reuses.
void PiplTextPattern(const std::string& text, std::vector<std::uint8_t>& pattern);
void PimiTextPattern(const std::string& text, std::vector<std::uint8_t>& pattern);

// The file offset of the first character of a text inside the span: the
// first match of pattern, searched from key when the span holds key (else
// from the span's start), plus head, the bytes of the pattern before the
// text. 0 when the span does not hold the pattern. search(start, end,
// pattern) is the file pattern search bounded to [start, end).
template <class Search>
std::uint64_t LocateInSpan(const Search& search, const FileSpan& span, const std::vector<std::uint8_t>& key,
                           const std::vector<std::uint8_t>& pattern, std::uint64_t head)
{
    if (span.end <= span.begin)
        return 0;
    std::uint64_t start = span.begin;
    if (!key.empty())
        if (const std::uint64_t at = search(start, span.end, key); at != 0)
            start = at;
    const std::uint64_t found = search(start, span.end, pattern);
    return found == 0 ? 0 : found + head;
}

// Runs locate(search) with search(start, end, pattern) as the pattern
// search of the module's file bounded to [start, end): over the file in
// memory when it can be held, else through its stream. False on a file
// error (what locate found so far stays).
template <class Locate>
bool WithFileSearch(COXResourceLibrary& lib, const Locate& locate)
{
    std::span<const std::uint8_t> bytes;
    bool inMemory = false;
    try {
        inMemory = lib.GetFileBytes(bytes);
    } catch (const std::exception&) {
        // Not readable whole: the stream search reads only what it needs.
    }
    if (inMemory) {
        try {
            locate([bytes](std::uint64_t start, std::uint64_t end, const std::vector<std::uint8_t>& pattern) {
                return SearchFileWithin(bytes, start, end, pattern);
            });
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }
    std::istream* file = lib.GetFileStream();
    if (!file)
        return false;
    const auto oldMask = file->exceptions();
    bool ok = true;
    try {
        file->exceptions(std::ios::badbit);
        locate([file](std::uint64_t start, std::uint64_t end, const std::vector<std::uint8_t>& pattern) {
            return SearchFileWithin(*file, start, end, pattern);
        });
    } catch (const std::exception&) {
        ok = false;
    }
    file->clear();
    file->exceptions(oldMask);
    return ok;
}

}  // namespace vardel
