#pragma once
// Helpers shared by the test suites.

#include "catalogue/PluginTables.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vardel {
class CPluginEntry;
class CPluginListManager;
}  // namespace vardel

namespace vardel::test {

// A fresh, empty directory below the system's temporary directory,
// removed with everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Directory of data generated at build time (test plug-ins and the like).
std::filesystem::path testDataDir();
// Path of the test plug-in of that file name, built with the test data.
std::filesystem::path testPlugin(const std::string& name);
// The source tree's root and the directory of the built executables.
std::filesystem::path sourceDir();
std::filesystem::path binDir();

std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void writeFile(const std::filesystem::path& path, const std::string& text);
// Writes a 16-bit Windows module: an MZ header whose new header is "NE".
void writeSixteenBitModule(const std::filesystem::path& path);

// Result of running a program: exit status and what it printed.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};
// Runs a program with arguments (no shell), capturing stdout and stderr.
RunResult run(const std::vector<std::string>& argv);

// Appends a PiPL entry of the kind with name, category and path to the
// catalogue; returns the new entry.
CPluginEntry& AddPiplEntry(CPluginListManager& catalogue, const std::string& name, const std::string& category,
                           const std::string& path, int kind = kKindFilter);

}  // namespace vardel::test
