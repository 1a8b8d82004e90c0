// The main window: menus with their texts, mnemonics and accelerators, the
// toolbar and status bar, the Directory menu and its limit, command
// availability over selections, the class menu, "Enter Category", and the
// window placement that is not used when it lies off every screen.

#include "UiTestSupport.h"

#include "app/Session.h"
#include "app/Stores.h"
#include "catalogue/NonPluginCache.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginRestoreManager.h"
#include "ui/catalogue/CatalogueCommands.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/ClassSelector.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/dialogs/CategoryDialog.h"
#include "ui/mainwindow/DirectoryMenu.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/session/SessionAdapter.h"
#include "ui/settings/QtSettingsBackend.h"
#include "ui/translations/Translations.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QTabWidget>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QScopeGuard>

#include <filesystem>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;
using vardel::uitest::SampleData;

namespace {

QMenu* TopMenu(CMainFrame& frame, const QString& name)
{
    return frame.menuBar()->findChild<QMenu*>(name);
}

// "text|shortcut" of each item, "-" for a separator, ">text" for a submenu.
QStringList menuItems(QMenu* menu)
{
    QStringList items;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            items << QStringLiteral("-");
        else if (a->menu())
            items << QStringLiteral(">") + a->text();
        else
            items << a->text() + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText);
    }
    return items;
}

// A sample with three PiPL filters in two categories, a filter without a
// category and a read-only filter.
std::unique_ptr<SampleData> AvailabilitySample()
{
    auto sample =
        std::make_unique<SampleData>(std::vector<std::string>{"pipl_three.8bf", "pipl_nocat.8bf", "pipl_single.8bf"});
    std::filesystem::permissions(sample->PluginDir() / "pipl_single.8bf", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    sample->AddDirectory("Test plug-ins", sample->PluginDir());
    return sample;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private slots:
    void menus_data();
    void menus();
    void menuBarOrder();
    void mnemonicsAreUnique_data();
    void mnemonicsAreUnique();
    void germanEverywhere();
    void viewItemsToggleTheBars();
    void toolbarButtonsInOrder();
    void statusPanesInOrder();
    void directoryMenuLimit_data();
    void directoryMenuLimit();
    void directoryMenuItems();
    void f4ThenEnterChoosesTheFirstDirectory();
    void availabilityOverSelections_data();
    void availabilityOverSelections();
    void classMenu();
    void categoryDialogLimitAndOk();
    void placementOffScreenIgnored();
    void placementOnScreenApplied();
    void everyActionHasATip();
    void sharedFileQuestionListsTheOthers();
    void cancelledScanLeavesTheCatalogue();
    void droppedPluginsMoveOrSayWhyNot();
    void paneKeysMoveTheFocus();
    void notWritableIsToldOnce();
    void closeDuringAScanStopsItFirst();
    void savesOfAScanReachTheirFilesAndTellFailures();
};

void MainFrameTest::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("File") << "fileMenu"
                          << QStringList{"&Setup...|", "&Export Catalogue...|", "&Print...|Ctrl+P", "-",
                                         "E&xit|Alt+F4"};
    QTest::newRow("Edit") << "editMenu" << QStringList{"&Undo|Ctrl+Z",       "&Redo|Ctrl+Shift+Z",  "&History...|", "-",
                                                       "Select &All|Ctrl+A", "&Find Plugins|Ctrl+F"};
    QTest::newRow("View") << "viewMenu"
                          << QStringList{"&Toolbar|", "&Status Bar|", "&Launch Bar|", "Plugin Pre&view|",
                                         "&Plugin Information|"};
    QTest::newRow("Plugin") << "pluginMenu"
                            << QStringList{">D&irectory",
                                           "Re-&Scan all|",
                                           "D&uplicates...|",
                                           "Find &Troublemaker...|",
                                           "-",
                                           "&Large Preview...|",
                                           "Plugin &Properties...|",
                                           "-",
                                           "&Enable|",
                                           "&Disable|",
                                           "&Move...|",
                                           "&Rename...|"};
    QTest::newRow("Help") << "helpMenu"
                          << QStringList{"&Manual...|", "&Tip of the day...|", "-", "&About Vardel...|",
                                         "Vardel &Website|"};
}

