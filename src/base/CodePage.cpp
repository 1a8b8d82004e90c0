#include "base/CodePage.h"

#include <array>

namespace vardel {
namespace {

// Unicode values of the bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t toUnicode(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0)
        return kHigh[c - 0x80];
    return c;
}

char fromUnicode(char32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

void appendUtf8(std::string& out, char32_t u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

}  // namespace

std::string utf16ToCodePage(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;  // a character outside the basic plane is never in the code page
            out += '?';
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?';
        } else {
            out += fromUnicode(c);
        }
    }
    return out;
}

std::string codePageToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text)
        appendUtf8(out, toUnicode(c));
    return out;
}

std::u16string codePageToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (unsigned char c : text)
        out += toUnicode(c);
    return out;
}

std::string utf8ToCodePage(std::string_view text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t u = 0;
        std::size_t len = 0;
        if (c < 0x80) {
            u = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            u = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            u = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            u = c & 0x07;
            len = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        if (i + len > text.size()) {
            out += '?';
            break;
        }
        bool ok = true;
        for (std::size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            u = (u << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += len == 4 ? '?' : fromUnicode(u);
        i += len;
    }
    return out;
}

}  // namespace vardel
