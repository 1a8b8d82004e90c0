#pragma once
// Where the store files live: the data directory with "setup.db" and
// "images.db", and the names of the catalogue files inside "setup.db".

#include <filesystem>
#include <optional>
#include <string>

namespace vardel {

// The names of the data directory's parts.
inline constexpr const char* kSetupDbName = "setup.db";
inline constexpr const char* kImagesDbName = "images.db";
inline constexpr const char* kSampleDirName = "preview";
// The picture a preview area shows before the first selection.
inline constexpr const char* kStartupImageName = "STARTUP.JPG";

// The directory that holds "setup.db" and "images.db" (by default the
// process's current directory). The program never creates either.
struct DataDirectory {
    std::filesystem::path root = ".";

    std::filesystem::path SetupDb() const { return root / kSetupDbName; }
    std::filesystem::path ImagesDb() const { return root / kImagesDbName; }
    // The sample images of the Filter Factory preview.
    std::filesystem::path SampleDir() const { return root / kSampleDirName; }
    std::filesystem::path StartupImage() const { return root / kStartupImageName; }
    // A path as stored in a store file ("setup.db\SETUP000" written on
    // Windows, "setup.db/SETUP000" here), resolved against the root.
    std::filesystem::path Resolve(const std::string& stored) const;
};

// The file a stored catalogue file name stands for, only when it names a
// catalogue file directly inside "setup.db" ("setup.db\SETUP000" or
// "setup.db/setup042": "SETUP" and three digits, in any case); nothing for
// any other name, such as an empty one, an absolute path, a name with
// further directories in it, or another store's ("setup.db/keywords",
// "setup.db\SETUP000.damaged"). A store never directs a write or a delete
// at anything but a catalogue file.
std::optional<std::filesystem::path> CatalogueFilePath(const DataDirectory& dir, const std::string& stored);
// True for a catalogue file's own name: "SETUP" and three digits, in any case.
bool IsCatalogueFileName(const std::string& name);

// Creates the first free catalogue file SETUP000..SETUP099 empty and returns
// its stored name ("setup.db" + native separator + "SETUPnnn"); "" when all
// 100 exist or the file cannot be created.
std::string NewCatalogueFileName(const DataDirectory& dir);

}  // namespace vardel
