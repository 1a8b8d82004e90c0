#include "catalogue/CatalogueScan.h"

#include "app/FileOps.h"
#include "catalogue/DirectoryLister.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginTables.h"
#include "modify/BlockFile.h"
#include "modify/PluginRestoreManager.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace vardel {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxWalkDepth = 64;
constexpr std::size_t kRefreshBlock = 512;
// Handles the refresh keeps open for files with several entries.
constexpr std::size_t kMaxSharedFiles = 64;

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

char UpperChar(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Compares in place: the refresh asks this once per entry.
bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i]))
            return false;
    return true;
}

std::string Join(const std::string& directory, const std::string& name)
{
    if (!directory.empty() && (directory.back() == '/' || directory.back() == '\\'))
        return directory + name;
    return directory + static_cast<char>(fs::path::preferred_separator) + name;
}

// Either separator ends a directory: stored paths may come from Windows.
std::size_t FileNameStart(const std::string& path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (path[i - 1] == '/' || path[i - 1] == '\\')
            return i;
    return 0;
}

// The name a file has in the other state: an enabled path's last "." becomes
// "_", a disabled path's last "_" becomes ".". Only the file name counts;
// empty when it lacks the character (the entry is then dropped).
std::string OtherStatePath(const std::string& path, bool enabled)
{
    const char from = enabled ? '.' : '_';
    std::size_t at = path.rfind(from);
    if (at == std::string::npos || at <= FileNameStart(path))
        return {};
    std::string other = path;
    other[at] = enabled ? '_' : '.';
    return other;
}

// An open error that means "no file of that name".
bool IsMissing(int error)
{
    return error == ENOENT || error == ENOTDIR || error == EISDIR;
}

// What identifies a directory, whatever name it is reached by: symbolic
// links and bind mounts can make a tree endless.
using DirectoryId = std::pair<std::uint64_t, std::uint64_t>;

bool IdentifyDirectory(const std::string& path, DirectoryId& id)
{
#if !defined(_WIN32)
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0)
        return false;
    id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return true;
#else
    std::error_code ec;
    const fs::path canonical = fs::canonical(NativePath(path), ec);
    if (ec)
        return false;
    id = {std::hash<std::wstring>{}(canonical.native()), canonical.native().size()};
    return true;
#endif
}

}  // namespace

CCatalogueScan::CCatalogueScan(CPluginListManager& catalogue, CPluginRestoreManager& restore,
                               CPIMIManager& pimiCache, CNonPluginCache* nonPlugins, ScanSettings settings,
                               std::stop_token stop)
    : m_catalogue(catalogue), m_restore(restore), m_pimiCache(pimiCache), m_nonPlugins(nonPlugins),
      m_settings(std::move(settings)), m_upperExtensions(Upper(m_settings.extensions)), m_stop(std::move(stop))
{
}

std::string CCatalogueScan::CutAtZero(const std::string& path)
{
    return path.substr(0, path.find('\0'));
}

std::string CCatalogueScan::UpperExtension(const std::string& fileName)
{
    std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : Upper(fileName.substr(dot));
}

bool CCatalogueScan::IsCandidate(const std::string& upperExtension, const std::string& extensions, bool scanAll)
{
    return IsCandidateUpper(upperExtension, Upper(extensions), scanAll);
}

bool CCatalogueScan::IsCandidateUpper(const std::string& upperExtension, const std::string& upperExtensions,
                                      bool scanAll)
{
    if (upperExtension.empty() || scanAll)
        return true;
    return upperExtensions.find(std::string_view(upperExtension).substr(1)) != std::string::npos;
}

void CCatalogueScan::Report(const std::string& path)
{
    if (m_onProgress)
        m_onProgress(m_done, m_total, path);
}

void CCatalogueScan::FullScan(const std::string& directory, bool subdirectories)
{
    m_catalogue.Clear();
    ScanRoot(directory, subdirectories);
}

