#pragma once
#include <optional>
#include <string>

// The parts of opening a hyperlink that do not need a window: the fallback browser command
// line and the texts of the error message. None of them fails.

// Size of the buffer the browser command line is put together in, terminator included.
inline constexpr std::size_t browserCommandLineBytes = 520;

// Cuts the browser command at "\"%1\"" (or, if absent, at "%1"), dropping the placeholder and
// everything after it, then appends " " and the address. Nothing when the result would not
// fit browserCommandLineBytes with its terminator: the caller then reports the shell's code.
std::optional<std::string> BrowserCommandLine(const std::string& command,
                                              const std::string& address);

// The text for a platform result code, e.g. 31 -> "There is no application associated\n...".
std::string HyperlinkErrorText(int code);

// "Unable to open hyperlink:\n\n" followed by the text for the code.
std::string HyperlinkErrorMessage(int code);