void MainFrameTest::menus()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    SampleData sample;
    Program program(sample);
    QMenu* m = TopMenu(program.Frame(), menu);
    QVERIFY(m);
    QCOMPARE(menuItems(m), items);
}

void MainFrameTest::menuBarOrder()
{
    SampleData sample;
    Program program(sample);
    QStringList titles;
    for (QAction* a : program.Frame().menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "&Plugin", "&Help"}));
    const FrameActions& actions = program.Frame().actions();
    QVERIFY(!actions.print->isEnabled());  // never available
    QCOMPARE(actions.selectDirectory->shortcut(), QKeySequence(Qt::Key_F4));
    QCOMPARE(actions.nextPane->shortcut(), QKeySequence(Qt::Key_F6));
    QCOMPARE(actions.previousPane->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    QCOMPARE(actions.cancelScan->shortcut(), QKeySequence(Qt::Key_Escape));
    QVERIFY(!actions.cancelScan->isEnabled());
    QVERIFY(!actions.selectDirectory->isEnabled());  // no directory configured
    QCOMPARE(program.Frame().windowTitle(), QStringLiteral("Untitled - Vardel 2.0"));
}

namespace {

// The mnemonic letter of a menu text, upper case; none for a text without one.
QChar Mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;  // "&&" is a shown ampersand
            continue;
        }
        return text[i + 1].toUpper();
    }
    return {};
}

// "menu: letter in A and B" for every letter two items of a menu share.
QStringList Clashes(const QString& menu, const QList<QAction*>& actions)
{
    QStringList clashes;
    QHash<QChar, QString> seen;
    for (QAction* a : actions) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        const QChar m = Mnemonic(a->text());
        if (m.isNull())
            continue;
        if (seen.contains(m))
            clashes << QStringLiteral("%1: %2 in \"%3\" and \"%4\"").arg(menu, m, seen[m], a->text());
        else
            seen.insert(m, a->text());
    }
    return clashes;
}

}  // namespace

void MainFrameTest::mnemonicsAreUnique_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QString();
    QTest::newRow("German") << QStringLiteral("de");
}

void MainFrameTest::mnemonicsAreUnique()
{
    QFETCH(QString, language);
    const uitest::ScopedTranslation translation(language);
    QCOMPARE(translation.Language(), language);
    auto sample = AvailabilitySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QStringList clashes = Clashes(QStringLiteral("menu bar"), program.Frame().menuBar()->actions());
    for (QMenu* menu : program.Frame().findChildren<QMenu*>())
        clashes << Clashes(menu->objectName() + QLatin1Char(' ') + menu->title(), menu->actions());
    // The context menus, as a right click opens them.
    CVardelView& view = program.view();
    for (LabelListView* list : {view.pluginList(), view.categoryList()}) {
        uitest::RightClickRow(*list, 0);
        QMenu* menu = uitest::OpenPopupMenu();
        QVERIFY(menu);
        clashes << Clashes(menu->objectName(), menu->actions());
        menu->close();
    }
    if (!language.isEmpty())
        QCOMPARE(TopMenu(program.Frame(), QStringLiteral("fileMenu"))->title(), QStringLiteral("&Datei"));
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QLatin1Char('\n'))));
}

