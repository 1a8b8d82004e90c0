// The property sheet "Plugin Details" and its pages (general, author,
// formulas, preview images), the clipboard and the signed-file question,
// driven through their widgets on the offscreen platform.

#include "filterfactory/ParameterBlock.h"
#include "images/PreviewImageManager.h"
#include "search/DescriptionListManager.h"
#include "ui/common/Clipboard.h"
#include "ui/common/Convert.h"
#include "ui/preview/FilterPreview.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/properties/PluginFFCodeProp.h"
#include "ui/properties/PluginFixedPreviewProp.h"
#include "ui/properties/PluginPreviewProp.h"
#include "PropertiesTestSupport.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

using namespace vardel;
using namespace vardel::ui;
using vardel::test::makeImage;
using vardel::test::tabTitles;
using vardel::test::TestSession;
namespace fs = std::filesystem;

class PropertiesTest : public QObject {
    Q_OBJECT
private slots:
    void pageSets_data();
    void pageSets();
    void unreadableBlockIsNotOpened();
    void generalPageFields_data();
    void generalPageFields();
    void generalPageModesWordZero();
    void generalPageListsEveryPluginOfTheFile();
    void sliderLayout();
    void authorAndCodePages();
    void longFormulaShownWhole();
    void descriptionStoredOnOk();
    void imagePageButtons_data();
    void imagePageButtons();
    void deleteRenumbers();
    void clipboardPaste_data();
    void clipboardPaste();
    void pasteDisabledWithoutImage();
    void captureHidesAndRestores();
    void screenshots();
};

void PropertiesTest::pageSets_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("filter factory") << "ff_filter.8bf"
                                    << QStringList{" Preview ", " Author/Description ", " Filter Factory Code ",
                                                   " General Properties "}
                                    << QStringList{"previewPage", "authorPage", "codePage", "generalPage"};
    QTest::newRow("protected filter factory")
        << "ff_protected.8bf" << QStringList{" Preview ", " Author/Description ", " General Properties "}
        << QStringList{"previewPage", "authorPage", "generalPage"};
    QTest::newRow("other plug-in") << "pipl_single.8bf" << QStringList{" Preview ", " General Properties "}
                                   << QStringList{"fixedPreviewPage", "generalPage"};
    QTest::newRow("compatible filter") << "ffc_plain.8bf"
                                       << QStringList{" Preview ", " Author/Description ", " Filter Factory Code ",
                                                      " General Properties "}
                                       << QStringList{"previewPage", "authorPage", "codePage", "generalPage"};
    QTest::newRow("protected compatible filter")
        << "ffc_protected32.8bf" << QStringList{" Preview ", " Author/Description ", " General Properties "}
        << QStringList{"previewPage", "authorPage", "generalPage"};
    QTest::newRow("scrambled compatible filter")
        << "ffc_scrambled.8bf" << QStringList{" Preview ", " General Properties "}
        << QStringList{"fixedPreviewPage", "generalPage"};
}

void PropertiesTest::pageSets()
{
    QFETCH(QString, file);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, names);
    TestSession s;
    const CPluginEntry* entry = s.add(file.toStdString());
    QVERIFY(entry);
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    PluginDetailSheet sheet(*s.session, *entry, block);
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Plugin Details"));
    QCOMPARE(tabTitles(sheet), titles);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(sheet.tabs()->widget(i)->objectName(), names[i]);
    sheet.setStartPage(PluginDetailSheet::First);
    QCOMPARE(sheet.tabs()->currentIndex(), 0);
    sheet.setStartPage(PluginDetailSheet::General);
    QCOMPARE(sheet.tabs()->tabText(sheet.tabs()->currentIndex()), QStringLiteral(" General Properties "));
}

void PropertiesTest::unreadableBlockIsNotOpened()
{
    TestSession s;
    const CPluginEntry* real = s.add("ff_filter.8bf");
    QVERIFY(real);
    // The same filter whose file has gone: its block cannot be read.
    auto gone = std::make_unique<CPluginEntry>(*real);
    gone->m_path = (s.dir / "vanished.8bf").string();
    QVERIFY(IsFilterFactoryFilter(*gone));
    QVERIFY(!PluginDetailSheet::openFor(*s.session, *gone, PluginDetailSheet::First, nullptr));
    QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
            !qobject_cast<PluginDetailSheet*>(QApplication::activeModalWidget()));
}

