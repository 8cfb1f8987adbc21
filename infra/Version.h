#pragma once

// The one place that names the program's version; the log's start record and
// the report's headline both read it.
inline constexpr const char* kTessaricVersionText = "1.0.3 (build 210106)";
inline constexpr const char* kTessaricProgramName = "Tessaric";
