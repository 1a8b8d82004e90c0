#include "ui/dialogs/DuplicatesDialog.h"

#include "app/DirectoryEditing.h"
#include "app/Session.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginTables.h"
#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/session/UserMessages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vardel::ui {

namespace {

// Where a copy item points into m_groups.
constexpr int kGroupRole = Qt::UserRole;
constexpr int kCopyRole = Qt::UserRole + 1;

}  // namespace

DuplicatesDialog::DuplicatesDialog(CVardelSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("duplicatesDialog"));
    setWindowTitle(tr("Duplicates"));
    setSizeGripEnabled(true);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("groupList"));
    m_list->setHeaderLabels({tr("Copy"), tr("Directory"), tr("State")});
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);

    m_enable = new QPushButton(tr("&Enable"), this);
    m_enable->setObjectName(QStringLiteral("enableButton"));
    m_disable = new QPushButton(tr("&Disable"), this);
    m_disable->setObjectName(QStringLiteral("disableButton"));
    m_show = new QPushButton(tr("S&how in Main Window"), this);
    m_show->setObjectName(QStringLiteral("showButton"));
    m_again = new QPushButton(tr("&Look Again"), this);
    m_again->setObjectName(QStringLiteral("againButton"));
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton* b : {m_enable, m_disable, m_show, m_again, close})
        b->setAutoDefault(false);
    m_enable->setToolTip(tr("Enable the ticked copies (or the one selected)"));
    m_disable->setToolTip(tr("Disable the ticked copies (or the one selected): the host loads them no more"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_enable);
    buttons->addWidget(m_disable);
    buttons->addWidget(m_show);
    buttons->addStretch(1);
    buttons->addWidget(m_again);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(760, 460)));

    connect(m_enable, &QPushButton::clicked, this, [this] { setChosen(true); });
    connect(m_disable, &QPushButton::clicked, this, [this] { setChosen(false); });
    connect(m_show, &QPushButton::clicked, this, [this] { showCopy(m_list->currentItem()); });
    connect(m_again, &QPushButton::clicked, this, &DuplicatesDialog::search);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { showCopy(item); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, &DuplicatesDialog::updateButtons);
    connect(m_list, &QTreeWidget::itemChanged, this, &DuplicatesDialog::updateButtons);
    search();
}

DuplicatesDialog::~DuplicatesDialog()
{
    m_stop.request_stop();
}

void DuplicatesDialog::done(int result)
{
    m_stop.request_stop();
    QDialog::done(result);
}

void DuplicatesDialog::search()
{
    m_stop.request_stop();
    m_stop = std::stop_source();
    const std::uint64_t generation = ++m_generation;
    // What the job needs of the session is taken here, on the window thread.
    auto job = std::make_shared<CDuplicatesJob>(m_session);
    m_searching = true;
    m_status->setText(tr("Looking for duplicates in every directory of the list..."));
    updateButtons();
    QPointer<DuplicatesDialog> self(this);
    const std::stop_token stop = m_stop.get_token();
    WorkerThreads::run([job, stop, self, generation] {
        job->Run(stop);
        WorkerThreads::deliver([self, job, generation] {
            if (self)
                self->searchFinished(generation, job);
        });
    });
}

void DuplicatesDialog::searchFinished(std::uint64_t generation, std::shared_ptr<CDuplicatesJob> job)
{
    if (generation != m_generation)
        return;
    m_searching = false;
    // The hashes computed are kept for the next search, when they may be.
    job->Commit(m_session);
    m_groups = job->Groups();
    fillList();
    QString status = job->Finished() ? tr("%n group(s) of duplicates.", nullptr, static_cast<int>(m_groups.size()))
                                     : tr("The search was stopped.");
    const DirectoryList& dirs = m_session.Directories();
    for (const SkippedDirectory& s : job->Skipped()) {
        const QString label = s.directory >= 0 && static_cast<std::size_t>(s.directory) < dirs.size()
                                  ? fromCodePage(dirs[static_cast<std::size_t>(s.directory)]->m_label)
                                  : QString::number(s.directory);
        status += QLatin1Char('\n') + tr("Not looked at: %1 (%2)").arg(label, QString::fromStdString(s.reason));
    }
    m_status->setText(status);
    updateButtons();
}

