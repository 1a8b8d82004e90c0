// The dialog "Find Plugins": its options and their defaults, the fields a
// search looks in, the result list and its sort, and the preview of a hit,
// driven through its widgets on the offscreen platform.

#include "app/Session.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "images/DIB.h"
#include "images/Jpeg.h"
#include "search/DescriptionListManager.h"
#include "ui/common/WorkerThreads.h"
#include "ui/find/FindDialog.h"
#include "ui/preview/FilterPreview.h"
#include "ui/preview/PreviewWnd.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/settings/GuiSettings.h"
#include "SessionFixture.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QTabWidget>
#include <QTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace vardel;
using namespace vardel::ui;
namespace fs = std::filesystem;

namespace {

// A session whose data directory has a sample picture in "preview".
struct TestSession : test::SessionFixture {
    TestSession()
        : SessionFixture(false)
    {
        fs::create_directories(dir / "preview");
        COXDIB sample;
        QVERIFY(sample.Create(24, 120, 90));
        QVERIFY(sample.Write(dir / "preview" / "Portrait.bmp"));
        start();
    }
    void add(const std::string& file) { QVERIFY(SessionFixture::add(file)); }
    // The last entry n times more: many filters whose blocks are read from
    // their files one by one make a search take a while.
    void copyLast(int n)
    {
        const CPluginEntry last = *session->Catalogue().m_entries.back();
        for (int i = 0; i < n; ++i)
            session->Catalogue().m_entries.push_back(std::make_unique<CPluginEntry>(last));
    }
    // The catalogue of the searches: Soft Glow (Vardel Test), Alpha One and
    // Beta Two (Shared Cat), Gamma Three (Other Cat), FF Ripple (FF Cat, by
    // A. Vardel); Beta Two has a description entry.
    void fill()
    {
        add("pipl_single.8bf");
        add("pipl_three.8bf");
        add("ff_filter.8bf");
        for (const auto& entry : session->Catalogue().m_entries)
            if (entry->m_name == "Beta Two")
                session->Descriptions().SetFromTexts(entry->DescriptionKey(), "Soft focus", "blurry dreamy");
    }
};

QStringList column(const QTreeView* list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        texts << list->model()->index(i, c).data().toString();
    return texts;
}

int rowCount(const QTreeView* list)
{
    return list->model()->rowCount();
}

QString text(const QTreeView* list, int row, int c)
{
    return list->model()->index(row, c).data().toString();
}

// Shows the dialog and clicks "Find"; waits for the hits.
void search(FindDialog& dialog)
{
    if (!dialog.isVisible()) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    uitest::ClickWidget(dialog.findChild<QPushButton*>(QStringLiteral("findButton")));
    QTRY_VERIFY(!dialog.isSearching());
}

// Clicks the hit with that title.
void clickHit(QTreeView* list, const QString& title)
{
    for (int i = 0; i < rowCount(list); ++i)
        if (text(list, i, 0) == title) {
            uitest::ClickRow(*list, i);
            return;
        }
    QFAIL("no such hit");
}

}  // namespace

class FindDialogTest : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void optionsPersist();
    void fields_data();
    void fields();
    void listedOnceAndInCatalogueOrder();
    void kindTextForEmptyCategory();
    void headerClickSortsAscending();
    void previewOfHit();
    void enterSearchesAndShowsTheHits();
    void manyHitsComeInBatchesAndSortByHeaderClicks();
    void previewStartsWithTheStartupPicture();
    void searchOutlivesItsDialog();
    void authorSearchCanBeStopped();
    void minimumSize();
    void opensWhereItClosed();
    void screenshot();
};

