#pragma once
#include <string_view>

// The sound script US.ssc exactly as Korvane writes it into every pack (1666 bytes), built
// into Palisor from the same resource file.
std::string_view KnownSoundScript();
