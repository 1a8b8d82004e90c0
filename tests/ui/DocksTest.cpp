// The launch bar, the preview bar with its picture window and the
// information bar, driven through their widgets on the offscreen platform.

#include "app/LaunchBarEntry.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginListManager.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "search/DescriptionListManager.h"
#include "support/RawArchive.h"
#include "ui/common/IconButton.h"
#include "ui/dialogs/LaunchBarEntryDialog.h"
#include "ui/docks/InformationBar.h"
#include "ui/docks/LaunchBar.h"
#include "ui/preview/PreviewBar.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/resources/Icons.h"
#include "SessionFixture.h"
#include "UiTestSupport.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <memory>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vardel;
using namespace vardel::ui;
using vardel::test::child;
namespace fs = std::filesystem;

namespace {

struct TestSession : test::SessionFixture {
    using SessionFixture::SessionFixture;
    LaunchBarList loadStore() const
    {
        LaunchBarList list;
        LoadLaunchBar(DataDirectory{dir.path()}, list);
        return list;
    }
};

// A black JPEG of the given size.
void writeJpeg(const fs::path& file, int width, int height)
{
    COXDIB bitmap;
    QVERIFY(bitmap.Create(24, width, height));
    QVERIFY(SaveJpeg(file, bitmap));
}

using Raw = test::RawArchive;

QAction* action(QMenu* menu, const char* name)
{
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

QString qpath(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

}  // namespace

class DocksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void launchBarHasTenButtons();
    void versionOneStoreLoads();
    void clickOnEmptySlotEditsAndSaves();
    void editFromContextMenuSaves();
    void deleteClearsAndSaves();
    void contextMenuOnlyForFilledSlots();
    void startRunsTheCommandInItsDirectory();
    void unreadableIconGivesTheApplicationIcon();
    void moduleIconsByIndex();
    void pipesAreNoIcons();
    void hoverMarkIsARaisedFrame();

    void fittedSize_data();
    void fittedSize();
    void targetSizeByMode();
    void previewWindowPaintsCentredOnBlack();
    void loadFileKeepsOldPictureOnFailure();

    void previewBarShowsStartupPicture();
    void previewBarButtonsAndCounter();
    void previewBarDoubleClickAsksForLargePreview();
    void previewBarFilterFactory();

    void informationBarShowsDescriptionAndFile();
    void informationBarKeepsSamePlugin();
    void screenshots();

private:
    QTemporaryDir m_settingsDir;
};

void DocksTest::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    initResources();
}

void DocksTest::launchBarHasTenButtons()
{
    TestSession s;
    LaunchBar bar(*s.session);
    for (int i = 0; i < LaunchBar::kSlots; ++i) {
        auto* b = bar.findChild<IconButton*>(QStringLiteral("launchButton%1").arg(i));
        QVERIFY(b);
        QCOMPARE(b->size(), QSize(34, 34));
        QVERIFY(!b->icon().isNull());
    }
    QCOMPARE(s.session->LaunchBar().size(), std::size_t(10));
    QCOMPARE(bar.menuSlot(), -1);
    bar.setOrientation(Qt::Vertical);
    bar.adjustSize();
    QVERIFY(bar.height() > bar.width());
}

void DocksTest::versionOneStoreLoads()
{
    TestSession s(false);
    Raw raw;
    raw.u16(2).cls("CLaunchBarEntry", 1).str("Ed").str("/bin/ed").str("").str("/").str("").u32(0);
    raw.u16(0x8001).str("").str("/bin/vi").str("").str("").str("").u32(0);
    test::writeFile(s.dir / "setup.db" / "launchbar", raw.b);
    s.start();
    LaunchBar bar(*s.session);
    QCOMPARE(bar.button(0)->toolTip(), QStringLiteral("Ed"));
    QCOMPARE(bar.button(0)->statusTip(), QStringLiteral("Ed"));
    QCOMPARE(s.session->LaunchBar()[0]->m_showCommand, CLaunchBarEntry::kShowNormal);
    // A slot with a command but no label is empty.
    QVERIFY(bar.createContextMenu(1) == nullptr);
    QVERIFY(bar.button(1)->text().isEmpty());
}

