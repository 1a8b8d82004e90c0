#include "dialogs/RestoreMonitorDialog.h"

#include "common/Convert.h"
#include "dialogs/DialogGeometry.h"
#include "modify/PluginRestoreManager.h"
#include "search/PluginSearch.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace vardel::ui {
namespace {

std::string lengthText(const std::string& text)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%2d", static_cast<int>(text.size()));
    return buffer;
}

}  // namespace

RestoreMonitorDialog::RestoreMonitorDialog(const vardel::CPluginRestoreManager& restore, QWidget* parent)
    : QDialog(parent), m_list(new QTreeWidget(this)), m_rows(makeRows(restore))
{
    setWindowTitle(tr("Restore Cache Monitor"));
    setObjectName(QStringLiteral("RestoreMonitorDialog"));

    m_list->setObjectName(QStringLiteral("restoreList"));
    m_list->setToolTip(tr("The original names and categories of every filter seen so far"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels({tr("ID"), tr("Loaded"), tr("Category"), tr("C.Len"), tr("Name"), tr("N.Len")});
    const int widths[kColumnCount] = {150, 50, 140, 50, 160, 50};
    for (int c = 0; c < kColumnCount; ++c)
        m_list->setColumnWidth(c, widths[c]);
    m_list->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    m_list->headerItem()->setTextAlignment(5, Qt::AlignRight | Qt::AlignVCenter);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setStretchLastSection(false);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &RestoreMonitorDialog::sortByColumn);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    int total = 0;
    for (int w : widths)
        total += w;
    resize(total + 40, 360);
    fillList();
    new DialogGeometry(this, QStringLiteral("RestoreMonitorDialog"));
}

std::vector<RestoreMonitorDialog::Row> RestoreMonitorDialog::makeRows(const vardel::CPluginRestoreManager& restore)
{
    std::vector<Row> rows;
    rows.reserve(restore.Size());
    for (const auto& [key, entry] : restore.Entries()) {
        const std::string& category = entry ? entry->m_originalCategory : std::string();
        const std::string& name = entry ? entry->m_originalName : std::string();
        rows.push_back(Row{key, "???", category, lengthText(category), name, lengthText(name)});
    }
    return rows;
}

void RestoreMonitorDialog::sortRows(std::vector<Row>& rows, int column)
{
    if (column < 0 || column >= kColumnCount)
        return;
    const auto col = static_cast<std::size_t>(column);
    std::stable_sort(rows.begin(), rows.end(), [col](const Row& a, const Row& b) {
        return CPluginSearch::CompareText(a[col], b[col]) < 0;
    });
}

void RestoreMonitorDialog::sortByColumn(int column)
{
    sortRows(m_rows, column);
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(column, Qt::AscendingOrder);
    fillList();
}

void RestoreMonitorDialog::fillList()
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_rows.size()));
    for (const Row& row : m_rows) {
        auto* item = new QTreeWidgetItem;
        for (int c = 0; c < kColumnCount; ++c)
            item->setText(c, FromCodePage(row[static_cast<std::size_t>(c)]));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(5, Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);
}

}  // namespace vardel::ui