void CCatalogueScan::ScanRoot(const std::string& stored, bool subdirectories)
{
    const std::string directory = CutAtZero(stored);
    // Windows finds "." and ".." in any existing directory, so a directory
    // that exists always gets a root, even when it is empty.
    std::error_code ec;
    if (directory.empty() || !fs::is_directory(NativePath(directory), ec))
        return;
    auto root = std::make_unique<CRootItem>();
    root->m_path = directory;
    m_catalogue.m_roots.push_back(std::move(root));
    m_catalogue.m_currentRoot = static_cast<int>(m_catalogue.m_roots.size()) - 1;

    // The walk lists the files first, in the order the file system gives
    // them, so that the progress knows the total; they are read in that order.
    std::vector<std::string> files;
    Walk(directory, subdirectories, m_settings.scanAll, files);
    if (m_nonPlugins && !Stopped())
        m_nonPlugins->ForgetUnseenBelow(directory, files);
    m_total = static_cast<int>(files.size());
    for (const std::string& path : files) {
        if (Stopped())
            return;
        ReadCandidate(path, false);
        ++m_done;
    }
    Report({});
}

void CCatalogueScan::Walk(const std::string& top, bool subdirectories, bool scanAll, std::vector<std::string>& files)
{
    std::set<DirectoryId> walked;
    // Depth-first in enumeration order, without recursion.
    struct Level {
        DirectoryLister lister;
        std::string path;
    };
    std::vector<Level> stack;
    auto enter = [&](const std::string& path) {
        DirectoryId id;
        if (stack.size() > static_cast<std::size_t>(kMaxWalkDepth) || !IdentifyDirectory(path, id) ||
            !walked.insert(id).second)
            return;
        DirectoryLister lister;
        if (!lister.Open(path))
            return;
        // The total is not known yet; the directory being listed shows.
        Report(path);
        stack.push_back({std::move(lister), path});
    };
    enter(top);
    std::string name;
    DirectoryLister::Type type = DirectoryLister::Type::Other;
    while (!stack.empty()) {
        if (Stopped())
            return;
        Level& level = stack.back();
        if (!level.lister.Next(name, type)) {
            stack.pop_back();
            continue;
        }
        std::string path = Join(level.path, name);
        if (type == DirectoryLister::Type::Directory) {
            if (subdirectories)
                enter(path);  // may grow the stack: level is not used after this
            continue;
        }
        if (type == DirectoryLister::Type::RegularFile &&
            IsCandidateUpper(UpperExtension(name), m_upperExtensions, scanAll))
            files.push_back(std::move(path));
    }
}

void CCatalogueScan::ReadCandidate(const std::string& path, bool useNonPluginCache)
{
    Report(path);
    const std::optional<FileStamp> stamp = m_nonPlugins ? CNonPluginCache::Stamp(path) : std::nullopt;
    if (useNonPluginCache && stamp && m_nonPlugins->IsKnown(path, *stamp))
        return;
    ++m_filesRead;
    CPluginReader reader(m_catalogue, m_restore, m_pimiCache);
    reader.m_onMessage = m_onMessage;
    const bool hasExtension = !UpperExtension(path.substr(FileNameStart(path))).empty();
    const int added = reader.ReadFile(path, hasExtension);
    if (!m_nonPlugins)
        return;
    if (added > 0) {
        m_nonPlugins->Forget(path);
        return;
    }
    // Only a file that could be read at all is known to be no plug-in; one
    // that cannot be opened now may be readable next time.
    const int probe = OpenRegularFileForReading(NativePath(path));
    if (probe < 0)
        return;
    CloseFile(probe);
    if (stamp && CNonPluginCache::Stamp(path) == stamp)
        m_nonPlugins->Remember(path, *stamp);
}