void DocksTest::clickOnEmptySlotEditsAndSaves()
{
    TestSession s;
    LaunchBar bar(*s.session);
    bar.show();
    QTest::mouseClick(bar.button(3), Qt::LeftButton);
    auto* dialog = bar.findChild<LaunchBarEntryDialog*>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    child<QLineEdit>(dialog, "labelEdit")->setText(QStringLiteral("Shell"));
    child<QLineEdit>(dialog, "commandEdit")->setText(QStringLiteral("/bin/sh"));
    QTest::mouseClick(child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok), Qt::LeftButton);

    LaunchBarList stored = s.loadStore();
    QCOMPARE(stored[3]->m_label, std::string("Shell"));
    QCOMPARE(stored[3]->m_command, std::string("/bin/sh"));
    QCOMPARE(bar.button(3)->toolTip(), QStringLiteral("Shell"));
    QTRY_VERIFY(!bar.findChild<LaunchBarEntryDialog*>());
}

void DocksTest::editFromContextMenuSaves()
{
    TestSession s;
    s.session->LaunchBar()[0]->m_label = "Old";
    s.session->LaunchBar()[0]->m_command = "/bin/true";
    LaunchBar bar(*s.session);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    // A right click on the slot opens its menu.
    QTest::mouseClick(bar.windowHandle(), Qt::RightButton, {}, bar.button(0)->geometry().center());
    QMenu* menu = uitest::OpenPopupMenu();
    QVERIFY(menu);
    QCOMPARE(bar.menuSlot(), 0);
    QCOMPARE(menu->title(), QStringLiteral("Launchbar Context"));
    QAction* edit = action(menu, "editAction");
    QVERIFY(edit);
    QCOMPARE(edit->text(), QStringLiteral("&Edit..."));
    uitest::ClickMenuItem(menu, edit);
    auto* dialog = bar.findChild<LaunchBarEntryDialog*>();
    QVERIFY(dialog);
    QCOMPARE(child<QLineEdit>(dialog, "labelEdit")->text(), QStringLiteral("Old"));
    child<QLineEdit>(dialog, "labelEdit")->setText(QStringLiteral("New"));
    dialog->accept();
    QCOMPARE(s.loadStore()[0]->m_label, std::string("New"));
    QCOMPARE(bar.button(0)->toolTip(), QStringLiteral("New"));

    // Cancel changes nothing and saves nothing.
    fs::remove(s.dir / "setup.db" / "launchbar");
    bar.editSlot(0)->reject();
    QCOMPARE(s.session->LaunchBar()[0]->m_label, std::string("New"));
    QVERIFY(!fs::exists(s.dir / "setup.db" / "launchbar"));
}

void DocksTest::deleteClearsAndSaves()
{
    TestSession s;
    CLaunchBarEntry& e = *s.session->LaunchBar()[2];
    e.m_label = "Viewer";
    e.m_command = "/usr/bin/viewer";
    e.m_arguments = "-x";
    e.m_initialDirectory = "/tmp";
    e.m_iconPath = "/icons/v.png";
    e.m_iconIndex = 3;
    e.m_showCommand = CLaunchBarEntry::kShowMaximized;
    LaunchBar bar(*s.session);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    // The menu key on the focused slot opens its menu.
    bar.button(2)->setFocus();
    QTest::keyClick(bar.button(2), Qt::Key_Menu);
    QMenu* menu = uitest::OpenPopupMenu();
    QVERIFY(menu);
    QAction* remove = action(menu, "deleteAction");
    QVERIFY(remove);
    QCOMPARE(remove->text(), QStringLiteral("&Delete"));
    uitest::ClickMenuItem(menu, remove);

    LaunchBarList stored = s.loadStore();
    QVERIFY(stored[2]->IsEmpty());
    QVERIFY(stored[2]->m_command.empty());
    QVERIFY(stored[2]->m_arguments.empty());
    QVERIFY(stored[2]->m_initialDirectory.empty());
    QVERIFY(stored[2]->m_iconPath.empty());
    QCOMPARE(stored[2]->m_iconIndex, 0);
    // The show command stays for the next entry of the slot.
    QCOMPARE(stored[2]->m_showCommand, CLaunchBarEntry::kShowMaximized);
    QCOMPARE(bar.button(2)->icon().pixmap(32).toImage(), IconButton::placeholderIcon().pixmap(32).toImage());
    QVERIFY(bar.createContextMenu(2) == nullptr);
}