void FindDialogTest::defaults()
{
    TestSession s;
    FindDialog dialog(*s.session);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Find Plugins"));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->text(), QString());
    const std::pair<const char*, bool> boxes[] = {
        {"matchCaseBox", false}, {"titleBox", true},        {"categoryBox", true}, {"authorBox", false},
        {"filenameBox", false},  {"descriptionBox", false}, {"keywordsBox", true}};
    for (const auto& [name, checked] : boxes)
        QCOMPARE(dialog.findChild<QCheckBox*>(QLatin1String(name))->isChecked(), checked);
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    QCOMPARE(list->model()->columnCount(), 3);
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Title"));
    QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Category"));
    QCOMPARE(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Filename"));
    QCOMPARE(list->columnWidth(0), 150);
    QCOMPARE(list->columnWidth(1), 150);
    QCOMPARE(list->columnWidth(2), 350);
}

void FindDialogTest::optionsPersist()
{
    TestSession s;
    {
        FindDialog dialog(*s.session);
        dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(QStringLiteral("glow"));
        dialog.findChild<QCheckBox*>(QStringLiteral("matchCaseBox"))->setChecked(true);
        dialog.findChild<QCheckBox*>(QStringLiteral("keywordsBox"))->setChecked(false);
        dialog.findChild<QCheckBox*>(QStringLiteral("authorBox"))->setChecked(true);
        dialog.findChild<QTreeView*>(QStringLiteral("resultList"))->setColumnWidth(0, 210);
        dialog.reject();
    }
    QCOMPARE(s.backend.ReadString("Settings.Find", "sKeyword").value_or(""), std::string("glow"));
    QCOMPARE(s.backend.ReadInt("Settings.Find", "bMatchCase").value_or(-1), 1);
    QCOMPARE(s.backend.ReadInt("Settings.Find", "bKeywords").value_or(-1), 0);
    QCOMPARE(s.backend.ReadInt("Settings.Find", "bAuthor").value_or(-1), 1);
    QCOMPARE(s.backend.ReadInt("Settings.Find", "Title.cx").value_or(-1), 210);
    // The whole placement record, as the main window keeps its own.
    const std::optional<WindowPlacement> placement = loadWindowPlacement(s.backend, "Settings.Find");
    QVERIFY(placement.has_value());
    QVERIFY(s.backend.ReadInt("Settings.Find", "wp.flags").has_value());
    QCOMPARE(placement->showCmd, WindowPlacement::kShowNormal);
    QVERIFY(placement->right > placement->left && placement->bottom > placement->top);
    FindDialog again(*s.session);
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->text(), QStringLiteral("glow"));
    QVERIFY(again.findChild<QCheckBox*>(QStringLiteral("matchCaseBox"))->isChecked());
    QVERIFY(!again.findChild<QCheckBox*>(QStringLiteral("keywordsBox"))->isChecked());
    QCOMPARE(again.findChild<QTreeView*>(QStringLiteral("resultList"))->columnWidth(0), 210);
}

void FindDialogTest::fields_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("fields");  // the boxes checked: T C A F D K, M for Match Case
    QTest::addColumn<QStringList>("hits");
    QTest::newRow("title") << "alpha"
                           << "T" << QStringList{"Alpha One"};
    QTest::newRow("title, case ignored") << "GLOW"
                                         << "T" << QStringList{"Soft Glow"};
    QTest::newRow("title, match case") << "GLOW"
                                       << "TM" << QStringList{};
    QTest::newRow("title, same case") << "Glow"
                                      << "TM" << QStringList{"Soft Glow"};
    QTest::newRow("category") << "shared"
                              << "C" << QStringList{"Alpha One", "Beta Two"};
    QTest::newRow("author: filter factory only") << "vardel"
                                                 << "A" << QStringList{"FF Ripple"};
    QTest::newRow("keywords") << "dreamy"
                              << "K" << QStringList{"Beta Two"};
    QTest::newRow("keywords, empty keyword: the described ones") << ""
                                                                 << "K" << QStringList{"Beta Two"};
    QTest::newRow("description") << "focus"
                                 << "D" << QStringList{"Beta Two"};
    QTest::newRow("description not searched") << "focus"
                                              << "TCK" << QStringList{};
    QTest::newRow("filename") << "THREE"
                              << "F" << QStringList{"Alpha One", "Beta Two", "Gamma Three"};
    QTest::newRow("nothing checked") << ""
                                     << "" << QStringList{};
}

void FindDialogTest::fields()
{
    QFETCH(QString, keyword);
    QFETCH(QString, fields);
    QFETCH(QStringList, hits);
    TestSession s;
    s.fill();
    FindDialog dialog(*s.session);
    dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(keyword);
    const std::pair<const char*, char> boxes[] = {{"titleBox", 'T'},    {"categoryBox", 'C'},    {"authorBox", 'A'},
                                                  {"filenameBox", 'F'}, {"descriptionBox", 'D'}, {"keywordsBox", 'K'},
                                                  {"matchCaseBox", 'M'}};
    for (const auto& [name, letter] : boxes)
        dialog.findChild<QCheckBox*>(QLatin1String(name))->setChecked(fields.contains(QLatin1Char(letter)));
    search(dialog);
    QCOMPARE(column(dialog.findChild<QTreeView*>(QStringLiteral("resultList")), 0), hits);
}

