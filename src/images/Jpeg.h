#pragma once
// Reading and writing JPEG files through the JPEG library (libjpeg-turbo,
// the IJG release 6 interface). Decoding yields a 24-bit bitmap (8-bit with a
// grey colour table for a grayscale JPEG); encoding uses the library's
// defaults at quality 75.

#include <filesystem>
#include <string>

namespace vardel {

class COXDIB;

// Decodes a JPEG file into bitmap (fast integer DCT, no fancy upsampling).
// A file cut short still decodes: the missing end counts as end of image.
// False, with bitmap unchanged, for anything the library or the size checks
// reject; never ends the process.
bool LoadJpeg(const std::filesystem::path& fileName, COXDIB& bitmap);

// Encodes bitmap (24 bits, or 8 bits with a colour table) into a JPEG file,
// created or truncated. False when the bitmap cannot be encoded (nothing is
// written then) or the file cannot be written (a partial file that did not
// exist before the call is removed).
bool SaveJpeg(const std::filesystem::path& fileName, const COXDIB& bitmap);

// The steps behind LoadJpeg and SaveJpeg: they throw COXJPEGException on any
// error and return 0, or 2 when the library issued warnings, which are
// appended to warnings, each followed by a line break.
int DecompressJpeg(const std::filesystem::path& fileName, COXDIB& bitmap, std::string& warnings);
int CompressJpeg(const std::filesystem::path& fileName, const COXDIB& bitmap, std::string& warnings);

}  // namespace vardel
