#include "catalogue/PluginFolderFinder.h"

#include "base/CodePage.h"
#include "base/FileOps.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace vardel {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Where Wine front ends keep their prefixes, below the home directory; "*"
// stands for every subdirectory.
const char* const kPrefixPatterns[] = {
    ".wine",
    ".local/share/wineprefixes/*",
    ".local/share/bottles/bottles/*",
    ".var/app/com.usebottles.bottles/data/bottles/bottles/*",
    ".PlayOnLinux/wineprefix/*",
    ".cxoffice/*",
    "Games/*",
    ".steam/steam/steamapps/compatdata/*/pfx",
    ".local/share/Steam/steamapps/compatdata/*/pfx",
    ".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata/*/pfx",
};

// Recursion below a plug-in folder stops here (hosts nest a few levels).
constexpr int kMaxDepth = 8;

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// "Plug-ins", "Plug-Ins", "Plugins", "PlugIns (x64)", "plugin".
bool isPluginFolderName(const std::string& name)
{
    std::string folded;
    for (char c : lower(name))
        if (c != '-' && c != ' ' && c != '_')
            folded += c;
    return folded.starts_with("plugin");
}

class Deadline {
public:
    Deadline(std::stop_token stop, Clock::time_point deadline)
        : m_stop(std::move(stop))
        , m_deadline(deadline)
    {}
    // True, and for good, once stop is requested or the deadline passed.
    bool Passed()
    {
        if (!m_passed)
            m_passed = m_stop.stop_requested() || Clock::now() >= m_deadline;
        return m_passed;
    }

private:
    std::stop_token m_stop;
    Clock::time_point m_deadline;
    bool m_passed = false;
};

using Child = std::pair<std::string, fs::path>;  // name, path with links resolved

// Subdirectories of dir (home's layout: links followed), by name.
std::vector<Child> anySubdirectories(const fs::path& dir, Deadline& deadline)
{
    std::vector<Child> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (deadline.Passed())
            break;
        std::error_code typeError;
        if (it->is_directory(typeError))
            out.emplace_back(it->path().filename().string(), it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Walks one prefix: every path it hands out lies inside the prefix, links
// resolved; a link that leads out of it, or nowhere, is passed over.
class PrefixWalk {
public:
    PrefixWalk(fs::path root, Deadline& deadline)
        : m_root(std::move(root))
        , m_deadline(deadline)
    {}

    const fs::path& Root() const { return m_root; }

    // The target of a link inside the prefix, or nothing.
    std::optional<fs::path> Resolve(const fs::path& link) const
    {
        std::error_code ec;
        fs::path target = fs::canonical(link, ec);
        if (ec)
            return std::nullopt;  // a loop, or a link to nothing
        const fs::path rel = target.lexically_relative(m_root);
        if (rel.empty() || *rel.begin() == "..")
            return std::nullopt;
        return target;
    }

    // The subdirectories of dir that may be entered, by name.
    std::vector<Child> Subdirectories(const fs::path& dir)
    {
        std::vector<Child> out;
        List(dir, [&](const fs::directory_entry& e, fs::file_type type) {
            if (type == fs::file_type::directory) {
                out.emplace_back(e.path().filename().string(), e.path());
            } else if (type == fs::file_type::symlink) {
                std::error_code ec;
                if (auto target = Resolve(e.path()); target && fs::is_directory(*target, ec))
                    out.emplace_back(e.path().filename().string(), *target);
            }
        });
        std::sort(out.begin(), out.end());
        return out;
    }

    // The plug-in files in dir and below, each directory counted once.
    int CountPluginFiles(const fs::path& dir, const std::string& upperExtensions)
    {
        int count = 0;
        std::set<fs::path> seen{dir};
        std::vector<std::pair<fs::path, int>> pending{{dir, 0}};
        while (!pending.empty() && !m_deadline.Passed()) {
            auto [current, depth] = pending.back();
            pending.pop_back();
            List(current, [&](const fs::directory_entry& e, fs::file_type type) {
                fs::path target = e.path();
                if (type == fs::file_type::symlink) {
                    auto resolved = Resolve(e.path());
                    if (!resolved)
                        return;
                    std::error_code ec;
                    type = fs::status(*resolved, ec).type();
                    target = *resolved;
                }
                if (type == fs::file_type::regular) {
                    count += IsPluginFileName(e.path().filename().string(), upperExtensions) ? 1 : 0;
                } else if (type == fs::file_type::directory && depth < kMaxDepth && seen.insert(target).second) {
                    pending.emplace_back(target, depth + 1);
                }
            });
        }
        return count;
    }

    // A name a scan reads by its extension, or the disabled name of one
    // ("Blur_8BF").
    static bool IsPluginFileName(const std::string& name, const std::string& upperExtensions)
    {
        std::string ext = CCatalogueScan::UpperExtension(name);
        if (ext.empty()) {
            const std::size_t bar = name.rfind('_');
            if (bar == std::string::npos || bar == 0)
                return false;
            ext = CCatalogueScan::UpperExtension("." + name.substr(bar + 1));
        }
        return ext.size() > 1 && CCatalogueScan::IsCandidateUpper(ext, upperExtensions, false);
    }

private:
    // Calls visit for each entry of dir with its own type (links not followed).
    template <class Visit>
    void List(const fs::path& dir, Visit visit)
    {
        std::error_code ec;
        for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (m_deadline.Passed())
                return;
            std::error_code typeError;
            const fs::file_type type = it->symlink_status(typeError).type();
            if (!typeError)
                visit(*it, type);
        }
    }

    fs::path m_root;
    Deadline& m_deadline;
};

struct Candidate {
    fs::path path;
    std::string label;  // the host folder's name as the file system has it
    bool listEmpty = false;
};

// The hosts' plug-in folders of one prefix.
std::vector<Candidate> hostFolders(PrefixWalk& walk)
{
    std::vector<Candidate> out;
    const auto top = walk.Subdirectories(walk.Root());
    auto driveC = std::find_if(top.begin(), top.end(), [](const Child& c) { return c.first == "drive_c"; });
    if (driveC == top.end())
        return out;
    for (const auto& [pfName, pf] : walk.Subdirectories(driveC->second)) {
        if (!lower(pfName).starts_with("program files"))
            continue;
        for (const auto& [hostName, host] : walk.Subdirectories(pf)) {
            const bool adobe = lower(hostName) == "adobe";
            if (lower(hostName) == "common files") {
                // Common Files/<vendor>/Plug-Ins/<version>: shared by a vendor's hosts.
                for (const auto& [vendorName, vendor] : walk.Subdirectories(host))
                    for (const auto& [plugName, plug] : walk.Subdirectories(vendor))
                        if (isPluginFolderName(plugName))
                            for (const auto& [versionName, version] : walk.Subdirectories(plug))
                                out.push_back({version, vendorName + " " + plugName + " " + versionName,
                                               lower(vendorName) == "adobe"});
                continue;
            }
            for (const auto& [name, sub] : walk.Subdirectories(host)) {
                if (isPluginFolderName(name)) {
                    // Program Files/<host>/Plug-ins
                    out.push_back({sub, hostName, false});
                    continue;
                }
                // Program Files/<vendor>/<host>/Plug-ins
                for (const auto& [plugName, plug] : walk.Subdirectories(sub))
                    if (isPluginFolderName(plugName))
                        out.push_back({plug, name, adobe});
            }
        }
    }
    return out;
}

// The name a prefix goes by: its folder's, or for a Steam "pfx" its game's number.
std::string prefixName(const fs::path& prefix)
{
    const std::string name = prefix.filename().string();
    return name == "pfx" ? prefix.parent_path().filename().string() : name;
}

// Labels that differ: the prefix's name added where two are alike, then a number.
void makeLabelsUnique(std::vector<FoundFolder>& folders)
{
    auto clashes = [&](auto label) {
        std::map<std::string, int> count;
        for (const auto& f : folders)
            ++count[label(f)];
        return count;
    };
    const auto first = clashes([](const FoundFolder& f) { return f.label; });
    for (auto& f : folders)
        if (first.at(f.label) > 1)
            f.label += " (" + utf8ToCodePage(prefixName(NativePath(f.prefix))) + ")";
    std::map<std::string, int> seen;
    for (auto& f : folders)
        if (int n = ++seen[f.label]; n > 1)
            f.label += " " + std::to_string(n);
}

fs::path resolvedOrNormal(const fs::path& path)
{
    std::error_code ec;
    fs::path out = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : out;
}

}  // namespace

