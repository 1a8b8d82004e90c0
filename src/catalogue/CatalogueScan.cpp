#include "catalogue/CatalogueScan.h"

#include "base/FileOps.h"
#include "catalogue/DirectoryLister.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/PluginTables.h"
#include "pe/BlockFile.h"
#include "pe/ResourceLibrary.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <set>
#include <span>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace vardel {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxWalkDepth = 64;
// Names and categories of one file's plug-ins lie close together: one
// read from the first of them fetches them all, and no known file is read
// in full.
constexpr std::size_t kRefreshBlock = 2048;

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
    // One allocation per path: the walk makes one for every file.
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory);
    if (directory.empty() || (directory.back() != '/' && directory.back() != '\\'))
        path.push_back(static_cast<char>(fs::path::preferred_separator));
    path.append(name);
    return path;
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

// A hash of a path that is the same for two paths that differ only in
// which of "." and "_" stands at some places: a path and its other state's
// name always share it.
std::uint64_t PathShape(const std::string& path)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : path) {
        hash ^= static_cast<unsigned char>(c == '_' ? '.' : c);
        hash *= 1099511628211ull;
    }
    return hash;
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

CCatalogueScan::CCatalogueScan(CPluginListManager& catalogue, CPluginRestoreManager& restore, CPIMIManager& pimiCache,
                               CNonPluginCache* nonPlugins, ScanSettings settings, std::stop_token stop)
    : m_catalogue(catalogue)
    , m_restore(restore)
    , m_pimiCache(pimiCache)
    , m_nonPlugins(nonPlugins)
    , m_settings(std::move(settings))
    , m_upperExtensions(Upper(m_settings.extensions))
    , m_stop(std::move(stop))
    , m_library(std::make_unique<COXResourceLibrary>())
    , m_readerLists(std::make_unique<CPluginReader::Buffers>())
{}

CCatalogueScan::~CCatalogueScan() = default;
CCatalogueScan::CCatalogueScan(CCatalogueScan&&) noexcept = default;

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
    DirectoryOpenScope openInDirectories;
    bool stopped = false;
    for (const std::string& path : files) {
        if ((stopped = Stopped()))
            break;
        ReadCandidate(path, false);
        ++m_done;
    }
    // The filters read get their originals, whether the scan ran to its end or not.
    RecordPendingOriginals();
    if (!stopped)
        Report({});
}

void CCatalogueScan::RecordPendingOriginals()
{
    CPluginReader::RecordOriginals(m_restore, m_pendingOriginals);
    m_pendingOriginals.clear();
}

std::vector<std::string> CCatalogueScan::ListCandidates(const std::string& directory, bool subdirectories,
                                                        std::vector<std::string>* directories)
{
    std::vector<std::string> files;
    const std::string top = CutAtZero(directory);
    if (!top.empty())
        Walk(top, subdirectories, false, files, directories);
    return files;
}

void CCatalogueScan::Walk(const std::string& top, bool subdirectories, bool scanAll, std::vector<std::string>& files,
                          std::vector<std::string>* directories)
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
        if (directories)
            directories->push_back(path);
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
    reader.m_library = m_library.get();
    reader.m_buffers = m_readerLists.get();
    reader.m_pendingOriginals = &m_pendingOriginals;
    // An extension is any "." in the file name.
    const bool hasExtension = path.find('.', FileNameStart(path)) != std::string::npos;
    const int added = reader.ReadFile(path, hasExtension);
    if (!m_nonPlugins)
        return;
    if (added > 0) {
        m_nonPlugins->Forget(path);
        return;
    }
    // Only a file that could be read at all is known to be no plug-in; one
    // that cannot be opened now may be readable next time.
    const int probe = OpenRegularFileForReading(path);
    if (probe < 0)
        return;
    CloseFile(probe);
    if (stamp && CNonPluginCache::Stamp(path) == stamp)
        m_nonPlugins->Remember(path, *stamp);
}

namespace {

constexpr std::size_t kNotListed = static_cast<std::size_t>(-1);
constexpr std::uint32_t kNoFile = static_cast<std::uint32_t>(-1);

// The entries a catalogue recorded at one path (count of them from first
// on in the refresh's list of entries by file, in catalogue order), and
// whether the refresh may check them apart from all other entries: no other
// path's entries may rename a file to or from a name of theirs.
struct RecordedFile {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    bool alone = true;
    std::size_t listed = kNotListed;  // its place in the file list
};

}  // namespace

