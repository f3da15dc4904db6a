#include "builder/window/ListeningBar.h"

#include "builder/window/ElidedLabel.h"
#include "playback/Player.h"
#include "widgets/DialogUnits.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

ListeningBar::ListeningBar(QWidget* parent) : QWidget(parent) {
    playButton_ = new QPushButton(QStringLiteral("Pl&ay"), this);
    stopButton_ = new QPushButton(QStringLiteral("&Stop"), this);
    positionSlider_ = new QSlider(Qt::Horizontal, this);
    positionSlider_->setFocusPolicy(Qt::StrongFocus);
    timeLabel_ = new ElidedLabel(this);
    gameVersionBox_ = new QCheckBox(QStringLiteral("As the &game plays it"), this);
    for (QPushButton* button : {playButton_, stopButton_})
        button->setAutoDefault(false); // Enter belongs to the window, not to a button
    LayOut();

    connect(playButton_, &QPushButton::clicked, this, &ListeningBar::PlayOrPause);
    connect(stopButton_, &QPushButton::clicked, this, &ListeningBar::Stop);
    connect(gameVersionBox_, &QCheckBox::toggled, this, &ListeningBar::GameVersionSwitched);
    const auto seek = [this] { emit Seek(positionSlider_->sliderPosition() / 1000.0); };
    connect(positionSlider_, &QSlider::actionTriggered, this, [seek](int action) {
        if (action != QAbstractSlider::SliderMove)
            seek();
    });
    connect(positionSlider_, &QSlider::sliderReleased, this, seek);
}

QLabel* ListeningBar::timeLabel() const {
    return timeLabel_;
}

void ListeningBar::LayOut() {
    // Play keeps one width whether it reads Play or Pause; the time has room for 30 minutes,
    // and for "No sound output", which it shows instead.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    playButton_->setText(QStringLiteral("P&ause"));
    const int pauseWidth = playButton_->sizeHint().width();
    playButton_->setText(QStringLiteral("Pl&ay"));
    const int buttonWidth = DialogUnitsToPixels(*this, 0, 0, 44, 14).width();
    playButton_->setMinimumWidth(
        std::max({buttonWidth, pauseWidth, playButton_->sizeHint().width()}));
    stopButton_->setMinimumWidth(std::max(buttonWidth, stopButton_->sizeHint().width()));
    positionSlider_->setMinimumWidth(DialogUnitsToPixels(*this, 0, 0, 60, 0).width());
    const QFontMetrics metrics = timeLabel_->fontMetrics();
    timeLabel_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    timeLabel_->setFixedWidth( // a longer reason is cut, whole in its tip
        std::max(metrics.horizontalAdvance(QStringLiteral("00:00.0 / 00:00.0")),
                 metrics.horizontalAdvance(QString::fromLatin1(kNoSoundOutput))) +
        metrics.averageCharWidth());
    row->addWidget(playButton_);
    row->addWidget(stopButton_);
    row->addWidget(positionSlider_, 3);
    row->addWidget(timeLabel_);
    row->addWidget(gameVersionBox_);
}

void ListeningBar::Draw(const ListeningView& view) {
    const QString play = view.playing ? QStringLiteral("P&ause") : QStringLiteral("Pl&ay");
    if (playButton_->text() != play)
        playButton_->setText(play);
    playButton_->setEnabled(view.available && view.playEnabled);
    stopButton_->setEnabled(view.available && view.stopEnabled);
    positionSlider_->setEnabled(view.available && view.positionEnabled);
    gameVersionBox_->setEnabled(view.available);
    {
        const QSignalBlocker blocker(gameVersionBox_);
        gameVersionBox_->setChecked(view.gameVersion);
    }
    if (!positionSlider_->isSliderDown()) { // a drag shows where it is, not where the song is
        const QSignalBlocker blocker(positionSlider_);
        positionSlider_->setRange(0, view.durationMs);
        positionSlider_->setValue(view.positionMs);
        positionSlider_->setPageStep(std::max(view.durationMs / 10, 1));
        positionSlider_->setSingleStep(std::max(view.durationMs / 100, 1));
    }
    // Why nothing can play matters more than where it would be.
    timeLabel_->SetFullText(
        QString::fromStdString(view.status.empty() ? view.timeText : view.status));
}
