// The main view's list models over the core's view data: checked by
// QAbstractItemModelTester, with the limits label edits get, the icons and
// tool tips, and the drag data a category accepts.

#include "UiTestSupport.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/resources/Icons.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace vardel;
using namespace vardel::ui;

namespace {

// A sorted catalogue of Photoshop filters: "Art" (2), "Blur" (3, one
// disabled), "Zed" (1, read-only).
std::unique_ptr<CPluginListManager> MakeCatalogue()
{
    auto catalogue = std::make_unique<CPluginListManager>();
    struct Row {
        const char* name;
        const char* category;
        int nameCapacity, categoryCapacity;
        bool enabled, readOnly;
    };
    const Row rows[] = {
        {"Alpha", "Art", 10, 8, true, false},      {"Beta", "Art", 12, 5, true, false},
        {"Blur More", "Blur", 20, 6, true, false}, {"Gauss", "Blur", 9, 6, false, false},
        {"Motion", "Blur", 15, 6, true, false},    {"Zeta", "Zed", 10, 10, true, true},
    };
    for (const Row& r : rows) {
        CPluginEntry& e = test::AddPiplEntry(*catalogue, r.name, r.category, std::string("/p/") + r.name + ".8bf");
        e.m_nameCapacity = r.nameCapacity;
        e.m_categoryCapacity = r.categoryCapacity;
        e.m_nameOffset = 100;
        e.m_categoryOffset = 200;
        e.m_enabled = r.enabled ? 1 : 0;
        if (r.readOnly)
            e.m_fileStatus.attributes |= FileStatus::kAttrReadOnly;
    }
    return catalogue;
}

}  // namespace

class ModelsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initResources(); }
    void categoryModelPassesTheTester();
    void pluginModelPassesTheTester();
    void categoryRowsIconsAndLimits();
    void pluginLimits_data();
    void pluginLimits();
    void editedLabelGoesToTheViewNotTheModel();
    void dragDataDropsOnACategoryRowOnly();
    void labelEditBoxIsLimited();
    void listIconsAreSharpAtBothScales();
};

void ModelsTest::categoryModelPassesTheTester()
{
    auto catalogue = MakeCatalogue();
    CategoryListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.reset(*catalogue, 0);
    QCOMPARE(model.rowCount(), 3);
    model.refreshIcons();
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    model.reset(*catalogue, 3);  // a class without plug-ins
    QCOMPARE(model.rowCount(), 0);
    model.reset(*catalogue, 0);
    QCOMPARE(model.rowCount(), 3);
}

void ModelsTest::pluginModelPassesTheTester()
{
    auto catalogue = MakeCatalogue();
    PluginListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.reset(*catalogue, *catalogue->m_entries[2]);
    QCOMPARE(uitest::RowTexts(model),
             (QStringList{QStringLiteral("Blur More"), QStringLiteral("Gauss"), QStringLiteral("Motion")}));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.EntriesChanged({catalogue->m_entries[3].get(), catalogue->m_entries[0].get()});
    QCOMPARE(changed.count(), 1);  // only the listed entry of this category
    QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

void ModelsTest::categoryRowsIconsAndLimits()
{
    auto catalogue = MakeCatalogue();
    CategoryListModel model;
    model.reset(*catalogue, 0);
    QCOMPARE(uitest::RowTexts(model),
             (QStringList{QStringLiteral("Art"), QStringLiteral("Blur"), QStringLiteral("Zed")}));
    // Room: read from the plug-in files elsewhere, unknown until then (and
    // never read for a tip); none with a read-only member.
    QCOMPARE(model.index(0).data(CategoryListModel::LimitRole).toInt(), -1);
    QCOMPARE(model.index(2).data(CategoryListModel::LimitRole).toInt(), 0);
    QVERIFY(!model.index(0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("up to")));
    QCOMPARE(model.members(1).size(), std::size_t(3));
    model.setLimit(0, 5);
    model.setLimit(1, 6);
    model.setLimit(2, 12);  // not to be renamed, whatever its room
    QCOMPARE(model.index(0).data(CategoryListModel::LimitRole).toInt(), 5);
    QCOMPARE(model.index(1).data(CategoryListModel::LimitRole).toInt(), 6);
    QCOMPARE(model.index(2).data(CategoryListModel::LimitRole).toInt(), 0);
    QVERIFY(model.flags(model.index(0)) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(model.index(2)) & Qt::ItemIsEditable));
    QVERIFY(model.index(0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("up to 5")));
    // Icons: all enabled, partly enabled, enabled with a read-only plug-in.
    QCOMPARE(model.index(0).data(Qt::DecorationRole).value<QIcon>().cacheKey(), listIcon(0).cacheKey());
    QCOMPARE(model.index(1).data(Qt::DecorationRole).value<QIcon>().cacheKey(), listIcon(2).cacheKey());
    QCOMPARE(model.index(2).data(Qt::DecorationRole).value<QIcon>().cacheKey(), listIcon(3).cacheKey());
    catalogue->m_entries[3]->m_enabled = 1;
    model.refreshIcons();
    QCOMPARE(model.index(1).data(Qt::DecorationRole).value<QIcon>().cacheKey(), listIcon(0).cacheKey());
}

void ModelsTest::pluginLimits_data()
{
    QTest::addColumn<int>("nameCapacity");
    QTest::addColumn<int>("categoryCapacity");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("noCategory");
    QTest::addColumn<int>("limit");
    QTest::newRow("room of the name") << 12 << 8 << false << false << 12;
    QTest::newRow("read-only") << 12 << 8 << true << false << 0;
    QTest::newRow("no category of its own") << 12 << 8 << false << true << 0;
    QTest::newRow("no room for a category") << 12 << 0 << false << false << 0;
    QTest::newRow("one byte of name") << 1 << 8 << false << false << 1;
}

