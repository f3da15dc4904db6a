#pragma once
#include <QStringList>
#include <QTableWidget>

#include <functional>
#include <vector>

// The list of the sixteen slots: one row per slot, whole rows selected, Home and End go to
// the first and last row, and Tab leaves the list for the next control. Files dragged from
// the desktop can be dropped on it; while they hover, the rows they would fill are framed.
class SlotList : public QTableWidget {
    Q_OBJECT

public:
    // The rows a drop of `count` files would fill, given the row under the pointer (-1 when
    // the pointer is below the rows).
    using DropPlan = std::function<std::vector<int>(int row, int count)>;

    SlotList(int rows, int columns, QWidget* parent);

    void SetDropPlan(DropPlan plan);
    // The rows framed for the drag in progress; empty when there is none.
    const std::vector<int>& DropRows() const { return dropRows_; }

signals:
    // Local files dropped on `row` (-1: below the rows), in the order the desktop gave them.
    void FilesDropped(const QStringList& paths, int row);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static QStringList LocalFiles(const QDropEvent& event);
    int DropRowAt(const QDropEvent& event) const;
    void ShowDropRows(std::vector<int> rows);

    DropPlan dropPlan_;
    std::vector<int> dropRows_;
};
