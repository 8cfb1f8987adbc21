#pragma once

#include "data/A1Types.h"
#include "data/LogSimulator.h"
#include "evaluation/OutlierTest.h"
#include "infra/CMainParameters.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CliCommand { Help, Version, Evaluate, Compare, Simulate };
enum class LogFormatChoice { Auto, C1A1, ORVEX };

// What `evaluate` does with each log. The defaults are the program
// parameters' defaults, not any user's stored settings, so that a batch gives
// the same result on every machine.
struct EVALUATEOPTIONS {
    LogFormatChoice format = LogFormatChoice::Auto;
    double dRotationDeg = CMainParameters{}.ImportRotDeg;
    bool bMirrorY = CMainParameters{}.ImportMirrorY < 0;
    std::int32_t nMinDiversity = CMainParameters{}.MinDiversity;
    double dEnergykV = CMainParameters{}.ElEnergykV;
    double dResolutionAng = CMainParameters{}.TargetResAng;
    double dLimitPhase = CMainParameters{}.LimitPhase;
    bool bFit = true;
    std::optional<std::int32_t> nSeries; // only this series (from 1) of each file
    std::optional<std::uint32_t> nSeed;  // fixes the fit's random restarts
    std::string strOutDir;               // empty: print only
    // Files over all series of all logs; empty: not written.
    std::string strSummaryFile; // the batch summary (CSV)
    std::string strHtmlFile;    // the self-contained report
    std::string strPdfFile;     // the same report as a PDF, one series to a page
    // Size of the diagram images in --out; 0 x 0: the diagram window's size.
    std::int32_t nDiagramWidth = 0;
    std::int32_t nDiagramHeight = 0;
    // Bootstrap replicates of --confidence; 0: no confidence intervals.
    std::int32_t nConfidenceReplicates = 0;
    GapPairRule eGapPairs = GapPairRule::ImageNumbers;
    OutlierChoice eOutliers = OutlierChoice::Flag;
    std::int32_t nChangeWindow = 0; // 0: chosen from the series' length
    // Show the replicates' progress on stderr (a terminal, and not --quiet).
    bool bShowProgress = false;
    std::vector<std::string> files;
};

// True when the run draws diagrams (files of --out, --html or --pdf), which
// needs Qt's painting.
bool NeedsDiagrams(const EVALUATEOPTIONS& options);

// --confidence takes at least this many replicates: with fewer, the 5 % and
// 95 % points are the smallest and largest replicate, no interval. At most
// this many: far beyond any gain in the intervals' precision, and hours of
// evaluation for a long recording.
inline constexpr std::int32_t kMinConfidenceReplicates = 20;
inline constexpr std::int32_t kMaxConfidenceReplicates = 100000;

// --window takes at least this many images: each window needs pairs one,
// two and three images apart in some number.
inline constexpr std::int32_t kMinChangeWindowOption = 10;

// Diagram images of --size are at most this many pixels wide and high: a
// bitmap of 5000 x 5000 already takes 100 MB.
inline constexpr std::int32_t kMaxDiagramSide = 5000;
// Below this the title margins leave no room for a plot.
inline constexpr std::int32_t kMinDiagramSide = 32;

struct CLIOPTIONS {
    CliCommand command = CliCommand::Help;
    bool bQuiet = false;
    std::uint32_t nDebugLevel = 0;
    std::string strLogFile; // empty: the log's records go to stderr only
    EVALUATEOPTIONS evaluate;
    SIMULATIONSETTINGS simulate;
    std::string strSimulateOut;
};

struct CLIPARSE {
    bool bOk = false;
    CLIOPTIONS options;
    std::string strError; // one line that names the bad option or argument
};

// `arguments` without the program's own name.
CLIPARSE ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();
