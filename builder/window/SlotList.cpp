#include "builder/window/SlotList.h"

#include "builder/window/ClearScrollBarStyle.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QUrl>

namespace {

constexpr int kColumns = 5;

// Rows whose title may not be what the game shows.
QColor AlteredTitleBackground() {
    return {255, 236, 179};
}

} // namespace

SlotList::SlotList(QWidget* parent) : QTableWidget(SongProject::kSlotCount, kColumns, parent) {
    setTabKeyNavigation(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    SetUpColumns();
    auto* scrollBarStyle = new ClearScrollBarStyle;
    scrollBarStyle->setParent(this);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        bar->setStyle(scrollBarStyle);
}

void SlotList::SetUpColumns() {
    setHorizontalHeaderLabels({"ID", "Letter", "Title", "Length", "Status"});
    const int widths[kColumns] = {30, 50, 200, 100, 100};
    for (int column = 0; column < kColumns; ++column)
        setColumnWidth(column, widths[column]);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    const int iconSide = fontMetrics().ascent();
    setIconSize({iconSide, iconSide}); // the status mark leaves room for the status text
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < kColumns; ++column)
            setItem(row, column, new QTableWidgetItem);
}

void SlotList::ShowRows(const std::array<SlotRowView, SongProject::kSlotCount>& rows) {
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row = 0; row < rowCount(); ++row) {
        const SlotRowView& shown = rows[static_cast<std::size_t>(row)];
        const std::string* texts[kColumns] = {&shown.number, &shown.letter, &shown.title,
                                              &shown.length, &shown.status};
        for (int column = 0; column < kColumns; ++column) {
            QTableWidgetItem* cell = item(row, column);
            cell->setText(QString::fromStdString(*texts[column]));
            cell->setData(Qt::BackgroundRole,
                          shown.titleTip.empty() ? QVariant() : QVariant(AlteredTitleBackground()));
            cell->setToolTip(QString::fromStdString(shown.titleTip));
        }
        // A shape as well as a word, so the rows that stop a build stand out without colour.
        item(row, kColumns - 1)->setIcon(shown.warning ? warning : QIcon());
    }
}

void SlotList::ShowSelection(int row) {
    if (row == SelectedRow())
        return;
    const QSignalBlocker quiet(this);
    if (row < 0)
        clearSelection();
    else
        setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int SlotList::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void SlotList::SetDropPlan(DropPlan plan) {
    dropPlan_ = std::move(plan);
}

QSize SlotList::sizeHint() const {
    int width = 2 * frameWidth();
    for (int column = 0; column < columnCount(); ++column)
        width += columnWidth(column);
    int height = 2 * frameWidth() + horizontalHeader()->sizeHint().height();
    for (int row = 0; row < rowCount(); ++row)
        height += rowHeight(row);
    height += rowCount() > 0 ? rowHeight(0) : 0; // room to drop files below the rows
    return {width, height};
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
