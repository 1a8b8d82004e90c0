#include "app/FileOps.h"

#include <algorithm>
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

#include "app/CodePage.h"

#include <fstream>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vardel {

std::filesystem::path NativePath(std::string_view stored)
{
#if defined(_WIN32)
    return std::filesystem::path(codePageToUtf16(stored));
#else
    return std::filesystem::path(std::string(stored));
#endif
}

namespace {
bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + len > text.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}
}  // namespace

std::string PathForDisplay(std::string_view stored)
{
#if defined(_WIN32)
    return codePageToUtf8(stored);
#else
    // File names here are the file system's bytes, normally UTF-8; a name
    // that is not (or a path stored on Windows) is shown through the code page.
    return IsValidUtf8(stored) ? std::string(stored) : codePageToUtf8(stored);
#endif
}

std::string StoredPath(const std::filesystem::path& native)
{
#if defined(_WIN32)
    return utf16ToCodePage(native.u16string());
#else
    return native.string();
#endif
}

std::error_code ReadWholeFile(const std::filesystem::path& file, std::vector<std::uint8_t>& data,
                              std::uintmax_t maxSize)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return std::make_error_code(std::errc::io_error);
    if (static_cast<std::uintmax_t>(size) > maxSize)
        return std::make_error_code(std::errc::file_too_large);
    in.seekg(0, std::ios::beg);
    data.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(data.data()), size);
    if (in.gcount() != size) {
        data.clear();
        return std::make_error_code(std::errc::io_error);
    }
    return {};
}

#if !defined(_WIN32)

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

// Removes the temporary file unless the write got as far as replacing the target.
class TempFile {
public:
    explicit TempFile(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    ~TempFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept)
            ::unlink(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }
    std::error_code Close()
    {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? std::error_code() : lastError();
    }
    void Keep() { m_kept = true; }

private:
    std::string m_path;
    int m_fd;
    bool m_kept = false;
};

}  // namespace

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> data,
                                    const WriteFault& fault)
{
    auto failsAt = [&](WriteStep step) { return fault && fault(step); };
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";

    if (failsAt(WriteStep::CreateTemp))
        return std::make_error_code(std::errc::io_error);
    std::string pattern = (dir / ("~" + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return lastError();
    TempFile temp(pattern, fd);

    // Keep the store's permissions; a new store gets the usual ones.
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(temp.fd(), mode) != 0)
        return lastError();

    if (failsAt(WriteStep::Write))
        return std::make_error_code(std::errc::no_space_on_device);
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(temp.fd(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        done += static_cast<std::size_t>(n);
    }

    if (failsAt(WriteStep::Sync))
        return std::make_error_code(std::errc::io_error);
    if (::fsync(temp.fd()) != 0)
        return lastError();
    if (auto ec = temp.Close())
        return ec;

    if (failsAt(WriteStep::Replace))
        return std::make_error_code(std::errc::io_error);
    // The one rename in Vardel that replaces: the store is swapped for its
    // complete new version in a single step.
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        return lastError();
    temp.Keep();

    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

#else

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> data,
                                    const WriteFault& fault)
{
    auto failsAt = [&](WriteStep step) { return fault && fault(step); };
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    if (failsAt(WriteStep::CreateTemp))
        return std::make_error_code(std::errc::io_error);
    std::filesystem::path temp;
    for (int i = 0; i < 1000; ++i) {
        auto candidate = dir / ("~" + target.filename().string() + "." + std::to_string(i) + ".tmp");
        std::error_code ec;
        if (!std::filesystem::exists(candidate, ec)) {
            temp = candidate;
            break;
        }
    }
    if (temp.empty())
        return std::make_error_code(std::errc::file_exists);
    std::error_code result;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return std::make_error_code(std::errc::permission_denied);
        if (failsAt(WriteStep::Write))
            result = std::make_error_code(std::errc::no_space_on_device);
        else
            out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        if (!result && (failsAt(WriteStep::Sync) || !out.flush()))
            result = std::make_error_code(std::errc::io_error);
    }
    if (!result && failsAt(WriteStep::Replace))
        result = std::make_error_code(std::errc::io_error);
    if (!result)
        std::filesystem::rename(temp, target, result);
    if (result) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    }
    return result;
}

#endif

bool IsTemporaryNameOf(const std::string& name, const std::vector<std::string>& targets)
{
    auto isAlnum = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    for (const std::string& target : targets) {
        const std::string head = "~" + target + ".";
        if (name.size() <= head.size() || name.compare(0, head.size(), head) != 0)
            continue;
        const std::string tail = name.substr(head.size());
#if !defined(_WIN32)
        // mkstemp's six characters.
        if (tail.size() == 6 && std::all_of(tail.begin(), tail.end(), isAlnum))
            return true;
#else
        if (tail.size() > 4 && tail.ends_with(".tmp") &&
            std::all_of(tail.begin(), tail.end() - 4, [](char c) { return c >= '0' && c <= '9'; }))
            return true;
        (void)isAlnum;
#endif
    }
    return false;
}

int RemoveStaleTemporaryFiles(const std::filesystem::path& dir, const std::vector<std::string>& targets)
{
    int removed = 0;
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc) && IsTemporaryNameOf(it->path().filename().string(), targets))
            stale.push_back(it->path());
    }
    for (const auto& file : stale) {
        std::error_code removeEc;
        if (std::filesystem::remove(file, removeEc))
            ++removed;
    }
    return removed;
}

}  // namespace vardel
