#pragma once
// The page " Preview " of a Filter Factory filter: the filter rendered live
// on a sample image, the size and transparency of the rendering, the sample
// (from "preview/*.bmp", a file or the clipboard), saving and copying the
// picture, and the eight sliders, whose values go into the sheet's copy of
// the parameter block. Ctrl held down shows the unfiltered sample.

#include "ui/properties/PluginPropPage.h"

#include <QString>

#include <array>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace vardel {
class CParameterBlock;
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class CPreviewWnd;
class FilterPreview;

class PluginPreviewProp : public PluginPropPage {
    Q_OBJECT
public:
    static constexpr const char* kLoadFailedText = "Error loading file\nOnly 24bit true color formats supported";
    static constexpr const char* kSaveFailedText = "Error saving image";

    // block: the sheet's copy, changed by the sliders.
    PluginPreviewProp(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                      vardel::CParameterBlock& block, QWidget* parent = nullptr);
    ~PluginPreviewProp() override;

    // Stores size mode, transparency and sample name in the settings and saves them.
    void apply() override;

    // The steps behind the buttons, without dialogs. Each returns whether it
    // changed anything.
    // A BMP or JPEG file (told apart by content), 24-bit only; "" when it
    // became the sample, else what to tell the user.
    QString loadSampleFile(const QString& path);
    bool saveShownImage(const QString& path);  // BMP, or JPEG by extension
    bool copyToClipboard();
    bool pasteFromClipboard();
    void randomize();
    bool reset();  // the sliders in use back to the values in the file
    // Fills the sample list from "preview/*.bmp" and selects name (none when absent).
    void fillSamples(const QString& name);

    FilterPreview* preview() const { return m_preview; }
    CPreviewWnd* previewWindow() const { return m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showSliders();
    void sliderMoved(int i, int value);
    void sampleChosen(int index);
    // The file choosers; what they chose is loaded or saved once they close.
    void chooseLoadFile();
    void chooseSaveFile();
    void loadChosenFile(const QString& path);
    void saveChosenFile(const QString& path);
    void showStatus(const QString& text);
    void message(const char* text);
    std::string setting(const char* name) const;

    vardel::CVardelSession& m_session;
    const vardel::CPluginEntry& m_entry;
    vardel::CParameterBlock& m_block;
    CPreviewWnd* m_window = nullptr;
    FilterPreview* m_preview = nullptr;
    QLabel* m_status = nullptr;
    QButtonGroup* m_sizeButtons = nullptr;
    QCheckBox* m_transparency = nullptr;
    QComboBox* m_samples = nullptr;
    std::array<QLabel*, 8> m_labels{};
    std::array<QSlider*, 8> m_sliders{};
    std::array<QLabel*, 8> m_values{};
    // The sample name stored on OK: the list's choice, kept while a file or
    // the clipboard supplies the sample.
    QString m_sampleName;
};

}  // namespace vardel::ui