void FindDialogTest::listedOnceAndInCatalogueOrder()
{
    TestSession s;
    s.fill();
    FindDialog dialog(*s.session);
    dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(QString());
    for (const char* name : {"titleBox", "categoryBox", "authorBox", "filenameBox", "descriptionBox", "keywordsBox"})
        dialog.findChild<QCheckBox*>(QLatin1String(name))->setChecked(true);
    search(dialog);
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    QStringList expected;
    for (const auto& entry : s.session->Catalogue().m_entries)
        expected << QString::fromStdString(entry->m_name);
    QCOMPARE(column(list, 0), expected);
    QCOMPARE(text(list, 0, 2), QString::fromStdString(s.session->Catalogue().m_entries[0]->m_path));
}

void FindDialogTest::kindTextForEmptyCategory()
{
    TestSession s;
    test::AddPiplEntry(s.session->Catalogue(), "No Category", "", "/nowhere/nocat.8bf");
    FindDialog dialog(*s.session);
    dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(QStringLiteral("no cat"));
    search(dialog);
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    QCOMPARE(rowCount(list), 1);
    QCOMPARE(text(list, 0, 1), QStringLiteral("\u00BB Filter"));
}

void FindDialogTest::headerClickSortsAscending()
{
    TestSession s;
    test::AddPiplEntry(s.session->Catalogue(), "beta", "Zeta", "/p/c.8bf");
    test::AddPiplEntry(s.session->Catalogue(), "Alpha", "alpha", "/p/b.8bf");
    test::AddPiplEntry(s.session->Catalogue(), "Beta", "Alpha", "/p/a.8bf");
    test::AddPiplEntry(s.session->Catalogue(), "Al", "Mid", "/p/d.8bf");
    FindDialog dialog(*s.session);
    search(dialog);  // empty keyword: everything
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    QCOMPARE(rowCount(list), 4);
    QHeaderView* header = list->header();
    // Byte order, case-sensitive, a prefix first; a second click sorts ascending again.
    const auto click = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    click(0);
    QCOMPARE(column(list, 0), (QStringList{"Al", "Alpha", "Beta", "beta"}));
    click(0);
    QCOMPARE(column(list, 0), (QStringList{"Al", "Alpha", "Beta", "beta"}));
    click(1);
    QCOMPARE(column(list, 1), (QStringList{"Alpha", "Mid", "Zeta", "alpha"}));
    // Rows move whole.
    QCOMPARE(column(list, 0), (QStringList{"Beta", "Al", "beta", "Alpha"}));
    click(2);
    QCOMPARE(column(list, 2), (QStringList{"/p/a.8bf", "/p/b.8bf", "/p/c.8bf", "/p/d.8bf"}));
    QCOMPARE(dialog.rows().front().plugin->m_name, std::string("Beta"));
}

void FindDialogTest::previewOfHit()
{
    TestSession s;
    s.fill();
    FindDialog dialog(*s.session);
    dialog.findChild<QCheckBox*>(QStringLiteral("titleBox"))->setChecked(true);
    dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(QStringLiteral("ripple"));
    dialog.show();
    search(dialog);
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    QCOMPARE(rowCount(list), 1);
    uitest::ClickRow(*list, 0);
    QVERIFY(dialog.previewedPlugin());
    QCOMPARE(dialog.previewedPlugin()->m_name, std::string("FF Ripple"));
    // A Filter Factory filter: no store images, a live rendering.
    QVERIFY(dialog.images().GetPlugin() == nullptr);
    QTRY_VERIFY(dialog.filterPreview()->shownUpdates() > 0 && !dialog.filterPreview()->isRendering());
    QVERIFY(!dialog.findChild<CPreviewWnd*>(QStringLiteral("previewWindow"))->image().isNull());
    // A double click opens its "Plugin Details" on the first page.
    uitest::DoubleClickRow(*list, 0);
    auto* sheet = qobject_cast<PluginDetailSheet*>(QApplication::activeModalWidget());
    QVERIFY(sheet);
    QCOMPARE(sheet->windowTitle() + QLatin1Char('|') + sheet->tabs()->tabText(sheet->tabs()->currentIndex()),
             QStringLiteral("Plugin Details| Preview "));
    QTest::keyClick(sheet, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &dialog);
    // Another plug-in: the store's images, the rendering stopped.
    dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(QStringLiteral("glow"));
    search(dialog);
    uitest::ClickRow(*list, 0);
    QCOMPARE(dialog.images().GetPlugin(), dialog.previewedPlugin());
    QVERIFY(!dialog.filterPreview()->isRendering());
}

