#pragma once
#include <vorbis/vorbisfile.h>

#include <string>

// Why an opened Ogg Vorbis file is not a song as Korvane puts it in a pack, judged from its
// headers: one logical stream, mono, 8,000 to 48,000 Hz, a known length of at most 30
// minutes. "" when it is. The reasons are those a refused pack names ("it is not mono").
std::string WhyNotAPackSong(OggVorbis_File& vorbis);
