// Plug-ins dragged with the mouse onto a category: the list's own drag code
// and a real drop, on a platform that drags (xcb, under Xvfb).

#include "UiTestSupport.h"

#include "app/Session.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/mainwindow/MainFrame.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QTest>

#include <algorithm>
#include <filesystem>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;
using vardel::uitest::SampleData;
namespace fs = std::filesystem;

class DragDropTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void draggedPluginMovesToTheCategory();
    void draggedPluginWithoutRoomSaysWhy();
};

void DragDropTest::initTestCase()
{
    // Offscreen windows do not drag; the suite runs on an X server.
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

namespace {

int Occurrences(const fs::path& file, const std::string& text)
{
    const auto bytes = test::readFile(file);
    int n = 0;
    for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), text.begin(), text.end())) != bytes.end(); ++at)
        ++n;
    return n;
}

}  // namespace

void DragDropTest::draggedPluginMovesToTheCategory()
{
    SampleData sample({"pipl_three.8bf", "pipl_single.8bf"});
    sample.AddDirectory("Test plug-ins", sample.PluginDir());
    const fs::path file = sample.PluginDir() / "pipl_three.8bf";
    QCOMPARE(Occurrences(file, "Other Cat"), 1);
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    const int alpha = uitest::RowTexts(*view.pluginModel()).indexOf(QStringLiteral("Alpha One"));
    const int other = uitest::RowTexts(*view.categoryModel()).indexOf(QStringLiteral("Other Cat"));
    QVERIFY(uitest::DragRow(*view.pluginList(), alpha, *view.categoryList(), other));
    // Alpha One's category text in the file is now "Other Cat".
    QTRY_COMPARE(Occurrences(file, "Other Cat"), 2);
    QVERIFY(program.SelectCategory(QStringLiteral("Other Cat")));
    QCOMPARE(uitest::RowTexts(*view.pluginModel()),
             (QStringList{QStringLiteral("Alpha One"), QStringLiteral("Gamma Three")}));
}

void DragDropTest::draggedPluginWithoutRoomSaysWhy()
{
    SampleData sample({"pipl_three.8bf", "pipl_long.8bf"});
    sample.AddDirectory("Test plug-ins", sample.PluginDir());
    const auto before = test::readFile(sample.PluginDir() / "pipl_three.8bf");
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    // "Alpha One" has room for 10 characters of category; the long one has 60.
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    const int alpha = uitest::RowTexts(*view.pluginModel()).indexOf(QStringLiteral("Alpha One"));
    const int longCategory =
        uitest::RowTexts(*view.categoryModel())
            .indexOf(QStringLiteral("A Category With A Long Name ") + QString(32, QLatin1Char('y')));
    QVERIFY(longCategory >= 0);
    QVERIFY(uitest::DragRow(*view.pluginList(), alpha, *view.categoryList(), longCategory));
    QMessageBox* box = uitest::WaitForBox(QStringLiteral("messageBox"));
    QVERIFY(box);
    QVERIFY(box->text().contains(QStringLiteral("Alpha One")));
    uitest::ClickWidget(box->button(QMessageBox::Ok));
    QCOMPARE(test::readFile(sample.PluginDir() / "pipl_three.8bf"), before);
}

QTEST_MAIN(DragDropTest)
#include "DragDropTest.moc"