// The handle the entries of one file are read through: the file is opened
// for the first of them and read for all of them.
struct CCatalogueScan::RefreshHandle {
    std::unique_ptr<BlockFile> file;
    std::string path;  // the name it was opened by; "" when closed
    int opened = 0;    // files opened through it
    // Where the texts of the entries checked next begin and how many bytes
    // from there hold them all (read at the open); -1 when not known.
    long long first = -1;
    std::size_t count = 0;

    bool Open(const std::string& name)
    {
        if (file && file->IsOpen() && path == name)
            return true;
        Close();
        if (!file)
            file = std::make_unique<BlockFile>(kRefreshBlock);
        if (!file->Open(name))
            return false;
        path = name;
        ++opened;
        if (first >= 0)
            file->Load(static_cast<std::uint64_t>(first), count);  // a read error shows again where it matters
        return true;
    }
    void Close()
    {
        if (file)
            file->Close();
        path.clear();
    }
};

// What the checks of one refresh share.
struct CCatalogueScan::RefreshLists {
    // The file list by path: each file's place in it, and the recorded file
    // (see Refresh) of that path.
    struct Place {
        std::size_t listed;
        std::uint32_t recorded;
    };
    std::vector<Place> places;  // one per file of the list, in its order

    // Indexes the file list, whose paths must stay as they are while it is used.
    void Index(const std::vector<std::string>& files)
    {
        m_files = &files;
        places.resize(files.size());
        std::size_t capacity = 16;
        while (capacity < files.size() * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
        m_mask = capacity - 1;
        for (std::size_t i = 0; i < files.size(); ++i) {
            places[i] = Place{i, kNoFile};
            const std::size_t hash = std::hash<std::string_view>{}(files[i]);
            std::size_t at = hash & m_mask;
            while (m_slots[at] != 0)
                at = (at + 1) & m_mask;
            m_slots[at] = Slot(hash, i);
        }
    }
    // The place of the file listed under path; null when it is not listed.
    // A path listed twice (never, from one walk) is found at its first place.
    Place* Find(std::string_view path)
    {
        if (m_slots.empty())
            return nullptr;
        const std::size_t hash = std::hash<std::string_view>{}(path);
        for (std::size_t at = hash & m_mask; m_slots[at] != 0; at = (at + 1) & m_mask) {
            const std::uint64_t slot = m_slots[at];
            if ((slot >> 32) != (Slot(hash, 0) >> 32))
                continue;
            const std::size_t i = static_cast<std::uint32_t>(slot) - 1;
            if ((*m_files)[i] == path)
                return &places[i];
        }
        return nullptr;
    }

    std::vector<bool> known;  // files of the list that a kept entry stands for
    std::vector<bool> keep;   // entries that still fit their files
    // The lengths of each entry's originals, found by the path it was
    // recorded at.
    std::vector<CPluginRestoreManager::OriginalLengths> originals;
    // Files to read again in full, with the entry that asked first.
    std::vector<std::pair<std::size_t, std::string>> reread;
    std::unordered_set<std::string> rereadPaths;
    bool loadedInPart = false;
    // One stream over whichever handle an entry is read through: building a
    // stream per entry costs more than the entry's check.
    std::istream stream{nullptr};

private:
    // A slot holds the upper half of a path's hash and its place + 1 in the
    // file list (0: empty): eight slots share a cache line, and a lookup
    // reads a path only when the hashes agree.
    static std::uint64_t Slot(std::size_t hash, std::size_t i)
    {
        return (static_cast<std::uint64_t>(hash) & 0xFFFFFFFF00000000ull) | static_cast<std::uint32_t>(i + 1);
    }
    const std::vector<std::string>* m_files = nullptr;
    std::vector<std::uint64_t> m_slots;  // a power of two of them, at most half used
    std::size_t m_mask = 0;
};

void CCatalogueScan::Refresh(const std::string& stored, bool subdirectories, bool loadedInPart)
{
    const std::string root = CutAtZero(stored);
    DirectoryOpenScope openInDirectories;
    std::vector<std::string> files;
    Walk(root, subdirectories, false, files);
    if (Stopped())
        return;
    if (m_nonPlugins)
        m_nonPlugins->ForgetUnseenBelow(root, files);
    m_total = static_cast<int>(files.size());

    // Paths of the file list by value, to strike known files off in constant time.
    // The index reads the paths in files, which stays as it is until the end.
    RefreshLists lists;
    lists.loadedInPart = loadedInPart;
    lists.Index(files);
    lists.known.assign(files.size(), false);

    auto& entries = m_catalogue.m_entries;
    lists.keep.assign(entries.size(), false);

    // The entries by the path they were recorded at. A file holding several
    // plug-ins has as many entries, which the sorted catalogue scatters;
    // checked together, the file is opened and its status taken once.
    std::vector<RecordedFile> recorded;
    std::vector<std::uint32_t> fileOf(entries.size());
    std::vector<std::size_t> byFile;
    auto entriesOf = [&byFile](const RecordedFile& file) {
        return std::span<const std::size_t>(byFile.data() + file.first, file.count);
    };
    {
        // Most paths are in the file list; the others (files gone, or not
        // candidates) by views of the paths, which nothing changes before
        // the checks.
        std::unordered_map<std::string_view, std::uint32_t> unlisted;
        auto recordedAt = [&](std::string_view path) -> std::uint32_t* {
            if (RefreshLists::Place* place = lists.Find(path))
                return &place->recorded;
            const auto it = unlisted.find(path);
            return it == unlisted.end() ? nullptr : &it->second;
        };
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::uint32_t* file = nullptr;
            if (RefreshLists::Place* place = lists.Find(entries[i]->m_path)) {
                file = &place->recorded;
                if (*file == kNoFile) {
                    *file = static_cast<std::uint32_t>(recorded.size());
                    recorded.emplace_back().listed = place->listed;
                }
            } else {
                const auto [at, added] =
                    unlisted.try_emplace(entries[i]->m_path, static_cast<std::uint32_t>(recorded.size()));
                if (added)
                    recorded.emplace_back();
                file = &at->second;
            }
            ++recorded[*file].count;
            fileOf[i] = *file;
        }
        // Each file's entries side by side, in catalogue order.
        std::uint32_t next = 0;
        for (RecordedFile& file : recorded) {
            file.first = next;
            next += file.count;
            file.count = 0;
        }
        byFile.resize(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            RecordedFile& file = recorded[fileOf[i]];
            byFile[file.first + file.count++] = i;
        }
        // A check renames a file from the other state's name back to the
        // recorded one. Where that name is another path's (or two paths
        // share one), the outcome depends on the order of the checks: those
        // entries keep the catalogue's order among themselves.
        // Such paths are alike but for a "." or "_": only entries whose path
        // is alike in that way to another file's are checked by name.
        // All entries of a recorded file share its path, and so its shape.
        std::vector<bool> alike(recorded.size(), false);
        {
            std::vector<std::pair<std::uint64_t, std::uint32_t>> shapes;
            shapes.reserve(recorded.size());
            for (std::size_t f = 0; f < recorded.size(); ++f)
                shapes.emplace_back(PathShape(entries[byFile[recorded[f].first]]->m_path),
                                    static_cast<std::uint32_t>(f));
            std::sort(shapes.begin(), shapes.end());
            for (std::size_t k = 1; k < shapes.size(); ++k)
                if (shapes[k].first == shapes[k - 1].first)
                    alike[shapes[k].second] = alike[shapes[k - 1].second] = true;
        }
        std::unordered_map<std::string, std::uint32_t> renamedFrom;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!alike[fileOf[i]])
                continue;
            std::string other = OtherStatePath(entries[i]->m_path, entries[i]->m_enabled != 0);
            if (other.empty())
                continue;
            const std::uint32_t own = fileOf[i];
            if (const std::uint32_t* file = recordedAt(other); file && *file != kNoFile && *file != own)
                recorded[own].alone = recorded[*file].alone = false;
            const auto [it, added] = renamedFrom.try_emplace(std::move(other), own);
            if (!added && it->second != own)
                recorded[own].alone = recorded[it->second].alone = false;
        }
    }

    // The originals of every entry, looked up side by side (see LengthsOf)
    // a block of entries at a time, before the checks' system calls come
    // between the lookups.
    lists.originals.resize(entries.size());
    {
        ImageBaseNames names;
        for (std::size_t first = 0; first < entries.size(); first += ImageBaseNames::kBlock) {
            const std::size_t count = std::min(ImageBaseNames::kBlock, entries.size() - first);
            names.Make(std::span(entries).subspan(first, count));
            m_restore.LengthsOf(names.Keys(), std::span(lists.originals).subspan(first, count));
        }
    }

    // Where the texts of a recorded file's entries begin, and the bytes
    // from there to the end of the last one as far as its check may read.
    auto textSpan = [&](const RecordedFile& file, RefreshHandle& handle) {
        long long first = -1;
        long long end = 0;
        for (std::size_t i : entriesOf(file)) {
            const CPluginEntry& e = *entries[i];
            const long long longest = e.IsPiPL() ? CPluginEntry::kMaxRefreshText : CPluginEntry::kMaxRefreshField;
            for (int offset : {e.m_nameOffset, e.m_categoryOffset})
                if (offset > 0) {
                    if (first < 0 || offset - 1 < first)
                        first = offset - 1;
                    end = std::max(end, offset + longest);
                }
        }
        handle.first = first;
        handle.count = first < 0 ? 0 : static_cast<std::size_t>(std::min<long long>(end - first, kRefreshBlock));
    };
    RefreshHandle handle;
    struct CountOpens {
        RefreshHandle& handle;
        int& total;
        ~CountOpens() { total += handle.opened; }
    } count{handle, m_filesOpened};
    for (const RecordedFile& file : recorded) {
        if (!file.alone)
            continue;
        textSpan(file, handle);
        for (std::size_t i : entriesOf(file)) {
            if (Stopped())
                return;
            RefreshEntry(i, file.listed, handle, lists);
        }
        handle.Close();
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (recorded[fileOf[i]].alone)
            continue;
        if (Stopped())
            return;
        handle.first = -1;
        RefreshEntry(i, recorded[fileOf[i]].listed, handle, lists);
        handle.Close();
    }

    // The files to read again, in the order of the entries that asked first.
    std::sort(lists.reread.begin(), lists.reread.end());
    std::size_t out = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (lists.keep[i] && (lists.rereadPaths.empty() || !lists.rereadPaths.count(entries[i]->m_path)))
            entries[out++] = std::move(entries[i]);
    entries.resize(out);

    const bool completed = [&] {
        for (const auto& [first, path] : lists.reread) {
            if (Stopped())
                return false;
            if (const std::size_t i = lists.Find(path)->listed; !lists.known[i]) {
                lists.known[i] = true;
                ++m_done;
            }
            ReadCandidate(path, false);
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (lists.known[i])
                continue;
            if (Stopped())
                return false;
            ReadCandidate(files[i], true);
            ++m_done;
        }
        return true;
    }();
    // The filters read get their originals, whether the refresh ran to its end or not.
    RecordPendingOriginals();
    if (completed)
        Report({});
}

