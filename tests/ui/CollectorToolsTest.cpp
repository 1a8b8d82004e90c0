// The collectors' tools as a person uses them: "Duplicates..." across the
// directories, "Export Catalogue..." into a file, and the plug-in folders
// Setup finds on the machine, driven by mouse and keys.

#include "UiTestSupport.h"

#include "app/Session.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/dialogs/DuplicatesDialog.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/mainwindow/StatusPanes.h"
#include "ui/session/DiskFollower.h"
#include "ui/session/SessionAdapter.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/dialogs/DuplicatesDialog.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/session/DiskFollower.h"
#include "ui/session/SessionAdapter.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;
using vardel::uitest::SampleData;
namespace fs = std::filesystem;

namespace {

// Chooses an item of a menu of the menu bar, opened with Alt and its letter.
void ChooseFromMenu(CMainFrame& frame, Qt::Key mnemonic, const char* action)
{
    QVERIFY2(uitest::ChooseFromMenuBar(frame, mnemonic, action), action);
}

}  // namespace

class CollectorToolsTest : public QObject {
    Q_OBJECT

private slots:
    void duplicatesAreFoundDisabledAndShown();
    void exportWritesTheCatalogue();
    void setupOffersTheFoldersFoundAndAddsOne();
    void viewFollowsTheDisk();
};

void CollectorToolsTest::duplicatesAreFoundDisabledAndShown()
{
    // The same filter installed in two directories.
    SampleData sample({"pipl_single.8bf", "pipl_three.8bf"});
    const fs::path other = sample.Root() / "other";
    fs::create_directories(other);
    fs::copy_file(sample.PluginDir() / "pipl_single.8bf", other / "glow-copy.8bf");
    sample.AddDirectory("First", sample.PluginDir());
    sample.AddDirectory("Second", other);
    Program program(sample);
    QVERIFY(program.SelectDirectory(1));  // each catalogued once
    QVERIFY(program.SelectDirectory(0));

    ChooseFromMenu(program.Frame(), Qt::Key_P, "duplicatesAction");
    auto* dialog = program.Frame().findChild<DuplicatesDialog*>();
    QVERIFY(dialog);
    QTRY_VERIFY(!dialog->isSearching());
    QCOMPARE(dialog->groups().size(), std::size_t(2));  // the same file, and the same name
    auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("groupList"));
    QTreeWidgetItem* content = list->topLevelItem(0);
    QVERIFY(content->text(0).startsWith(QStringLiteral("Same content: 2 copies")));
    QCOMPARE(content->childCount(), 2);

    // The second copy ticked with the keyboard, then disabled.
    int copy = -1;
    for (int i = 0; i < content->childCount(); ++i)
        if (content->child(i)->text(0).endsWith(QStringLiteral("glow-copy.8bf")))
            copy = i;
    QVERIFY(copy >= 0);
    list->setFocus();
    const QModelIndex index = list->model()->index(copy, 0, list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(list->currentItem()->checkState(0), Qt::Checked);
    uitest::ClickWidget(dialog->findChild<QPushButton*>(QStringLiteral("disableButton")));
    QTRY_VERIFY(fs::exists(other / "glow-copy_8bf"));
    QTRY_VERIFY(!dialog->isSearching());
    QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("1 enabled"));

    // A double click on the copy in the second directory shows it there.
    content = list->topLevelItem(0);
    for (int i = 0; i < content->childCount(); ++i)
        if (content->child(i)->text(1) == QStringLiteral("Second"))
            copy = i;
    const QModelIndex second = list->model()->index(copy, 0, list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(second).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(second).center());
    program.Adapter().waitForScan();
    QTRY_COMPARE(program.Session().CurrentDirectoryIndex(), 1);
    const CPluginEntry* shown = program.view().singlePlugin();
    QVERIFY(shown);
    QCOMPARE(shown->m_name, std::string("Soft Glow"));
    QVERIFY(!shown->m_enabled);
}

void CollectorToolsTest::exportWritesTheCatalogue()
{
    auto sample = uitest::FourFileCollection();
    const fs::path target = sample->Root() / "collection.csv";
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    ChooseFromMenu(program.Frame(), Qt::Key_F, "exportAction");
    auto* dialog = program.Frame().findChild<QFileDialog*>(QStringLiteral("exportDialog"));
    QVERIFY(dialog && dialog->isVisible());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->selectAll();
    QTest::keyClicks(name, QString::fromStdString(target.string()));
    // The first Enter may only take the completer's offer.
    QTest::keyClick(name, Qt::Key_Return);
    if (dialog->isVisible())
        QTest::keyClick(name, Qt::Key_Return);
    QTRY_VERIFY(fs::exists(target));
    const auto bytes = test::readFile(target);
    const std::string text(bytes.begin(), bytes.end());
    QVERIFY(text.rfind("Name,Category,", 0) == 0);
    for (const char* plugin : {"Alpha One", "Gamma Three", "Soft Glow", "FF Ripple", "Plain Filter"})
        QVERIFY2(text.find(plugin) != std::string::npos, plugin);
    QTRY_VERIFY(
        program.Frame().findChild<QLabel*>(QStringLiteral("messagePane")) == nullptr ||
        program.Frame().findChild<QLabel*>(QStringLiteral("messagePane"))->text().contains(QStringLiteral("exported")));
}

