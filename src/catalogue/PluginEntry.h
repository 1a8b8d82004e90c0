#pragma once
// One plug-in: one PiPL or PiMI resource, or one Premiere module, inside one
// plug-in file; with the names derived from it and the two operations that
// touch its file (refresh of name and category, enabling and disabling).

#include "base/Object.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vardel {

struct OpenFileStat;

// Resource flags of a plug-in file, as found at scan time.
enum PluginResourceFlag : int {
    kFlagFXVS = 0x01,
    kFlagFLVS = 0x02,
    kFlagPARM = 0x04,
    kFlagFUNC = 0x08,
    kFlagNoExtension = 0x20,
};

// Where the description came from.
enum PluginResourceType : int {
    kResourceUnknown = 0,
    kResourcePiMI = 1,
    kResourcePiPL = 2,
    kResourcePremiere = 3,
};

// What the file system said about a plug-in file when last asked; not stored.
struct FileStatus {
    std::int64_t created = 0;  // seconds since the epoch
    std::int64_t modified = 0;
    std::int64_t accessed = 0;
    std::uint64_t size = 0;
    std::uint8_t attributes = 0;  // kAttrReadOnly and friends

    static constexpr std::uint8_t kAttrReadOnly = 0x01;
    static constexpr std::uint8_t kAttrDirectory = 0x10;
    // Fills a status from the file system; false when the file is missing.
    static bool Get(const std::string& path, FileStatus& status);
    // The same for the file at path from what fstat said about it while it
    // was open there (BlockFile), without asking again by name. Where times
    // and attributes do not come from fstat (Windows) it asks by name.
    static bool Get(const std::string& path, const OpenFileStat& open, FileStatus& status);
};

class CPluginEntry : public CObject {
public:
    static const CRuntimeClass classCPluginEntry;
    static const CRuntimeClass& GetStaticClass() { return classCPluginEntry; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCPluginEntry; }
    void Serialize(CArchive& ar) override;

    // Fields, in declaration order, with their initial values.
    std::string m_path;
    int m_rootIndex = 0;
    int m_reserved1 = -1;
    int m_kind = 0;
    int m_resourceType = 0;
    int m_resourceFlags = 0;
    int m_modes = 0;
    int m_noCategory = 0;
    int m_reserved2 = 0;
    int m_enabled = 1;
    int m_indexInFile = 0;
    std::string m_name;
    std::string m_category;
    int m_nameCapacity = 0;
    int m_categoryCapacity = 0;
    int m_nameOffset = 0;
    int m_categoryOffset = 0;
    int m_reserved3 = 0;
    int m_reserved4 = 0;      // not stored
    FileStatus m_fileStatus;  // not stored

    // Derived names.
    std::string FileTitle() const;                     // file name without directory and extension
    std::string ImageBaseName() const;                 // "%s_%s_%02d" kind code, file title, index; upper case
    void AppendImageBaseName(std::string& out) const;  // ImageBaseName() appended to out
    std::string PreviewImageName(int n) const;         // "%s_%03d.JPG"
    std::string DescriptionKey() const;                // "%s_%1d", 1 for Photoshop Filter Factory filters
    std::string RealPath() const;                      // the name the file has when enabled
    std::string SortKey() const;                       // "%03d.%03d.%-40s.%-40s", upper case
    void AppendSortKey(std::string& out) const;        // SortKey() appended to out

    // Predicates.
    bool IsPiPL() const { return m_resourceType == kResourcePiPL; }
    bool IsPiMI() const { return m_resourceType == kResourcePiMI; }
    bool IsPremiere() const { return m_resourceType == kResourcePremiere; }
    bool IsFilter() const;  // kind "8BFM" or "eFKT"
    bool IsPhotoshopFilterFactory() const;
    bool IsPremiereFilterFactory() const;
    bool IsPremiereTransitionFactory() const;
    bool IsReadOnly() const { return (m_fileStatus.attributes & FileStatus::kAttrReadOnly) != 0; }

    // The most RefreshFromFile reads from a text's offset on: a PiPL text's
    // characters (its length byte stands just before the offset), and the
    // zero-terminated field of the other kinds.
    static constexpr int kMaxRefreshText = 34;
    static constexpr int kMaxRefreshField = 255;

    // Re-reads name and category from the stored offsets of the open file.
    // Returns false when the texts no longer fit (the caller drops the entry);
    // read errors of the stream are raised as std::ios_base::failure.
    bool RefreshFromFile(std::istream& file);

    // The path the file has in the state flag (enabled or disabled): the
    // path itself when the entry is in that state already, "" when the path
    // has no such form (no extension to drop, no "_" to turn back).
    std::string PathFor(bool flag) const;

    // Renames the plug-in file between its enabled and disabled names. Never
    // replaces an existing file. A missing source file counts as renamed
    // already (another entry of the same file did it). False on failure,
    // with the entry unchanged.
    bool SetEnabled(bool flag);
};

// The image base names of a block of entries side by side in one buffer,
// for looking them up together: the keys of the restore database.
// Photoshop Filter Factory filters, which have no originals, get empty keys.
class ImageBaseNames {
public:
    // entries: pointers (plain or owning) to the entries, in order.
    template <class Entries>
    void Make(const Entries& entries)
    {
        m_text.clear();
        m_ends.clear();
        for (const auto& e : entries) {
            if (!e->IsPhotoshopFilterFactory())
                e->AppendImageBaseName(m_text);
            m_ends.push_back(m_text.size());
        }
        m_keys.clear();
        for (std::size_t k = 0, start = 0; k < m_ends.size(); start = m_ends[k++])
            m_keys.emplace_back(m_text.data() + start, m_ends[k] - start);
    }
    // One key per entry of the last Make, valid until the next.
    std::span<const std::string_view> Keys() const { return m_keys; }

    // Entries looked up together at most: the buffers stay small.
    static constexpr std::size_t kBlock = 4096;

private:
    std::string m_text;
    std::vector<std::size_t> m_ends;
    std::vector<std::string_view> m_keys;
};

// The name as the plug-in list shows it, and as a rename keeps it: trailing
// blanks (spaces; a tab or line end is part of the text) removed.
std::string ListLabel(const std::string& name);

}  // namespace vardel
