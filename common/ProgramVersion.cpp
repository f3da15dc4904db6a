#include "common/ProgramVersion.h"

const char* ProgramVersion() {
    return KP_VERSION;
}
