#include "ui/properties/PluginPreviewProp.h"

#include "base/SettingsKeys.h"
#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "ui/common/Clipboard.h"
#include "ui/common/Convert.h"
#include "ui/common/FileDialogs.h"
#include "filterfactory/ParameterBlock.h"
#include "filterfactory/SliderLayout.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "images/PreviewFile.h"
#include "ui/preview/FilterPreview.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/session/UserMessages.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vardel::ui {
namespace {

constexpr const char* kFileFilter =
    QT_TRANSLATE_NOOP("vardel::ui::PluginPreviewProp", "Bitmap Files (*.bmp);;JPEG Files (*.jpg);;All Files (*)");
constexpr int kLabelWidth = 150;

// The size buttons' pictures: a frame with the share of it that the
// rendering takes.
QIcon sizeIcon(int percent)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 21, 21);
    const int side = 19 * percent / 100;
    const int offset = 2 + (19 - side) / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x60, 0xc0));
    painter.drawRect(offset, offset, side, side);
    return QIcon(pixmap);
}

}  // namespace

PluginPreviewProp::PluginPreviewProp(CVardelSession& session, const CPluginEntry& entry, CParameterBlock& block,
                                     QWidget* parent)
    : PluginPropPage(parent)
    , m_session(session)
    , m_entry(entry)
    , m_block(block)
{
    setObjectName(QStringLiteral("previewPage"));
    m_window = new CPreviewWnd(this);
    m_window->setObjectName(QStringLiteral("previewWindow"));
    m_window->setMinimumSize(320, 250);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);
    m_status->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_status->hide();

    // Size.
    auto* sizeGroup = new QGroupBox(tr("Size"), this);
    auto* sizeRow = new QHBoxLayout(sizeGroup);
    m_sizeButtons = new QButtonGroup(this);
    struct SizeButton {
        const char* name;
        int percent;
        const char* tip;
    };
    static const SizeButton kSizes[3] = {
        {"sizeFullButton", 100, QT_TR_NOOP("Fit the whole preview area")},
        {"size75Button", 75, QT_TR_NOOP("Three quarters of the preview area")},
        {"size50Button", 50, QT_TR_NOOP("Half of the preview area")},
    };
    for (int mode = 0; mode < 3; ++mode) {
        auto* button = new QToolButton(sizeGroup);
        button->setObjectName(QLatin1String(kSizes[mode].name));
        button->setCheckable(true);
        button->setIcon(sizeIcon(kSizes[mode].percent));
        button->setIconSize(QSize(24, 24));
        button->setToolTip(tr(kSizes[mode].tip));
        m_sizeButtons->addButton(button, mode);
        sizeRow->addWidget(button);
    }
    sizeRow->addStretch(1);

    // Transparency.
    auto* transparencyGroup = new QGroupBox(tr("Transparency"), this);
    m_transparency = new QCheckBox(tr("Enabled"), transparencyGroup);
    m_transparency->setObjectName(QStringLiteral("transparencyBox"));
    (new QVBoxLayout(transparencyGroup))->addWidget(m_transparency);

    // Preview Image.
    auto* imageGroup = new QGroupBox(tr("Preview Image"), this);
    auto* imageLayout = new QVBoxLayout(imageGroup);
    m_samples = new QComboBox(imageGroup);
    m_samples->setObjectName(QStringLiteral("sampleCombo"));
    m_samples->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_samples->setMinimumContentsLength(16);
    imageLayout->addWidget(m_samples);
    auto addButton = [&](const char* name, const QString& text) {
        auto* button = new QPushButton(text, imageGroup);
        button->setObjectName(QLatin1String(name));
        imageLayout->addWidget(button);
        return button;
    };
    QPushButton* load = addButton("loadButton", tr("Load..."));
    QPushButton* save = addButton("saveButton", tr("Save as..."));
    QPushButton* copy = addButton("copyButton", tr("Copy to Clipboard"));
    QPushButton* paste = addButton("pasteButton", tr("Paste from Clipboard"));

    auto* side = new QVBoxLayout;
    side->addWidget(sizeGroup);
    side->addWidget(transparencyGroup);
    side->addWidget(imageGroup);
    side->addStretch(1);

    // Slider Settings: one row per slider; rows of sliders out of use collapse.
    auto* sliderGroup = new QGroupBox(tr("Slider Settings"), this);
    auto* sliders = new QGridLayout(sliderGroup);
    for (int i = 0; i < CParameterBlock::kSliderCount; ++i) {
        auto* label = new QLabel(sliderGroup);
        label->setObjectName(QStringLiteral("sliderLabel%1").arg(i));
        label->setMinimumWidth(80);
        label->setMaximumWidth(kLabelWidth);
        auto* slider = new QSlider(Qt::Horizontal, sliderGroup);
        slider->setObjectName(QStringLiteral("slider%1").arg(i));
        slider->setRange(0, 255);
        slider->setPageStep(16);
        slider->setMinimumWidth(120);
        auto* value = new QLabel(sliderGroup);
        value->setObjectName(QStringLiteral("sliderValue%1").arg(i));
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-0000")));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        sliders->addWidget(label, i, 0);
        sliders->addWidget(slider, i, 1);
        sliders->addWidget(value, i, 2);
        m_labels[static_cast<std::size_t>(i)] = label;
        m_sliders[static_cast<std::size_t>(i)] = slider;
        m_values[static_cast<std::size_t>(i)] = value;
        connect(slider, &QSlider::valueChanged, this, [this, i](int v) { sliderMoved(i, v); });
    }
    sliders->setColumnStretch(1, 1);
    auto* randomizeButton = new QPushButton(tr("Randomize"), sliderGroup);
    randomizeButton->setObjectName(QStringLiteral("randomizeButton"));
    auto* resetButton = new QPushButton(tr("Reset"), sliderGroup);
    resetButton->setObjectName(QStringLiteral("resetButton"));
    auto* sliderButtons = new QHBoxLayout;
    sliderButtons->addStretch(1);
    sliderButtons->addWidget(randomizeButton);
    sliderButtons->addWidget(resetButton);
    sliders->addLayout(sliderButtons, CParameterBlock::kSliderCount, 0, 1, 3);

    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(m_window, 1);
    pictureColumn->addWidget(m_status);
    auto* top = new QHBoxLayout;
    top->addLayout(pictureColumn, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(sliderGroup);

    // Opening: sliders from the block, size and transparency from the
    // settings, the sample list, then the first rendering.
    m_preview = new FilterPreview(session, m_window, this);
    connect(m_preview, &FilterPreview::statusChanged, this, &PluginPreviewProp::showStatus);
    const Settings& settings = session.GetSettings();
    showSliders();
    const int mode = settings.previewSize;
    if (QAbstractButton* button = m_sizeButtons->button(mode))
        button->setChecked(true);
    m_transparency->setChecked(settings.transparency != 0);
    m_sampleName = fromCodePage(settings.previewImage);
    fillSamples(m_sampleName);

    connect(m_sizeButtons, &QButtonGroup::idClicked, m_preview, &FilterPreview::setSizeMode);
    connect(m_transparency, &QCheckBox::toggled, m_preview, &FilterPreview::setTransparency);
    connect(m_samples, &QComboBox::activated, this, &PluginPreviewProp::sampleChosen);
    connect(load, &QPushButton::clicked, this, &PluginPreviewProp::chooseLoadFile);
    connect(save, &QPushButton::clicked, this, &PluginPreviewProp::chooseSaveFile);
    connect(copy, &QPushButton::clicked, this, [this] { copyToClipboard(); });
    connect(paste, &QPushButton::clicked, this, [this] { pasteFromClipboard(); });
    connect(randomizeButton, &QPushButton::clicked, this, &PluginPreviewProp::randomize);
    connect(resetButton, &QPushButton::clicked, this, [this] { reset(); });
    setFocusPolicy(Qt::StrongFocus);

    m_preview->setBlock(m_block);
}

