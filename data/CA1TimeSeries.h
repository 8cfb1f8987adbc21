#pragma once

#include "data/A1Types.h"
#include "evaluation/ModelFitSummary.h"
#include "infra/CParamBlock.h"
#include "infra/ProgressCallback.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CDiagramDC;

// An astigmatism beyond a metre is a corrupt value, not a measurement (real
// ones stay below a few micrometres). The import warns of it, and the
// statistics, which would print hundreds of digits or overflow, say so.
inline constexpr double kLargestPlausibleA22Nm = 1e9;

// What a report or a table prints for a lifetime whose evaluation failed.
inline constexpr const char* kLifetimeErrorText = "error during evaluation";
struct DiagramStyle;

// One recorded astigmatism series with every evaluation result. The
// operations are declared here and defined in the folder of their subsystem:
// extraction and units in data/, the evaluation in evaluation/, the exports
// in report/, the renderer in diagram/.
class CA1TimeSeries : public CParamBlock {
public:
    CA1TimeSeries();
    explicit CA1TimeSeries(CLogFile* pLog);
    CA1TimeSeries(const CA1TimeSeries& other);
    // Copies the data and results, but neither the log connection nor the
    // unit tables.
    CA1TimeSeries& operator=(const CA1TimeSeries& other);
    // The same, but the large arrays are taken over from `other` instead of
    // copied: how a result computed on a copy comes home without a pause.
    CA1TimeSeries& operator=(CA1TimeSeries&& other);
    ~CA1TimeSeries() = default;

    void Reset();

    // --- units and ranges (data/CA1TimeSeries.cpp)
    int FindLengthUnit(double value) const;
    int FindTimeUnit(double value) const;
    int FindSqrUnit(double value) const;
    void GetCFuncRange(double& tMin, double& tMax, double& fMin, double& fMax) const;

    // --- evaluation state (data/CA1TimeSeries.cpp): the one test of what
    // results a series holds, for the tabs, the commands, the report, the
    // exports and the renderer alike
    bool HasCharFunction() const;
    bool HasModel() const;
    // The fitted model (Di, Da, tc, s); without the drift s for the random
    // walk part alone.
    ModelParameters GetModelParameters() const;
    ModelParameters GetRandomWalkParameters() const;
    void SetModelParameters(const ModelParameters& params);

    // --- extraction (data/A1Extraction.cpp)
    void ExtractC1A1(std::int32_t nMirrorY, double dRotDeg);
    void ExtractORVEX(std::int32_t nMirrorY, double dRotDeg);
    // The extraction of the series' own log type (the re-extraction command);
    // false, with nothing changed, for a series of another type.
    bool Reextract(std::int32_t nMirrorY, double dRotDeg);

    // --- statistics of the samples (data/A1Statistics.cpp); `angle` rotates
    // every sample counter-clockwise by that many degrees first. With no
    // samples the outputs are left as they are.
    void GetMeanXY(double& meanX, double& meanY, double angle) const;
    void GetCovarianceXY(double& varX, double& covXY, double& varY, double meanX, double meanY,
                         double angle) const;
    // The further rotation at which x and y are least correlated, searched
    // from -44.9 to +45.0 degrees; false when no angle gives a correlation.
    bool FindMinCorrelationRotation(double& angle, double& correlation) const;
    // The two statistics lines of the A22-time page: means, deviations and
    // the x-y correlation, and the total rotation that would make the
    // correlation smallest ("" when x or y does not vary).
    void GetStatisticsText(std::string& statistics, std::string& correlation) const;

