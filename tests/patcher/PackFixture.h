#pragma once
#include "common/PlaylistScriptLayout.h"
#include "patcher/pack/KnownSoundScript.h"

#include <map>
#include <string>
#include <vector>

// Music packs and game folders for the patcher's tests, built from the documented layouts.

struct PackEntry {
    std::string name;
    std::string data;
};

// A flat archive: 4-byte directory offset, the 152-byte header block, the data area, then
// the directory. Compressed archives hold every entry as LZO1X blocks of at most 32768
// bytes behind a block table.
std::string FlatArchiveBytes(const std::vector<PackEntry>& entries, bool compressed = false);

// Parses a flat archive of stored entries; false when it is malformed.
bool ReadStoredArchive(const std::string& bytes, std::vector<PackEntry>& entries);

// Sixteen short mono songs encoded as Ogg Vorbis (index 0 is music01.ogg), made once.
const std::vector<std::string>& SongOggs();

// velk/playlists.con, velk/US.ssc and velk/music01.ogg to velk/music16.ogg.
std::vector<PackEntry> RegularPackEntries();

// The scripts the fixture packs carry, as Korvane writes them: song n is "Song n", 1.0
// seconds long.
std::string FixturePlaylistScript();
inline const std::string kPlaylistsText = FixturePlaylistScript();
inline const std::string kUsSscText = std::string(KnownSoundScript());

// A game folder with Mods/BfVietnam/settings/Default.con and Mods/BfVietnam/Archives/music.rfa.
inline const std::string kGameDefaultCon = "game.setting 1\r\nrun game.con\r\n";
inline const std::string kGameMusicRfa = "original music archive bytes";
void MakeGameFolder(const std::string& folder);

// Every file and folder below a folder: relative path -> bytes ("<folder>" for folders,
// "<link to TARGET>" for links, "<special>" for pipes and devices, none of which is followed).
std::map<std::string, std::string> TreeSnapshot(const std::string& folder);