void CCatalogueScan::RefreshEntry(std::size_t i, std::size_t listed, RefreshHandle& handle, RefreshLists& lists)
{
    CPluginEntry& e = *m_catalogue.m_entries[i];
    // A file that exists but cannot be opened is skipped (and read again
    // below if it can be by then); a missing one may have the other
    // state's name. The handle stays valid across the rename below.
    std::string other;  // the other state's name, when the file is looked for by it
    bool opened = handle.Open(e.m_path);
    if (!opened && IsMissing(errno)) {
        other = OtherStatePath(e.m_path, e.m_enabled != 0);
        opened = !other.empty() && handle.Open(other);
    }
    // Where the file was found: a copy of the path for every entry would
    // cost more than its check.
    const std::string& p = other.empty() ? e.m_path : other;
    bool ok = false;
    if (opened) {
        // Give the file back the state the catalogue recorded; a rename never
        // replaces a file, and when it fails the entry follows the file.
        bool renamed = false;
        bool moved = false;  // the entry follows its file to the other name
        if (!other.empty() && !EqualNoCase(p, e.m_path)) {
            if (RenameNoReplace(p, e.m_path)) {
                e.m_path = p;
                moved = true;
            } else {
                renamed = true;
            }
        }
        // A file found under the name it is known by has the status it was
        // opened with; a renamed one is asked again.
        if (!renamed && handle.path == e.m_path)
            FileStatus::Get(e.m_path, handle.file->StatAtOpen(), e.m_fileStatus);
        else
            FileStatus::Get(e.m_path, e.m_fileStatus);
        lists.stream.rdbuf(handle.file.get());  // clears the state of the previous entry
        lists.stream.exceptions(std::ios::badbit);
        ok = CheckEntry(e, lists.stream, moved ? nullptr : &lists.originals[i]);
        // The name the handle was opened by is gone: the next entry opens
        // the file as it is now.
        if (renamed)
            handle.Close();
    }
    // Found by the name it was recorded at, the file is where the file
    // list has that name; found by the other name, that is looked up.
    auto placeOf = [&](const std::string& path) {
        if (other.empty())
            return listed;
        const RefreshLists::Place* place = lists.Find(path);
        return place ? place->listed : kNotListed;
    };
    if (ok) {
        lists.keep[i] = true;
        if (const std::size_t at = placeOf(p); at != kNotListed && !lists.known[at]) {
            lists.known[at] = true;
            ++m_done;
        }
    }
    // A file of the directory with an entry that no longer fits, or named
    // by a catalogue that broke off part way, may hold plug-ins the
    // catalogue lacks: it is read again in full, whatever became of its
    // other entries.
    if (opened && (!ok || lists.loadedInPart) && placeOf(e.m_path) != kNotListed &&
        lists.rereadPaths.insert(e.m_path).second)
        lists.reread.emplace_back(i, e.m_path);
}