void CollectorToolsTest::setupOffersTheFoldersFoundAndAddsOne()
{
    test::TempDir home;
    const fs::path folder = home / ".wine/drive_c/Program Files/Adobe/Photo Host 2024/Plug-ins";
    fs::create_directories(folder / "Effects");
    fs::copy_file(test::testPlugin("pipl_single.8bf"), folder / "Effects" / "glow.8bf");
    fs::copy_file(test::testPlugin("pipl_three.8bf"), folder / "three.8bf");
    SampleData sample;
    Program program(sample);
    SetupDialog dialog(program.Session(), &program.Frame(), QString::fromStdString(home.path().string()));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(!dialog.isLookingForFolders());
    auto* found = dialog.findChild<QTreeWidget*>(QStringLiteral("foundList"));
    QCOMPARE(found->topLevelItemCount(), 1);
    QCOMPARE(found->topLevelItem(0)->text(0), QStringLiteral("Photo Host 2024"));
    QCOMPARE(found->topLevelItem(0)->text(2), QStringLiteral("2"));
    auto* add = dialog.findChild<QPushButton*>(QStringLiteral("addFoundButton"));
    QVERIFY(!add->isEnabled());
    uitest::ClickRow(*found, 0);
    QVERIFY(add->isEnabled());
    uitest::ClickWidget(add);
    QCOMPARE(program.Session().Directories().size(), std::size_t(1));
    const CPluginDirEntry& entry = *program.Session().Directories().front();
    QCOMPARE(entry.m_label, std::string("Photo Host 2024"));
    QCOMPARE(fs::path(entry.m_directory), fs::canonical(folder));
    QCOMPARE(entry.m_includeSubdirectories, 1);
    // Found again, now marked as on the list and not offered.
    QTRY_VERIFY(!dialog.isLookingForFolders());
    QVERIFY(found->topLevelItem(0)->text(0).endsWith(QStringLiteral("(on the list)")));
    uitest::ClickRow(*found, 0);
    QVERIFY(!add->isEnabled());
}

namespace {

QStringList SelectedNames(CVardelView& view)
{
    QStringList names;
    for (const CPluginEntry* entry : view.selectedPlugins())
        names << QString::fromStdString(entry->m_name);
    return names;
}

int RowsNamed(CVardelView& view, const QString& name)
{
    return static_cast<int>(uitest::RowTexts(*view.pluginModel()).count(name));
}

}  // namespace

// Someone else adds, then removes, a plug-in file of the shown directory: the
// view follows, keeping the category and plug-ins the user chose, but never
// under an open dialog; what the program does itself is no reason to refresh.
void CollectorToolsTest::viewFollowsTheDisk()
{
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelView& view = program.view();
    DiskFollower* follower = program.Frame().follower();
    // It watches once it knows what the disk held after the scan.
    QTRY_VERIFY(!follower->watchedDirectories().isEmpty());
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(view.categoryList()->isIdle());
    QVERIFY(program.SelectPlugins({QStringLiteral("Beta Two")}));
    QSignalSpy scans(&program.Adapter(), &SessionAdapter::scanFinished);

    fs::copy_file(sample->PluginDir() / "pipl_single.8bf", sample->PluginDir() / "glow-copy.8bf");
    QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 1, 10000);
    QVERIFY(scans.at(0).at(0).toBool());
    QCOMPARE(view.currentCategory()->m_category, std::string("Shared Cat"));
    QCOMPARE(SelectedNames(view), QStringList{QStringLiteral("Beta Two")});
    QCOMPARE(program.Frame().findChild<QLabel*>(QStringLiteral("messagePane"))->text(),
             QStringLiteral("Plug-in files changed on disk: the catalogue was refreshed."));
    QVERIFY(program.SelectCategory(QStringLiteral("Vardel Test")));
    QCOMPARE(RowsNamed(view, QStringLiteral("Soft Glow")), 2);

    // The program's own change renames a file: the watcher sees it, the
    // follower looks and finds nothing new.
    QSignalSpy looks(follower, &DiskFollower::looked);
    uitest::ClickRow(*view.pluginList(), 0);
    uitest::ClickToolButton(program.Frame(), view.action(CVardelView::Disable));
    QTRY_VERIFY_WITH_TIMEOUT(looks.count() >= 1, 10000);
    QCOMPARE(scans.count(), 1);

    // With Find open nothing changes under it; once it is closed, the view follows.
    QTest::keyClick(view.pluginList(), Qt::Key_F, Qt::ControlModifier);
    QWidget* find = QApplication::activeModalWidget();
    QVERIFY(find);
    fs::remove(sample->PluginDir() / "glow-copy.8bf");
    QTest::qWait(DiskFollower::kGatherMs + DiskFollower::kRetryMs + 500);
    QCOMPARE(scans.count(), 1);
    QTest::keyClick(find, Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 2, 10000);
    QCOMPARE(view.currentCategory()->m_category, std::string("Vardel Test"));
    QCOMPARE(RowsNamed(view, QStringLiteral("Soft Glow")), 1);
}

QTEST_MAIN(CollectorToolsTest)
#include "CollectorToolsTest.moc"
