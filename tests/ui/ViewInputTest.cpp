// The main view as a person drives it: categories and plug-ins clicked with
// the mouse, labels edited by a slow second click and typed into, the
// questions asked before files change, all through mouse and key events.

#include "UiTestSupport.h"

#include "app/CatalogueView.h"
#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/ClassSelector.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/common/Clipboard.h"
#include "ui/common/IconButton.h"
#include "ui/dialogs/LaunchBarEntryDialog.h"
#include "ui/docks/InformationBar.h"
#include "ui/docks/LaunchBar.h"
#include "ui/find/FindDialog.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/mainwindow/StatusPanes.h"
#include "ui/preview/PreviewBar.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/properties/PluginFixedPreviewProp.h"
#include "ui/session/SessionAdapter.h"
#include "ui/settings/ApplicationIdentity.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>
#include <memory>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;
using vardel::uitest::SampleData;
namespace fs = std::filesystem;

namespace {

// The names the core lists for a category item, as the list shows them.
QStringList ExpectedPlugins(const CVardelSession& session, const CPluginEntry& category)
{
    QStringList names;
    for (const ViewItem& item : PluginItems(session.Catalogue(), category))
        names << QString::fromStdString(item.text);
    return names;
}

// A JPEG of that size: the pictures of a test are told apart by size.
void WriteImage(const fs::path& file, int width, int height)
{
    COXDIB bitmap;
    QVERIFY(bitmap.Create(24, width, height));
    QVERIFY(SaveJpeg(file, bitmap));
}

// The plug-in shown by the information bar, its description and file.
QString InformationText(CMainFrame& frame)
{
    auto* bar = frame.findChild<InformationBar*>();
    return bar->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"))->toPlainText() + QLatin1Char('|') +
           bar->filename();
}

// Starts the label edit of a list's selected item with a second, slow click.
LabelEdit* SlowClickEdit(LabelListView& list, int row)
{
    uitest::ClickRow(list, row);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    uitest::ClickRow(list, row);
    LabelEdit* edit = nullptr;
    (void)QTest::qWaitFor([&] { return (edit = list.findChild<LabelEdit*>(QStringLiteral("labelEdit"))); },
                          QApplication::doubleClickInterval() * 3);
    return edit;
}

}  // namespace

class ViewInputTest : public QObject {
    Q_OBJECT

private slots:
    void clickedCategoryListsItsOwnPlugins();
    void barsFollowTheSheet();
    void barsKeepTheirPlaceAfterFind();
    void informationBarFollowsDescriptionAndState();
    void signedFilesAreAskedAbout();
    void fileMatesAreCountedInASmallBox();
    void slowSecondClickEditsTheLabel();
    void editorShowsTheRoomAndSaysWhenFull();
    void roomIsReadWhenAnEditStartsNotOnHover();
    void categoryCommandsAskFirst();
    void launchBarAndClassSelectorFromTheKeyboard();
    void captionNamesTheProgramOnce();
    void emptyListSaysWhatToDoNext();
};

void ViewInputTest::clickedCategoryListsItsOwnPlugins()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    const int rows = view.categoryModel()->rowCount();
    QVERIFY(rows >= 3);
    // Every category in turn, from the last up, so that each click changes it.
    for (int row = rows - 1; row >= 0; --row) {
        uitest::ClickRow(*view.categoryList(), row);
        const CPluginEntry* category = view.categoryModel()->entryAt(row);
        QVERIFY(category);
        QCOMPARE(view.currentCategory(), category);
        QCOMPARE(uitest::RowTexts(*view.pluginModel()), ExpectedPlugins(program.Session(), *category));
        QCOMPARE(view.indicatorTexts().at(1), QStringLiteral("Plugins: %1").arg(view.pluginModel()->rowCount()));
        // The selected plug-in, and so the commands, belong to that category.
        const CPluginEntry* single = view.singlePlugin();
        QVERIFY(single);
        QCOMPARE(single->m_category, category->m_category);
    }
}

