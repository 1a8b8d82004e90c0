#pragma once
// CPreviewWnd: the display of one picture, shared by the preview bar, the
// property sheet's preview pages and the Find dialog. It paints a black
// background and the picture centred on it, scaled down (never up) to fit
// the area its size mode chooses.

#include <QImage>
#include <QWidget>

namespace vardel::ui {

class CPreviewWnd : public QWidget {
    Q_OBJECT
public:
    // Size modes: the whole window, three quarters, half; any other value
    // shows the picture at its own size.
    enum SizeMode : int { kWhole = 0, kThreeQuarters = 1, kHalf = 2, kOwnSize = 3 };

    explicit CPreviewWnd(QWidget* parent = nullptr);

    // The displayed picture; a null image shows only the background.
    void setImage(const QImage& image);
    QImage image() const { return m_image; }
    // The unfiltered source picture of the Filter Factory preview, shown
    // instead of the displayed one while show-source is on.
    void setSourceImage(const QImage& image);
    QImage sourceImage() const { return m_source; }
    void setShowSource(bool on);
    bool showSource() const { return m_showSource; }
    void setSizeMode(int mode);
    int sizeMode() const { return m_sizeMode; }

    // Loads a JPEG file (extensions JPG, JPEG, JPE) or a BMP file (anything
    // else) as the displayed picture. Only 24-bit pictures are taken. False,
    // with the old picture kept, when the file cannot be read.
    bool loadFile(const QString& fileName);

    // The area a picture is fitted into for a window of the client size.
    static QSize targetSize(const QSize& client, int mode, const QSize& picture);
    // The size a picture is shown at within target: its own size when it
    // fits, else scaled down by the larger of the two ratios (truncated).
    // An empty size when nothing can be shown.
    static QSize fittedSize(const QSize& picture, const QSize& target);

    QSize sizeHint() const override;

signals:
    // A double click in the window.
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const QImage& shown() const { return m_showSource ? m_source : m_image; }

    QImage m_image;
    QImage m_source;
    bool m_showSource = false;
    int m_sizeMode = kWhole;
    // The scaled copy of the picture last painted, kept while neither the
    // picture nor the size changes; the picture itself is never changed.
    mutable QImage m_scaled;
    mutable qint64 m_scaledKey = 0;
};

}  // namespace vardel::ui
