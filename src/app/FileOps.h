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

// Reads a whole file of at most maxSize bytes. Returns the error: a missing
// file, a read error, or file_too_large.
std::error_code ReadWholeFile(const std::filesystem::path& file, std::vector<std::uint8_t>& data,
                              std::uintmax_t maxSize);

}  // namespace vardel
