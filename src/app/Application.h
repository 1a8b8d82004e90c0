#pragma once
// The application-wide settings, without any window: the five values of
// section "Settings" and where they are kept. The session (app/Session.h)
// owns them together with the stores.

#include <optional>
#include <string>

namespace vardel {

inline constexpr const char* kDefaultExtensions = "8bf, 8ba, 8be, 8bi, 8bx, 8by, 8bs, 8bp, aex, prm, eff, aip";

struct Settings {
    int transparency = 1;                      // "Transparency"
    int previewSize = 0;                       // "PreviewSize"
    std::string previewImage = "Portrait.bmp";  // "PreviewImage"
    int scanAll = 0;                           // "ScanAll"
    std::string extensions = kDefaultExtensions;  // "Extensions"
};

// Where settings live: QSettings in the GUI, memory in the tests.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    virtual std::optional<int> ReadInt(const std::string& section, const std::string& name) = 0;
    virtual std::optional<std::string> ReadString(const std::string& section, const std::string& name) = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& name, const std::string& value) = 0;
    // Opaque bytes (a window's size and position); "" when missing. A
    // backend that keeps only numbers and texts keeps none.
    virtual std::string ReadBytes(const std::string& /*section*/, const std::string& /*name*/) { return {}; }
    virtual void WriteBytes(const std::string& /*section*/, const std::string& /*name*/, const std::string& /*bytes*/) {}
};

// Reads the five values of section "Settings", with defaults for missing ones.
Settings LoadSettings(SettingsBackend& backend);
// Writes them in the order Transparency, PreviewSize, PreviewImage, ScanAll, Extensions.
void SaveSettings(SettingsBackend& backend, const Settings& settings);


}  // namespace vardel
