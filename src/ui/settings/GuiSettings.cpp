#include "ui/settings/GuiSettings.h"

#include "ui/settings/QtSettingsBackend.h"
#include "base/SettingsKeys.h"

#include <array>
#include <utility>

namespace vardel::ui {

namespace {

constexpr const char* kBarState = settings_keys::kBarState;
constexpr const char* kBarStateValue = settings_keys::kBarLayout;

}  // namespace

void WindowPlacement::setNormalRect(const QRect& rect)
{
    left = rect.left();
    top = rect.top();
    right = rect.left() + rect.width();
    bottom = rect.top() + rect.height();
}

bool placementIsOnScreen(const QRect& normalRect, const QList<QRect>& screens)
{
    if (!normalRect.isValid())
        return false;
    for (const QRect& screen : screens)
        if (screen.intersects(normalRect))
            return true;
    return false;
}

std::optional<WindowPlacement> loadWindowPlacement(SettingsBackend& backend, const std::string& section)
{
    WindowPlacement p;
    const std::array<std::pair<const char*, int*>, 10> fields{{
        {settings_keys::kPlacementShowCmd, &p.showCmd},
        {settings_keys::kPlacementFlags, &p.flags},
        {settings_keys::kPlacementMinX, &p.minPosition.rx()},
        {settings_keys::kPlacementMinY, &p.minPosition.ry()},
        {settings_keys::kPlacementMaxX, &p.maxPosition.rx()},
        {settings_keys::kPlacementMaxY, &p.maxPosition.ry()},
        {settings_keys::kPlacementLeft, &p.left},
        {settings_keys::kPlacementRight, &p.right},
        {settings_keys::kPlacementTop, &p.top},
        {settings_keys::kPlacementBottom, &p.bottom},
    }};
    bool any = false;
    for (const auto& [name, field] : fields) {
        if (const auto value = backend.ReadInt(section, name)) {
            *field = *value;
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return p;
}

void saveWindowPlacement(SettingsBackend& backend, const WindowPlacement& p, const std::string& section)
{
    backend.WriteInt(section, settings_keys::kPlacementShowCmd, p.showCmd);
    backend.WriteInt(section, settings_keys::kPlacementFlags, p.flags);
    backend.WriteInt(section, settings_keys::kPlacementMinX, p.minPosition.x());
    backend.WriteInt(section, settings_keys::kPlacementMinY, p.minPosition.y());
    backend.WriteInt(section, settings_keys::kPlacementMaxX, p.maxPosition.x());
    backend.WriteInt(section, settings_keys::kPlacementMaxY, p.maxPosition.y());
    backend.WriteInt(section, settings_keys::kPlacementLeft, p.left);
    backend.WriteInt(section, settings_keys::kPlacementRight, p.right);
    backend.WriteInt(section, settings_keys::kPlacementTop, p.top);
    backend.WriteInt(section, settings_keys::kPlacementBottom, p.bottom);
}

GuiSettings::GuiSettings(QtSettingsBackend& backend)
    : m_backend(backend)
{}

std::optional<WindowPlacement> GuiSettings::loadPlacement(const std::string& section)
{
    return loadWindowPlacement(m_backend, section);
}

void GuiSettings::savePlacement(const WindowPlacement& placement, const std::string& section)
{
    saveWindowPlacement(m_backend, placement, section);
}

QByteArray GuiSettings::loadBarState()
{
    return m_backend.ReadBytes(QString::fromLatin1(kBarState), QString::fromLatin1(kBarStateValue));
}

void GuiSettings::saveBarState(const QByteArray& state)
{
    m_backend.WriteBytes(QString::fromLatin1(kBarState), QString::fromLatin1(kBarStateValue), state);
}

bool GuiSettings::loadStatusBarVisible()
{
    return m_backend.ReadInt(kBarState, settings_keys::kStatusBarShown).value_or(1) != 0;
}

void GuiSettings::saveStatusBarVisible(bool visible)
{
    m_backend.WriteInt(kBarState, settings_keys::kStatusBarShown, visible ? 1 : 0);
}

}  // namespace vardel::ui