bool CCatalogueScan::CheckEntry(CPluginEntry& e, std::istream& file,
                                const CPluginRestoreManager::OriginalLengths* originals)
{
    Report(e.m_path);

    // The image base name keys both lookups. The originals were looked up
    // by it before the checks, unless the entry's path changed since.
    const bool pimiFilter = e.IsPiMI() && e.m_kind == kKindFilter;
    std::string& key = m_key;
    key.clear();
    if (pimiFilter || (!originals && !e.IsPhotoshopFilterFactory()))
        e.AppendImageBaseName(key);
    if (originals)
        CPluginRestoreManager::WidenCapacities(e, *originals);
    else
        m_restore.WidenCapacities(e, key);

    bool ok = false;
    try {
        ok = e.RefreshFromFile(file);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok)
        return false;
    return !(pimiFilter && !m_pimiCache.LookupUpper(key));
}

void SortCatalogue(CPluginListManager& catalogue)
{
    auto& entries = catalogue.m_entries;
    const std::size_t n = entries.size();
    // The keys are made once, side by side in one buffer; the passes move
    // positions, not keys and entries.
    std::string text;
    text.reserve(n * 92);
    std::vector<std::size_t> ends;
    ends.reserve(n);
    for (const auto& e : entries) {
        e->AppendSortKey(text);
        ends.push_back(text.size());
    }
    // Each key with its first 16 bytes as two numbers that order as the
    // bytes do: most comparisons end there (root, kind and the head of the
    // category), and the others compare the rest of the text.
    struct Key {
        std::uint64_t head[2];
        std::string_view rest;
        bool operator>(const Key& other) const
        {
            if (head[0] != other.head[0])
                return head[0] > other.head[0];
            if (head[1] != other.head[1])
                return head[1] > other.head[1];
            return rest > other.rest;
        }
    };
    std::vector<Key> keys(n);
    for (std::size_t i = 0, start = 0; i < n; start = ends[i++]) {
        const std::string_view key(text.data() + start, ends[i] - start);
        Key& k = keys[i];
        for (std::size_t w = 0; w < 2; ++w) {
            k.head[w] = 0;
            for (std::size_t b = 0; b < 8; ++b) {
                const std::size_t at = w * 8 + b;
                k.head[w] = (k.head[w] << 8) | (at < key.size() ? static_cast<unsigned char>(key[at]) : 0u);
            }
        }
        k.rest = key.size() > 16 ? key.substr(16) : std::string_view();
    }
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
