#include "modify/CatalogueEditor.h"

#include "base/FileOps.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"

#include <algorithm>
#include <filesystem>

namespace vardel {

namespace {

EditRefusal ReadOnly()
{
    return {EditCode::FileReadOnly, {}, kFileReadOnlyText};
}

EditRefusal NothingSelected()
{
    return {EditCode::NothingSelected, {}, kNothingSelectedText};
}

EditRefusal TooShort()
{
    return {EditCode::TooShort, {}, kTooShortText};
}

// Why a rename or move is unavailable: a read-only file says so.
EditRefusal Unavailable(const std::vector<CPluginEntry*>& entries)
{
    bool readOnly =
        std::any_of(entries.begin(), entries.end(), [](const CPluginEntry* e) { return IsReadOnlyPlugin(*e); });
    return readOnly ? ReadOnly() : EditRefusal{EditCode::Unavailable, {}, kUnavailableText};
}

WriteResult RefusedWrite(EditRefusal refusal)
{
    WriteResult r;
    r.status = WriteStatus::Refused;
    r.code = refusal.code;
    r.arguments = std::move(refusal.arguments);
    r.message = std::move(refusal.text);
    return r;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// "1 file", "3 files".
std::string Count(std::size_t n, const char* noun)
{
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

EditRefusal TooLongFor(int limit)
{
    return {
        EditCode::TooLongFor, {std::to_string(limit)}, "At most " + std::to_string(limit) + " characters are allowed."};
}

}  // namespace

CommandResult CommandResult::Refused(EditRefusal refusal)
{
    CommandResult r;
    r.code = refusal.code;
    r.arguments = std::move(refusal.arguments);
    r.message = std::move(refusal.text);
    return r;
}

std::vector<const EntryWrite*> CommandResult::Failures() const
{
    std::vector<const EntryWrite*> failures;
    for (const auto& w : writes)
        if (!w.result.Written() && !w.result.message.empty())
            failures.push_back(&w);
    return failures;
}

WriteScope WriteScope::Anywhere()
{
    return {};
}

WriteScope WriteScope::Below(const std::string& directory)
{
    WriteScope scope;
    scope.m_kind = Kind::Below;
    scope.m_directory = directory;
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(NativePath(directory), ec);
    if (!ec && std::filesystem::is_directory(real, ec))
        scope.m_realDirectory = real;
    return scope;
}

WriteScope WriteScope::Nowhere(EditCode code, const std::string& reason)
{
    WriteScope scope;
    scope.m_kind = Kind::Nowhere;
    scope.m_reasonCode = code;
    scope.m_reason = reason;
    return scope;
}

EditRefusal WriteScope::Refusal(const CPluginEntry& entry) const
{
    switch (m_kind) {
    case Kind::Anywhere: return {};
    case Kind::Nowhere: return {m_reasonCode, {}, m_reason};
    case Kind::Below: break;
    }
    const std::string file = PathForDisplay(entry.m_path);
    const std::string directory = PathForDisplay(m_directory);
    const EditRefusal refusal{EditCode::OutsideDirectory,
                              {file, directory},
                              "Nothing was written: " + file + " does not lie in the plug-in directory " + directory +
                                  "."};
    if (m_realDirectory.empty())
        return refusal;
    // The links of the part that exists are resolved (the file itself too);
    // a file already renamed by an entry of the same file keeps its name.
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::weakly_canonical(NativePath(entry.m_path), ec);
    if (ec)
        return refusal;
    const std::filesystem::path relative = real.lexically_relative(m_realDirectory);
    if (relative.empty() || relative == "." || *relative.begin() == "..")
        return refusal;
    return {};
}

CCatalogueEditor::CCatalogueEditor(CPluginListManager& catalogue, CatalogueSort sort, WriteScope scope,
                                   ChangeRecorder* recorder)
    : m_catalogue(catalogue)
    , m_sort(std::move(sort))
    , m_scope(std::move(scope))
    , m_recorder(recorder)
{}

EditRefusal CCatalogueEditor::OutsideScope(const std::vector<CPluginEntry*>& entries) const
{
    for (const CPluginEntry* e : entries)
        if (EditRefusal refusal = m_scope.Refusal(*e); !refusal.empty())
            return refusal;
    return {};
}

EditRefusal CCatalogueEditor::Record(const std::string& label, const std::vector<FileChange>& changes)
{
    m_recording = false;
    if (!m_recorder || changes.empty())
        return {};
    const RecordRefusal refusal = m_recorder->Begin(m_label.empty() ? label : m_label, changes);
    if (!refusal.empty()) {
        std::vector<std::string> arguments;
        if (!refusal.argument.empty())
            arguments.push_back(refusal.argument);
        return {refusal.code, std::move(arguments), std::string(kNotRecordedText) + " (" + refusal.text + ")."};
    }
    m_recording = true;
    return {};
}

void CCatalogueEditor::Mark(std::size_t change, FileChange::State state)
{
    if (m_recording)
        m_recorder->Mark(change, state);
}

void CCatalogueEditor::EndRecord()
{
    if (m_recording)
        m_recorder->End();
    m_recording = false;
}

void CCatalogueEditor::Write(const std::vector<CPluginEntry*>& entries, TextField field, const std::string& text,
                             const std::string& label, CommandResult& result)
{
    // Every write is worked out first, so that the journal holds the whole
    // command before the first file changes.
    std::vector<PlannedWrite> plans;
    std::vector<FileChange> changes;
    std::vector<std::size_t> changeOf;
    for (CPluginEntry* e : entries) {
        plans.push_back(field == TextField::Name ? m_writer.PlanName(*e, text) : m_writer.PlanCategory(*e, text));
        const PlannedWrite& plan = plans.back();
        changeOf.push_back(changes.size());
        if (!plan.Possible())
            continue;
        FileChange c;
        c.kind = FileChange::Kind::Write;
        c.file = e->RealPath();
        c.path = e->m_path;
        c.offset = plan.at;
        c.before = plan.before;
        c.after = plan.after;
        c.field = field;
        c.entryKind = e->m_kind;
        c.entryIndex = e->m_indexInFile;
        c.entryResourceType = e->m_resourceType;
        c.textBefore = field == TextField::Name ? e->m_name : e->m_category;
        c.textAfter = plan.text;
        c.textOffsetBefore = field == TextField::Name ? e->m_nameOffset : e->m_categoryOffset;
        c.textOffsetAfter = plan.textOffset;
        changes.push_back(std::move(c));
    }
    if (EditRefusal refusal = Record(label, changes); !refusal.empty()) {
        result = CommandResult::Refused(std::move(refusal));
        return;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const WriteResult written = m_writer.Apply(*entries[i], plans[i]);
        if (plans[i].Possible())
            Mark(changeOf[i], written.Written() ? FileChange::State::Done : FileChange::State::Skipped);
        result.writes.push_back({entries[i], written});
    }
    EndRecord();
}

WriteResult CCatalogueEditor::RenamePlugin(CPluginEntry& entry, const std::string& text)
{
    if (!CanRenamePlugin({&entry}))
        return RefusedWrite(Unavailable({&entry}));
    if (!IsLongEnough(text))
        return RefusedWrite(TooShort());
    const int limit = NameLimit(entry);
    if (text.size() > static_cast<std::size_t>(std::max(limit, 0)))
        return RefusedWrite(TooLongFor(limit));
    if (EditRefusal outside = OutsideScope({&entry}); !outside.empty())
        return RefusedWrite(std::move(outside));
    CommandResult result;
    Write({&entry}, TextField::Name, text, "Rename " + Quoted(entry.m_name) + " to " + Quoted(text), result);
    if (result.writes.empty())
        return RefusedWrite({result.code, result.arguments, result.message});
    return result.writes.front().result;
}

CommandResult CCatalogueEditor::WriteCategory(const std::vector<CPluginEntry*>& entries, const std::string& category,
                                              const std::string& label)
{
    if (entries.empty())
        return CommandResult::Refused(NothingSelected());
    if (!IsLongEnough(category))
        return CommandResult::Refused(TooShort());
    const int limit = CategoryLimit(entries);
    if (category.size() > static_cast<std::size_t>(limit))
        return CommandResult::Refused(TooLongFor(limit));
    if (EditRefusal outside = OutsideScope(entries); !outside.empty())
        return CommandResult::Refused(std::move(outside));
    CommandResult result;
    result.accepted = true;
    Write(entries, TextField::Category, category, label, result);
    if (m_sort && result.accepted)
        m_sort(m_catalogue);
    return result;
}

CommandResult CCatalogueEditor::MovePlugins(const std::vector<CPluginEntry*>& entries, const std::string& category)
{
    if (!CanMovePlugins(entries))
        return CommandResult::Refused(entries.empty() ? NothingSelected() : Unavailable(entries));
    const std::string what = entries.size() == 1 ? Quoted(entries.front()->m_name) : Count(entries.size(), "plug-in");
    return WriteCategory(entries, category, "Move " + what + " to " + Quoted(category));
}

CommandResult CCatalogueEditor::MoveCategoryAs(const CPluginEntry& categoryEntry, const std::string& category,
                                               const char* verb)
{
    auto members = CategoryMembers(m_catalogue, categoryEntry);
    if (!CanMoveCategory(&categoryEntry, members))
        return CommandResult::Refused(Unavailable(members));
    return WriteCategory(members, category,
                         std::string(verb) + " category " + Quoted(categoryEntry.m_category) + " to " +
                             Quoted(category) + " (" + Count(members.size(), "plug-in") + ")");
}

CommandResult CCatalogueEditor::MoveCategory(const CPluginEntry& categoryEntry, const std::string& category)
{
    return MoveCategoryAs(categoryEntry, category, "Move");
}

CommandResult CCatalogueEditor::RenameCategory(const CPluginEntry& categoryEntry, const std::string& text)
{
    // The label edit of a category is limited as the Move dialog is.
    return MoveCategoryAs(categoryEntry, text, "Rename");
}

std::vector<FileChange> CCatalogueEditor::PlanRenames(const std::vector<CPluginEntry*>& entries, bool flag) const
{
    std::vector<FileChange> changes;
    for (const CPluginEntry* e : entries) {
        const std::string file = e->RealPath();
        if (std::any_of(changes.begin(), changes.end(), [&](const FileChange& c) { return c.file == file; }))
            continue;
        for (const auto& other : m_catalogue.m_entries) {
            if (other->RealPath() != file || (other->m_enabled != 0) == flag)
                continue;
            const std::string target = other->PathFor(flag);
            // A file already under its other name is not renamed again.
            if (target.empty() || !PathEntryExists(NativePath(other->m_path)))
                break;
            FileChange c;
            c.kind = FileChange::Kind::Rename;
            c.file = file;
            c.path = other->m_path;
            c.target = target;
            changes.push_back(std::move(c));
            break;
        }
    }
    return changes;
}

void CCatalogueEditor::Enable(const std::vector<CPluginEntry*>& entries, bool flag, CommandResult& result,
                              const std::string& label, bool withFiles)
{
    // The other entries of a file share its real path, so they are inside
    // exactly when it is.
    if (EditRefusal outside = OutsideScope(entries); !outside.empty()) {
        result = CommandResult::Refused(std::move(outside));
        return;
    }
    std::vector<FileChange> changes = PlanRenames(entries, flag);
    const std::string full = withFiles ? label + " (" + Count(changes.size(), "file") + ")" : label;
    if (EditRefusal refusal = Record(full, changes); !refusal.empty()) {
        result = CommandResult::Refused(std::move(refusal));
        return;
    }
    std::vector<bool> marked(changes.size(), false);
    auto collect = [&result](CPluginEntry* e) {
        if (std::find(result.changed.begin(), result.changed.end(), e) == result.changed.end())
            result.changed.push_back(e);
    };
    for (CPluginEntry* e : entries) {
        const std::string file = e->RealPath();
        if (e->SetEnabled(flag)) {
            // fails silently; the entries of its file stay as they are
            collect(e);
            for (CPluginEntry* other : CPluginWriter::SetEnabledForFile(m_catalogue, *e, flag))
                collect(other);
        }
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (marked[i] || changes[i].file != file)
                continue;
            // The disk says whether the file got its new name.
            const bool done =
                PathEntryExists(NativePath(changes[i].target)) && !PathEntryExists(NativePath(changes[i].path));
            Mark(i, done ? FileChange::State::Done : FileChange::State::Skipped);
            marked[i] = true;
        }
    }
    EndRecord();
}

CommandResult CCatalogueEditor::EnablePlugins(const std::vector<CPluginEntry*>& selection, bool flag)
{
    if (!CanEnablePlugins(selection))
        return CommandResult::Refused(selection.empty() ? NothingSelected() : ReadOnly());
    CommandResult result;
    result.accepted = true;
    const std::string verb = flag ? "Enable " : "Disable ";
    Enable(selection, flag, result,
           verb + (selection.size() == 1 ? Quoted(selection.front()->m_name) : Count(selection.size(), "plug-in")),
           selection.size() != 1);
    return result;
}

CommandResult CCatalogueEditor::EnableCategory(const CPluginEntry& categoryEntry, bool flag)
{
    auto members = CategoryMembers(m_catalogue, categoryEntry);
    if (!CanEnableCategory(&categoryEntry, members))
        return CommandResult::Refused(ReadOnly());
    CommandResult result;
    result.accepted = true;
    // Plug-ins without a category are listed together under no name.
    const std::string what = categoryEntry.m_category.empty() ? " the plug-ins without a category"
                                                              : " category " + Quoted(categoryEntry.m_category);
    Enable(members, flag, result, std::string(flag ? "Enable" : "Disable") + what, true);
    return result;
}

}  // namespace vardel
