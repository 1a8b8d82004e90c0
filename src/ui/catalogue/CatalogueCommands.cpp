#include "catalogue/CatalogueCommands.h"

#include "app/Session.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "common/Convert.h"
#include "dialogs/CategoryDialog.h"
#include "modify/CatalogueEditor.h"
#include "modify/CommandAvailability.h"
#include "session/UserMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <algorithm>

namespace vardel::ui {

namespace {

// Shows the wait cursor while a command writes.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString PluginLine(const CPluginEntry& e)
{
    std::string name = e.m_name;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return FromCodePage(name);
}

}  // namespace

CatalogueCommands::CatalogueCommands(CVardelSession& session, QWidget* window)
    : QObject(window), m_session(session), m_window(window)
{
}

CCatalogueEditor CatalogueCommands::Editor()
{
    return CCatalogueEditor(m_session.Catalogue(), SortCatalogue, m_session.CatalogueWriteScope());
}

void CatalogueCommands::BeforeWrite()
{
    // The originals a scan recorded reach the disk before a plug-in changes.
    if (!m_originalsSaved)
        m_originalsSaved = m_session.SaveOriginals();
}

void CatalogueCommands::ShowFailures(const std::vector<std::string>& messages)
{
    // One box per command, however many plug-ins failed the same way.
    std::vector<std::string> distinct;
    for (const std::string& m : messages)
        if (!m.empty() && std::find(distinct.begin(), distinct.end(), m) == distinct.end())
            distinct.push_back(m);
    if (distinct.empty())
        return;
    QStringList texts;
    for (const std::string& m : distinct)
        texts << CoreText(m);
    ShowMessage(m_window, texts.join(QStringLiteral("\n\n")));
}

void CatalogueCommands::EnablePlugins(const std::vector<CPluginEntry*>& selection, bool flag)
{
    if (!CanEnablePlugins(selection))
        return;
    // Plug-ins that share a file with the selection but are not selected.
    std::vector<const CPluginEntry*> others;
    for (const CPluginEntry* s : selection) {
        const std::string real = s->RealPath();
        for (const auto& e : m_session.Catalogue().m_entries) {
            if (e->RealPath() != real || std::find(selection.begin(), selection.end(), e.get()) != selection.end())
                continue;
            if (static_cast<bool>(e->m_enabled) != flag &&
                std::find(others.begin(), others.end(), e.get()) == others.end())
                others.push_back(e.get());
        }
    }
    if (others.empty()) {
        DoEnable(selection, flag);
        return;
    }
    QStringList names;
    for (const CPluginEntry* e : others)
        names << QStringLiteral("  ") + PluginLine(*e);
    const QString text = (flag ? tr("The file also holds these plug-ins; they are enabled with it:")
                               : tr("The file also holds these plug-ins; they are disabled with it:")) +
                         QLatin1Char('\n') + names.join(QLatin1Char('\n'));
    auto* box = new QMessageBox(QMessageBox::Question, tr("Vardel"), text, QMessageBox::Ok | QMessageBox::Cancel,
                                m_window);
    box->setObjectName(QStringLiteral("sharedFileQuestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    const std::uint64_t generation = m_generation;
    connect(box, &QMessageBox::finished, this, [this, selection, flag, generation](int result) {
        if (result == QMessageBox::Ok && generation == m_generation)
            DoEnable(selection, flag);
    });
    m_question = box;
    box->open();
}

void CatalogueCommands::DoEnable(const std::vector<CPluginEntry*>& selection, bool flag)
{
    WaitCursor wait;
    const CommandResult result = Editor().EnablePlugins(selection, flag);
    if (!result.changed.empty())
        m_session.NotifyEntriesChanged(std::vector<const CPluginEntry*>(result.changed.begin(), result.changed.end()));
    if (!result.accepted)
        emit status(CoreText(result.message));
}

void CatalogueCommands::EnableCategory(const CPluginEntry& categoryEntry, bool flag)
{
    const CommandResult result = Editor().EnableCategory(categoryEntry, flag);
    if (!result.changed.empty())
        m_session.NotifyEntriesChanged(std::vector<const CPluginEntry*>(result.changed.begin(), result.changed.end()));
    if (!result.accepted)
        emit status(CoreText(result.message));
}

void CatalogueCommands::MovePlugins(const std::vector<CPluginEntry*>& selection)
{
    if (!CanMovePlugins(selection) || m_dialog)
        return;
    auto* dialog = new CategoryDialog(m_session.Catalogue(), selection, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const std::uint64_t generation = m_generation;
    connect(dialog, &QDialog::accepted, this, [this, dialog, generation] {
        if (generation == m_generation)
            DoMove(dialog->Entries(), dialog->Chosen(), false, nullptr);
    });
    m_dialog = dialog;
    dialog->open();
}

void CatalogueCommands::MoveCategory(const CPluginEntry& categoryEntry)
{
    const auto members = CategoryMembers(m_session.Catalogue(), categoryEntry);
    if (!CanMoveCategory(&categoryEntry, members) || m_dialog)
        return;
    auto* dialog = new CategoryDialog(m_session.Catalogue(), members, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const std::uint64_t generation = m_generation;
    const CPluginEntry* target = &categoryEntry;
    connect(dialog, &QDialog::accepted, this, [this, dialog, generation, target] {
        if (generation == m_generation)
            DoMove(dialog->Entries(), dialog->Chosen(), true, target);
    });
    m_dialog = dialog;
    dialog->open();
}

void CatalogueCommands::DoMove(const std::vector<CPluginEntry*>& entries, const std::string& category,
                               bool wholeCategory, const CPluginEntry* categoryEntry)
{
    if (category.empty())
        return;
    BeforeWrite();
    CommandResult result;
    {
        WaitCursor wait;
        result = wholeCategory && categoryEntry ? Editor().MoveCategory(*categoryEntry, category)
                                                : Editor().MovePlugins(entries, category);
    }
    if (!result.accepted) {
        ShowFailures({result.message});
        return;
    }
    std::vector<std::string> failures;
    for (const EntryWrite* w : result.Failures())
        failures.push_back(w->result.message);
    // The catalogue was re-sorted: the lists are rebuilt.
    m_session.NotifyOrderChanged();
    emit categoryWritten(category, wholeCategory);
    ShowFailures(failures);
}

bool CatalogueCommands::RenamePlugin(CPluginEntry& entry, const QString& text)
{
    const std::string name = ToCodePage(text);
    if (name.size() < static_cast<std::size_t>(kMinimumTextLength)) {
        emit status(CoreText(kTooShortText));
        return false;
    }
    BeforeWrite();
    WriteResult result;
    {
        WaitCursor wait;
        result = Editor().RenamePlugin(entry, name);
    }
    if (result.Written()) {
        m_session.NotifyEntriesChanged({&entry});
        return true;
    }
    if (result.status == WriteStatus::Refused)
        emit status(CoreText(result.message));
    else
        ShowFailures({result.message});
    return false;
}

bool CatalogueCommands::RenameCategory(const CPluginEntry& categoryEntry, const QString& text)
{
    const std::string category = ToCodePage(text);
    if (category.size() < static_cast<std::size_t>(kMinimumTextLength)) {
        emit status(CoreText(kTooShortText));
        return false;
    }
    BeforeWrite();
    CommandResult result;
    {
        WaitCursor wait;
        result = Editor().RenameCategory(categoryEntry, category);
    }
    if (!result.accepted) {
        emit status(CoreText(result.message));
        return false;
    }
    std::vector<std::string> failures;
    for (const EntryWrite* w : result.Failures())
        failures.push_back(w->result.message);
    m_session.NotifyOrderChanged();
    emit categoryWritten(category, true);
    ShowFailures(failures);
    return failures.empty();
}

void CatalogueCommands::DropPlugins(const std::vector<CPluginEntry*>& dragged, const CPluginEntry& target)
{
    const std::string category = target.m_category;
    std::vector<CPluginEntry*> movable;
    QStringList refused;
    for (CPluginEntry* e : dragged) {
        if (e->m_kind != target.m_kind || e->m_category == category)
            continue;  // another kind, or already there
        if (!IsEditableForMove(*e))
            refused << tr("%1: read-only, or it has no category of its own").arg(PluginLine(*e));
        else if (static_cast<int>(category.size()) > e->m_categoryCapacity)
            refused << tr("%1: has room for %n characters only", nullptr, e->m_categoryCapacity).arg(PluginLine(*e));
        else
            movable.push_back(e);
    }
    if (!movable.empty())
        DoMove(movable, category, false, nullptr);
    if (!refused.isEmpty())
        ShowMessage(m_window, tr("These plug-ins were not moved to \"%1\":").arg(FromCodePage(category)) +
                                  QLatin1Char('\n') + refused.join(QLatin1Char('\n')));
}

void CatalogueCommands::Abandon()
{
    ++m_generation;
    m_originalsSaved = false;
    if (m_dialog)
        m_dialog->reject();
    if (m_question)
        m_question->close();
}

}  // namespace vardel::ui