void ViewInputTest::barsFollowTheSheet()
{
    auto sample = uitest::FourFileCollection();
    // Alpha One (first of pipl_three.8bf) has two pictures, 41 and 21 wide.
    const fs::path images = sample->DataDir() / "images.db";
    WriteImage(images / "8BFM_PIPL_THREE_00_000.JPG", 41, 41);
    WriteImage(images / "8BFM_PIPL_THREE_00_001.JPG", 21, 21);
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(program.SelectPlugins({QStringLiteral("Alpha One")}));
    QCOMPARE(program.view().singlePlugin()->ImageBaseName(), std::string("8BFM_PIPL_THREE_00"));
    auto* bar = program.Frame().findChild<PreviewBar*>();
    QCOMPARE(bar->counterText(), QStringLiteral("1/2"));
    QCOMPARE(bar->previewWindow()->image().size(), QSize(41, 41));

    // The sheet deletes the first picture: the bar shows what is left.
    PluginDetailSheet* sheet = uitest::openDetails(program, QStringLiteral("Alpha One"));
    QVERIFY(sheet);
    auto* page = sheet->findChild<PluginFixedPreviewProp*>(QStringLiteral("fixedPreviewPage"));
    QVERIFY(page);
    uitest::ClickWidget(page->findChild<QPushButton*>(QStringLiteral("deleteButton")));
    QMessageBox* question = uitest::WaitForBox(QStringLiteral("deleteQuestion"));
    QVERIFY(question);
    uitest::ClickWidget(question->button(QMessageBox::Yes));
    QTRY_COMPARE(bar->counterText(), QStringLiteral("1/1"));
    QCOMPARE(bar->previewWindow()->image().size(), QSize(21, 21));

    // A pasted picture: the bar counts it and stays where it was.
    QImage pasted(51, 51, QImage::Format_RGB888);
    pasted.fill(Qt::darkGreen);
    QApplication::clipboard()->setImage(pasted);
    QTRY_VERIFY(page->findChild<QPushButton*>(QStringLiteral("pasteButton"))->isEnabled());
    uitest::ClickWidget(page->findChild<QPushButton*>(QStringLiteral("pasteButton")));
    QCOMPARE(page->images().GetCount(), 2);
    QCOMPARE(bar->counterText(), QStringLiteral("1/2"));
    QCOMPARE(bar->previewWindow()->image().size(), QSize(21, 21));
    uitest::ClickOk(sheet);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    uitest::ClickWidget(bar->findChild<QToolButton*>(QStringLiteral("nextButton")));
    QCOMPARE(bar->counterText(), QStringLiteral("2/2"));
    QCOMPARE(bar->previewWindow()->image().size(), QSize(51, 51));
}

void ViewInputTest::barsKeepTheirPlaceAfterFind()
{
    auto sample = uitest::FourFileCollection();
    const fs::path images = sample->DataDir() / "images.db";
    WriteImage(images / "8BFM_PIPL_THREE_00_000.JPG", 41, 41);
    WriteImage(images / "8BFM_PIPL_THREE_00_001.JPG", 21, 21);
    WriteImage(images / "8BFM_PIPL_SINGLE_00_000.JPG", 31, 31);
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(program.SelectPlugins({QStringLiteral("Alpha One")}));
    auto* bar = program.Frame().findChild<PreviewBar*>();
    QCOMPARE(bar->counterText(), QStringLiteral("1/2"));

    // Find shows another plug-in's picture in its own preview.
    QTest::keyClick(program.view().pluginList(), Qt::Key_F, Qt::ControlModifier);
    auto* find = qobject_cast<FindDialog*>(QApplication::activeModalWidget());
    QVERIFY(find);
    auto* keyword = find->findChild<QLineEdit*>(QStringLiteral("keywordEdit"));
    keyword->setFocus();
    QTest::keyClicks(keyword, QStringLiteral("soft"));
    QTest::keyClick(keyword, Qt::Key_Return);
    QTRY_VERIFY(!find->isSearching());
    auto* hits = find->findChild<QTreeView*>(QStringLiteral("resultList"));
    QCOMPARE(hits->model()->rowCount(), 1);
    uitest::ClickRow(*hits, 0);
    QCOMPARE(find->findChild<CPreviewWnd*>(QStringLiteral("previewWindow"))->image().size(), QSize(31, 31));
    QTest::keyClick(find, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activeModalWidget());

    // The bar still pages through its own plug-in's pictures.
    QCOMPARE(bar->counterText(), QStringLiteral("1/2"));
    uitest::ClickWidget(bar->findChild<QToolButton*>(QStringLiteral("nextButton")));
    QCOMPARE(bar->counterText(), QStringLiteral("2/2"));
    QCOMPARE(bar->previewWindow()->image().size(), QSize(21, 21));
}

