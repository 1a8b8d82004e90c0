#pragma once
// A list of the main view: small icons, no header, in-place label editing
// limited to the room the model states (LimitRole), and the keys and mouse
// actions the main view needs (Enter and double click to open a plug-in,
// F2 or a slow second click to rename, a context menu).

#include <QLineEdit>
#include <QListView>

#include <functional>

class QLabel;

namespace vardel::ui {

// The edit box of a label: its room (the characters the plug-in file holds)
// as a counter inside the box and in its tip; typing into a full box says
// that no more fit.
class LabelEdit : public QLineEdit {
    Q_OBJECT
public:
    LabelEdit(int limit, QWidget* parent = nullptr);

    bool isFull() const;
    // What the box last said about being full; "" until it was.
    QString fullMessage() const { return m_fullMessage; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRoom();
    void tellFull();

    QLabel* m_counter;
    QString m_fullMessage;
};

class LabelListView : public QListView {
    Q_OBJECT
public:
    // limitRole: the model role giving the edit box's maximum length.
    LabelListView(int limitRole, QWidget* parent = nullptr);

    // Asked before an edit starts; an edit is refused when it returns false.
    void setEditGuard(std::function<bool(const QModelIndex&)> guard) { m_guard = std::move(guard); }
    // Starts the in-place edit of the row; false when it is refused.
    bool startEdit(const QModelIndex& index);
    // The text shown in the middle of the list while it has no rows.
    void setEmptyText(const QString& text);
    QString emptyText() const { return m_emptyText; }
    // Neither a label edit nor a drag of its rows is under way.
    bool isIdle() const { return state() == NoState; }

signals:
    // Enter or Return on the list (not while editing).
    void returnPressed();
    // The list's selection changed: any change, by mouse or key and also
    // the ones the program makes (a model reset, a selection set in code).
    void selectionChangedByUser();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<bool(const QModelIndex&)> m_guard;
    QString m_emptyText;
};

}  // namespace vardel::ui
