#pragma once
// A fast 64-bit hash of a file's content (XXH64, seed 0), for telling files
// with the same bytes apart from the rest. Not a cryptographic hash: equal
// hashes of equal sizes are taken as equal content, which for the files of
// one collection is safe by a wide margin.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stop_token>

namespace vardel {

class ContentHash {
public:
    ContentHash();

    // Adds the next bytes.
    void Update(std::span<const std::uint8_t> bytes);
    // The hash of everything added so far; more may be added afterwards.
    std::uint64_t Digest() const;

    // The hash of one buffer.
    static std::uint64_t Of(std::span<const std::uint8_t> bytes);

private:
    void Stripe(const std::uint8_t* p);

    std::uint64_t m_lanes[4];
    std::uint8_t m_buffer[32];
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;
};

// The hash of the regular file at path, read in blocks. Nothing when it
// cannot be opened as a regular file (a FIFO is never waited on), a read
// fails, or stop is requested meanwhile.
std::optional<std::uint64_t> HashFileContent(const std::filesystem::path& path, std::stop_token stop = {});

}  // namespace vardel