void PropertiesTest::generalPageFields_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("originalName");
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("signature");
    QTest::newRow("pipl 64-bit") << "pipl_single.8bf"
                                 << "PiPL"
                                 << ""
                                 << "Soft Glow"
                                 << "64-bit"
                                 << "Not signed";
    QTest::newRow("pipl 32-bit") << "pipl_single32.8bf"
                                 << "PiPL"
                                 << ""
                                 << "Soft Glow"
                                 << "32-bit"
                                 << "Not signed";
    QTest::newRow("pimi") << "pimi_filter.8bf"
                          << "PiMI"
                          << ""
                          << "PiMI One"
                          << "32-bit"
                          << "Not signed";
    QTest::newRow("filter factory") << "ff_filter.8bf"
                                    << "PiPL"
                                    << "Photoshop Filter Factory"
                                    << "FF Ripple"
                                    << "64-bit"
                                    << "Not signed";
    QTest::newRow("signed") << "signed.8bf"
                            << "PiPL"
                            << ""
                            << ""
                            << ""
                            << "Signed";
    QTest::newRow("compatible") << "ffc_plain32.8bf"
                                << "PiPL"
                                << "Filter Factory-compatible filter"
                                << "Builder Waves"
                                << "32-bit"
                                << "Not signed";
    QTest::newRow("scrambled") << "ffc_scrambled.8bf"
                               << "PiPL"
                               << "Filter Factory-compatible filter"
                               << ""
                               << "64-bit"
                               << "Not signed";
}

void PropertiesTest::generalPageFields()
{
    QFETCH(QString, file);
    QFETCH(QString, resource);
    QFETCH(QString, variant);
    QFETCH(QString, originalName);
    QFETCH(QString, machine);
    QFETCH(QString, signature);
    TestSession s;
    const CPluginEntry* entry = s.add(file.toStdString());
    QVERIFY(entry);
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    PluginDetailSheet sheet(*s.session, *entry, block);
    auto* page = sheet.findChild<QWidget*>(QStringLiteral("generalPage"));
    QVERIFY(page);
    auto text = [&](const char* name) {
        auto* edit = page->findChild<QLineEdit*>(QLatin1String(name));
        return edit ? edit->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
    };
    QCOMPARE(text("nameEdit"), fromCodePage(entry->m_name));
    QCOMPARE(text("categoryEdit"), fromCodePage(entry->m_category));
    QCOMPARE(text("resourceEdit"), resource);
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("factoryLabel"))->text(), variant);
    if (!originalName.isEmpty())
        QCOMPARE(text("originalNameEdit"), originalName);
    QCOMPARE(text("fileNameEdit"), fromStoredPath(entry->m_path));
    QCOMPARE(text("sizeEdit"), QString::number(fs::file_size(entry->m_path)));
    if (!machine.isEmpty())
        QVERIFY2(text("machineEdit").contains(machine), qPrintable(text("machineEdit")));
    QCOMPARE(text("signedEdit"), signature);
    // Plug-in code is never run here.
    auto* about = page->findChild<QPushButton*>(QStringLiteral("aboutBoxButton"));
    QVERIFY(about);
    QVERIFY(!about->isEnabled());
    QVERIFY(!about->toolTip().isEmpty());
}

void PropertiesTest::generalPageModesWordZero()
{
    TestSession s;
    const CPluginEntry* entry = s.add("modes0.8bf");
    QVERIFY(entry);
    QCOMPARE(entry->m_modes, 0);
    PluginDetailSheet sheet(*s.session, *entry, CParameterBlock());
    const auto boxes = sheet.findChildren<QCheckBox*>(QRegularExpression(QStringLiteral("^modeBox\\d+$")));
    QCOMPARE(boxes.size(), 12);
    for (const QCheckBox* box : boxes) {
        QVERIFY(!box->isChecked());
        QVERIFY(!box->isEnabled());
    }

    // A word with bits: every box enabled, checked by its bit.
    const CPluginEntry* single = s.add("pipl_single.8bf");
    QVERIFY(single);
    PluginDetailSheet other(*s.session, *single, CParameterBlock());
    int checked = 0;
    for (const QCheckBox* box : other.findChildren<QCheckBox*>(QRegularExpression(QStringLiteral("^modeBox\\d+$")))) {
        QVERIFY(box->isEnabled());
        checked += box->isChecked() ? 1 : 0;
    }
    QCOMPARE(checked, 10);  // 0xC0FF: eight low bits, 16 Bit Gray, 48 Bit Color
    QVERIFY(other.findChild<QCheckBox*>(QStringLiteral("modeBox1065"))->isChecked());
    QVERIFY(!other.findChild<QCheckBox*>(QStringLiteral("modeBox1062"))->isChecked());
}

