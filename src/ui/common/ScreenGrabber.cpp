#include "ui/common/ScreenGrabber.h"

#include "ui/common/Convert.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#if defined(Q_OS_LINUX) && QT_CONFIG(xcb) && __has_include(<xcb/xcb.h>)
#define VARDEL_GRAB_XCB 1
#include <QtGui/qguiapplication_platform.h>
#include <dlfcn.h>
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace vardel::ui {

bool COXScreenGrabber::isAvailable(QString* reason)
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (reason)
            *reason =
                QCoreApplication::translate("COXScreenGrabber", "Wayland does not let programs capture other windows.");
        return false;
    }
    if (!QGuiApplication::primaryScreen()) {
        if (reason)
            *reason = QCoreApplication::translate("COXScreenGrabber", "There is no screen to capture.");
        return false;
    }
    if (reason)
        reason->clear();
    return true;
}

#if defined(VARDEL_GRAB_XCB)
namespace {

// The xcb client library is loaded already when Qt runs on X11 (the
// platform plugin uses it); we look its functions up rather than link it, so
// the program also starts where X11 is absent.
template <class Fn>
Fn xcbFunction(const char* name)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace
#endif

QRect COXScreenGrabber::topLevelWindowRectAt(const QPoint& globalPos)
{
    Q_UNUSED(globalPos);
#if defined(VARDEL_GRAB_XCB)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return {};
    xcb_connection_t* connection = x11->connection();
    using GetSetup = const xcb_setup_t* (*)(xcb_connection_t*);
    using RootsIterator = xcb_screen_iterator_t (*)(const xcb_setup_t*);
    using QueryPointer = xcb_query_pointer_cookie_t (*)(xcb_connection_t*, xcb_window_t);
    using QueryPointerReply =
        xcb_query_pointer_reply_t* (*)(xcb_connection_t*, xcb_query_pointer_cookie_t, xcb_generic_error_t**);
    using GetGeometry = xcb_get_geometry_cookie_t (*)(xcb_connection_t*, xcb_drawable_t);
    using GetGeometryReply =
        xcb_get_geometry_reply_t* (*)(xcb_connection_t*, xcb_get_geometry_cookie_t, xcb_generic_error_t**);
    const auto getSetup = xcbFunction<GetSetup>("xcb_get_setup");
    const auto rootsIterator = xcbFunction<RootsIterator>("xcb_setup_roots_iterator");
    const auto queryPointer = xcbFunction<QueryPointer>("xcb_query_pointer");
    const auto queryPointerReply = xcbFunction<QueryPointerReply>("xcb_query_pointer_reply");
    const auto getGeometry = xcbFunction<GetGeometry>("xcb_get_geometry");
    const auto getGeometryReply = xcbFunction<GetGeometryReply>("xcb_get_geometry_reply");
    if (!getSetup || !rootsIterator || !queryPointer || !queryPointerReply || !getGeometry || !getGeometryReply)
        return {};
    const xcb_setup_t* setup = getSetup(connection);
    if (!setup)
        return {};
    const xcb_screen_iterator_t roots = rootsIterator(setup);
    if (!roots.data)
        return {};
    const xcb_window_t root = roots.data->root;
    xcb_query_pointer_reply_t* pointer = queryPointerReply(connection, queryPointer(connection, root), nullptr);
    if (!pointer)
        return {};
    // The child of the root under the pointer is the top-level window, with
    // the window manager's frame around it when there is one.
    const xcb_window_t child = pointer->child;
    std::free(pointer);
    if (child == XCB_WINDOW_NONE)
        return {};
    xcb_get_geometry_reply_t* geometry = getGeometryReply(connection, getGeometry(connection, child), nullptr);
    if (!geometry)
        return {};
    const int border = geometry->border_width;
    QRect rect(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border);
    std::free(geometry);
    // xcb speaks device pixels; Qt's global positions are logical ones.
    const QScreen* screen = QGuiApplication::screenAt(globalPos);
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    if (ratio > 0 && ratio != 1.0)
        rect = QRect(qRound(rect.x() / ratio), qRound(rect.y() / ratio), qRound(rect.width() / ratio),
                     qRound(rect.height() / ratio));
    return rect;
#else
    return {};
#endif
}

bool COXScreenGrabber::grabWindowAt(const QPoint& globalPos)
{
    if (!isAvailable())
        return false;
    QScreen* screen = QGuiApplication::screenAt(globalPos);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    QRect rect = topLevelWindowRectAt(globalPos);
    if (rect.isEmpty())
        rect = screen->geometry();  // over the desktop: the whole screen
    return grabRect(rect);
}

bool COXScreenGrabber::grabRect(const QRect& rect)
{
    if (rect.isEmpty() || !isAvailable())
        return false;
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = QGuiApplication::screenAt(rect.topLeft());
    if (!screen)
        return false;
    // A window partly off the screen is grabbed as far as it lies on it.
    const QRect geometry = screen->geometry();
    const QRect clamped = rect.intersected(geometry);
    if (clamped.isEmpty())
        return false;
    const QPixmap pixmap = screen->grabWindow(0, clamped.x() - geometry.x(), clamped.y() - geometry.y(),
                                              clamped.width(), clamped.height());
    if (pixmap.isNull())
        return false;
    COXDIB grabbed;
    if (!toDIB(pixmap.toImage(), grabbed))
        return false;
    m_bitmap = std::move(grabbed);
    return true;
}

}  // namespace vardel::ui
