#pragma once
// Store files of our own that must never be half trusted (the journal of
// changes to plug-in files, the troublemaker search): four magic bytes, the
// body, and a 64-bit checksum of everything before it. A file cut short at
// any byte, or anything else but what we wrote, fails the check as a whole.
// Written atomically (temporary file, flush, rename), like every store.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace vardel {

struct ChecksummedLoad {
    enum class Status {
        Loaded,      // body holds what was written
        Missing,     // no file: nothing was written yet
        Damaged,     // there, readable, but not a whole file of this kind
        Unreadable,  // there, but it cannot be read (permissions, a FIFO, too large)
    };
    Status status = Status::Missing;
    std::vector<std::uint8_t> body;
    std::string error;  // why it is damaged or unreadable
};

// FNV-1a, 64 bits: enough to tell a cut or overwritten file from a whole one.
std::uint64_t Checksum64(std::span<const std::uint8_t> bytes);

// Reads file (at most maxSize bytes) and checks its magic and checksum.
ChecksummedLoad LoadChecksummedFile(const std::filesystem::path& file, const char (&magic)[5], std::uintmax_t maxSize);
// Writes magic, body and checksum atomically. Returns the error; on failure
// the old file is untouched.
std::error_code SaveChecksummedFile(const std::filesystem::path& file, const char (&magic)[5],
                                    std::span<const std::uint8_t> body);

}  // namespace vardel
