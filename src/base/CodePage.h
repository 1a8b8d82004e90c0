#pragma once
// Conversions between the 8-bit code page of stored texts (Windows-1252)
// and UTF-16 / UTF-8. This is the one place that knows the code page.

#include <string>
#include <string_view>

namespace vardel {

// Converts UTF-16 code units to Windows-1252. A character the code page
// cannot hold becomes '?', as the Windows conversion with default
// character does; unpaired surrogates count as such characters.
std::string utf16ToCodePage(std::u16string_view text);

// Converts a Windows-1252 text to UTF-8. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the
// same value, as Windows does, so every byte survives a round trip.
std::string codePageToUtf8(std::string_view text);

// Converts UTF-8 to Windows-1252; characters the code page cannot hold and
// malformed sequences become '?'.
std::string utf8ToCodePage(std::string_view text);

// Converts a Windows-1252 text to UTF-16.
std::u16string codePageToUtf16(std::string_view text);

}  // namespace vardel
