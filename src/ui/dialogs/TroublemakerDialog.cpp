#include "ui/dialogs/TroublemakerDialog.h"

#include "app/ChangeFollow.h"
#include "app/ChangeHistory.h"
#include "app/Session.h"
#include "app/TroublemakerSearch.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/session/UserMessages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vardel::ui {

TroublemakerDialog::TroublemakerDialog(CVardelSession& session, Entries entries, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_entries(std::move(entries))
{
    setObjectName(QStringLiteral("troublemakerDialog"));
    setWindowTitle(tr("Find Troublemaker"));
    auto* layout = new QVBoxLayout(this);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("stateLabel"));
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(480);
    layout->addWidget(m_text);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("progressLabel"));
    layout->addWidget(m_progress);
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("disabledList"));
    m_files->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(m_files, 1);
    auto* row = new QHBoxLayout;
    auto button = [this, row](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    m_start = button("startButton", tr("&Start"));
    m_broken = button("stillBrokenButton", tr("Still &Broken"));
    m_works = button("worksNowButton", tr("&Works Now"));
    m_abandon = button("abandonButton", tr("&Abandon"));
    row->addStretch(1);
    m_close = button("closeButton", tr("&Close"));
    layout->addLayout(row);
    connect(m_start, &QPushButton::clicked, this, &TroublemakerDialog::start);
    connect(m_broken, &QPushButton::clicked, this, [this] { answer(true); });
    connect(m_works, &QPushButton::clicked, this, [this] { answer(false); });
    connect(m_abandon, &QPushButton::clicked, this, &TroublemakerDialog::abandon);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    // A step cut short (the program ended half way) is completed first.
    CTroublemakerSearch& search = m_session.Troublemaker();
    if (search.Active() && search.PendingFiles() != 0)
        run(search.Resume(), false);
    else
        showState();
}

void TroublemakerDialog::start()
{
    const int n = m_session.CurrentDirectoryIndex();
    if (m_busy || n < 0 || m_session.Troublemaker().Active())
        return;
    const std::string directory =
        CCatalogueScan::CutAtZero(m_session.Directories()[static_cast<std::size_t>(n)]->m_directory);
    run(m_session.Troublemaker().Start(n, directory, m_entries ? m_entries() : std::vector<const CPluginEntry*>{}),
        false);
}

void TroublemakerDialog::answer(bool stillBroken)
{
    if (!m_busy)
        run(m_session.Troublemaker().Answer(stillBroken), false);
}

void TroublemakerDialog::abandon()
{
    if (!m_busy)
        run(m_session.Troublemaker().Reset(), true);
}

void TroublemakerDialog::run(const TroublemakerStep& step, bool reset)
{
    m_failure.clear();
    if (!step.ok) {
        m_failure = step.message ? messageText(*step.message) : QString();
        showState();
        return;
    }
    m_busy = true;
    emit busyChanged(true);
    showState();
    QPointer<TroublemakerDialog> self(this);
    CVardelSession* session = &m_session;
    WorkerThreads::run([renames = step.renames, reset, self, session] {
        auto moved = std::make_shared<std::vector<FileChange>>();
        const std::optional<ReplayFailure> failure = MakeTroublemakerRenames(renames, *moved);
        WorkerThreads::deliver([self, session, moved, failure, reset] {
            // The catalogue follows whether the dialog is still there or not.
            FollowInSession(*session, *moved, ChangeSide::After);
            if (!failure && reset)
                session->Troublemaker().Finish();
            if (!self)
                return;
            self->m_busy = false;
            if (failure)
                self->m_failure = messageText(ReplayMessage(*failure, !moved->empty()));
            emit self->busyChanged(false);
            self->showState();
        });
    });
}

void TroublemakerDialog::showState()
{
    const CTroublemakerSearch& search = m_session.Troublemaker();
    const bool active = search.Active();
    const bool found = active && search.State().Found();
    QString text;
    QString progress;
    if (!active) {
        std::vector<std::string> files;
        for (const CPluginEntry* e : m_entries ? m_entries() : std::vector<const CPluginEntry*>{})
            if (e->m_enabled && std::find(files.begin(), files.end(), e->RealPath()) == files.end())
                files.push_back(e->RealPath());
        text = tr("Finds the plug-in file that stops a host from working: each step disables half of the "
                  "suspects, you start the host and say whether it is still broken. %n enabled plug-in file(s) "
                  "take part.",
                  nullptr, static_cast<int>(files.size()));
        progress = tr("Close the host before you start.");
    } else if (found) {
        const TroublemakerState& s = search.State();
        text = tr("The troublemaker is %1. Every plug-in file has its name from before the search back; "
                  "disable it yourself if you want it gone.")
                   .arg(fromStoredPath(s.files[s.suspects.front()]));
        progress = tr("Found after %n answer(s).", nullptr, static_cast<int>(s.answers));
    } else {
        const TroublemakerState& s = search.State();
        text = tr("%1 of %2 plug-in files are disabled now. Start the host and say whether it is still broken.")
                   .arg(s.tested.size())
                   .arg(s.files.size());
        progress = tr("At most %n step(s) remain.", nullptr, s.StepsLeft());
    }
    if (m_busy)
        progress = tr("Renaming plug-in files...");
    if (!m_failure.isEmpty())
        progress = m_failure;
    m_text->setText(text);
    m_progress->setText(progress);
    m_files->clear();
    if (active) {
        const TroublemakerState& s = search.State();
        for (std::uint32_t i : found ? s.suspects : s.tested)
            m_files->addItem(fromStoredPath(s.files[i]));
    }
    m_files->setVisible(active);
    const bool idle = !m_busy && m_session.MayWrite();
    m_start->setVisible(!active);
    m_start->setEnabled(idle && m_session.IsCatalogueShown());
    m_broken->setVisible(active && !found);
    m_works->setVisible(active && !found);
    m_broken->setEnabled(idle);
    m_works->setEnabled(idle);
    m_abandon->setVisible(active);
    m_abandon->setEnabled(idle);
    m_abandon->setText(found ? tr("&Finish") : tr("&Abandon"));
    m_close->setEnabled(true);
}

}  // namespace vardel::ui
