#pragma once
#include <optional>
#include <string>

// The two registry roots the programs read from.
enum class RegistryRoot { LocalMachine, CurrentUser };

// Where registry values come from: the Windows registry, a Wine prefix's hive files, or a
// test's table. Reading never throws.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    // The raw bytes of a value (a string value without its terminating zero). Nothing when the
    // key cannot be opened or the value cannot be read as a string.
    virtual std::optional<std::string> ReadValue(RegistryRoot root, const std::string& key,
                                                 const std::string& valueName) const = 0;
};
