#include "base/ContentHash.h"

#include "base/FileOps.h"

#include <cerrno>
#include <cstring>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vardel {
namespace {

constexpr std::uint64_t kP1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kP2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kP3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kP4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kP5 = 0x27D4EB2F165667C5ull;

std::uint64_t rotl(std::uint64_t v, int r)
{
    return (v << r) | (v >> (64 - r));
}

// Little-endian whatever the machine, so stored hashes stay valid.
std::uint64_t read64(const std::uint8_t* p)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

std::uint32_t read32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t xxRound(std::uint64_t acc, std::uint64_t input)
{
    acc += input * kP2;
    return rotl(acc, 31) * kP1;
}

std::uint64_t merge(std::uint64_t acc, std::uint64_t lane)
{
    acc ^= xxRound(0, lane);
    return acc * kP1 + kP4;
}

constexpr std::size_t kBlock = 64 * 1024;

}  // namespace

ContentHash::ContentHash()
    : m_lanes{kP1 + kP2, kP2, 0, 0 - kP1}
{}

void ContentHash::Stripe(const std::uint8_t* p)
{
    for (int i = 0; i < 4; ++i)
        m_lanes[i] = xxRound(m_lanes[i], read64(p + 8 * i));
}

void ContentHash::Update(std::span<const std::uint8_t> bytes)
{
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    m_length += n;
    if (m_buffered > 0) {
        const std::size_t take = std::min(n, sizeof m_buffer - m_buffered);
        std::memcpy(m_buffer + m_buffered, p, take);
        m_buffered += take;
        p += take;
        n -= take;
        if (m_buffered < sizeof m_buffer)
            return;
        Stripe(m_buffer);
        m_buffered = 0;
    }
    for (; n >= 32; p += 32, n -= 32)
        Stripe(p);
    if (n > 0) {
        std::memcpy(m_buffer, p, n);
        m_buffered = n;
    }
}

std::uint64_t ContentHash::Digest() const
{
    std::uint64_t h;
    if (m_length >= 32) {
        h = rotl(m_lanes[0], 1) + rotl(m_lanes[1], 7) + rotl(m_lanes[2], 12) + rotl(m_lanes[3], 18);
        for (std::uint64_t lane : m_lanes)
            h = merge(h, lane);
    } else {
        h = kP5;
    }
    h += m_length;
    const std::uint8_t* p = m_buffer;
    std::size_t n = m_buffered;
    for (; n >= 8; p += 8, n -= 8)
        h = rotl(h ^ xxRound(0, read64(p)), 27) * kP1 + kP4;
    if (n >= 4) {
        h = rotl(h ^ (static_cast<std::uint64_t>(read32(p)) * kP1), 23) * kP2 + kP3;
        p += 4;
        n -= 4;
    }
    for (; n > 0; ++p, --n)
        h = rotl(h ^ (*p * kP5), 11) * kP1;
    h ^= h >> 33;
    h *= kP2;
    h ^= h >> 29;
    h *= kP3;
    h ^= h >> 32;
    return h;
}

std::uint64_t ContentHash::Of(std::span<const std::uint8_t> bytes)
{
    ContentHash hash;
    hash.Update(bytes);
    return hash.Digest();
}

std::optional<std::uint64_t> HashFileContent(const std::filesystem::path& path, std::stop_token stop)
{
    const int fd = OpenRegularFileForReading(path);
    if (fd < 0)
        return std::nullopt;
    ContentHash hash;
    std::vector<std::uint8_t> block(kBlock);
    bool ok = true;
    for (;;) {
        if (stop.stop_requested()) {
            ok = false;
            break;
        }
#if defined(_WIN32)
        const int got = ::_read(fd, block.data(), static_cast<unsigned>(block.size()));
#else
        const ssize_t got = ::read(fd, block.data(), block.size());
#endif
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        hash.Update(std::span(block.data(), static_cast<std::size_t>(got)));
    }
    CloseFile(fd);
    if (!ok)
        return std::nullopt;
    return hash.Digest();
}

}  // namespace vardel
