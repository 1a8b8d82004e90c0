#pragma once
// Hand-made plug-in files for the writer tests: the bytes a resource
// directory and a PiPL or PiMI resource put into a file, without the rest of
// a PE module (the writer then checks the texts by their bytes alone and
// finds nothing again; PluginWriterModuleTest covers real modules). Each
// builder records the offsets the scan would find, so tests can build the
// expected bytes independently of the code under test.

#include "catalogue/PluginEntry.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vardel::test {

using Bytes = std::vector<std::uint8_t>;

struct PiplPlugin {
    std::string name;
    std::string category;      // empty: no "catg" property
    bool paddedLength = true;  // the data length counts the padding
};

struct FakePlugin {
    Bytes bytes;
    std::vector<int> nameOffsets;      // first character, one per plug-in
    std::vector<int> categoryOffsets;  // 0 for none
};

// A file with one PiPL resource per plug-in, behind the UTF-16 type name "PIPL".
FakePlugin MakePipl(const std::vector<PiplPlugin>& plugins);

// A file with one PiMI filter: the PiMI resource (marker 3, category, zero,
// tail) and its kind resource (marker 3, name, zero), behind "PIMI".
FakePlugin MakePimi(const std::string& name, const std::string& category, const Bytes& tail);

// A PiPL or PiMI filter entry for plug-in i of the file at path.
CPluginEntry PiplEntry(const std::filesystem::path& path, const FakePlugin& file,
                       const std::vector<PiplPlugin>& plugins, std::size_t i);
CPluginEntry PimiEntry(const std::filesystem::path& path, const FakePlugin& file, const std::string& name,
                       const std::string& category);

// Replaces bytes of a copy at offset.
Bytes Patched(Bytes bytes, std::size_t offset, const std::string& text);
Bytes Patched(Bytes bytes, std::size_t offset, const Bytes& data);

// The 16 bytes of a sample PiMI tail.
Bytes SampleTail(int seed);

}  // namespace vardel::test
