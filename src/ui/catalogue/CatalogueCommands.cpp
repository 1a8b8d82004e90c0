#include "ui/catalogue/CatalogueCommands.h"

#include "app/Session.h"
#include "app/WriteMessages.h"
#include "catalogue/CatalogueScan.h"
#include "app/CatalogueView.h"
#include "ui/catalogue/FileProbe.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CatalogueEditor.h"
#include "modify/ChangePlan.h"
#include "modify/CommandAvailability.h"
#include "ui/common/Convert.h"
#include "ui/dialogs/CategoryDialog.h"
#include "ui/session/UserMessages.h"
#include "modify/DropMove.h"

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
    return fromCodePage(ListLabel(e.m_name));
}

// The paths of files, one a line, as a question's details show them.
QString FileList(const std::vector<std::string>& files)
{
    QStringList paths;
    for (const std::string& f : files)
        paths << fromStoredPath(f);
    return paths.join(QLatin1Char('\n'));
}

// A command refused as a whole, with the editor's code.
UserMessage Refusal(const CommandResult& result)
{
    return {MessageCode::CommandRefused, result.message, {}, result.code, result.arguments};
}

// The messages of the writes of a command that failed.
std::vector<UserMessage> FailureMessages(const CommandResult& result)
{
    std::vector<UserMessage> messages;
    for (const EntryWrite* w : result.Failures())
        if (auto message = WriteMessage(w->result, w->entry->m_path))
            messages.push_back(std::move(*message));
    return messages;
}

}  // namespace

CatalogueCommands::CatalogueCommands(CVardelSession& session, QWidget* window)
    : QObject(window)
    , m_session(session)
    , m_originalsFirst(session)
    , m_window(window)
    , m_probe(new FileProbe(this))
{}

CCatalogueEditor CatalogueCommands::editor()
{
    return CCatalogueEditor(m_session.Catalogue(), SortCatalogue, m_session.CatalogueWriteScope(),
                            m_session.Recorder());
}

void CatalogueCommands::beforeWrite()
{
    m_originalsFirst.BeforeChange();
}

void CatalogueCommands::withSignedFiles(ChangePlan plan, std::function<void(const ChangePlan&)> then)
{
    auto shared = std::make_shared<ChangePlan>(std::move(plan));
    const std::uint64_t generation = m_generation;
    m_probe->run<std::vector<std::string>>(
        [files = shared->files, paths = shared->paths](const std::atomic<bool>& stop) {
            return SignedFilesOf(files, paths, &stop);
        },
        [this, shared, generation, then = std::move(then)](std::vector<std::string> found) {
            if (generation != m_generation || m_busy)
                return;
            shared->signedFiles = std::move(found);
            then(*shared);
        });
}

void CatalogueCommands::withCategoryLimit(const std::vector<CPluginEntry*>& entries, std::function<void(int)> then)
{
    const std::uint64_t generation = m_generation;
    m_probe->run<int>(CategoryLimitWork(entries), [this, generation, then = std::move(then)](int limit) {
        if (generation != m_generation || m_busy)
            return;
        then(limit);
    });
}

bool CatalogueCommands::isProbing() const
{
    return m_probe->isRunning();
}

void CatalogueCommands::setBusy(bool busy)
{
    m_busy = busy;
    if (busy)
        m_probe->cancel();
}

void CatalogueCommands::showFailures(const std::vector<UserMessage>& messages)
{
    // One box per command, however many plug-ins failed the same way.
    QStringList texts;
    for (const UserMessage& m : messages)
        if (const QString text = messageText(m); !text.isEmpty() && !texts.contains(text))
            texts << text;
    if (texts.isEmpty())
        return;
    showMessage(m_window, texts.join(QStringLiteral("\n\n")));
}