std::vector<fs::path> FindWinePrefixes(const fs::path& home, std::stop_token stop, Clock::time_point deadline)
{
    Deadline until(std::move(stop), deadline);
    std::set<fs::path> found;
    for (const char* pattern : kPrefixPatterns) {
        std::vector<fs::path> level{home};
        for (const auto& part : fs::path(pattern)) {
            std::vector<fs::path> next;
            for (const auto& dir : level) {
                if (until.Passed())
                    break;
                if (part == "*") {
                    for (auto& [name, sub] : anySubdirectories(dir, until))
                        next.push_back(sub);
                } else {
                    next.push_back(dir / part);
                }
            }
            level = std::move(next);
        }
        for (const auto& candidate : level) {
            std::error_code ec;
            if (until.Passed() || !fs::is_directory(candidate / "drive_c", ec))
                continue;
            if (fs::path prefix = fs::canonical(candidate, ec); !ec)
                found.insert(prefix);
        }
    }
    return {found.begin(), found.end()};
}

FolderSearch FindPluginFolders(const fs::path& home, const std::string& extensions, const DirectoryList& list,
                               std::stop_token stop, Clock::time_point deadline)
{
    FolderSearch search;
    Deadline until(stop, deadline);
    std::string upperExtensions = extensions;
    for (char& c : upperExtensions)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');

    std::map<fs::path, FoundFolder> byPath;
    for (const fs::path& prefix : FindWinePrefixes(home, stop, deadline)) {
        PrefixWalk walk(prefix, until);
        for (const Candidate& c : hostFolders(walk)) {
            if (until.Passed() || byPath.count(c.path))
                continue;
            const int files = walk.CountPluginFiles(c.path, upperExtensions);
            if (files == 0 && !c.listEmpty)
                continue;
            byPath[c.path] = FoundFolder{StoredPath(c.path), utf8ToCodePage(c.label), StoredPath(prefix), files, -1};
        }
    }
    search.complete = !until.Passed();

    for (std::size_t i = 0; i < list.size(); ++i) {
        const CPluginDirEntry& d = *list[i];
        const std::string dir = RemoveTrailingSeparators(CCatalogueScan::CutAtZero(d.m_directory));
        if (d.m_separator || dir.empty())
            continue;
        auto it = byPath.find(resolvedOrNormal(NativePath(dir)));
        if (it != byPath.end() && it->second.listedAs < 0)
            it->second.listedAs = static_cast<int>(i);
    }
    for (auto& [path, folder] : byPath)
        search.folders.push_back(std::move(folder));
    makeLabelsUnique(search.folders);
    return search;
}

std::unique_ptr<CPluginDirEntry> MakeDirectoryEntry(const FoundFolder& folder)
{
    auto entry = std::make_unique<CPluginDirEntry>();
    entry->m_label = folder.label;
    entry->m_directory = folder.path;
    entry->m_includeSubdirectories = 1;
    return entry;
}

}  // namespace vardel