    // --- evaluation (evaluation/)
    // Long series take seconds: progress hears how far the pairs are done.
    // Once pAbort is set both return soon with the series as it was.
    void EvaluateCharFunction(std::int32_t nMinDiversity, const ProgressCallback& progress = {},
                              const AbortFlag* pAbort = nullptr);
    // Without a seed the random restarts are seeded from the UTC clock; a
    // seed makes the fit reproducible (command-line runs, tests).
    // progress hears the share of the at most twenty minimisations done.
    // The summary says whether a new model was stored and how the fit went.
    MODELFITSUMMARY FitModel(std::optional<std::uint32_t> nSeed = std::nullopt,
                             const ProgressCallback& progress = {},
                             const AbortFlag* pAbort = nullptr);
    void EvaluateLifetime(double dTolerance);
    double EvaluateModelLifetime(double dTolerance);
    // Logs the notes on a weakly supported fit (FitNotes), if there are any.
    void LogFitNotes();
    // A recording whose start and stop times give no positive span has no
    // time base (its period is 0): none of its time spans is known in seconds.
    bool HasTimeBase() const;
    // "12.3 s", or "time base unknown" for a recording without a time base;
    // every lifetime text of the program is built with it.
    std::string LifetimeSecondsText(double dSeconds) const;
    // The direct or the model lifetime ended in an error (an unusable
    // tolerance, invalid data): its number means nothing, and every text
    // that would print it prints kLifetimeErrorText instead.
    bool HasLifetimeError() const { return m_nLifetimeState == -3; }
    bool HasModelLifetimeError() const { return m_nModelLifetimeState == kModelLifetimeError; }
    std::string GetLifetimeText() const;
    std::string GetModelLifetimeText() const;
    // The first lines of the characteristic function and fitted model pages
    // (evaluation/ResultLines.cpp): the function's size, time span and
    // measurement error; the model parameters with tc in seconds.
    std::string GetCFuncInfoText() const;
    std::string GetModelParameterText() const;
    double GetProbabilityLifetime(double dTolerance, double dProbability) const;
    double GetRandomWalkProbabilityLifetime(double dTolerance, double dProbability) const;
    double GetRandomWalkLifetime(double dTolerance) const;

    // --- exports (report/)
    bool ExportTimeTable(const std::string& path);
    bool ExportCFuncTable(const std::string& path);
    bool ExportModelTable(const std::string& path);
    bool ExportProbTable(const std::string& path);
    bool ExportTimeData(const std::string& path);
    bool ExportCFuncData(const std::string& path);
    bool ExportModelData(const std::string& path);
    bool ExportProbData(const std::string& path);

    // --- rendering (diagram/); trims the blanks of the unit labels it uses
    bool DrawDiagram(CDiagramDC& dc, const DiagramStyle& style);

    std::vector<std::string> m_LogLines;
    std::vector<A1SAMPLE> m_Samples;
    std::vector<A1SAMPLE> m_CFuncData;
    std::int32_t m_nPage = 1;
    std::string m_strFileName;
    std::int32_t m_nFirstLine = 0;
    std::int32_t m_nLastLine = 0;
    std::int32_t m_nStartTime = 0;
    std::int32_t m_nStopTime = 0;
    std::int32_t m_nImportType = 0;
    std::uint32_t m_nDataLines = 0;
    std::int32_t m_nCFuncState = 0;
    std::int32_t m_nModelState = 0;
    std::int32_t m_nMirrorY = 0;
    std::int32_t m_nMinDiversity = 10;
    std::int32_t m_nLifetimeState = 0;
    double m_dRotationDeg = 0.0;
    double m_dPeriod = 1.0;
    double m_dMeasError = 0.0;
    double m_dMeasErrorX = 0.0;
    double m_dMeasErrorY = 0.0;
    double m_dCFuncSlope = 0.0;
    double m_dTolerance = 0.0;
    double m_dLimitPhase = 0.0;
    double m_dElEnergy = 0.0;
    double m_dTargetRes = 0.0;
    double m_dLifetime = 0.0;
    double m_dModelDi = 0.0;
    double m_dModelDa = 0.0;
    double m_dModelTc = 0.0;
    double m_dModelS = 0.0;
    double m_dModelLifetime = 0.0;
    // State of m_dModelLifetime; when unbounded it holds VLARGE image steps
    // in seconds.
    ModelLifetimeState m_nModelLifetimeState = kModelLifetimeNone;
    double m_dModelSSqr = 0.0;
    std::vector<UNIT> m_SqrUnits;
    std::vector<UNIT> m_LenUnits;
    std::vector<UNIT> m_TimeUnits;

private:
    void FillUnitTables();
};