void ViewInputTest::informationBarFollowsDescriptionAndState()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Vardel Test")));
    QVERIFY(program.SelectPlugins({QStringLiteral("Soft Glow")}));
    const QString file = QString::fromStdString((sample->PluginDir() / "pipl_single.8bf").string());
    QCOMPARE(InformationText(program.Frame()), QStringLiteral("|") + file);

    // A description typed into the sheet and confirmed with OK.
    PluginDetailSheet* sheet = uitest::openDetails(program, QStringLiteral("Soft Glow"));
    QVERIFY(sheet);
    auto* description = sheet->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"));
    uitest::ClickWidget(description);
    QTest::keyClicks(description, QStringLiteral("A warm glow"));
    uitest::ClickOk(sheet);
    QTRY_COMPARE(InformationText(program.Frame()), QStringLiteral("A warm glow|") + file);

    // Disabled: the file has its new name.
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Disable));
    QTRY_VERIFY(fs::exists(sample->PluginDir() / "pipl_single_8bf"));
    QCOMPARE(InformationText(program.Frame()),
             QStringLiteral("A warm glow|") +
                 QString::fromStdString((sample->PluginDir() / "pipl_single_8bf").string()));
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Enable));
    QTRY_COMPARE(InformationText(program.Frame()), QStringLiteral("A warm glow|") + file);
}

void ViewInputTest::signedFilesAreAskedAbout()
{
    SampleData sample({"signed.8bf"});
    sample.AddDirectory("Signed", sample.PluginDir());
    const fs::path file = sample.PluginDir() / "signed.8bf";
    const auto before = test::readFile(file);
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectPlugins({QStringLiteral("Soft Glow")}));

    // Disable: the question comes first; No leaves the file alone.
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Disable));
    QMessageBox* box = uitest::WaitForBox(QStringLiteral("signedWarningBox"));
    QVERIFY(box);
    QCOMPARE(box->detailedText(), QString::fromStdString(file.string()));
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
    uitest::ClickWidget(box->button(QMessageBox::No));
    QVERIFY(fs::exists(file));

    // Rename by F2: No again, the bytes stay as they were.
    QTest::keyClick(program.view().pluginList(), Qt::Key_F2);
    auto* edit = program.view().pluginList()->findChild<LabelEdit*>(QStringLiteral("labelEdit"));
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Warm Glow"));
    QTest::keyClick(edit, Qt::Key_Return);
    box = uitest::WaitForBox(QStringLiteral("signedWarningBox"));
    QVERIFY(box);
    uitest::ClickWidget(box->button(QMessageBox::No));
    QCOMPARE(test::readFile(file), before);

    // Yes: the file is disabled.
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Disable));
    box = uitest::WaitForBox(QStringLiteral("signedWarningBox"));
    QVERIFY(box);
    uitest::ClickWidget(box->button(QMessageBox::Yes));
    QTRY_VERIFY(fs::exists(sample.PluginDir() / "signed_8bf"));
}

void ViewInputTest::fileMatesAreCountedInASmallBox()
{
    SampleData sample({"pipl_many.8bf"});
    sample.AddDirectory("Many", sample.PluginDir());
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Many Cat")));
    QCOMPARE(program.view().pluginModel()->rowCount(), 60);
    QVERIFY(program.SelectPlugins({QStringLiteral("Many 00")}));
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Disable));
    QMessageBox* box = uitest::WaitForBox(QStringLiteral("sharedFileQuestion"));
    QVERIFY(box);
    QVERIFY(box->text().contains(QStringLiteral("59 other plug-in(s)")));
    QCOMPARE(box->detailedText().split(QLatin1Char('\n')).size(), 59);
    // Never taller than the screen, however many plug-ins there are.
    const int screen = box->screen()->availableGeometry().height();
    QVERIFY2(box->height() <= screen && box->sizeHint().height() <= screen,
             qPrintable(QStringLiteral("%1 > %2").arg(box->height()).arg(screen)));
    QVERIFY(box->button(QMessageBox::Ok)->isVisible());
    uitest::ClickWidget(box->button(QMessageBox::Ok));
    QTRY_VERIFY(fs::exists(sample.PluginDir() / "pipl_many_8bf"));
    QCOMPARE(program.view().indicatorTexts().at(2), QStringLiteral("Enabled: 0"));
}

