#pragma once

#include <string>

// The running program's file name without folder and without its last
// extension ("tessaric" for /usr/bin/tessaric, "Tessaric" for Tessaric.exe).
// It names the program data folder and the profile. Falls back to
// kTessaricProgramName when the platform cannot tell.
std::string ExecutableBaseName();
