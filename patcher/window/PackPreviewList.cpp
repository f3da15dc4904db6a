#include "patcher/window/PackPreviewList.h"

#include "common/CodePage.h"

#include <QHeaderView>

#include <cmath>

namespace {

QString MinutesAndSeconds(double seconds) {
    const long whole = std::lround(std::max(0.0, seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

PackPreviewList::PackPreviewList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("No."), QStringLiteral("Title"), QStringLiteral("Length")});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus); // in the Tab order: the keyboard scrolls to songs 9 to 16
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(1, QHeaderView::Stretch);
    header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
}

void PackPreviewList::ShowSongs(const std::vector<PackSong>& songs) {
    clear();
    int number = 0;
    for (const PackSong& song : songs) {
        const QString title = QString::fromStdString(CodePage::ToUtf8(song.title));
        auto* row =
            new QTreeWidgetItem(this, {QStringLiteral("%1").arg(++number, 2, 10, QLatin1Char('0')),
                                       title, MinutesAndSeconds(song.seconds)});
        row->setToolTip(1, title);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
}
