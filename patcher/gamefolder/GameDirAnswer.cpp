#include "patcher/gamefolder/GameDirAnswer.h"

#include "platform/PathRewrite.h"

GameDirAnswer GameDirAnswer::Of(const std::string& value, const std::string& folder,
                                const std::string& where) {
    if (value.empty())
        return {};
    // The value as Windows (or Wine) reads it, then the folder it leads to here.
    std::string why = WhyWindowsWouldRewrite(value);
    if (why.empty())
        why = WhyNotAFullFolderPath(folder);
    if (why.empty())
        return {value, folder, ""};
    return {value, "",
            "GAMEDIR in " + where + " holds \"" + value + "\", which Palisor does not use: " +
                why + "."};
}
