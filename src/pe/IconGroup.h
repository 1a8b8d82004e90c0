#pragma once
// A module's icons as the shell shows them: each icon group resource
// ("#14") names the images ("#3" resources) of one icon in several sizes.
// The group is hostile input like the rest of the file; it is parsed by the
// bounds-checked reader, and its images are put together as an .ico file
// in memory for whatever draws them.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vardel {

struct IconGroupEntry {
    // width, height, colours, reserved, planes (2 bytes), bits (2 bytes), as stored
    std::array<std::uint8_t, 8> head{};
    std::uint16_t id = 0;  // the "#3" resource holding the image
};

// The entries of an icon group resource: a 6-byte header (reserved, type,
// count) and count entries of 14 bytes. Nothing when the data is too short
// for the count it gives, or the count is 0.
std::optional<std::vector<IconGroupEntry>> ParseIconGroup(std::span<const std::uint8_t> group);

struct IconImage {
    std::array<std::uint8_t, 8> head{};
    std::vector<std::uint8_t> data;
};

// The bytes of an .ico file holding the images, in their order; empty when
// there are none.
std::vector<std::uint8_t> IcoFile(const std::vector<IconImage>& images);

// Icon number index of a module (.exe, .dll): its index-th icon group, as
// the resource directory lists them, as an .ico file. Empty when the file is
// not a module, has no such icon, the group is damaged or its images are
// larger than kMaxIconBytes together. Nothing of the module is run.
std::vector<std::uint8_t> ModuleIconFile(const std::string& path, int index);

// More than this is no icon any program ships.
inline constexpr std::uint64_t kMaxIconBytes = 16u << 20;

}  // namespace vardel
