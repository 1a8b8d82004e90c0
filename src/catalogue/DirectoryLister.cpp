#include "catalogue/DirectoryLister.h"

#include "base/FileOps.h"

#include <filesystem>
#include <system_error>

#if !defined(_WIN32)
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace vardel {

#if !defined(_WIN32)

struct DirectoryLister::Impl {
    DIR* dir = nullptr;
    std::string path;  // the directory, for looking up links
    ~Impl()
    {
        if (dir)
            ::closedir(dir);
    }
};

bool DirectoryLister::Open(const std::string& directory)
{
    m_impl.reset();
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return false;
    m_impl = std::make_unique<Impl>();
    m_impl->dir = dir;
    m_impl->path = directory;
    return true;
}

bool DirectoryLister::Next(std::string& name, Type& type)
{
    if (!m_impl)
        return false;
    for (;;) {
        const dirent* entry = ::readdir(m_impl->dir);
        if (!entry) {
            m_impl.reset();
            return false;
        }
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        name.assign(n);
        switch (entry->d_type) {
        case DT_DIR: type = Type::Directory; return true;
        case DT_REG: type = Type::RegularFile; return true;
        case DT_LNK:
        case DT_UNKNOWN: break;
        default: type = Type::Other; return true;
        }
        // What the link points to, or what the file system did not say.
        std::string full = m_impl->path;
        if (full.empty() || full.back() != '/')
            full.push_back('/');
        full += name;
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0)
            type = Type::Other;
        else
            type = S_ISDIR(st.st_mode) ? Type::Directory : S_ISREG(st.st_mode) ? Type::RegularFile : Type::Other;
        return true;
    }
}

#else

struct DirectoryLister::Impl {
    std::filesystem::directory_iterator it;
};

bool DirectoryLister::Open(const std::string& directory)
{
    m_impl.reset();
    std::error_code ec;
    std::filesystem::directory_iterator it(NativePath(directory), ec);
    if (ec)
        return false;
    m_impl = std::make_unique<Impl>();
    m_impl->it = std::move(it);
    return true;
}

bool DirectoryLister::Next(std::string& name, Type& type)
{
    if (!m_impl || m_impl->it == std::filesystem::directory_iterator()) {
        m_impl.reset();
        return false;
    }
    const std::filesystem::directory_entry entry = *m_impl->it;
    std::error_code ec;
    m_impl->it.increment(ec);
    if (ec)
        m_impl->it = std::filesystem::directory_iterator();
    name = StoredPath(entry.path().filename());
    std::error_code typeEc;
    type = entry.is_directory(typeEc)      ? Type::Directory
           : entry.is_regular_file(typeEc) ? Type::RegularFile
                                           : Type::Other;
    return true;
}

#endif

DirectoryLister::DirectoryLister() = default;
DirectoryLister::~DirectoryLister() = default;
DirectoryLister::DirectoryLister(DirectoryLister&&) noexcept = default;
DirectoryLister& DirectoryLister::operator=(DirectoryLister&&) noexcept = default;

}  // namespace vardel