PluginPreviewProp::~PluginPreviewProp() = default;

void PluginPreviewProp::apply()
{
    Settings& settings = m_session.GetSettings();
    settings.previewSize = m_preview->sizeMode();
    settings.transparency = m_preview->transparency() ? 1 : 0;
    if (!m_sampleName.isEmpty())
        settings.previewImage = toCodePage(m_sampleName);
    m_session.SaveSettingsAndStores();
}

void PluginPreviewProp::showSliders()
{
    const std::array<SliderState, 8> layout = SliderLayout(m_block);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const SliderState& state = layout[i];
        const QString label = fromCodePage(state.label);
        m_labels[i]->setText(m_labels[i]->fontMetrics().elidedText(label, Qt::ElideRight, kLabelWidth));
        m_labels[i]->setToolTip(label);
        {
            // Only the page sets these: no rendering per slider while filling.
            const QSignalBlocker blocker(m_sliders[i]);
            m_sliders[i]->setValue(state.value);
        }
        m_values[i]->setText(QString::number(state.value));
        m_labels[i]->setVisible(state.visible);
        m_sliders[i]->setVisible(state.visible);
        m_values[i]->setVisible(state.visible);
    }
}

void PluginPreviewProp::sliderMoved(int i, int value)
{
    m_values[static_cast<std::size_t>(i)]->setText(QString::number(value));
    m_block.SetSlider(i, value);
    m_preview->setBlock(m_block);
}

