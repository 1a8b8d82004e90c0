#include "catalogue/NonPluginCache.h"

#include "base/Archive.h"
#include "base/FileOps.h"

#include <chrono>
#include <filesystem>
#include <unordered_set>

#if defined(__linux__)
#include <sys/stat.h>
#endif

namespace vardel {
namespace {

constexpr std::uint32_t kVersion = 1;

}  // namespace

std::optional<FileStamp> CNonPluginCache::Stamp(const std::string& path)
{
#if defined(__linux__)
    // One stat for what is_regular_file(), file_size() and last_write_time()
    // would ask three times; the time in the file clock's ticks as
    // last_write_time() gives it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    using namespace std::chrono;
    if (static_cast<double>(st.st_mtim.tv_sec) >= static_cast<double>(nanoseconds::max().count()) / 1e9)
        return std::nullopt;  // last_write_time() fails on a time its nanoseconds cannot hold
    const sys_time<nanoseconds> modified{seconds(st.st_mtim.tv_sec) + nanoseconds(st.st_mtim.tv_nsec)};
    return FileStamp{static_cast<std::uint64_t>(st.st_size),
                     static_cast<std::int64_t>(file_clock::from_sys(modified).time_since_epoch().count())};
#else
    const std::filesystem::path native = NativePath(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(native, ec))
        return std::nullopt;
    const auto size = std::filesystem::file_size(native, ec);
    if (ec)
        return std::nullopt;
    const auto time = std::filesystem::last_write_time(native, ec);
    if (ec)
        return std::nullopt;
    return FileStamp{size, static_cast<std::int64_t>(time.time_since_epoch().count())};
#endif
}

bool CNonPluginCache::IsKnown(const std::string& path, const FileStamp& stamp) const
{
    auto it = m_files.find(path);
    return it != m_files.end() && it->second == stamp;
}

void CNonPluginCache::Remember(const std::string& path, const FileStamp& stamp)
{
    auto [it, inserted] = m_files.try_emplace(path, stamp);
    if (!inserted && it->second == stamp)
        return;
    it->second = stamp;
    m_changed = true;
}

void CNonPluginCache::Forget(const std::string& path)
{
    if (m_files.erase(path))
        m_changed = true;
}

void CNonPluginCache::ForgetUnseenBelow(const std::string& directory, const std::vector<std::string>& seen)
{
    if (directory.empty())
        return;
    const std::unordered_set<std::string> walked(seen.begin(), seen.end());
    for (auto it = m_files.begin(); it != m_files.end();) {
        const std::string& path = it->first;
        const bool below = path.size() > directory.size() && path.compare(0, directory.size(), directory) == 0 &&
                           (path[directory.size()] == '/' || path[directory.size()] == '\\' ||
                            directory.back() == '/' || directory.back() == '\\');
        if (below && !walked.count(path)) {
            it = m_files.erase(it);
            m_changed = true;
        } else {
            ++it;
        }
    }
}

void CNonPluginCache::Clear()
{
    if (!m_files.empty())
        m_changed = true;
    m_files.clear();
}

void CNonPluginCache::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteDword(kVersion);
        ar.WriteCount(static_cast<std::uint32_t>(m_files.size()));
        for (const auto& [path, stamp] : m_files) {
            ar.WriteString(path);
            ar.WriteQword(stamp.size);
            ar.WriteQword(static_cast<std::uint64_t>(stamp.modified));
        }
        return;
    }
    m_files.clear();
    if (ar.ReadDword() != kVersion)
        throw ArchiveBadSchema("unknown version of the non-plug-in store");
    const std::uint32_t n = ar.ReadCount();
    for (std::uint32_t i = 0; i < n; ++i) {
        std::string path = ar.ReadString();
        FileStamp stamp;
        stamp.size = ar.ReadQword();
        stamp.modified = static_cast<std::int64_t>(ar.ReadQword());
        m_files[std::move(path)] = stamp;
    }
}

}  // namespace vardel
