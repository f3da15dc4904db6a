#include "platform/Elevation.h"

#include <cerrno>
#include <unistd.h>

bool RunsElevated() {
    return ::geteuid() == 0;
}

bool CanRestartElevated() {
    return false;
}

RestartOutcome RestartElevated(const std::vector<std::string>&, SystemError* error) {
    if (error)
        *error = {"sudo", "", ENOSYS};
    return RestartOutcome::Unavailable;
}
