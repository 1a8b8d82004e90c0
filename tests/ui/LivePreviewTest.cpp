// The live rendering of Filter Factory filters: the property sheet's
// " Preview " page with its sample, size, transparency and sliders, a stress
// of slider moves while renderings run, and the main window's preview bar.

#include "filterfactory/FilterRenderer.h"
#include "filterfactory/ParameterBlock.h"
#include "filterfactory/RenderService.h"
#include "ui/common/Clipboard.h"
#include "ui/common/Convert.h"
#include "ui/preview/FilterPreview.h"
#include "ui/preview/PreviewBar.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/properties/PluginPreviewProp.h"
#include "PropertiesTestSupport.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QRandomGenerator>
#include <QSlider>
#include <QToolButton>

using namespace vardel;
using namespace vardel::ui;
using vardel::test::makeImage;
using vardel::test::tabTitles;
using vardel::test::TestSession;
namespace fs = std::filesystem;

class LivePreviewTest : public QObject {
    Q_OBJECT
private slots:
    void livePreviewRenders();
    void ctrlShowsTheSourceAsSoonAsTheSheetIsOpen();
    void livePreviewSyntaxError();
    void livePreviewUnsupportedDepth();
    void livePreviewPasteAndSettings();
    void sliderStress();
    void previewBarRendersFilters();
    void previewBarRendersCompatibleFilters();
};

void LivePreviewTest::livePreviewRenders()
{
    TestSession s;
    TestSession::writeSample(s.dir / "preview" / "Portrait.bmp", 24, 1000, 800);
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    PluginPreviewProp page(*s.session, *entry, block);
    page.resize(800, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTRY_VERIFY(!page.preview()->isRendering());
    QVERIFY(page.preview()->shownImage());
    QVERIFY(!page.previewWindow()->image().isNull());
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("statusLabel"))->text(), QString());
    // The sample list: "preview/*.bmp", sorted, the setting's name selected.
    TestSession::writeSample(s.dir / "preview" / "apple.bmp", 24, 20, 20);
    TestSession::writeSample(s.dir / "preview" / "Zebra.bmp", 24, 20, 20);
    page.fillSamples(QStringLiteral("Portrait.bmp"));
    auto* combo = page.findChild<QComboBox*>(QStringLiteral("sampleCombo"));
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QStringLiteral("apple.bmp"));
    QCOMPARE(combo->itemText(2), QStringLiteral("Zebra.bmp"));
    QCOMPARE(combo->currentText(), QStringLiteral("Portrait.bmp"));
    page.fillSamples(QStringLiteral("missing.bmp"));
    QCOMPARE(combo->currentIndex(), -1);
    // A new size, a new rendering at that size.
    const QSize before = page.previewWindow()->image().size();
    page.resize(500, 560);
    QTRY_VERIFY(!page.preview()->isRendering());
    QTRY_VERIFY(page.previewWindow()->image().size() != before);
    QVERIFY(page.previewWindow()->image().width() <= page.previewWindow()->width());
}

void LivePreviewTest::ctrlShowsTheSourceAsSoonAsTheSheetIsOpen()
{
    TestSession s;
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    PluginDetailSheet* sheet = PluginDetailSheet::openFor(*s.session, *entry, PluginDetailSheet::First, nullptr);
    QVERIFY(sheet);
    QVERIFY(QTest::qWaitForWindowActive(sheet));
    auto* page = sheet->findChild<PluginPreviewProp*>(QStringLiteral("previewPage"));
    QVERIFY(page && page->isVisible());
    // Whatever has the focus when the sheet opens (not a control of the page).
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus && !page->isAncestorOf(focus));
    QTest::keyPress(focus, Qt::Key_Control);
    QVERIFY(page->previewWindow()->showSource());
    QTest::keyRelease(focus, Qt::Key_Control, Qt::ControlModifier);
    QVERIFY(!page->previewWindow()->showSource());
    // On another page Ctrl does nothing to the preview.
    QTest::keyClick(sheet->tabs()->tabBar(), Qt::Key_Right);
    QVERIFY(!page->isVisible());
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Control);
    QVERIFY(!page->previewWindow()->showSource());
    sheet->close();
}

