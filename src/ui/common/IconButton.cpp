#include "ui/common/IconButton.h"

#include "base/ByteReader.h"
#include "pe/ResourceLibrary.h"
#include "ui/common/Convert.h"
#include "ui/resources/Icons.h"
#include "pe/IconGroup.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyle>
#include <QTextStream>

#include <cstdint>
#include <vector>

namespace vardel::ui {
namespace {

// The value of Icon= in the [Desktop Entry] group of a desktop entry.
QString desktopEntryIcon(const QString& file)
{
    // Only a regular file is opened: a pipe would never end.
    if (!QFileInfo(file).isFile())
        return {};
    QFile in(file);
    // A desktop entry is a few lines; anything larger is not one.
    if (in.size() > 1024 * 1024 || !in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream text(&in);
    bool inEntry = false;
    while (!text.atEnd()) {
        const QString line = text.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inEntry && line.startsWith(QLatin1String("Icon"))) {
            const QString rest = line.mid(4).trimmed();
            if (rest.startsWith(QLatin1Char('=')))
                return rest.mid(1).trimmed();
        }
    }
    return {};
}

QIcon pictureIcon(const QString& file)
{
    if (!QFileInfo(file).isFile())
        return {};
    QImageReader reader(file);
    if (!reader.canRead())
        return {};
    QIcon icon(file);
    return icon.availableSizes().isEmpty() && icon.pixmap(IconButton::kIconSize).isNull() ? QIcon() : icon;
}

// Icon number index of a module (.exe, .dll), read by Qt from the .ico file
// the core puts together of its icon group. Null when the file is not a
// module or has no such icon.
QIcon moduleIcon(const QString& file, int index)
{
    const std::vector<std::uint8_t> bytes = ModuleIconFile(toStoredPath(file), index);
    if (bytes.empty())
        return {};
    QByteArray ico(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&ico);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    const int pictures = reader.imageCount();
    for (int i = 0; i < pictures; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QImage picture = reader.read();
        if (!picture.isNull())
            icon.addPixmap(QPixmap::fromImage(picture));
    }
    return icon;
}

QIcon drawPlaceholder()
{
    QPixmap pixmap(IconButton::kIconSize, IconButton::kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor line(0x80, 0x80, 0x80);
    QPen dashed(line, 1.5, Qt::DashLine);
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(4.5, 4.5, 23, 23), 4, 4);
    p.setPen(QPen(line, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 10.5), QPointF(16, 21.5));
    p.drawLine(QPointF(10.5, 16), QPointF(21.5, 16));
    return QIcon(pixmap);
}

}  // namespace

IconButton::IconButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFixedSize(kSize, kSize);
    setIconSize(QSize(kIconSize, kIconSize));
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setPlaceholderIcon();
}

bool IconButton::setIconFromFile(const QString& file, int index)
{
    const QIcon icon = iconFromFile(file, index);
    if (icon.isNull())
        return false;
    setIcon(icon);
    return true;
}

QIcon IconButton::iconFromFile(const QString& file, int index)
{
    if (file.isEmpty() || index < 0)
        return {};
    const QFileInfo info(file);
    if (!info.isFile())
        return {};
    // A module's icons are counted as the resource directory lists them.
    const QIcon fromModule = moduleIcon(file, index);
    if (!fromModule.isNull())
        return fromModule;
    if (index != 0)
        return {};
    if (info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0) {
        const QString name = desktopEntryIcon(file);
        if (name.isEmpty())
            return {};
        if (QFileInfo(name).isAbsolute())
            return QFileInfo(name).suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0
                       ? QIcon()
                       : pictureIcon(name);
        return QIcon::fromTheme(name);
    }
    return pictureIcon(file);
}

QIcon IconButton::placeholderIcon()
{
    // Kept to the end of the process: pixmaps must not outlive the
    // application object in a static destructor.
    static const QIcon* icon = new QIcon(drawPlaceholder());
    return *icon;
}

QIcon IconButton::applicationIcon()
{
    QIcon icon = vardel::ui::applicationIcon();
    if (!icon.pixmap(kIconSize).isNull())
        return icon;
    icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon;
    return QApplication::style()->standardIcon(QStyle::SP_DesktopIcon);
}

void IconButton::setHot(bool hot)
{
    if (m_hot == hot)
        return;
    m_hot = hot;
    update();
}

void IconButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    const bool pressed = isDown();
    const int offset = pressed ? 2 : 1;
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    icon().paint(&p, QRect(offset, offset, kIconSize, kIconSize), Qt::AlignCenter, mode);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
    if (!pressed && !m_hot)
        return;
    // Sunken while pressed (shadow top-left), raised while hot (light top-left).
    const QColor topLeft = pressed ? pal.color(QPalette::Dark) : pal.color(QPalette::Light);
    const QColor bottomRight = pressed ? pal.color(QPalette::Light) : pal.color(QPalette::Dark);
    const QRect r = rect();
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void IconButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() == Qt::NoModifier) {
            click();
            return;
        }
        break;
    case Qt::Key_Right:
    case Qt::Key_Down: emit stepRequested(1); return;
    case Qt::Key_Left:
    case Qt::Key_Up: emit stepRequested(-1); return;
    case Qt::Key_Menu: emit menuRequested(); return;
    case Qt::Key_F10:
        if (event->modifiers() == Qt::ShiftModifier) {
            emit menuRequested();
            return;
        }
        break;
    default: break;
    }
    QAbstractButton::keyPressEvent(event);
}

void IconButton::enterEvent(QEnterEvent* event)
{
    setHot(true);
    QAbstractButton::enterEvent(event);
}

void IconButton::leaveEvent(QEvent* event)
{
    setHot(false);
    QAbstractButton::leaveEvent(event);
}

}  // namespace vardel::ui
