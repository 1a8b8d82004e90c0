#pragma once
// File operations that never lose data.

#include <filesystem>
#include <string>
#include <system_error>

namespace vardel {

// Renames a file without ever replacing an existing one (a Windows rename
// fails when the target exists; so does this one). Returns the error:
// empty on success, no_such_file_or_directory when the source is missing,
// file_exists when the target exists.
std::error_code RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vardel
