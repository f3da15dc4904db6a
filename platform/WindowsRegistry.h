#pragma once
#include "platform/RegistryBackend.h"

// The real Windows registry (RegOpenKeyExW, RegQueryValueExW), built on Windows only. String
// values (REG_SZ, REG_EXPAND_SZ unexpanded) come back as UTF-8. A 32-bit program such as the
// game writes under the 32-bit view (WOW6432Node), so that view is read first by default.
class WindowsRegistry : public RegistryBackend {
public:
    enum class Views { ThirtyTwoThenSixtyFour, ThirtyTwoOnly, SixtyFourOnly };

    explicit WindowsRegistry(Views views = Views::ThirtyTwoThenSixtyFour) : views_(views) {}

    std::optional<std::string> ReadValue(RegistryRoot root, const std::string& key,
                                         const std::string& valueName) const override;

private:
    Views views_;
};
