#include "builder/SlotListening.h"

#include "builder/SongSlot.h"
#include "builder/TrimText.h"
#include "playback/GameVersionSource.h"
#include "playback/Player.h"
#include "playback/SongFileSource.h"
#include "playback/TrimmedSource.h"

#include <cmath>

namespace {

int MillisecondsOf(double seconds) {
    return static_cast<int>(std::llround(seconds * 1000.0));
}

} // namespace

void SlotListening::SetPlayer(Player* player) {
    Stop();
    player_ = player;
}

bool SlotListening::IsLoaded() const {
    if (!player_ || !loaded_)
        return false;
    const Player::State state = player_->CurrentState();
    return state != Player::State::Idle && state != Player::State::Failed;
}

void SlotListening::PlayOrPause(const SongSlot* slot, std::int32_t quality) {
    if (!player_)
        return;
    if (IsLoaded()) {
        switch (player_->CurrentState()) {
        case Player::State::Starting:
        case Player::State::Playing:
            player_->Pause();
            return;
        case Player::State::Paused:
        case Player::State::Finished:
            player_->Resume();
            return;
        case Player::State::Idle:
        case Player::State::Failed:
            break;
        }
    }
    if (!slot || !slot->valid())
        return;
    loaded_ = Loaded{slot, slot->path(), slot->trim(), quality};
    PlayLoaded(0);
}

void SlotListening::Stop() {
    if (player_)
        player_->Stop();
    loaded_.reset();
    problem_.clear();
}

void SlotListening::Seek(double seconds) {
    if (IsLoaded())
        player_->Seek(seconds);
}

void SlotListening::SetGameVersion(bool on, std::int32_t quality) {
    if (on == gameVersion_)
        return;
    gameVersion_ = on;
    if (!IsLoaded())
        return;
    // The other version from the same place, in the same state: the player can compare.
    const Player::State state = player_->CurrentState();
    const bool paused = state == Player::State::Paused || state == Player::State::Finished;
    const double position = player_->Position();
    loaded_->quality = quality;
    PlayLoaded(position);
    if (paused)
        player_->Pause();
}

void SlotListening::Follow(const SongSlot* selected, std::int32_t quality) {
    if (!loaded_)
        return;
    const Loaded& loaded = *loaded_;
    const bool same = selected == loaded.slot && selected->path() == loaded.path &&
                      selected->trim() == loaded.trim &&
                      (!gameVersion_ || quality == loaded.quality);
    if (!same)
        Stop();
}

std::optional<double> SlotListening::SourcePosition() const {
    if (!IsLoaded())
        return std::nullopt;
    return player_->Position() + loaded_->trim.start;
}

void SlotListening::PlayLoaded(double seconds) {
    problem_.clear();
    std::unique_ptr<PlaybackSource> source = OpenLoaded();
    if (!source) {
        player_->Stop();
        return;
    }
    player_->Play(std::move(source), seconds);
}

std::unique_ptr<PlaybackSource> SlotListening::OpenLoaded() {
    std::string problem;
    std::unique_ptr<PlaybackSource> source = SongFileSource::Open(loaded_->path, problem);
    if (source && !loaded_->trim.IsNone())
        source = std::make_unique<TrimmedSource>(std::move(source), loaded_->trim);
    if (source && gameVersion_)
        source = GameVersionSource::Open(std::move(source), loaded_->quality, problem);
    if (!source)
        problem_ = problem;
    return source;
}

ListeningView SlotListening::View(const SongSlot* selected) const {
    ListeningView view;
    view.gameVersion = gameVersion_;
    if (!player_)
        return view;
    switch (player_->SoundOutput()) {
    case Player::Output::Probing:
        return view;
    case Player::Output::Unavailable:
        view.status = kNoSoundOutput;
        return view;
    case Player::Output::Available:
        break;
    }
    view.available = true;
    const Player::State state = player_->CurrentState();
    const bool loaded = IsLoaded();
    view.playing = loaded && (state == Player::State::Playing || state == Player::State::Starting);
    view.playEnabled = loaded || (selected && selected->valid());
    view.stopEnabled = loaded;
    view.positionEnabled = loaded;
    view.status = loaded_ && state == Player::State::Failed ? player_->Problem() : problem_;
    std::optional<double> position, duration;
    if (loaded) {
        position = player_->Position();
        duration = player_->Duration();
    } else if (selected && selected->valid()) {
        position = 0.0;
        duration = selected->PlayedSeconds();
    }
    if (position && duration) {
        view.positionMs = MillisecondsOf(*position);
        view.durationMs = MillisecondsOf(*duration);
        view.timeText = ClockText(*position) + " / " + ClockText(*duration);
    }
    return view;
}
