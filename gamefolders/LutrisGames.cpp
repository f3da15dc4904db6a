#include "gamefolders/LutrisGames.h"

#include "gamefolders/HomeFolderRules.h"

#include <yaml.h>

namespace {

// Lutris' game files hold a few short mappings; anything deeper is not one of them.
constexpr int kMaxDepth = 16;
constexpr int kMaxEvents = 20000;

// One libyaml parser over a string, released on every path out.
class YamlEvents {
public:
    explicit YamlEvents(const std::string& text) {
        ok_ = yaml_parser_initialize(&parser_) != 0;
        if (ok_)
            yaml_parser_set_input_string(
                &parser_, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    }
    ~YamlEvents() {
        if (ok_)
            yaml_parser_delete(&parser_);
    }
    YamlEvents(const YamlEvents&) = delete;
    YamlEvents& operator=(const YamlEvents&) = delete;

    // The next event, copied out: its type and, for a scalar, its text.
    bool Next(yaml_event_type_t& type, std::string& scalar) {
        if (!ok_ || ++count_ > kMaxEvents)
            return false;
        yaml_event_t event;
        if (!yaml_parser_parse(&parser_, &event))
            return false;
        type = event.type;
        if (type == YAML_SCALAR_EVENT)
            scalar.assign(reinterpret_cast<const char*>(event.data.scalar.value),
                          event.data.scalar.length);
        yaml_event_delete(&event);
        return type != YAML_STREAM_END_EVENT;
    }

private:
    yaml_parser_t parser_;
    bool ok_ = false;
    int count_ = 0;
};

// One open mapping or sequence: for a mapping, whether its next scalar is a key and the last
// key read; and whether it is the mapping under the top-level key "game".
struct Level {
    bool mapping = false;
    bool expectKey = true;
    std::string key;
    bool isGame = false;
};

// A collection starts inside `parent`: it takes the place of a key or of a value there.
Level Enter(std::vector<Level>& levels, bool mapping) {
    Level child;
    child.mapping = mapping;
    if (levels.empty())
        return child;
    Level& parent = levels.back();
    if (parent.mapping) {
        child.isGame = mapping && levels.size() == 1 && !parent.expectKey && parent.key == "game";
        if (parent.expectKey)
            parent.key.clear();
        parent.expectKey = !parent.expectKey;
    }
    return child;
}

// A scalar or alias in a mapping; returns the prefix when this is the value of game: prefix:.
std::optional<std::string> TakeScalar(Level& level, const std::string& scalar, bool alias) {
    if (!level.mapping)
        return std::nullopt;
    bool wasKey = level.expectKey;
    level.expectKey = !level.expectKey;
    if (wasKey) {
        level.key = alias ? "" : scalar;
        return std::nullopt;
    }
    if (level.isGame && level.key == "prefix" && !alias && !scalar.empty())
        return scalar;
    return std::nullopt;
}

} // namespace

std::optional<std::string> LutrisGames::PrefixInYaml(const std::string& yaml) {
    YamlEvents events(yaml);
    std::vector<Level> levels;
    std::string scalar;
    yaml_event_type_t type;
    while (events.Next(type, scalar)) {
        switch (type) {
        case YAML_MAPPING_START_EVENT:
        case YAML_SEQUENCE_START_EVENT:
            if (levels.size() >= kMaxDepth)
                return std::nullopt;
            levels.push_back(Enter(levels, type == YAML_MAPPING_START_EVENT));
            break;
        case YAML_MAPPING_END_EVENT:
        case YAML_SEQUENCE_END_EVENT:
            if (!levels.empty())
                levels.pop_back();
            break;
        case YAML_SCALAR_EVENT:
        case YAML_ALIAS_EVENT:
            if (!levels.empty())
                if (auto prefix = TakeScalar(levels.back(), scalar, type == YAML_ALIAS_EVENT))
                    return prefix;
            break;
        default:
            break;
        }
    }
    return std::nullopt;
}

namespace {

// "~/x" is x in the home folder; other relative values name nothing.
std::optional<std::string> AbsolutePrefix(const std::string& home, const std::string& value) {
    if (value.rfind("~/", 0) == 0)
        return home + value.substr(1);
    if (value.empty() || value[0] != '/')
        return std::nullopt;
    return value;
}

} // namespace

std::vector<std::string> LutrisGames::Prefixes(const std::string& home,
                                               const std::string& canonicalHome) {
    std::vector<std::string> prefixes;
    for (const char* games : {"/.config/lutris/games", "/.local/share/lutris/games"}) {
        const std::string folder = home + games;
        for (const auto& name : FilesEndingIn(folder, ".yml")) {
            auto text =
                ReadSettingsFileInHome(canonicalHome, folder + "/" + name, kMaxSettingsBytes);
            if (!text)
                continue;
            if (auto value = PrefixInYaml(*text))
                if (auto prefix = AbsolutePrefix(home, *value))
                    prefixes.push_back(*prefix);
        }
    }
    for (auto& folder : UsableSubfolders(canonicalHome, home + "/Games"))
        prefixes.push_back(std::move(folder));
    return prefixes;
}
