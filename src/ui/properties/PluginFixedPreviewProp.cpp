#include "ui/properties/PluginFixedPreviewProp.h"

#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "images/PreviewImageManager.h"
#include "ui/common/Clipboard.h"
#include "ui/common/Convert.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/properties/DescriptionFields.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace vardel::ui {

PluginFixedPreviewProp::PluginFixedPreviewProp(CVardelSession& session, const CPluginEntry& entry, QWidget* parent)
    : PluginPropPage(parent)
    , m_session(session)
    , m_entry(entry)
    , m_images(session.MakePreviewImages())
{
    setObjectName(QStringLiteral("fixedPreviewPage"));
    m_window = new CPreviewWnd(this);
    m_window->setObjectName(QStringLiteral("previewWindow"));
    m_window->setMinimumSize(400, 300);

    struct MoveButton {
        const char* name;
        const char* text;
        QStyle::StandardPixmap icon;
        const char* tip;
    };
    static const MoveButton kMoves[4] = {
        {"firstButton", "|<", QStyle::SP_MediaSkipBackward, QT_TR_NOOP("First image")},
        {"previousButton", "<", QStyle::SP_MediaSeekBackward, QT_TR_NOOP("Previous image")},
        {"nextButton", ">", QStyle::SP_MediaSeekForward, QT_TR_NOOP("Next image")},
        {"lastButton", ">|", QStyle::SP_MediaSkipForward, QT_TR_NOOP("Last image")},
    };
    auto* navigation = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(kMoves[i].name));
        button->setText(QLatin1String(kMoves[i].text));
        button->setToolTip(tr(kMoves[i].tip));
        const QIcon icon = style()->standardIcon(kMoves[i].icon, nullptr, button);
        if (!icon.isNull()) {
            button->setIcon(icon);
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        }
        connect(button, &QToolButton::clicked, this, [this, i] { move(i); });
        m_moveButtons[i] = button;
        navigation->addWidget(button);
    }
    m_counter = new QLabel(this);
    m_counter->setObjectName(QStringLiteral("counterLabel"));
    m_counter->setAlignment(Qt::AlignCenter);
    m_counter->setMinimumWidth(m_counter->fontMetrics().horizontalAdvance(QStringLiteral("000/000")) + 8);
    navigation->insertWidget(2, m_counter);
    navigation->addStretch(1);

    m_delete = new QPushButton(tr("Delete this Image"), this);
    m_delete->setObjectName(QStringLiteral("deleteButton"));
    m_paste = new QPushButton(tr("Paste from Clipboard"), this);
    m_paste->setObjectName(QStringLiteral("pasteButton"));
    m_capture = new QPushButton(tr("Capture Window"), this);
    m_capture->setObjectName(QStringLiteral("captureButton"));
    QString why;
    if (!COXScreenGrabber::isAvailable(&why)) {
        m_capture->setEnabled(false);
        m_capture->setToolTip(why);
    } else {
        m_capture->setToolTip(tr("Hides Vardel for %1 seconds, then captures the window under the mouse pointer.")
                                  .arg(kCaptureDelayMs / 1000));
    }
    connect(m_delete, &QPushButton::clicked, this, &PluginFixedPreviewProp::askDeleteImage);
    connect(m_paste, &QPushButton::clicked, this, [this] { pasteImage(); });
    connect(m_capture, &QPushButton::clicked, this, [this] { startCapture(); });
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &PluginFixedPreviewProp::updateControls);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_delete);
    buttons->addWidget(m_paste);
    buttons->addWidget(m_capture);
    buttons->addStretch(1);

    auto* top = new QGridLayout;
    top->addWidget(m_window, 0, 0);
    top->addLayout(buttons, 0, 1);
    top->addLayout(navigation, 1, 0);
    top->setColumnStretch(0, 1);
    top->setRowStretch(0, 1);

    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("descriptionEdit"));
    m_description->setMaximumHeight(m_description->fontMetrics().height() * 5);
    m_keywords = new QLineEdit(this);
    m_keywords->setObjectName(QStringLiteral("keywordsEdit"));
    auto* form = new QFormLayout;
    form->addRow(tr("Description:"), m_description);
    form->addRow(tr("Keywords:"), m_keywords);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(form);

    m_captureTimer.setSingleShot(true);
    m_captureTimer.setInterval(kCaptureDelayMs);
    connect(&m_captureTimer, &QTimer::timeout, this, &PluginFixedPreviewProp::finishCapture);

    // Opening: the store lists this plug-in's images, the first is shown.
    m_images.SetPlugin(&entry);
    updateControls();
    showCurrentImage();
    loadDescriptionFields(session, entry, m_description, m_keywords);
}