void DocksTest::contextMenuOnlyForFilledSlots()
{
    TestSession s;
    s.session->LaunchBar()[5]->m_label = "App";
    LaunchBar bar(*s.session);
    bar.show();
    QVERIFY(bar.createContextMenu(4) == nullptr);
    std::unique_ptr<QMenu> menu(bar.createContextMenu(5));
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 2);
    QVERIFY(bar.createContextMenu(10) == nullptr);
    QVERIFY(bar.createContextMenu(-1) == nullptr);
    menu.reset();

    // A right click remembers the slot under the mouse even when it is empty.
    const QPoint inFour = bar.button(4)->geometry().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, inFour, bar.mapToGlobal(inFour));
    QApplication::sendEvent(&bar, &event);
    QCOMPARE(bar.menuSlot(), 4);
    QVERIFY(!bar.findChild<QMenu*>(QStringLiteral("launchbarContext")));
}

void DocksTest::startRunsTheCommandInItsDirectory()
{
    TestSession s;
    CLaunchBarEntry& e = *s.session->LaunchBar()[0];
    e.m_label = "Writer";
    e.m_command = "/bin/sh";
    e.m_arguments = "-c \"echo started > 'out file.txt'\"";
    e.m_initialDirectory = s.dir.path().string();
    LaunchBar bar(*s.session);
    bar.show();
    QTest::mouseClick(bar.button(0), Qt::LeftButton);
    QTRY_VERIFY(fs::exists(s.dir / "out file.txt"));
    QVERIFY(!bar.findChild<LaunchBarEntryDialog*>());

    e.m_command = (s.dir / "no-such-program").string();
    QVERIFY(!bar.startSlot(0));
}

void DocksTest::unreadableIconGivesTheApplicationIcon()
{
    TestSession s;
    test::writeFile(s.dir / "tool.exe", std::string("MZ not really"));
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(qpath(s.dir / "red.png")));
    test::writeFile(s.dir / "app.desktop",
                    "[Desktop Entry]\nType=Application\nName=App\nIcon=" + (s.dir / "red.png").string() + "\n");
    CLaunchBarEntry* e = s.session->LaunchBar()[0].get();
    e->m_label = "Exe";
    e->m_iconPath = (s.dir / "tool.exe").string();
    CLaunchBarEntry* d = s.session->LaunchBar()[1].get();
    d->m_label = "Desktop";
    d->m_iconPath = (s.dir / "app.desktop").string();
    CLaunchBarEntry* p = s.session->LaunchBar()[2].get();
    p->m_label = "Second icon";
    p->m_iconPath = (s.dir / "red.png").string();
    p->m_iconIndex = 1;
    LaunchBar bar(*s.session);
    const QImage app = IconButton::applicationIcon().pixmap(32).toImage();
    QCOMPARE(bar.button(0)->icon().pixmap(32).toImage(), app);
    QCOMPARE(QColor(bar.button(1)->icon().pixmap(32).toImage().pixel(16, 16)), QColor(Qt::red));
    QCOMPARE(bar.button(2)->icon().pixmap(32).toImage(), app);
}

