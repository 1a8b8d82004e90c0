// The whole program over a data directory with real plug-in files: choose
// the directory from the Directory menu, select a plug-in, rename it by
// editing its label, close the window, start again, and find the new name
// in the list and in the plug-in file.

#include "UiTestSupport.h"

#include "app/InstanceManager.h"
#include "app/Session.h"
#include "images/DIB.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/mainwindow/DirectoryMenu.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/session/SessionAdapter.h"

#include <QAction>
#include <QImage>
#include <QProcess>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <string>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;
using vardel::uitest::SampleData;

namespace {

// Edits the label of the selected plug-in with F2, typed text and Enter.
bool EditLabel(Program& program, const QString& typed)
{
    QTest::keyClick(program.view().pluginList(), Qt::Key_F2);
    auto* edit = program.view().pluginList()->findChild<QLineEdit*>(QStringLiteral("labelEdit"));
    if (!edit)
        return false;
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    return true;
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void renameSurvivesARestart();
    void categoryRenameByLabelEdit();
    void firstStartSetsUpTheDataDirectory();
    void mistypedDataDirectoryIsRefused();
    void secondInstanceEndsQuietly();
};

void EndToEndTest::renameSurvivesARestart()
{
    SampleData sample({"pipl_three.8bf"});
    sample.AddDirectory("Test plug-ins", sample.PluginDir());
    const auto file = sample.PluginDir() / "pipl_three.8bf";
    QVERIFY(uitest::FileHolds(file, "Alpha One"));
    {
        Program program(sample);
        program.Frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));

        // The Directory menu, as the user opens it from the Plugin menu.
        QMenu* menu = program.Frame().directories()->menu();
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Test plug-ins"));
        QTest::keyClick(&program.Frame(), Qt::Key_P, Qt::AltModifier);
        QMenu* plugin = uitest::OpenPopupMenu();
        QVERIFY(plugin);
        uitest::ClickMenuItem(plugin, menu->menuAction());
        QTRY_VERIFY(menu->isVisible());
        uitest::ClickMenuItem(menu, menu->actions().first());
        QTRY_VERIFY(!program.Adapter().isScanning());
        QTRY_COMPARE(program.Frame().windowTitle(), QStringLiteral("Test plug-ins - Vardel 2.0"));
        QCOMPARE(uitest::RowTexts(*program.view().categoryModel()),
                 (QStringList{QStringLiteral("Other Cat"), QStringLiteral("Shared Cat")}));

        QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
        QVERIFY(program.SelectPlugins({QStringLiteral("Alpha One")}));
        QVERIFY(program.view().action(CVardelView::Rename)->isEnabled());

        // Two characters are refused: nothing changes.
        QVERIFY(EditLabel(program, QStringLiteral("Ab")));
        QTest::qWait(50);
        QCOMPARE(uitest::RowTexts(*program.view().pluginModel()).first(), QStringLiteral("Alpha One"));
        QVERIFY(uitest::FileHolds(file, "Alpha One"));

        // The edit box takes at most the name's room (9 characters).
        QVERIFY(program.SelectPlugins({QStringLiteral("Alpha One")}));
        QVERIFY(EditLabel(program, QStringLiteral("Alpha Neuer Name")));
        QTRY_COMPARE(uitest::RowTexts(*program.view().pluginModel()).first(), QStringLiteral("Alpha Neu"));
        program.Close();
    }
    QVERIFY(uitest::FileHolds(file, "Alpha Neu"));
    QVERIFY(!uitest::FileHolds(file, "Alpha One"));

    Program again(sample);
    again.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&again.Frame()));
    QVERIFY(again.SelectDirectory(0));
    QVERIFY(again.SelectCategory(QStringLiteral("Shared Cat")));
    QCOMPARE(uitest::RowTexts(*again.view().pluginModel()),
             (QStringList{QStringLiteral("Alpha Neu"), QStringLiteral("Beta Two")}));
    QCOMPARE(again.Frame().statusBar()->findChild<QWidget*>(QStringLiteral("pluginsIndicator"))->property("text"),
             QVariant(QStringLiteral("Plugins: 2")));
}

