#pragma once
// Helpers shared by the test suites.

#include "catalogue/PluginTables.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
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
// When it has not ended within limit (zero: no limit) it is killed and its
// status is kTimedOut.
inline constexpr int kTimedOut = -2;
RunResult run(const std::vector<std::string>& argv, std::chrono::milliseconds limit = {});
// Starts a program with its stdout and stderr going to the files; returns
// its process id.
int spawn(const std::vector<std::string>& argv, const std::filesystem::path& out, const std::filesystem::path& err);
// Waits for a spawned child; kills it once limit has passed (a zero limit
// waits for good). Returns its wait status, or -1 when it was killed.
int waitFor(int pid, std::chrono::milliseconds limit);
// Runs work in a child process (a fork of this one); false when it has not
// ended within limit (the child is then killed) or ended with _exit(n) for
// an n other than 0. For work that must not hang.
bool FinishesWithin(std::chrono::milliseconds limit, const std::function<void()>& work);
// Makes a FIFO at path: a file whose open for reading waits for a writer.
void makeFifo(const std::filesystem::path& path);

// Appends a PiPL entry of the kind with name, category and path to the
// catalogue; returns the new entry.
CPluginEntry& AddPiplEntry(CPluginListManager& catalogue, const std::string& name, const std::string& category,
                           const std::string& path, int kind = kKindFilter);

}  // namespace vardel::test
