#pragma once
// Byte-pattern search over a file's raw bytes (Boyer-Moore-Horspool in
// 65535-byte windows), used to map resource texts back to file offsets.

#include <cstdint>
#include <istream>
#include <span>
#include <vector>

namespace vardel {

// File offset of the first occurrence of the pattern at or after start, or 0
// when there is none. Patterns of 0 or more than 65535 bytes are not
// searched. Leaves the stream at the match. Read errors are raised as
// std::ios_base::failure.
std::uint64_t SearchFile(std::istream& file, std::uint64_t start, const std::vector<std::uint8_t>& pattern);

// The same search over a file's bytes already in memory: returns exactly what
// the stream search returns for a stream holding these bytes (the first
// occurrence at or after start, 0 when there is none or the pattern has 0 or
// more than 65535 bytes). Never fails.
std::uint64_t SearchFile(std::span<const std::uint8_t> file, std::uint64_t start,
                         const std::vector<std::uint8_t>& pattern);

// The same searches bounded to the bytes [start, end): the first occurrence
// that lies wholly before end, or 0. The stream search may read past end.
std::uint64_t SearchFileWithin(std::istream& file, std::uint64_t start, std::uint64_t end,
                               const std::vector<std::uint8_t>& pattern);
std::uint64_t SearchFileWithin(std::span<const std::uint8_t> file, std::uint64_t start, std::uint64_t end,
                               const std::vector<std::uint8_t>& pattern);

}  // namespace vardel
