#pragma once
// The single-instance guard: a block shared by every running instance that
// lists their process identifiers, guarded by a lock. A process registers
// when the guard is created and unregisters when it goes away.
//
// The block is a file of 4008 bytes (a DWORD 1, a DWORD count, room for 1000
// identifiers) in the user's runtime directory, locked while it is read or
// changed. Identifiers of processes that no longer run are dropped, so a
// crashed instance never blocks later starts.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vardel {

class COXInstanceManager {
public:
    static constexpr std::uint32_t kMaxInstances = 1000;
    static constexpr std::size_t kBlockSize = 8 + 4 * kMaxInstances;

    // Opens or creates the block of this instance name in directory (the
    // user's runtime directory when empty) and registers this process. When
    // the block cannot be opened the guard stays inactive and counts 0.
    explicit COXInstanceManager(const std::string& name = "Vardel2.0", std::filesystem::path directory = {});
    // Unregisters this process.
    ~COXInstanceManager();
    COXInstanceManager(const COXInstanceManager&) = delete;
    COXInstanceManager& operator=(const COXInstanceManager&) = delete;

    // Number of registered instances still running, this one included.
    int GetInstanceCount();
    // True when another instance is running.
    bool IsOtherInstanceRunning() { return GetInstanceCount() > 1; }
    // The identifiers in the block, in registration order.
    std::vector<std::uint32_t> GetInstanceIds();

    // Where the blocks live when no directory is given.
    static std::filesystem::path DefaultDirectory();
    // The block's file for a name in a directory.
    static std::filesystem::path BlockPath(const std::string& name, const std::filesystem::path& directory);

private:
    struct Block {
        std::uint32_t marker = 1;
        std::vector<std::uint32_t> ids;
    };
    template <class F>
    void WithBlock(F&& change);
    bool ReadBlock(Block& block);
    bool WriteBlock(const Block& block);

    std::uint32_t m_ownId = 0;
#if defined(_WIN32)
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

}  // namespace vardel