void DocksTest::moduleIconsByIndex()
{
    // A module with two icon groups, linked as the test plug-ins are.
    test::TempDir dir;
    for (const auto& [name, colour] : {std::pair{"red", Qt::red}, std::pair{"blue", Qt::blue}}) {
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(colour);
        QVERIFY(picture.save(qpath(dir / (std::string(name) + ".ico")), "ICO"));
    }
    test::writeFile(dir / "icons.rc", std::string("1 ICON \"red.ico\"\n2 ICON \"blue.ico\"\n"));
    const test::RunResult rc = test::run({"/usr/bin/x86_64-w64-mingw32-windres", "-I", dir.path().string(), "-i",
                                          (dir / "icons.rc").string(), "-o", (dir / "icons.o").string()});
    QVERIFY2(rc.status == 0, "the mingw-w64 resource compiler fails (scripts/install-deps installs it)");
    const test::RunResult ld = test::run({"/usr/bin/x86_64-w64-mingw32-ld", "--dll", "-e", "0", "-o",
                                          (dir / "icons.dll").string(), (dir / "icons.o").string()});
    QCOMPARE(ld.status, 0);
    const QString module = qpath(dir / "icons.dll");
    const QIcon first = IconButton::iconFromFile(module, 0);
    const QIcon second = IconButton::iconFromFile(module, 1);
    QVERIFY(!first.isNull());
    QVERIFY(!second.isNull());
    QCOMPARE(QColor(first.pixmap(32).toImage().pixel(16, 16)), QColor(Qt::red));
    QCOMPARE(QColor(second.pixmap(32).toImage().pixel(16, 16)), QColor(Qt::blue));
    QVERIFY(IconButton::iconFromFile(module, 2).isNull());
    // A plug-in without icons has none.
    QVERIFY(IconButton::iconFromFile(qpath(test::testPlugin("pipl_single.8bf")), 0).isNull());
}

void DocksTest::pipesAreNoIcons()
{
#ifndef _WIN32
    // A pipe where an icon or a desktop entry's icon should be: no icon,
    // and no wait for a writer that never comes.
    test::TempDir dir;
    QVERIFY(::mkfifo((dir / "pipe.png").c_str(), 0600) == 0);
    test::writeFile(dir / "app.desktop", "[Desktop Entry]\nIcon=" + (dir / "pipe.png").string() + "\n");
    QVERIFY(::mkfifo((dir / "entry.desktop").c_str(), 0600) == 0);
    QVERIFY(IconButton::iconFromFile(qpath(dir / "pipe.png"), 0).isNull());
    QVERIFY(IconButton::iconFromFile(qpath(dir / "app.desktop"), 0).isNull());
    QVERIFY(IconButton::iconFromFile(qpath(dir / "entry.desktop"), 0).isNull());
#endif
}

void DocksTest::hoverMarkIsARaisedFrame()
{
    IconButton button;
    const QPalette& pal = button.palette();
    QImage shot = button.grab().toImage();
    QCOMPARE(shot.pixel(0, 20), pal.color(QPalette::Button).rgb());
    button.setHot(true);
    shot = button.grab().toImage();
    QCOMPARE(shot.pixel(0, 20), pal.color(QPalette::Light).rgb());
    QCOMPARE(shot.pixel(20, 0), pal.color(QPalette::Light).rgb());
    QCOMPARE(shot.pixel(33, 20), pal.color(QPalette::Dark).rgb());
    QCOMPARE(shot.pixel(20, 33), pal.color(QPalette::Dark).rgb());
    button.setDown(true);
    shot = button.grab().toImage();
    QCOMPARE(shot.pixel(0, 20), pal.color(QPalette::Dark).rgb());
    QCOMPARE(shot.pixel(33, 20), pal.color(QPalette::Light).rgb());
}

