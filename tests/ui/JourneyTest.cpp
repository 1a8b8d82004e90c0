// Whole user tasks, from the start of the program to a result on disk or on
// screen, driven only by the mouse and key events a person makes. The same
// journeys run once more against the real program with real X input
// (tests/journeys). Dragging plug-ins onto a category needs a platform that
// drags and lives in DragDropTest.

#include "UiTestSupport.h"

#include "app/LaunchBarEntry.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/common/IconButton.h"
#include "ui/dialogs/DirectoryDialog.h"
#include "ui/dialogs/LaunchBarEntryDialog.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/docks/InformationBar.h"
#include "ui/docks/LaunchBar.h"
#include "ui/find/FindDialog.h"
#include "ui/mainwindow/HistoryActions.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/preview/FilterPreview.h"
#include "ui/preview/PreviewBar.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/properties/PluginFixedPreviewProp.h"
#include "ui/properties/PluginPreviewProp.h"
#include "ui/session/SessionAdapter.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <filesystem>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;
using vardel::uitest::SampleData;
namespace fs = std::filesystem;

namespace {

// A menu of the menu bar opened with Alt and its mnemonic.
QMenu* OpenMenuBarMenu(CMainFrame& frame, Qt::Key mnemonic)
{
    QTest::keyClick(&frame, mnemonic, Qt::AltModifier);
    return uitest::OpenPopupMenu();
}

QAction* ActionNamed(QMenu* menu, const char* name)
{
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

// Renames a plug-in of the list on show by a slow second click on it,
// typing the new name and Enter.
void RenameBySlowClick(Program& program, const QString& from, const QString& to)
{
    LabelListView& list = *program.view().pluginList();
    const int row = uitest::RowTexts(*program.view().pluginModel()).indexOf(from);
    uitest::ClickRow(list, row);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    uitest::ClickRow(list, row);
    QTRY_VERIFY(list.findChild<QLineEdit*>(QStringLiteral("labelEdit")));
    auto* edit = list.findChild<QLineEdit*>(QStringLiteral("labelEdit"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, to);
    QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

class JourneyTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartToAFirstDirectory();
    void chooseDirectoryAndCategory();
    void renameBySlowClickSurvivesARestart();
    void disableACategoryAfterTheQuestion();
    void findByEnterAndOpenTheHit();
    void moveASliderOfTheLivePreview();
    void pasteAPreviewImageAndDescribeIt();
    void restartFindsEverythingAsLeft();
    void addAnApplicationToTheLaunchBarByKeyboard();
    void moveAPluginWithTheEnterCategoryDialog();
    void renameAndTakeItBackWithCtrlZ();
};

void JourneyTest::firstStartToAFirstDirectory()
{
    SampleData sample({"pipl_three.8bf"});
    Program program(sample);
    CMainFrame& frame = program.Frame();
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QCOMPARE(program.view().categoryList()->emptyText(),
             QStringLiteral("No plug-in directory yet: File > Setup... adds one."));

    // File > Setup... > Add...: a label, the directory, OK, OK.
    QMenu* file = OpenMenuBarMenu(frame, Qt::Key_F);
    QVERIFY(file);
    uitest::ClickMenuItem(file, ActionNamed(file, "setupAction"));
    auto* setup = frame.findChild<SetupDialog*>();
    QVERIFY(setup && setup->isVisible());
    uitest::ClickWidget(setup->findChild<QPushButton*>(QStringLiteral("addButton")));
    auto* directory = setup->findChild<DirectoryDialog*>();
    QVERIFY(directory && directory->isVisible());
    QTest::keyClicks(directory->findChild<QLineEdit*>(QStringLiteral("labelEdit")), QStringLiteral("My Filters"));
    QTest::keyClicks(directory->findChild<QLineEdit*>(QStringLiteral("directoryEdit")),
                     QString::fromStdString(sample.PluginDir().string()));
    uitest::ClickOk(directory);
    QTRY_VERIFY(!setup->findChild<DirectoryDialog*>());
    uitest::ClickOk(setup);
    QTRY_VERIFY(!frame.findChild<SetupDialog*>());

    // Stored, offered in the Directory menu, and the hint says what is next.
    // The list reaches the disk through the background saves.
    DirectoryList stored;
    QTRY_VERIFY(LoadDirectoryList(DataDirectory{sample.DataDir()}, stored) && stored.size() == 1);
    QCOMPARE(stored.size(), std::size_t(1));
    QCOMPARE(stored.front()->m_label, std::string("My Filters"));
    QCOMPARE(program.view().categoryList()->emptyText(),
             QStringLiteral("Choose a plug-in directory from Plugin > Directory (F4)."));
    QVERIFY(program.SelectDirectory(0));
    QCOMPARE(frame.windowTitle(), QStringLiteral("My Filters - Vardel 2.0"));
}

void JourneyTest::chooseDirectoryAndCategory()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    QCOMPARE(uitest::RowTexts(*view.categoryModel()),
             (QStringList{"(no category)", "FF Cat", "Other Cat", "Shared Cat", "Vardel Test"}));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QCOMPARE(uitest::RowTexts(*view.pluginModel()), (QStringList{"Alpha One", "Beta Two"}));
    QCOMPARE(view.indicatorTexts(), (QStringList{"Categories: 5", "Plugins: 2", "Enabled: 2", "Selected: 1"}));
    // The bars show the plug-in clicked.
    QVERIFY(program.SelectPlugins({QStringLiteral("Beta Two")}));
    QCOMPARE(program.Frame().findChild<InformationBar*>()->filename(),
             QString::fromStdString((sample->PluginDir() / "pipl_three.8bf").string()));
}

void JourneyTest::renameBySlowClickSurvivesARestart()
{
    auto sample = uitest::FourFileCollection();
    const fs::path file = sample->PluginDir() / "pipl_three.8bf";
    {
        Program program(*sample);
        QVERIFY(program.SelectDirectory(0));
        QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
        RenameBySlowClick(program, QStringLiteral("Beta Two"), QStringLiteral("Beta Neu"));
        QTRY_VERIFY(uitest::FileHolds(file, "Beta Neu"));
        program.Close();
    }
    Program again(*sample);
    QVERIFY(again.SelectDirectory(0));
    QVERIFY(again.SelectCategory(QStringLiteral("Shared Cat")));
    QCOMPARE(uitest::RowTexts(*again.view().pluginModel()), (QStringList{"Alpha One", "Beta Neu"}));
}

void JourneyTest::disableACategoryAfterTheQuestion()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    const int row = uitest::RowTexts(*view.categoryModel()).indexOf(QStringLiteral("Vardel Test"));
    uitest::RightClickRow(*view.categoryList(), row);
    QMenu* menu = uitest::OpenPopupMenu();
    QVERIFY(menu);
    uitest::ClickMenuItem(menu, view.action(CVardelView::CategoryDisable));
    QMessageBox* question = uitest::WaitForBox(QStringLiteral("categoryQuestion"));
    QVERIFY(question);
    QVERIFY(fs::exists(sample->PluginDir() / "pipl_single.8bf"));
    uitest::ClickWidget(question->button(QMessageBox::Yes));
    QTRY_VERIFY(fs::exists(sample->PluginDir() / "pipl_single_8bf"));
    QVERIFY(!fs::exists(sample->PluginDir() / "pipl_single.8bf"));
    QCOMPARE(view.indicatorTexts().at(2), QStringLiteral("Enabled: 0"));
}

void JourneyTest::findByEnterAndOpenTheHit()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QTest::keyClick(program.view().pluginList(), Qt::Key_F, Qt::ControlModifier);
    auto* find = qobject_cast<FindDialog*>(QApplication::activeModalWidget());
    QVERIFY(find);
    auto* keyword = find->findChild<QLineEdit*>(QStringLiteral("keywordEdit"));
    uitest::ClickWidget(keyword);
    QTest::keyClicks(keyword, QStringLiteral("gamma"));
    QTest::keyClick(keyword, Qt::Key_Return);
    QTRY_VERIFY(!find->isSearching());
    auto* hits = find->findChild<QTreeView*>(QStringLiteral("resultList"));
    QCOMPARE(hits->model()->rowCount(), 1);
    QCOMPARE(hits->model()->index(0, 1).data().toString(), QStringLiteral("Other Cat"));
    uitest::DoubleClickRow(*hits, 0);
    auto* sheet = qobject_cast<PluginDetailSheet*>(QApplication::activeModalWidget());
    QVERIFY(sheet);
    QCOMPARE(sheet->entry().m_name, std::string("Gamma Three"));
    QTest::keyClick(sheet, Qt::Key_Escape);
    QTRY_COMPARE(QApplication::activeModalWidget(), find);
    QTest::keyClick(find, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

void JourneyTest::moveASliderOfTheLivePreview()
{
    auto sample = uitest::FourFileCollection();
    const fs::path file = sample->PluginDir() / "ff_filter.8bf";
    const auto before = test::readFile(file);
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("FF Cat")));
    PluginDetailSheet* sheet = uitest::openDetails(program, QStringLiteral("FF Ripple"));
    QVERIFY(sheet);
    auto* page = sheet->findChild<PluginPreviewProp*>(QStringLiteral("previewPage"));
    QVERIFY(page && page->isVisible());
    QTRY_VERIFY(!page->preview()->isRendering());
    const int shown = page->preview()->shownUpdates();
    auto* slider = page->findChild<QSlider*>(QStringLiteral("slider0"));
    QVERIFY(slider && slider->isEnabled());
    const int value = slider->value();
    uitest::ClickWidget(slider);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_PageUp);
    QVERIFY(slider->value() != value);
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("sliderValue0"))->text(), QString::number(slider->value()));
    // A new rendering with the new value.
    QTRY_VERIFY(!page->preview()->isRendering() && page->preview()->shownUpdates() > shown);
    uitest::ClickOk(sheet);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // The sliders are the preview's: the plug-in file stays as it was.
    QCOMPARE(test::readFile(file), before);
}

