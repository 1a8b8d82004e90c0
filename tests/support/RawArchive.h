#pragma once
// A tiny writer of the archive format of its own, independent of CArchive,
// for stores as earlier versions wrote them.

#include <cstdint>
#include <string>
#include <vector>

namespace vardel::test {

// The archive's primitives; Self is the writer, so that a suite's own
// methods chain with these.
template <typename Self>
struct RawArchiveBase {
    std::vector<std::uint8_t> b;

    Self& u8(int v)
    {
        b.push_back(static_cast<std::uint8_t>(v));
        return static_cast<Self&>(*this);
    }
    Self& u16(unsigned v) { return u8(v & 0xFF).u8(v >> 8 & 0xFF); }
    Self& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    // A string of up to 254 bytes, after its one-byte length.
    Self& str(const std::string& s)
    {
        u8(static_cast<int>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return static_cast<Self&>(*this);
    }
    // A new class tag: 0xFFFF, the schema and the class name.
    Self& cls(const std::string& name, unsigned schema = 1)
    {
        u16(0xFFFF).u16(schema).u16(static_cast<unsigned>(name.size()));
        b.insert(b.end(), name.begin(), name.end());
        return static_cast<Self&>(*this);
    }
};

struct RawArchive : RawArchiveBase<RawArchive> {};

}  // namespace vardel::test
