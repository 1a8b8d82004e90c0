#include "ui/dialogs/SetupDialog.h"
#include "ui_SetupDialog.h"

#include "app/Session.h"
#include "base/SettingsKeys.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/dialogs/DialogGeometry.h"
#include "ui/dialogs/DirectoryDialog.h"
#include "ui/translations/Translations.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>

namespace vardel::ui {
namespace {

constexpr int kRowIconSize = 15;
constexpr int kLabelColumnWidth = 150;
constexpr int kDirectoryColumnWidth = 240;
const QString kSeparatorText = QStringLiteral("----------");

// A folder outline with its tab, filling rect.
void drawFolder(QPainter& p, const QRectF& r, const QColor& fill, const QColor& line)
{
    QPainterPath path;
    const qreal tabW = r.width() * 0.45;
    const qreal tabH = r.height() * 0.2;
    path.moveTo(r.left(), r.top() + tabH);
    path.lineTo(r.left(), r.bottom());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.right(), r.top() + tabH);
    path.lineTo(r.left() + tabW + tabH, r.top() + tabH);
    path.lineTo(r.left() + tabW, r.top());
    path.lineTo(r.left(), r.top());
    path.closeSubpath();
    p.setPen(QPen(line, 1.0));
    p.setBrush(fill);
    p.drawPath(path);
}

QIcon makeRowIcon(bool enabled, bool subdirectories)
{
    QPixmap pixmap(kRowIconSize, kRowIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = enabled ? QColor(0xF0, 0xC8, 0x50) : QColor(0xC8, 0xC8, 0xC8);
    const QColor line = enabled ? QColor(0x8A, 0x64, 0x10) : QColor(0x70, 0x70, 0x70);
    if (subdirectories) {
        // A second folder behind the first stands for the subdirectories.
        drawFolder(p, QRectF(4.5, 0.5, 10, 8), fill.darker(115), line);
        drawFolder(p, QRectF(0.5, 4.5, 11, 10), fill, line);
    } else {
        drawFolder(p, QRectF(0.5, 2.5, 14, 11), fill, line);
    }
    if (!enabled) {
        p.setPen(QPen(QColor(0xC0, 0x20, 0x20), 1.6));
        p.drawLine(QPointF(8.5, 8.5), QPointF(13.5, 13.5));
        p.drawLine(QPointF(13.5, 8.5), QPointF(8.5, 13.5));
    }
    return QIcon(pixmap);
}

QIcon makeSeparatorIcon()
{
    QPixmap pixmap(kRowIconSize, kRowIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1.0));
    p.drawLine(1, 7, kRowIconSize - 2, 7);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 1.0));
    p.drawLine(1, 8, kRowIconSize - 2, 8);
    return QIcon(pixmap);
}

}  // namespace

