#pragma once
// Writes a new name or category into a plug-in file, in place, at the offset
// where the scan found the old text and within the space that text had; and
// enables or disables every entry of one plug-in file.
//
// Nothing is written unless the bytes at the offset still hold the entry's
// current text just before the write, inside the resource (the language
// copy) the text was read from; the write changes only the bytes of
// the text (with its length byte, padding or PiMI tail) in one call.

#include "modify/ChangeRecorder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginFile;
class CPluginListManager;

// The text of the message box for any failure to open, position or write.
inline constexpr const char* kFileReadOnlyText = "File read only?";
inline constexpr const char* kChangedOnDiskText =
    "The plug-in file changed on disk since it was scanned; nothing was written. Please re-scan the directory.";
inline constexpr const char* kTooLongText = "The text does not fit into the space it has in the plug-in file.";

enum class WriteStatus {
    Written,        // the file and the entry hold the new text
    NotLocated,     // offset or capacity below 1: nothing written, no message
    NotWritable,    // Premiere or unknown category: nothing written, no message
    TooLong,        // longer than the space in the file, or holds a zero byte
    ReadOnly,       // open, seek, read or write failed ("File read only?")
    ChangedOnDisk,  // the file no longer holds the entry's current text
    Refused,        // the command does not apply (unavailable, text too short)
};

struct WriteResult {
    WriteStatus status = WriteStatus::NotLocated;
    std::string text;                    // the text the entry holds now; empty when nothing changed
    std::string message;                 // what to tell the user; empty when nothing is to be shown
    EditCode code = EditCode::None;      // the message as a code, for the window
    std::vector<std::string> arguments;  // the code's %1, %2, ...

    bool Written() const { return status == WriteStatus::Written; }
};

// A write worked out but not made: where, the bytes there now and the bytes
// to put there, and the text the entry then holds. Refused (refusal says
// why) when it cannot be made.
struct PlannedWrite {
    WriteResult refusal;  // Written when the write can be made
    TextField field = TextField::Name;
    std::uint64_t at = 0;
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
    std::string text;    // the entry's text after the write
    int textOffset = 0;  // the entry's text offset after the write

    bool Possible() const { return refusal.Written(); }
    PlannedWrite& Refuse(WriteStatus status, const char* message);
    PlannedWrite& Refuse(WriteResult result);
    // Reads the bytes the write replaces; refused when they cannot be read.
    PlannedWrite& ReadBefore(CPluginFile& file);
};

class CPluginWriter {
public:
    // The 16 bytes that follow a PiMI category are always the file's own,
    // read right after the category's terminator: the tail cache is only the
    // record the scan keeps, and two files may share its key, so the writer
    // never consults it.

    // Writes the name. Filter Factory filters get a new length byte and the
    // characters; any other plug-in gets the name padded with spaces to the
    // space of the old name, its length byte or terminator kept. Returns the
    // name the entry holds afterwards (trailing blanks removed, except for
    // Filter Factory names) in text; on any failure the entry and the file
    // keep their old values.
    WriteResult SetName(CPluginEntry& entry, const std::string& name) const;

    // Writes the category: a new length byte and the characters for PiPL
    // (after finding the category's property again, inside the resource the
    // entry was read from), the characters, a zero byte and the file's own
    // 16-byte tail for PiMI, nothing for other types. Returns the new
    // category in text; on failure nothing changes.
    WriteResult SetCategory(CPluginEntry& entry, const std::string& category) const;

    // SetName and SetCategory in two halves: the write worked out (the file
    // checked, the bytes read), then made, only while the file still holds
    // the bytes read. Apply updates the entry; a refused plan is returned as is.
    PlannedWrite PlanName(const CPluginEntry& entry, const std::string& name) const;
    PlannedWrite PlanCategory(const CPluginEntry& entry, const std::string& category) const;
    WriteResult Apply(CPluginEntry& entry, const PlannedWrite& plan) const;

    // Puts replacement at offset at of the file at path (a stored path),
    // only when the file holds exactly expected there (as many bytes, none
    // cut off by its end). Written when done (or when it holds replacement
    // already), ChangedOnDisk when it holds other bytes, ReadOnly when it
    // cannot be opened, read or written, Refused when the two differ in
    // length. Nothing else in the file is touched.
    static WriteStatus ReplaceBytes(const std::string& path, std::uint64_t at,
                                    const std::vector<std::uint8_t>& expected,
                                    const std::vector<std::uint8_t>& replacement);

    // The longest name SetName accepts for the entry, read from its file: for
    // a Filter Factory filter what its name property's data holds (at most
    // the name capacity), for other plug-ins the name capacity, at most the
    // characters the kept length byte or terminator leaves. 0 when the name
    // cannot be written at all (not located, no capacity, unknown type). The
    // name capacity when the file cannot be read or no longer holds the name
    // (SetName then reports why it fails).
    static int NameLimit(const CPluginEntry& entry);
    // The longest category SetCategory accepts, in the same way: for PiPL
    // what the category property's data holds (at most the category
    // capacity), for PiMI the category capacity. The category capacity when
    // the category is not located, not writable or cannot be read.
    static int CategoryLimit(const CPluginEntry& entry);

    // Enables or disables every entry of the catalogue whose real path is the
    // entry's real path (the entry included). Returns the entries that are
    // now in the requested state, in catalogue order. A file is never
    // replaced: when the other name is taken, its entries stay as they were.
    static std::vector<CPluginEntry*> SetEnabledForFile(CPluginListManager& catalogue, const CPluginEntry& entry,
                                                        bool flag);
};

}  // namespace vardel
