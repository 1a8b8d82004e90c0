#pragma once
// The application-wide settings, without any window: the five values of
// section "Settings" and where they are kept. The session (app/Session.h)
// owns them together with the stores.

#include "base/SettingsBackend.h"

#include <string>

namespace vardel {

inline constexpr const char* kDefaultPreviewImage = "Portrait.bmp";
inline constexpr const char* kDefaultExtensions = "8bf, 8ba, 8be, 8bi, 8bx, 8by, 8bs, 8bp, aex, prm, eff, aip";

struct Settings {
    int transparency = 1;                             // "Transparency"
    int previewSize = 0;                              // "PreviewSize"
    std::string previewImage = kDefaultPreviewImage;  // "PreviewImage"
    int scanAll = 0;                                  // "ScanAll"
    std::string extensions = kDefaultExtensions;      // "Extensions"
};

// Reads the five values of section "Settings", with defaults for missing ones.
Settings LoadSettings(SettingsBackend& backend);
// Writes them in the order Transparency, PreviewSize, PreviewImage, ScanAll, Extensions.
void SaveSettings(SettingsBackend& backend, const Settings& settings);

}  // namespace vardel
