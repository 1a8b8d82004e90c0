#include "FakePlugin.h"

#include "catalogue/PluginTables.h"

namespace vardel::test {

namespace {

void Append(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}
void Append(Bytes& out, const Bytes& data)
{
    out.insert(out.end(), data.begin(), data.end());
}

void U32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Utf16(Bytes& out, const std::string& text)
{
    for (char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
}

// Module-like head: "MZ", filler, then the resource type's name as the
// resource directory holds it.
Bytes Head(const std::string& type)
{
    Bytes out{'M', 'Z'};
    out.resize(64, 0x11);
    Utf16(out, type);
    out.resize(out.size() + 12, 0);
    return out;
}

// A string property; returns the offset of its first character.
int StringProperty(Bytes& out, const char* storedKey, const std::string& text, bool paddedLength)
{
    Append(out, std::string("MIB8") + storedKey);
    U32(out, 0);
    std::size_t data = 1 + text.size();
    std::size_t pad = (4 - data % 4) % 4;
    U32(out, static_cast<std::uint32_t>(paddedLength ? data + pad : data));
    out.push_back(static_cast<std::uint8_t>(text.size()));
    int first = static_cast<int>(out.size());
    Append(out, text);
    out.resize(out.size() + pad, 0);
    return first;
}

}  // namespace

FakePlugin MakePipl(const std::vector<PiplPlugin>& plugins)
{
    FakePlugin f;
    f.bytes = Head("PIPL");
    for (const auto& plugin : plugins) {
        f.bytes.push_back(1);
        f.bytes.push_back(0);
        U32(f.bytes, 0);
        U32(f.bytes, plugin.category.empty() ? 3 : 4);
        Append(f.bytes, "MIB8dnik");
        U32(f.bytes, 0);
        U32(f.bytes, 4);
        Append(f.bytes, "MFB8");
        Append(f.bytes, "MIB8srev");
        U32(f.bytes, 0);
        U32(f.bytes, 4);
        U32(f.bytes, 0x00040000);
        f.nameOffsets.push_back(StringProperty(f.bytes, "eman", plugin.name, plugin.paddedLength));
        f.categoryOffsets.push_back(
            plugin.category.empty() ? 0 : StringProperty(f.bytes, "gtac", plugin.category, plugin.paddedLength));
    }
    f.bytes.resize(f.bytes.size() + 32, 0xEE);
    return f;
}

FakePlugin MakePimi(const std::string& name, const std::string& category, const Bytes& tail)
{
    FakePlugin f;
    f.bytes = Head("PIMI");
    f.bytes.push_back(3);
    f.bytes.push_back(0);
    f.categoryOffsets.push_back(static_cast<int>(f.bytes.size()));
    Append(f.bytes, category);
    f.bytes.push_back(0);
    Append(f.bytes, tail);
    f.bytes.resize(f.bytes.size() + 8, 0xCC);
    f.bytes.push_back(3);
    f.bytes.push_back(0);
    f.nameOffsets.push_back(static_cast<int>(f.bytes.size()));
    Append(f.bytes, name);
    f.bytes.push_back(0);
    f.bytes.resize(f.bytes.size() + 32, 0xEE);
    return f;
}

CPluginEntry PiplEntry(const std::filesystem::path& path, const FakePlugin& file,
                       const std::vector<PiplPlugin>& plugins, std::size_t i)
{
    CPluginEntry e;
    e.m_path = path.string();
    e.m_kind = kKindFilter;
    e.m_resourceType = kResourcePiPL;
    e.m_indexInFile = static_cast<int>(i);
    e.m_name = plugins[i].name;
    e.m_category = plugins[i].category;
    e.m_nameCapacity = static_cast<int>(plugins[i].name.size());
    e.m_categoryCapacity = static_cast<int>(plugins[i].category.size());
    e.m_nameOffset = file.nameOffsets[i];
    e.m_categoryOffset = file.categoryOffsets[i];
    e.m_noCategory = plugins[i].category.empty() ? 1 : 0;
    return e;
}

CPluginEntry PimiEntry(const std::filesystem::path& path, const FakePlugin& file, const std::string& name,
                       const std::string& category)
{
    CPluginEntry e;
    e.m_path = path.string();
    e.m_kind = kKindFilter;
    e.m_resourceType = kResourcePiMI;
    e.m_name = name;
    e.m_category = category;
    e.m_nameCapacity = static_cast<int>(name.size());
    e.m_categoryCapacity = static_cast<int>(category.size());
    e.m_nameOffset = file.nameOffsets[0];
    e.m_categoryOffset = file.categoryOffsets[0];
    return e;
}

Bytes Patched(Bytes bytes, std::size_t offset, const std::string& text)
{
    return Patched(std::move(bytes), offset, Bytes(text.begin(), text.end()));
}

Bytes Patched(Bytes bytes, std::size_t offset, const Bytes& data)
{
    if (bytes.size() < offset + data.size())
        bytes.resize(offset + data.size(), 0);
    std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

Bytes SampleTail(int seed)
{
    Bytes tail;
    for (int i = 0; i < 16; ++i)
        tail.push_back(static_cast<std::uint8_t>((seed * 7 + i * 13) & 0xFF));
    return tail;
}

}  // namespace vardel::test
