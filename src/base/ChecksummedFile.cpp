#include "base/ChecksummedFile.h"

#include "base/FileOps.h"

#include <cstring>

namespace vardel {

namespace {

constexpr std::size_t kMagic = 4;
constexpr std::size_t kSum = 8;

}  // namespace

std::uint64_t Checksum64(std::span<const std::uint8_t> bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) {
        hash ^= b;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

ChecksummedLoad LoadChecksummedFile(const std::filesystem::path& file, const char (&magic)[5], std::uintmax_t maxSize)
{
    ChecksummedLoad load;
    std::vector<std::uint8_t> data;
    if (std::error_code ec = ReadWholeFile(file, data, maxSize)) {
        load.status = IsMissingFileError(ec) ? ChecksummedLoad::Status::Missing : ChecksummedLoad::Status::Unreadable;
        load.error = ec.message();
        return load;
    }
    load.status = ChecksummedLoad::Status::Damaged;
    if (data.size() < kMagic + kSum || std::memcmp(data.data(), magic, kMagic) != 0) {
        load.error = "not a whole file of its kind";
        return load;
    }
    const std::size_t end = data.size() - kSum;
    std::uint64_t stored = 0;
    for (std::size_t i = 0; i < kSum; ++i)
        stored |= static_cast<std::uint64_t>(data[end + i]) << (8 * i);
    if (Checksum64(std::span(data).first(end)) != stored) {
        load.error = "its checksum does not match (cut short or overwritten)";
        return load;
    }
    load.status = ChecksummedLoad::Status::Loaded;
    load.body.assign(data.begin() + kMagic, data.begin() + static_cast<std::ptrdiff_t>(end));
    return load;
}

std::error_code SaveChecksummedFile(const std::filesystem::path& file, const char (&magic)[5],
                                    std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> data(magic, magic + kMagic);
    data.insert(data.end(), body.begin(), body.end());
    const std::uint64_t sum = Checksum64(data);
    for (std::size_t i = 0; i < kSum; ++i)
        data.push_back(static_cast<std::uint8_t>(sum >> (8 * i)));
    return WriteFileAtomically(file, data);
}

}  // namespace vardel
