#include "ui/common/Convert.h"

#include "base/CodePage.h"
#include "base/FileOps.h"
#include "images/DIB.h"

#include <cstring>

namespace vardel::ui {

QString fromCodePage(const std::string& text)
{
    const std::u16string wide = codePageToUtf16(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string toCodePage(const QString& text)
{
    return utf16ToCodePage(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

QString fromStoredPath(const std::string& path)
{
    return QString::fromStdString(PathForDisplay(path));
}

std::string toStoredPath(const QString& path)
{
    return StoredPath(std::filesystem::path(path.toStdU16String()));
}

QImage toQImage(const COXDIB& bitmap)
{
    const int bits = bitmap.GetBitCount();
    const int width = bitmap.GetWidth();
    const int height = bitmap.GetHeight();
    if (bits == 0 || width <= 0 || height <= 0)
        return {};
    const std::uint8_t* pixels = bitmap.GetBits();
    const int stride = bitmap.GetStride();
    if (bits == 24 || bits == 32) {
        const int bytes = bits / 8;
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            // Rows are stored bottom-up, channels blue, green, red.
            const std::uint8_t* src = pixels + static_cast<std::ptrdiff_t>(height - 1 - y) * stride;
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x, src += bytes)
                dst[x] = qRgb(src[2], src[1], src[0]);
        }
        return image;
    }
    if (bits == 1 || bits == 4 || bits == 8) {
        // Let the bitmap's own BMP form carry the colour table to Qt.
        const std::vector<std::uint8_t> packed = bitmap.MakePackedCopy();
        if (packed.size() < 40)
            return {};
        QByteArray file("BM", 2);
        const quint32 fileSize = static_cast<quint32>(14 + packed.size());
        const quint32 offset = static_cast<quint32>(14 + bitmap.GetBitsOffset());
        char header[12] = {};
        std::memcpy(header, &fileSize, 4);
        std::memcpy(header + 8, &offset, 4);
        file.append(header, 12);
        file.append(reinterpret_cast<const char*>(packed.data()), static_cast<qsizetype>(packed.size()));
        QImage image;
        image.loadFromData(file, "BMP");
        return image.convertToFormat(QImage::Format_RGB32);
    }
    return {};
}

bool toDIB(const QImage& image, COXDIB& bitmap)
{
    if (image.isNull())
        return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    COXDIB made;
    if (!made.Create(24, width, height))
        return false;
    std::uint8_t* pixels = made.GetBits();
    const int stride = made.GetStride();
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* dst = pixels + static_cast<std::ptrdiff_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x, dst += 3) {
            dst[0] = static_cast<std::uint8_t>(qBlue(src[x]));
            dst[1] = static_cast<std::uint8_t>(qGreen(src[x]));
            dst[2] = static_cast<std::uint8_t>(qRed(src[x]));
        }
    }
    bitmap = std::move(made);
    return true;
}

std::vector<std::uint8_t> toPackedDIB(const QImage& image)
{
    COXDIB bitmap;
    if (!toDIB(image, bitmap))
        return {};
    return bitmap.MakePackedCopy();
}

}  // namespace vardel::ui
