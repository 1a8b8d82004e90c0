#pragma once
// The dialog "Find Plugins": a keyword searched in the fields the user
// picks over the whole catalogue, the hits in a list of three columns, the
// selected hit's preview (its stored image, or the live rendering of a
// Filter Factory filter) and its "Plugin Details" on a double click. The
// options, column widths and window placement persist in "Settings.Find".
//
// A search that reads Filter Factory blocks from plug-in files (Author)
// takes a while, so every search runs on a worker thread and can be
// stopped; the dialog is modal, so the catalogue does not change meanwhile.

#include "search/FindSettings.h"
#include "search/PluginSearch.h"

#include <QDialog>
#include <QFutureWatcher>

#include <atomic>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class CPreviewWnd;
class FilterPreview;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the options of "Settings.Find" into the controls.
    FindDialog(vardel::CVardelSession& session, QWidget* parent = nullptr);
    // Stops a running search and waits for its worker (it stops at the next
    // plug-in file).
    ~FindDialog() override;

    // The options as the controls show them.
    vardel::FindSettings currentSettings() const;
    // "&Find": starts a search with the controls' options (a running one is
    // stopped first). "&Stop" while one runs.
    void startSearch();
    void stopSearch();
    bool isSearching() const;
    // The hits shown, in list order.
    const std::vector<vardel::SearchRow>& rows() const { return m_rows; }
    // Sorts the hits by column 0..2, ascending, as a header click does.
    void sortByColumn(int column);
    // The plug-in whose preview is on show; null when none.
    const vardel::CPluginEntry* previewedPlugin() const { return m_previewed; }
    FilterPreview* filterPreview() const { return m_filterPreview; }

    // Writes the options, column widths and placement to "Settings.Find".
    void saveSettings();

protected:
    void done(int result) override;

private:
    void loadSettings();
    void searchFinished();
    void fillList();
    void showHit();
    void openHit(QTreeWidgetItem* item);
    const vardel::CPluginEntry* pluginOf(const QTreeWidgetItem* item) const;
    void showStatus(const QString& text);

    vardel::CVardelSession& m_session;
    QLineEdit* m_keyword = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_title = nullptr;
    QCheckBox* m_category = nullptr;
    QCheckBox* m_author = nullptr;
    QCheckBox* m_filename = nullptr;
    QCheckBox* m_description = nullptr;
    QCheckBox* m_keywords = nullptr;
    QPushButton* m_find = nullptr;
    QTreeWidget* m_list = nullptr;
    CPreviewWnd* m_window = nullptr;
    FilterPreview* m_filterPreview = nullptr;
    QLabel* m_status = nullptr;

    std::vector<vardel::SearchRow> m_rows;
    const vardel::CPluginEntry* m_previewed = nullptr;

    QFutureWatcher<std::vector<vardel::SearchRow>> m_watcher;
    std::shared_ptr<std::atomic<bool>> m_stop;
    bool m_searching = false;
};

}  // namespace vardel::ui
