#pragma once
// The preview bar: the preview image of the plug-in selected in the main
// view, with the buttons "|<", "<", ">", ">|" and a counter "n/count". It
// keeps its own place in the preview images.

#include "catalogue/PluginEntry.h"
#include "images/PreviewImageManager.h"

#include <string>

#include <QWidget>

class QLabel;
class QToolButton;

namespace vardel {
class CVardelSession;
}

namespace vardel::ui {

class CPreviewWnd;

class PreviewBar : public QWidget {
    Q_OBJECT
public:
    PreviewBar(vardel::CVardelSession& session, QWidget* parent = nullptr);

    // The picture area (object name "WndPreview"); a live rendering of a
    // Filter Factory filter is drawn into it.
    CPreviewWnd* previewWindow() const { return m_window; }
    // The counter's text: "n/count", "" when there are no images.
    QString counterText() const;
    // The bar's own place in the preview images.
    const vardel::CPreviewImageManager& images() const { return m_images; }

public slots:
    // Shows the first preview image of a plug-in; null: nothing selected.
    // A Filter Factory filter (genuine or compatible) gets no store images
    // (its picture is the live rendering): the store is cleared and
    // filterFactoryShown is emitted.
    void showPlugin(const vardel::CPluginEntry* plugin);
    // Another window added or deleted images of this image base name: when
    // they are the ones shown, they are read again (the position kept where
    // it still exists) and the current one is shown.
    void imagesChanged(const std::string& baseName);
    // The four buttons: first, previous, next, last.
    void move(int direction);

signals:
    // A double click in the picture: the large preview.
    void largePreviewRequested();
    // A Filter Factory filter was selected; its live rendering belongs in
    // previewWindow().
    void filterFactoryShown(const vardel::CPluginEntry* plugin);
    // Another plug-in (or none) was selected: the store's images are shown,
    // so a live rendering must stop. Sent before the image is loaded.
    void storeImagesShown();

private:
    void updateControls();
    void showCurrentImage();

    vardel::CVardelSession& m_session;
    vardel::CPreviewImageManager m_images;
    CPreviewWnd* m_window;
    QToolButton* m_buttons[4];
    QLabel* m_counter;
};

}  // namespace vardel::ui
