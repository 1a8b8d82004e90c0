#include "ui/resources/Icons.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>

// The resource initialiser has to be named from the global namespace.
static void InitVardelResources()
{
    Q_INIT_RESOURCE(vardel);
}

namespace vardel::ui {

namespace {

QPixmap Render(const QString& file, int size, qreal ratio)
{
    QSvgRenderer renderer(file);
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace

void initResources()
{
    InitVardelResources();
}

QIcon listIcon(int index)
{
    static const std::array<const char*, 6> files = {
        "state-enabled",          "state-disabled",          "state-partly",
        "state-enabled-readonly", "state-disabled-readonly", "state-partly-readonly",
    };
    // Kept to the end of the process: icons must not outlive the application
    // object in a static destructor.
    static auto* cache = new std::array<QIcon, 6>;
    if (index < 0 || index >= static_cast<int>(files.size()))
        return {};
    QIcon& icon = (*cache)[static_cast<std::size_t>(index)];
    if (icon.isNull()) {
        const QString file = QStringLiteral(":/vardel/icons/%1.svg").arg(QLatin1String(files[index]));
        // Drawn on a 16-unit grid: exact at 16 px and at twice that.
        for (const qreal ratio : {1.0, 2.0}) {
            icon.addPixmap(Render(file, 16, ratio));
            icon.addPixmap(Render(file, 32, ratio));
        }
    }
    return icon;
}

QIcon commandIcon(const QString& themeName, const QString& fallback)
{
    static auto* cache = new QHash<QString, QIcon>;
    const QString key = themeName + QLatin1Char('|') + fallback;
    auto it = cache->find(key);
    if (it == cache->end())
        it = cache->insert(
            key, QIcon::fromTheme(themeName, fallback.isEmpty()
                                                 ? QIcon()
                                                 : QIcon(QStringLiteral(":/vardel/icons/%1.svg").arg(fallback))));
    return *it;
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/vardel/icons/vardel.svg"));
}

}  // namespace vardel::ui