void FindDialogTest::enterSearchesAndShowsTheHits()
{
    TestSession s;
    s.fill();
    s.copyLast(600);  // FF Ripple: enough that a search takes a while
    FindDialog dialog(*s.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    uitest::ClickWidget(dialog.findChild<QCheckBox*>(QStringLiteral("authorBox")));
    auto* keyword = dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"));
    uitest::ClickWidget(keyword);
    QCOMPARE(uitest::FocusWidget(), keyword);
    QTest::keyClicks(keyword, QStringLiteral("vardel"));
    QTest::keyClick(keyword, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isSearching(), 30000);
    // Enter started the search and nothing stopped it.
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    QCOMPARE(rowCount(list), 602);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("statusLabel"))->text(), QStringLiteral("602 plug-in(s) found."));
    uitest::ClickWidget(dialog.findChild<QCheckBox*>(QStringLiteral("authorBox")));
    QTest::keyClick(keyword, Qt::Key_A, Qt::ControlModifier);
    // Enter again while the first search runs starts it afresh: one result.
    QTest::keyClicks(keyword, QStringLiteral("gamma"));
    QTest::keyClick(keyword, Qt::Key_Enter);
    QTest::keyClick(keyword, Qt::Key_Enter);
    QTRY_VERIFY(!dialog.isSearching());
    QCOMPARE(column(list, 0), QStringList{"Gamma Three"});
    // Enter on a hit opens it, and starts no search.
    uitest::ClickRow(*list, 0);
    QTest::keyClick(list, Qt::Key_Return);
    auto* sheet = qobject_cast<PluginDetailSheet*>(QApplication::activeModalWidget());
    QVERIFY(sheet);
    QCOMPARE(sheet->entry().m_name, std::string("Gamma Three"));
    sheet->reject();
    QVERIFY(!dialog.isSearching());
    QCOMPARE(rowCount(list), 1);
}

void FindDialogTest::manyHitsComeInBatchesAndSortByHeaderClicks()
{
    TestSession s;
    // Thousands of hits, found fast: more than one batch.
    for (int i = 0; i < 5000; ++i)
        test::AddPiplEntry(s.session->Catalogue(), "Hit " + std::to_string((i * 7919) % 5000),
                           "Cat " + std::to_string(i % 13), "/plugins/p" + std::to_string(i) + ".8bf");
    FindDialog dialog(*s.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    QSignalSpy inserted(list->model(), &QAbstractItemModel::rowsInserted);
    auto* keyword = dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"));
    uitest::ClickWidget(keyword);
    QTest::keyClick(keyword, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(keyword, QStringLiteral("hit"));
    QTest::keyClick(keyword, Qt::Key_Return);
    QTRY_VERIFY(!dialog.isSearching());
    QVERIFY(inserted.count() >= 2);
    const FindSettings settings = dialog.currentSettings();
    auto expected = CPluginSearch::Run(s.session->Catalogue(), s.session->Descriptions(), settings);
    QCOMPARE(rowCount(list), static_cast<int>(expected.size()));
    QCOMPARE(rowCount(list), 5000);
    for (std::size_t i = 0; i < expected.size(); ++i)
        QCOMPARE(dialog.rows()[i].plugin, expected[i].plugin);

    // A click on a header sorts as the core sorts; the hit chosen stays chosen.
    uitest::ClickRow(*list, 10);
    const CPluginEntry* chosen = dialog.rows()[10].plugin;
    for (int c : {0, 1, 2}) {
        const QRect section(list->header()->sectionViewportPosition(c), 0, list->header()->sectionSize(c),
                            list->header()->height());
        QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {}, section.center());
        CPluginSearch::SortRows(expected, c);
        for (std::size_t i = 0; i < expected.size(); i += 97)
            QCOMPARE(QString::fromStdString(dialog.rows()[i].columns[static_cast<std::size_t>(c)]),
                     QString::fromStdString(expected[i].columns[static_cast<std::size_t>(c)]));
        QCOMPARE(dialog.rows()[static_cast<std::size_t>(list->currentIndex().row())].plugin, chosen);
    }
}

void FindDialogTest::previewStartsWithTheStartupPicture()
{
    TestSession s;
    COXDIB startup;
    QVERIFY(startup.Create(24, 64, 48));
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(startup.GetStride()) * 48, 0x80);
    std::copy(bits.begin(), bits.end(), startup.GetBits());
    QVERIFY(SaveJpeg(s.dir / "STARTUP.JPG", startup));
    FindDialog dialog(*s.session);
    QCOMPARE(dialog.findChild<CPreviewWnd*>(QStringLiteral("previewWindow"))->image().size(), QSize(64, 48));
}

