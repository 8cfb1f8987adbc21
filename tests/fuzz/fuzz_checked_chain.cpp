// A C1A1 log behind seven bytes of evaluation settings through the whole
// chain of `tessaric-cli evaluate --confidence 20 --out`: evaluation, a
// bootstrap of 20 replicates on one thread, the report with its confidence
// block, every table and binary file. Not only a crash is a fault: whenever
// a model exists, a "nan" or "inf" in anything written is one too.
#include "FuzzSupport.h"

#include "data/C1A1LogReader.h"
#include "evaluation/BootstrapConfidence.h"
#include "infra/CLogFile.h"
#include "report/ConfidenceTable.h"
#include "report/StabilityReport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>

namespace {

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, n);
        std::fclose(file);
    }
    return bytes;
}

// "nan", "inf" or "infinity" as a word of its own, in any case: the words
// "dinfo" or "information" hold the letters but are no number.
bool HoldsNonFiniteWord(const std::string& text) {
    static const std::regex word("(^|[^A-Za-z])[-+]?(nan|inf|infinity)([^A-Za-z]|$)",
                                 std::regex::icase);
    return std::regex_search(text, word);
}

// Every float32 after the two counts of a binary file.
bool HoldsNonFiniteFloat(const std::string& bytes) {
    for (std::size_t at = 8; at + 4 <= bytes.size(); at += 4) {
        float value = 0.0f;
        std::memcpy(&value, bytes.data() + at, 4);
        if (!std::isfinite(value))
            return true;
    }
    return false;
}

void Check(bool bFault, const char* what, const std::string& text) {
    if (!bFault)
        return;
    std::fprintf(stderr, "non-finite value in %s:\n%s\n", what, text.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kFuzzSettingsBytes)
        return 0;
    const FUZZSETTINGS settings = FuzzSettingsFrom(data);
    CLogFile log;
    CA1SeriesList list = EvaluatedFuzzSeries(&ImportC1A1Log, data + kFuzzSettingsBytes,
                                             size - kFuzzSettingsBytes, settings, log);
    const std::string stem = FuzzFolder() + "/checked";
    for (std::size_t i = 0; i < list.size(); ++i) {
        CA1TimeSeries& series = list[i];
        if (!series.HasModel())
            continue;
        CONFIDENCESETTINGS bootstrap;
        bootstrap.nReplicates = 20;
        bootstrap.nThreads = 1;
        const CONFIDENCERESULT confidence = EvaluateConfidence(series, bootstrap);
        const std::string report =
            BuildStabilityReport(series) + BuildConfidenceBlock(series, confidence);
        Check(HoldsNonFiniteWord(report), "the report", report);

        struct OUTPUT {
            const char* pszSuffix;
            bool (CA1TimeSeries::*write)(const std::string&);
        };
        static constexpr OUTPUT kOutputs[] = {
            {"-time.txt", &CA1TimeSeries::ExportTimeTable},
            {"-time.dat", &CA1TimeSeries::ExportTimeData},
            {"-cfunc.txt", &CA1TimeSeries::ExportCFuncTable},
            {"-cfunc.dat", &CA1TimeSeries::ExportCFuncData},
            {"-model.txt", &CA1TimeSeries::ExportModelTable},
            {"-model.dat", &CA1TimeSeries::ExportModelData},
            {"-prob.txt", &CA1TimeSeries::ExportProbTable},
            {"-prob.dat", &CA1TimeSeries::ExportProbData},
        };
        for (const OUTPUT& output : kOutputs) {
            const std::string path = stem + output.pszSuffix;
            std::filesystem::remove(path);
            // A file left out is no fault: its record says why.
            if (!(series.*output.write)(path))
                continue;
            const std::string bytes = ReadBytes(path);
            const bool bBinary = std::strstr(output.pszSuffix, ".dat") != nullptr;
            Check(bBinary ? HoldsNonFiniteFloat(bytes) : HoldsNonFiniteWord(bytes),
                  output.pszSuffix, bBinary ? std::string("(binary)") : bytes);
        }
        const std::string tablePath = stem + "-confidence.txt";
        std::filesystem::remove(tablePath);
        if (confidence.bValid && ExportConfidenceTable(series, confidence, tablePath)) {
            const std::string table = ReadBytes(tablePath);
            // Nor the huge stand-in of an unbounded time.
            Check(HoldsNonFiniteWord(table) || table.find("E+305") != std::string::npos,
                  "the confidence table", table);
        }
    }
    return 0;
}
