#pragma once
// What the property sheet's suites share: a data directory with "setup.db",
// "images.db" and "preview", a session over it and a catalogue read from the
// test plug-ins.

#include "images/DIB.h"
#include "images/Jpeg.h"
#include "ui/properties/PluginDetailSheet.h"
#include "SessionFixture.h"

#include <QImage>
#include <QStringList>
#include <QTabWidget>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace vardel::test {

// A data directory with "setup.db", "images.db" and "preview", a session
// over it and a catalogue read from test plug-ins.
struct TestSession : SessionFixture {
    TestSession()
        : SessionFixture(false)
    {
        std::filesystem::create_directories(dir / "preview");
        writeSample(dir / "preview" / "Portrait.bmp", 24, 200, 150);
        start();
    }
    static void writeSample(const std::filesystem::path& file, int bits, int width, int height)
    {
        COXDIB bitmap;
        QVERIFY(bitmap.Create(bits, width, height));
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = bitmap.GetRow(y);
            for (int x = 0; x < bitmap.GetStride(); ++x)
                row[x] = static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF);
        }
        QVERIFY(bitmap.Write(file));
    }
    void addImages(const CPluginEntry& entry, int count)
    {
        COXDIB bitmap;
        QVERIFY(bitmap.Create(24, 40, 30));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 120; ++x)
                bitmap.GetRow(y)[x] = static_cast<std::uint8_t>(x * 2 + y * 4);
        for (int i = 0; i < count; ++i)
            QVERIFY(SaveJpeg(dir / "images.db" / entry.PreviewImageName(i), bitmap));
    }
};

inline QStringList tabTitles(const ui::PluginDetailSheet& sheet)
{
    QStringList titles;
    for (int i = 0; i < sheet.tabs()->count(); ++i)
        titles << sheet.tabs()->tabText(i);
    return titles;
}

inline QImage makeImage(QImage::Format format, int width, int height)
{
    QImage image(width, height, format);
    image.fill(QColor(10, 120, 200, 128));
    return image;
}

}  // namespace vardel::test
