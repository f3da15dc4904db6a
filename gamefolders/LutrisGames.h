#pragma once
#include <optional>
#include <string>
#include <vector>

// The Wine prefixes Lutris keeps: the `prefix` of each installed game's settings file, then
// the folders under ~/Games where Lutris installs by default.
class LutrisGames {
public:
    // Largest game settings file read; Lutris writes a few hundred bytes.
    static constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

    // The value of game: prefix: in a game's YAML text; nothing when the text is not YAML,
    // has no such scalar, or the value is empty. Never throws.
    static std::optional<std::string> PrefixInYaml(const std::string& yaml);

    // Prefixes named by ~/.config/lutris/games/*.yml, then ~/.local/share/lutris/games/*.yml
    // (each folder's files in name order), then the folders in ~/Games. A leading "~/" is the
    // home folder; relative values and unreadable files are skipped. Follows the rules of
    // HomeFolderRules.h; never throws.
    static std::vector<std::string> Prefixes(const std::string& home,
                                             const std::string& canonicalHome);
};
