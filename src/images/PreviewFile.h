#pragma once
// The preview window's file operations, without the window: fitting a
// picture into the preview area, loading a JPEG or BMP file as the window's
// picture (with the fitted copy written to the window's temporary file) and
// saving the displayed picture.

#include "images/DIB.h"

#include <filesystem>
#include <string>

namespace vardel {

// File types of the preview window's load and save.
enum PreviewFileType : int {
    kPreviewJpeg = 1,
    kPreviewBmp = 2,
};

inline constexpr int kPreviewMaxWidth = 320;
inline constexpr int kPreviewMaxHeight = 250;
// The window's temporary file, in the current directory.
inline constexpr const char* kPreviewTempFile = "~VD2PRVW.TMP";

// The type for a file name: JPEG for the extensions JPG, JPEG and JPE in any
// case, BMP for anything else.
int PreviewFileTypeOf(const std::filesystem::path& fileName);

// The size a width x height picture is stored at: the divisor grows from 1.0
// in steps of 0.01 (added up in double precision, so it overshoots slightly)
// until the truncated size fits maxWidth x maxHeight. A picture that fits
// keeps its size; sizes below 1 are returned unchanged.
COXDIB::Size FitPreviewSize(int width, int height, int maxWidth = kPreviewMaxWidth, int maxHeight = kPreviewMaxHeight);

// A 24-bit copy of source fitted by FitPreviewSize and filled by bilinear
// resampling. False (fitted unchanged) when source is not 24-bit or the
// copy cannot be made.
bool MakeFittedCopy(const COXDIB& source, COXDIB& fitted, int maxWidth = kPreviewMaxWidth,
                    int maxHeight = kPreviewMaxHeight);

// Reads fileName (kPreviewJpeg or kPreviewBmp). Only a 24-bit picture is
// taken: its fitted copy is written as a BMP file to tempFile (none when
// tempFile is empty: a window that scales the picture itself needs none),
// the picture goes to bitmap and the result is true. False, bitmap
// unchanged, for an unreadable file, another depth or a failed write of
// tempFile.
bool LoadPreviewFile(const std::filesystem::path& fileName, int type, COXDIB& bitmap,
                     const std::filesystem::path& tempFile = kPreviewTempFile);

// How reading a picture went.
enum class PictureLoad {
    Loaded,         // a 24-bit picture
    Unreadable,     // missing, not a regular file, or damaged
    NotBmpOrJpeg,   // a picture of a type that is not read (format names it when known)
    NotTrueColour,  // a BMP or JPEG of another depth (bitCount)
};

struct PictureLoadResult {
    PictureLoad status = PictureLoad::Unreadable;
    std::string format;  // "PNG", "GIF", "TIFF", "WebP" for NotBmpOrJpeg; "" when not known
    int bitCount = 0;    // for NotTrueColour
};

// Reads a BMP or JPEG file, told apart by its first bytes whatever its
// extension, as a 24-bit picture (a sample of the live preview). bitmap is
// changed only when the result is Loaded.
PictureLoadResult LoadPicture(const std::filesystem::path& fileName, COXDIB& bitmap);

// Writes bitmap as JPEG (kPreviewJpeg) or BMP (any other type). False when
// the write fails.
bool SavePreviewFile(const std::filesystem::path& fileName, int type, const COXDIB& bitmap);

}  // namespace vardel
