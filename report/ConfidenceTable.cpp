#include "report/ConfidenceTable.h"

#include "evaluation/BootstrapConfidence.h"
#include "infra/CNumber.h"
#include "infra/CTextFile.h"
#include "report/ConfidenceWords.h"
#include "report/ExportFrame.h"

#include <cmath>

namespace {

// The columns after the replicate's number and its failure flag, in the
// order of ConfidenceValues.
constexpr const char* kValueColumns[kConfidenceQuantities] = {
    "Di [nm]",      "Da [nm]",    "tc [s]",     "s [nm]",
    "lifetime [s]", "t(84%) [s]", "t(50%) [s]", "t(16%) [s]",
};

std::string HeaderLine() {
    std::string line = FormatC("%14s; %14s", "replicate", "failed");
    for (const char* column : kValueColumns)
        line += FormatC("; %14s", column);
    return line;
}

// A failed replicate keeps the values it reached (zeros without a model),
// flagged so that a plot can leave it out. A value that is no number takes
// the report's word for it, or, not a number at all, an empty field: never
// "inf", "nan" or the huge stand-in of an unbounded time.
std::string ReplicateRow(std::size_t index, const CONFIDENCEREPLICATE& replicate,
                         const CA1TimeSeries& series) {
    std::string row = FormatC("%14zu; %14d", index + 1, replicate.bFailed ? 1 : 0);
    for (std::size_t q = 0; q < kConfidenceQuantities; ++q) {
        const double value = replicate.values[q];
        const std::string word =
            ConfidenceValueWord(static_cast<ConfidenceQuantity>(q), value, series);
        if (word.empty() && std::isfinite(value))
            row += FormatC("; %14.6G", value);
        else
            row += FormatC("; %14s", word.c_str());
    }
    return row;
}

} // namespace

bool ExportConfidenceTable(const CA1TimeSeries& series, const CONFIDENCERESULT& confidence,
                           const std::string& path) {
    static constexpr EXPORTKIND kConfidenceTable = {
        "] for saving confidence table.",
        "] for writing confidence table.",
        "Successfully saved confidence table to file [",
        "ERROR: Failed to save confidence table to file [",
        "ERROR: Aborted saving confidence table. Data is not ready.",
        true,
        false,
    };
    if (!confidence.bValid) {
        series.LogMessage(kConfidenceTable.pszNotReady);
        return false;
    }
    return RunExport<CTextFileWriter>(series, path, kConfidenceTable, [&](CTextFileWriter& file) {
        bool ok = file.WriteLine("# Tessaric - Exported bootstrap confidence table");
        ok = ok && file.WriteLine("# - input file: " + series.m_strFileName);
        ok = ok && file.WriteLine(FormatC("# - replicates: %d, failed: %d, seed: %u",
                                          static_cast<int>(confidence.nReplicates),
                                          static_cast<int>(confidence.nFailed),
                                          static_cast<unsigned>(confidence.nSeed)));
        ok = ok &&
             file.WriteLine("# - parametric bootstrap of the fitted model; 90 % intervals "
                            "from the 5 % and 95 % points of the replicates that did not fail");
        ok = ok && file.WriteLine(HeaderLine());
        for (std::size_t i = 0; ok && i < confidence.replicates.size(); ++i)
            ok = file.WriteLine(ReplicateRow(i, confidence.replicates[i], series));
        return ok;
    });
}
