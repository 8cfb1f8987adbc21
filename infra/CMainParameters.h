#pragma once

#include "infra/CParamBlock.h"

#include <cstdint>
#include <string>

class IProfileStore;
class CTextFileReader;
class CTextFileWriter;

inline constexpr const char* kMainParametersName = "Main Parameters";
inline constexpr std::int32_t kMainParametersVersion = 0x77FDA33D; // 2013111101

// The ranges that the settings dialog (and the command-line options) enforce;
// values from the two stores are taken as they are. Below 5 pairs the
// longest distances of the characteristic function rest on a handful of
// differences; above 50000 hardly any distance keeps enough of them.
inline constexpr std::int32_t kMinDiversityLowest = 5;
inline constexpr std::int32_t kMinDiversityHighest = 50000;
// The phase limit in fractions of pi: a thousandth of pi is already below
// any measurable astigmatism, a thousand pi far beyond any useful one.
inline constexpr double kLimitPhaseLowest = 0.001;
inline constexpr double kLimitPhaseHighest = 1000.0;

bool IsMinDiversityInRange(std::int64_t nMinDiversity);
// Below the range gives its lowest value, above it its highest; a value
// that is not a number gives the lowest, as a text without a number does.
double ClampLimitPhase(double dLimitPhase);

// The ten program parameters. They live in two stores: "Setup.prm" in the
// program data folder (by position, shared by all users) and the per-user
// profile (by name). At start-up the profile wins over the file, the file over
// the defaults.
class CMainParameters : public CParamBlock {
public:
    // Filter index of the import dialog: 1 C1A1 log, 2 ORVEXStab log.
    std::int32_t ImportType = 1;
    std::string ImportPath;
    // Kept in both stores and passed through; nothing reads it.
    std::string OutputPath;
    double ImportRotDeg = 0.0;
    // 1 keeps the y component of imported values, -1 mirrors it.
    std::int32_t ImportMirrorY = 1;
    // 0 shows the A22-time diagram, 1 the A22 plane.
    std::int32_t DataDisplayType = 0;
    std::int32_t MinDiversity = 10;
    double ElEnergykV = 300.0;
    double TargetResAng = 1.0;
    // In fractions of pi.
    double LimitPhase = 0.25;

    // The ten parameters to their defaults; name, version and log stay.
    void SetDefaults();

    bool Write(CTextFileWriter* file);
    bool Read(CTextFileReader* file);

    // Replace the file only when every line was written: a failed save leaves
    // the previous file as it was.
    bool SaveFile(const std::string& path);
    bool LoadFile(const std::string& path);

    // Without an attached profile both profile operations do nothing.
    void AttachProfile(IProfileStore* profile) { m_pProfile = profile; }
    // Stops at the first entry the profile refuses; no message.
    bool WriteProfile();
    // Entries that are missing, of another type or (for a double) not exactly
    // eight bytes long leave their parameter unchanged; no message.
    void ReadProfile();

private:
    IProfileStore* m_pProfile = nullptr;
};