void CatalogueCommands::ask(std::vector<Question> questions, std::function<void()> then)
{
    if (questions.empty()) {
        then();
        return;
    }
    const Question q = questions.front();
    questions.erase(questions.begin());
    auto* box = new QMessageBox(q.icon, messageTitle(), q.text, q.buttons, m_window);
    box->setObjectName(q.name);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(q.informative);
    // Long lists go into the details, which scroll: the box stays small.
    box->setDetailedText(q.details);
    box->setDefaultButton(q.defaultButton);
    const std::uint64_t generation = m_generation;
    connect(box, &QMessageBox::finished, this,
            [this, box, questions = std::move(questions), then = std::move(then), generation, go = q.go]() mutable {
                if (generation != m_generation || box->standardButton(box->clickedButton()) != go)
                    return;
                ask(std::move(questions), std::move(then));
            });
    m_question = box;
    box->open();
}

std::vector<CatalogueCommands::Question> CatalogueCommands::signedQuestion(const ChangePlan& plan) const
{
    if (plan.signedFiles.empty())
        return {};
    Question q;
    q.name = QStringLiteral("signedWarningBox");
    q.icon = QMessageBox::Warning;
    q.text = tr("%n of the files to change is signed; changing it breaks its signature.", nullptr,
                static_cast<int>(plan.signedFiles.size()));
    q.informative = tr("Change anyway?");
    q.details = FileList(plan.signedFiles);
    q.defaultButton = QMessageBox::No;
    return {q};
}

void CatalogueCommands::enablePlugins(const std::vector<CPluginEntry*>& selection, bool flag)
{
    if (!CanEnablePlugins(selection))
        return;
    withSignedFiles(PlanEnable(m_session.Catalogue(), selection, flag),
                    [this, selection, flag](const ChangePlan& plan) { askEnable(plan, selection, flag); });
}

void CatalogueCommands::askEnable(const ChangePlan& plan, const std::vector<CPluginEntry*>& selection, bool flag)
{
    std::vector<Question> questions;
    if (!plan.fileMates.empty()) {
        QStringList names;
        for (const CPluginEntry* e : plan.fileMates)
            names << PluginLine(*e);
        const int count = static_cast<int>(plan.fileMates.size());
        Question q;
        q.name = QStringLiteral("sharedFileQuestion");
        q.text = flag ? tr("The files also hold %n other plug-in(s); they are enabled with them.", nullptr, count)
                      : tr("The files also hold %n other plug-in(s); they are disabled with them.", nullptr, count);
        q.informative = tr("Show Details... lists them.");
        q.details = names.join(QLatin1Char('\n'));
        q.buttons = QMessageBox::Ok | QMessageBox::Cancel;
        q.go = QMessageBox::Ok;
        q.defaultButton = QMessageBox::Ok;
        questions.push_back(q);
    }
    for (const Question& q : signedQuestion(plan))
        questions.push_back(q);
    ask(std::move(questions), [this, selection, flag] { doEnable(selection, flag); });
}

void CatalogueCommands::doEnable(const std::vector<CPluginEntry*>& selection, bool flag)
{
    WaitCursor wait;
    const CommandResult result = editor().EnablePlugins(selection, flag);
    if (!result.changed.empty())
        m_session.NotifyEntriesChanged(std::vector<const CPluginEntry*>(result.changed.begin(), result.changed.end()));
    if (!result.accepted)
        emit status(RefusalText(result.code, result.arguments));
}

void CatalogueCommands::enableCategory(const CPluginEntry& categoryEntry, bool flag)
{
    ChangePlan plan = PlanEnableCategory(m_session.Catalogue(), categoryEntry, flag);
    if (plan.files.empty()) {
        doEnableCategory(categoryEntry, flag);  // nothing to change: nothing to ask
        return;
    }
    const CPluginEntry* target = &categoryEntry;
    withSignedFiles(std::move(plan),
                    [this, target, flag](const ChangePlan& plan) { askEnableCategory(plan, *target, flag); });
}

