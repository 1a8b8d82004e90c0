#pragma once
// The preview image store: the JPEG files of one plug-in in "images.db",
// named base name + "_" + three digits + ".JPG" and numbered without gaps,
// with a current position. The directory listing is the store; there is no
// index file. Renumbering never replaces an existing file.

#include "base/DataDirectory.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vardel {

class COXDIB;
class CPluginEntry;

class CPreviewImageManager {
public:
    // Receives the messages the user is to see ("Unexpected error: preview
    // image write protected?").
    using MessageHandler = std::function<void(const std::string&)>;

    static constexpr const char* kWriteProtectedMessage = "Unexpected error: preview image write protected?";
    static constexpr const char* kEmptyImageName = "EMPTY.JPG";
    // Names carry three digits; more images than that cannot be listed again.
    static constexpr int kMaxImages = 1000;

    enum Direction : int { kFirst = 0, kPrevious = 1, kNext = 2, kLast = 3 };

    explicit CPreviewImageManager(DataDirectory dataDir = {}, MessageHandler onMessage = {});

    // Changes the data directory; the next SetPlugin reads the listing again.
    void SetDataDirectory(const DataDirectory& dataDir);
    void SetMessageHandler(MessageHandler onMessage) { m_onMessage = std::move(onMessage); }

    // Lists the plug-in's images, sorts them ignoring case and renumbers them
    // without gaps (a failed rename is reported and keeps the old name). Does
    // nothing when the plug-in is the one loaded last; null clears the list.
    void SetPlugin(const CPluginEntry* plugin);
    const CPluginEntry* GetPlugin() const { return m_plugin; }

    int GetCount() const { return static_cast<int>(m_names.size()); }
    // -1 when no plug-in is loaded.
    int GetCurrentIndex() const { return m_current; }
    // File name of the current image; "" when no plug-in is set or it has no image.
    std::string GetCurrentName() const;
    const std::vector<std::string>& GetNames() const { return m_names; }
    // The image base name of the plug-in set; "" when none.
    const std::string& GetBaseName() const { return m_baseName; }

    // Whether Move(direction) would change the position (all false without a plug-in).
    bool CanMove(int direction) const;
    void Move(int direction);

    // Adds a packed bitmap (CF_DIB layout): only 24-bit ones, fitted into
    // 320 x 250 and written as the next JPEG; it becomes current. False when
    // no plug-in is set, the bitmap is not 24-bit or the file cannot be written.
    bool AddImage(std::span<const std::uint8_t> packed);

    // Deletes the current image and renumbers the ones after it. False when
    // there is none or the file cannot be deleted (reported, list unchanged).
    bool DeleteCurrent();

    // "images.db" below the data directory, followed by the file name.
    std::filesystem::path ImagePath(const std::string& name) const;
    // The file to show: the current image, or "EMPTY.JPG" when there is none.
    std::filesystem::path DisplayPath() const;

    // True when name has the form base + "_" + three digits + ".JPG",
    // ignoring case.
    static bool IsImageName(const std::string& name, const std::string& base);
    // "%s_%03d.JPG".
    static std::string ImageName(const std::string& base, int n);
    // Byte comparison where only A to Z equal a to z.
    static int CompareNoCase(const std::string& a, const std::string& b);

private:
    void Report(const std::string& text) const;
    // Renames names[i] to number i for every i from first on, where needed.
    void Renumber(std::size_t first);

    DataDirectory m_dataDir;
    MessageHandler m_onMessage;
    std::vector<std::string> m_names;
    const CPluginEntry* m_plugin = nullptr;
    const CPluginEntry* m_loaded = nullptr;
    std::string m_baseName;
    std::string m_loadedBaseName;
    int m_current = -1;
};

}  // namespace vardel
