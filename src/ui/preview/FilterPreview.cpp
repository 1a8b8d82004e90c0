#include "ui/preview/FilterPreview.h"

#include "app/Session.h"
#include "images/DIB.h"
#include "ui/common/Convert.h"
#include "ui/preview/PreviewBar.h"
#include "ui/preview/PreviewWnd.h"

#include <QEvent>
#include <QMetaObject>

namespace vardel::ui {
namespace {

const char* channelName(int formula)
{
    switch (formula) {
    case 0: return QT_TRANSLATE_NOOP("vardel::ui::FilterPreview", "red (R)");
    case 1: return QT_TRANSLATE_NOOP("vardel::ui::FilterPreview", "green (G)");
    case 2: return QT_TRANSLATE_NOOP("vardel::ui::FilterPreview", "blue (B)");
    case 3: return QT_TRANSLATE_NOOP("vardel::ui::FilterPreview", "alpha (A)");
    default: return "?";
    }
}

}  // namespace

FilterPreview::FilterPreview(CVardelSession& session, CPreviewWnd* window, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_window(window)
{
    const Settings& settings = session.GetSettings();
    m_transparency = settings.transparency != 0;
    m_sizeMode = settings.previewSize;
    setSampleName(settings.previewImage);
    if (window) {
        window->setSizeMode(m_sizeMode);
        window->installEventFilter(this);
    }
    m_service = std::make_unique<CRenderService>([this](const RenderUpdate& update) { post(update); });
}

FilterPreview::~FilterPreview()
{
    // Joins the worker: no callback runs afterwards, and queued deliveries
    // die with this object.
    m_service.reset();
}

FilterPreview* FilterPreview::attachTo(CVardelSession& session, PreviewBar* bar)
{
    auto* preview = new FilterPreview(session, bar->previewWindow(), bar);
    connect(bar, &PreviewBar::filterFactoryShown, preview, [preview](const CPluginEntry* plugin) {
        if (plugin)
            preview->showFilter(*plugin);
    });
    // Store images replace the rendering: no late picture may cover them.
    connect(bar, &PreviewBar::storeImagesShown, preview, &FilterPreview::clear);
    return preview;
}

std::filesystem::path FilterPreview::sampleDirectory() const
{
    return m_session.GetDataDirectory().SampleDir();
}

bool FilterPreview::showFilter(const CPluginEntry& entry)
{
    if (!IsFilterFactoryFilter(entry))
        return false;
    CParameterBlock block;
    if (!ReadParameterBlock(entry, block))
        return false;
    const Settings& settings = m_session.GetSettings();
    m_transparency = settings.transparency != 0;
    m_sizeMode = settings.previewSize;
    if (m_window)
        m_window->setSizeMode(m_sizeMode);
    setSampleName(settings.previewImage);
    setBlock(block);
    return true;
}

void FilterPreview::setBlock(const CParameterBlock& block)
{
    m_block = block;
    render();
}

void FilterPreview::clear()
{
    m_block.reset();
    m_service->Cancel();
    m_waitingFinal = false;
    setStatus({});
}

bool FilterPreview::setSampleName(const std::string& name)
{
    if (name.empty())
        return false;
    auto sample = std::make_shared<COXDIB>();
    if (!sample->Read(sampleDirectory() / std::filesystem::path(name)))
        return false;
    m_sample = std::move(sample);
    render();
    return true;
}

void FilterPreview::setSample(const COXDIB& sample)
{
    m_sample = std::make_shared<const COXDIB>(sample);
    render();
}

void FilterPreview::setTransparency(bool on)
{
    if (m_transparency == on)
        return;
    m_transparency = on;
    render();
}

void FilterPreview::setSizeMode(int mode)
{
    m_sizeMode = mode;
    if (m_window)
        m_window->setSizeMode(mode);
    render();
}

void FilterPreview::setShowSource(bool on)
{
    m_showSource = on;
    if (m_window)
        m_window->setShowSource(on);
}

const COXDIB* FilterPreview::shownImage() const
{
    if (m_showSource && m_unfiltered)
        return m_unfiltered.get();
    return m_image ? m_image.get() : m_unfiltered.get();
}

bool FilterPreview::eventFilter(QObject* watched, QEvent* event)
{
    // The picture is rendered at the window's size: a new size, a new rendering.
    if (watched == m_window && event->type() == QEvent::Resize && m_block)
        render();
    return QObject::eventFilter(watched, event);
}

void FilterPreview::render()
{
    if (!m_block || !m_service)
        return;
    if (!m_sample) {
        m_service->Cancel();
        m_waitingFinal = false;
        // Whatever the window showed belongs to something else.
        m_image.reset();
        m_unfiltered.reset();
        if (m_window) {
            m_window->setImage({});
            m_window->setSourceImage({});
        }
        setStatus(tr("No sample image: \"%1\" cannot be read.")
                      .arg(fromStoredPath((sampleDirectory() / m_session.GetSettings().previewImage).string())));
        return;
    }
    RenderRequest request;
    request.sample = m_sample;
    for (int i = 0; i < CParameterBlock::kFormulaCount; ++i)
        request.formulas[static_cast<std::size_t>(i)] = m_block->GetFormula(i);
    for (int i = 0; i < CParameterBlock::kSliderCount; ++i)
        request.sliders[static_cast<std::size_t>(i)] = m_block->GetSlider(i);
    request.transparency = m_transparency;
    const int clientWidth = m_window ? m_window->width() : m_sample->GetWidth();
    const int clientHeight = m_window ? m_window->height() : m_sample->GetHeight();
    int width = 0;
    int height = 0;
    CFilterRenderer::TargetSize(m_sizeMode, clientWidth, clientHeight, m_sample->GetWidth(), m_sample->GetHeight(),
                                width, height);
    request.targetWidth = width;
    request.targetHeight = height;
    m_waitingFinal = true;
    m_service->Request(std::move(request));
}

void FilterPreview::post(const RenderUpdate& update)
{
    // Worker thread: keep the newest update, queue one delivery.
    {
        std::lock_guard lock(m_updateLock);
        m_update = update;
        if (m_posted)
            return;
        m_posted = true;
    }
    // By name: the event is Qt's own, and the update itself crosses under
    // m_updateLock, where the thread sanitizer sees it.
    QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
}

void FilterPreview::deliver()
{
    std::optional<RenderUpdate> update;
    {
        std::lock_guard lock(m_updateLock);
        update.swap(m_update);
        m_posted = false;
    }
    if (!update || !m_service || !m_service->IsCurrent(update->generation))
        return;
    if (update->unfiltered && update->unfiltered != m_unfiltered) {
        m_unfiltered = update->unfiltered;
        if (m_window)
            m_window->setSourceImage(toQImage(*m_unfiltered));
    }
    // Nothing rendered (syntax error): the unfiltered copy is the picture.
    std::shared_ptr<const COXDIB> picture = update->image ? update->image : update->unfiltered;
    if (picture && picture != m_image) {
        m_image = picture;
        if (m_window)
            m_window->setImage(toQImage(*m_image));
        ++m_shownUpdates;
    }
    if (update->final) {
        m_waitingFinal = false;
        setStatus(outcomeText(*update));
        emit rendered();
    }
}

QString FilterPreview::outcomeText(const RenderUpdate& update) const
{
    if (!update.failure.empty())
        return tr("The preview could not be rendered: %1").arg(QString::fromStdString(update.failure));
    switch (update.outcome.outcome) {
    case RenderOutcome::SyntaxError:
        return update.outcome.NestedTooDeeply()
                   ? tr("The %1 formula is nested too deeply to be run.").arg(tr(channelName(update.outcome.formula)))
                   : tr("Syntax error in the %1 formula.").arg(tr(channelName(update.outcome.formula)));
    case RenderOutcome::UnsupportedDepth:
        return tr("The sample image has %1 bits per pixel; only 24- and 32-bit images are rendered.")
            .arg(m_sample ? m_sample->GetBitCount() : 0);
    case RenderOutcome::EvaluationError:
        return tr("The filter uses an operation the interpreter does not know; the picture may be wrong.");
    case RenderOutcome::Done:
    case RenderOutcome::Aborted: break;
    }
    return {};
}

void FilterPreview::setStatus(const QString& text)
{
    if (text == m_status)
        return;
    m_status = text;
    emit statusChanged(text);
}

}  // namespace vardel::ui
