#pragma once
// FilterPreview: the live rendering of a Filter Factory filter in a
// preview window. It owns a render service (one worker thread), sends it
// the filter's formulas and sliders with the sample scaled to the window,
// and shows the pictures the worker delivers - every 16 rows, then the
// final one. Updates travel to the window thread as queued calls; those of
// a request that is no longer the latest are dropped, so the window never
// shows a mix of two renderings. Any change (block, sample, transparency,
// size mode, the window's size) starts a new rendering, which aborts the
// running one after its current row.

#include "filterfactory/ParameterBlock.h"
#include "filterfactory/RenderService.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vardel {
class COXDIB;
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class CPreviewWnd;
class PreviewBar;

class FilterPreview : public QObject {
    Q_OBJECT
public:
    // Renders into window (not owned; may go away first). Transparency, size
    // mode and the sample name start from the session's settings.
    FilterPreview(vardel::CVardelSession& session, CPreviewWnd* window, QObject* parent = nullptr);
    // Stops the worker; no update arrives afterwards.
    ~FilterPreview() override;

    // The live rendering of the main window's preview bar: a controller
    // owned by the bar that renders into its window whenever the bar shows
    // a Filter Factory filter and stops when it shows store images.
    static FilterPreview* attachTo(vardel::CVardelSession& session, PreviewBar* bar);

    // Reads the filter's block from its file and renders it on the sample
    // named by the "PreviewImage" setting with the configured transparency
    // and size mode. False, nothing started, when the block cannot be read.
    bool showFilter(const vardel::CPluginEntry& entry);
    // Renders this block (a copy is kept) on the current sample.
    void setBlock(const vardel::CParameterBlock& block);
    // Stops rendering and forgets the block; the window keeps its picture
    // until its owner shows something else.
    void clear();

    // Loads "preview/" + name below the data directory as the sample (BMP).
    // False, sample unchanged, when it cannot be read.
    bool setSampleName(const std::string& name);
    // Takes this bitmap as the sample and renders again.
    void setSample(const vardel::COXDIB& sample);
    void setTransparency(bool on);
    void setSizeMode(int mode);
    // Shows the unfiltered sample (true) or the result; no new rendering.
    void setShowSource(bool on);

    bool transparency() const { return m_transparency; }
    int sizeMode() const { return m_sizeMode; }
    bool showSource() const { return m_showSource; }
    const vardel::COXDIB* sample() const { return m_sample.get(); }
    // The picture on show: the unfiltered copy while show-source is on,
    // else the result; null before the first update.
    const vardel::COXDIB* shownImage() const;
    // What went wrong with the last rendering, for the user ("" when it
    // rendered or nothing was asked).
    QString status() const { return m_status; }
    // True while a request of ours has not delivered its final update.
    bool isRendering() const { return m_waitingFinal; }
    // How many pictures (partial or final) of current requests were shown.
    int shownUpdates() const { return m_shownUpdates; }

    // "preview/" below the data directory.
    std::filesystem::path sampleDirectory() const;

signals:
    // The status text changed (see status()).
    void statusChanged(const QString& text);
    // The final picture of the latest request is on show.
    void rendered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void render();
    void post(const vardel::RenderUpdate& update);
    // Runs on the window thread; posted by name from the worker so that Qt
    // makes the event (see post).
    Q_INVOKABLE void deliver();
    void setStatus(const QString& text);
    QString outcomeText(const vardel::RenderUpdate& update) const;

    vardel::CVardelSession& m_session;
    QPointer<CPreviewWnd> m_window;
    std::optional<vardel::CParameterBlock> m_block;
    std::shared_ptr<const vardel::COXDIB> m_sample;
    std::shared_ptr<const vardel::COXDIB> m_image;
    std::shared_ptr<const vardel::COXDIB> m_unfiltered;
    bool m_transparency = true;
    int m_sizeMode = 0;
    bool m_showSource = false;
    bool m_waitingFinal = false;
    int m_shownUpdates = 0;
    QString m_status;

    // The newest update of the worker; one delivery is queued at a time so a
    // fast rendering cannot flood the window thread.
    std::mutex m_updateLock;
    std::optional<vardel::RenderUpdate> m_update;
    bool m_posted = false;

    // Last member: destroyed first, so the worker ends before the rest goes.
    std::unique_ptr<vardel::CRenderService> m_service;
};

}  // namespace vardel::ui
