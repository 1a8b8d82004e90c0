#include "base/DataDirectory.h"

#include "base/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vardel {
namespace {

// Creates the file only when it does not exist yet.
bool createExclusive(const std::filesystem::path& file, bool& existed)
{
    existed = false;
#if !defined(_WIN32)
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        existed = errno == EEXIST;
        return false;
    }
    ::close(fd);
    return true;
#else
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        existed = true;
        return false;
    }
    std::ofstream out(file, std::ios::binary);
    return static_cast<bool>(out);
#endif
}

}  // namespace

std::filesystem::path DataDirectory::Resolve(const std::string& stored) const
{
    std::string native = stored;
#if !defined(_WIN32)
    // Written on Windows as "setup.db\SETUP000".
    for (char& c : native)
        if (c == '\\')
            c = '/';
#endif
    return root / NativePath(native);
}

bool IsCatalogueFileName(const std::string& name)
{
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.size() != 8 || !isDigit(name[5]) || !isDigit(name[6]) || !isDigit(name[7]))
        return false;
    for (std::size_t i = 0; i < 5; ++i) {
        const char c = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        if (c != "SETUP"[i])
            return false;
    }
    return true;
}

std::optional<std::filesystem::path> CatalogueFilePath(const DataDirectory& dir, const std::string& stored)
{
    // Exactly "setup.db", one separator of either kind (whatever system
    // wrote the store), and a catalogue file's name.
    constexpr std::string_view kHead = kSetupDbName;
    if (stored.size() <= kHead.size() + 1 || stored.compare(0, kHead.size(), kHead) != 0 ||
        (stored[kHead.size()] != '/' && stored[kHead.size()] != '\\'))
        return std::nullopt;
    const std::string name = stored.substr(kHead.size() + 1);
    if (!IsCatalogueFileName(name))
        return std::nullopt;
    return dir.SetupDb() / NativePath(name);
}

std::string NewCatalogueFileName(const DataDirectory& dir)
{
    for (int i = 0; i < 100; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "SETUP%03d", i);
        bool existed = false;
        if (createExclusive(dir.SetupDb() / name, existed))
            return std::string(kSetupDbName) + static_cast<char>(std::filesystem::path::preferred_separator) + name;
        if (!existed)
            return {};  // setup.db missing or not writable: nothing can be created
    }
    return {};
}

}  // namespace vardel
