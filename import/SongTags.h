#pragma once
#include <string>

// The artist and title tags of an audio file, as UTF-8 with surrounding blanks removed.
// Read with TagLib, whose headers stay in SongTags.cpp.
struct SongTags {
    std::string artist;
    std::string title;
};

// Both empty when the file has no such tags or TagLib cannot read it; never throws.
SongTags ReadSongTags(const std::string& path);

// "Artist - Title" when both are present, the title alone when only it is, otherwise the
// file's name without its folder and extension.
std::string SongTitleFor(const SongTags& tags, const std::string& path);
