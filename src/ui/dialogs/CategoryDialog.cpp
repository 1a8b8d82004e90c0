#include "ui/dialogs/CategoryDialog.h"

#include "ui_CategoryDialog.h"

#include "ui/common/Convert.h"
#include "ui/dialogs/DialogGeometry.h"

#include <QPushButton>

namespace vardel::ui {

CategoryDialog::CategoryDialog(const CPluginListManager& catalogue, std::vector<CPluginEntry*> entries, int limit,
                               SettingsBackend& settings, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CategoryDialog>())
    , m_logic(catalogue, std::move(entries), limit)
{
    m_ui->setupUi(this);
    new DialogGeometry(this, settings, QStringLiteral("CategoryDialog"));
    m_ui->limitLabel->setText(tr("Up to %1 characters allowed").arg(m_logic.Limit()));
    m_ui->categoryEdit->setMaxLength(m_logic.Limit());
    m_ui->categoryEdit->setToolTip(tr("Up to %n characters", nullptr, m_logic.Limit()));
    for (const std::string& proposal : m_logic.Proposals())
        m_ui->proposalList->addItem(fromCodePage(proposal));

    connect(m_ui->categoryEdit, &QLineEdit::textEdited, this, &CategoryDialog::onTextEdited);
    connect(m_ui->proposalList, &QListWidget::currentRowChanged, this, &CategoryDialog::onProposalChosen);
    connect(m_ui->proposalList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        onProposalChosen(m_ui->proposalList->row(item));
        if (m_logic.IsOkEnabled())
            accept();
    });
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, [this] {
        if (m_logic.IsOkEnabled())
            accept();
    });
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateOk();
}

CategoryDialog::~CategoryDialog() = default;

void CategoryDialog::onTextEdited(const QString& text)
{
    m_logic.SetText(toCodePage(text));
    updateOk();
}

void CategoryDialog::onProposalChosen(int row)
{
    if (row < 0 || !m_logic.SelectProposal(static_cast<std::size_t>(row)))
        return;
    m_ui->categoryEdit->setText(fromCodePage(m_logic.Text()));
    updateOk();
}

void CategoryDialog::updateOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(m_logic.IsOkEnabled());
}

}  // namespace vardel::ui
