#include "modify/CatalogueEditor.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"

#include <algorithm>

namespace vardel {

namespace {

CommandResult Refuse(const char* message)
{
    CommandResult r;
    r.message = message;
    return r;
}

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

std::vector<const EntryWrite*> CommandResult::Failures() const
{
    std::vector<const EntryWrite*> failures;
    for (const auto& w : writes)
        if (!w.result.Written() && !w.result.message.empty())
            failures.push_back(&w);
    return failures;
}

CCatalogueEditor::CCatalogueEditor(CPluginListManager& catalogue, CatalogueSort sort)
    : m_catalogue(catalogue), m_sort(std::move(sort))
{
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
    return m_writer.SetName(entry, text);
}

CommandResult CCatalogueEditor::WriteCategory(const std::vector<CPluginEntry*>& entries, const std::string& category)
{
    if (entries.empty())
        return Refuse(kNothingSelectedText);
    if (category.size() < static_cast<std::size_t>(kMinimumTextLength))
        return Refuse(kTooShortText);
    const int limit = CategoryLimit(entries);
    if (category.size() > static_cast<std::size_t>(limit)) {
        CommandResult r;
        r.message = TooLongFor(limit);
        return r;
    }
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
        return Refuse(entries.empty() ? kNothingSelectedText : Unavailable(entries));
    return WriteCategory(entries, category);
}

CommandResult CCatalogueEditor::MoveCategory(const CPluginEntry& categoryEntry, const std::string& category)
{
    auto members = CategoryMembers(m_catalogue, categoryEntry);
    if (!CanMoveCategory(&categoryEntry, members))
        return Refuse(Unavailable(members));
    return WriteCategory(members, category);
}

CommandResult CCatalogueEditor::RenameCategory(const CPluginEntry& categoryEntry, const std::string& text)
{
    // The label edit of a category is limited as the Move dialog is.
    return MoveCategory(categoryEntry, text);
}

void CCatalogueEditor::Enable(const std::vector<CPluginEntry*>& entries, bool flag, CommandResult& result)
{
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
        return Refuse(selection.empty() ? kNothingSelectedText : kFileReadOnlyText);
    CommandResult result;
    result.accepted = true;
    Enable(selection, flag, result);
    return result;
}

CommandResult CCatalogueEditor::EnableCategory(const CPluginEntry& categoryEntry, bool flag)
{
    auto members = CategoryMembers(m_catalogue, categoryEntry);
    if (!CanEnableCategory(&categoryEntry, members))
        return Refuse(kFileReadOnlyText);
    CommandResult result;
    result.accepted = true;
    Enable(members, flag, result);
    return result;
}

}  // namespace vardel
