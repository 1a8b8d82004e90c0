#include "modify/CatalogueEditor.h"

#include "app/FileOps.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"

#include <algorithm>
#include <filesystem>

namespace vardel {

namespace {

// Why a rename or move is unavailable: a read-only file says so.
const char* Unavailable(const std::vector<CPluginEntry*>& entries)
{
    bool readOnly = std::any_of(entries.begin(), entries.end(), [](const CPluginEntry* e) { return IsReadOnlyPlugin(*e); });
    return readOnly ? kFileReadOnlyText : kUnavailableText;
}

std::string TooLongFor(int limit)
{
    return "At most " + std::to_string(limit) + " characters are allowed.";
}

}  // namespace

CommandResult CommandResult::Refused(std::string message)
{
    CommandResult r;
    r.message = std::move(message);
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

WriteScope WriteScope::Nowhere(const std::string& reason)
{
    WriteScope scope;
    scope.m_kind = Kind::Nowhere;
    scope.m_reason = reason;
    return scope;
}

std::string WriteScope::Refusal(const CPluginEntry& entry) const
{
    switch (m_kind) {
    case Kind::Anywhere:
        return {};
    case Kind::Nowhere:
        return m_reason;
    case Kind::Below:
        break;
    }
    const std::string refusal = "Nothing was written: " + PathForDisplay(entry.m_path) +
                                " does not lie in the plug-in directory " + PathForDisplay(m_directory) + ".";
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

CCatalogueEditor::CCatalogueEditor(CPluginListManager& catalogue, CatalogueSort sort, WriteScope scope)
    : m_catalogue(catalogue), m_sort(std::move(sort)), m_scope(std::move(scope))
{
}

std::string CCatalogueEditor::OutsideScope(const std::vector<CPluginEntry*>& entries) const
{
    for (const CPluginEntry* e : entries)
        if (std::string refusal = m_scope.Refusal(*e); !refusal.empty())
            return refusal;
    return {};
}

WriteResult CCatalogueEditor::RenamePlugin(CPluginEntry& entry, const std::string& text)
{
    WriteResult refused;
    refused.status = WriteStatus::Refused;
    if (!CanRenamePlugin({&entry})) {
        refused.message = Unavailable({&entry});
        return refused;
    }
    if (text.size() < static_cast<std::size_t>(kMinimumTextLength)) {
        refused.message = kTooShortText;
        return refused;
    }
    const int limit = NameLimit(entry);
    if (text.size() > static_cast<std::size_t>(std::max(limit, 0))) {
        refused.message = TooLongFor(limit);
        return refused;
    }
    if (std::string outside = OutsideScope({&entry}); !outside.empty()) {
        refused.message = std::move(outside);
        return refused;
    }
    return m_writer.SetName(entry, text);
}

CommandResult CCatalogueEditor::WriteCategory(const std::vector<CPluginEntry*>& entries, const std::string& category)
{
    if (entries.empty())
        return CommandResult::Refused(kNothingSelectedText);
    if (category.size() < static_cast<std::size_t>(kMinimumTextLength))
        return CommandResult::Refused(kTooShortText);
    const int limit = CategoryLimit(entries);
    if (category.size() > static_cast<std::size_t>(limit))
        return CommandResult::Refused(TooLongFor(limit));
    if (std::string outside = OutsideScope(entries); !outside.empty())
        return CommandResult::Refused(std::move(outside));
    CommandResult result;
    result.accepted = true;
    for (CPluginEntry* e : entries)
        result.writes.push_back({e, m_writer.SetCategory(*e, category)});
    if (m_sort)
        m_sort(m_catalogue);
    return result;
}

CommandResult CCatalogueEditor::MovePlugins(const std::vector<CPluginEntry*>& entries, const std::string& category)
{
    if (!CanMovePlugins(entries))
        return CommandResult::Refused(entries.empty() ? kNothingSelectedText : Unavailable(entries));
    return WriteCategory(entries, category);
}

CommandResult CCatalogueEditor::MoveCategory(const CPluginEntry& categoryEntry, const std::string& category)
{
    auto members = CategoryMembers(m_catalogue, categoryEntry);
    if (!CanMoveCategory(&categoryEntry, members))
        return CommandResult::Refused(Unavailable(members));
    return WriteCategory(members, category);
}

CommandResult CCatalogueEditor::RenameCategory(const CPluginEntry& categoryEntry, const std::string& text)
{
    // The label edit of a category is limited as the Move dialog is.
    return MoveCategory(categoryEntry, text);
}

void CCatalogueEditor::Enable(const std::vector<CPluginEntry*>& entries, bool flag, CommandResult& result)
{
    // The other entries of a file share its real path, so they are inside
    // exactly when it is.
    if (std::string outside = OutsideScope(entries); !outside.empty()) {
        result.accepted = false;
        result.message = std::move(outside);
        return;
    }
    auto collect = [&result](CPluginEntry* e) {
        if (std::find(result.changed.begin(), result.changed.end(), e) == result.changed.end())
            result.changed.push_back(e);
    };
    for (CPluginEntry* e : entries) {
        if (!e->SetEnabled(flag))
            continue;  // fails silently; the entries of its file stay as they are
        collect(e);
        for (CPluginEntry* other : CPluginWriter::SetEnabledForFile(m_catalogue, *e, flag))
            collect(other);
    }
}

CommandResult CCatalogueEditor::EnablePlugins(const std::vector<CPluginEntry*>& selection, bool flag)
{
    if (!CanEnablePlugins(selection))
        return CommandResult::Refused(selection.empty() ? kNothingSelectedText : kFileReadOnlyText);
    CommandResult result;
    result.accepted = true;
    Enable(selection, flag, result);
    return result;
}

CommandResult CCatalogueEditor::EnableCategory(const CPluginEntry& categoryEntry, bool flag)
{
    auto members = CategoryMembers(m_catalogue, categoryEntry);
    if (!CanEnableCategory(&categoryEntry, members))
        return CommandResult::Refused(kFileReadOnlyText);
    CommandResult result;
    result.accepted = true;
    Enable(members, flag, result);
    return result;
}

}  // namespace vardel
