#include "ui/settings/GuiSettings.h"

#include "ui/settings/QtSettingsBackend.h"

#include <array>
#include <utility>

namespace vardel::ui {

namespace {

constexpr const char* kBarState = "BarState";
constexpr const char* kBarStateValue = "State";

}  // namespace

void WindowPlacement::SetNormalRect(const QRect& rect)
{
    left = rect.left();
    top = rect.top();
    right = rect.left() + rect.width();
    bottom = rect.top() + rect.height();
}

bool PlacementIsOnScreen(const QRect& normalRect, const QList<QRect>& screens)
{
    if (!normalRect.isValid())
        return false;
    for (const QRect& screen : screens)
        if (screen.intersects(normalRect))
            return true;
    return false;
}

std::optional<WindowPlacement> LoadWindowPlacement(SettingsBackend& backend, const std::string& section)
{
    WindowPlacement p;
    const std::array<std::pair<const char*, int*>, 10> fields{{
        {"wp.showCmd", &p.showCmd},
        {"wp.flags", &p.flags},
        {"wp.ptMinPosition.x", &p.minPosition.rx()},
        {"wp.ptMinPosition.y", &p.minPosition.ry()},
        {"wp.ptMaxPosition.x", &p.maxPosition.rx()},
        {"wp.ptMaxPosition.y", &p.maxPosition.ry()},
        {"wp.left", &p.left},
        {"wp.right", &p.right},
        {"wp.top", &p.top},
        {"wp.bottom", &p.bottom},
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

void SaveWindowPlacement(SettingsBackend& backend, const WindowPlacement& p, const std::string& section)
{
    backend.WriteInt(section, "wp.showCmd", p.showCmd);
    backend.WriteInt(section, "wp.flags", p.flags);
    backend.WriteInt(section, "wp.ptMinPosition.x", p.minPosition.x());
    backend.WriteInt(section, "wp.ptMinPosition.y", p.minPosition.y());
    backend.WriteInt(section, "wp.ptMaxPosition.x", p.maxPosition.x());
    backend.WriteInt(section, "wp.ptMaxPosition.y", p.maxPosition.y());
    backend.WriteInt(section, "wp.left", p.left);
    backend.WriteInt(section, "wp.right", p.right);
    backend.WriteInt(section, "wp.top", p.top);
    backend.WriteInt(section, "wp.bottom", p.bottom);
}

GuiSettings::GuiSettings(QtSettingsBackend& backend) : m_backend(backend) {}

std::optional<WindowPlacement> GuiSettings::LoadPlacement(const std::string& section)
{
    return LoadWindowPlacement(m_backend, section);
}

void GuiSettings::SavePlacement(const WindowPlacement& placement, const std::string& section)
{
    SaveWindowPlacement(m_backend, placement, section);
}

QByteArray GuiSettings::LoadBarState()
{
    return m_backend.ReadBytes(QString::fromLatin1(kBarState), QString::fromLatin1(kBarStateValue));
}

void GuiSettings::SaveBarState(const QByteArray& state)
{
    m_backend.WriteBytes(QString::fromLatin1(kBarState), QString::fromLatin1(kBarStateValue), state);
}

bool GuiSettings::LoadStatusBarVisible()
{
    return m_backend.ReadInt(kBarState, "bStatusBar").value_or(1) != 0;
}

void GuiSettings::SaveStatusBarVisible(bool visible)
{
    m_backend.WriteInt(kBarState, "bStatusBar", visible ? 1 : 0);
}

}  // namespace vardel::ui