PluginFixedPreviewProp::~PluginFixedPreviewProp()
{
    // A capture cut short must not leave the program hidden.
    for (auto& [window, state] : m_hidden)
        if (window)
            window->setWindowState(state);
}

void PluginFixedPreviewProp::apply()
{
    storeDescriptionFields(m_session, m_entry, m_description, m_keywords);
}

void PluginFixedPreviewProp::updateControls()
{
    const CPreviewImageManager& images = m_images;
    for (int i = 0; i < 4; ++i)
        m_moveButtons[i]->setEnabled(images.CanMove(i));
    m_delete->setEnabled(images.GetCount() > 0);
    m_paste->setEnabled(CClipboard::hasImage());
    const QString counter = images.GetCount() > 0
                                ? QStringLiteral("%1/%2").arg(images.GetCurrentIndex() + 1).arg(images.GetCount())
                                : QString();
    if (counter != m_counterText) {
        m_counterText = counter;
        m_counter->setText(counter);
    }
}

void PluginFixedPreviewProp::showCurrentImage()
{
    // A file that cannot be read leaves the window showing what it showed.
    COXDIB picture;
    if (!LoadJpeg(m_images.DisplayPath(), picture) || picture.GetBitCount() != 24)
        return;
    m_window->setImage(toQImage(picture));
}

void PluginFixedPreviewProp::move(int direction)
{
    m_images.Move(direction);
    updateControls();
    showCurrentImage();
}

void PluginFixedPreviewProp::askDeleteImage()
{
    auto* box =
        new QMessageBox(QMessageBox::Question, window()->windowTitle(), tr("Do you want to delete this preview image?"),
                        QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("deleteQuestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box] {
        if (box->standardButton(box->clickedButton()) == QMessageBox::Yes)
            deleteCurrentImage();
    });
    box->open();
}

bool PluginFixedPreviewProp::deleteCurrentImage()
{
    const bool deleted = m_images.DeleteCurrent();
    if (deleted)
        m_session.NotifyPreviewImagesChanged(m_images.GetBaseName());
    updateControls();
    showCurrentImage();
    return deleted;
}

bool PluginFixedPreviewProp::pasteImage()
{
    const std::vector<std::uint8_t> packed = CClipboard::getPackedImage();
    if (packed.empty())
        return false;
    const bool added = addImage(packed);
    updateControls();
    showCurrentImage();
    return added;
}

bool PluginFixedPreviewProp::addImage(const std::vector<std::uint8_t>& packed)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool added = m_images.AddImage(packed);
    QApplication::restoreOverrideCursor();
    if (added)
        m_session.NotifyPreviewImagesChanged(m_images.GetBaseName());
    return added;
}

bool PluginFixedPreviewProp::startCapture()
{
    if (m_captureTimer.isActive() || !COXScreenGrabber::isAvailable())
        return false;
    // Out of the way: every window of ours is minimised rather than hidden,
    // since hiding a dialog would end the modal run of the sheet.
    m_hidden.clear();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->windowType() == Qt::ToolTip || window->windowType() == Qt::Popup)
            continue;
        m_hidden.emplace_back(window, window->windowState());
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }
    m_capture->setEnabled(false);
    m_captureTimer.start();
    return true;
}

void PluginFixedPreviewProp::finishCapture()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool grabbed = m_grabber.grabWindowAt(QCursor::pos());
    QApplication::restoreOverrideCursor();
    // Back in reverse order, so that the sheet ends up above the main window.
    for (auto it = m_hidden.rbegin(); it != m_hidden.rend(); ++it)
        if (it->first) {
            it->first->setWindowState(it->second);
            it->first->raise();
        }
    m_hidden.clear();
    activateWindow();
    m_capture->setEnabled(true);
    if (grabbed)
        addImage(m_grabber.getBitmap().MakePackedCopy());
    updateControls();
    showCurrentImage();
}

}  // namespace vardel::ui