void DocksTest::fittedSize_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("fits") << QSize(100, 50) << QSize(320, 250) << QSize(100, 50);
    QTest::newRow("exact") << QSize(320, 250) << QSize(320, 250) << QSize(320, 250);
    QTest::newRow("never up") << QSize(10, 10) << QSize(1000, 1000) << QSize(10, 10);
    QTest::newRow("wide") << QSize(640, 480) << QSize(320, 250) << QSize(320, 240);
    QTest::newRow("tall") << QSize(100, 500) << QSize(320, 250) << QSize(50, 250);
    QTest::newRow("a little wide") << QSize(330, 100) << QSize(320, 250) << QSize(320, 96);
    QTest::newRow("empty target") << QSize(10, 10) << QSize(0, 0) << QSize();
    QTest::newRow("empty picture") << QSize(0, 0) << QSize(100, 100) << QSize();
}

void DocksTest::fittedSize()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, target);
    QFETCH(QSize, expected);
    QCOMPARE(CPreviewWnd::fittedSize(picture, target), expected);
}

void DocksTest::targetSizeByMode()
{
    const QSize client(201, 101);
    const QSize picture(500, 400);
    QCOMPARE(CPreviewWnd::targetSize(client, CPreviewWnd::kWhole, picture), QSize(201, 101));
    QCOMPARE(CPreviewWnd::targetSize(client, CPreviewWnd::kThreeQuarters, picture), QSize(150, 75));
    QCOMPARE(CPreviewWnd::targetSize(client, CPreviewWnd::kHalf, picture), QSize(100, 50));
    QCOMPARE(CPreviewWnd::targetSize(client, 7, picture), picture);
}

void DocksTest::previewWindowPaintsCentredOnBlack()
{
    CPreviewWnd window;
    QCOMPARE(window.objectName(), QStringLiteral("WndPreview"));
    window.resize(100, 80);
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    window.setImage(red);
    QImage shot = window.grab().toImage();
    QCOMPARE(QColor(shot.pixel(2, 2)), QColor(Qt::black));
    // Left = 50 - 20, top = 40 - 10.
    QCOMPARE(QColor(shot.pixel(30, 30)), QColor(Qt::red));
    QCOMPARE(QColor(shot.pixel(29, 30)), QColor(Qt::black));
    QCOMPARE(QColor(shot.pixel(69, 49)), QColor(Qt::red));
    QCOMPARE(QColor(shot.pixel(70, 49)), QColor(Qt::black));

    // Half size: the target is 50 x 40, so the picture is drawn 40 x 20 still;
    // a bigger one is scaled down, and the picture itself stays as it was.
    QImage big(200, 100, QImage::Format_RGB32);
    big.fill(Qt::green);
    window.setImage(big);
    window.setSizeMode(CPreviewWnd::kHalf);
    shot = window.grab().toImage();
    // 200 x 100 into 50 x 40: 50 x 25 at (25, 28).
    QCOMPARE(QColor(shot.pixel(25, 28)), QColor(Qt::green));
    QCOMPARE(QColor(shot.pixel(24, 28)), QColor(Qt::black));
    QCOMPARE(QColor(shot.pixel(74, 52)), QColor(Qt::green));
    QCOMPARE(QColor(shot.pixel(75, 52)), QColor(Qt::black));
    QCOMPARE(window.image().size(), QSize(200, 100));

    // Show-source paints the source picture.
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    window.setSourceImage(blue);
    window.setShowSource(true);
    shot = window.grab().toImage();
    QCOMPARE(QColor(shot.pixel(50, 40)), QColor(Qt::blue));
    QCOMPARE(QColor(shot.pixel(30, 30)), QColor(Qt::black));
}

