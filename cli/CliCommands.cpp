#include "cli/CliCommands.h"

#include "cli/CTerminalProgress.h"
#include "data/CA1SeriesList.h"
#include "data/LogFormat.h"
#include "data/LogImport.h"
#include "diagram/DiagramImage.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/CFitRandom.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"
#include "report/ConfidenceTable.h"
#include "report/ExportCurves.h"
#include "report/StabilityReport.h"
#include "report/WholeIntervalExport.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace {

// The per-series files of --out: which data each needs and which operation
// writes it.
enum class OutputNeeds { Nothing, CharFunction, Model };

struct SERIESOUTPUT {
    const char* pszKind;
    const char* pszExtension;
    OutputNeeds needs;
    bool (*write)(CA1TimeSeries& series, const std::string& path);
};

// The report comes first and on its own: it may carry the confidence block.
const SERIESOUTPUT kSeriesOutputs[] = {
    {"time", "txt", OutputNeeds::Nothing,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportTimeTable(p); }},
    {"time", "dat", OutputNeeds::Nothing,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportTimeData(p); }},
    {"cfunc", "txt", OutputNeeds::CharFunction,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportCFuncTable(p); }},
    {"cfunc", "dat", OutputNeeds::CharFunction,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportCFuncData(p); }},
    {"model", "txt", OutputNeeds::Model,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportModelTable(p); }},
    {"model", "dat", OutputNeeds::Model,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportModelData(p); }},
    {"prob", "txt", OutputNeeds::Model,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportProbTable(p); }},
    {"prob", "dat", OutputNeeds::Model,
     [](CA1TimeSeries& s, const std::string& p) { return s.ExportProbData(p); }},
};

int ImportLog(const std::string& path, const EVALUATEOPTIONS& options, CLogFile& log,
              CA1SeriesList& list) {
    std::int32_t nImportType = kImportTypeC1A1;
    switch (options.format) {
    case LogFormatChoice::Auto:
        nImportType = DetectImportType(path);
        break;
    case LogFormatChoice::C1A1:
        break;
    case LogFormatChoice::ORVEX:
        nImportType = kImportTypeORVEX;
        break;
    }
    return ImportLogOfType(nImportType, path, log, options.bMirrorY ? -1 : 1, options.dRotationDeg,
                           list);
}

EVALUATIONINPUTS InputsOf(const EVALUATEOPTIONS& options) {
    return {options.nMinDiversity, options.dEnergykV, options.dResolutionAng, options.dLimitPhase,
            options.eGapPairs,     options.eOutliers, options.nChangeWindow};
}

std::string SeriesLabel(const std::string& path, std::size_t number) {
    return FormatC("Series %03zu of file [", number) + path + "]";
}

void PrintReport(std::FILE* out, const std::string& path, std::size_t number,
                 const std::string& report) {
    std::string text = FormatC("=== %s, series %03zu ===\n", path.c_str(), number);
    // The report's CR LF line ends become the terminal's LF.
    for (char c : report)
        if (c != '\r')
            text.push_back(c);
    text += "\n";
    std::fputs(text.c_str(), out);
}

// The blocks that follow the report: the whole-interval lifetimes of a
// model, then the confidence intervals, or why none were computed when they
// were asked for.
std::string ReportAppendix(const CA1TimeSeries& series, const CONFIDENCERESULT& confidence) {
    std::string appendix = BuildWholeIntervalBlock(series);
    if (series.HasCharFunction() && (confidence.bValid || !confidence.strNotComputed.empty()))
        appendix += BuildConfidenceBlock(series, confidence);
    return appendix;
}

