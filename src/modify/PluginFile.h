#pragma once
// A plug-in file opened for changing a few bytes in place: positioned reads,
// and a write that goes out in one call and is undone when it fails half way.
// The file is never created, truncated or replaced.

#include <cstdint>
#include <string>
#include <vector>

namespace vardel {

class CPluginFile {
public:
    CPluginFile() = default;
    ~CPluginFile();
    CPluginFile(const CPluginFile&) = delete;
    CPluginFile& operator=(const CPluginFile&) = delete;

    // Opens an existing file (a stored path) for reading and writing and takes an exclusive
    // lock so that no other writer of ours interferes. False when the file
    // is missing, write-protected or locked.
    bool OpenForWriting(const std::string& path);
    // Opens an existing file for reading only, sharing it with everyone.
    // False when the file is missing or cannot be read.
    bool OpenForReading(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to count bytes at offset into out (fewer at the end of the
    // file). False on a read error.
    bool ReadAt(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out);

    // Writes the bytes at offset in one call and flushes them. When the
    // write fails or is cut short, the bytes found there before are put
    // back. False when the bytes could not be written completely.
    bool WriteAt(std::uint64_t offset, const std::vector<std::uint8_t>& bytes);

    // True when the file status has the read-only attribute (permission
    // bits here), which holds for root too; false for a missing file.
    static bool IsWriteProtected(const std::string& path);

private:
    bool RawWrite(std::uint64_t offset, const std::vector<std::uint8_t>& bytes, std::size_t& written);

    int m_fd = -1;
};

}  // namespace vardel