void CatalogueCommands::askEnableCategory(const ChangePlan& plan, const CPluginEntry& categoryEntry, bool flag)
{
    const int files = static_cast<int>(plan.files.size());
    const QString category = fromCodePage(categoryEntry.m_category);
    Question q;
    q.name = QStringLiteral("categoryQuestion");
    q.text = flag ? tr("Enable every plug-in of the category \"%1\"?").arg(category)
                  : tr("Disable every plug-in of the category \"%1\"?").arg(category);
    q.informative = tr("%n plug-in file(s) will be renamed.", nullptr, files);
    // Files hold plug-ins of other categories too: they change with them.
    if (!plan.fileMates.empty())
        q.informative +=
            QLatin1Char(' ') + (flag ? tr("They also hold %n plug-in(s) of other categories, enabled with them.",
                                          nullptr, static_cast<int>(plan.fileMates.size()))
                                     : tr("They also hold %n plug-in(s) of other categories, disabled with them.",
                                          nullptr, static_cast<int>(plan.fileMates.size())));
    q.details = FileList(plan.files);
    std::vector<Question> questions{q};
    for (const Question& s : signedQuestion(plan))
        questions.push_back(s);
    const CPluginEntry* target = &categoryEntry;
    ask(std::move(questions), [this, target, flag] { doEnableCategory(*target, flag); });
}

void CatalogueCommands::doEnableCategory(const CPluginEntry& categoryEntry, bool flag)
{
    WaitCursor wait;
    const CommandResult result = editor().EnableCategory(categoryEntry, flag);
    if (!result.changed.empty())
        m_session.NotifyEntriesChanged(std::vector<const CPluginEntry*>(result.changed.begin(), result.changed.end()));
    if (!result.accepted)
        emit status(RefusalText(result.code, result.arguments));
}

void CatalogueCommands::movePlugins(const std::vector<CPluginEntry*>& selection)
{
    if (!CanMovePlugins(selection) || m_dialog)
        return;
    withCategoryLimit(selection, [this, selection](int limit) { openCategoryDialog(selection, limit, nullptr); });
}

void CatalogueCommands::moveCategory(const CPluginEntry& categoryEntry)
{
    const auto members = CategoryMembers(m_session.Catalogue(), categoryEntry);
    if (!CanMoveCategory(&categoryEntry, members) || m_dialog)
        return;
    const CPluginEntry* target = &categoryEntry;
    withCategoryLimit(members, [this, members, target](int limit) { openCategoryDialog(members, limit, target); });
}

