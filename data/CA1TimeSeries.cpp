#include "data/CA1TimeSeries.h"

#include <algorithm>

namespace {

constexpr std::int32_t kSeriesVersion = 0x77FDA405;
constexpr const char* kSeriesName = "A1-Time Series Data";

// The first entry from index 1 on that shows the value between 1 and 1000
// wins; the base unit is only the fall-back, so 999.9 nm stays in nm.
int FindUnit(const std::vector<UNIT>& table, double value) {
    for (std::size_t j = 1; j < table.size(); ++j) {
        const double scaled = value / table[j].dFactor;
        if (scaled >= 1.0 && scaled < 1000.0)
            return static_cast<int>(j);
    }
    return 0;
}

} // namespace

CA1TimeSeries::CA1TimeSeries() : CA1TimeSeries(nullptr) {}

CA1TimeSeries::CA1TimeSeries(CLogFile* pLog) {
    m_pLog = pLog;
    m_nVersion = kSeriesVersion;
    m_strName = kSeriesName;
    FillUnitTables();
    Reset();
}

CA1TimeSeries::CA1TimeSeries(const CA1TimeSeries& other) : CA1TimeSeries(other.m_pLog) {
    *this = other;
}

CA1TimeSeries& CA1TimeSeries::operator=(const CA1TimeSeries& other) {
    if (this == &other)
        return *this;
    m_LogLines = other.m_LogLines;
    m_Samples = other.m_Samples;
    m_CFuncData = other.m_CFuncData;
    m_nPage = other.m_nPage;
    m_strFileName = other.m_strFileName;
    m_nFirstLine = other.m_nFirstLine;
    m_nLastLine = other.m_nLastLine;
    m_nStartTime = other.m_nStartTime;
    m_nStopTime = other.m_nStopTime;
    m_nImportType = other.m_nImportType;
    m_nDataLines = other.m_nDataLines;
    m_nCFuncState = other.m_nCFuncState;
    m_nModelState = other.m_nModelState;
    m_nMirrorY = other.m_nMirrorY;
    m_nMinDiversity = other.m_nMinDiversity;
    m_nLifetimeState = other.m_nLifetimeState;
    m_dRotationDeg = other.m_dRotationDeg;
    m_dPeriod = other.m_dPeriod;
    m_dMeasError = other.m_dMeasError;
    m_dMeasErrorX = other.m_dMeasErrorX;
    m_dMeasErrorY = other.m_dMeasErrorY;
    m_dCFuncSlope = other.m_dCFuncSlope;
    m_dTolerance = other.m_dTolerance;
    m_dLimitPhase = other.m_dLimitPhase;
    m_dElEnergy = other.m_dElEnergy;
    m_dTargetRes = other.m_dTargetRes;
    m_dLifetime = other.m_dLifetime;
    m_dModelDi = other.m_dModelDi;
    m_dModelDa = other.m_dModelDa;
    m_dModelTc = other.m_dModelTc;
    m_dModelS = other.m_dModelS;
    m_dModelLifetime = other.m_dModelLifetime;
    m_nModelLifetimeState = other.m_nModelLifetimeState;
    m_dModelSSqr = other.m_dModelSSqr;
    return *this;
}

CA1TimeSeries& CA1TimeSeries::operator=(CA1TimeSeries&& other) {
    if (this == &other)
        return *this;
    std::vector<std::string> lines = std::move(other.m_LogLines);
    std::vector<A1SAMPLE> samples = std::move(other.m_Samples);
    std::vector<A1SAMPLE> function = std::move(other.m_CFuncData);
    other.m_LogLines.clear();
    other.m_Samples.clear();
    other.m_CFuncData.clear();
    *this = static_cast<const CA1TimeSeries&>(other);
    m_LogLines = std::move(lines);
    m_Samples = std::move(samples);
    m_CFuncData = std::move(function);
    return *this;
}

