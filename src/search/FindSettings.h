#pragma once
// The Find dialog's options as kept in the settings section "Settings.Find":
// the last keyword, Match Case, the fields searched and the column widths.

#include "base/SettingsKeys.h"

#include <string>

namespace vardel {

class SettingsBackend;

struct FindSettings {
    static constexpr const char* kSection = settings_keys::kFind;

    std::string keyword;       // "sKeyword"
    bool matchCase = false;    // "bMatchCase"
    bool title = true;         // "bName"
    bool category = true;      // "bCatg"
    bool author = false;       // "bAuthor"
    bool filename = false;     // "bFilename"
    bool description = false;  // "bDesc"
    bool keywords = true;      // "bKeywords"
    int titleWidth = 150;      // "Title.cx"
    int categoryWidth = 150;   // "Category.cx"
    int filenameWidth = 350;   // "Filename.cx"
};

// Reads the values of "Settings.Find"; missing ones keep their defaults.
FindSettings LoadFindSettings(SettingsBackend& backend);
// Writes every value of "Settings.Find".
void SaveFindSettings(SettingsBackend& backend, const FindSettings& settings);

}  // namespace vardel