void CCatalogueScan::Refresh(const std::string& stored, bool subdirectories, bool loadedInPart)
{
    const std::string root = CutAtZero(stored);
    std::vector<std::string> files;
    Walk(root, subdirectories, false, files);
    if (Stopped())
        return;
    if (m_nonPlugins)
        m_nonPlugins->ForgetUnseenBelow(root, files);
    m_total = static_cast<int>(files.size());

    // Paths of the file list by value, to strike known files off in constant time.
    // The views point into files, which stays as it is until the end.
    std::unordered_map<std::string_view, std::size_t> listed;
    listed.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        listed.emplace(files[i], i);
    std::vector<bool> known(files.size(), false);

    auto& entries = m_catalogue.m_entries;
    std::vector<bool> keep(entries.size(), false);

    // A file with several entries is opened once: its entries share the
    // handle, and the block read for the first of them, until the last of
    // them is checked. A rename closes the shared handles of both names, so
    // every entry sees the files as they are when it is checked. The number
    // of handles kept open is bounded.
    // How many entries after each one are recorded at the same path, counted
    // over views of the paths before any entry changes its own.
    std::vector<std::uint32_t> later(entries.size(), 0);
    {
        std::unordered_map<std::string_view, std::uint32_t> seen;
        seen.reserve(entries.size());
        for (std::size_t i = entries.size(); i-- > 0;)
            later[i] = seen[entries[i]->m_path]++;
    }
    std::unordered_map<std::string, std::unique_ptr<BlockFile>> shared;
    // The status of a file with several entries, fetched for the first of
    // them: the others found at the same name take it over instead of asking
    // the file system again (the sorted catalogue scatters them). A rename
    // forgets the status of both names; the last entry of the file drops it.
    std::unordered_map<std::string, FileStatus> statuses;
    // One stream over whichever handle the entry is read through: building
    // a stream per entry costs more than the entry's check.
    std::istream stream(nullptr);
    // The handle of the entry before, closed, for the next entry to open:
    // one handle and block for all unshared files, not one per file.
    std::unique_ptr<BlockFile> spare;
    // Files to read again in full, where they are now, in catalogue order.
    std::set<std::string> rereadPaths;
    std::vector<std::string> reread;

    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (Stopped())
            return;
        CPluginEntry& e = *entries[i];
        const std::string recorded = e.m_path;
        std::unique_ptr<BlockFile> own;
        BlockFile* buffer = nullptr;
        // Opening tells whether the file exists; the handle stays valid
        // across the rename below.
        std::string p = e.m_path;
        auto open = [&](const std::string& path) {
            if (auto it = shared.find(path); it != shared.end()) {
                buffer = it->second.get();
                return true;
            }
            // Name and category lie close together: one short read fetches
            // both, and no known file is read in full.
            if (!own)
                own = spare ? std::move(spare) : std::make_unique<BlockFile>(kRefreshBlock);
            if (!own->Open(path))
                return false;
            buffer = own.get();
            return true;
        };
        // A file that exists but cannot be opened is skipped (and read again
        // below if it can be by then); a missing one may have the other
        // state's name.
        bool opened = open(p);
        if (!opened && IsMissing(errno)) {
            p = OtherStatePath(e.m_path, e.m_enabled != 0);
            opened = !p.empty() && open(p);
        }
        bool ok = false;
        if (opened) {
            // Give the file back the state the catalogue recorded; a rename never
            // replaces a file, and when it fails the entry follows the file.
            if (!EqualNoCase(p, e.m_path)) {
                statuses.erase(p);
                statuses.erase(e.m_path);
                if (RenameNoReplace(p, e.m_path)) {
                    e.m_path = p;
                } else {
                    // The file moved: no shared handle stands for either name now.
                    for (const std::string* name : {&p, &e.m_path})
                        if (auto it = shared.find(*name); it != shared.end()) {
                            if (it->second.get() == buffer)
                                own = std::move(it->second);
                            shared.erase(it);
                        }
                }
            }
            const bool atRecorded = p == recorded && e.m_path == recorded;
            // A file opened for this entry and not renamed since has the
            // status it was opened with; nothing has read it yet.
            const bool openedHere = own && buffer == own.get() && p == e.m_path;
            if (auto it = atRecorded ? statuses.find(recorded) : statuses.end(); it != statuses.end())
                e.m_fileStatus = it->second;
            else if ((openedHere ? FileStatus::Get(e.m_path, own->StatAtOpen(), e.m_fileStatus)
                                 : FileStatus::Get(e.m_path, e.m_fileStatus)) &&
                     atRecorded && later[i] > 0)
                statuses.insert_or_assign(recorded, e.m_fileStatus);
            stream.rdbuf(buffer);  // clears the state of the previous entry
            stream.exceptions(std::ios::badbit);
            ok = CheckEntry(e, stream);
        }
        if (ok) {
            keep[i] = true;
            if (auto it = listed.find(p); it != listed.end() && !known[it->second]) {
                known[it->second] = true;
                ++m_done;
            }
        }
        // A file of the directory with an entry that no longer fits, or named
        // by a catalogue that broke off part way, may hold plug-ins the
        // catalogue lacks: it is read again in full, whatever became of its
        // other entries.
        if (opened && (!ok || loadedInPart) && listed.count(e.m_path) && rereadPaths.insert(e.m_path).second)
            reread.push_back(e.m_path);

        // Keep the handle for the next entries of this file, or close it
        // after the last of them.
        if (later[i] == 0) {
            shared.erase(recorded);
            statuses.erase(recorded);
        } else if (own && buffer == own.get() && own->IsOpen() && p == recorded && e.m_path == recorded &&
                   shared.size() < kMaxSharedFiles) {
            shared.emplace(recorded, std::move(own));
        }
        if (own) {
            own->Close();
            spare = std::move(own);
        }
    }
    shared.clear();

    std::size_t out = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (keep[i] && (rereadPaths.empty() || !rereadPaths.count(entries[i]->m_path)))
            entries[out++] = std::move(entries[i]);
    entries.resize(out);

    for (const std::string& path : reread) {
        if (Stopped())
            return;
        if (const std::size_t i = listed.at(path); !known[i]) {
            known[i] = true;
            ++m_done;
        }
        ReadCandidate(path, false);
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        if (known[i])
            continue;
        if (Stopped())
            return;
        ReadCandidate(files[i], true);
        ++m_done;
    }
    Report({});
}