void CA1TimeSeries::Reset() {
    // swap with empty vectors releases the storage, not only the elements
    std::vector<std::string>().swap(m_LogLines);
    std::vector<A1SAMPLE>().swap(m_Samples);
    std::vector<A1SAMPLE>().swap(m_CFuncData);
    std::string().swap(m_strFileName);
    m_nPage = 1;
    m_nFirstLine = 0;
    m_nLastLine = 0;
    m_nStartTime = 0;
    m_nStopTime = 0;
    m_nImportType = 0;
    m_nDataLines = 0;
    m_nCFuncState = 0;
    m_nModelState = 0;
    m_nMirrorY = 0;
    m_nMinDiversity = 10;
    m_nLifetimeState = 0;
    m_dRotationDeg = 0.0;
    m_dPeriod = 1.0;
    m_dMeasError = 0.0;
    m_dMeasErrorX = 0.0;
    m_dMeasErrorY = 0.0;
    m_dCFuncSlope = 0.0;
    m_dTolerance = 0.0;
    m_dLimitPhase = 0.0;
    m_dElEnergy = 0.0;
    m_dTargetRes = 0.0;
    m_dLifetime = 0.0;
    m_dModelDi = 0.0;
    m_dModelDa = 0.0;
    m_dModelTc = 0.0;
    m_dModelS = 0.0;
    m_dModelLifetime = 0.0;
    m_nModelLifetimeState = kModelLifetimeNone;
    m_dModelSSqr = 0.0;
}

void CA1TimeSeries::FillUnitTables() {
    m_LenUnits = {{"nm", 1.0}, {"fm", 1e-6}, {"pm", 1e-3}, {"um", 1e3},
                  {"mm", 1e6}, {"m ", 1e9},  {"km", 1e12}};
    m_TimeUnits = {{"s  ", 1.0}, {"ms ", 1e-3}, {"min", 60.0}, {"h  ", 3600.0}};
    m_SqrUnits = {{"nm\u00B2", 1.0},    {"fm\u00B2", 1e-12}, {"100fm\u00B2", 1e-10},
                  {"pm\u00B2", 1e-6},   {"A\u00B2 ", 0.01},  {"um\u00B2", 1e6},
                  {"100um\u00B2", 1e8}, {"mm\u00B2", 1e12},  {"cm\u00B2", 1e14},
                  {"m\u00B2 ", 1e18}};
}

int CA1TimeSeries::FindLengthUnit(double value) const {
    return FindUnit(m_LenUnits, value);
}

int CA1TimeSeries::FindTimeUnit(double value) const {
    return FindUnit(m_TimeUnits, value);
}

int CA1TimeSeries::FindSqrUnit(double value) const {
    return FindUnit(m_SqrUnits, value);
}

// A state above 0 means evaluated; the points are tested as well so that a
// state taken over from elsewhere never leads a caller into an empty table.
bool CA1TimeSeries::HasCharFunction() const {
    return m_nCFuncState > 0 && !m_CFuncData.empty();
}

bool CA1TimeSeries::HasModel() const {
    return HasCharFunction() && m_nModelState > 0;
}

ModelParameters CA1TimeSeries::GetModelParameters() const {
    return {m_dModelDi, m_dModelDa, m_dModelTc, m_dModelS};
}

ModelParameters CA1TimeSeries::GetRandomWalkParameters() const {
    return {m_dModelDi, m_dModelDa, m_dModelTc, 0.0};
}

void CA1TimeSeries::SetModelParameters(const ModelParameters& params) {
    m_dModelDi = params[kModelDi];
    m_dModelDa = params[kModelDa];
    m_dModelTc = params[kModelTc];
    m_dModelS = params[kModelS];
}

void CA1TimeSeries::GetCFuncRange(double& tMin, double& tMax, double& fMin, double& fMax) const {
    if (m_CFuncData.empty())
        return;
    tMin = tMax = m_CFuncData.front().nImage * m_dPeriod;
    fMin = fMax = m_CFuncData.front().dX + m_CFuncData.front().dY;
    for (const A1SAMPLE& point : m_CFuncData) {
        const double t = point.nImage * m_dPeriod;
        const double f = point.dX + point.dY;
        tMin = std::min(tMin, t);
        tMax = std::max(tMax, t);
        fMin = std::min(fMin, f);
        fMax = std::max(fMax, f);
    }
}