void PropertiesTest::generalPageListsEveryPluginOfTheFile()
{
    TestSession s;
    QVERIFY(s.add("pipl_three.8bf"));
    const QStringList expected{"01: Alpha One", "02: Beta Two", "03: Gamma Three"};
    for (const auto& entry : s.session->Catalogue().m_entries) {
        PluginDetailSheet sheet(*s.session, *entry, CParameterBlock());
        auto* list = sheet.findChild<QListWidget*>(QStringLiteral("pluginsList"));
        QVERIFY(list);
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        QCOMPARE(lines, expected);
    }
}

void PropertiesTest::sliderLayout()
{
    TestSession s;
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    QVERIFY(entry);
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    PluginDetailSheet sheet(*s.session, *entry, block);
    auto* page = sheet.findChild<PluginPreviewProp*>(QStringLiteral("previewPage"));
    QVERIFY(page);
    // Controls 0, 1, 2 and 7 are in use, maps 0 and 1 (sliders 0 to 3).
    const bool visible[8] = {true, true, true, true, false, false, false, true};
    const QString labels[8] = {"Control 0", "Control 1", "Control 2", "Map 1", "", "", "", "Control 7"};
    const int values[8] = {10, 20, 30, 40, 50, 60, 70, 128};
    for (int i = 0; i < 8; ++i) {
        auto* slider = page->findChild<QSlider*>(QStringLiteral("slider%1").arg(i));
        auto* label = page->findChild<QLabel*>(QStringLiteral("sliderLabel%1").arg(i));
        auto* value = page->findChild<QLabel*>(QStringLiteral("sliderValue%1").arg(i));
        QVERIFY(slider && label && value);
        QCOMPARE(!slider->isHidden(), visible[i]);
        QCOMPARE(!label->isHidden(), visible[i]);
        QCOMPARE(!value->isHidden(), visible[i]);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 255);
        QCOMPARE(slider->pageStep(), 16);
        QCOMPARE(slider->value(), values[i]);
        QCOMPARE(value->text(), QString::number(values[i]));
        if (visible[i])
            QCOMPARE(label->toolTip(), labels[i]);
    }
    // A move shows its value and goes into the sheet's block only.
    auto* slider1 = page->findChild<QSlider*>(QStringLiteral("slider1"));
    slider1->setValue(99);
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("sliderValue1"))->text(), QStringLiteral("99"));
    QCOMPARE(sheet.block().GetSlider(1), 99);
    // Reset: the values in the file again.
    uitest::ClickWidget(page->findChild<QPushButton*>(QStringLiteral("resetButton")));
    QCOMPARE(slider1->value(), 20);
    QCOMPARE(sheet.block().GetSlider(1), 20);
    // Randomize leaves the sliders out of use alone.
    uitest::ClickWidget(page->findChild<QPushButton*>(QStringLiteral("randomizeButton")));
    QCOMPARE(sheet.block().GetSlider(4), 50);
    QCOMPARE(sheet.block().GetSlider(6), 70);
    for (int i = 0; i < 8; ++i)
        QVERIFY(sheet.block().GetSlider(i) >= 0 && sheet.block().GetSlider(i) <= 255);
}