void JourneyTest::pasteAPreviewImageAndDescribeIt()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Vardel Test")));
    PluginDetailSheet* sheet = uitest::openDetails(program, QStringLiteral("Soft Glow"));
    QVERIFY(sheet);
    auto* page = sheet->findChild<PluginFixedPreviewProp*>(QStringLiteral("fixedPreviewPage"));
    QVERIFY(page);
    QImage picture(64, 48, QImage::Format_RGB888);
    picture.fill(Qt::darkCyan);
    QApplication::clipboard()->setImage(picture);
    QTRY_VERIFY(page->findChild<QPushButton*>(QStringLiteral("pasteButton"))->isEnabled());
    uitest::ClickWidget(page->findChild<QPushButton*>(QStringLiteral("pasteButton")));
    auto* description = page->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"));
    uitest::ClickWidget(description);
    QTest::keyClicks(description, QStringLiteral("Glows softly"));
    uitest::ClickOk(sheet);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(fs::exists(sample->DataDir() / "images.db" / "8BFM_PIPL_SINGLE_00_000.JPG"));
    auto* bar = program.Frame().findChild<PreviewBar*>();
    QCOMPARE(bar->counterText(), QStringLiteral("1/1"));
    QCOMPARE(bar->previewWindow()->image().size(), QSize(64, 48));
    QCOMPARE(program.Frame()
                 .findChild<InformationBar*>()
                 ->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"))
                 ->toPlainText(),
             QStringLiteral("Glows softly"));
}

