#pragma once
#include "patcher/pack/PackValidator.h"

#include <QTreeWidget>

#include <vector>

// The small read-only list of a chosen pack's songs: number, title (converted from the
// game's Windows-1252 as the game will show it) and length as minutes and seconds.
class PackPreviewList : public QTreeWidget {
    Q_OBJECT

public:
    explicit PackPreviewList(QWidget* parent = nullptr);

    // Replaces the rows with these songs (none clears the list).
    void ShowSongs(const std::vector<PackSong>& songs);
};