// Writes the report, the tables and the binary files of one series; a file
// whose data do not exist is left out with a note in the log. False when a
// file that should exist could not be written.
bool WriteSeriesOutputs(CA1TimeSeries& series, const std::string& path, std::size_t number,
                        const std::string& outStem, const EVALUATEOPTIONS& options,
                        const CONFIDENCERESULT& confidence) {
    const bool bCFunc = series.HasCharFunction();
    // The model and probability curves run over time spans in seconds,
    // which a recording without a time base does not have.
    const bool bModel = series.HasModel() && series.HasTimeBase();
    if (series.HasModel() && !series.HasTimeBase())
        series.LogMessage(SeriesLabel(path, number) +
                          " has no time base (its stop time is not after its start time): its "
                          "model and probability files are not written.");
    else if (!bCFunc)
        series.LogMessage(SeriesLabel(path, number) +
                          " has no characteristic function: its report, characteristic "
                          "function, model and probability files are not written.");
    else if (!bModel)
        series.LogMessage(SeriesLabel(path, number) +
                          (options.bFit ? " has no fitted model (the fit failed)"
                                        : " has no fitted model (--no-fit)") +
                          ": its model and probability files are not written.");
    const std::string seriesStem = outStem + FormatC("-s%03zu", number);
    bool ok = true;
    if (bCFunc)
        ok = SaveStabilityReport(series, seriesStem + "-report.txt",
                                 ReportAppendix(series, confidence));
    if (confidence.bValid)
        ok = ExportConfidenceTable(series, confidence, seriesStem + "-confidence.txt") && ok;
    for (const SERIESOUTPUT& output : kSeriesOutputs) {
        const bool bAvailable = output.needs == OutputNeeds::Nothing ||
                                (output.needs == OutputNeeds::CharFunction && bCFunc) ||
                                (output.needs == OutputNeeds::Model && bModel);
        if (!bAvailable)
            continue;
        const std::string target = seriesStem + "-" + output.pszKind + "." + output.pszExtension;
        ok = output.write(series, target) && ok;
    }
    if (bModel) {
        // A model the simulation does not cover has no curve to write: a
        // note, not a failure.
        const WHOLEINTERVALCURVE inside = SeriesWholeIntervalCurve(series);
        if (inside.bValid)
            ok = ExportWholeIntervalTable(series, seriesStem + "-inside.txt") && ok;
        else
            series.LogMessage(
                SeriesLabel(path, number) +
                ": its whole-interval probability file is not written: " + inside.strProblem + ".");
    }
    const QSize size = options.nDiagramWidth > 0 && options.nDiagramHeight > 0
                           ? QSize(options.nDiagramWidth, options.nDiagramHeight)
                           : DefaultDiagramSize();
    const DiagramFiles diagrams = WriteSeriesDiagrams(series, seriesStem, size);
    for (const std::string& written : diagrams.written)
        series.LogDebug("Diagram image saved to file [" + written + "].");
    for (const std::string& failed : diagrams.failed)
        series.LogMessage("ERROR: Failed to save the diagram image [" + failed + "].");
    return ok && diagrams.failed.empty();
}

// The bootstrap of --confidence on a series with a model; the run's seed
// (or, without --seed, the clock's, as for the fit) seeds the replicates.
CONFIDENCERESULT SeriesConfidence(const CA1TimeSeries& series, const std::string& path,
                                  std::size_t number, const EVALUATEOPTIONS& options) {
    if (options.nConfidenceReplicates <= 0)
        return {};
    if (!series.HasModel()) {
        series.LogMessage(SeriesLabel(path, number) +
                          " has no fitted model: no confidence intervals are computed.");
        CONFIDENCERESULT refused;
        refused.strNotComputed = "the series has no fitted model";
        return refused;
    }
    CONFIDENCESETTINGS settings;
    settings.nReplicates = options.nConfidenceReplicates;
    settings.nSeed = options.nSeed ? *options.nSeed : FitSeedNow();
    if (options.bShowProgress)
        settings.progress = [number](std::int32_t done, std::int32_t total) {
            std::fputs(FormatC("\rSeries %03zu: confidence replicate %d of %d", number,
                               static_cast<int>(done), static_cast<int>(total))
                           .c_str(),
                       stderr);
            if (done == total)
                std::fputs("\n", stderr);
        };
    return EvaluateConfidence(series, settings);
}

// Output names are built from the log's name without its last extension;
// two logs of the same name from different folders must not overwrite each
// other's files, so a repeated name gets the first free number (a log may
// itself be called "run_2").
std::string UniqueStem(const std::string& path, std::set<std::string>& stemsUsed) {
    const std::string stem = std::filesystem::path(path).stem().string();
    std::string candidate = stem;
    for (int number = 2; !stemsUsed.insert(candidate).second; ++number)
        candidate = stem + FormatC("_%d", number);
    return candidate;
}

} // namespace

