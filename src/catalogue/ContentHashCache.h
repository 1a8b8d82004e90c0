#pragma once
// The content hashes of plug-in files, each kept with the path, size and
// modification time it was computed for and trusted only while the file
// still has them. Kept in "setup.db/hashes", a store of our own: the stores
// and catalogue files the program has always had do not change.

#include "catalogue/NonPluginCache.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace vardel {

class CArchive;

class CContentHashCache {
public:
    // The hash remembered for the file with exactly this stamp; nothing when
    // none is, or the file changed since.
    std::optional<std::uint64_t> Lookup(const std::string& path, const FileStamp& stamp) const;
    // Remembers the hash of the file as it is with this stamp.
    void Remember(const std::string& path, const FileStamp& stamp, std::uint64_t hash);
    // Forgets every file that is not among keep.
    void KeepOnly(const std::set<std::string>& keep);
    // Takes over what other holds (a job's copy), replacing everything here.
    void TakeOver(CContentHashCache& other);

    std::size_t Size() const { return m_files.size(); }
    bool IsChanged() const { return m_changed; }
    void ClearChanged() { m_changed = false; }
    void Clear();

    // Version DWORD, count, then per file: path, size, time and hash as two
    // DWORDs each. A load that fails part way throws with the cache empty:
    // a damaged store is rebuilt, never half trusted.
    void Serialize(CArchive& ar);

private:
    struct Known {
        FileStamp stamp;
        std::uint64_t hash = 0;
    };
    std::map<std::string, Known> m_files;
    bool m_changed = false;
};

}  // namespace vardel
