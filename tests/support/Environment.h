#pragma once
#include <cstdlib>
#include <string>

// Sets or removes an environment variable of the test process, on every system.
inline void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
    _putenv_s(name.c_str(), ""); // an empty value removes it
#else
    ::unsetenv(name.c_str());
#endif
}
