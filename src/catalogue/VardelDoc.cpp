#include "catalogue/VardelDoc.h"

#include "app/Application.h"
#include "app/FileOps.h"
#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginTables.h"
#include "modify/BlockFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unordered_map>


namespace vardel {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxWalkDepth = 64;  // symbolic links can make a tree endless
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

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && Upper(a) == Upper(b);
}

std::string Join(const std::string& directory, const std::string& name)
{
    if (!directory.empty() && (directory.back() == '/' || directory.back() == '\\'))
        return directory + name;
    return directory + static_cast<char>(fs::path::preferred_separator) + name;
}

std::size_t FileNameStart(const std::string& path)
{
    std::size_t pos = path.find_last_of("/\\");
    return pos == std::string::npos ? 0 : pos + 1;
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

}  // namespace

CVardelDoc::CVardelDoc(CVardelApp& app) : m_app(app)
{
}

int CVardelDoc::IndexOfCurrent() const
{
    if (!m_current)
        return -1;
    for (std::size_t i = 0; i < m_app.m_directories.size(); ++i)
        if (m_app.m_directories[i].get() == m_current)
            return static_cast<int>(i);
    return -1;
}

bool CVardelDoc::IsCurrentInList() const
{
    return IndexOfCurrent() >= 0;
}

bool CVardelDoc::IsCatalogueShown() const
{
    return !m_catalogue.m_entries.empty() && IsCurrentInList();
}

void CVardelDoc::Status(const char* text)
{
    if (m_onStatus)
        m_onStatus(text);
}

void CVardelDoc::Post(int command)
{
    if (m_post)
        m_post(command);
    else if (command == kCmdSetupSave)
        SaveCatalogue();
}

std::string CVardelDoc::OpenErrorMessage(int error, const std::string& path)
{
    switch (error) {
    case ENOENT:
        return path + " was not found.";
    case ENAMETOOLONG:
    case ENOTDIR:
    case EINVAL:
    case ELOOP:
        return path + " contains an invalid path.";
    case EMFILE:
    case ENFILE:
        return path + " could not be opened because there are too many open files.";
    case EACCES:
    case EPERM:
    case EISDIR:  // Windows refuses to open a directory as a file with "access denied"
        return "Access to " + path + " was denied.";
    case EBUSY:
    case ETXTBSY:
        return "A sharing violation occurred while accessing " + path + ".";
    case EDEADLK:
    case ENOLCK:
        return "A locking violation occurred while accessing " + path + ".";
    default:
        return "An unknown error occurred while accessing " + path + ".";
    }
}

bool CVardelDoc::SelectDirectory(int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= m_app.m_directories.size())
        return false;
    if (IsCatalogueShown())
        SaveCatalogue();
    m_current = m_app.m_directories[static_cast<std::size_t>(n)].get();
    m_title = m_current->m_label;
    m_filesRead = 0;

    const fs::path file = m_app.m_dataDir.Resolve(m_current->m_catalogueFile);
    std::uint64_t size = 0;
    {
        // The error of the open names the cause in the message.
        BlockFile probe;
        if (!probe.Open(file.string())) {
            const int error = errno;
            if (m_onMessage)
                m_onMessage(OpenErrorMessage(error, file.string()));
            return false;
        }
        size = probe.Size();
    }

    if (size == 0) {
        FullScan(n);
    } else {
        int selected = -1;
        LoadCatalogue(file, selected, m_catalogue);  // what was read before a failure is kept
        m_selectedClass = selected;
        Refresh(*m_current);
    }
    Status("Analysing...");
    Sort();
    CountClasses();
    Post(kCmdRefillViews);
    Post(kCmdSetupSave);
    Status("Ready");
    return true;
}

bool CVardelDoc::RescanAll()
{
    int index = IndexOfCurrent();
    bool done = false;
    if (index >= 0) {
        m_filesRead = 0;
        FullScan(index);
        Status("Analysing...");
        Sort();
        Post(kCmdSetupSave);
        done = true;
    }
    Status("Ready");
    return done;
}

bool CVardelDoc::SaveCatalogue()
{
    if (!IsCurrentInList() || m_current->m_catalogueFile.empty())
        return false;
    return static_cast<bool>(
        vardel::SaveCatalogue(m_app.m_dataDir.Resolve(m_current->m_catalogueFile), m_selectedClass, m_catalogue));
}

void CVardelDoc::FullScan(int n)
{
    m_catalogue.Clear();
    Post(kCmdRefillViews);
    const CPluginDirEntry& dir = *m_app.m_directories.at(static_cast<std::size_t>(n));
    ScanRoot(dir.m_directory, dir.m_includeSubdirectories != 0);
}

void CVardelDoc::ScanRoot(const std::string& directory, bool subdirectories)
{
    // Windows finds "." and ".." in any existing directory, so a directory
    // that exists always gets a root, even when it is empty.
    std::error_code ec;
    if (directory.empty() || !fs::is_directory(fs::path(directory), ec))
        return;
    auto root = std::make_unique<CRootItem>();
    root->m_path = directory;
    m_catalogue.m_roots.push_back(std::move(root));
    m_catalogue.m_currentRoot = static_cast<int>(m_catalogue.m_roots.size()) - 1;
    Walk(directory, subdirectories, m_app.m_settings.scanAll != 0, 0, nullptr);
}

std::string CVardelDoc::UpperExtension(const std::string& fileName)
{
    std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : Upper(fileName.substr(dot));
}

bool CVardelDoc::IsCandidate(const std::string& upperExtension, const std::string& extensions, bool scanAll)
{
    if (upperExtension.empty() || scanAll)
        return true;
    return Upper(extensions).find(upperExtension.substr(1)) != std::string::npos;
}

