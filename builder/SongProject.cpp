#include "builder/SongProject.h"

#include "builder/GameScripts.h"
#include "builder/ProjectFile.h"
#include "common/TextFileWriter.h"

#include <stdexcept>

SongProject::SongProject() {
    for (auto& slot : slots_)
        slot = std::make_unique<SongSlot>();
}

void SongProject::Reset() {
    for (auto& slot : slots_)
        slot->Clear();
    path_.clear();
    quality_ = kDefaultQuality;
}

SongSlot& SongProject::SlotAt(int position) {
    if (position < 1 || position > kSlotCount)
        throw std::out_of_range("slot position");
    return *slots_[static_cast<std::size_t>(position - 1)];
}

const SongSlot& SongProject::SlotAt(int position) const {
    return const_cast<SongProject*>(this)->SlotAt(position);
}

int SongProject::PositionOf(const SongSlot& slot) const {
    for (int index = 0; index < kSlotCount; ++index) {
        if (slots_[static_cast<std::size_t>(index)].get() == &slot)
            return index + 1;
    }
    return 0;
}

bool SongProject::Swap(int position, int otherPosition) {
    if (position < 1 || otherPosition < 1 || otherPosition > kSlotCount)
        return false;
    std::swap(slots_[static_cast<std::size_t>(position - 1)],
              slots_[static_cast<std::size_t>(otherPosition - 1)]);
    return true;
}

bool SongProject::MoveUp(const SongSlot& slot) {
    int position = PositionOf(slot);
    return Swap(position, position - 1);
}

bool SongProject::MoveDown(const SongSlot& slot) {
    int position = PositionOf(slot);
    return position != 0 && Swap(position, position + 1);
}

bool SongProject::AllValid() {
    for (auto& slot : slots_) {
        slot->Probe();
        if (!slot->valid())
            return false;
    }
    return true;
}

bool SongProject::Save() const {
    return SaveProjectFile(*this, path_);
}

bool SongProject::Load(const std::string& file) {
    return LoadProjectFile(*this, file);
}

bool SongProject::WritePlaylistScript(const std::string& file) const {
    TextFileWriter writer;
    if (!writer.Open(file))
        return false;
    writer.WriteRaw(PlaylistScriptText(*this));
    writer.Close();
    return true;
}
