#pragma once

#include <string>

// The machine-wide program data folder: TESSARIC_DATA_DIR when set, else the
// platform's application-data folder; either joined with the executable's
// base name.
// Created with its parents; "" when it cannot be determined or created.
std::string FindProgramDataFolder(const std::string& executableBaseName);
