#include "images/PreviewFile.h"

#include "images/Jpeg.h"

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
    COXDIB fitted;
    if (!MakeFittedCopy(picture, fitted) || !fitted.Write(tempFile))
        return false;
    bitmap = std::move(picture);
    return true;
}

bool SavePreviewFile(const std::filesystem::path& fileName, int type, const COXDIB& bitmap)
{
    return type == kPreviewJpeg ? SaveJpeg(fileName, bitmap) : bitmap.Write(fileName);
}

}  // namespace vardel
