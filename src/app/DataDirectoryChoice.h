#pragma once
// Which data directory a run uses, the same for the desktop program and
// vardel-cli: the one named on the command line; else the current
// directory when it holds "setup.db" (where the stores have always been);
// else the user's data directory of the platform, which the desktop program
// sets up on its first start.

#include "base/DataDirectory.h"

#include <filesystem>
#include <string>

namespace vardel {

// The company and application the user's data directory is named after.
inline constexpr const char* kOrganisationName = "Orvane Software";
inline constexpr const char* kApplicationName = "Vardel 2.0";

// What the choice is made from; the environment is read by the caller
// (or by FromEnvironment), so that a test can give any.
struct DataDirectoryPlaces {
    std::filesystem::path option;    // --data-dir, empty for none
    std::filesystem::path current;   // the process's current directory ("." will do)
    std::filesystem::path userData;  // UserDataDirectory()

    // The option as given, "." and the user's data directory of this process.
    static DataDirectoryPlaces FromEnvironment(const std::filesystem::path& option);
};

// The data directory to use, as the places give it (relative when they
// are). Never fails; whether it exists is the caller's question.
std::filesystem::path ChooseDataDirectory(const DataDirectoryPlaces& places);

// The user's data directory: on Windows %APPDATA%, elsewhere
// $XDG_DATA_HOME (when absolute) or $HOME/.local/share, followed by the
// organisation and application names. Empty when none of them is set.
// appData, xdgDataHome and home are the values of those variables.
std::filesystem::path UserDataDirectory(const std::string& appData, const std::string& xdgDataHome,
                                        const std::string& home);

}  // namespace vardel
