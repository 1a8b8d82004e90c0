#pragma once
// The one bounds-checked reader for hostile binary input (PE files, store
// archives, bitmaps). Every read checks the remaining bytes first, with
// arithmetic that cannot overflow, and throws ReadError when it would run
// past the end; nothing is read or allocated on a failed check.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vardel {

struct ReadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data)
        : m_data(data)
    {}

    std::size_t Size() const { return m_data.size(); }
    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_data.size() - m_pos; }
    bool AtEnd() const { return m_pos == m_data.size(); }

    // True when [offset, offset + count) lies inside the data.
    bool Contains(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= m_data.size() && count <= m_data.size() - offset;
    }

    void Seek(std::uint64_t position)
    {
        if (position > m_data.size())
            throw ReadError("seek past the end of the data");
        m_pos = static_cast<std::size_t>(position);
    }
    void Skip(std::uint64_t count)
    {
        Require(count);
        m_pos += static_cast<std::size_t>(count);
    }

    std::uint8_t U8()
    {
        Require(1);
        return m_data[m_pos++];
    }
    std::uint16_t U16()
    {
        Require(2);
        std::uint16_t v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    std::uint32_t U32()
    {
        Require(4);
        std::uint32_t v = static_cast<std::uint32_t>(m_data[m_pos]) |
                          (static_cast<std::uint32_t>(m_data[m_pos + 1]) << 8) |
                          (static_cast<std::uint32_t>(m_data[m_pos + 2]) << 16) |
                          (static_cast<std::uint32_t>(m_data[m_pos + 3]) << 24);
        m_pos += 4;
        return v;
    }
    std::uint64_t U64()
    {
        std::uint64_t lo = U32();
        std::uint64_t hi = U32();
        return lo | (hi << 32);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

    // A view of the next count bytes; the reader moves past them.
    std::span<const std::uint8_t> Bytes(std::uint64_t count)
    {
        Require(count);
        auto view = m_data.subspan(m_pos, static_cast<std::size_t>(count));
        m_pos += static_cast<std::size_t>(count);
        return view;
    }
    std::string String(std::uint64_t count)
    {
        auto view = Bytes(count);
        return std::string(view.begin(), view.end());
    }

    // A reader over a sub-range, checked against this one.
    ByteReader Sub(std::uint64_t offset, std::uint64_t count) const
    {
        if (!Contains(offset, count))
            throw ReadError("range outside the data");
        return ByteReader(m_data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count)));
    }

    // Restores the reader's position when it goes out of scope.
    class PositionGuard {
    public:
        explicit PositionGuard(ByteReader& r)
            : m_reader(r)
            , m_saved(r.m_pos)
        {}
        ~PositionGuard() { m_reader.m_pos = m_saved; }
        PositionGuard(const PositionGuard&) = delete;
        PositionGuard& operator=(const PositionGuard&) = delete;

    private:
        ByteReader& m_reader;
        std::size_t m_saved;
    };

private:
    void Require(std::uint64_t count) const
    {
        if (count > m_data.size() - m_pos)
            throw ReadError("unexpected end of data");
    }

    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
};

}  // namespace vardel