void MainFrameTest::germanEverywhere()
{
    const uitest::ScopedTranslation translation(QStringLiteral("de"));
    QCOMPARE(translation.Language(), QStringLiteral("de"));
    auto sample = AvailabilitySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    // Qt's own words too: the key names in the menus.
    QCOMPARE(program.view().action(CVardelView::SelectAll)->shortcut().toString(QKeySequence::NativeText),
             QStringLiteral("Strg+A"));
    QCOMPARE(program.view().categoryList()->emptyText(), QString());
    QVERIFY(program.SelectCategory(QStringLiteral("Vardel Test")));
    QVERIFY(program.SelectPlugins({QStringLiteral("Soft Glow")}));
    uitest::DoubleClickRow(*program.view().pluginList(), 0);
    auto* sheet = qobject_cast<PluginDetailSheet*>(QApplication::activeModalWidget());
    QVERIFY(sheet);
    QCOMPARE(sheet->windowTitle(), QStringLiteral("Plugin-Details"));
    QStringList pages;
    for (int i = 0; i < sheet->tabs()->count(); ++i)
        pages << sheet->tabs()->tabText(i);
    QCOMPARE(pages, (QStringList{QStringLiteral(" Vorschau "), QStringLiteral(" Allgemeine Eigenschaften ")}));
    QStringList modes;
    for (QCheckBox* box : sheet->findChildren<QCheckBox*>())
        modes << box->text();
    QVERIFY2(modes.contains(QStringLiteral("Graustufen")), qPrintable(modes.join(QLatin1Char(','))));
    auto* buttons = sheet->findChild<QDialogButtonBox*>(QStringLiteral("sheetButtons"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    sheet->reject();
}

void MainFrameTest::viewItemsToggleTheBars()
{
    SampleData sample;
    Program program(sample);
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));
    QMenu* view = TopMenu(program.Frame(), QStringLiteral("viewMenu"));
    auto* preview = program.Frame().findChild<QWidget*>(QStringLiteral("previewDock"));
    QVERIFY(preview && preview->isVisible());
    // The dock's title is the bar's caption, shown once.
    QVERIFY(!preview->findChild<QLabel*>(QStringLiteral("captionLabel"))->isVisible());
    QAction* toggle = view->actions().at(3);
    QVERIFY(toggle->isCheckable() && toggle->isChecked());
    program.Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&program.Frame()));
    QTest::keyClick(&program.Frame(), Qt::Key_V, Qt::AltModifier);
    QCOMPARE(uitest::OpenPopupMenu(), view);
    uitest::ClickMenuItem(view, toggle);
    QVERIFY(!preview->isVisible());
    QVERIFY(!toggle->isChecked());
    QAction* status = view->actions().at(1);
    QTest::keyClick(&program.Frame(), Qt::Key_V, Qt::AltModifier);
    QCOMPARE(uitest::OpenPopupMenu(), view);
    uitest::ClickMenuItem(view, status);
    QVERIFY(!program.Frame().statusBar()->isVisible());
    // Both states survive a restart.
    program.Close();
    Program again(sample);
    again.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&again.Frame()));
    QVERIFY(!again.Frame().findChild<QWidget*>(QStringLiteral("previewDock"))->isVisible());
    QVERIFY(again.Frame().findChild<QWidget*>(QStringLiteral("informationDock"))->isVisible());
    QVERIFY(!again.Frame().statusBar()->isVisible());
    QVERIFY(!TopMenu(again.Frame(), QStringLiteral("viewMenu"))->actions().at(3)->isChecked());
}

void MainFrameTest::toolbarButtonsInOrder()
{
    SampleData sample;
    Program program(sample);
    auto* toolbar = program.Frame().findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    QVERIFY(toolbar);
    QStringList names;
    for (QAction* a : toolbar->actions()) {
        if (a->isSeparator())
            names << QStringLiteral("-");
        else if (QWidget* w = toolbar->widgetForAction(a); w && w->objectName() == QLatin1String("directoryButton"))
            names << w->objectName();
        else
            names << a->objectName();
    }
    QCOMPARE(names, (QStringList{"setupAction", "directoryButton", "findAction", "-", "enableAction", "disableAction",
                                 "moveAction", "-", "aboutAction"}));
    QCOMPARE(program.Frame().directoryButton()->menu(), program.Frame().directories()->menu());
}

