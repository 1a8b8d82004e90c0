#pragma once
// "Restore Cache Monitor": every entry of the restore database in one list,
// a diagnostic view opened from the About box. A click on a column header
// sorts the rows ascending by the texts of that column, byte by byte.

#include "modify/RestoreMonitor.h"

#include <QDialog>

#include <vector>

class QTreeWidget;

namespace vardel {
class CPluginRestoreManager;
class SettingsBackend;
}  // namespace vardel

namespace vardel::ui {

class RestoreMonitorDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kColumnCount = kRestoreMonitorColumnCount;

    // The table's rows and columns are the core's (RestoreMonitorRows);
    // settings keeps the dialog's size.
    RestoreMonitorDialog(const vardel::CPluginRestoreManager& restore, vardel::SettingsBackend& settings,
                         QWidget* parent = nullptr);

public slots:
    // The header's click: sorts by the column and refills the list.
    void sortByColumn(int column);

private:
    void fillList();

    QTreeWidget* m_list;
    std::vector<RestoreMonitorRow> m_rows;
};

}  // namespace vardel::ui
