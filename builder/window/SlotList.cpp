#include "builder/window/SlotList.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

SlotList::SlotList(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {
    setTabKeyNavigation(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void SlotList::SetDropPlan(DropPlan plan) {
    dropPlan_ = std::move(plan);
}

QModelIndex SlotList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const int column = std::max(0, currentColumn());
    if (action == MoveHome && rowCount() > 0)
        return model()->index(0, column);
    if (action == MoveEnd && rowCount() > 0)
        return model()->index(rowCount() - 1, column);
    return QTableWidget::moveCursor(action, modifiers);
}

QStringList SlotList::LocalFiles(const QDropEvent& event) {
    QStringList files;
    if (!event.mimeData())
        return files;
    for (const QUrl& url : event.mimeData()->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
    return files;
}

int SlotList::DropRowAt(const QDropEvent& event) const {
    return rowAt(event.position().toPoint().y());
}

void SlotList::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalFiles(*event).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void SlotList::dragMoveEvent(QDragMoveEvent* event) {
    const QStringList files = LocalFiles(*event);
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    ShowDropRows(dropPlan_ ? dropPlan_(DropRowAt(*event), static_cast<int>(files.size()))
                           : std::vector<int>{});
}

void SlotList::dragLeaveEvent(QDragLeaveEvent* event) {
    ShowDropRows({});
    event->accept();
}

void SlotList::dropEvent(QDropEvent* event) {
    ShowDropRows({});
    const QStringList files = LocalFiles(*event);
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit FilesDropped(files, DropRowAt(*event));
}

void SlotList::ShowDropRows(std::vector<int> rows) {
    if (rows == dropRows_)
        return;
    dropRows_ = std::move(rows);
    viewport()->update();
}

void SlotList::paintEvent(QPaintEvent* event) {
    QTableWidget::paintEvent(event);
    if (dropRows_.empty())
        return;
    QPainter painter(viewport());
    QPen pen(palette().color(QPalette::Highlight), 2);
    painter.setPen(pen);
    for (int row : dropRows_) {
        const QRect rect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
        painter.drawRect(rect.adjusted(1, 1, -1, -1));
    }
}
