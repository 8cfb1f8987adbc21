#include "cli/CliCommands.h"

#include "cli/CTerminalProgress.h"
#include "data/CA1SeriesList.h"
#include "data/LogFormat.h"
#include "data/LogImport.h"
#include "diagram/DiagramImage.h"
#include "diagram/ReportFiles.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/CFitRandom.h"
#include "evaluation/SeriesComparison.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"
#include "report/ComparisonReport.h"
#include "report/ConfidenceTable.h"
#include "report/ExportCurves.h"
#include "report/HtmlReport.h"
#include "report/SeriesSummary.h"
#include "report/StabilityReport.h"
#include "report/WholeIntervalExport.h"

#include <algorithm>
#include <deque>
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
    // The whole-interval curve is simulated when a report or file first asks for it.
    return {options.nMinDiversity,
            options.dEnergykV,
            options.dResolutionAng,
            options.dLimitPhase,
            false,
            options.eGapPairs,
            options.eOutliers,
            options.nChangeWindow};
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

QSize DiagramSizeOf(const EVALUATEOPTIONS& options) {
    return options.nDiagramWidth > 0 && options.nDiagramHeight > 0
               ? QSize(options.nDiagramWidth, options.nDiagramHeight)
               : DefaultDiagramSize();
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
                                 BuildReportAppendix(series, &confidence));
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
    const DiagramFiles diagrams = WriteSeriesDiagrams(series, seriesStem, DiagramSizeOf(options));
    for (const std::string& written : diagrams.written)
        series.LogDebug("Diagram image saved to file [" + written + "].");
    for (const std::string& failed : diagrams.failed)
        series.LogMessage("ERROR: Failed to save the diagram image [" + failed + "].");
    return ok && diagrams.failed.empty();
}

// The bootstrap of --confidence on a series with a model; the run's seed
// (or, without --seed, the clock's, as for the fit) seeds the replicates.
CONFIDENCERESULT SeriesConfidence(const CA1TimeSeries& series, const std::string& path,
                                  std::size_t number, const EVALUATEOPTIONS& options,
                                  std::uint32_t nSeedOffset) {
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
    settings.nSeed = (options.nSeed ? *options.nSeed : FitSeedNow()) + nSeedOffset;
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

// A series of the run with what the files over all series need of it.
struct EVALUATEDSERIES {
    std::string strPath;
    std::size_t nNumber = 0;
    CA1TimeSeries* pSeries = nullptr;
    CONFIDENCERESULT confidence;
    std::optional<std::uint32_t> nFitSeed;
};

// Evaluates one imported series as the options say, with its bootstrap when
// asked. The bootstrap's seed is the run's plus `nSeedOffset`: series that
// are compared must not share their replicates' random draws.
EVALUATEDSERIES EvaluateOne(CA1TimeSeries& series, const std::string& path, std::size_t number,
                            const EVALUATEOPTIONS& options, CLogFile& log,
                            CTerminalProgress* pProgress, std::uint32_t nSeedOffset = 0) {
    series.m_pLog = &log;
    const EVALUATIONPROGRESS progress =
        pProgress ? EVALUATIONPROGRESS{pProgress->Track("Characteristic function"),
                                       pProgress->Track("Model fit")}
                  : EVALUATIONPROGRESS{};
    // The seed is fixed here, the clock's when none was given, so that the
    // reports can name it.
    const std::uint32_t nFitSeed = options.nSeed ? *options.nSeed : FitSeedNow();
    const bool bHasCharFunction =
        EvaluateSeries(series, InputsOf(options), options.bFit, nFitSeed, progress);
    if (pProgress)
        pProgress->Finish();
    if (!bHasCharFunction)
        log.WriteLine("ERROR: " + SeriesLabel(path, number) +
                      " could not be evaluated: it has no characteristic function.");
    EVALUATEDSERIES item;
    item.strPath = path;
    item.nNumber = number;
    item.pSeries = &series;
    item.confidence = SeriesConfidence(series, path, number, options, nSeedOffset);
    if (series.HasModel())
        item.nFitSeed = nFitSeed;
    return item;
}

// "LOG:N" names the N-th series of LOG, unless a file of that very name
// exists; anything else names every series of the log.
struct SERIESSELECTOR {
    std::string strPath;
    std::optional<std::int32_t> nSeries;
};

SERIESSELECTOR ParseSelector(const std::string& argument) {
    const std::size_t colon = argument.rfind(':');
    std::error_code error;
    if (colon == std::string::npos || colon + 1 == argument.size() ||
        std::filesystem::exists(argument, error))
        return {argument, std::nullopt};
    const std::string digits = argument.substr(colon + 1);
    // Ten digits reach beyond any count of series; more would overflow.
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return {argument, std::nullopt};
    return {argument.substr(0, colon), ParseCInt(digits)};
}

// A full disk or a closed pipe behind stdout loses the reports; that is no
// success.
int FinishOutput(std::FILE* out, CLogFile& log, int status) {
    if (std::fflush(out) != 0 || std::ferror(out)) {
        log.WriteLine("ERROR: Failed to write the reports to the standard output.");
        return kExitFailure;
    }
    return status;
}

// The summary and the reports over every series of the run; false when one
// of them could not be written.
bool WriteRunFiles(const EVALUATEOPTIONS& options, const std::vector<EVALUATEDSERIES>& evaluated,
                   CLogFile& log) {
    bool ok = true;
    if (!options.strSummaryFile.empty()) {
        std::vector<SUMMARYENTRY> entries;
        for (const EVALUATEDSERIES& item : evaluated)
            entries.push_back({item.strPath, item.nNumber, item.pSeries, &item.confidence});
        ok = WriteSeriesSummary(options.strSummaryFile, entries, log) && ok;
    }
    std::vector<REPORTSERIES> reportSeries;
    for (const EVALUATEDSERIES& item : evaluated)
        reportSeries.push_back({item.pSeries, item.nNumber, &item.confidence, item.nFitSeed});
    const REPORTDOCUMENTOPTIONS reportOptions = ReportOptionsFromEnvironment();
    if (!options.strHtmlFile.empty())
        ok = WriteHtmlReport(options.strHtmlFile, reportSeries, DiagramSizeOf(options),
                             reportOptions, log) &&
             ok;
    if (!options.strPdfFile.empty())
        ok = WritePdfReport(options.strPdfFile, reportSeries, DiagramSizeOf(options), reportOptions,
                            log) &&
             ok;
    return ok;
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
    // Every list stays until the files over all series are written; a deque
    // keeps the series where they are while more logs are read.
    std::deque<CA1SeriesList> lists;
    std::vector<EVALUATEDSERIES> evaluated;
    const bool bKeepSeries = !options.strSummaryFile.empty() || !options.strHtmlFile.empty() ||
                             !options.strPdfFile.empty();
    for (const std::string& path : options.files) {
        // Without files over all series a log's series are done with once
        // printed: a batch of long recordings then needs one log's memory.
        if (!bKeepSeries) {
            evaluated.clear();
            lists.clear();
        }
        CA1SeriesList& list = lists.emplace_back();
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
            EVALUATEDSERIES& item =
                evaluated.emplace_back(EvaluateOne(series, path, number, options, log, pProgress));
            if (series.HasCharFunction())
                bEvaluated = true;
            const CONFIDENCERESULT& confidence = item.confidence;
            PrintReport(out, path, number, BuildSeriesReportText(series, &confidence));
            if (!outStem.empty() &&
                !WriteSeriesOutputs(series, path, number, outStem, options, confidence))
                status = kExitFailure;
        }
        if (!bEvaluated)
            status = kExitFailure;
    }
    if (!WriteRunFiles(options, evaluated, log))
        status = kExitFailure;
    return FinishOutput(out, log, status);
}

