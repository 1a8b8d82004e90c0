#include "ui/dialogs/RestoreMonitorDialog.h"

#include "catalogue/PluginRestoreManager.h"
#include "search/PluginSearch.h"
#include "ui/common/Convert.h"
#include "ui/dialogs/DialogGeometry.h"
#include "modify/RestoreMonitor.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <QStringList>

namespace vardel::ui {
namespace {

// The core's column titles, for the translators.
[[maybe_unused]] constexpr const char* kColumnTitles[] = {
    QT_TRANSLATE_NOOP("vardel::ui::RestoreMonitorDialog", "ID"),
    QT_TRANSLATE_NOOP("vardel::ui::RestoreMonitorDialog", "Loaded"),
    QT_TRANSLATE_NOOP("vardel::ui::RestoreMonitorDialog", "Category"),
    QT_TRANSLATE_NOOP("vardel::ui::RestoreMonitorDialog", "C.Len"),
    QT_TRANSLATE_NOOP("vardel::ui::RestoreMonitorDialog", "Name"),
    QT_TRANSLATE_NOOP("vardel::ui::RestoreMonitorDialog", "N.Len"),
};

}  // namespace

RestoreMonitorDialog::RestoreMonitorDialog(const vardel::CPluginRestoreManager& restore,
                                           vardel::SettingsBackend& settings, QWidget* parent)
    : QDialog(parent)
    , m_list(new QTreeWidget(this))
    , m_rows(RestoreMonitorRows(restore))
{
    setWindowTitle(tr("Restore Cache Monitor"));
    setObjectName(QStringLiteral("restoreMonitorDialog"));

    m_list->setObjectName(QStringLiteral("restoreList"));
    m_list->setToolTip(tr("The original names and categories of every filter seen so far"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList titles;
    for (const RestoreMonitorColumn& column : kRestoreMonitorColumns)
        titles << tr(column.title);
    m_list->setHeaderLabels(titles);
    int total = 0;
    for (int c = 0; c < kColumnCount; ++c) {
        const RestoreMonitorColumn& column = kRestoreMonitorColumns[static_cast<std::size_t>(c)];
        m_list->setColumnWidth(c, column.width);
        total += column.width;
        if (column.rightAligned)
            m_list->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setStretchLastSection(false);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &RestoreMonitorDialog::sortByColumn);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    resize(total + 40, 360);
    fillList();
    new DialogGeometry(this, settings, QStringLiteral("RestoreMonitorDialog"));
}

void RestoreMonitorDialog::sortByColumn(int column)
{
    SortRestoreMonitorRows(m_rows, column);
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(column, Qt::AscendingOrder);
    fillList();
}

void RestoreMonitorDialog::fillList()
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_rows.size()));
    for (const RestoreMonitorRow& row : m_rows) {
        auto* item = new QTreeWidgetItem;
        for (int c = 0; c < kColumnCount; ++c)
            item->setText(c, fromCodePage(row[static_cast<std::size_t>(c)]));
        for (int c = 0; c < kColumnCount; ++c)
            if (kRestoreMonitorColumns[static_cast<std::size_t>(c)].rightAligned)
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);
}

}  // namespace vardel::ui