void PluginPreviewProp::randomize()
{
    Randomize(m_block, [] { return static_cast<int>(QRandomGenerator::global()->bounded(1 << 30)); });
    showSliders();
    m_preview->setBlock(m_block);
}

bool PluginPreviewProp::reset()
{
    CParameterBlock fromFile;
    if (!ReadParameterBlock(m_entry, fromFile))
        return false;
    Reset(m_block, fromFile);
    showSliders();
    m_preview->setBlock(m_block);
    return true;
}

void PluginPreviewProp::fillSamples(const QString& name)
{
    const QDir directory(fromStoredPath(m_preview->sampleDirectory().string()));
    QStringList names = directory.entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::NoSort);
    // The sample list of the other system's list box: sorted, case ignored.
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    m_samples->clear();
    m_samples->addItems(names);
    m_samples->setCurrentIndex(-1);
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) {
            m_samples->setCurrentIndex(i);
            if (m_preview->setSampleName(toStoredPath(names[i])))
                m_sampleName = names[i];
            break;
        }
}

void PluginPreviewProp::sampleChosen(int index)
{
    if (index < 0)
        return;
    const QString name = m_samples->itemText(index);
    if (m_preview->setSampleName(toStoredPath(name)))
        m_sampleName = name;
    else
        message(kLoadFailedText);
}

QString PluginPreviewProp::loadSampleFile(const QString& path)
{
    COXDIB sample;
    const PictureLoadResult result = LoadPicture(std::filesystem::path(path.toStdU16String()), sample);
    switch (result.status) {
    case PictureLoad::Loaded:
        m_samples->setCurrentIndex(-1);
        m_preview->setSample(sample);
        return {};
    case PictureLoad::NotTrueColour: return tr(kLoadFailedText);
    case PictureLoad::NotBmpOrJpeg:
        return tr("Error loading file\nOnly BMP and JPEG files are read; this is a %1 file.")
            .arg(QString::fromStdString(result.format));
    case PictureLoad::Unreadable: break;
    }
    return tr("Error loading file\n%1 cannot be read as a BMP or JPEG file.").arg(QDir::toNativeSeparators(path));
}

bool PluginPreviewProp::saveShownImage(const QString& path)
{
    const COXDIB* shown = m_preview->shownImage();
    if (!shown)
        return false;
    const std::filesystem::path file(path.toStdU16String());
    return SavePreviewFile(file, PreviewFileTypeOf(file), *shown);
}

