#pragma once
// The plug-in and category commands of the main view as whole operations on
// the catalogue of one directory: rename, move, enable and disable. Each
// checks that the command is available for its entries, writes through
// CPluginWriter and re-sorts the catalogue where the order may change.

#include "modify/ChangeRecorder.h"
#include "modify/PluginWriter.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;

// Sorts the catalogue's entries by sort key (the document's sort).
using CatalogueSort = std::function<void(CPluginListManager&)>;

inline constexpr const char* kTooShortText = "At least 3 characters are needed.";
inline constexpr const char* kUnavailableText =
    "Not available: a plug-in is read-only, or has no category of its own or no space for one.";
inline constexpr const char* kNothingSelectedText = "No plug-in to change.";
// The start of the refusal of a command the journal could not record.
inline constexpr const char* kNotRecordedText = "Nothing was written: the change could not be recorded in the journal";

// Why a command is refused before anything is written: its code and
// arguments for the window, its English text for the tools. Empty (code
// None) when nothing stands in the way.
struct EditRefusal {
    EditCode code = EditCode::None;
    std::vector<std::string> arguments;
    std::string text;

    bool empty() const { return code == EditCode::None; }
};

// Where the commands may write. A catalogue file names the plug-in files its
// commands change, and a catalogue file is only a store that anything may
// have written: its commands change only files whose real path (symbolic
// links resolved) lies below the real path of the directory it belongs to.
class WriteScope {
public:
    // No limit (a file the user named himself).
    static WriteScope Anywhere();
    // Files below directory (a stored path), links resolved.
    static WriteScope Below(const std::string& directory);
    // Nothing at all, for the reason given (WritesBarred: the data directory
    // is another program's to change; NoDirectory), reason its English text.
    static WriteScope Nowhere(EditCode code, const std::string& reason);

    // Why the entry's file may not be written; empty when it may.
    EditRefusal Refusal(const CPluginEntry& entry) const;

private:
    enum class Kind { Anywhere, Below, Nowhere };
    Kind m_kind = Kind::Anywhere;
    std::string m_directory;                // as stored, for the message
    std::filesystem::path m_realDirectory;  // empty when the directory cannot be resolved
    EditCode m_reasonCode = EditCode::None;
    std::string m_reason;
};

struct EntryWrite {
    CPluginEntry* entry = nullptr;
    WriteResult result;
};

struct CommandResult {
    bool accepted = false;               // the command was available and its text acceptable
    std::string message;                 // why it was refused; empty when accepted
    EditCode code = EditCode::None;      // the refusal as a code, for the window
    std::vector<std::string> arguments;  // the code's %1, %2, ...
    std::vector<EntryWrite> writes;      // rename and move: one per entry, in order
    std::vector<CPluginEntry*> changed;  // enable and disable: entries now in the new state

    // Entries whose write failed with a message to show ("File read only?").
    std::vector<const EntryWrite*> Failures() const;
    // A command refused before anything was written, for the reason given.
    static CommandResult Refused(EditRefusal refusal);
};

class CCatalogueEditor {
public:
    // Writes only inside scope; a command with an entry outside it is refused
    // as a whole, before anything is written. With a recorder, every command
    // that changes a file is recorded with all it means to change before the
    // first file is touched, and refused when it cannot be recorded.
    CCatalogueEditor(CPluginListManager& catalogue, CatalogueSort sort, WriteScope scope = WriteScope::Anywhere(),
                     ChangeRecorder* recorder = nullptr);

    // The label the next commands are recorded with instead of their own
    // ("" gives them back their own).
    void SetLabel(std::string label) { m_label = std::move(label); }

    // Rename of one plug-in (end of the label edit): refused when the
    // command is unavailable for it or the text has fewer than 3 characters
    // or more than NameLimit(entry); otherwise SetName.
    WriteResult RenamePlugin(CPluginEntry& entry, const std::string& text);

    // Move of the entries to the category: refused when unavailable, or the
    // text is shorter than 3 or longer than CategoryLimit(entries).
    // Otherwise SetCategory on each entry, then the catalogue is sorted.
    CommandResult MovePlugins(const std::vector<CPluginEntry*>& entries, const std::string& category);

    // Move and rename of a whole category (the plug-ins of the category
    // entry's kind and category), with the same rules as MovePlugins.
    CommandResult MoveCategory(const CPluginEntry& categoryEntry, const std::string& category);
    CommandResult RenameCategory(const CPluginEntry& categoryEntry, const std::string& text);

    // Enable or disable the selected plug-ins together with every entry of
    // their files. Refused when a plug-in is read-only.
    CommandResult EnablePlugins(const std::vector<CPluginEntry*>& selection, bool flag);
    // The same for every plug-in of the category.
    CommandResult EnableCategory(const CPluginEntry& categoryEntry, bool flag);

private:
    CommandResult WriteCategory(const std::vector<CPluginEntry*>& entries, const std::string& category,
                                const std::string& label);
    CommandResult MoveCategoryAs(const CPluginEntry& categoryEntry, const std::string& category, const char* verb);
    // The renames enabling or disabling the entries' files makes: one per
    // file that is there and not in the state yet.
    std::vector<FileChange> PlanRenames(const std::vector<CPluginEntry*>& entries, bool flag) const;
    // label gets the number of files renamed when withFiles is set.
    void Enable(const std::vector<CPluginEntry*>& entries, bool flag, CommandResult& result, const std::string& label,
                bool withFiles);
    // Plans, records and makes the writes of a rename or move.
    void Write(const std::vector<CPluginEntry*>& entries, TextField field, const std::string& text,
               const std::string& label, CommandResult& result);
    // Records the command; empty when recorded (or there is no recorder).
    EditRefusal Record(const std::string& label, const std::vector<FileChange>& changes);
    void Mark(std::size_t change, FileChange::State state);
    void EndRecord();
    // The refusal of the first entry outside the scope; empty when all are inside.
    EditRefusal OutsideScope(const std::vector<CPluginEntry*>& entries) const;

    CPluginListManager& m_catalogue;
    CPluginWriter m_writer;
    CatalogueSort m_sort;
    WriteScope m_scope;
    ChangeRecorder* m_recorder = nullptr;
    bool m_recording = false;
    std::string m_label;
};

}  // namespace vardel