bool ConfigureCliLog(const CLIOPTIONS& options, CLogFile& log, CTerminalProgress* pProgress) {
    log.m_nDebugLevel = options.nDebugLevel;
    if (!options.bQuiet)
        log.SetSink([pProgress](const std::string& line) {
            if (pProgress)
                pProgress->Wipe();
            std::fprintf(stderr, "%s\n", line.c_str());
        });
    if (!options.strLogFile.empty())
        return log.OpenLog(options.strLogFile);
    return true;
}

int RunWithCliLog(const CLIOPTIONS& options, CLogFile& log, std::FILE* err,
                  const std::function<int(CLogFile&)>& command, CTerminalProgress* pProgress) {
    const bool bOpened = ConfigureCliLog(options, log, pProgress);
    if (!bOpened)
        std::fprintf(err,
                     "ERROR: Failed to open the log file [%s] of option '--log'; its records "
                     "are not kept.\n",
                     options.strLogFile.c_str());
    int status = command(log);
    if (!bOpened) {
        status = kExitFailure;
    } else if (log.FileFailed()) {
        std::fprintf(err, "ERROR: Failed to write the log file [%s]; it misses records.\n",
                     log.m_strPath.c_str());
        status = kExitFailure;
    }
    return status;
}

int RunEvaluate(const EVALUATEOPTIONS& options, CLogFile& log, std::FILE* out,
                CTerminalProgress* pProgress) {
    int status = kExitSuccess;
    std::string outDir = options.strOutDir;
    if (!outDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(outDir, error);
        if (!std::filesystem::is_directory(outDir, error)) {
            log.WriteLine("ERROR: Failed to create the output folder [" + outDir +
                          "]; no files are written.");
            outDir.clear();
            status = kExitFailure;
        }
    }
    std::set<std::string> stemsUsed;
    for (const std::string& path : options.files) {
        CA1SeriesList list;
        const int added = ImportLog(path, options, log, list);
        if (added == kImportOpenFailed) {
            status = kExitFailure;
            continue;
        }
        std::size_t first = 0;
        std::size_t last = list.size();
        if (options.nSeries) {
            first = static_cast<std::size_t>(*options.nSeries) - 1;
            last = std::min(last, first + 1);
        }
        if (first >= last) {
            log.WriteLine(list.empty() ? "ERROR: File [" + path + "] holds no series."
                                       : FormatC("ERROR: File [%s] holds only %zu series; series "
                                                 "%d is not evaluated.",
                                                 path.c_str(), list.size(),
                                                 static_cast<int>(*options.nSeries)));
            status = kExitFailure;
            continue;
        }
        const std::string outStem =
            outDir.empty() ? std::string() : outDir + "/" + UniqueStem(path, stemsUsed);
        bool bEvaluated = false;
        for (std::size_t index = first; index < last; ++index) {
            CA1TimeSeries& series = list[index];
            const std::size_t number = index + 1;
            series.m_pLog = &log;
            const EVALUATIONPROGRESS progress =
                pProgress ? EVALUATIONPROGRESS{pProgress->Track("Characteristic function"),
                                               pProgress->Track("Model fit")}
                          : EVALUATIONPROGRESS{};
            const bool bHasCharFunction =
                EvaluateSeries(series, InputsOf(options), options.bFit, options.nSeed, progress);
            if (pProgress)
                pProgress->Finish();
            if (bHasCharFunction)
                bEvaluated = true;
            else
                log.WriteLine("ERROR: " + SeriesLabel(path, number) +
                              " could not be evaluated: it has no characteristic function.");
            const CONFIDENCERESULT confidence = SeriesConfidence(series, path, number, options);
            PrintReport(out, path, number,
                        BuildStabilityReport(series) + ReportAppendix(series, confidence));
            if (!outStem.empty() &&
                !WriteSeriesOutputs(series, path, number, outStem, options, confidence))
                status = kExitFailure;
        }
        if (!bEvaluated)
            status = kExitFailure;
    }
    // A full disk or a closed pipe behind stdout loses the reports; that is
    // no success.
    if (std::fflush(out) != 0 || std::ferror(out)) {
        log.WriteLine("ERROR: Failed to write the reports to the standard output.");
        status = kExitFailure;
    }
    return status;
}

int RunSimulate(const CLIOPTIONS& options, CLogFile& log) {
    return WriteSimulatedLog(options.strSimulateOut, options.simulate, &log) ? kExitSuccess
                                                                             : kExitFailure;
}
