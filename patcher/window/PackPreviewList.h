#pragma once
#include "patcher/PatcherView.h"

#include <QTreeWidget>

#include <vector>

// The small read-only list of a chosen pack's songs: number, title and length, as the
// controller gives them. Its preferred height shows all sixteen songs; it can shrink to a
// few rows and scroll, also by keyboard (it is in the Tab order).
class PackPreviewList : public QTreeWidget {
    Q_OBJECT

public:
    explicit PackPreviewList(QWidget* parent = nullptr);

    // Replaces the rows with these songs (none clears the list); the same songs again change
    // nothing, so the list keeps its scroll position.
    void ShowSongs(const std::vector<PreviewSong>& songs);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void MeasureRow();
    int HeightForRows(int rows) const;

    std::vector<PreviewSong> shown;
    int rowHeight = 1;
};