void CatalogueCommands::openCategoryDialog(const std::vector<CPluginEntry*>& entries, int limit,
                                           const CPluginEntry* categoryEntry)
{
    if (m_dialog)
        return;
    auto* dialog = new CategoryDialog(m_session.Catalogue(), entries, limit, m_session.GetSettingsBackend(), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const std::uint64_t generation = m_generation;
    connect(dialog, &QDialog::accepted, this, [this, dialog, generation, categoryEntry] {
        if (generation != m_generation)
            return;
        const auto entries = dialog->entries();
        const std::string category = dialog->chosen();
        withSignedFiles(PlanWrite(entries), [this, entries, category, categoryEntry](const ChangePlan& plan) {
            ask(signedQuestion(plan), [this, entries, category, categoryEntry] {
                doMove(entries, category, categoryEntry != nullptr, categoryEntry);
            });
        });
    });
    m_dialog = dialog;
    dialog->open();
}

void CatalogueCommands::doMove(const std::vector<CPluginEntry*>& entries, const std::string& category,
                               bool wholeCategory, const CPluginEntry* categoryEntry)
{
    if (category.empty())
        return;
    beforeWrite();
    CommandResult result;
    {
        WaitCursor wait;
        result = wholeCategory && categoryEntry ? editor().MoveCategory(*categoryEntry, category)
                                                : editor().MovePlugins(entries, category);
    }
    if (!result.accepted) {
        showFailures({Refusal(result)});
        return;
    }
    const std::vector<UserMessage> failures = FailureMessages(result);
    // The catalogue was re-sorted: the lists are rebuilt.
    m_session.NotifyOrderChanged();
    emit categoryWritten(category, wholeCategory);
    showFailures(failures);
}

void CatalogueCommands::renamePlugin(CPluginEntry& entry, const QString& text)
{
    const std::string name = toCodePage(text);
    if (!IsLongEnough(name)) {
        emit status(RefusalText(EditCode::TooShort, {}));
        return;
    }
    if (name == entry.m_name)
        return;
    CPluginEntry* target = &entry;
    withSignedFiles(PlanWrite({target}), [this, target, name](const ChangePlan& plan) {
        ask(signedQuestion(plan), [this, target, name] { doRenamePlugin(*target, name); });
    });
}

void CatalogueCommands::doRenamePlugin(CPluginEntry& entry, const std::string& name)
{
    beforeWrite();
    WriteResult result;
    {
        WaitCursor wait;
        result = editor().RenamePlugin(entry, name);
    }
    if (result.Written()) {
        m_session.NotifyEntriesChanged({&entry});
        return;
    }
    if (result.status == WriteStatus::Refused)
        emit status(RefusalText(result.code, result.arguments));
    else if (const auto message = WriteMessage(result, entry.m_path))
        showFailures({*message});
}

void CatalogueCommands::renameCategory(const CPluginEntry& categoryEntry, const QString& text)
{
    const std::string category = toCodePage(text);
    if (!IsLongEnough(category)) {
        emit status(RefusalText(EditCode::TooShort, {}));
        return;
    }
    if (category == categoryEntry.m_category)
        return;
    const CPluginEntry* target = &categoryEntry;
    withSignedFiles(
        PlanWriteCategory(m_session.Catalogue(), categoryEntry),
        [this, target, category, text](const ChangePlan& plan) { askRenameCategory(plan, *target, category, text); });
}

void CatalogueCommands::askRenameCategory(const ChangePlan& plan, const CPluginEntry& categoryEntry,
                                          const std::string& category, const QString& text)
{
    Question q;
    q.name = QStringLiteral("categoryQuestion");
    q.text = tr("Rename the category \"%1\" to \"%2\"?").arg(fromCodePage(categoryEntry.m_category), text);
    q.informative = tr("%n plug-in file(s) will be rewritten.", nullptr, static_cast<int>(plan.files.size()));
    q.details = FileList(plan.files);
    std::vector<Question> questions{q};
    for (const Question& s : signedQuestion(plan))
        questions.push_back(s);
    const CPluginEntry* target = &categoryEntry;
    ask(std::move(questions), [this, target, category] { doRenameCategory(*target, category); });
}

void CatalogueCommands::doRenameCategory(const CPluginEntry& categoryEntry, const std::string& category)
{
    beforeWrite();
    CommandResult result;
    {
        WaitCursor wait;
        result = editor().RenameCategory(categoryEntry, category);
    }
    if (!result.accepted) {
        emit status(RefusalText(result.code, result.arguments));
        return;
    }
    const std::vector<UserMessage> failures = FailureMessages(result);
    m_session.NotifyOrderChanged();
    emit categoryWritten(category, true);
    showFailures(failures);
}

void CatalogueCommands::dropPlugins(const std::vector<CPluginEntry*>& dragged, const CPluginEntry& target)
{
    const std::string category = target.m_category;
    DropPlan plan;
    {
        WaitCursor wait;  // each file is asked for the room it has
        plan = PlanDrop(dragged, target);
    }
    if (plan.tooShort) {
        emit status(RefusalText(EditCode::TooShort, {}));
        return;
    }
    QStringList refused;
    for (const RefusedDrop& r : plan.refused)
        refused << (r.reason == DropRefusal::NotEditable
                        ? tr("%1: read-only, or it has no category of its own").arg(PluginLine(*r.entry))
                        : tr("%1: has room for %n characters only", nullptr, r.room).arg(PluginLine(*r.entry)));
    const std::vector<CPluginEntry*> movable = plan.movable;
    if (!movable.empty())
        withSignedFiles(PlanWrite(movable), [this, movable, category](const ChangePlan& plan) {
            ask(signedQuestion(plan), [this, movable, category] { doMove(movable, category, false, nullptr); });
        });
    if (!refused.isEmpty())
        showMessage(m_window, tr("These plug-ins were not moved to \"%1\":").arg(fromCodePage(category)) +
                                  QLatin1Char('\n') + refused.join(QLatin1Char('\n')));
}

void CatalogueCommands::abandon()
{
    ++m_generation;
    m_probe->cancel();
    m_originalsFirst.Reset();
    if (m_dialog)
        m_dialog->reject();
    if (m_question)
        m_question->close();
}

}  // namespace vardel::ui
