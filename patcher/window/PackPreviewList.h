#pragma once
#include "patcher/PatcherView.h"

#include <QTreeWidget>

#include <vector>

// The small read-only list of a chosen pack's songs: number, title and length, as the
// controller gives them, the song that plays in bold. Its preferred height shows all sixteen
// songs; it can shrink to a few rows and scroll, also by keyboard (it is in the Tab order, and
// the arrow keys move the current row). Enter on the current row, or a double-click on a row,
// chooses that song (SongChosen).
class PackPreviewList : public QTreeWidget {
    Q_OBJECT

public:
    explicit PackPreviewList(QWidget* parent = nullptr);

    // Replaces the rows with these songs (none clears the list); the same songs again change
    // nothing, so the list keeps its scroll position and its current row.
    void ShowSongs(const std::vector<PreviewSong>& songs);
    // Marks the song that plays (1 to 16; 0 for none).
    void ShowPlaying(int number);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void SongChosen(int number);

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void MeasureRow();
    int HeightForRows(int rows) const;

    std::vector<PreviewSong> shown;
    int playing = 0;
    int rowHeight = 1;
};
