#pragma once
#include <optional>
#include <string>

// Times of a trim as the user types and reads them. None of these fails: a text that is no
// time gives nothing.

// A time typed in seconds with at most one decimal ("75", "75.5", "75,5") or as minutes and
// seconds ("1:15", "1:15.5"), with spaces around it; at most 99,999.9 seconds. Nothing for an
// empty text, a sign, a second decimal or anything else.
std::optional<double> ParseSeconds(const std::string& text);

// "end" in any case, with spaces around it: an End at the song's end.
bool SaysTheEnd(const std::string& text);

// Seconds with one decimal and a full stop, rounded to the nearest tenth ("75.5").
std::string SecondsText(double seconds);
// Seconds cut down to the tenth ("187.6" for 187.68): a song's length is never shown longer
// than it is.
std::string SecondsTextDown(double seconds);
// Minutes, seconds and the tenth, cut down ("1:15.5").
std::string ClockText(double seconds);