void CVardelDoc::Walk(const std::string& directory, bool subdirectories, bool scanAll, int depth,
                      std::vector<std::string>* collect)
{
    if (depth > kMaxWalkDepth)
        return;
    std::error_code ec;
    fs::directory_iterator it(fs::path(directory), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string path = Join(directory, name);
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            if (subdirectories && name != "." && name != "..")
                Walk(path, subdirectories, scanAll, depth + 1, collect);
            continue;
        }
        if (!it->is_regular_file(typeEc))
            continue;
        const std::string ext = UpperExtension(name);
        if (!IsCandidate(ext, m_app.m_settings.extensions, scanAll))
            continue;
        if (collect)
            collect->push_back(path);
        else
            ReadCandidate(path, !ext.empty());
    }
}

void CVardelDoc::ReadCandidate(const std::string& path, bool hasExtension)
{
    if (m_onProgress)
        m_onProgress(path);
    ++m_filesRead;
    CPluginReader reader(m_catalogue, m_app.m_restore, m_app.m_pimiCache);
    reader.m_onMessage = m_onMessage;
    reader.ReadFile(path, hasExtension);
}

void CVardelDoc::Refresh(const CPluginDirEntry& directory)
{
    std::vector<std::string> files;
    Walk(directory.m_directory, directory.m_includeSubdirectories != 0, false, 0, &files);

    // Paths of the file list by value, to strike known files off in constant time.
    std::unordered_map<std::string, std::size_t> listed;
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
    std::unordered_map<std::string, int> pending;  // entries per recorded path not yet checked
    for (const auto& e : entries)
        ++pending[e->m_path];
    std::unordered_map<std::string, std::unique_ptr<BlockFile>> shared;

    for (std::size_t i = 0; i < entries.size(); ++i) {
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
                own = std::make_unique<BlockFile>(kRefreshBlock);
            if (!own->Open(path))
                return false;
            buffer = own.get();
            return true;
        };
        // A file that exists but cannot be opened is skipped (and read again
        // below if it can be by then); a missing one may have the other
        // state's name.
        bool ok = open(p);
        if (!ok && IsMissing(errno)) {
            p = OtherStatePath(e.m_path, e.m_enabled != 0);
            ok = !p.empty() && open(p);
        }
        if (ok) {
            // Give the file back the state the catalogue recorded; a rename never
            // replaces a file, and when it fails the entry follows the file.
            if (!EqualNoCase(p, e.m_path)) {
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
            ok = CheckEntry(e, *buffer);
        }
        if (ok) {
            keep[i] = true;
            if (auto it = listed.find(p); it != listed.end())
                known[it->second] = true;
        }

        // Keep the handle for the next entries of this file, or close it
        // after the last of them.
        auto left = pending.find(recorded);
        if (--left->second == 0) {
            shared.erase(recorded);
            pending.erase(left);
        } else if (own && buffer == own.get() && own->IsOpen() && p == recorded && e.m_path == recorded &&
                   shared.size() < kMaxSharedFiles) {
            shared.emplace(recorded, std::move(own));
        }
    }
    shared.clear();

    std::size_t out = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (keep[i])
            entries[out++] = std::move(entries[i]);
    entries.resize(out);

    for (std::size_t i = 0; i < files.size(); ++i)
        if (!known[i])
            ReadCandidate(files[i], !UpperExtension(files[i].substr(FileNameStart(files[i]))).empty());
}

bool CVardelDoc::CheckEntry(CPluginEntry& e, BlockFile& buffer)
{
    std::istream file(&buffer);
    file.exceptions(std::ios::badbit);
    FileStatus::Get(e.m_path, e.m_fileStatus);
    if (m_onProgress)
        m_onProgress(e.m_path);

    m_app.m_restore.WidenCapacities(e);

    bool ok = false;
    try {
        ok = e.RefreshFromFile(file);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok)
        return false;
    return !(e.IsPiMI() && e.m_kind == kKindFilter && !m_app.m_pimiCache.Lookup(e.ImageBaseName()));
}

void CVardelDoc::Sort()
{
    auto& entries = m_catalogue.m_entries;
    const std::size_t n = entries.size();
    std::vector<std::pair<std::string, std::unique_ptr<CPluginEntry>>> items;
    items.reserve(n);
    for (auto& e : entries) {
        std::string key = e->SortKey();
        items.emplace_back(std::move(key), std::move(e));
    }
    std::size_t gap = 1;
    while (gap * 3 + 1 <= n)
        gap = gap * 3 + 1;
    for (; gap >= 1; gap = (gap - 1) / 3) {
        for (std::size_t i = gap; i < n; ++i) {
            auto item = std::move(items[i]);
            std::size_t j = i;
            for (; j >= gap && items[j - gap].first > item.first; j -= gap)
                items[j] = std::move(items[j - gap]);
            items[j] = std::move(item);
        }
        if (gap == 1)
            break;
    }
    for (std::size_t i = 0; i < n; ++i)
        entries[i] = std::move(items[i].second);
}

void CVardelDoc::CountClasses()
{
    m_classCounts.fill(0);
    for (const auto& e : m_catalogue.m_entries) {
        int cls = ClassOfKind(e->m_kind);
        if (cls >= 0 && cls < kClassCountSize)
            ++m_classCounts[static_cast<std::size_t>(cls)];
    }
    if (m_selectedClass < 0 || m_selectedClass >= kClassCountSize ||
        m_classCounts[static_cast<std::size_t>(m_selectedClass)] == 0) {
        m_selectedClass = -1;
        for (int c = 0; c < kClassCountSize; ++c)
            if (m_classCounts[static_cast<std::size_t>(c)] >= 1) {
                m_selectedClass = c;
                break;
            }
    }
}

}  // namespace vardel
