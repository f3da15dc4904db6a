#pragma once

// The version both programs carry, from the build ("1.02.2"). Never fails.
const char* ProgramVersion();