void MainFrameTest::statusPanesInOrder()
{
    SampleData sample;
    Program program(sample);
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));
    QStatusBar* bar = program.Frame().statusBar();
    int x = -1;
    QStringList texts;
    for (const char* name :
         {"messagePane", "categoriesIndicator", "pluginsIndicator", "enabledIndicator", "selectedIndicator"}) {
        auto* label = bar->findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label, name);
        QVERIFY2(label->geometry().x() > x, name);
        x = label->geometry().x();
        texts << label->text();
    }
    QCOMPARE(texts, (QStringList{"Ready", "Categories: 0", "Plugins: 0", "Enabled: 0", "Selected: 0"}));
}

void MainFrameTest::directoryMenuLimit_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("items");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("40") << 40 << 40;
    QTest::newRow("41") << 41 << 41;
    QTest::newRow("42") << 42 << 41;
    QTest::newRow("45") << 45 << 41;
}

void MainFrameTest::directoryMenuLimit()
{
    QFETCH(int, entries);
    QFETCH(int, items);
    SampleData sample;
    for (int i = 0; i < entries; ++i)
        sample.AddDirectory("Dir " + std::to_string(i), sample.PluginDir() / std::to_string(i));
    Program program(sample);
    QCOMPARE(static_cast<int>(program.Session().Directories().size()), entries);
    QMenu* menu = program.Frame().directories()->menu();
    QCOMPARE(menu->actions().size(), items);
    if (items > 0) {
        QCOMPARE(menu->actions().last()->text(), QStringLiteral("Dir %1").arg(items - 1));
        QVERIFY(program.Frame().actions().selectDirectory->isEnabled());
    }
    QVERIFY(!program.Frame().findChild<QAction*>(QStringLiteral("directoryAction41")));
}

void MainFrameTest::directoryMenuItems()
{
    SampleData sample;
    sample.AddDirectory("Flat", "/plugins/flat");
    sample.AddDirectory("", "", false, true);
    sample.AddDirectory("Tree & More", "/plugins/tree", true);
    Program program(sample);
    QMenu* menu = program.Frame().directories()->menu();
    QCOMPARE(menu->actions().size(), 3);
    QVERIFY(menu->actions().at(1)->isSeparator());
    QAction* flat = menu->actions().at(0);
    QAction* tree = menu->actions().at(2);
    QCOMPARE(tree->objectName(), QStringLiteral("directoryAction2"));  // numbered by list position
    QCOMPARE(tree->text(), QStringLiteral("Tree && More"));            // the ampersand is shown
    QCOMPARE(flat->statusTip(), QStringLiteral("/plugins/flat"));
    QCOMPARE(tree->statusTip(), QStringLiteral("/plugins/tree"));
    QVERIFY(flat->icon().cacheKey() != tree->icon().cacheKey());
    QVERIFY(!flat->icon().isNull());
}

void MainFrameTest::f4ThenEnterChoosesTheFirstDirectory()
{
    SampleData sample({"pipl_three.8bf"});
    sample.AddDirectory("", "", false, true);
    sample.AddDirectory("Test plug-ins", sample.PluginDir());
    Program program(sample);
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowActive(&program.Frame()));
    QTest::keyClick(&program.Frame(), Qt::Key_F4);
    QMenu* menu = uitest::OpenPopupMenu();
    QVERIFY(menu);
    // Opened from the keyboard, Enter takes the first directory, past the separator.
    QTest::keyClick(menu, Qt::Key_Return);
    QTRY_COMPARE(program.Frame().windowTitle(), QStringLiteral("Test plug-ins - Vardel 2.0"));
    QVERIFY(!menu->isVisible());
}

void MainFrameTest::availabilityOverSelections_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("plugins");
    // enable, disable, move, rename, large preview, category enable, category move
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing selected") << "Shared Cat" << QStringList{} << "0000011";
    QTest::newRow("one plug-in") << "Shared Cat" << QStringList{"Alpha One"} << "1111111";
    QTest::newRow("two plug-ins") << "Shared Cat" << QStringList{"Alpha One", "Beta Two"} << "1110011";
    QTest::newRow("read-only plug-in") << "Vardel Test" << QStringList{"Soft Glow"} << "0000100";
    QTest::newRow("no category") << "(no category)" << QStringList{"Plain Filter"} << "1100110";
}

