#pragma once
#include <functional>

// Asked between blocks of long work (extraction, decoding a pack's songs): true when the
// user wants it stopped. An empty one never asks. It may pump the progress display, so it is
// called only from the thread that runs the work.
using CancelCheck = std::function<bool()>;

// True when check is set and answers that the work should stop.
inline bool CancelWanted(const CancelCheck& check) {
    return check && check();
}
