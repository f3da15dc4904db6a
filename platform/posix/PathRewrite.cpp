#include "platform/PathRewrite.h"

// Linux opens every name as written: "BFV." and "CON" are folders like any other.
std::string WhyThisSystemWouldRewrite(const std::string&) {
    return {};
}
