#include "ui/preview/PreviewWnd.h"

#include "images/DIB.h"
#include "images/PreviewFile.h"
#include "ui/common/Convert.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <filesystem>

namespace vardel::ui {

CPreviewWnd::CPreviewWnd(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("WndPreview"));
    // Everything is painted each time: no background fill by the system.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CPreviewWnd::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void CPreviewWnd::setSourceImage(const QImage& image)
{
    m_source = image;
    if (m_showSource)
        update();
}

void CPreviewWnd::setShowSource(bool on)
{
    if (m_showSource == on)
        return;
    m_showSource = on;
    update();
}

void CPreviewWnd::setSizeMode(int mode)
{
    if (m_sizeMode == mode)
        return;
    m_sizeMode = mode;
    update();
}

bool CPreviewWnd::loadFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return false;
    const std::filesystem::path path(fileName.toStdU16String());
    COXDIB bitmap;
    // Only true colour pictures are shown; the window fits them itself, so
    // no fitted copy is written.
    if (!LoadPreviewFile(path, PreviewFileTypeOf(path), bitmap, {}))
        return false;
    QImage picture = toQImage(bitmap);
    if (picture.isNull())
        return false;
    setImage(picture);
    return true;
}

QSize CPreviewWnd::targetSize(const QSize& client, int mode, const QSize& picture)
{
    switch (mode) {
    case kWhole: return client;
    case kThreeQuarters: return QSize(client.width() * 75 / 100, client.height() * 75 / 100);
    case kHalf: return QSize(client.width() / 2, client.height() / 2);
    default: return picture;
    }
}

QSize CPreviewWnd::fittedSize(const QSize& picture, const QSize& target)
{
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0)
        return {};
    if (w <= target.width() && h <= target.height())
        return picture;
    if (target.width() <= 0 || target.height() <= 0)
        return {};
    const double scale = std::max(static_cast<double>(w) / target.width(), static_cast<double>(h) / target.height());
    const int fw = static_cast<int>(w / scale);
    const int fh = static_cast<int>(h / scale);
    if (fw <= 0 || fh <= 0)
        return {};
    return QSize(fw, fh);
}

QSize CPreviewWnd::sizeHint() const
{
    return QSize(kPreviewMaxWidth, kPreviewMaxHeight);
}

void CPreviewWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage& picture = shown();
    if (picture.isNull())
        return;
    const QSize size = fittedSize(picture.size(), targetSize(this->size(), m_sizeMode, picture.size()));
    if (size.isEmpty())
        return;
    const QImage* drawn = &picture;
    if (size != picture.size()) {
        // Nearest neighbour, as the bitmap's own resize does; the scaled copy
        // is kept for the next paint.
        if (m_scaledKey != picture.cacheKey() || m_scaled.size() != size) {
            m_scaled = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            m_scaledKey = picture.cacheKey();
        }
        drawn = &m_scaled;
    }
    const int left = width() / 2 - drawn->width() / 2;
    const int top = height() / 2 - drawn->height() / 2;
    painter.drawImage(QPoint(left, top), *drawn);
}

void CPreviewWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit doubleClicked();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace vardel::ui
