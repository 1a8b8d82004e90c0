#include "pe/PatternSearch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ios>
#include <memory>

namespace vardel {

namespace {

constexpr std::size_t kBlockSize = 65535;

// How common a byte is in executable files: zero padding first, then 0xFF
// and blanks. The in-memory search looks for the pattern's least common byte.
int Commonness(std::uint8_t b)
{
    return b == 0x00 ? 3 : b == 0xFF ? 2 : b == 0x20 ? 1 : 0;
}

}  // namespace

std::uint64_t SearchFile(std::istream& file, std::uint64_t start, const std::vector<std::uint8_t>& pattern)
{
    const std::size_t m = pattern.size();
    if (m == 0 || m > kBlockSize)
        return 0;

    // Horspool's skip table: the distance from the last occurrence of a byte
    // to the pattern's end; bytes not in the pattern skip the whole pattern.
    std::array<std::size_t, 256> skip;
    skip.fill(m);
    for (std::size_t j = 0; j < m; ++j)
        skip[pattern[j]] = m - j - 1;

    // One window per thread, reused: a scan searches every file several times.
    // Not value-initialised: only the bytes read are looked at.
    thread_local std::unique_ptr<std::uint8_t[]> window(new std::uint8_t[kBlockSize]);
    std::uint8_t* const block = window.get();
    std::uint64_t blockStart = start;
    for (;;) {
        file.clear();
        file.seekg(static_cast<std::streamoff>(blockStart));
        if (file.fail())
            return 0;  // start beyond what the stream can seek to
        file.read(reinterpret_cast<char*>(block), static_cast<std::streamsize>(kBlockSize));
        if (file.bad())
            throw std::ios_base::failure("read error during pattern search");
        const std::size_t n = static_cast<std::size_t>(file.gcount());
        if (n < m)
            break;

        // i is the block index compared with pattern position j; on a
        // mismatch the pattern moves so that its last occurrence of the
        // mismatched byte lies under i, but always by at least one position.
        std::size_t i = m - 1;
        std::size_t j = m - 1;
        while (i < n) {
            if (block[i] == pattern[j]) {
                if (j == 0) {
                    std::uint64_t found = blockStart + i;
                    file.clear();
                    file.seekg(static_cast<std::streamoff>(found));
                    return found;
                }
                --i;
                --j;
                continue;
            }
            i += std::max(skip[block[i]], m - j);
            j = m - 1;
        }
        if (n < kBlockSize)
            break;
        // Continue m - 1 bytes before the end so that a match straddling the
        // two blocks is found.
        blockStart += kBlockSize - (m - 1);
    }
    file.clear();
    return 0;
}

// The windows of the stream search overlap by m - 1 bytes, so every
// occurrence lies whole inside some window and the first window holding one
// reports the first occurrence: the result is simply the first occurrence in
// the whole file. Over memory it is found without windows: memchr finds the
// candidates by the pattern's least common byte, memcmp confirms them.
std::uint64_t SearchFile(std::span<const std::uint8_t> file, std::uint64_t start,
                         const std::vector<std::uint8_t>& pattern)
{
    const std::size_t m = pattern.size();
    const std::size_t n = file.size();
    if (m == 0 || m > kBlockSize || start >= n || n - start < m)
        return 0;
    std::size_t key = 0;
    for (std::size_t j = 1; j < m; ++j)
        if (Commonness(pattern[j]) < Commonness(pattern[key]))
            key = j;
    const std::uint8_t* const data = file.data();
    const std::uint8_t keyByte = pattern[key];
    // Candidates are the match starts s with start <= s <= n - m; the key
    // byte of such a match stands at s + key.
    std::size_t at = static_cast<std::size_t>(start) + key;
    const std::size_t last = n - m + key;  // the key position of the last candidate
    while (at <= last) {
        const void* hit = std::memchr(data + at, keyByte, last - at + 1);
        if (!hit)
            return 0;
        at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
        const std::size_t s = at - key;
        if (std::memcmp(data + s, pattern.data(), m) == 0)
            return s;
        ++at;
    }
    return 0;
}

std::uint64_t SearchFileWithin(std::istream& file, std::uint64_t start, std::uint64_t end,
                               const std::vector<std::uint8_t>& pattern)
{
    if (start >= end || end - start < pattern.size())
        return 0;
    // The first occurrence after start decides: a later one ends later still.
    const std::uint64_t found = SearchFile(file, start, pattern);
    return found != 0 && found <= end - pattern.size() ? found : 0;
}

std::uint64_t SearchFileWithin(std::span<const std::uint8_t> file, std::uint64_t start, std::uint64_t end,
                               const std::vector<std::uint8_t>& pattern)
{
    if (end < file.size())
        file = file.first(static_cast<std::size_t>(end));
    return SearchFile(file, start, pattern);
}

}  // namespace vardel
