#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The yardstick for our encoder: a plain libvorbis quality encode of mono 16-bit samples
// straight from memory, pages written to a file as they come.
void BareVorbisEncode(const std::vector<std::int16_t>& samples, int rate, float quality,
                      const std::string& path);