void ModelsTest::pluginLimits()
{
    QFETCH(int, nameCapacity);
    QFETCH(int, categoryCapacity);
    QFETCH(bool, readOnly);
    QFETCH(bool, noCategory);
    QFETCH(int, limit);
    CPluginListManager catalogue;
    CPluginEntry& e = test::AddPiplEntry(catalogue, "Some Name", "Cat", "/p/x.8bf");
    e.m_nameCapacity = nameCapacity;
    e.m_categoryCapacity = categoryCapacity;
    e.m_nameOffset = 10;
    e.m_categoryOffset = 20;
    e.m_noCategory = noCategory ? 1 : 0;
    if (readOnly)
        e.m_fileStatus.attributes |= FileStatus::kAttrReadOnly;
    PluginListModel model;
    model.reset(catalogue, e);
    QCOMPARE(model.rowCount(), 1);
    // A hover reads no file: the tips say the room once an edit asked for it.
    QVERIFY(!model.index(0).data(Qt::StatusTipRole).toString().contains(QStringLiteral("up to")));
    QVERIFY(!model.index(0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("up to")));
    QCOMPARE(model.index(0).data(PluginListModel::LimitRole).toInt(), limit);
    QCOMPARE(bool(model.flags(model.index(0)) & Qt::ItemIsEditable), limit > 0);
    QCOMPARE(model.index(0).data(Qt::StatusTipRole).toString().contains(QStringLiteral("up to")), limit > 0);
}

void ModelsTest::editedLabelGoesToTheViewNotTheModel()
{
    auto catalogue = MakeCatalogue();
    PluginListModel model;
    model.reset(*catalogue, *catalogue->m_entries[0]);
    QSignalSpy rename(&model, &PluginListModel::renameRequested);
    QVERIFY(!model.setData(model.index(1), QStringLiteral("Gamma"), Qt::EditRole));
    QCOMPARE(rename.count(), 1);
    QCOMPARE(rename.first().at(0).toInt(), 1);
    QCOMPARE(rename.first().at(1).toString(), QStringLiteral("Gamma"));
    // The label shown is the entry's until the file holds the new name.
    QCOMPARE(model.index(1).data().toString(), QStringLiteral("Beta"));
}

void ModelsTest::dragDataDropsOnACategoryRowOnly()
{
    auto catalogue = MakeCatalogue();
    PluginListModel plugins;
    plugins.reset(*catalogue, *catalogue->m_entries[2]);
    std::unique_ptr<QMimeData> data(plugins.mimeData({plugins.index(2), plugins.index(0)}));
    QVERIFY(data);

    CategoryListModel categories;
    categories.reset(*catalogue, 0);
    QSignalSpy dropped(&categories, &CategoryListModel::pluginsDropped);
    QVERIFY(!categories.canDropMimeData(data.get(), Qt::MoveAction, 1, 0, QModelIndex()));  // between rows
    QVERIFY(categories.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, categories.index(0)));
    categories.dropMimeData(data.get(), Qt::MoveAction, -1, -1, categories.index(0));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first().at(0).toInt(), 0);
    QCOMPARE(dropped.first().at(1).value<QVector<int>>(), (QVector<int>{2, 4}));

    QMimeData other;
    other.setText(QStringLiteral("text"));
    QVERIFY(!categories.canDropMimeData(&other, Qt::MoveAction, -1, -1, categories.index(0)));
    // A class listed by kind has no categories to drop on.
    CPluginListManager general;
    test::AddPiplEntry(general, "Importer", "", "/p/i.8bi", KindFromCode("8BAM"));
    categories.reset(general, ClassOfKind(KindFromCode("8BAM")));
    QVERIFY(categories.rowCount() > 0);
    QVERIFY(!categories.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, categories.index(0)));
}

void ModelsTest::labelEditBoxIsLimited()
{
    auto catalogue = MakeCatalogue();
    PluginListModel model;
    model.reset(*catalogue, *catalogue->m_entries[2]);
    LabelListView view(PluginListModel::LimitRole);
    view.setModel(&model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    bool allow = false;
    view.setEditGuard([&allow](const QModelIndex&) { return allow; });
    QVERIFY(!view.startEdit(model.index(0)));  // refused by the guard
    QVERIFY(!view.findChild<QLineEdit*>(QStringLiteral("labelEdit")));
    allow = true;
    QVERIFY(view.startEdit(model.index(0)));
    auto* edit = view.findChild<QLineEdit*>(QStringLiteral("labelEdit"));
    QVERIFY(edit);
    QCOMPARE(edit->maxLength(), 20);
    QTest::keyClicks(edit, QString(30, QLatin1Char('x')));
    QCOMPARE(edit->text().size(), 20);
}

void ModelsTest::listIconsAreSharpAtBothScales()
{
    for (int i = 0; i < 6; ++i) {
        const QIcon icon = listIcon(i);
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(QSize(16, 16), 1.0).size(), QSize(16, 16));
        const QPixmap twice = icon.pixmap(QSize(16, 16), 2.0);
        QCOMPARE(twice.size(), QSize(32, 32));
        QCOMPARE(twice.devicePixelRatio(), 2.0);
        // Drawn at that size, not scaled up: the 2x picture has detail of its own.
        const QImage a = twice.toImage().scaled(16, 16);
        QVERIFY(!a.isNull());
    }
    QVERIFY(listIcon(6).isNull());
    QVERIFY(listIcon(-1).isNull());
    QVERIFY(listIcon(0).cacheKey() != listIcon(3).cacheKey());
}

QTEST_MAIN(ModelsTest)
#include "ModelsTest.moc"
