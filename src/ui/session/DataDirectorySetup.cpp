#include "ui/session/DataDirectorySetup.h"

#include "base/FileOps.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "ui/common/Convert.h"
#include "app/Application.h"
#include "app/Stores.h"
#include "images/PreviewImageManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

namespace vardel::ui {

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Inside an ellipse centred at (cx, cy): <= 1.
double Ellipse(double x, double y, double cx, double cy, double rx, double ry)
{
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy;
}

// The colour of the sample portrait at (x, y), y from the top: a warm
// backdrop, shoulders, a face with hair, eyes and a smile. Colourful, with
// soft gradients, so a filter's effect shows everywhere.
Rgb PortraitPixel(int xi, int yi)
{
    const double x = xi, y = yi;
    Rgb c = Mix({40, 90, 200}, {230, 120, 60}, (x + y) / 560.0);       // backdrop
    c = Mix(c, {250, 220, 90}, 1.0 - Ellipse(x, y, 250, 50, 90, 70));  // a sun-like glow
    if (Ellipse(x, y, 160, 260, 120, 75) <= 1.0)                       // shoulders
        c = Mix({30, 120, 90}, {20, 60, 50}, (y - 190) / 60.0);
    if (x > 140 && x < 180 && y > 150 && y < 200)  // neck
        c = {220, 170, 140};
    if (Ellipse(x, y, 160, 105, 62, 78) <= 1.0) {  // hair behind the face
        c = Mix({90, 50, 30}, {40, 20, 10}, y / 180.0);
    }
    const double face = Ellipse(x, y, 160, 118, 48, 62);
    if (face <= 1.0) {
        c = Mix({245, 205, 170}, {215, 160, 125}, face);      // shaded skin
        if (Ellipse(x, y, 160, 62, 52, 24) <= 1.0 && y < 70)  // fringe
            c = {70, 38, 20};
        for (const double ex : {141.0, 179.0}) {
            if (Ellipse(x, y, ex, 110, 9, 5) <= 1.0)
                c = {255, 255, 255};
            if (Ellipse(x, y, ex, 110, 4, 4) <= 1.0)
                c = {40, 100, 170};
            if (Ellipse(x, y, ex, 110, 1.6, 1.6) <= 1.0)
                c = {10, 10, 10};
        }
        for (const double cx : {132.0, 188.0})
            c = Mix(c, {240, 120, 120}, 0.5 * (1.0 - Ellipse(x, y, cx, 135, 11, 7)));  // cheeks
        const double mouth = Ellipse(x, y, 160, 140, 17, 11);
        if (mouth <= 1.0 && mouth >= 0.55 && y > 141)
            c = {180, 50, 60};
        if (std::abs(x - 160) < 3 && y > 112 && y < 130)
            c = Mix(c, {190, 130, 100}, 0.6);  // nose
    }
    return c;
}

}  // namespace

bool prepareDataDirectory(const QString& directory)
{
    QDir dir(directory);
    for (const char* sub : {kSetupDbName, kImagesDbName, kSampleDirName})
        if (!dir.mkpath(QString::fromLatin1(sub)))
            return false;
    // Each picture is made only where nothing is, and never through a link
    // (a dangling one would have it written wherever it points).
    const DataDirectory layout{std::filesystem::path(directory.toStdU16String())};
    auto make = [](const std::filesystem::path& file, const std::function<bool(const QString&)>& write) {
        CreateFileIfAbsent(file, [&write](const std::filesystem::path& temp) {
            return write(QString::fromStdU16String(temp.u16string()));
        });
    };
    // A missing sample only leaves the preview without a picture.
    make(layout.SampleDir() / kDefaultPreviewImage, [](const QString& file) { return writeSamplePortrait(file); });
    // The pictures a preview area shows before the first selection and for a
    // plug-in without images; without them it would stay black.
    make(layout.ImagesDb() / CPreviewImageManager::kEmptyImageName, [](const QString& file) {
        return writePlaceholderPicture(file, QCoreApplication::translate("DataDirectory", "No preview image"));
    });
    make(layout.StartupImage(), [](const QString& file) {
        return writePlaceholderPicture(file, QCoreApplication::translate("DataDirectory", "Select a plug-in"));
    });
    return true;
}

bool writePlaceholderPicture(const QString& file, const QString& text)
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(0x30, 0x30, 0x30));
    {
        QPainter painter(&image);
        painter.setPen(QColor(0xB0, 0xB0, 0xB0));
        QFont font = painter.font();
        font.setPixelSize(18);
        painter.setFont(font);
        painter.drawRect(image.rect().adjusted(8, 8, -9, -9));
        painter.drawText(image.rect(), Qt::AlignCenter, text);
    }
    COXDIB dib;
    return toDIB(image, dib) && SaveJpeg(std::filesystem::path(file.toStdU16String()), dib);
}

bool isDataDirectoryWritable(const QString& directory)
{
    const DataDirectory layout{std::filesystem::path(directory.toStdU16String())};
    QTemporaryFile probe(QString::fromStdU16String((layout.SetupDb() / "~probe_XXXXXX").u16string()));
    return probe.open();
}

bool writeSamplePortrait(const QString& file)
{
    constexpr int kWidth = 320, kHeight = 240;
    COXDIB dib;
    if (!dib.Create(24, kWidth, kHeight))
        return false;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = dib.GetRow(kHeight - 1 - y);  // rows are stored bottom-up
        if (!row)
            return false;
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = PortraitPixel(x, y);
            row[3 * x + 0] = static_cast<std::uint8_t>(std::clamp(c.b, 0.0, 255.0));
            row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(c.g, 0.0, 255.0));
            row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(c.r, 0.0, 255.0));
        }
    }
    return dib.Write(std::filesystem::path(file.toStdU16String()));
}

}  // namespace vardel::ui
