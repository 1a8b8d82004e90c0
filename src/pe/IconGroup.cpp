#include "pe/IconGroup.h"

#include "base/ByteReader.h"
#include "pe/ResourceLibrary.h"

#include <algorithm>

namespace vardel {

namespace {

constexpr const char* kGroupIconType = "#14";
constexpr const char* kIconType = "#3";
constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::size_t kIcoEntrySize = 16;

void AppendU16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    AppendU16(out, v & 0xFFFF);
    AppendU16(out, v >> 16);
}

}  // namespace

std::optional<std::vector<IconGroupEntry>> ParseIconGroup(std::span<const std::uint8_t> group)
{
    try {
        ByteReader in(group);
        in.Skip(4);  // reserved, type
        const std::size_t count = in.U16();
        // The count is checked against what remains before anything is kept.
        if (count == 0 || count > in.Remaining() / kGroupEntrySize)
            return std::nullopt;
        std::vector<IconGroupEntry> entries(count);
        for (IconGroupEntry& entry : entries) {
            const auto head = in.Bytes(entry.head.size());
            std::copy(head.begin(), head.end(), entry.head.begin());
            in.Skip(4);  // the size the group claims; the image resource's own size counts
            entry.id = in.U16();
        }
        return entries;
    } catch (const ReadError&) {
        return std::nullopt;
    }
}

std::vector<std::uint8_t> IcoFile(const std::vector<IconImage>& images)
{
    std::vector<std::uint8_t> ico;
    if (images.empty())
        return ico;
    AppendU16(ico, 0);
    AppendU16(ico, 1);
    AppendU16(ico, static_cast<std::uint32_t>(images.size()));
    auto offset = static_cast<std::uint32_t>(kGroupHeaderSize + kIcoEntrySize * images.size());
    for (const IconImage& image : images) {
        ico.insert(ico.end(), image.head.begin(), image.head.end());
        AppendU32(ico, static_cast<std::uint32_t>(image.data.size()));
        AppendU32(ico, offset);
        offset += static_cast<std::uint32_t>(image.data.size());
    }
    for (const IconImage& image : images)
        ico.insert(ico.end(), image.data.begin(), image.data.end());
    return ico;
}

std::vector<std::uint8_t> ModuleIconFile(const std::string& path, int index)
{
    COXResourceLibrary library;
    std::vector<std::string> groups;
    if (index < 0 || !library.Open(path) || !library.EnumNames(kGroupIconType, groups) ||
        static_cast<std::size_t>(index) >= groups.size())
        return {};
    std::vector<std::uint8_t> group;
    if (!library.Find(kGroupIconType, groups[static_cast<std::size_t>(index)], 0, group))
        return {};
    const auto entries = ParseIconGroup(group);
    if (!entries)
        return {};
    std::vector<IconImage> images;
    std::uint64_t total = 0;
    for (const IconGroupEntry& entry : *entries) {
        IconImage image;
        image.head = entry.head;
        // An image the group names but the module lacks is left out.
        if (!library.Find(kIconType, "#" + std::to_string(entry.id), 0, image.data) || image.data.empty())
            continue;
        total += image.data.size();
        if (total > kMaxIconBytes)
            return {};
        images.push_back(std::move(image));
    }
    return IcoFile(images);
}

}  // namespace vardel
