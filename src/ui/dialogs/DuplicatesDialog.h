#pragma once
// "Duplicates": across every directory of the list, files with the same
// content and plug-ins of one class with the same name and category,
// grouped, with their directories and states. The copies the user ticks (or
// the one selected) are enabled or disabled; a double click shows a copy in
// the main window. The search runs on a worker and can be stopped; nothing
// waits for it.

#include "app/DuplicatesJob.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vardel {
class CVardelSession;
}

namespace vardel::ui {

class DuplicatesDialog : public QDialog {
    Q_OBJECT
public:
    DuplicatesDialog(vardel::CVardelSession& session, QWidget* parent = nullptr);
    ~DuplicatesDialog() override;

    // Looks for duplicates again (a running search is given up).
    void search();
    bool isSearching() const { return m_searching; }
    // The groups on show.
    const std::vector<vardel::DuplicateGroup>& groups() const { return m_groups; }

signals:
    // A copy to show in the main window: directory n's catalogue holds it at path.
    void showRequested(int directory, const std::string& path);

protected:
    void done(int result) override;

private:
    void searchFinished(std::uint64_t generation, std::shared_ptr<vardel::CDuplicatesJob> job);
    void fillList();
    // The copies ticked, or the one selected when none is.
    std::vector<const vardel::DuplicateCopy*> chosenCopies() const;
    const vardel::DuplicateCopy* copyOf(const QTreeWidgetItem* item) const;
    void setChosen(bool flag);
    void showCopy(QTreeWidgetItem* item);
    void updateButtons();

    vardel::CVardelSession& m_session;
    QTreeWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_enable = nullptr;
    QPushButton* m_disable = nullptr;
    QPushButton* m_show = nullptr;
    QPushButton* m_again = nullptr;
    std::vector<vardel::DuplicateGroup> m_groups;
    std::stop_source m_stop;
    std::uint64_t m_generation = 0;
    bool m_searching = false;
};

}  // namespace vardel::ui
