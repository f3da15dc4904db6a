#include "platform/ShortPathOf.h"

std::string ShortPathOf(const std::string& path) {
    return path;
}