void PropertiesTest::authorAndCodePages()
{
    TestSession s;
    const CPluginEntry* entry = s.add("ff_filter.8bf");
    QVERIFY(entry);
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*entry, block));
    PluginDetailSheet sheet(*s.session, *entry, block);
    auto* author = sheet.findChild<QWidget*>(QStringLiteral("authorPage"));
    QVERIFY(author);
    auto field = [&](const char* name) { return author->findChild<QLineEdit*>(QLatin1String(name)); };
    QCOMPARE(field("authorEdit")->text(), QStringLiteral("A. Vardel"));
    QCOMPARE(field("copyrightEdit")->text(), QStringLiteral("(c) Vardel tests"));
    QCOMPARE(field("originalNameEdit")->text(), QStringLiteral("FF Ripple"));
    QCOMPARE(field("originalCategoryEdit")->text(), QStringLiteral("FF Cat"));
    for (const char* name : {"authorEdit", "copyrightEdit", "originalNameEdit", "originalCategoryEdit"})
        QVERIFY(field(name)->isReadOnly());
    auto* code = sheet.findChild<QWidget*>(QStringLiteral("codePage"));
    QVERIFY(code);
    const char* names[] = {"redEdit", "greenEdit", "blueEdit", "alphaEdit"};
    const char* formulas[] = {"r+ctl(0)", "g*ctl(1)/255", "b-x%16", "a"};
    for (int i = 0; i < 4; ++i) {
        auto* edit = code->findChild<QPlainTextEdit*>(QLatin1String(names[i]));
        QVERIFY(edit);
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->toPlainText(), QLatin1String(formulas[i]));
        // Whatever fonts are installed, the formulas' columns line up.
        const QFontMetricsF metrics(edit->font());
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")), metrics.horizontalAdvance(QStringLiteral("WWWW")));
    }
}

void PropertiesTest::longFormulaShownWhole()
{
    CParameterBlock block;
    const std::string formula(1023, 'r');
    block.SetFormula(2, formula);
    PluginFFCodeProp page(block);
    QCOMPARE(page.findChild<QPlainTextEdit*>(QStringLiteral("blueEdit"))->toPlainText().size(), 1023);
}

void PropertiesTest::descriptionStoredOnOk()
{
    TestSession s;
    const CPluginEntry* ff = s.add("ff_filter.8bf");
    const CPluginEntry* plain = s.add("pipl_single.8bf");
    QVERIFY(ff && plain);
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*ff, block));
    for (const CPluginEntry* entry : {ff, plain}) {
        const std::string key = entry->DescriptionKey();
        {
            PluginDetailSheet sheet(*s.session, *entry, block);
            sheet.findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"))->setPlainText("Makes waves");
            sheet.findChild<QLineEdit*>(QStringLiteral("keywordsEdit"))->setText("ripple water");
            sheet.accept();
        }
        std::string description, keywords;
        QVERIFY(s.session->Descriptions().Get(key, description, keywords));
        QCOMPARE(QString::fromStdString(description), QStringLiteral("Makes waves"));
        QCOMPARE(QString::fromStdString(keywords), QStringLiteral("ripple water"));
        {
            // Loaded on opening; clearing both and OK keeps the entry.
            PluginDetailSheet sheet(*s.session, *entry, block);
            auto* edit = sheet.findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"));
            QCOMPARE(edit->toPlainText(), QStringLiteral("Makes waves"));
            edit->clear();
            sheet.findChild<QLineEdit*>(QStringLiteral("keywordsEdit"))->clear();
            sheet.accept();
        }
        QVERIFY(s.session->Descriptions().Get(key, description, keywords));
        QCOMPARE(QString::fromStdString(description), QStringLiteral("Makes waves"));
        {
            // Cancel stores nothing.
            PluginDetailSheet sheet(*s.session, *entry, block);
            sheet.findChild<QLineEdit*>(QStringLiteral("keywordsEdit"))->setText("other");
            sheet.reject();
        }
        QVERIFY(s.session->Descriptions().Get(key, description, keywords));
        QCOMPARE(QString::fromStdString(keywords), QStringLiteral("ripple water"));
    }
}

void PropertiesTest::imagePageButtons_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("moveTo");  // -1: stay on the first image
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("enabled");  // first, previous, next, last, delete as 0/1
    QTest::newRow("none") << 0 << -1 << ""
                          << "00000";
    QTest::newRow("one") << 1 << -1 << "1/1"
                         << "00001";
    QTest::newRow("two, first") << 2 << -1 << "1/2"
                                << "00111";
    QTest::newRow("two, last") << 2 << int(CPreviewImageManager::kLast) << "2/2"
                               << "11001";
    QTest::newRow("three, first") << 3 << -1 << "1/3"
                                  << "00111";
    QTest::newRow("three, middle") << 3 << int(CPreviewImageManager::kNext) << "2/3"
                                   << "11111";
    QTest::newRow("three, last") << 3 << int(CPreviewImageManager::kLast) << "3/3"
                                 << "11001";
}

