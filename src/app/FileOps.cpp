#include "app/FileOps.h"

#include <cerrno>
#include <cstdio>

#if defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vardel {

std::error_code RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
#if defined(__linux__)
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    int err = errno;
    if (err != EINVAL && err != ENOSYS)
        return {err, std::generic_category()};
    // The file system cannot rename without replacing: link the new name
    // (which fails when it exists), then drop the old one.
    if (::link(from.c_str(), to.c_str()) != 0)
        return {errno, std::generic_category()};
    if (::unlink(from.c_str()) != 0) {
        int unlinkErr = errno;
        ::unlink(to.c_str());
        return {unlinkErr, std::generic_category()};
    }
    return {};
#else
    // MoveFile semantics: std::rename on Windows fails when the target exists.
    std::error_code ec;
    if (std::filesystem::exists(to, ec))
        return std::make_error_code(std::errc::file_exists);
    if (!std::filesystem::exists(from, ec))
        return std::make_error_code(std::errc::no_such_file_or_directory);
    if (std::rename(from.string().c_str(), to.string().c_str()) != 0)
        return {errno, std::generic_category()};
    return {};
#endif
}

}  // namespace vardel