SetupDialog::SetupDialog(vardel::CVardelSession& session, QWidget* parent, const QString& home)
    : QDialog(parent)
    , m_session(session)
    , m_ui(std::make_unique<Ui::SetupDialog>())
    , m_home(home.isEmpty() ? QDir::homePath() : home)
{
    m_ui->setupUi(this);

    QTreeWidget* list = m_ui->directoryList;
    list->setIconSize(QSize(kRowIconSize, kRowIconSize));
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, kLabelColumnWidth);
    list->setColumnWidth(1, kDirectoryColumnWidth);
    list->setMinimumWidth(kLabelColumnWidth + kDirectoryColumnWidth + 8);

    m_ui->upButton->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_ui->downButton->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    // The arrows replace the texts "&Up" and "&Down"; their keys stay.
    m_ui->upButton->setShortcut(QKeySequence(tr("Alt+U")));
    m_ui->downButton->setShortcut(QKeySequence(tr("Alt+D")));

    const Settings& settings = m_session.GetSettings();
    m_ui->extensionsEdit->setText(fromCodePage(settings.extensions));
    m_ui->scanAllBox->setChecked(settings.scanAll != 0);
    fillLanguages();

    connect(m_ui->setDefaultButton, &QPushButton::clicked, this, &SetupDialog::setDefaultExtensions);
    connect(m_ui->scanAllBox, &QCheckBox::toggled, this, &SetupDialog::updateButtons);
    connect(m_ui->addButton, &QPushButton::clicked, this, &SetupDialog::addDirectory);
    connect(m_ui->editButton, &QPushButton::clicked, this, &SetupDialog::editDirectory);
    connect(m_ui->removeButton, &QPushButton::clicked, this, &SetupDialog::removeDirectory);
    connect(m_ui->upButton, &QToolButton::clicked, this, &SetupDialog::moveUp);
    connect(m_ui->downButton, &QToolButton::clicked, this, &SetupDialog::moveDown);
    connect(list, &QTreeWidget::itemSelectionChanged, this, &SetupDialog::updateButtons);
    connect(list, &QTreeWidget::customContextMenuRequested, this, &SetupDialog::showContextMenu);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &SetupDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &SetupDialog::reject);
    connect(m_ui->addFoundButton, &QPushButton::clicked, this, &SetupDialog::addFoundFolder);
    connect(m_ui->foundList, &QTreeWidget::itemDoubleClicked, this, &SetupDialog::addFoundFolder);
    connect(m_ui->foundList, &QTreeWidget::itemSelectionChanged, this, &SetupDialog::updateButtons);
    m_ui->foundList->header()->setStretchLastSection(false);
    m_ui->foundList->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    // The end of a folder's path tells most (the host's folder); all of it is in the tip.
    m_ui->foundList->setTextElideMode(Qt::ElideMiddle);

    fillList();
    updateButtons();
    lookForFolders();
    new DialogGeometry(this, m_session.GetSettingsBackend(), QStringLiteral("SetupDialog"));
}

SetupDialog::~SetupDialog()
{
    m_stopLooking.request_stop();
}

void SetupDialog::lookForFolders()
{
    m_stopLooking.request_stop();
    m_stopLooking = std::stop_source();
    const std::uint64_t generation = ++m_lookGeneration;
    m_looking = true;
    m_ui->foundStatus->setText(tr("Looking for plug-in folders..."));
    // The worker gets copies: the list may change while it looks.
    auto list = std::make_shared<DirectoryList>();
    for (const auto& e : m_session.Directories())
        if (e)
            list->push_back(std::make_unique<CPluginDirEntry>(*e));
    const std::filesystem::path home(m_home.toStdU16String());
    const std::string extensions = toCodePage(m_ui->extensionsEdit->text());
    const std::stop_token stop = m_stopLooking.get_token();
    QPointer<SetupDialog> self(this);
    WorkerThreads::run([home, extensions, list, stop, self, generation] {
        auto search = std::make_shared<FolderSearch>(
            FindPluginFolders(home, extensions, *list, stop, std::chrono::steady_clock::now() + kFolderSearchTime));
        WorkerThreads::deliver([self, generation, search] {
            if (self)
                self->foldersFound(generation, std::move(*search));
        });
    });
    updateButtons();
}

void SetupDialog::foldersFound(std::uint64_t generation, FolderSearch search)
{
    if (generation != m_lookGeneration)
        return;
    m_looking = false;
    m_found = std::move(search);
    QTreeWidget* list = m_ui->foundList;
    list->clear();
    for (const FoundFolder& folder : m_found.folders) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, fromCodePage(folder.label));
        item->setText(1, fromStoredPath(folder.path));
        item->setText(2, QString::number(folder.pluginFiles));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(1, fromStoredPath(folder.path));
        // Already on the list: shown, but not offered again.
        if (folder.listedAs >= 0) {
            item->setText(0, tr("%1 (on the list)").arg(item->text(0)));
            item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    list->resizeColumnToContents(0);
    QString status = m_found.folders.empty()
                         ? tr("No plug-in folders of hosts were found in the Wine prefixes.")
                         : tr("%n folder(s) found.", nullptr, static_cast<int>(m_found.folders.size()));
    if (!m_found.complete)
        status += QLatin1Char(' ') + tr("The search took too long and was cut short.");
    m_ui->foundStatus->setText(status);
    updateButtons();
}

