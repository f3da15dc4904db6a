#pragma once
#include "builder/ProjectView.h"

#include <QStringList>
#include <QTableWidget>

#include <functional>
#include <vector>

// The list of the sixteen slots: columns ID, Letter, Title, Length and Status, one row per
// slot, whole rows selected, Home and End go to the first and last row, and Tab leaves the
// list for the next control. It draws the rows as the controller shows them: a coloured row
// with a tip where the title may not be what the game shows, a warning mark beside the
// status of a slot that would stop a build. Files dragged from the desktop can be dropped on
// it; while they hover, the rows they would fill are framed. Nothing here fails.
class SlotList : public QTableWidget {
    Q_OBJECT

public:
    // The rows a drop of `count` files would fill, given the row under the pointer (-1 when
    // the pointer is below the rows).
    using DropPlan = std::function<std::vector<int>(int row, int count)>;

    explicit SlotList(QWidget* parent);

    void ShowRows(const std::array<SlotRowView, SongProject::kSlotCount>& rows);
    // Selects the row (-1: none) without telling the selection's watchers.
    void ShowSelection(int row);
    // The selected row; -1 when none.
    int SelectedRow() const;

    void SetDropPlan(DropPlan plan);
    // Room for every row and column at the list's font, and a row's height below them to drop
    // files on, so the window opens with all in view.
    QSize sizeHint() const override;
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
    void SetUpColumns();
    static QStringList LocalFiles(const QDropEvent& event);
    int DropRowAt(const QDropEvent& event) const;
    void ShowDropRows(std::vector<int> rows);

    DropPlan dropPlan_;
    std::vector<int> dropRows_;
};
