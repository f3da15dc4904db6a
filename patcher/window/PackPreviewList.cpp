#include "patcher/window/PackPreviewList.h"

#include "common/PackLayout.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

PackPreviewList::PackPreviewList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("No."), QStringLiteral("Title"), QStringLiteral("Length")});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection); // the current row, to choose a song
    setFocusPolicy(Qt::StrongFocus); // in the Tab order: the keyboard scrolls to songs 9 to 16
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(1, QHeaderView::Stretch);
    header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    MeasureRow();
}

void PackPreviewList::ShowSongs(const std::vector<PreviewSong>& songs) {
    if (songs == shown)
        return;
    shown = songs;
    playing = 0;
    clear();
    for (const PreviewSong& song : songs) {
        const QString title = QString::fromStdString(song.title);
        auto* row = new QTreeWidgetItem(this, {QString::fromStdString(song.number), title,
                                               QString::fromStdString(song.length)});
        row->setToolTip(1, title);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void PackPreviewList::ShowPlaying(int number) {
    if (number == playing)
        return;
    for (int row : {playing, number}) {
        if (QTreeWidgetItem* item = topLevelItem(row - 1)) {
            for (int column = 0; column < columnCount(); ++column) {
                QFont font = item->font(column);
                font.setBold(row == number);
                item->setFont(column, font);
            }
        }
    }
    playing = number;
}

void PackPreviewList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentItem()) {
        emit SongChosen(indexOfTopLevelItem(currentItem()) + 1);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void PackPreviewList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint())) {
        setCurrentItem(item);
        emit SongChosen(indexOfTopLevelItem(item) + 1);
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

// Rows are as high as the font and style make them: measured on a row like the songs' own.
void PackPreviewList::MeasureRow() {
    const bool empty = topLevelItemCount() == 0;
    if (empty)
        addTopLevelItem(new QTreeWidgetItem(
            {QStringLiteral("16"), QStringLiteral("Title"), QStringLiteral("0:00")}));
    rowHeight = std::max(1, sizeHintForRow(0));
    if (empty)
        delete takeTopLevelItem(0);
    updateGeometry();
}

void PackPreviewList::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        MeasureRow();
}

int PackPreviewList::HeightForRows(int rows) const {
    return header()->sizeHint().height() + rows * rowHeight + 2 * frameWidth();
}

QSize PackPreviewList::sizeHint() const {
    return {QTreeWidget::sizeHint().width(), HeightForRows(PackLayout::kSongCount)};
}

QSize PackPreviewList::minimumSizeHint() const {
    return {QTreeWidget::minimumSizeHint().width(), HeightForRows(2)};
}
