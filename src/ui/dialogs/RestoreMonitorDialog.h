#pragma once
// "Restore Cache Monitor": every entry of the restore database in one list,
// a diagnostic view opened from the About box. A click on a column header
// sorts the rows ascending by the texts of that column, byte by byte.

#include <QDialog>

#include <array>
#include <string>
#include <vector>

class QTreeWidget;

namespace vardel {
class CPluginRestoreManager;
class SettingsBackend;
}

namespace vardel::ui {

class RestoreMonitorDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 6;
    using Row = std::array<std::string, kColumnCount>;

    // settings keeps the dialog's size.
    RestoreMonitorDialog(const vardel::CPluginRestoreManager& restore, vardel::SettingsBackend& settings,
                         QWidget* parent = nullptr);

    // The rows of the database in map order: key, "???", category, its
    // length "%2d", name, its length "%2d".
    static std::vector<Row> makeRows(const vardel::CPluginRestoreManager& restore);
    // Sorts rows ascending by column (byte-wise, case-sensitive); rows with
    // equal texts keep their order. Ignored for another column.
    static void sortRows(std::vector<Row>& rows, int column);

public slots:
    // The header's click: sorts by the column and refills the list.
    void sortByColumn(int column);

private:
    void fillList();

    QTreeWidget* m_list;
    std::vector<Row> m_rows;
};

}  // namespace vardel::ui
