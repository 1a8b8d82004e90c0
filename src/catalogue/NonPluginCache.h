#pragma once
// Files that pass the extension filter but hold no plug-in ("readme.8bf"),
// remembered by path, size and modification time so that a refresh does not
// hand an unchanged one to the resource reader again. Kept in
// "setup.db/nonplugins", a store of its own that no other reader of the data
// directory looks at.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vardel {

class CArchive;

// What identifies a version of a file.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // the file clock's ticks
    bool operator==(const FileStamp&) const = default;
};

class CNonPluginCache {
public:
    // The size and modification time of the file; nothing when it cannot be
    // queried (missing, or no regular file).
    static std::optional<FileStamp> Stamp(const std::string& path);

    // True when the file is remembered with exactly this stamp.
    bool IsKnown(const std::string& path, const FileStamp& stamp) const;
    // Remembers the file as no plug-in (replacing an older stamp).
    void Remember(const std::string& path, const FileStamp& stamp);
    // Forgets the file (it turned out to be a plug-in, or is gone).
    void Forget(const std::string& path);
    // Forgets every file below directory (path prefix plus separator) that
    // is not among seen: the walk of that directory no longer finds it.
    void ForgetUnseenBelow(const std::string& directory, const std::vector<std::string>& seen);

    std::size_t Size() const { return m_files.size(); }
    bool IsChanged() const { return m_changed; }
    void ClearChanged() { m_changed = false; }
    // Counts as changed again (a save of it failed).
    void MarkChanged() { m_changed = true; }
    void Clear();

    // Version DWORD, count, then per file: path, size and time as two DWORDs each.
    void Serialize(CArchive& ar);

private:
    std::map<std::string, FileStamp> m_files;
    bool m_changed = false;
};

}  // namespace vardel