bool CCatalogueScan::CheckEntry(CPluginEntry& e, std::istream& file)
{
    Report(e.m_path);

    // The image base name keys both lookups; the refresh changes none of
    // the fields it is made of.
    const bool pimiFilter = e.IsPiMI() && e.m_kind == kKindFilter;
    const std::string key = pimiFilter || !e.IsPhotoshopFilterFactory() ? e.ImageBaseName() : std::string();
    m_restore.WidenCapacities(e, key);

    bool ok = false;
    try {
        ok = e.RefreshFromFile(file);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok)
        return false;
    return !(pimiFilter && !m_pimiCache.Lookup(key));
}

void SortCatalogue(CPluginListManager& catalogue)
{
    auto& entries = catalogue.m_entries;
    const std::size_t n = entries.size();
    // The keys are made once; the passes move positions, not keys and entries.
    std::vector<std::string> keys;
    keys.reserve(n);
    for (const auto& e : entries)
        keys.push_back(e->SortKey());
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    std::size_t gap = 1;
    while (gap * 3 + 1 <= n)
        gap = gap * 3 + 1;
    for (; gap >= 1; gap = (gap - 1) / 3) {
        for (std::size_t i = gap; i < n; ++i) {
            const std::size_t item = order[i];
            std::size_t j = i;
            for (; j >= gap && keys[order[j - gap]] > keys[item]; j -= gap)
                order[j] = order[j - gap];
            order[j] = item;
        }
        if (gap == 1)
            break;
    }
    std::vector<std::unique_ptr<CPluginEntry>> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = std::move(entries[order[i]]);
    for (std::size_t i = 0; i < n; ++i)
        entries[i] = std::move(sorted[i]);
}

}  // namespace vardel