void ViewInputTest::slowSecondClickEditsTheLabel()
{
    auto sample = uitest::FourFileCollection();
    const fs::path file = sample->PluginDir() / "pipl_three.8bf";
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    CVardelView& view = program.view();
    const int beta = uitest::RowTexts(*view.pluginModel()).indexOf(QStringLiteral("Beta Two"));
    LabelEdit* edit = SlowClickEdit(*view.pluginList(), beta);
    QVERIFY(edit);
    QCOMPARE(edit->text(), QStringLiteral("Beta Two"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Beta New"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(uitest::FileHolds(file, "Beta New"));
    QVERIFY(uitest::RowTexts(*view.pluginModel()).contains(QStringLiteral("Beta New")));

    // A quick double click opens the plug-in instead; Ctrl-click only selects.
    uitest::ClickRow(*view.pluginList(), 0, Qt::ControlModifier);
    QTest::qWait(QApplication::doubleClickInterval() * 2);
    QVERIFY(!view.pluginList()->findChild<LabelEdit*>(QStringLiteral("labelEdit")));

    // The category list takes the same slow click.
    const int shared = uitest::RowTexts(*view.categoryModel()).indexOf(QStringLiteral("Shared Cat"));
    edit = SlowClickEdit(*view.categoryList(), shared);
    QVERIFY(edit);
    QCOMPARE(edit->text(), QStringLiteral("Shared Cat"));
    QTest::keyClick(edit, Qt::Key_Escape);
}

void ViewInputTest::editorShowsTheRoomAndSaysWhenFull()
{
    auto sample = uitest::FourFileCollection();
    const fs::path file = sample->PluginDir() / "pipl_three.8bf";
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(program.SelectPlugins({QStringLiteral("Alpha One")}));
    CVardelView& view = program.view();
    const int room = view.pluginModel()->index(0).data(PluginListModel::LimitRole).toInt();
    QVERIFY(room >= 9);
    QTest::keyClick(view.pluginList(), Qt::Key_F2);
    auto* edit = view.pluginList()->findChild<LabelEdit*>(QStringLiteral("labelEdit"));
    QVERIFY(edit);
    auto* counter = edit->findChild<QLabel*>(QStringLiteral("labelRoom"));
    QVERIFY(counter && counter->isVisible());
    QCOMPARE(counter->text(), QStringLiteral("9/%1").arg(room));
    QVERIFY(edit->toolTip().contains(QString::number(room)));
    QVERIFY(edit->fullMessage().isEmpty());
    // Typing past the room: the box says so, and keeps what fits.
    edit->selectAll();
    const QString typed = QStringLiteral("Texture Studio Extra Long");
    QTest::keyClicks(edit, typed);
    QCOMPARE(counter->text(), QStringLiteral("%1/%1").arg(room));
    QVERIFY(edit->isFull());
    QVERIFY(edit->fullMessage().contains(QString::number(room)));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(uitest::FileHolds(file, typed.left(room).toStdString()));
}

// Hovering the lists says the texts; the room they have in the plug-in
// files, which for a category means reading every file of it, is read when
// an edit starts and said from then on.
void ViewInputTest::roomIsReadWhenAnEditStartsNotOnHover()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    LabelListView& categories = *view.categoryList();
    QStatusBar* bar = program.Frame().statusBar();
    const int other = uitest::RowTexts(*view.categoryModel()).indexOf(QStringLiteral("Other Cat"));
    const int shared = uitest::RowTexts(*view.categoryModel()).indexOf(QStringLiteral("Shared Cat"));
    QVERIFY(other >= 0 && shared >= 0);
    // The pointer moved over a row (no button held), as the mouse reports it.
    auto hover = [&](QAbstractItemView& list, int row) {
        const QPoint at = uitest::RowCentre(list, row);
        QMouseEvent move(QEvent::MouseMove, at, list.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &move);
        return bar->currentMessage();
    };
    uitest::ClickRow(categories, other);
    QCOMPARE(hover(categories, shared), QStringLiteral("Shared Cat"));
    QCOMPARE(hover(categories, other), QStringLiteral("Other Cat"));
    QCOMPARE(view.categoryModel()->knownLimit(other), -1);
    // Choosing a category, by click or by key, neither reads its room nor
    // opens its edit a moment later.
    QTest::keyClick(&categories, other > shared ? Qt::Key_Up : Qt::Key_Down);
    uitest::ClickRow(categories, other);
    QTest::qWait(QApplication::doubleClickInterval() + 300);
    QVERIFY(!categories.findChild<LabelEdit*>(QStringLiteral("labelEdit")));
    QCOMPARE(view.categoryModel()->knownLimit(other), -1);
    // The plug-in list too: its tips name the file only.
    QVERIFY(!hover(*view.pluginList(), 0).contains(QStringLiteral("up to")));

    QTest::keyClick(&categories, Qt::Key_F2);
    LabelEdit* edit = nullptr;
    QTRY_VERIFY((edit = categories.findChild<LabelEdit*>(QStringLiteral("labelEdit"))));
    QCOMPARE(edit->maxLength(), 9);
    QTest::keyClick(edit, Qt::Key_Escape);
    QTRY_VERIFY(!categories.findChild<LabelEdit*>(QStringLiteral("labelEdit")));
    QCOMPARE(hover(categories, shared), QStringLiteral("Shared Cat"));
    QCOMPARE(hover(categories, other), QStringLiteral("Other Cat: up to 9 characters"));
}

void ViewInputTest::categoryCommandsAskFirst()
{
    auto sample = uitest::FourFileCollection();
    const fs::path file = sample->PluginDir() / "pipl_three.8bf";
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    const int shared = uitest::RowTexts(*view.categoryModel()).indexOf(QStringLiteral("Shared Cat"));

    // Disable from the category's context menu: asked first, No changes nothing.
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        uitest::RightClickRow(*view.categoryList(), shared);
        QMenu* menu = uitest::OpenPopupMenu();
        QVERIFY(menu);
        uitest::ClickMenuItem(menu, view.action(CVardelView::CategoryDisable));
        QMessageBox* box = uitest::WaitForBox(QStringLiteral("categoryQuestion"));
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Disable every plug-in of the category \"Shared Cat\"?"));
        // The file holds Gamma Three of "Other Cat" too: it is said.
        QCOMPARE(box->informativeText(), QStringLiteral("1 plug-in file(s) will be renamed. They also hold 1 "
                                                        "plug-in(s) of other categories, disabled with them."));
        uitest::ClickWidget(box->button(answer));
        QTRY_VERIFY(!box->isVisible());
        QCOMPARE(fs::exists(file), answer == QMessageBox::No);
    }
    QTRY_VERIFY(fs::exists(sample->PluginDir() / "pipl_three_8bf"));
}