void LivePreviewTest::livePreviewSyntaxError()
{
    TestSession s;
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    block.SetFormula(1, "g+(");
    PluginPreviewProp page(*s.session, *entry, block);
    page.resize(700, 500);
    page.show();
    QTRY_VERIFY(!page.preview()->isRendering());
    auto* status = page.findChild<QLabel*>(QStringLiteral("statusLabel"));
    QVERIFY2(status->text().contains(QStringLiteral("green")), qPrintable(status->text()));
    QVERIFY(status->isVisible());
    // The unfiltered sample is on show.
    QVERIFY(!page.previewWindow()->image().isNull());
    QCOMPARE(page.previewWindow()->image(), page.previewWindow()->sourceImage());
}

void LivePreviewTest::livePreviewUnsupportedDepth()
{
    TestSession s;
    TestSession::writeSample(s.dir / "preview" / "Portrait.bmp", 8, 64, 48);
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    PluginPreviewProp page(*s.session, *entry, block);
    page.show();
    QTRY_VERIFY(!page.preview()->isRendering());
    const QString text = page.findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
    QVERIFY2(text.contains(QStringLiteral("8 bits")), qPrintable(text));
}

void LivePreviewTest::livePreviewPasteAndSettings()
{
    TestSession s;
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    PluginDetailSheet sheet(*s.session, *entry, block);
    auto* page = sheet.findChild<PluginPreviewProp*>(QStringLiteral("previewPage"));
    QApplication::clipboard()->setImage(makeImage(QImage::Format_ARGB32, 800, 600));
    QVERIFY(page->pasteFromClipboard());
    // Fitted into 320 x 250 at 24 bits; the list's selection is cleared.
    QCOMPARE(page->preview()->sample()->GetBitCount(), 24);
    QCOMPARE(page->preview()->sample()->GetSize(), (COXDIB::Size{320, 240}));
    QCOMPARE(page->findChild<QComboBox*>(QStringLiteral("sampleCombo"))->currentIndex(), -1);
    QTRY_VERIFY(!page->preview()->isRendering());
    // Copy puts the shown picture on the clipboard.
    QApplication::clipboard()->clear();
    QVERIFY(page->copyToClipboard());
    QVERIFY(CClipboard::hasImage());
    // Save as BMP and JPEG by extension; Load takes only 24 bits.
    const QString bmp = QString::fromStdString((s.dir / "saved.bmp").string());
    const QString jpg = QString::fromStdString((s.dir / "saved.JPG").string());
    QVERIFY(page->saveShownImage(bmp));
    QVERIFY(page->saveShownImage(jpg));
    COXDIB check;
    QVERIFY(check.Read(fs::path(bmp.toStdString())));
    QVERIFY(LoadJpeg(fs::path(jpg.toStdString()), check));
    QCOMPARE(page->loadSampleFile(jpg), QString());
    // What is refused says why: the depth, or the type a picture has.
    TestSession::writeSample(s.dir / "grey.bmp", 8, 10, 10);
    QCOMPARE(page->loadSampleFile(QString::fromStdString((s.dir / "grey.bmp").string())),
             QStringLiteral("Error loading file\nOnly 24bit true color formats supported"));
    const QString png = QString::fromStdString((s.dir / "photo.png").string());
    QVERIFY(makeImage(QImage::Format_RGB32, 20, 20).save(png, "PNG"));
    QCOMPARE(page->loadSampleFile(png),
             QStringLiteral("Error loading file\nOnly BMP and JPEG files are read; this is a PNG file."));
    QVERIFY(
        page->loadSampleFile(QString::fromStdString(s.dir.path().string())).contains(QStringLiteral("cannot be read")));
    // The three settings are stored on OK.
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    uitest::ClickWidget(page->findChild<QToolButton*>(QStringLiteral("size50Button")));
    page->findChild<QCheckBox*>(QStringLiteral("transparencyBox"))->setChecked(false);
    sheet.accept();
    QCOMPARE(s.session->GetSettings().previewSize, 2);
    QCOMPARE(s.session->GetSettings().transparency, 0);
    QCOMPARE(s.session->GetSettings().previewImage, std::string("Portrait.bmp"));
    QCOMPARE(s.backend.ReadInt("Settings", "PreviewSize").value_or(-1), 2);
}