int RunCompare(const EVALUATEOPTIONS& options, CLogFile& log, std::FILE* out,
               CTerminalProgress* pProgress) {
    int status = kExitSuccess;
    std::deque<CA1SeriesList> lists;
    std::vector<EVALUATEDSERIES> evaluated;
    for (const std::string& argument : options.files) {
        const SERIESSELECTOR selector = ParseSelector(argument);
        CA1SeriesList& list = lists.emplace_back();
        if (ImportLog(selector.strPath, options, log, list) == kImportOpenFailed) {
            status = kExitFailure;
            continue;
        }
        std::size_t first = 0;
        std::size_t last = list.size();
        if (selector.nSeries) {
            first = static_cast<std::size_t>(std::max(*selector.nSeries, 1)) - 1;
            last = std::min(last, first + 1);
        }
        if (first >= last || (selector.nSeries && *selector.nSeries < 1)) {
            log.WriteLine("ERROR: [" + argument +
                          "] names no series of the file; it is not "
                          "compared.");
            status = kExitFailure;
            continue;
        }
        for (std::size_t index = first; index < last; ++index)
            evaluated.push_back(EvaluateOne(list[index], selector.strPath, index + 1, options, log,
                                            pProgress,
                                            static_cast<std::uint32_t>(evaluated.size())));
    }
    if (evaluated.empty()) {
        log.WriteLine("ERROR: No series to compare.");
        return kExitFailure;
    }
    std::vector<COMPAREDSERIES> compared;
    for (const EVALUATEDSERIES& item : evaluated)
        compared.push_back({std::filesystem::path(item.strPath).filename().string() +
                                FormatC(", series %03zu", item.nNumber),
                            item.pSeries, &item.confidence});
    std::optional<COMPARISONVERDICT> verdict;
    if (evaluated.size() == 2)
        verdict = CompareModelLifetimes(evaluated[0].confidence, evaluated[1].confidence);
    const COMPARISONVERDICT* pVerdict = verdict ? &*verdict : nullptr;
    std::fputs(BuildComparisonText(compared, pVerdict).c_str(), out);
    if (!options.strHtmlFile.empty() &&
        !WriteComparisonHtml(options.strHtmlFile, compared, pVerdict, DiagramSizeOf(options), log))
        status = kExitFailure;
    return FinishOutput(out, log, status);
}

int RunSimulate(const CLIOPTIONS& options, CLogFile& log) {
    return WriteSimulatedLog(options.strSimulateOut, options.simulate, &log) ? kExitSuccess
                                                                             : kExitFailure;
}
