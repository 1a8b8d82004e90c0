#pragma once
// The entries of one directory in the order the file system enumerates them,
// as std::filesystem::directory_iterator lists them ("." and ".." left out),
// each with its type. On POSIX systems it reads the directory itself, so that
// a scan builds no path object per file; a symbolic link or an entry of
// unknown type is looked up (following links) as directory_entry does.

#include <memory>
#include <string>

namespace vardel {

class DirectoryLister {
public:
    enum class Type { Directory, RegularFile, Other };

    DirectoryLister();
    ~DirectoryLister();
    DirectoryLister(DirectoryLister&&) noexcept;
    DirectoryLister& operator=(DirectoryLister&&) noexcept;

    // Opens the directory (a path held in a record). False when it cannot be
    // listed.
    bool Open(const std::string& directory);

    // The next entry: its name and type. False at the end and on a read
    // error (the listing then ends).
    bool Next(std::string& name, Type& type);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace vardel
