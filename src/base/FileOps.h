#pragma once
// File operations that never lose data.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vardel {

// Renames a file without ever replacing an existing one (a Windows rename
// fails when the target exists; so does this one). Returns the error:
// empty on success, no_such_file_or_directory when the source is missing,
// file_exists when the target exists.
std::error_code RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Paths held in records: on Windows the 8-bit code page text the stores have
// always held; elsewhere the file system's own bytes, so that every file name
// survives the round trip (a code page conversion would lose some).
// The file system path of a path held in a record.
std::filesystem::path NativePath(std::string_view stored);
// The text held in a record for a file system path; on Windows characters the
// code page cannot hold become '?'.
std::string StoredPath(const std::filesystem::path& native);
// A path held in a record as UTF-8, for display and JSON.
std::string PathForDisplay(std::string_view stored);

// Steps of an atomic write, named so that tests can interrupt one.
enum class WriteStep { CreateTemp, Write, Sync, Replace };
// Called before each step; returning true makes that step fail.
using WriteFault = std::function<bool(WriteStep)>;

// Writes the data to a temporary file in the target's directory, flushes it
// to disk and renames it over the target, so that the target holds either
// its old content or exactly the new one. Returns the error (empty on
// success); on failure the temporary file is removed and the target is
// untouched. Creates no directory.
std::error_code WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> data,
                                    const WriteFault& fault = {});

// True when name is the name WriteFileAtomically gives its temporary file
// for one of the targets: "~" + target + "." + six letters or digits
// (elsewhere "~" + target + "." + a number + ".tmp").
bool IsTemporaryNameOf(const std::string& name, const std::vector<std::string>& targets);
// Removes the temporary files that interrupted atomic writes of the
// targets left in dir (a kill between creating and renaming them). Touches
// no other file. Returns the number removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& dir, const std::vector<std::string>& targets);

// Reads a whole file of at most maxSize bytes. Returns the error: the open's
// own (no_such_file_or_directory for a missing file, permission_denied ...),
// NotRegularFileError() for a directory, FIFO or device, a read error, or
// file_too_large. Never waits on a FIFO.
std::error_code ReadWholeFile(const std::filesystem::path& file, std::vector<std::uint8_t>& data,
                              std::uintmax_t maxSize);

// The error of a file that is there but is no regular file (a directory, a
// FIFO, a device): such a file is damaged input, never read or waited on.
std::error_code NotRegularFileError();
// True for an error that says the file is not there at all (as opposed to
// one that is there and cannot be read).
bool IsMissingFileError(const std::error_code& error);

// What the file system says about an open file (fstat).
struct OpenFileStat {
    std::int64_t changed = 0;  // seconds since the epoch
    std::int64_t modified = 0;
    std::int64_t accessed = 0;
    std::uint64_t size = 0;
    std::uint32_t mode = 0;  // the st_mode bits
    std::uint32_t user = 0;
    std::uint32_t group = 0;
};

// Opens an existing file for reading without ever blocking on it (a FIFO
// would wait for a writer in the open itself) and only when it is a regular
// file. Returns the descriptor (to close with CloseFile), or -1 with errno
// set: the open's error, or EISDIR for anything that is not a regular file.
// status, when given, gets what the check found about the open file.
int OpenRegularFileForReading(const std::filesystem::path& file, OpenFileStat* status = nullptr);
// The same for a stored path, opened by its bytes where the system takes
// them as they are: a scan opens tens of thousands of files, and building a
// path object per file costs more than the rest of the open's own work.
int OpenRegularFileForReading(const std::string& stored, OpenFileStat* status = nullptr);
void CloseFile(int fd);

// While one lives on a thread, OpenRegularFileForReading of a stored path
// opens the file by its name inside its directory, which stays open from
// one file to the next of the same directory: a scan opens thousands of
// files directory by directory, and the system then looks up one name per
// file instead of every directory of its path. Meant for the span of one
// scan (a directory renamed meanwhile is still the one opened first).
// Scopes nest; the innermost counts. Only where the system allows it
// (Linux); elsewhere files are opened by their paths as always.
class DirectoryOpenScope {
public:
    DirectoryOpenScope();
    ~DirectoryOpenScope();
    DirectoryOpenScope(const DirectoryOpenScope&) = delete;
    DirectoryOpenScope& operator=(const DirectoryOpenScope&) = delete;

    // The open directory of path, opened now unless it is the last one
    // asked for, and in name where the file's name begins; -1 when the
    // file is to be opened by its whole path.
    int DirectoryOf(const std::string& path, std::size_t& name);

private:
    DirectoryOpenScope* m_outer;
    std::string m_directory;
    int m_fd = -1;
    bool m_known = false;  // m_directory and m_fd hold the last directory asked for
};

// True when something is at path, a dangling symbolic link included.
bool PathEntryExists(const std::filesystem::path& path);
// True when path names a regular file (links followed) or nothing at all:
// what may be handed to a reader that would wait on a FIFO.
bool IsRegularFileOrAbsent(const std::filesystem::path& path);

// Creates target only when nothing is there (not even a dangling symbolic
// link, which is never written through): write fills a new temporary file
// in the target's directory, which then takes the target's name without
// replacing anything. write returns false on failure. Returns the error
// (file_exists when something is at target); the temporary file never stays.
std::error_code CreateFileIfAbsent(const std::filesystem::path& target,
                                   const std::function<bool(const std::filesystem::path& temp)>& write);

// An exclusive advisory lock on a file, held until Release or destruction
// (or the process's end, however it ends). The lock file is created when
// missing and removed again by Release where it can be; a symbolic link or
// anything but a regular file in its place is refused.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;

    // Tries once, without waiting. Returns the error: empty when the lock
    // is now held, resource_unavailable_try_again when someone else holds
    // it, else why the lock file cannot be used.
    std::error_code TryLock(const std::filesystem::path& file);
    bool IsHeld() const { return m_handle >= 0; }
    // Replaces the lock file's content with note (who holds it), when the
    // file could be opened for writing.
    void WriteNote(const std::string& note);
    // Gives the lock up (and removes the lock file).
    void Release();
    // The note of the file's holder, "" when there is none or it cannot be read.
    static std::string ReadNote(const std::filesystem::path& file);

private:
    std::intptr_t m_handle = -1;
    bool m_writable = false;
    std::filesystem::path m_file;
};

}  // namespace vardel
