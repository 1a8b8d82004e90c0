#include "ui/dialogs/LaunchBarEntryDialog.h"
#include "ui_LaunchBarEntryDialog.h"

#include "app/LaunchBarEntry.h"
#include "ui/common/Convert.h"
#include "ui/common/IconButton.h"
#include "ui/dialogs/DialogGeometry.h"
#include "ui/common/Convert.h"
#include "ui/common/FileDialogs.h"
#include "ui/dialogs/DialogGeometry.h"
#include "ui/common/IconButton.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

namespace vardel::ui {
namespace {

// The first local file of a drag, "" when there is none.
QString firstLocalFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

QString directoryOf(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

}  // namespace

LaunchBarEntryDialog::LaunchBarEntryDialog(vardel::CLaunchBarEntry& entry, vardel::SettingsBackend& settings,
                                           QWidget* parent)
    : QDialog(parent)
    , m_entry(entry)
    , m_ui(std::make_unique<Ui::LaunchBarEntryDialog>())
{
    m_ui->setupUi(this);
    const QIcon folder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    m_ui->commandBrowseButton->setIcon(folder);
    m_ui->iconBrowseButton->setIcon(folder);
    m_ui->commandBrowseButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_ui->iconBrowseButton->setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_ui->labelEdit->setText(fromCodePage(entry.m_label));
    m_ui->commandEdit->setText(fromStoredPath(entry.m_command));
    m_ui->argumentsEdit->setText(fromStoredPath(entry.m_arguments));
    m_ui->directoryEdit->setText(fromStoredPath(entry.m_initialDirectory));
    m_ui->iconPathEdit->setText(fromStoredPath(entry.m_iconPath));
    m_ui->iconIndexSpin->setValue(entry.m_iconIndex);
    m_ui->showMaximizedBox->setChecked(entry.m_showCommand == CLaunchBarEntry::kShowMaximized);
    if (!CLaunchBarEntry::CanStartMaximized()) {
        // Kept as stored, for the day the collection moves to Windows.
        m_ui->showMaximizedBox->setEnabled(false);
        m_ui->showMaximizedBox->setToolTip(
            tr("Programs cannot be asked to open maximized on this system; the setting is kept as it is."));
    }

    connect(m_ui->labelEdit, &QLineEdit::textChanged, this, &LaunchBarEntryDialog::updateOk);
    connect(m_ui->commandEdit, &QLineEdit::textChanged, this, &LaunchBarEntryDialog::updateOk);
    connect(m_ui->iconPathEdit, &QLineEdit::textChanged, this, &LaunchBarEntryDialog::updatePreview);
    connect(m_ui->iconIndexSpin, &QSpinBox::valueChanged, this, &LaunchBarEntryDialog::updatePreview);
    connect(m_ui->commandBrowseButton, &QToolButton::clicked, this, &LaunchBarEntryDialog::browseCommand);
    connect(m_ui->iconBrowseButton, &QToolButton::clicked, this, &LaunchBarEntryDialog::browseIcon);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &LaunchBarEntryDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &LaunchBarEntryDialog::reject);

    updateOk();
    updatePreview();
    new DialogGeometry(this, settings, QStringLiteral("LaunchBarEntryDialog"));
}

LaunchBarEntryDialog::~LaunchBarEntryDialog() = default;

void LaunchBarEntryDialog::applyChosenCommand(const QString& path)
{
    m_ui->commandEdit->setText(QDir::toNativeSeparators(path));
    if (m_ui->directoryEdit->text().isEmpty())
        m_ui->directoryEdit->setText(directoryOf(path));
    if (m_ui->iconPathEdit->text().isEmpty())
        m_ui->iconPathEdit->setText(QDir::toNativeSeparators(path));
    updatePreview();
}

void LaunchBarEntryDialog::fillFromFile(const QString& path)
{
    const QFileInfo info(path);
    m_ui->labelEdit->setText(info.completeBaseName());
    m_ui->commandEdit->setText(QDir::toNativeSeparators(path));
    m_ui->directoryEdit->setText(directoryOf(path));
    m_ui->iconPathEdit->setText(QDir::toNativeSeparators(path));
    m_ui->iconIndexSpin->setValue(0);
    m_ui->argumentsEdit->clear();
    updatePreview();
}

QIcon LaunchBarEntryDialog::previewIcon() const
{
    const QIcon icon = IconButton::iconFromFile(m_ui->iconPathEdit->text(), m_ui->iconIndexSpin->value());
    return icon.isNull() ? IconButton::applicationIcon() : icon;
}

void LaunchBarEntryDialog::accept()
{
    const QString label = m_ui->labelEdit->text();
    const QString command = m_ui->commandEdit->text();
    if (label.isEmpty() || command.isEmpty())
        return;
    m_entry.m_label = toCodePage(label);
    m_entry.m_command = toStoredPath(command);
    m_entry.m_arguments = toStoredPath(m_ui->argumentsEdit->text());
    m_entry.m_initialDirectory = toStoredPath(m_ui->directoryEdit->text());
    m_entry.m_iconPath = toStoredPath(m_ui->iconPathEdit->text());
    m_entry.m_iconIndex = m_ui->iconIndexSpin->value();
    m_entry.m_showCommand =
        m_ui->showMaximizedBox->isChecked() ? CLaunchBarEntry::kShowMaximized : CLaunchBarEntry::kShowNormal;
    QDialog::accept();
}

void LaunchBarEntryDialog::browseCommand()
{
    chooseFile(this, QStringLiteral("commandChooser"), tr("Choose the application"), m_ui->commandEdit->text(),
               tr("Programs and documents (*);;Desktop entries (*.desktop);;Scripts (*.sh *.py)"),
               QFileDialog::ExistingFile, QFileDialog::AcceptOpen,
               [this](const QString& path) { applyChosenCommand(path); });
}

void LaunchBarEntryDialog::browseIcon()
{
    chooseFile(this, QStringLiteral("iconChooser"), tr("Choose the application icon"), m_ui->iconPathEdit->text(),
               tr("Icon files (*.ico *.png *.svg *.svgz *.xpm *.desktop);;All files (*)"), QFileDialog::ExistingFile,
               QFileDialog::AcceptOpen,
               [this](const QString& path) { m_ui->iconPathEdit->setText(QDir::toNativeSeparators(path)); });
}

void LaunchBarEntryDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (!firstLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void LaunchBarEntryDialog::dropEvent(QDropEvent* event)
{
    const QString path = firstLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    fillFromFile(path);
    event->acceptProposedAction();
}

void LaunchBarEntryDialog::updateOk()
{
    QPushButton* ok = m_ui->buttonBox->button(QDialogButtonBox::Ok);
    ok->setEnabled(!m_ui->labelEdit->text().isEmpty() && !m_ui->commandEdit->text().isEmpty());
}

void LaunchBarEntryDialog::updatePreview()
{
    m_ui->iconPreview->setPixmap(previewIcon().pixmap(IconButton::kIconSize, IconButton::kIconSize));
}

}  // namespace vardel::ui
