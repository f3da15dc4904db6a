#pragma once
#include "builder/ProjectView.h"

#include <QWidget>

class ElidedLabel;
class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

// The player's row: Play (Pause while a song plays), Stop, the position slider, the time (or
// "No sound output", or why the song cannot play) and "As the game plays it". It draws a
// ListeningView and hands on what the user does; clicks, keys and the wheel seek at once, a
// drag where it is let go.
class ListeningBar : public QWidget {
    Q_OBJECT

public:
    explicit ListeningBar(QWidget* parent);

    QPushButton* playButton() const { return playButton_; }
    QPushButton* stopButton() const { return stopButton_; }
    QSlider* positionSlider() const { return positionSlider_; }
    QLabel* timeLabel() const;
    QCheckBox* gameVersionBox() const { return gameVersionBox_; }

    void Draw(const ListeningView& view);

signals:
    void PlayOrPause();
    void Stop();
    void Seek(double seconds);
    void GameVersionSwitched(bool on);

private:
    void LayOut();

    QPushButton* playButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QSlider* positionSlider_ = nullptr;
    ElidedLabel* timeLabel_ = nullptr;
    QCheckBox* gameVersionBox_ = nullptr;
};
