#include "platform/PathRewrite.h"

std::string WhyThisSystemWouldRewrite(const std::string& path) {
    return WhyWindowsWouldRewrite(path);
}
