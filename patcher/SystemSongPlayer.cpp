#include "patcher/SystemSongPlayer.h"

#include "playback/PackSongSource.h"

bool SystemSongPlayer::PlayPackSong(const std::string& pack, int number, std::string& problem) {
    auto source = PackSongSource::Open(pack, number, problem);
    if (!source) {
        player_.Stop();
        return false;
    }
    player_.Play(std::move(source));
    return true;
}
