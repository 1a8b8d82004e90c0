#pragma once
// The application-wide values and stores, without any window: the five
// settings, the directory list, the restore database, the PiMI tail cache
// and the description database, with the start-up and exit sequences that
// load and save them.

#include "app/Stores.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "modify/PluginRestoreManager.h"
#include "search/DescriptionListManager.h"

#include <functional>
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
};

// Reads the five values of section "Settings", with defaults for missing ones.
Settings LoadSettings(SettingsBackend& backend);
// Writes them in the order Transparency, PreviewSize, PreviewImage, ScanAll, Extensions.
void SaveSettings(SettingsBackend& backend, const Settings& settings);

class CVardelApp {
public:
    DataDirectory m_dataDir;
    Settings m_settings;
    DirectoryList m_directories;
    CPluginRestoreManager m_restore;
    CPIMIManager m_pimiCache;
    CDescriptionListManager m_descriptions;

    // Called after the directory list was loaded or saved (the GUI rebuilds
    // its Directory menu).
    std::function<void()> m_onDirectoryListChanged;

    // Settings, then "\index", "\restore", "\pimiinfo", each its own attempt.
    void LoadSettingsAndStores(SettingsBackend& backend);
    // Settings, then "\index", "\restore", "\pimiinfo", each its own attempt.
    void SaveSettingsAndStores(SettingsBackend& backend);
};

}  // namespace vardel