void SetupDialog::addFoundFolder()
{
    const int row = m_ui->foundList->indexOfTopLevelItem(m_ui->foundList->currentItem());
    if (m_looking || row < 0 || static_cast<std::size_t>(row) >= m_found.folders.size())
        return;
    const FoundFolder& folder = m_found.folders[static_cast<std::size_t>(row)];
    if (folder.listedAs >= 0)
        return;
    const std::size_t index =
        AddDirectory(m_session.GetDataDirectory(), m_session.Directories(), MakeDirectoryEntry(folder));
    directoryListChanged(static_cast<int>(index));
    // The folder is marked as on the list now.
    lookForFolders();
}

QIcon SetupDialog::rowIcon(const vardel::CPluginDirEntry& entry)
{
    // Kept to the end of the process: pixmaps must not outlive the
    // application object in a static destructor.
    static const auto* icons =
        new std::array<QIcon, 5>{makeRowIcon(true, false), makeRowIcon(true, true), makeRowIcon(false, false),
                                 makeRowIcon(false, true), makeSeparatorIcon()};
    if (entry.m_separator)
        return (*icons)[4];
    return (*icons)[static_cast<std::size_t>((entry.m_enabled ? 0 : 2) + (entry.m_includeSubdirectories ? 1 : 0))];
}

int SetupDialog::currentIndex() const
{
    const QList<QTreeWidgetItem*> selected = m_ui->directoryList->selectedItems();
    if (selected.isEmpty())
        return -1;
    return m_ui->directoryList->indexOfTopLevelItem(selected.front());
}

void SetupDialog::setCurrentIndex(int index)
{
    QTreeWidget* list = m_ui->directoryList;
    QTreeWidgetItem* item = list->topLevelItem(index);
    list->clearSelection();
    if (item) {
        list->setCurrentItem(item);
        item->setSelected(true);
        list->scrollToItem(item);
    }
    updateButtons();
}

void SetupDialog::accept()
{
    Settings& settings = m_session.GetSettings();
    settings.extensions = toCodePage(m_ui->extensionsEdit->text());
    settings.scanAll = m_ui->scanAllBox->isChecked() ? 1 : 0;
    // Written only once chosen: a store that never had one stays as it was.
    SettingsBackend& backend = m_session.GetSettingsBackend();
    const std::string language = m_ui->languageBox->currentData().toString().toStdString();
    if (language != backend.ReadString(settings_keys::kSettings, settings_keys::kLanguage).value_or(""))
        backend.WriteString(settings_keys::kSettings, settings_keys::kLanguage, language);
    QDialog::accept();
}

void SetupDialog::fillLanguages()
{
    // Each language by its own name, so that a user finds his own whatever
    // language the program speaks now; "" follows the system.
    QComboBox* box = m_ui->languageBox;
    box->addItem(tr("The system's language"), QString());
    box->addItem(languageName(QStringLiteral("en")), QStringLiteral("en"));
    for (const QString& code : availableLanguages())
        box->addItem(languageName(code), code);
    const QString chosen = QString::fromStdString(
        m_session.GetSettingsBackend().ReadString(settings_keys::kSettings, settings_keys::kLanguage).value_or(""));
    box->setCurrentIndex(std::max(0, box->findData(chosen)));
}

void SetupDialog::addDirectory()
{
    if (m_entryDialog)
        return;
    // The new entry lives here until the dialog says whether it is kept.
    m_newEntry = std::make_unique<CPluginDirEntry>();
    auto* dialog = new DirectoryDialog(*m_newEntry, m_session.GetSettingsBackend(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        std::unique_ptr<CPluginDirEntry> entry = std::move(m_newEntry);
        if (result != QDialog::Accepted || !entry)
            return;
        const std::size_t index = AddDirectory(m_session.GetDataDirectory(), m_session.Directories(), std::move(entry));
        directoryListChanged(static_cast<int>(index));
    });
    m_entryDialog = dialog;
    dialog->open();
}