void JourneyTest::restartFindsEverythingAsLeft()
{
    auto sample = uitest::FourFileCollection();
    {
        Program program(*sample);
        QVERIFY(program.SelectDirectory(0));
        QVERIFY(program.SelectCategory(QStringLiteral("Vardel Test")));
        PluginDetailSheet* sheet = uitest::openDetails(program, QStringLiteral("Soft Glow"));
        QVERIFY(sheet);
        auto* description = sheet->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"));
        uitest::ClickWidget(description);
        QTest::keyClicks(description, QStringLiteral("Kept"));
        uitest::ClickOk(sheet);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        // The information bar hidden from the View menu.
        QMenu* view = OpenMenuBarMenu(program.Frame(), Qt::Key_V);
        QVERIFY(view);
        uitest::ClickMenuItem(view, ActionNamed(view, "togglePreviewAction"));
        QTRY_VERIFY(!program.Frame().findChild<PreviewBar*>()->isVisible());
        program.Close();
    }
    Program again(*sample);
    QVERIFY(again.SelectDirectory(0));
    QVERIFY(again.SelectCategory(QStringLiteral("Vardel Test")));
    QVERIFY(again.SelectPlugins({QStringLiteral("Soft Glow")}));
    QCOMPARE(again.Frame()
                 .findChild<InformationBar*>()
                 ->findChild<QPlainTextEdit*>(QStringLiteral("descriptionEdit"))
                 ->toPlainText(),
             QStringLiteral("Kept"));
    QCOMPARE(again.Frame().windowTitle(), QStringLiteral("Test plug-ins - Vardel 2.0"));
    QVERIFY(!again.Frame().findChild<PreviewBar*>()->isVisible());
}

