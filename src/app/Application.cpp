#include "app/Application.h"

#include "base/SettingsKeys.h"

namespace vardel {
namespace {
constexpr const char* kSection = settings_keys::kSettings;
}

Settings LoadSettings(SettingsBackend& backend)
{
    Settings s;
    s.transparency = backend.ReadInt(kSection, settings_keys::kTransparency).value_or(s.transparency);
    s.previewSize = backend.ReadInt(kSection, settings_keys::kPreviewSize).value_or(s.previewSize);
    s.previewImage = backend.ReadString(kSection, settings_keys::kPreviewImage).value_or(s.previewImage);
    s.scanAll = backend.ReadInt(kSection, settings_keys::kScanAll).value_or(s.scanAll);
    s.extensions = backend.ReadString(kSection, settings_keys::kExtensions).value_or(s.extensions);
    return s;
}

void SaveSettings(SettingsBackend& backend, const Settings& settings)
{
    backend.WriteInt(kSection, settings_keys::kTransparency, settings.transparency);
    backend.WriteInt(kSection, settings_keys::kPreviewSize, settings.previewSize);
    backend.WriteString(kSection, settings_keys::kPreviewImage, settings.previewImage);
    backend.WriteInt(kSection, settings_keys::kScanAll, settings.scanAll);
    backend.WriteString(kSection, settings_keys::kExtensions, settings.extensions);
}

}  // namespace vardel
