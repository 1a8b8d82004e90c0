#pragma once
// The one place where the desktop program converts between the core's
// texts, paths and bitmaps and Qt's QString and QImage. Stored texts are
// 8-bit code page (Windows-1252) strings; paths held in records are the
// file system's own bytes (see base/FileOps.h).

#include <QImage>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace vardel {
class COXDIB;
}

namespace vardel::ui {

// A stored 8-bit text as a QString.
QString fromCodePage(const std::string& text);
// A QString as a stored 8-bit text; characters the code page cannot hold
// become '?'.
std::string toCodePage(const QString& text);
// A path held in a record, for display and for Qt's file functions.
QString fromStoredPath(const std::string& path);
// A path from Qt (a file dialog) as a record holds it.
std::string toStoredPath(const QString& path);

// The bitmap as a QImage (a deep copy): 24- and 32-bit bitmaps as RGB32,
// 1/4/8-bit ones through their colour table. A null image when the bitmap
// is empty or cannot be shown.
QImage toQImage(const COXDIB& bitmap);
// The image as a 24-bit bitmap (an alpha channel is dropped: stored preview
// images and samples are 24-bit only). False for a null image or when the
// bitmap cannot be made.
bool toDIB(const QImage& image, COXDIB& bitmap);
// The image as a packed 24-bit bitmap (the clipboard's device-independent
// bitmap layout); empty for a null image.
std::vector<std::uint8_t> toPackedDIB(const QImage& image);

}  // namespace vardel::ui