void DuplicatesDialog::fillList()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const DirectoryList& dirs = m_session.Directories();
    const QLocale locale;
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        const DuplicateGroup& group = m_groups[g];
        auto* top = new QTreeWidgetItem(m_list);
        top->setText(0, group.kind == DuplicateKind::SameContent
                            ? tr("Same content: %n copies of %1 bytes", nullptr, static_cast<int>(group.copies.size()))
                                  .arg(locale.toString(static_cast<qulonglong>(group.size)))
                            : tr("Same name: \"%1\" in \"%2\" (%3)")
                                  .arg(fromCodePage(group.name), fromCodePage(group.category),
                                       QString::fromStdString(ClassTitle(group.pluginClass))));
        top->setText(2, tr("%n enabled", nullptr, group.EnabledCopies()));
        top->setFirstColumnSpanned(false);
        for (std::size_t c = 0; c < group.copies.size(); ++c) {
            const DuplicateCopy& copy = group.copies[c];
            auto* item = new QTreeWidgetItem(top);
            item->setText(0, fromStoredPath(copy.file));
            QStringList labels;
            for (const CopyPlace& place : copy.places)
                if (place.directory >= 0 && static_cast<std::size_t>(place.directory) < dirs.size())
                    labels << fromCodePage(dirs[static_cast<std::size_t>(place.directory)]->m_label);
            item->setText(1, labels.join(QStringLiteral(", ")));
            item->setText(2, copy.enabled ? tr("enabled") : tr("disabled"));
            item->setToolTip(0, fromStoredPath(copy.file));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
            item->setData(0, kGroupRole, static_cast<qulonglong>(g));
            item->setData(0, kCopyRole, static_cast<qulonglong>(c));
        }
        top->setExpanded(true);
    }
    m_list->resizeColumnToContents(1);
}

const DuplicateCopy* DuplicatesDialog::copyOf(const QTreeWidgetItem* item) const
{
    if (!item || !item->parent())
        return nullptr;
    const auto g = item->data(0, kGroupRole).toULongLong();
    const auto c = item->data(0, kCopyRole).toULongLong();
    if (g >= m_groups.size() || c >= m_groups[g].copies.size())
        return nullptr;
    return &m_groups[g].copies[c];
}

std::vector<const DuplicateCopy*> DuplicatesDialog::chosenCopies() const
{
    std::vector<const DuplicateCopy*> chosen;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* top = m_list->topLevelItem(i);
        for (int j = 0; j < top->childCount(); ++j)
            if (top->child(j)->checkState(0) == Qt::Checked)
                if (const DuplicateCopy* copy = copyOf(top->child(j)))
                    chosen.push_back(copy);
    }
    if (chosen.empty())
        if (const DuplicateCopy* copy = copyOf(m_list->currentItem()))
            chosen.push_back(copy);
    return chosen;
}

void DuplicatesDialog::setChosen(bool flag)
{
    const auto chosen = chosenCopies();
    if (chosen.empty() || m_searching)
        return;
    QStringList failures;
    for (const DuplicateCopy* copy : chosen) {
        const CommandResult result = SetCopyEnabled(m_session, *copy, flag);
        if (!result.accepted || !result.message.empty())
            failures << fromStoredPath(copy->file) + QStringLiteral(": ") + RefusalText(result.code, result.arguments);
    }
    if (!failures.isEmpty())
        showMessage(this, failures.join(QLatin1Char('\n')));
    // The states are read afresh from the catalogues.
    search();
}

void DuplicatesDialog::showCopy(QTreeWidgetItem* item)
{
    const DuplicateCopy* copy = copyOf(item);
    if (!copy || copy->places.empty())
        return;
    emit showRequested(copy->places.front().directory, copy->places.front().path);
}

void DuplicatesDialog::updateButtons()
{
    const bool any = !m_searching && !chosenCopies().empty();
    m_enable->setEnabled(any);
    m_disable->setEnabled(any);
    m_show->setEnabled(!m_searching && copyOf(m_list->currentItem()));
    m_again->setEnabled(!m_searching);
}

}  // namespace vardel::ui