void MainFrameTest::availabilityOverSelections()
{
    QFETCH(QString, category);
    QFETCH(QStringList, plugins);
    QFETCH(QString, expected);
    auto sample = AvailabilitySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(category));
    QVERIFY(program.SelectPlugins(plugins));
    using V = CVardelView;
    QString got;
    for (V::Command c :
         {V::Enable, V::Disable, V::Move, V::Rename, V::LargePreview, V::CategoryEnable, V::CategoryMove})
        got += program.view().action(c)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(got, expected);
    QCOMPARE(program.view().action(V::Properties)->isEnabled(), program.view().action(V::LargePreview)->isEnabled());
    QCOMPARE(program.view().action(V::CategoryRename)->isEnabled(),
             program.view().action(V::CategoryMove)->isEnabled());
    QCOMPARE(program.Frame().statusBar()->findChild<QLabel*>(QStringLiteral("selectedIndicator"))->text(),
             QStringLiteral("Selected: %1").arg(plugins.size()));
    // While a scan runs nothing is available.
    program.view().setBusy(true);
    QVERIFY(!program.view().action(V::Enable)->isEnabled());
    QVERIFY(!program.view().action(V::CategoryEnable)->isEnabled());
}

void MainFrameTest::classMenu()
{
    auto sample = AvailabilitySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QCOMPARE(program.Frame().windowTitle(), QStringLiteral("Test plug-ins - Vardel 2.0"));
    auto* selector = program.view().findChild<ClassSelector*>(QStringLiteral("classSelector"));
    QVERIFY(selector);
    QCOMPARE(selector->text(), QStringLiteral("Photoshop Filter Plugins"));
    QStringList items;
    for (QAction* a : program.view().classMenu()->actions())
        items << (a->isSeparator() ? QStringLiteral("-")
                                   : a->text() + (a->isEnabled() ? "+" : "") + (a->isChecked() ? "*" : ""));
    QCOMPARE(items, (QStringList{"Photoshop Filter Plugins+*", "Photoshop General Plugins", "-",
                                 "After Effects Effect Plugins", "After Effects General Plugins", "-",
                                 "Illustrator Plugins", "-", "Premiere Filter Plugins", "Premiere General Plugins"}));
    QCOMPARE(uitest::RowTexts(*program.view().categoryModel()),
             (QStringList{"(no category)", "Other Cat", "Shared Cat", "Vardel Test"}));
}

void MainFrameTest::categoryDialogLimitAndOk()
{
    auto sample = AvailabilitySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(program.SelectPlugins({"Alpha One", "Beta Two"}));
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Move));
    // It opens once the room is read from the files.
    CategoryDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = program.view().commands()->openDialog()));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Enter Category"));
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("limitLabel"))->text(),
             QStringLiteral("Up to 10 characters allowed"));
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("categoryEdit"));
    auto* ok = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok);
    QCOMPARE(edit->maxLength(), 10);
    QVERIFY(!ok->isEnabled());
    QTest::keyClicks(edit, QStringLiteral("Ab"));
    QVERIFY(!ok->isEnabled());
    QTest::keyClicks(edit, QStringLiteral("c"));
    QVERIFY(ok->isEnabled());
    // Proposals of the same kind that fit, sorted.
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("proposalList"));
    QStringList proposals;
    for (int i = 0; i < list->count(); ++i)
        proposals << list->item(i)->text();
    QCOMPARE(proposals, (QStringList{"Other Cat", "Shared Cat"}));
    dialog->reject();
}

