#pragma once
// A list of the main view: small icons, no header, in-place label editing
// limited to the room the model states (LimitRole), and the keys and mouse
// actions the main view needs (Enter and double click to open a plug-in,
// F2 to rename, a context menu).

#include <QListView>

#include <functional>

namespace vardel::ui {

class LabelListView : public QListView {
    Q_OBJECT
public:
    // limitRole: the model role giving the edit box's maximum length.
    LabelListView(int limitRole, QWidget* parent = nullptr);

    // Asked before an edit starts; an edit is refused when it returns false.
    void SetEditGuard(std::function<bool(const QModelIndex&)> guard) { m_guard = std::move(guard); }
    // Starts the in-place edit of the row; false when it is refused.
    bool StartEdit(const QModelIndex& index);

signals:
    // Enter or Return on the list (not while editing).
    void returnPressed();
    // The list's selection changed (any change, by mouse or key).
    void selectionChangedByUser();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    std::function<bool(const QModelIndex&)> m_guard;
};

}  // namespace vardel::ui
