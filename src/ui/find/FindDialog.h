#pragma once
// The dialog "Find Plugins": a keyword searched in the fields the user
// picks over the whole catalogue, the hits in a list of three columns, the
// selected hit's preview (its stored image, or the live rendering of a
// Filter Factory filter) and its "Plugin Details" on a double click. The
// options, column widths and window placement persist in "Settings.Find".
//
// A search that reads Filter Factory blocks from plug-in files (Author)
// takes a while, so every search runs on a worker thread over copies of the
// catalogue and the descriptions, and can be stopped. Nothing ever waits for
// a worker: a stopped or replaced search runs out on its own and its rows
// are dropped. The hits reach the list in batches as they are found; the
// list is a view of a table model, so tens of thousands of hits are shown
// and sorted without an item each. The preview keeps its own place in the
// preview images.

#include "images/PreviewImageManager.h"
#include "search/FindSettings.h"
#include "search/PluginSearch.h"

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QModelIndex;
class QTreeView;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class CPreviewWnd;
class FilterPreview;
class SearchResultModel;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the options of "Settings.Find" into the controls.
    FindDialog(vardel::CVardelSession& session, QWidget* parent = nullptr);
    // Stops a running search; its worker runs out on its own.
    ~FindDialog() override;

    // The options as the controls show them.
    vardel::FindSettings currentSettings() const;
    // "&Find" and Enter: starts a search with the controls' options (a
    // running one is stopped and its rows dropped). The button says "&Stop"
    // while one runs.
    void startSearch();
    void stopSearch();
    bool isSearching() const;
    // The hits shown, in list order.
    const std::vector<vardel::SearchRow>& rows() const;
    // Sorts the hits by column 0..2, ascending, as a header click does.
    void sortByColumn(int column);
    // The plug-in whose preview is on show; null when none.
    const vardel::CPluginEntry* previewedPlugin() const { return m_previewed; }
    FilterPreview* filterPreview() const { return m_filterPreview; }
    // The preview's own place in the preview images.
    const vardel::CPreviewImageManager& images() const { return m_images; }

    // Writes the options, column widths and placement to "Settings.Find".
    void saveSettings();

protected:
    void done(int result) override;
    // Enter starts a search, wherever the focus is but on the hits (there it
    // opens the hit).
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadSettings();
    void appendBatch(std::vector<vardel::SearchRow>& rows);
    void searchFinished(bool stopped);
    void showHit();
    void openHit(const QModelIndex& index);
    const vardel::CPluginEntry* pluginOf(const QModelIndex& index) const;
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
    QTreeView* m_list = nullptr;
    SearchResultModel* m_model = nullptr;
    CPreviewWnd* m_window = nullptr;
    FilterPreview* m_filterPreview = nullptr;
    QLabel* m_status = nullptr;

    const vardel::CPluginEntry* m_previewed = nullptr;
    // The preview's own place in the preview images.
    vardel::CPreviewImageManager m_images;

    std::shared_ptr<std::atomic<bool>> m_stop;  // of the running search
    std::uint64_t m_generation = 0;             // of the latest search
    bool m_searching = false;
};

}  // namespace vardel::ui
