#pragma once
#include <string>

// The rules the file dialogs apply, kept apart from the dialogs so they can be checked alone.
// Neither function fails: malformed input gives the best usable result.

// Turns a filter in the "Name (*.ext)|*.ext|Other|*.a;*.b||" form into Qt's
// "Name (*.ext);;Other (*.a *.b)" form. "*.*" becomes "*" (every file, as on Windows).
// A description without its pattern, and everything after an empty description, is dropped.
std::string QtNameFilters(const std::string& filter);

// Appends "." + extension when the last component of the path has no extension at all;
// a leading dot on the extension is ignored. An empty extension or path changes nothing.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

// The extension without a leading dot ("velk" for ".velk" or "velk").
std::string BareExtension(const std::string& extension);
