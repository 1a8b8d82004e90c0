#include "ui/dialogs/DirectoryDialog.h"
#include "ui_DirectoryDialog.h"

#include "catalogue/PluginDirEntry.h"
#include "ui/common/Convert.h"
#include "ui/dialogs/DialogGeometry.h"
#include "ui/common/Convert.h"
#include "ui/common/FileDialogs.h"
#include "ui/dialogs/DialogGeometry.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStyle>

namespace vardel::ui {

DirectoryDialog::DirectoryDialog(vardel::CPluginDirEntry& entry, vardel::SettingsBackend& settings, QWidget* parent)
    : QDialog(parent)
    , m_entry(entry)
    , m_ui(std::make_unique<Ui::DirectoryDialog>())
{
    m_ui->setupUi(this);
    m_ui->browseButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_ui->browseButton->setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_ui->labelEdit->setText(fromCodePage(entry.m_label));
    m_ui->directoryEdit->setText(fromStoredPath(entry.m_directory));
    m_ui->subdirectoriesBox->setChecked(entry.m_includeSubdirectories != 0);
    m_ui->enabledBox->setChecked(entry.m_enabled != 0);
    m_ui->separatorBox->setChecked(entry.m_separator != 0);

    // An entry that exists already has its catalogue file: only its label
    // may change.
    if (!entry.m_label.empty()) {
        m_ui->directoryEdit->setEnabled(false);
        m_ui->browseButton->setEnabled(false);
        m_ui->subdirectoriesBox->setEnabled(false);
        m_ui->separatorBox->setEnabled(false);
    }

    connect(m_ui->browseButton, &QToolButton::clicked, this, &DirectoryDialog::browse);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &DirectoryDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &DirectoryDialog::reject);
    new DialogGeometry(this, settings, QStringLiteral("DirectoryDialog"));
}

DirectoryDialog::~DirectoryDialog() = default;

vardel::DirEntryCheck DirectoryDialog::checkAndStore()
{
    CPluginDirEntry values;
    values.m_label = toCodePage(m_ui->labelEdit->text());
    values.m_directory = toStoredPath(m_ui->directoryEdit->text());
    values.m_includeSubdirectories = m_ui->subdirectoriesBox->isChecked() ? 1 : 0;
    values.m_enabled = m_ui->enabledBox->isChecked() ? 1 : 0;
    values.m_separator = m_ui->separatorBox->isChecked() ? 1 : 0;

    const DirEntryCheck check = CheckDirectoryEntry(values);
    // The edit shows the directory as it will be stored.
    m_ui->directoryEdit->setText(fromStoredPath(values.m_directory));
    if (check == DirEntryCheck::Accepted) {
        m_entry.m_label = values.m_label;
        m_entry.m_directory = values.m_directory;
        m_entry.m_includeSubdirectories = values.m_includeSubdirectories;
        m_entry.m_enabled = values.m_enabled;
        m_entry.m_separator = values.m_separator;
    }
    return check;
}

void DirectoryDialog::accept()
{
    switch (checkAndStore()) {
    case DirEntryCheck::Accepted: QDialog::accept(); break;
    case DirEntryCheck::DirectoryMissing: {
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), tr("The specified directory does not exist!"),
                                    QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("directoryMissingBox"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        break;
    }
    case DirEntryCheck::Incomplete: break;
    }
}

void DirectoryDialog::browse()
{
    chooseFile(this, QStringLiteral("folderChooser"), tr("Select a folder to scan for plug-ins:"),
               m_ui->directoryEdit->text(), QString(), QFileDialog::Directory, QFileDialog::AcceptOpen,
               [this](const QString& folder) { m_ui->directoryEdit->setText(QDir::toNativeSeparators(folder)); });
}

}  // namespace vardel::ui