void EndToEndTest::categoryRenameByLabelEdit()
{
    SampleData sample({"pipl_three.8bf"});
    sample.AddDirectory("Test plug-ins", sample.PluginDir());
    const auto file = sample.PluginDir() / "pipl_three.8bf";
    Program program(sample);
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Other Cat")));
    QTest::keyClick(program.view().categoryList(), Qt::Key_F2);
    // The edit opens once the room is read from the plug-in files.
    QLineEdit* edit = nullptr;
    QTRY_VERIFY((edit = program.view().categoryList()->findChild<QLineEdit*>(QStringLiteral("labelEdit"))));
    QCOMPARE(edit->maxLength(), 9);  // the room "Other Cat" has
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("New Cat"));
    QTest::keyClick(edit, Qt::Key_Return);
    QMessageBox* question = uitest::WaitForBox(QStringLiteral("categoryQuestion"));
    QVERIFY(question);
    QCOMPARE(question->informativeText(), QStringLiteral("1 plug-in file(s) will be rewritten."));
    uitest::ClickWidget(question->button(QMessageBox::Yes));
    QTRY_COMPARE(uitest::RowTexts(*program.view().categoryModel()),
                 (QStringList{QStringLiteral("New Cat"), QStringLiteral("Shared Cat")}));
    QCOMPARE(program.view().categoryList()->currentIndex().data().toString(), QStringLiteral("New Cat"));
    QCOMPARE(uitest::RowTexts(*program.view().pluginModel()), QStringList{QStringLiteral("Gamma Three")});
    QVERIFY(uitest::FileHolds(file, "New Cat"));
}

namespace {

QString Program_()
{
    return QString::fromStdString((test::binDir() / "vardel").string());
}

}  // namespace

void EndToEndTest::firstStartSetsUpTheDataDirectory()
{
    test::TempDir temp;
    // An empty directory named on the command line is set up.
    const auto data = temp / "new-data";
    std::filesystem::create_directories(data);
    const QString shot = QString::fromStdString((temp / "shot.png").string());
    QProcess vardel;
    vardel.start(Program_(),
                 {QStringLiteral("--data-dir"), QString::fromStdString(data.string()), QStringLiteral("--settings"),
                  QString::fromStdString((temp / "s.ini").string()), QStringLiteral("--screenshot"), shot});
    QVERIFY(vardel.waitForFinished(60000));
    QCOMPARE(vardel.exitCode(), 0);
    for (const char* sub : {"setup.db", "images.db", "preview"})
        QVERIFY2(std::filesystem::is_directory(data / sub), sub);
    COXDIB portrait;
    QVERIFY(portrait.Read(data / "preview" / "Portrait.bmp"));
    QCOMPARE(portrait.GetWidth(), 320);
    QCOMPARE(portrait.GetHeight(), 240);
    QCOMPARE(portrait.GetBitCount(), 24);
    QImage picture(shot);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > 300);
}

void EndToEndTest::mistypedDataDirectoryIsRefused()
{
    test::TempDir temp;
    const auto typo = temp / "no-such-data";
    QProcess vardel;
    vardel.start(Program_(), {QStringLiteral("--data-dir"), QString::fromStdString(typo.string()),
                              QStringLiteral("--settings"), QString::fromStdString((temp / "s.ini").string())});
    QVERIFY(vardel.waitForStarted());
    // It says so (on the terminal, and in a box nobody answers here) and
    // makes nothing.
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += vardel.readAllStandardError()).contains("does not exist"), 30000);
    vardel.kill();
    vardel.waitForFinished();
    QVERIFY(!std::filesystem::exists(typo));
}

void EndToEndTest::secondInstanceEndsQuietly()
{
    COXInstanceManager first;  // this test process is the running instance
    QVERIFY(first.GetInstanceCount() >= 1);
    test::TempDir temp;
    const auto data = temp / "data";
    const auto settings = temp / "s.ini";
    QProcess vardel;
    vardel.start(Program_(), {QStringLiteral("--data-dir"), QString::fromStdString(data.string()),
                              QStringLiteral("--settings"), QString::fromStdString(settings.string())});
    QVERIFY(vardel.waitForFinished(30000));
    QCOMPARE(vardel.exitStatus(), QProcess::NormalExit);
    QCOMPARE(vardel.exitCode(), 0);
    // Nothing was written: no data directory, no settings.
    QVERIFY(!std::filesystem::exists(data));
    QVERIFY(!std::filesystem::exists(settings));
}

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
