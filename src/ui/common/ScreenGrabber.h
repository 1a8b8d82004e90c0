#pragma once
// COXScreenGrabber: copies a part of the screen into a bitmap - the window
// under the mouse pointer, or a rectangle. On X11 the window is the
// top-level window (with its frame) that the pointer is over, or the whole
// screen when the pointer is over the desktop. Wayland gives programs no
// way to read other windows, so there capture is unavailable.

#include "images/DIB.h"

#include <QPoint>
#include <QRect>
#include <QString>

namespace vardel::ui {

class COXScreenGrabber {
public:
    // True when this platform lets us grab other windows; otherwise false,
    // with the reason (for a tooltip) in *reason.
    static bool isAvailable(QString* reason = nullptr);

    // Grabs the top-level window under the global point (the whole screen
    // there when it is over no window). False when capture is unavailable or
    // the grab fails; the held bitmap is unchanged then.
    bool grabWindowAt(const QPoint& globalPos);
    // Grabs the rectangle (global, logical coordinates), clamped to the
    // screen that holds its centre. False for an empty rectangle, nothing on
    // screen or a failed grab.
    bool grabRect(const QRect& rect);

    // The last grab as a 24-bit bitmap (the screen's own depth is converted,
    // so that the image store takes it).
    const COXDIB& getBitmap() const { return m_bitmap; }

    // The frame rectangle of the top-level window under the global point on
    // X11; an empty rectangle when there is none or it cannot be asked.
    static QRect topLevelWindowRectAt(const QPoint& globalPos);

private:
    COXDIB m_bitmap;
};

}  // namespace vardel::ui
