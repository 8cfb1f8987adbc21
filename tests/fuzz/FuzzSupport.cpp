#include "FuzzSupport.h"

#include "data/CA1SeriesList.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CLogFile.h"
#include "infra/CMainParameters.h"
#include "report/StabilityReport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

const std::string& FuzzFolder() {
    // Removed when the fuzzer ends normally; after a crash it stays for a look.
    struct FOLDER {
        FOLDER() {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "tessaric-fuzz-XXXXXX").string();
            std::vector<char> buffer(pattern.begin(), pattern.end());
            buffer.push_back('\0');
            if (!::mkdtemp(buffer.data()))
                std::abort(); // no place to write: nothing the harness could test
            strPath = buffer.data();
        }
        ~FOLDER() {
            std::error_code error;
            std::filesystem::remove_all(strPath, error);
        }
        std::string strPath;
    };
    static const FOLDER folder;
    return folder.strPath;
}

std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const char* name) {
    const std::string path = FuzzFolder() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    return path;
}

namespace {

// Level 4 formats every debug record, so that the formatting of each is
// reached; nobody reads them.
constexpr std::uint32_t kEveryDebugLevel = 4;

CA1SeriesList ImportFuzzInput(LogReader reader, const std::uint8_t* data, std::size_t size,
                              std::int32_t nMirrorY, double dRotDeg, CLogFile& log) {
    log.m_nDebugLevel = kEveryDebugLevel;
    CA1SeriesList list;
    reader(WriteFuzzInput(data, size, "input.log"), log, nMirrorY, dRotDeg, list);
    return list;
}

// A byte as a fraction of [0, 1].
double Fraction(std::uint8_t byte) {
    return byte / 255.0;
}

// A byte spread logarithmically over [low, high], so that small and large
// values are both reached.
double LogScale(std::uint8_t byte, double low, double high) {
    return low * std::pow(high / low, Fraction(byte));
}

void EvaluateAndExportAll(CA1SeriesList& list) {
    const EVALUATIONINPUTS inputs = EvaluationInputsFrom(CMainParameters{});
    // Any fixed seed: a crash must come back when the input is run again.
    constexpr std::uint32_t kFitSeed = 1;
    const std::string stem = FuzzFolder() + "/out";
    for (std::size_t i = 0; i < list.size(); ++i) {
        CA1TimeSeries& series = list[i];
        EvaluateSeries(series, inputs, true, kFitSeed);
        BuildStabilityReport(series);
        SaveStabilityReport(series, stem + "-report.txt");
        series.ExportTimeTable(stem + "-time.txt");
        series.ExportTimeData(stem + "-time.dat");
        series.ExportCFuncTable(stem + "-cfunc.txt");
        series.ExportCFuncData(stem + "-cfunc.dat");
        series.ExportModelTable(stem + "-model.txt");
        series.ExportModelData(stem + "-model.dat");
        series.ExportProbTable(stem + "-prob.txt");
        series.ExportProbData(stem + "-prob.dat");
        series.GetLifetimeText();
        series.GetModelLifetimeText();
    }
}

} // namespace

void FuzzReaderAlone(LogReader reader, const std::uint8_t* data, std::size_t size) {
    CLogFile log;
    ImportFuzzInput(reader, data, size, 1, 0.0, log);
}

void FuzzWholeChain(LogReader reader, const std::uint8_t* data, std::size_t size) {
    // Mirrored and turned, so that the branches of both settings are reached.
    constexpr double kRotationDeg = 30.0;
    CLogFile log;
    CA1SeriesList list = ImportFuzzInput(reader, data, size, -1, kRotationDeg, log);
    EvaluateAndExportAll(list);
}

FUZZSETTINGS FuzzSettingsFrom(const std::uint8_t* data) {
    FUZZSETTINGS settings;
    settings.nMirrorY = (data[0] & 1) ? -1 : 1;
    // Two bytes of rotation cover the accepted turn in steps of 0.011 deg;
    // zero bytes stand for no rotation.
    const int rotation = data[1] | (data[2] << 8);
    settings.dRotationDeg = rotation == 0 ? 0.0 : -360.0 + 720.0 * rotation / 65535.0;
    if (data[3] != 0)
        settings.nMinDiversity =
            static_cast<std::int32_t>(std::lround(LogScale(data[3], 5.0, 50000.0)));
    if (data[4] != 0)
        settings.dEnergykV = LogScale(data[4], 1.0, 3000.0);
    if (data[5] != 0)
        settings.dResolutionAng = LogScale(data[5], 0.01, 100.0);
    if (data[6] != 0)
        settings.dLimitPhase = LogScale(data[6], 0.001, 1000.0);
    return settings;
}

CA1SeriesList EvaluatedFuzzSeries(LogReader reader, const std::uint8_t* data, std::size_t size,
                                  const FUZZSETTINGS& settings, CLogFile& log) {
    CA1SeriesList list =
        ImportFuzzInput(reader, data, size, settings.nMirrorY, settings.dRotationDeg, log);
    const EVALUATIONINPUTS inputs{settings.nMinDiversity, settings.dEnergykV,
                                  settings.dResolutionAng, settings.dLimitPhase};
    constexpr std::uint32_t kFitSeed = 1;
    for (std::size_t i = 0; i < list.size(); ++i)
        EvaluateSeries(list[i], inputs, true, kFitSeed);
    return list;
}