void DocksTest::loadFileKeepsOldPictureOnFailure()
{
    test::TempDir dir;
    writeJpeg(dir / "a.jpg", 30, 20);
    CPreviewWnd window;
    QVERIFY(window.loadFile(qpath(dir / "a.jpg")));
    QCOMPARE(window.image().size(), QSize(30, 20));
    test::writeFile(dir / "bad.jpg", std::string("not a jpeg"));
    QVERIFY(!window.loadFile(qpath(dir / "bad.jpg")));
    QVERIFY(!window.loadFile(qpath(dir / "missing.jpg")));
    QVERIFY(!window.loadFile(QString()));
    QCOMPARE(window.image().size(), QSize(30, 20));

    // BMP files by any other extension; only 24-bit ones.
    COXDIB bmp;
    QVERIFY(bmp.Create(24, 7, 5));
    QVERIFY(bmp.Write(dir / "b.bmp"));
    QVERIFY(window.loadFile(qpath(dir / "b.bmp")));
    QCOMPARE(window.image().size(), QSize(7, 5));
    COXDIB eight;
    QVERIFY(eight.Create(8, 9, 9));
    QVERIFY(eight.Write(dir / "c.bmp"));
    QVERIFY(!window.loadFile(qpath(dir / "c.bmp")));
    QCOMPARE(window.image().size(), QSize(7, 5));
}

void DocksTest::previewBarShowsStartupPicture()
{
    TestSession s;
    writeJpeg(s.dir / "STARTUP.JPG", 64, 48);
    PreviewBar bar(*s.session);
    QCOMPARE(bar.previewWindow()->objectName(), QStringLiteral("WndPreview"));
    QCOMPARE(bar.previewWindow()->image().size(), QSize(64, 48));
    QVERIFY(bar.counterText().isEmpty());
    for (const char* name : {"firstButton", "previousButton", "nextButton", "lastButton"})
        QVERIFY(!child<QToolButton>(&bar, name)->isEnabled());
}

void DocksTest::previewBarButtonsAndCounter()
{
    TestSession s;
    writeJpeg(s.dir / "images.db" / "EMPTY.JPG", 11, 11);
    CPluginListManager catalogue;
    CPluginEntry& none = test::AddPiplEntry(catalogue, "None", "C", "/p/None.8bf");
    CPluginEntry& one = test::AddPiplEntry(catalogue, "One", "C", "/p/One.8bf");
    CPluginEntry& two = test::AddPiplEntry(catalogue, "Two", "C", "/p/Two.8bf");
    writeJpeg(s.dir / "images.db" / (one.ImageBaseName() + "_000.JPG"), 21, 21);
    writeJpeg(s.dir / "images.db" / (two.ImageBaseName() + "_000.JPG"), 31, 31);
    writeJpeg(s.dir / "images.db" / (two.ImageBaseName() + "_001.JPG"), 41, 41);

    PreviewBar bar(*s.session);
    auto* first = child<QToolButton>(&bar, "firstButton");
    auto* previous = child<QToolButton>(&bar, "previousButton");
    auto* next = child<QToolButton>(&bar, "nextButton");
    auto* last = child<QToolButton>(&bar, "lastButton");
    auto* counter = child<QLabel>(&bar, "counterLabel");
    QCOMPARE(first->text(), QStringLiteral("|<"));
    QCOMPARE(previous->text(), QStringLiteral("<"));
    QCOMPARE(next->text(), QStringLiteral(">"));
    QCOMPARE(last->text(), QStringLiteral(">|"));
    auto states = [&] {
        return QList<bool>{first->isEnabled(), previous->isEnabled(), next->isEnabled(), last->isEnabled()};
    };
    const QList<bool> allOff{false, false, false, false};

    bar.showPlugin(&none);
    QCOMPARE(counter->text(), QString());
    QCOMPARE(states(), allOff);
    QCOMPARE(bar.previewWindow()->image().size(), QSize(11, 11));

    bar.showPlugin(&one);
    QCOMPARE(counter->text(), QStringLiteral("1/1"));
    QCOMPARE(states(), allOff);
    QCOMPARE(bar.previewWindow()->image().size(), QSize(21, 21));

    bar.showPlugin(&two);
    QCOMPARE(counter->text(), QStringLiteral("1/2"));
    QCOMPARE(states(), (QList<bool>{false, false, true, true}));
    QCOMPARE(bar.previewWindow()->image().size(), QSize(31, 31));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(counter->text(), QStringLiteral("2/2"));
    QCOMPARE(states(), (QList<bool>{true, true, false, false}));
    QCOMPARE(bar.previewWindow()->image().size(), QSize(41, 41));
    QTest::mouseClick(first, Qt::LeftButton);
    QCOMPARE(counter->text(), QStringLiteral("1/2"));
    QTest::mouseClick(last, Qt::LeftButton);
    QCOMPARE(counter->text(), QStringLiteral("2/2"));
    QTest::mouseClick(previous, Qt::LeftButton);
    QCOMPARE(counter->text(), QStringLiteral("1/2"));

    // The same plug-in again keeps the position.
    QTest::mouseClick(next, Qt::LeftButton);
    bar.showPlugin(&two);
    QCOMPARE(counter->text(), QStringLiteral("2/2"));

    // Nothing selected: no counter, no buttons, the picture stays.
    bar.showPlugin(nullptr);
    QCOMPARE(counter->text(), QString());
    QCOMPARE(states(), allOff);
    QCOMPARE(bar.previewWindow()->image().size(), QSize(41, 41));
    QVERIFY(bar.images().GetPlugin() == nullptr);
}