void PropertiesTest::imagePageButtons()
{
    QFETCH(int, images);
    QFETCH(int, moveTo);
    QFETCH(QString, counter);
    QFETCH(QString, enabled);
    TestSession s;
    const CPluginEntry* entry = s.add("pipl_single.8bf");
    QVERIFY(entry);
    s.addImages(*entry, images);
    PluginDetailSheet sheet(*s.session, *entry, CParameterBlock());
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    auto* page = sheet.findChild<PluginFixedPreviewProp*>(QStringLiteral("fixedPreviewPage"));
    QVERIFY(page);
    const char* buttons[] = {"firstButton", "previousButton", "nextButton", "lastButton"};
    if (moveTo >= 0)
        uitest::ClickWidget(page->findChild<QToolButton*>(QLatin1String(buttons[moveTo])));
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("counterLabel"))->text(), counter);
    QString seen;
    for (const char* name : buttons)
        seen += page->findChild<QToolButton*>(QLatin1String(name))->isEnabled() ? '1' : '0';
    seen += page->findChild<QPushButton*>(QStringLiteral("deleteButton"))->isEnabled() ? '1' : '0';
    QCOMPARE(seen, enabled);
    // A stored image is on show.
    if (images > 0)
        QCOMPARE(page->previewWindow()->image().size(), QSize(40, 30));
}

void PropertiesTest::deleteRenumbers()
{
    TestSession s;
    const CPluginEntry* entry = s.add("pipl_single.8bf");
    QVERIFY(entry);
    s.addImages(*entry, 3);
    PluginDetailSheet sheet(*s.session, *entry, CParameterBlock());
    auto* page = sheet.findChild<PluginFixedPreviewProp*>(QStringLiteral("fixedPreviewPage"));
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    uitest::ClickWidget(page->findChild<QToolButton*>(QStringLiteral("nextButton")));
    auto* counter = page->findChild<QLabel*>(QStringLiteral("counterLabel"));
    QCOMPARE(counter->text(), QStringLiteral("2/3"));
    // The question is answered Yes.
    uitest::ClickWidget(page->findChild<QPushButton*>(QStringLiteral("deleteButton")));
    auto* box = page->findChild<QMessageBox*>(QStringLiteral("deleteQuestion"));
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("Do you want to delete this preview image?"));
    uitest::ClickWidget(box->button(QMessageBox::Yes));
    QCOMPARE(counter->text(), QStringLiteral("2/2"));
    const fs::path images = s.dir / "images.db";
    QVERIFY(fs::exists(images / entry->PreviewImageName(0)));
    QVERIFY(fs::exists(images / entry->PreviewImageName(1)));
    QVERIFY(!fs::exists(images / entry->PreviewImageName(2)));
    // No: nothing is deleted.
    QTRY_VERIFY(!page->findChild<QMessageBox*>(QStringLiteral("deleteQuestion")));
    uitest::ClickWidget(page->findChild<QPushButton*>(QStringLiteral("deleteButton")));
    box = page->findChild<QMessageBox*>(QStringLiteral("deleteQuestion"));
    QVERIFY(box);
    uitest::ClickWidget(box->button(QMessageBox::No));
    QCOMPARE(counter->text(), QStringLiteral("2/2"));
    // Down to none: empty counter, delete unavailable.
    QVERIFY(page->deleteCurrentImage());
    QVERIFY(page->deleteCurrentImage());
    QCOMPARE(counter->text(), QString());
    QVERIFY(!page->findChild<QPushButton*>(QStringLiteral("deleteButton"))->isEnabled());
}

void PropertiesTest::clipboardPaste_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("24-bit") << int(QImage::Format_RGB888);
    QTest::newRow("32-bit") << int(QImage::Format_ARGB32);
    QTest::newRow("32-bit premultiplied") << int(QImage::Format_ARGB32_Premultiplied);
}

