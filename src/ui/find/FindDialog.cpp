#include "ui/find/FindDialog.h"

#include "app/Session.h"
#include "base/SettingsKeys.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "filterfactory/ParameterBlock.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "images/PreviewImageManager.h"
#include "search/DescriptionListManager.h"
#include "ui/common/Convert.h"
#include "ui/common/WorkerThreads.h"
#include "ui/find/SearchResultModel.h"
#include "ui/preview/FilterPreview.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/settings/GuiSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace vardel::ui {
namespace {

constexpr const char* kFindSection = FindSettings::kSection;
// A batch of hits is handed to the list after this many rows, or sooner
// when a slow search took this long.
constexpr std::size_t kBatchSize = 2000;
constexpr std::chrono::milliseconds kBatchTime{50};

}  // namespace

FindDialog::FindDialog(CVardelSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_images(session.MakePreviewImages())
{
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(tr("Find Plugins"));
    setSizeGripEnabled(true);

    m_keyword = new QLineEdit(this);
    m_keyword->setObjectName(QStringLiteral("keywordEdit"));
    m_matchCase = new QCheckBox(tr("Match Case"), this);
    m_matchCase->setObjectName(QStringLiteral("matchCaseBox"));
    m_find = new QPushButton(tr("&Find"), this);
    m_find->setObjectName(QStringLiteral("findButton"));
    // Enter is handled by the dialog itself: it starts a search even while
    // the button means Stop.
    m_find->setAutoDefault(false);

    auto* fields = new QGroupBox(tr("Search in"), this);
    auto* fieldGrid = new QGridLayout(fields);
    auto box = [&](const char* name, const QString& text, int row, int column) {
        auto* check = new QCheckBox(text, fields);
        check->setObjectName(QLatin1String(name));
        fieldGrid->addWidget(check, row, column);
        return check;
    };
    m_title = box("titleBox", tr("Title"), 0, 0);
    m_category = box("categoryBox", tr("Category"), 0, 1);
    m_author = box("authorBox", tr("Author"), 0, 2);
    m_filename = box("filenameBox", tr("Filename"), 1, 0);
    m_description = box("descriptionBox", tr("Description"), 1, 1);
    m_keywords = box("keywordsBox", tr("Keywords"), 1, 2);

    m_model = new SearchResultModel(this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("resultList"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setStretchLastSection(true);

    m_window = new CPreviewWnd(this);
    m_window->setObjectName(QStringLiteral("previewWindow"));
    m_window->setMinimumSize(240, 188);
    // Until a hit is chosen the preview shows the start-up picture, as the
    // preview bar does.
    m_window->loadFile(QString::fromStdU16String(session.GetDataDirectory().StartupImage().u16string()));
    m_filterPreview = new FilterPreview(session, m_window, this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);

    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);

    auto* keywordRow = new QHBoxLayout;
    keywordRow->addWidget(new QLabel(tr("Keyword:"), this));
    keywordRow->addWidget(m_keyword, 1);
    keywordRow->addWidget(m_matchCase);
    keywordRow->addWidget(m_find);
    auto* left = new QVBoxLayout;
    left->addLayout(keywordRow);
    left->addWidget(fields);
    left->addWidget(m_list, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(m_window, 1);
    right->addWidget(m_status);
    right->addWidget(close, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 3);
    layout->addLayout(right, 1);

    connect(m_find, &QPushButton::clicked, this, [this] {
        if (isSearching())
            stopSearch();
        else
            startSearch();
    });
    connect(close, &QPushButton::clicked, this, &FindDialog::reject);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &FindDialog::sortByColumn);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &FindDialog::showHit);
    // A double click on a hit (Enter on it: eventFilter).
    connect(m_list, &QTreeView::activated, this, &FindDialog::openHit);
    m_list->installEventFilter(this);
    connect(m_filterPreview, &FilterPreview::statusChanged, this, &FindDialog::showStatus);

    loadSettings();
}

FindDialog::~FindDialog()
{
    stopSearch();
}

FindSettings FindDialog::currentSettings() const
{
    FindSettings settings;
    settings.keyword = toCodePage(m_keyword->text());
    settings.matchCase = m_matchCase->isChecked();
    settings.title = m_title->isChecked();
    settings.category = m_category->isChecked();
    settings.author = m_author->isChecked();
    settings.filename = m_filename->isChecked();
    settings.description = m_description->isChecked();
    settings.keywords = m_keywords->isChecked();
    settings.titleWidth = m_list->columnWidth(0);
    settings.categoryWidth = m_list->columnWidth(1);
    settings.filenameWidth = m_list->columnWidth(2);
    return settings;
}

void FindDialog::loadSettings()
{
    SettingsBackend& backend = m_session.GetSettingsBackend();
    const FindSettings settings = LoadFindSettings(backend);
    m_keyword->setText(fromCodePage(settings.keyword));
    m_matchCase->setChecked(settings.matchCase);
    m_title->setChecked(settings.title);
    m_category->setChecked(settings.category);
    m_author->setChecked(settings.author);
    m_filename->setChecked(settings.filename);
    m_description->setChecked(settings.description);
    m_keywords->setChecked(settings.keywords);
    m_list->setColumnWidth(0, settings.titleWidth);
    m_list->setColumnWidth(1, settings.categoryWidth);
    m_list->setColumnWidth(2, settings.filenameWidth);

    // The dialog never gets smaller than it starts.
    const QSize initial = sizeHint().expandedTo(QSize(760, 420));
    setMinimumSize(initial);
    resize(initial);
    // Placement: the normal rectangle (right and bottom exclusive) and the show state.
    const std::optional<WindowPlacement> placement = loadWindowPlacement(backend, kFindSection);
    if (placement && placement->right > placement->left && placement->bottom > placement->top) {
        const QRect rect = placement->normalRect();
        // The rectangle is the one geometry() gave at closing: the window's
        // inside, without the frame. Moving the frame there instead would
        // shift the dialog by its frame at every opening.
        bool onScreen = false;
        for (const QScreen* screen : QGuiApplication::screens())
            onScreen = onScreen || screen->availableGeometry().intersects(rect);
        if (onScreen)
            setGeometry(QRect(rect.topLeft(), rect.size().expandedTo(initial)));
        else
            resize(rect.size().expandedTo(initial));
    }
    if (placement && placement->showCmd == WindowPlacement::kShowMaximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void FindDialog::saveSettings()
{
    SettingsBackend& backend = m_session.GetSettingsBackend();
    SaveFindSettings(backend, currentSettings());
    const QRect rect = isMaximized() ? normalGeometry() : geometry();
    if (rect.isValid()) {
        WindowPlacement placement;
        placement.showCmd = isMaximized() ? WindowPlacement::kShowMaximized : WindowPlacement::kShowNormal;
        placement.setNormalRect(rect);
        saveWindowPlacement(backend, placement, kFindSection);
    }
}

void FindDialog::done(int result)
{
    stopSearch();
    m_filterPreview->clear();
    saveSettings();
    QDialog::done(result);
}

namespace {

bool IsEnter(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier;
}

}  // namespace

void FindDialog::keyPressEvent(QKeyEvent* event)
{
    if (IsEnter(event)) {
        startSearch();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FindDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a hit opens it and goes no further.
    if (watched == m_list && event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event))) {
        openHit(m_list->currentIndex());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool FindDialog::isSearching() const
{
    // Until its results are shown, not only while the worker runs.
    return m_searching;
}

void FindDialog::stopSearch()
{
    if (m_stop)
        m_stop->store(true);
}

const std::vector<SearchRow>& FindDialog::rows() const
{
    return m_model->rows();
}

void FindDialog::startSearch()
{
    // A running search is given up: its worker runs out and its rows are dropped.
    stopSearch();
    m_model->clear();
    m_previewed = nullptr;
    const std::uint64_t generation = ++m_generation;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    m_stop = stop;
    // The worker reads copies, so nothing has to wait for it when the
    // catalogue changes or this dialog goes.
    const std::shared_ptr<const SearchSource> source =
        CPluginSearch::Snapshot(m_session.Catalogue(), m_session.Descriptions());
    const FindSettings settings = currentSettings();
    m_find->setText(tr("&Stop"));
    showStatus(tr("Searching..."));
    m_searching = true;
    // Each batch of hits reaches the list as it comes, through a delivery
    // that finds out whether this dialog still wants it; the worker holds
    // copies only.
    QPointer<FindDialog> self(this);
    WorkerThreads::run([source, settings, stop, self, generation] {
        const CPluginSearch::BlockReader reader = [stop](const CPluginEntry& entry, CParameterBlock& block) {
            return !stop->load() && ReadParameterBlock(entry, block);
        };
        CPluginSearch::RunInBatches(
            *source, settings,
            [&stop, self, generation](std::vector<SearchRow>&& rows) {
                if (stop->load())
                    return;
                auto batch = std::make_shared<std::vector<SearchRow>>(std::move(rows));
                WorkerThreads::deliver([self, generation, batch] {
                    if (self && generation == self->m_generation)
                        self->appendBatch(*batch);
                });
            },
            kBatchSize, kBatchTime, reader, stop.get());
        const bool stopped = stop->load();
        WorkerThreads::deliver([self, generation, stopped] {
            if (self && generation == self->m_generation)
                self->searchFinished(stopped);
        });
    });
}

void FindDialog::appendBatch(std::vector<SearchRow>& rows)
{
    // The rows point into the search's copies; the list shows the
    // catalogue's own records, by position.
    const auto& entries = m_session.Catalogue().m_entries;
    std::vector<SearchRow> shown;
    shown.reserve(rows.size());
    for (SearchRow& row : rows) {
        if (row.entry < 0 || static_cast<std::size_t>(row.entry) >= entries.size())
            continue;
        row.plugin = entries[static_cast<std::size_t>(row.entry)].get();
        shown.push_back(std::move(row));
    }
    rows = {};
    m_model->append(std::move(shown));
}

void FindDialog::searchFinished(bool stopped)
{
    m_searching = false;
    m_find->setText(tr("&Find"));
    if (stopped) {
        m_model->clear();
        showStatus(tr("The search was stopped."));
    } else {
        showStatus(tr("%n plug-in(s) found.", nullptr, static_cast<int>(m_model->rowCount())));
    }
}

void FindDialog::sortByColumn(int column)
{
    if (column < 0 || column >= SearchRow::kColumnCount || isSearching())
        return;
    const CPluginEntry* current = pluginOf(m_list->currentIndex());
    m_model->sort(column);
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(column, Qt::AscendingOrder);
    // The selection moves with its row.
    if (const int row = current ? m_model->rowOf(current) : -1; row >= 0) {
        const QSignalBlocker blocker(m_list->selectionModel());
        m_list->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

const CPluginEntry* FindDialog::pluginOf(const QModelIndex& index) const
{
    return index.isValid() ? m_model->pluginAt(index.row()) : nullptr;
}

void FindDialog::showHit()
{
    const CPluginEntry* plugin = pluginOf(m_list->currentIndex());
    if (!plugin || plugin == m_previewed)
        return;
    m_previewed = plugin;
    CPreviewImageManager& images = m_images;
    if (IsFilterFactoryFilter(*plugin)) {
        images.SetPlugin(nullptr);
        if (!m_filterPreview->showFilter(*plugin))
            showStatus(tr("The Filter Factory data of this plug-in cannot be read."));
        return;
    }
    m_filterPreview->clear();
    showStatus({});
    images.SetPlugin(plugin);
    COXDIB picture;
    if (LoadJpeg(images.DisplayPath(), picture) && picture.GetBitCount() == 24)
        m_window->setImage(toQImage(picture));
}

void FindDialog::openHit(const QModelIndex& index)
{
    const CPluginEntry* plugin = pluginOf(index);
    if (!plugin)
        return;
    PluginDetailSheet* sheet = PluginDetailSheet::openFor(m_session, *plugin, PluginDetailSheet::First, this);
    if (!sheet) {
        showStatus(tr("The Filter Factory data of this plug-in cannot be read."));
        return;
    }
    // The sheet may add or delete images: the hit is shown afresh after it.
    connect(sheet, &QDialog::finished, this, [this] {
        m_previewed = nullptr;
        m_images.SetPlugin(nullptr);
        showHit();
    });
}

void FindDialog::showStatus(const QString& text)
{
    m_status->setText(text);
}

}  // namespace vardel::ui