void DocksTest::previewBarDoubleClickAsksForLargePreview()
{
    TestSession s;
    PreviewBar bar(*s.session);
    bar.show();
    QSignalSpy spy(&bar, &PreviewBar::largePreviewRequested);
    QTest::mouseDClick(bar.previewWindow(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(spy.count(), 1);
}

void DocksTest::previewBarFilterFactory()
{
    TestSession s;
    CPluginListManager catalogue;
    CPluginEntry& ff = test::AddPiplEntry(catalogue, "FF", "C", "/p/FF.8bf");
    ff.m_resourceFlags = kFlagPARM | kFlagFUNC;
    QVERIFY(ff.IsPhotoshopFilterFactory());
    writeJpeg(s.dir / "images.db" / (ff.ImageBaseName() + "_000.JPG"), 21, 21);
    PreviewBar bar(*s.session);
    QSignalSpy spy(&bar, &PreviewBar::filterFactoryShown);
    QSignalSpy store(&bar, &PreviewBar::storeImagesShown);
    bar.showPlugin(&ff);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(store.count(), 0);
    QVERIFY(bar.counterText().isEmpty());
    QVERIFY(bar.images().GetPlugin() == nullptr);

    // Another plug-in: the live rendering is to stop.
    CPluginEntry& plain = test::AddPiplEntry(catalogue, "Plain", "C", "/p/Plain.8bf");
    bar.showPlugin(&plain);
    QCOMPARE(store.count(), 1);
    QCOMPARE(spy.count(), 1);
}

void DocksTest::informationBarShowsDescriptionAndFile()
{
    TestSession s;
    CPluginListManager catalogue;
    CPluginEntry& entry = test::AddPiplEntry(catalogue, "Blur", "C", "/plugins/some/deep/directory/Blur.8bf");
    s.session->Descriptions().SetFromTexts(entry.DescriptionKey(), "Softens the picture.", "soft");
    InformationBar bar(*s.session);
    bar.resize(200, 200);
    bar.show();
    bar.showPlugin(&entry);
    QCOMPARE(child<QLineEdit>(&bar, "authorEdit")->text(), QString());
    QVERIFY(child<QLineEdit>(&bar, "authorEdit")->isReadOnly());
    QCOMPARE(child<QPlainTextEdit>(&bar, "descriptionEdit")->toPlainText(), QStringLiteral("Softens the picture."));
    QVERIFY(child<QPlainTextEdit>(&bar, "descriptionEdit")->isReadOnly());
    auto* file = child<QLabel>(&bar, "filenameLabel");
    QCOMPARE(file->toolTip(), QStringLiteral("/plugins/some/deep/directory/Blur.8bf"));
    QCOMPARE(bar.filename(), QStringLiteral("/plugins/some/deep/directory/Blur.8bf"));
    QVERIFY(file->fontMetrics().horizontalAdvance(file->text()) <= file->width());

    bar.clear();
    QVERIFY(child<QPlainTextEdit>(&bar, "descriptionEdit")->toPlainText().isEmpty());
    QVERIFY(file->toolTip().isEmpty());
    QVERIFY(bar.plugin() == nullptr);
}

void DocksTest::informationBarKeepsSamePlugin()
{
    TestSession s;
    CPluginListManager catalogue;
    CPluginEntry& a = test::AddPiplEntry(catalogue, "A", "C", "/p/A.8bf");
    CPluginEntry& b = test::AddPiplEntry(catalogue, "B", "C", "/p/B.8bf");
    s.session->Descriptions().SetFromTexts(a.DescriptionKey(), "first", "");
    InformationBar bar(*s.session);
    bar.showPlugin(&a);
    auto* description = child<QPlainTextEdit>(&bar, "descriptionEdit");
    QCOMPARE(description->toPlainText(), QStringLiteral("first"));
    s.session->Descriptions().SetFromTexts(a.DescriptionKey(), "second", "");
    bar.showPlugin(&a);
    QCOMPARE(description->toPlainText(), QStringLiteral("first"));
    bar.showPlugin(nullptr);
    QCOMPARE(description->toPlainText(), QStringLiteral("first"));
    QVERIFY(bar.plugin() == &a);
    bar.reload();
    QCOMPARE(description->toPlainText(), QStringLiteral("second"));
    bar.showPlugin(&b);
    QVERIFY(description->toPlainText().isEmpty());
    QCOMPARE(bar.filename(), QStringLiteral("/p/B.8bf"));
}

void DocksTest::screenshots()
{
    // Every bar shows something, in pictures kept where VARDEL_SHOTS says.
    uitest::PictureShelf shelf;
    TestSession s;
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(QColor(200, 60, 40));
    QVERIFY(red.save(qpath(s.dir / "red.png")));
    s.session->LaunchBar()[0]->m_label = "Editor";
    s.session->LaunchBar()[0]->m_iconPath = (s.dir / "red.png").string();
    s.session->LaunchBar()[1]->m_label = "Unknown icon";
    CPluginListManager catalogue;
    CPluginEntry& two = test::AddPiplEntry(catalogue, "Two", "C", "/plugins/filters/Two.8bf");
    COXDIB picture;
    QVERIFY(picture.Create(24, 300, 200));
    QVERIFY(picture.FillCheckerboard(0x00C08040, 0x00204080, 40));
    QVERIFY(SaveJpeg(s.dir / "images.db" / (two.ImageBaseName() + "_000.JPG"), picture));
    QVERIFY(SaveJpeg(s.dir / "images.db" / (two.ImageBaseName() + "_001.JPG"), picture));
    s.session->Descriptions().SetFromTexts(two.DescriptionKey(), "Makes two of everything in the picture.", "");
    auto shoot = [&](QWidget& w, const char* name) { QVERIFY2(shelf.Shoot(w, QLatin1String(name)), name); };
    LaunchBar launch(*s.session);
    launch.button(0)->setHot(true);
    shoot(launch, "launchbar");
    PreviewBar preview(*s.session);
    preview.showPlugin(&two);
    shoot(preview, "previewbar");
    InformationBar info(*s.session);
    info.showPlugin(&two);
    info.resize(340, 220);
    shoot(info, "informationbar");
}

QTEST_MAIN(DocksTest)
#include "DocksTest.moc"