void JourneyTest::addAnApplicationToTheLaunchBarByKeyboard()
{
    auto sample = uitest::FourFileCollection();
    {
        Program program(*sample);
        QVERIFY(program.SelectDirectory(0));
        auto* bar = program.Frame().findChild<LaunchBar*>();
        program.view().categoryList()->setFocus();
        for (int i = 0; i < 6 && !bar->isAncestorOf(uitest::FocusWidget()); ++i)
            uitest::PressKey(Qt::Key_F6);
        QCOMPARE(uitest::FocusWidget(), bar->button(0));
        uitest::PressKey(Qt::Key_Return);
        QTRY_VERIFY(program.Frame().findChild<LaunchBarEntryDialog*>());
        auto* dialog = program.Frame().findChild<LaunchBarEntryDialog*>();
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("labelEdit")), QStringLiteral("Editor"));
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("commandEdit")), QStringLiteral("/bin/true"));
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("commandEdit")), Qt::Key_Return);
        QTRY_VERIFY(!program.Frame().findChild<LaunchBarEntryDialog*>());
        QCOMPARE(bar->button(0)->toolTip(), QStringLiteral("Editor"));
        program.Close();
    }
    LaunchBarList stored;
    QVERIFY(LoadLaunchBar(DataDirectory{sample->DataDir()}, stored));
    QVERIFY(!stored.empty());
    QCOMPARE(stored.front()->m_label, std::string("Editor"));
    QCOMPARE(stored.front()->m_command, std::string("/bin/true"));
}

void JourneyTest::moveAPluginWithTheEnterCategoryDialog()
{
    auto sample = uitest::FourFileCollection();
    const fs::path file = sample->PluginDir() / "pipl_three.8bf";
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(program.SelectPlugins({QStringLiteral("Alpha One")}));
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Move));
    // It opens once the room is read from the plug-in files.
    QDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())));
    auto* edit = dialog->findChild<QLineEdit*>();
    QVERIFY(edit);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, QStringLiteral("New Cat"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(uitest::FileHolds(file, "New Cat"));
    QTRY_VERIFY(uitest::RowTexts(*program.view().categoryModel()).contains(QStringLiteral("New Cat")));
}

QTEST_MAIN(JourneyTest)
#include "JourneyTest.moc"

void JourneyTest::renameAndTakeItBackWithCtrlZ()
{
    auto sample = uitest::FourFileCollection();
    const fs::path file = sample->PluginDir() / "pipl_three.8bf";
    const auto before = test::readFile(file);
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    RenameBySlowClick(program, QStringLiteral("Beta Two"), QStringLiteral("Beta Neu"));
    QTRY_VERIFY(uitest::FileHolds(file, "Beta Neu"));

    QTRY_VERIFY(program.Frame().history()->undoAction()->isEnabled());
    uitest::PressKey(Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(test::readFile(file), before);
    QTRY_VERIFY(!program.Frame().history()->isBusy());
    QVERIFY(uitest::RowTexts(*program.view().pluginModel()).contains(QStringLiteral("Beta Two")));
    QVERIFY(!program.Frame().history()->undoAction()->isEnabled());
    QVERIFY(program.Frame().history()->redoAction()->isEnabled());
}
