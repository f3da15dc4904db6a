#pragma once
#include "builder/SongSlot.h"
#include "common/PackLayout.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

// The builder's project: sixteen song slots in play order and the Ogg quality. Slots are
// addressed by identity: moving changes positions, references to slots stay good.
class SongProject {
public:
    static constexpr int kSlotCount = PackLayout::kSongCount;
    static constexpr std::int32_t kDefaultQuality = 4;

    SongProject();
    SongProject(const SongProject&) = delete;
    SongProject& operator=(const SongProject&) = delete;

    // Clears every slot in place, empties the path and sets the quality to 4.
    void Reset();

    // Position 1 to 16; throws std::out_of_range for any other.
    SongSlot& SlotAt(int position);
    const SongSlot& SlotAt(int position) const;
    // Position 1 to 16 of a slot of this project, 0 for a foreign slot.
    int PositionOf(const SongSlot& slot) const;

    // Swap with the neighbour; false (and no change) at the edge or for a foreign slot.
    bool MoveUp(const SongSlot& slot);
    bool MoveDown(const SongSlot& slot);

    // Probes from position 1 on and stops at the first slot that is not valid; later slots
    // are not probed. True only when all sixteen are valid.
    bool AllValid();

    std::int32_t quality() const { return quality_; }
    void SetQuality(std::int32_t quality) { quality_ = quality; }
    const std::string& path() const { return path_; }
    void SetPath(std::string path) { path_ = std::move(path); }

    // Writes the project file at path(). False when it cannot be created or opened; a write
    // error after a successful open throws FileError and leaves the file incomplete.
    bool Save() const;
    // Resets, then reads the project file and probes every slot. False when the file cannot
    // be opened (the project stays reset). A file that ends early, or a string that asks for
    // more bytes than remain, throws FileError; what was read before stays in the project.
    bool Load(const std::string& file);

    // Writes playlists.con for the slots in list order. False when the file cannot be
    // created; a write error after the open throws FileError.
    bool WritePlaylistScript(const std::string& file) const;

private:
    bool Swap(int position, int otherPosition);

    std::array<std::unique_ptr<SongSlot>, kSlotCount> slots_;
    std::int32_t quality_ = kDefaultQuality;
    std::string path_;
};
