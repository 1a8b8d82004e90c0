#include "app/InstanceManager.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vardel {
namespace {

std::uint32_t currentProcessId()
{
#if defined(_WIN32)
    return static_cast<std::uint32_t>(::GetCurrentProcessId());
#else
    return static_cast<std::uint32_t>(::getpid());
#endif
}

bool processRuns(std::uint32_t id)
{
    if (id == 0)
        return false;
#if defined(_WIN32)
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
#else
    const auto pid = static_cast<pid_t>(id);
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM))
        return false;
#if defined(__linux__)
    // A crashed instance whose parent has not reaped it yet is a zombie: it
    // answers kill() but runs no more.
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string line;
    if (std::getline(stat, line)) {
        auto close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && (line[close + 2] == 'Z' || line[close + 2] == 'X'))
            return false;
    }
#endif
    return true;
#endif
}

std::uint32_t getDword(const std::array<std::uint8_t, COXInstanceManager::kBlockSize>& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void putDword(std::array<std::uint8_t, COXInstanceManager::kBlockSize>& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::filesystem::path COXInstanceManager::DefaultDirectory()
{
#if !defined(_WIN32)
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
        std::error_code ec;
        if (*runtime && std::filesystem::is_directory(runtime, ec))
            return runtime;
    }
#endif
    std::error_code ec;
    auto temp = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path(".") : temp;
}

std::filesystem::path COXInstanceManager::BlockPath(const std::string& name, const std::filesystem::path& directory)
{
    std::string file = "COXInstanceManager_FileMap_" + name;
#if !defined(_WIN32)
    // The temporary directory is shared by all users; each gets its own block.
    file += "." + std::to_string(::geteuid());
#endif
    return directory / file;
}

COXInstanceManager::COXInstanceManager(const std::string& name, std::filesystem::path directory)
    : m_ownId(currentProcessId())
{
    if (directory.empty())
        directory = DefaultDirectory();
    const auto path = BlockPath(name, directory);
#if defined(_WIN32)
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    m_handle = h;
#else
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
#endif
    WithBlock([&](Block& block) {
        if (block.ids.size() < kMaxInstances)
            block.ids.push_back(m_ownId);
    });
}

COXInstanceManager::~COXInstanceManager()
{
    WithBlock([&](Block& block) {
        for (auto it = block.ids.begin(); it != block.ids.end(); ++it) {
            if (*it == m_ownId) {
                block.ids.erase(it);  // the later ones move down
                break;
            }
        }
    });
#if defined(_WIN32)
    if (m_handle)
        ::CloseHandle(static_cast<HANDLE>(m_handle));
#else
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

int COXInstanceManager::GetInstanceCount()
{
    int count = 0;
    WithBlock([&](Block& block) { count = static_cast<int>(block.ids.size()); });
    return count;
}

std::vector<std::uint32_t> COXInstanceManager::GetInstanceIds()
{
    std::vector<std::uint32_t> ids;
    WithBlock([&](Block& block) { ids = block.ids; });
    return ids;
}

// Runs change on the block under the lock, after dropping the identifiers
// of processes that have ended, and writes the block back.
template <class F>
void COXInstanceManager::WithBlock(F&& change)
{
#if defined(_WIN32)
    if (!m_handle)
        return;
    OVERLAPPED whole{};
    if (!::LockFileEx(static_cast<HANDLE>(m_handle), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
        return;
#else
    if (m_fd < 0)
        return;
    while (::flock(m_fd, LOCK_EX) != 0)
        if (errno != EINTR)
            return;
#endif
    Block block;
    ReadBlock(block);
    std::erase_if(block.ids, [&](std::uint32_t id) { return id != m_ownId && !processRuns(id); });
    change(block);
    WriteBlock(block);
#if defined(_WIN32)
    OVERLAPPED again{};
    ::UnlockFileEx(static_cast<HANDLE>(m_handle), 0, MAXDWORD, MAXDWORD, &again);
#else
    ::flock(m_fd, LOCK_UN);
#endif
}

bool COXInstanceManager::ReadBlock(Block& block)
{
    std::array<std::uint8_t, kBlockSize> bytes{};
#if defined(_WIN32)
    DWORD got = 0;
    OVERLAPPED at{};
    if (!::ReadFile(static_cast<HANDLE>(m_handle), bytes.data(), kBlockSize, &got, &at) || got != kBlockSize)
        return false;  // a new block: marker 1, no identifiers
#else
    if (::pread(m_fd, bytes.data(), kBlockSize, 0) != static_cast<ssize_t>(kBlockSize))
        return false;  // a new block: marker 1, no identifiers
#endif
    block.marker = getDword(bytes, 0);
    const std::uint32_t count = std::min(getDword(bytes, 4), kMaxInstances);
    for (std::uint32_t i = 0; i < count; ++i)
        block.ids.push_back(getDword(bytes, 8 + 4 * static_cast<std::size_t>(i)));
    return true;
}

bool COXInstanceManager::WriteBlock(const Block& block)
{
    std::array<std::uint8_t, kBlockSize> bytes{};
    putDword(bytes, 0, block.marker);
    putDword(bytes, 4, static_cast<std::uint32_t>(block.ids.size()));
    for (std::size_t i = 0; i < block.ids.size(); ++i)
        putDword(bytes, 8 + 4 * i, block.ids[i]);
#if defined(_WIN32)
    DWORD written = 0;
    OVERLAPPED at{};
    return ::WriteFile(static_cast<HANDLE>(m_handle), bytes.data(), kBlockSize, &written, &at) && written == kBlockSize;
#else
    return ::pwrite(m_fd, bytes.data(), kBlockSize, 0) == static_cast<ssize_t>(kBlockSize);
#endif
}

}  // namespace vardel
