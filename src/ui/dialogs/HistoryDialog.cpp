#include "ui/dialogs/HistoryDialog.h"

#include "app/ChangeHistory.h"
#include "app/Session.h"
#include "ui/common/Convert.h"
#include "ui/session/UserMessages.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vardel::ui {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QString StateText(const JournalCommand& c)
{
    switch (c.state) {
    case CommandState::Started: return HistoryDialog::tr("cut short");
    case CommandState::Undoing: return HistoryDialog::tr("undo cut short");
    case CommandState::Undone: return HistoryDialog::tr("taken back");
    case CommandState::Done: break;
    }
    return HistoryDialog::tr("done");
}

}  // namespace

HistoryDialog::HistoryDialog(CVardelSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(tr("History"));
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summaryLabel"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({tr("When"), tr("Change"), tr("Files"), tr("State")});
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    layout->addWidget(m_list, 1);
    auto* buttons = new QDialogButtonBox(this);
    m_takeBack = buttons->addButton(tr("&Take Back..."), QDialogButtonBox::ActionRole);
    m_takeBack->setObjectName(QStringLiteral("takeBackButton"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("closeButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_takeBack, &QPushButton::clicked, this, &HistoryDialog::askTakeBack);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &HistoryDialog::updateButtons);
    resize(720, 400);
    refresh();
}

std::uint32_t HistoryDialog::selectedId() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->data(0, kIdRole).toUInt() : 0;
}

void HistoryDialog::refresh()
{
    const std::uint32_t selected = selectedId();
    m_list->clear();
    QTreeWidgetItem* current = nullptr;
    const auto commands = m_session.History().Commands();
    for (const JournalCommand& c : commands) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, QLocale().toString(QDateTime::fromSecsSinceEpoch(c.time), QLocale::ShortFormat));
        item->setText(1, fromCodePage(c.label));
        item->setText(2, QString::number(c.Files().size()));
        item->setText(3, StateText(c));
        item->setData(0, kIdRole, c.id);
        if (c.id == selected)
            current = item;
    }
    m_summary->setText(commands.empty() ? tr("No change to a plug-in file has been made yet.")
                                        : tr("The changes made to plug-in files, newest first. A change taken back "
                                             "takes the later changes to the same files with it."));
    for (int column : {0, 2, 3})
        m_list->resizeColumnToContents(column);
    if (current)
        m_list->setCurrentItem(current);
    updateButtons();
}

void HistoryDialog::setBusy(bool busy)
{
    m_busy = busy;
    updateButtons();
}

void HistoryDialog::updateButtons()
{
    bool possible = false;
    if (const std::uint32_t id = selectedId(); id != 0 && !m_busy && m_session.MayWrite())
        for (const JournalCommand& c : m_session.History().Commands())
            if (c.id == id)
                possible = c.state == CommandState::Done || c.IsIncomplete();
    m_takeBack->setEnabled(possible);
}

void HistoryDialog::askTakeBack()
{
    const std::uint32_t id = selectedId();
    if (id == 0 || m_busy)
        return;
    const auto commands = m_session.History().Commands();
    auto labelOf = [&commands](std::uint32_t k) {
        for (const JournalCommand& c : commands)
            if (c.id == k)
                return fromCodePage(c.label);
        return QString();
    };
    bool incomplete = false;
    for (const JournalCommand& c : commands)
        if (c.id == id)
            incomplete = c.IsIncomplete();
    const std::vector<std::uint32_t> later =
        incomplete ? std::vector<std::uint32_t>{} : m_session.History().Dependents(id);
    auto* box = new QMessageBox(QMessageBox::Question, messageTitle(),
                                incomplete ? tr("Roll back \"%1\"?").arg(labelOf(id))
                                           : tr("Take back \"%1\"?").arg(labelOf(id)),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("takeBackQuestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (!later.empty()) {
        box->setInformativeText(
            tr("%n later change(s) to the same files are taken back first.", nullptr, static_cast<int>(later.size())));
        QStringList labels;
        for (std::uint32_t k : later)
            labels << labelOf(k);
        box->setDetailedText(labels.join(QLatin1Char('\n')));
    } else {
        box->setInformativeText(tr("Every file is checked first; a file another program changed is left alone."));
    }
    box->setDefaultButton(QMessageBox::Yes);
    connect(box, &QMessageBox::finished, this, [this, box, id, incomplete] {
        if (box->standardButton(box->clickedButton()) != QMessageBox::Yes)
            return;
        if (incomplete)
            emit resolveRequested(id, false);
        else
            emit takeBackRequested(id);
    });
    m_question = box;
    box->open();
}

}  // namespace vardel::ui