void MainFrameTest::placementOffScreenIgnored()
{
    SampleData sample;
    {
        QtSettingsBackend backend(sample.SettingsFile());
        const std::pair<const char*, int> values[] = {
            {"wp.showCmd", 1}, {"wp.left", -2000}, {"wp.top", -2000}, {"wp.right", -1000}, {"wp.bottom", -1000}};
        for (const auto& [name, value] : values)
            backend.WriteInt("Settings", name, value);
    }
    Program program(sample);
    QVERIFY(!program.Frame().restorePlacementAndShow());
    QVERIFY(program.Frame().geometry().x() > -1000);
}

void MainFrameTest::placementOnScreenApplied()
{
    SampleData sample;
    {
        QtSettingsBackend backend(sample.SettingsFile());
        const std::pair<const char*, int> values[] = {
            {"wp.showCmd", 1}, {"wp.left", 40}, {"wp.top", 50}, {"wp.right", 740}, {"wp.bottom", 520}};
        for (const auto& [name, value] : values)
            backend.WriteInt("Settings", name, value);
    }
    Program program(sample);
    QVERIFY(program.Frame().restorePlacementAndShow());
    QCOMPARE(program.Frame().geometry().topLeft(), QPoint(40, 50));
    QCOMPARE(program.Frame().geometry().width(), 700);
    program.Frame().setGeometry(QRect(30, 40, 660, 450));
    program.Close();
    QtSettingsBackend backend(sample.SettingsFile());
    QCOMPARE(backend.ReadInt("Settings", "wp.right").value_or(0) - backend.ReadInt("Settings", "wp.left").value_or(0),
             660);
}

void MainFrameTest::everyActionHasATip()
{
    SampleData sample;
    Program program(sample);
    for (QAction* a : program.Frame().findChildren<QAction*>()) {
        if (a->isSeparator() || a->text().isEmpty() || a->menu() || a->objectName().startsWith("directoryAction") ||
            a->objectName().startsWith("classAction") ||  // the class commands have no prompt
            a->objectName().isEmpty())
            continue;
        QVERIFY2(!a->statusTip().isEmpty(), qPrintable(a->objectName()));
    }
}

void MainFrameTest::sharedFileQuestionListsTheOthers()
{
    auto sample = AvailabilitySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(program.SelectPlugins({"Alpha One"}));
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Disable));
    QMessageBox* question = nullptr;
    QTRY_VERIFY((question = program.Frame().findChild<QMessageBox*>(QStringLiteral("sharedFileQuestion"))));
    QVERIFY(question->text().contains(QStringLiteral("2 other plug-in(s)")));
    QCOMPARE(question->detailedText(), QStringLiteral("Gamma Three\nBeta Two"));  // in catalogue order
    QVERIFY(std::filesystem::exists(sample->PluginDir() / "pipl_three.8bf"));     // nothing yet
    uitest::ClickWidget(question->button(QMessageBox::Ok));
    QTRY_VERIFY(std::filesystem::exists(sample->PluginDir() / "pipl_three_8bf"));
    int disabled = 0;
    for (const auto& e : program.Session().Catalogue().m_entries)
        disabled += e->m_enabled ? 0 : 1;
    QCOMPARE(disabled, 3);
    QCOMPARE(program.Frame().statusBar()->findChild<QLabel*>(QStringLiteral("enabledIndicator"))->text(),
             QStringLiteral("Enabled: 0"));
    // A plug-in alone in its file changes without a question.
    QVERIFY(program.SelectCategory(QStringLiteral("(no category)")));
    QVERIFY(program.SelectPlugins({"Plain Filter"}));
    uitest::ClickToolButton(program.Frame(), program.view().action(CVardelView::Disable));
    QTRY_VERIFY(std::filesystem::exists(sample->PluginDir() / "pipl_nocat_8bf"));
}

