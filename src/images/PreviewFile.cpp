#include "images/PreviewFile.h"

#include "images/Jpeg.h"

#include <array>
#include <cstring>
#include <fstream>
#include <string>

namespace vardel {

int PreviewFileTypeOf(const std::filesystem::path& fileName)
{
    std::string ext = fileName.extension().string();
    if (!ext.empty())
        ext.erase(0, 1);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return ext == "JPG" || ext == "JPEG" || ext == "JPE" ? kPreviewJpeg : kPreviewBmp;
}

COXDIB::Size FitPreviewSize(int width, int height, int maxWidth, int maxHeight)
{
    if (width < 1 || height < 1 || maxWidth < 1 || maxHeight < 1)
        return {width, height};
    // Repeated addition on purpose: the stored sizes depend on its rounding
    // (640 x 480 is stored as 319 x 239, not 320 x 240).
    double divisor = 1.0;
    int w = width;
    int h = height;
    while (w > maxWidth || h > maxHeight) {
        divisor += 0.01;
        w = static_cast<int>(width / divisor);
        h = static_cast<int>(height / divisor);
    }
    return {w, h};
}

bool MakeFittedCopy(const COXDIB& source, COXDIB& fitted, int maxWidth, int maxHeight)
{
    if (source.GetBitCount() != 24)
        return false;
    const COXDIB::Size size = source.GetSize();
    const COXDIB::Size fit = FitPreviewSize(size.cx, size.cy, maxWidth, maxHeight);
    COXDIB copy;
    // A picture thinner than one pixel after scaling keeps one pixel.
    if (!copy.Create(24, fit.cx < 1 ? 1 : fit.cx, fit.cy < 1 ? 1 : fit.cy) || !copy.ResampleFrom(source))
        return false;
    fitted = std::move(copy);
    return true;
}

bool LoadPreviewFile(const std::filesystem::path& fileName, int type, COXDIB& bitmap,
                     const std::filesystem::path& tempFile)
{
    COXDIB picture;
    const bool read = type == kPreviewJpeg ? LoadJpeg(fileName, picture) : picture.Read(fileName);
    if (!read || picture.GetBitCount() != 24)
        return false;
    if (!tempFile.empty()) {
        COXDIB fitted;
        if (!MakeFittedCopy(picture, fitted) || !fitted.Write(tempFile))
            return false;
    }
    bitmap = std::move(picture);
    return true;
}

PictureLoadResult LoadPicture(const std::filesystem::path& fileName, COXDIB& bitmap)
{
    PictureLoadResult result;
    // Only a regular file is opened: a pipe or device would never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec))
        return result;
    std::array<char, 12> head{};
    {
        std::ifstream in(fileName, std::ios::binary);
        if (!in.read(head.data(), head.size()) && in.gcount() < 2)
            return result;
    }
    const auto starts = [&head](const char* magic, std::size_t at = 0) {
        return std::memcmp(head.data() + at, magic, std::strlen(magic)) == 0;
    };
    const bool jpeg = static_cast<unsigned char>(head[0]) == 0xFF && static_cast<unsigned char>(head[1]) == 0xD8;
    if (!jpeg && !starts("BM")) {
        if (starts("\x89PNG"))
            result.format = "PNG";
        else if (starts("GIF8"))
            result.format = "GIF";
        else if (starts("II*") || (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == '*'))
            result.format = "TIFF";
        else if (starts("RIFF") && starts("WEBP", 8))
            result.format = "WebP";
        else
            return result;  // no picture we know: unreadable as one
        result.status = PictureLoad::NotBmpOrJpeg;
        return result;
    }
    COXDIB picture;
    if (!(jpeg ? LoadJpeg(fileName, picture) : picture.Read(fileName)))
        return result;
    if (picture.GetBitCount() != 24) {
        result.status = PictureLoad::NotTrueColour;
        result.bitCount = picture.GetBitCount();
        return result;
    }
    bitmap = std::move(picture);
    result.status = PictureLoad::Loaded;
    return result;
}

bool SavePreviewFile(const std::filesystem::path& fileName, int type, const COXDIB& bitmap)
{
    return type == kPreviewJpeg ? SaveJpeg(fileName, bitmap) : bitmap.Write(fileName);
}

}  // namespace vardel
