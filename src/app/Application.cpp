#include "app/Application.h"

namespace vardel {
namespace {
constexpr const char* kSection = "Settings";
}

Settings LoadSettings(SettingsBackend& backend)
{
    Settings s;
    s.transparency = backend.ReadInt(kSection, "Transparency").value_or(s.transparency);
    s.previewSize = backend.ReadInt(kSection, "PreviewSize").value_or(s.previewSize);
    s.previewImage = backend.ReadString(kSection, "PreviewImage").value_or(s.previewImage);
    s.scanAll = backend.ReadInt(kSection, "ScanAll").value_or(s.scanAll);
    s.extensions = backend.ReadString(kSection, "Extensions").value_or(s.extensions);
    return s;
}

void SaveSettings(SettingsBackend& backend, const Settings& settings)
{
    backend.WriteInt(kSection, "Transparency", settings.transparency);
    backend.WriteInt(kSection, "PreviewSize", settings.previewSize);
    backend.WriteString(kSection, "PreviewImage", settings.previewImage);
    backend.WriteInt(kSection, "ScanAll", settings.scanAll);
    backend.WriteString(kSection, "Extensions", settings.extensions);
}

}  // namespace vardel