void LivePreviewTest::sliderStress()
{
    TestSession s;
    TestSession::writeSample(s.dir / "preview" / "Portrait.bmp", 24, 800, 600);
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    // A heavier formula, so that renderings are still running when the next move comes.
    std::string heavy = "r";
    while (heavy.size() < 900)
        heavy += "+sin(x*ctl(0)+y*ctl(1))/64";
    block.SetFormula(0, heavy);
    block.SetFormula(1, "g+cos(x*ctl(1))/32+(x*y)%(ctl(0)+1)");
    PluginPreviewProp page(*s.session, *entry, block);
    page.resize(900, 760);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QRandomGenerator random(42);
    auto* slider0 = page.findChild<QSlider*>(QStringLiteral("slider0"));
    auto* slider1 = page.findChild<QSlider*>(QStringLiteral("slider1"));
    QVERIFY(page.previewWindow()->width() >= 500 && page.previewWindow()->height() >= 400);
    // Moves in bursts and with pauses, so that renderings are aborted while
    // they run as well as before they start.
    for (int i = 0; i < 120; ++i) {
        slider0->setValue(random.bounded(256));
        slider1->setValue(random.bounded(256));
        if (i % 4 == 0)
            QTest::qWait(random.bounded(12));
        else
            QCoreApplication::processEvents();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!page.preview()->isRendering(), 20000);
    QVERIFY(page.preview()->shownUpdates() > 1);
    QCoreApplication::processEvents();

    // A fresh rendering of the same request on this thread.
    const CPreviewWnd* window = page.previewWindow();
    COXDIB sample;
    QVERIFY(sample.Read(s.dir / "preview" / "Portrait.bmp"));
    int width = 0, height = 0;
    CFilterRenderer::TargetSize(page.preview()->sizeMode(), window->width(), window->height(), sample.GetWidth(),
                                sample.GetHeight(), width, height);
    QVERIFY(CFilterRenderer::FitToTarget(sample, width, height));
    FilterSettings settings;
    for (int i = 0; i < 4; ++i)
        settings.formulas[static_cast<std::size_t>(i)] = block.GetFormula(i);
    for (int i = 0; i < 8; ++i)
        settings.sliders[static_cast<std::size_t>(i)] = block.GetSlider(i);
    settings.transparency = page.preview()->transparency();
    COXDIB expected;
    {
        auto lock = CRenderService::LockInterpreter();
        const RenderResult result = CFilterRenderer::Render(sample, expected, settings);
        QCOMPARE(int(result.outcome), int(RenderOutcome::Done));
    }
    QCOMPARE(window->image(), toQImage(expected));
}

void LivePreviewTest::previewBarRendersFilters()
{
    TestSession s;
    const CPluginEntry* ff = s.add("ff_filter.8bf");
    const CPluginEntry* plain = s.add("pipl_single.8bf");
    s.addImages(*plain, 1);
    PreviewBar bar(*s.session);
    bar.resize(300, 300);
    FilterPreview* preview = FilterPreview::attachTo(*s.session, &bar);
    QVERIFY(preview);
    bar.showPlugin(ff);
    QVERIFY(preview->isRendering());
    QTRY_VERIFY(!preview->isRendering());
    QVERIFY(preview->shownUpdates() > 0);
    // A plug-in with store images while a rendering runs: it stops, and no
    // late picture covers the store's image.
    bar.showPlugin(ff);
    QVERIFY(preview->isRendering());
    bar.showPlugin(plain);
    QVERIFY(!preview->isRendering());
    QTest::qWait(100);
    QCOMPARE(bar.previewWindow()->image().size(), QSize(40, 30));
}

// Filters of compatible builders render like genuine ones; a scrambled one
// has no block to render and shows its store images.
void LivePreviewTest::previewBarRendersCompatibleFilters()
{
    TestSession s;
    const CPluginEntry* compatible = s.add("ffc_plain.8bf");
    const CPluginEntry* scrambled = s.add("ffc_scrambled.8bf");
    QVERIFY(compatible && scrambled);
    s.addImages(*scrambled, 1);
    PreviewBar bar(*s.session);
    bar.resize(300, 300);
    FilterPreview* preview = FilterPreview::attachTo(*s.session, &bar);
    QVERIFY(preview);
    bar.showPlugin(compatible);
    QVERIFY(preview->isRendering());
    QTRY_VERIFY(!preview->isRendering());
    QVERIFY(preview->shownUpdates() > 0);
    QVERIFY(bar.images().GetPlugin() == nullptr);
    bar.showPlugin(scrambled);
    QVERIFY(!preview->isRendering());
    QVERIFY(bar.images().GetPlugin() == scrambled);
    QCOMPARE(bar.previewWindow()->image().size(), QSize(40, 30));
}

QTEST_MAIN(LivePreviewTest)
#include "LivePreviewTest.moc"