void MainFrameTest::cancelledScanLeavesTheCatalogue()
{
    SampleData sample({"pipl_single.8bf"});
    const auto many = sample.Root() / "many";
    std::filesystem::create_directories(many);
    for (int i = 0; i < 400; ++i)
        std::filesystem::copy_file(test::testPlugin("pipl_three.8bf"), many / ("p" + std::to_string(i) + ".8bf"));
    sample.AddDirectory("One", sample.PluginDir());
    sample.AddDirectory("Many", many);
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    const CPluginEntry* before = program.Session().Catalogue().m_entries.front().get();
    QSignalSpy finished(&program.Adapter(), &SessionAdapter::scanFinished);
    QVERIFY(program.Adapter().startSelect(1));
    QVERIFY(program.Adapter().isScanning());
    QVERIFY(program.Frame().actions().cancelScan->isEnabled());
    QVERIFY(!program.view().action(CVardelView::Enable)->isEnabled());  // unavailable while scanning
    QTest::keyClick(&program.Frame(), Qt::Key_Escape);
    program.Adapter().waitForScan();
    QCOMPARE(finished.count(), 1);
    QVERIFY(finished.first().at(1).toBool());  // cancelled
    QCOMPARE(program.Session().Catalogue().m_entries.size(), std::size_t(1));
    QCOMPARE(program.Session().Catalogue().m_entries.front().get(), before);
    QCOMPARE(program.Frame().windowTitle(), QStringLiteral("One - Vardel 2.0"));
    QVERIFY(program.view().action(CVardelView::Enable)->isEnabled());
}

void MainFrameTest::droppedPluginsMoveOrSayWhyNot()
{
    auto sample = AvailabilitySample();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    auto find = [&program](const std::string& name) -> CPluginEntry* {
        for (const auto& e : program.Session().Catalogue().m_entries)
            if (e->m_name.rfind(name, 0) == 0)
                return e.get();
        return nullptr;
    };
    CPluginEntry* alpha = find("Alpha One");
    CPluginEntry* soft = find("Soft Glow");
    CPluginEntry* gamma = find("Gamma Three");
    QVERIFY(alpha && soft && gamma);
    program.view().commands()->dropPlugins({alpha, soft}, *gamma);
    QTRY_COMPARE(QString::fromStdString(alpha->m_category), QStringLiteral("Other Cat"));
    QCOMPARE(QString::fromStdString(soft->m_category), QStringLiteral("Vardel Test"));
    QTRY_VERIFY(program.Frame().findChild<QMessageBox*>(QStringLiteral("messageBox")));
    auto* box = program.Frame().findChild<QMessageBox*>(QStringLiteral("messageBox"));
    QVERIFY(box->text().contains(QStringLiteral("Soft Glow")));
    QVERIFY(box->text().contains(QStringLiteral("read-only")));
    QVERIFY(!box->text().contains(QStringLiteral("Alpha One")));
    QPointer<QMessageBox> closing(box);
    box->close();
    QTRY_VERIFY(!closing);
    // The lists follow: "Other Cat" now holds both.
    QVERIFY(program.SelectCategory(QStringLiteral("Other Cat")));
    QCOMPARE(uitest::RowTexts(*program.view().pluginModel()), (QStringList{"Alpha One", "Gamma Three"}));
    // A category longer than the room a plug-in has is refused with its room.
    CPluginEntry* beta = find("Beta Two");
    program.view().commands()->dropPlugins({gamma}, *beta);  // "Shared Cat" (10) into a room of 9
    QCOMPARE(QString::fromStdString(gamma->m_category), QStringLiteral("Other Cat"));
    QTRY_VERIFY(program.Frame().findChild<QMessageBox*>(QStringLiteral("messageBox")));
    QVERIFY(
        program.Frame().findChild<QMessageBox*>(QStringLiteral("messageBox"))->text().contains(QStringLiteral("9")));
}

void MainFrameTest::paneKeysMoveTheFocus()
{
    SampleData sample;
    Program program(sample);
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));
    program.Frame().activateWindow();
    program.view().categoryList()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(program.view().categoryList()));
    uitest::PressKey(Qt::Key_F6);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(program.view().pluginList()));
    uitest::PressKey(Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(program.view().categoryList()));
    uitest::PressKey(Qt::Key_F6, Qt::ShiftModifier);  // wraps round to the last bar
    QVERIFY(QApplication::focusWidget() != program.view().categoryList());
    QVERIFY(QApplication::focusWidget() != program.view().pluginList());
}