void ViewInputTest::launchBarAndClassSelectorFromTheKeyboard()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CMainFrame& frame = program.Frame();
    auto* bar = frame.findChild<LaunchBar*>();
    QVERIFY(bar);
    // F6 walks the panes: category list, plug-in list, preview, information,
    // launch bar.
    program.view().categoryList()->setFocus();
    for (int i = 0; i < 6 && !bar->isAncestorOf(uitest::FocusWidget()); ++i)
        uitest::PressKey(Qt::Key_F6);
    QCOMPARE(uitest::FocusWidget(), bar->button(0));
    uitest::PressKey(Qt::Key_Right);
    QCOMPARE(uitest::FocusWidget(), bar->button(1));
    uitest::PressKey(Qt::Key_Left);
    uitest::PressKey(Qt::Key_Left);
    QCOMPARE(uitest::FocusWidget(), bar->button(LaunchBar::kSlots - 1));
    // Enter on an empty slot asks for an application.
    uitest::PressKey(Qt::Key_Return);
    QTRY_VERIFY(frame.findChild<LaunchBarEntryDialog*>());
    frame.findChild<LaunchBarEntryDialog*>()->reject();

    // The class selector opens its menu with the Down key, as a drop-down does.
    auto* selector = frame.findChild<ClassSelector*>(QStringLiteral("classSelector"));
    selector->setFocus();
    uitest::PressKey(Qt::Key_Down);
    QMenu* menu = uitest::OpenPopupMenu();
    QVERIFY(menu);
    QCOMPARE(menu, selector->classMenu());
    menu->close();
}

void ViewInputTest::captionNamesTheProgramOnce()
{
    setApplicationIdentity();
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    // The title ends with the name the desktop would add: it adds nothing.
    QCOMPARE(program.Frame().windowTitle(), QStringLiteral("Test plug-ins - Vardel 2.0"));
    QVERIFY(program.Frame().windowTitle().endsWith(QGuiApplication::applicationDisplayName()));
}

void ViewInputTest::emptyListSaysWhatToDoNext()
{
    SampleData sample({"text.8bf"});
    {
        Program program(sample);
        program.Frame().show();
        QCOMPARE(program.view().categoryList()->emptyText(),
                 QStringLiteral("No plug-in directory yet: File > Setup... adds one."));
    }
    sample.AddDirectory("Nothing here", sample.PluginDir());
    Program program(sample);
    QCOMPARE(program.view().categoryList()->emptyText(),
             QStringLiteral("Choose a plug-in directory from Plugin > Directory (F4)."));
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));
    QTest::keyClick(&program.Frame(), Qt::Key_F4);
    QMenu* menu = uitest::OpenPopupMenu();
    QVERIFY(menu);
    uitest::ClickMenuItem(menu, menu->actions().first());
    program.Adapter().waitForScan();
    QTRY_COMPARE(program.view().categoryList()->emptyText(),
                 QStringLiteral("No plug-ins were found in this directory."));
}

QTEST_MAIN(ViewInputTest)
#include "ViewInputTest.moc"
