#pragma once
// The page " Preview " of a plug-in that is not a Filter Factory filter: its
// preview images from the image store, with the buttons to step through
// them, delete one, paste one from the clipboard or capture a window, and
// the user's description and keywords, stored on OK.

#include "images/PreviewImageManager.h"
#include "ui/common/ScreenGrabber.h"
#include "ui/properties/PluginPropPage.h"

#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class CPreviewWnd;

class PluginFixedPreviewProp : public PluginPropPage {
    Q_OBJECT
public:
    // How long the program stays out of the way before a capture.
    static constexpr int kCaptureDelayMs = 3000;

    PluginFixedPreviewProp(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                           QWidget* parent = nullptr);
    ~PluginFixedPreviewProp() override;

    // Stores the description and keywords and lets the main window refresh.
    void apply() override;

    // The steps behind the buttons, without questions.
    void move(int direction);
    // Deletes the current image; false when there is none or it failed.
    bool deleteCurrentImage();
    // Adds the clipboard's picture; false when it holds none or the store refused it.
    bool pasteImage();
    // Hides the program, grabs the window under the pointer after the delay
    // and adds it. False when capture is unavailable or one is running.
    bool startCapture();
    // Re-reads the buttons' availability and the counter from the store.
    void updateControls();

    CPreviewWnd* previewWindow() const { return m_window; }
    // The page's own place in the plug-in's preview images.
    const vardel::CPreviewImageManager& images() const { return m_images; }

private:
    void askDeleteImage();
    void showCurrentImage();
    void finishCapture();
    // Adds a packed bitmap and tells the other windows.
    bool addImage(const std::vector<std::uint8_t>& packed);

    vardel::CVardelSession& m_session;
    const vardel::CPluginEntry& m_entry;
    vardel::CPreviewImageManager m_images;
    CPreviewWnd* m_window = nullptr;
    QToolButton* m_moveButtons[4] = {};
    QLabel* m_counter = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_paste = nullptr;
    QPushButton* m_capture = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_keywords = nullptr;
    QString m_counterText;

    QTimer m_captureTimer;
    COXScreenGrabber m_grabber;
    // The windows put out of the way for a capture, with their states.
    std::vector<std::pair<QPointer<QWidget>, Qt::WindowStates>> m_hidden;
};

}  // namespace vardel::ui