void MainFrameTest::notWritableIsToldOnce()
{
    SampleData sample;
    Program program(sample);
    const UserMessage message{MessageCode::DataDirectoryNotWritable, "cannot save", "/data/setup.db"};
    program.Session().NotifyMessage(message);
    program.Session().NotifyMessage(message);
    const auto boxes = program.Frame().findChildren<QMessageBox*>(QStringLiteral("messageBox"));
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first()->text().contains(QStringLiteral("/data/setup.db")));
    // Other messages are shown each time.
    program.Session().NotifyMessage(UserMessage{MessageCode::FileReadOnly, "File read only?", ""});
    QCOMPARE(program.Frame().findChildren<QMessageBox*>(QStringLiteral("messageBox")).size(), 2);
}

void MainFrameTest::closeDuringAScanStopsItFirst()
{
    SampleData sample;
    const auto many = sample.Root() / "many";
    std::filesystem::create_directories(many);
    for (int i = 0; i < 400; ++i)
        std::filesystem::copy_file(test::testPlugin("pipl_three.8bf"), many / ("p" + std::to_string(i) + ".8bf"));
    sample.AddDirectory("Many", many);
    Program program(sample);
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));
    QVERIFY(program.Adapter().startSelect(0));
    QVERIFY(!program.Frame().close());  // refused for now: the scan is told to stop
    QVERIFY(program.Frame().isVisible());
    QTRY_VERIFY(!program.Adapter().isScanning());
    QTRY_VERIFY(!program.Frame().isVisible());
    QVERIFY(!program.Session().IsCatalogueShown());
}

// The window saves in the background: what a scan saves is whole on disk
// by the time the window has closed, and a save that fails is told in the
// window once its result is in, with nothing else happening.
void MainFrameTest::savesOfAScanReachTheirFilesAndTellFailures()
{
    SampleData sample({"pipl_three.8bf", "pimi_filter.8bf", "pipl_single.8bf"});
    test::writeFile(sample.PluginDir() / "readme.8bf", std::string("no plug-in"));
    sample.AddDirectory("Test plug-ins", sample.PluginDir());
    const DataDirectory data{sample.DataDir()};
    std::size_t shown = 0;
    std::size_t originals = 0;
    std::filesystem::path catalogueFile;
    {
        Program program(sample);
        QVERIFY(program.SelectDirectory(0));
        shown = program.Session().Catalogue().m_entries.size();
        originals = program.Session().Restore().Size();
        catalogueFile = data.Resolve(program.Session().Directories()[0]->m_catalogueFile);

        // A store that cannot take its name: its save fails on the saving
        // thread, and the window says so.
        const auto nonPlugins = sample.DataDir() / "setup.db" / "nonplugins";
        QTRY_VERIFY(std::filesystem::exists(nonPlugins));
        std::filesystem::remove(nonPlugins);
        std::filesystem::create_directories(nonPlugins / "in the way");
        program.Session().NonPlugins().Forget((sample.PluginDir() / "readme.8bf").string());
        QVERIFY(program.Session().SaveNonPluginCache());
        QMessageBox* box = uitest::WaitForBox(QStringLiteral("messageBox"));
        QVERIFY(box);
        QVERIFY(box->text().contains(QStringLiteral("setup.db")));
        box->close();
        std::filesystem::remove_all(nonPlugins);
        program.Close();
    }
    CPluginListManager saved;
    int cls = -1;
    QVERIFY(LoadCatalogue(catalogueFile, cls, saved));
    QCOMPARE(saved.m_entries.size(), shown);
    CPluginRestoreManager restore;
    QVERIFY(LoadRestore(data, restore));
    QCOMPARE(restore.Size(), originals);
    CNonPluginCache nonPlugins;
    QVERIFY(LoadNonPlugins(data, nonPlugins));
    QCOMPARE(nonPlugins.Size(), std::size_t(0));  // saved again as the window closed
}

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
