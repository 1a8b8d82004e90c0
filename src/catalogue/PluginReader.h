#pragma once
// The resource reader: turns the PiPL, PiMI and Premiere descriptions inside
// one plug-in file into catalogue entries, finds the file offsets of their
// names and categories, and records the originals in the restore database.

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;
class CPluginRestoreManager;
class CPIMIManager;
class COXResourceLibrary;
struct TextSpans;

// Bits of the PiPL "mode" word (supported image modes).
enum PluginMode : int {
    kModeMultichannel = 0x01,
    kModeHSB = 0x02,
    kModeHSL = 0x04,
    kModeCMYK = 0x08,
    kModeRGB = 0x10,
    kModeIndexed = 0x20,
    kModeGrayscale = 0x40,
    kModeBitmap = 0x80,
    kModeLab = 0x1000,
    kModeDuotone = 0x2000,
    kModeGray16 = 0x4000,
    kModeRGB48 = 0x8000,
};

// Why a 16-bit Windows module ("NE") is not read.
inline constexpr const char* kSixteenBitModuleText = "16-bit Windows module: not supported";

// The message shown when a PiMI resource has no kind resource.
inline constexpr const char* kUnknownPimiKindMessage = "Interner Fehler in <ReadPimi>: unbekannter Plugin Typ!\n";

class CPluginReader {
public:
    using EntryList = std::vector<std::unique_ptr<CPluginEntry>>;

    // The lists the reader fills for each file. A caller reading file after
    // file (a scan) keeps one set for all of them, allocated once.
    struct Buffers {
        Buffers();
        ~Buffers();
        Buffers(const Buffers&) = delete;
        Buffers& operator=(const Buffers&) = delete;

        std::vector<std::string> names;     // the resource names of one type
        EntryList entries;                  // the file's entries until they are appended
        std::vector<TextSpans> spans;       // where each entry's texts were read from
        std::vector<std::uint8_t> pattern;  // the text being located
    };

    // Reads into the catalogue (its current root goes into every entry),
    // recording originals in the restore database and PiMI tails in the cache.
    CPluginReader(CPluginListManager& catalogue, CPluginRestoreManager& restore, CPIMIManager& pimiCache);

    // Called with the path of every file read (the status bar's progress).
    std::function<void(const std::string&)> m_onProgress;
    // Called with messages for the user (the unknown PiMI kind).
    std::function<void(const std::string&)> m_onMessage;
    // When set, ReadFile opens the files in this library, whose memory then
    // serves one file after the other (a scan's); else in one of its own.
    COXResourceLibrary* m_library = nullptr;
    // When set, ReadFile fills these lists; else lists of its own.
    Buffers* m_buffers = nullptr;
    // When set, the filters read wait here for their originals, which are
    // then looked up all together (a scan's, at its end) by
    // RecordOriginals(restore, entries); until then their category
    // capacities are not final.
    std::vector<CPluginEntry*>* m_pendingOriginals = nullptr;

    // Reads every description of the file and appends its entries to the
    // catalogue. Returns the number of entries added: 0 for a file that is not
    // a module, has no description or whose texts cannot be located.
    int ReadFile(const std::string& path, bool hasExtension);

    // Finds the file offsets of the names and categories of the new entries
    // of one file and sorts the entries by name offset. Each text is looked
    // for only inside the resource data it was read from (the language copy
    // the reader picked), never in another copy of the same description. A
    // text whose pattern is not found there gets offset 0 (and, later,
    // capacity 0). False when the file cannot be opened as a module or read.
    static bool LocateStrings(const std::string& path, EntryList& entries);

    // Why a file is not read at all, for the user: kSixteenBitModuleText for
    // a 16-bit Windows module, null for any other file (a scan skips them
    // all quietly).
    static const char* UnsupportedModuleReason(const std::string& path);

    // Looks up the originals of the entries in the restore database, in
    // their order, recording the texts of those it does not know yet, and
    // sets their category capacities: what reading them file by file does.
    // The lookups of many entries overlap their reads of memory.
    static void RecordOriginals(CPluginRestoreManager& restore, std::span<CPluginEntry* const> entries);

    // "[" + file title of the real path + "]", the name of a nameless plug-in.
    static std::string BracketedTitle(const CPluginEntry& entry);

private:
    Buffers& Lists() { return m_buffers ? *m_buffers : m_ownBuffers; }
    // Each reads the file's entries into Lists().entries and appends them.
    int ReadPipl(COXResourceLibrary& lib, const std::string& path, int flags);
    int ReadPimi(COXResourceLibrary& lib, const std::string& path, int flags);
    int ReadPremiere(COXResourceLibrary& lib, const std::string& path, int flags);
    // Locate strings over the open module's file.
    static bool LocateStrings(COXResourceLibrary& lib, const std::string& path, EntryList& entries,
                              std::vector<TextSpans>& spans, std::vector<std::uint8_t>& pattern);
    std::unique_ptr<CPluginEntry> NewEntry(const std::string& path, int type, int flags, int index) const;
    // Capacity of a filter's category from the restore database, recording
    // the current texts when the filter is new to it.
    void RecordOriginals(CPluginEntry& entry);
    int Append(EntryList& entries);

    Buffers m_ownBuffers;

    CPluginListManager& m_catalogue;
    CPluginRestoreManager& m_restore;
    CPIMIManager& m_pimiCache;
};

}  // namespace vardel
