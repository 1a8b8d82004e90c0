#include "catalogue/ContentHashCache.h"

#include "base/Archive.h"

namespace vardel {
namespace {

constexpr std::uint32_t kVersion = 1;
// The least a stored file takes: a one-byte length, then three QWORDs.
constexpr std::size_t kMinRecordSize = 1 + 3 * 8;

}  // namespace

std::optional<std::uint64_t> CContentHashCache::Lookup(const std::string& path, const FileStamp& stamp) const
{
    auto it = m_files.find(path);
    if (it == m_files.end() || it->second.stamp != stamp)
        return std::nullopt;
    return it->second.hash;
}

void CContentHashCache::Remember(const std::string& path, const FileStamp& stamp, std::uint64_t hash)
{
    auto [it, inserted] = m_files.try_emplace(path, Known{stamp, hash});
    if (!inserted && it->second.stamp == stamp && it->second.hash == hash)
        return;
    it->second = Known{stamp, hash};
    m_changed = true;
}

void CContentHashCache::KeepOnly(const std::set<std::string>& keep)
{
    for (auto it = m_files.begin(); it != m_files.end();) {
        if (keep.count(it->first)) {
            ++it;
        } else {
            it = m_files.erase(it);
            m_changed = true;
        }
    }
}

void CContentHashCache::TakeOver(CContentHashCache& other)
{
    m_changed = m_changed || other.m_changed || m_files.size() != other.m_files.size();
    m_files = std::move(other.m_files);
    other.m_files.clear();
}

void CContentHashCache::Clear()
{
    if (!m_files.empty())
        m_changed = true;
    m_files.clear();
}

void CContentHashCache::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteDword(kVersion);
        ar.WriteCount(static_cast<std::uint32_t>(m_files.size()));
        for (const auto& [path, known] : m_files) {
            ar.WriteString(path);
            ar.WriteQword(known.stamp.size);
            ar.WriteQword(static_cast<std::uint64_t>(known.stamp.modified));
            ar.WriteQword(known.hash);
        }
        return;
    }
    m_files.clear();
    try {
        if (ar.ReadDword() != kVersion)
            throw ArchiveBadSchema("unknown version of the content hash store");
        const std::uint32_t n = ar.ReadCount();
        if (n > ar.Remaining() / kMinRecordSize)
            throw ArchiveEndOfFile();  // counts more files than its bytes can hold
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string path = ar.ReadString();
            Known known;
            known.stamp.size = ar.ReadQword();
            known.stamp.modified = static_cast<std::int64_t>(ar.ReadQword());
            known.hash = ar.ReadQword();
            // A path twice, or an empty one, was never written by a save.
            if (path.empty() || !m_files.try_emplace(std::move(path), known).second)
                throw ArchiveBadSchema("a file twice in the content hash store");
        }
        if (ar.Remaining() != 0)
            throw ArchiveBadSchema("bytes after the content hash store");
    } catch (...) {
        m_files.clear();
        throw;
    }
}

}  // namespace vardel