bool PluginPreviewProp::copyToClipboard()
{
    const COXDIB* shown = m_preview->shownImage();
    return shown && CClipboard::setImage(*shown);
}

bool PluginPreviewProp::pasteFromClipboard()
{
    // The clipboard's picture comes in at 24 bits whatever its depth, and is
    // fitted into the stored preview size as the other samples are.
    COXDIB pasted;
    if (!CClipboard::getImage(pasted))
        return false;
    COXDIB fitted;
    if (!MakeFittedCopy(pasted, fitted))
        return false;
    m_samples->setCurrentIndex(-1);
    m_preview->setSample(fitted);
    return true;
}

std::string PluginPreviewProp::setting(const char* name) const
{
    return m_session.GetSettingsBackend().ReadString(settings_keys::kSettings, name).value_or(std::string());
}

void PluginPreviewProp::chooseLoadFile()
{
    chooseFile(this, QStringLiteral("loadImageChooser"), tr("Load Preview Image"),
               fromStoredPath(setting(settings_keys::kLoadPreviewImage)), tr(kFileFilter), QFileDialog::ExistingFile,
               QFileDialog::AcceptOpen, [this](const QString& path) { loadChosenFile(path); });
}

void PluginPreviewProp::loadChosenFile(const QString& path)
{
    if (const QString failure = loadSampleFile(path); !failure.isEmpty()) {
        showMessage(this, failure);
        return;
    }
    m_session.GetSettingsBackend().WriteString(settings_keys::kSettings, settings_keys::kLoadPreviewImage,
                                               toStoredPath(path));
}

void PluginPreviewProp::chooseSaveFile()
{
    chooseFile(this, QStringLiteral("saveImageChooser"), tr("Save Preview Image"),
               fromStoredPath(setting(settings_keys::kSavePreviewImage)), tr(kFileFilter), QFileDialog::AnyFile,
               QFileDialog::AcceptSave, [this](const QString& path) { saveChosenFile(path); });
}

void PluginPreviewProp::saveChosenFile(const QString& path)
{
    if (!saveShownImage(path)) {
        message(kSaveFailedText);
        return;
    }
    m_session.GetSettingsBackend().WriteString(settings_keys::kSettings, settings_keys::kSavePreviewImage,
                                               toStoredPath(path));
    // Saved among the samples: list it and render on it.
    const QString saved = QFileInfo(path).fileName();
    const bool inSamples =
        QFileInfo(path).absoluteDir() == QDir(fromStoredPath(m_preview->sampleDirectory().string())).absolutePath();
    const QString previous = m_samples->currentText();
    fillSamples(inSamples ? saved : previous);
}

void PluginPreviewProp::showStatus(const QString& text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void PluginPreviewProp::message(const char* text)
{
    showMessage(this, tr(text));
}

bool PluginPreviewProp::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl held down anywhere in the sheet, whichever control has the focus,
    // shows the unfiltered sample while this page is on show.
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (key && isVisible()) {
        auto* k = static_cast<QKeyEvent*>(event);
        auto* target = qobject_cast<QWidget*>(watched);
        if (k->key() == Qt::Key_Control && !k->isAutoRepeat() && target && target->window() == window())
            m_preview->setShowSource(event->type() == QEvent::KeyPress);
    }
    // Ctrl let go while another window had the keyboard.
    if (event->type() == QEvent::WindowDeactivate && watched == window())
        m_preview->setShowSource(false);
    return PluginPropPage::eventFilter(watched, event);
}

void PluginPreviewProp::showEvent(QShowEvent* event)
{
    PluginPropPage::showEvent(event);
    qApp->installEventFilter(this);
}

void PluginPreviewProp::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    m_preview->setShowSource(false);
    PluginPropPage::hideEvent(event);
}

}  // namespace vardel::ui
