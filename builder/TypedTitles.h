#pragma once
#include <map>
#include <string>

class SongSlot;

// The titles typed since the project was opened, and the marks they lead to. The game holds a
// title in its code page: where it shows a typed title otherwise, the typed text is kept (the
// field goes on showing it, the row is marked); where it shows it as typed, a "?" in it was
// meant. Once the typed text is gone (a reopened project, a title from tags), a "?" may be
// the trace of a character the game lacks, and the row is marked with a softer tip.
// Slots are addressed by identity. Nothing here fails.
class TypedTitles {
public:
    // Records what was typed (UTF-8) for a slot; yields the bytes the game will hold.
    std::string Type(const SongSlot& slot, const std::string& typed);
    // The typed text of a slot whose title the game shows otherwise, while the slot still holds
    // what that text becomes; nullptr otherwise.
    const std::string* Altered(const SongSlot& slot) const;
    // The tip of a slot's row; "" when the row is not marked.
    std::string Tip(const SongSlot& slot) const;
    // Drops texts whose slot has another title now (an import replaced it). The slots must
    // still exist (they live as long as their project).
    void ForgetReplaced();
    // A new or reopened project: nothing was typed.
    void Forget();

private:
    bool Verbatim(const SongSlot& slot) const;

    std::map<const SongSlot*, std::string> altered_;  // typed text the game shows otherwise
    std::map<const SongSlot*, std::string> verbatim_; // bytes of titles shown as typed
};
