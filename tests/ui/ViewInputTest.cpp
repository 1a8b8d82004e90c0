// The main view as a person drives it: categories and plug-ins clicked with
// the mouse, labels edited by a slow second click and typed into, the
// questions asked before files change, all through mouse and key events.

#include "UiTestSupport.h"

#include "app/Session.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/CategoryListModel.h"
#include "catalogue/LabelListView.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginListModel.h"
#include "catalogue/VardelView.h"
#include "mainwindow/MainFrame.h"
#include "mainwindow/StatusPanes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

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

std::unique_ptr<SampleData> CategorySample()
{
    auto sample = std::make_unique<SampleData>(
        std::vector<std::string>{"pipl_three.8bf", "pipl_nocat.8bf", "pipl_single.8bf", "ff_filter.8bf"});
    sample->AddDirectory("Test plug-ins", sample->PluginDir());
    return sample;
}

}  // namespace

class ViewInputTest : public QObject {
    Q_OBJECT

private slots:
    void clickedCategoryListsItsOwnPlugins();
};

void ViewInputTest::clickedCategoryListsItsOwnPlugins()
{
    auto sample = CategorySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.View();
    const int rows = view.CategoryModel()->rowCount();
    QVERIFY(rows >= 3);
    // Every category in turn, from the last up, so that each click changes it.
    for (int row = rows - 1; row >= 0; --row) {
        uitest::ClickRow(*view.CategoryList(), row);
        const CPluginEntry* category = view.CategoryModel()->EntryAt(row);
        QVERIFY(category);
        QCOMPARE(view.CurrentCategory(), category);
        QCOMPARE(uitest::RowTexts(*view.PluginModel()), ExpectedPlugins(program.Session(), *category));
        QCOMPARE(view.IndicatorTexts().at(1), QStringLiteral("Plugins: %1").arg(view.PluginModel()->rowCount()));
        // The selected plug-in, and so the commands, belong to that category.
        const CPluginEntry* single = view.SinglePlugin();
        QVERIFY(single);
        QCOMPARE(single->m_category, category->m_category);
    }
}

QTEST_MAIN(ViewInputTest)
#include "ViewInputTest.moc"