void PropertiesTest::clipboardPaste()
{
    QFETCH(int, format);
    TestSession s;
    const CPluginEntry* entry = s.add("pipl_single.8bf");
    QVERIFY(entry);
    QApplication::clipboard()->clear();
    PluginDetailSheet sheet(*s.session, *entry, CParameterBlock());
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    auto* page = sheet.findChild<PluginFixedPreviewProp*>(QStringLiteral("fixedPreviewPage"));
    auto* paste = page->findChild<QPushButton*>(QStringLiteral("pasteButton"));
    QVERIFY(!paste->isEnabled());
    // 640 x 480 is stored at 319 x 239, at 24 bits whatever it came as.
    QApplication::clipboard()->setImage(makeImage(static_cast<QImage::Format>(format), 640, 480));
    QTRY_VERIFY(paste->isEnabled());
    uitest::ClickWidget(paste);
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("counterLabel"))->text(), QStringLiteral("1/1"));
    COXDIB stored;
    QVERIFY(LoadJpeg(s.dir / "images.db" / entry->PreviewImageName(0), stored));
    QCOMPARE(stored.GetBitCount(), 24);
    QCOMPARE(stored.GetSize(), (COXDIB::Size{319, 239}));
    QCOMPARE(page->previewWindow()->image().size(), QSize(319, 239));
    // The packed bitmap the store got is 24-bit.
    COXDIB fromClipboard;
    QVERIFY(CClipboard::getImage(fromClipboard));
    QCOMPARE(fromClipboard.GetBitCount(), 24);
    QApplication::clipboard()->clear();
    QTRY_VERIFY(!paste->isEnabled());
}

void PropertiesTest::pasteDisabledWithoutImage()
{
    TestSession s;
    const CPluginEntry* entry = s.add("pipl_single.8bf");
    QApplication::clipboard()->setText(QStringLiteral("no picture"));
    PluginFixedPreviewProp page(*s.session, *entry);
    QVERIFY(!page.findChild<QPushButton*>(QStringLiteral("pasteButton"))->isEnabled());
    QVERIFY(!page.pasteImage());
    QCOMPARE(page.images().GetCount(), 0);
}

void PropertiesTest::captureHidesAndRestores()
{
    TestSession s;
    const CPluginEntry* entry = s.add("pipl_single.8bf");
    PluginDetailSheet sheet(*s.session, *entry, CParameterBlock());
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    auto* page = sheet.findChild<PluginFixedPreviewProp*>(QStringLiteral("fixedPreviewPage"));
    auto* capture = page->findChild<QPushButton*>(QStringLiteral("captureButton"));
    QVERIFY(capture->isEnabled());  // offscreen is not Wayland
    uitest::ClickWidget(capture);
    // Out of the way without ending the sheet, and back after the delay.
    QVERIFY(sheet.windowState() & Qt::WindowMinimized);
    QVERIFY(sheet.isVisible());
    QVERIFY(!capture->isEnabled());
    QVERIFY(!page->startCapture());  // one at a time
    QTRY_VERIFY_WITH_TIMEOUT(capture->isEnabled(), PluginFixedPreviewProp::kCaptureDelayMs + 3000);
    QVERIFY(!(sheet.windowState() & Qt::WindowMinimized));
    QVERIFY(sheet.isVisible());
    // Whatever the platform grabbed went into the store as a 24-bit image.
    const int count = page->images().GetCount();
    QVERIFY(count == 0 || count == 1);
    // On X11 the window under the pointer (or the screen) is really grabbed.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        QCOMPARE(count, 1);
    if (count == 1) {
        COXDIB stored;
        QVERIFY(LoadJpeg(s.dir / "images.db" / entry->PreviewImageName(0), stored));
        QCOMPARE(stored.GetBitCount(), 24);
    }
}

void PropertiesTest::screenshots()
{
    // Every page of both sheets shows something, in pictures kept where
    // VARDEL_SHOTS says.
    uitest::PictureShelf shelf;
    TestSession s;
    const CPluginEntry* ff = s.add("ff_filter.8bf");
    const CPluginEntry* plain = s.add("pipl_single.8bf");
    s.addImages(*plain, 2);
    CParameterBlock block;
    QVERIFY(ReadParameterBlock(*ff, block));
    auto shootSheet = [&](const CPluginEntry& entry, const QString& prefix) {
        PluginDetailSheet sheet(*s.session, entry, block);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        for (int i = 0; i < sheet.tabs()->count(); ++i) {
            sheet.tabs()->setCurrentIndex(i);
            if (auto* live = sheet.findChild<PluginPreviewProp*>())
                QTRY_VERIFY(!live->preview()->isRendering());
            QTest::qWait(50);
            QVERIFY(shelf.Shoot(sheet, QStringLiteral("%1-%2").arg(prefix).arg(i)));
            sheet.show();
        }
    };
    shootSheet(*ff, QStringLiteral("sheet-ff"));
    shootSheet(*plain, QStringLiteral("sheet-plain"));
}

QTEST_MAIN(PropertiesTest)
#include "PropertiesTest.moc"
