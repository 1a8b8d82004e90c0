#include "ui/preview/PreviewBar.h"

#include "app/Session.h"
#include "filterfactory/ParameterBlock.h"
#include "images/PreviewImageManager.h"
#include "ui/preview/PreviewWnd.h"

#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

namespace vardel::ui {
namespace {

QString toQString(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

}  // namespace

PreviewBar::PreviewBar(vardel::CVardelSession& session, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_images(session.MakePreviewImages())
    , m_window(new CPreviewWnd(this))
    , m_counter(new QLabel(this))
{
    setObjectName(QStringLiteral("previewBar"));

    auto* caption = new QLabel(tr("Preview"), this);
    caption->setObjectName(QStringLiteral("captionLabel"));
    // A dock's title bar says "Preview" already.
    if (qobject_cast<QDockWidget*>(parent))
        caption->hide();

    m_window->setMinimumSize(m_window->sizeHint());
    m_window->setToolTip(tr("Preview image of the selected plug-in; double-click for the large preview"));
    connect(m_window, &CPreviewWnd::doubleClicked, this, &PreviewBar::largePreviewRequested);

    const char* texts[4] = {"|<", "<", ">", ">|"};
    const char* names[4] = {"firstButton", "previousButton", "nextButton", "lastButton"};
    const QString tips[4] = {tr("First preview image"), tr("Previous preview image"), tr("Next preview image"),
                             tr("Last preview image")};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(names[i]));
        b->setText(QString::fromLatin1(texts[i]));
        b->setToolTip(tips[i]);
        b->setStatusTip(tips[i]);
        b->setMinimumWidth(32);
        connect(b, &QToolButton::clicked, this, [this, i] { move(i); });
        m_buttons[i] = b;
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    m_counter->setObjectName(QStringLiteral("counterLabel"));
    m_counter->setToolTip(tr("Number of the image shown and number of images"));
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for "000/000" so that the row does not jump.
    m_counter->setMinimumWidth(m_counter->fontMetrics().horizontalAdvance(QStringLiteral("000/000")) + 4);
    buttons->addWidget(m_counter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(caption);
    layout->addWidget(m_window, 1);
    layout->addLayout(buttons);

    // Until the first selection the picture area shows the start-up picture.
    m_window->loadFile(toQString(m_session.GetDataDirectory().StartupImage()));
    updateControls();
}

QString PreviewBar::counterText() const
{
    return m_counter->text();
}

void PreviewBar::showPlugin(const vardel::CPluginEntry* plugin)
{
    CPreviewImageManager& images = m_images;
    if (!plugin) {
        // Nothing selected: the store lets go of the plug-in, the picture stays.
        emit storeImagesShown();
        images.SetPlugin(nullptr);
        updateControls();
        return;
    }
    if (IsFilterFactoryFilter(*plugin)) {
        images.SetPlugin(nullptr);
        updateControls();
        emit filterFactoryShown(plugin);
        return;
    }
    emit storeImagesShown();
    const bool same = images.GetPlugin() == plugin;
    images.SetPlugin(plugin);
    updateControls();
    if (!same)
        showCurrentImage();
}

void PreviewBar::imagesChanged(const std::string& baseName)
{
    const CPluginEntry* plugin = m_images.GetPlugin();
    if (!plugin || m_images.GetBaseName() != baseName)
        return;
    const int current = m_images.GetCurrentIndex();
    m_images.SetPlugin(nullptr);
    m_images.SetPlugin(plugin);
    for (int i = 0; i < current && m_images.CanMove(CPreviewImageManager::kNext); ++i)
        m_images.Move(CPreviewImageManager::kNext);
    updateControls();
    showCurrentImage();
}

void PreviewBar::move(int direction)
{
    CPreviewImageManager& images = m_images;
    if (!images.CanMove(direction))
        return;
    images.Move(direction);
    updateControls();
    showCurrentImage();
}

void PreviewBar::updateControls()
{
    const CPreviewImageManager& images = m_images;
    for (int i = 0; i < 4; ++i)
        m_buttons[i]->setEnabled(images.CanMove(i));
    const int count = images.GetCount();
    const QString text = count > 0 ? QStringLiteral("%1/%2").arg(images.GetCurrentIndex() + 1).arg(count) : QString();
    if (m_counter->text() != text)
        m_counter->setText(text);
}

void PreviewBar::showCurrentImage()
{
    // A file that cannot be read leaves the picture as it was.
    m_window->loadFile(toQString(m_images.DisplayPath()));
}

}  // namespace vardel::ui