void SetupDialog::editDirectory()
{
    const int index = currentIndex();
    DirectoryList& dirs = m_session.Directories();
    if (m_entryDialog || index < 0 || index >= static_cast<int>(dirs.size()))
        return;
    auto* dialog = new DirectoryDialog(*dirs[static_cast<std::size_t>(index)], m_session.GetSettingsBackend(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, index](int result) {
        if (result == QDialog::Accepted)
            directoryListChanged(index);
    });
    m_entryDialog = dialog;
    dialog->open();
}

void SetupDialog::removeDirectory()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    // A catalogue file that cannot be deleted keeps its entry, silently.
    if (!RemoveDirectory(m_session.GetDataDirectory(), m_session.Directories(), static_cast<std::size_t>(index)))
        return;
    const int count = static_cast<int>(m_session.Directories().size());
    directoryListChanged(index < count ? index : count - 1);
}

void SetupDialog::moveUp()
{
    const int index = currentIndex();
    if (index > 0 && MoveDirectoryUp(m_session.Directories(), static_cast<std::size_t>(index)))
        directoryListChanged(index - 1);
}

void SetupDialog::moveDown()
{
    const int index = currentIndex();
    if (index >= 0 && MoveDirectoryDown(m_session.Directories(), static_cast<std::size_t>(index)))
        directoryListChanged(index + 1);
}

void SetupDialog::setDefaultExtensions()
{
    if (!m_ui->scanAllBox->isChecked())
        m_ui->extensionsEdit->setText(QString::fromLatin1(kDefaultExtensions));
}

void SetupDialog::fillList()
{
    QTreeWidget* list = m_ui->directoryList;
    list->clear();
    for (const auto& entry : m_session.Directories()) {
        auto* item = new QTreeWidgetItem(list);
        if (entry->m_separator) {
            item->setText(0, kSeparatorText);
            item->setText(1, kSeparatorText);
        } else {
            item->setText(0, fromCodePage(entry->m_label));
            item->setText(1, fromStoredPath(entry->m_directory));
            item->setToolTip(1, fromStoredPath(entry->m_directory));
        }
        item->setIcon(0, rowIcon(*entry));
    }
}

void SetupDialog::updateButtons()
{
    const int index = currentIndex();
    const int count = m_ui->directoryList->topLevelItemCount();
    const bool scanAll = m_ui->scanAllBox->isChecked();
    m_ui->extensionsEdit->setEnabled(!scanAll);
    m_ui->setDefaultButton->setEnabled(!scanAll);
    m_ui->editButton->setEnabled(index >= 0);
    m_ui->removeButton->setEnabled(index >= 0);
    m_ui->upButton->setEnabled(index > 0);
    m_ui->downButton->setEnabled(index >= 0 && index < count - 1);
    const int found = m_ui->foundList->indexOfTopLevelItem(m_ui->foundList->currentItem());
    m_ui->addFoundButton->setEnabled(!m_looking && found >= 0 &&
                                     static_cast<std::size_t>(found) < m_found.folders.size() &&
                                     m_found.folders[static_cast<std::size_t>(found)].listedAs < 0);
}

void SetupDialog::showContextMenu(const QPoint& pos)
{
    if (currentIndex() < 0)
        return;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("directoryContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("&Edit..."), this, &SetupDialog::editDirectory);
    menu->addAction(tr("&Add..."), this, &SetupDialog::addDirectory);
    menu->addAction(tr("&Remove"), this, &SetupDialog::removeDirectory);
    menu->popup(m_ui->directoryList->viewport()->mapToGlobal(pos));
}

void SetupDialog::directoryListChanged(int select)
{
    fillList();
    setCurrentIndex(select);
    m_session.NotifyDirectoryListChanged();
}

}  // namespace vardel::ui
