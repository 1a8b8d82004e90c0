#include "ui/common/Clipboard.h"

#include "images/DIB.h"
#include "ui/common/Convert.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace vardel::ui {
namespace {

QImage clipboardImage()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return {};
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasImage())
        return {};
    return clipboard->image();
}

}  // namespace

bool CClipboard::hasImage()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    const QMimeData* data = clipboard->mimeData();
    return data && data->hasImage();
}

bool CClipboard::getImage(COXDIB& bitmap)
{
    const QImage image = clipboardImage();
    if (image.isNull())
        return false;
    return toDIB(image, bitmap);
}

std::vector<std::uint8_t> CClipboard::getPackedImage()
{
    const QImage image = clipboardImage();
    if (image.isNull())
        return {};
    return toPackedDIB(image);
}

bool CClipboard::setImage(const COXDIB& bitmap)
{
    const QImage image = toQImage(bitmap);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (image.isNull() || !clipboard)
        return false;
    clipboard->setImage(image);
    return true;
}

}  // namespace vardel::ui