void FindDialogTest::searchOutlivesItsDialog()
{
    TestSession s;
    s.add("ff_filter.8bf");
    s.copyLast(2000);
    {
        FindDialog dialog(*s.session);
        dialog.findChild<QCheckBox*>(QStringLiteral("authorBox"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(QStringLiteral("nobody"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        uitest::ClickWidget(dialog.findChild<QPushButton*>(QStringLiteral("findButton")));
        QVERIFY(dialog.isSearching());
        // Escape closes the dialog at once; the worker is left to run out.
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }
    // The catalogue changes while the worker may still read its copies.
    s.session->Catalogue().m_entries.clear();
    WorkerThreads::waitAll();
    QCoreApplication::processEvents();
}

void FindDialogTest::authorSearchCanBeStopped()
{
    TestSession s;
    s.add("ff_filter.8bf");
    s.copyLast(2000);
    FindDialog dialog(*s.session);
    for (const char* name : {"titleBox", "categoryBox", "keywordsBox"})
        dialog.findChild<QCheckBox*>(QLatin1String(name))->setChecked(false);
    dialog.findChild<QCheckBox*>(QStringLiteral("authorBox"))->setChecked(true);
    dialog.findChild<QLineEdit*>(QStringLiteral("keywordEdit"))->setText(QStringLiteral("vardel"));
    auto* find = dialog.findChild<QPushButton*>(QStringLiteral("findButton"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    uitest::ClickWidget(find);
    QVERIFY(dialog.isSearching());
    QCOMPARE(find->text(), QStringLiteral("&Stop"));
    uitest::ClickWidget(find);  // stop
    QTRY_VERIFY(!dialog.isSearching());
    QCOMPARE(find->text(), QStringLiteral("&Find"));
    QVERIFY(dialog.rows().empty());
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("statusLabel"))->text(),
             QStringLiteral("The search was stopped."));
    // Run to the end, every copy is found by its author.
    uitest::ClickWidget(find);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isSearching(), 60000);
    QCOMPARE(dialog.rows().size(), std::size_t(2001));
}

void FindDialogTest::minimumSize()
{
    TestSession s;
    FindDialog dialog(*s.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QSize initial = dialog.size();
    QCOMPARE(dialog.minimumSize(), initial);
    dialog.resize(initial + QSize(200, 100));
    QCOMPARE(dialog.size(), initial + QSize(200, 100));
    dialog.resize(100, 100);
    QCOMPARE(dialog.size(), initial);
}

void FindDialogTest::opensWhereItClosed()
{
    TestSession s;
    QRect placed;
    for (int round = 0; round < 3; ++round) {
        FindDialog dialog(*s.session);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (round == 0) {
            dialog.move(140, 90);  // where the user left it
            QTRY_COMPARE(dialog.frameGeometry().topLeft(), QPoint(140, 90));
            placed = dialog.geometry();
        }
        // Each opening shows it exactly where it was closed, frame and all.
        QCOMPARE(dialog.geometry(), placed);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }
}

void FindDialogTest::screenshot()
{
    TestSession s;
    s.fill();
    test::AddPiplEntry(s.session->Catalogue(), "No Category", "", "/nowhere/nocat.8bf");
    FindDialog dialog(*s.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    search(dialog);
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("resultList"));
    clickHit(list, QStringLiteral("FF Ripple"));
    QTRY_VERIFY(!dialog.filterPreview()->isRendering());
    QTest::qWait(50);
    const QImage shot = dialog.grab().toImage();
    QVERIFY(shot.save(QString::fromStdString((s.dir / "find.png").string())));
}

QTEST_MAIN(FindDialogTest)
#include "FindDialogTest.moc"
