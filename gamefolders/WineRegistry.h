#pragma once
#include "platform/RegistryBackend.h"

#include <string>

// Reads registry values from the hive files of a Wine prefix, as a program running in that
// prefix sees them: system.reg for the local machine, user.reg for the current user. Keys
// under Software are also looked up below Software\Wow6432Node (the 32-bit view of a 64-bit
// prefix), first. Key and value names are compared without regard to case. Only string values
// (plain or str(2):) are read; a missing file, key or value, or any other type, reads as
// nothing. The hive is treated as untrusted text: malformed lines are skipped, and a hive
// that is not a regular file (a named pipe, a device), is over 256 MiB or holds a line over
// 1 MiB reads as nothing at all.
class WineRegistry : public RegistryBackend {
public:
    explicit WineRegistry(std::string prefix);

    // $WINEPREFIX, or else ~/.wine; empty when neither can be formed.
    static std::string DefaultPrefix();

    const std::string& Prefix() const { return prefix_; }

    std::optional<std::string> ReadValue(RegistryRoot root, const std::string& key,
                                         const std::string& valueName) const override;

private:
    std::optional<std::string> ReadFromHive(const std::string& hivePath, const std::string& key,
                                            const std::string& valueName) const;

    std::string prefix_;
};
