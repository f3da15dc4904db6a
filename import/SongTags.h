#pragma once
#include <cstddef>
#include <string>

// The artist and title tags of an audio file, as UTF-8 with surrounding blanks removed.
class InputFile;

// Read with TagLib, whose headers stay in SongTags.cpp.
struct SongTags {
    std::string artist;
    std::string title;
};

// What TagLib may read of one file in all: the importer refuses files whose tags pass
// kMostTagBytes before this is called; the cap holds for any other caller, so that a tag of a
// hundred megabytes is never read into memory whole.
inline constexpr std::size_t kMostTagBytesRead = 16u << 20;
// Each tag is kept to this many bytes (whole UTF-8 characters): four times the longest title
// the game can show, so that the cut made later in the game's code page decides.
inline constexpr std::size_t kMostTagBytesKept = 512;

// Reads the tags from a file already open for reading (read-only, by position: the file's own
// position is left alone); `name` is the file's path, whose extension tells
// TagLib the format. Both empty when the file has no such tags, TagLib cannot read it, or the
// tags lie beyond kMostTagBytesRead; never throws.
SongTags ReadSongTags(InputFile& file, const std::string& name);

// The same for a file given by path: opened once, read-only, and read only when it is a
// regular file (a named pipe is refused without waiting).
SongTags ReadSongTags(const std::string& path);

// "Artist - Title" when both are present, the title alone when only it is, otherwise the
// file's name without its folder and extension.
std::string SongTitleFor(const SongTags& tags, const std::string& path);
