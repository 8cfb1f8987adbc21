#include "data/CA1TimeSeries.h"

#include "infra/CNumber.h"

std::string CA1TimeSeries::GetCFuncInfoText() const {
    double tMin = 0.0;
    double tMax = 0.0;
    double fMin = 0.0;
    double fMax = 0.0;
    GetCFuncRange(tMin, tMax, fMin, fMax);
    if (!HasTimeBase())
        return FormatC("%d data points, max. timespan: %d images (time base unknown), "
                       "extrapolated measurement error: %.3f nm",
                       static_cast<int>(m_CFuncData.size()),
                       m_CFuncData.empty() ? 0 : static_cast<int>(m_CFuncData.back().nImage),
                       m_dMeasError);
    return FormatC("%d data points, max. timespan: %.1f s, extrapolated measurement error: %.3f nm",
                   static_cast<int>(m_CFuncData.size()), tMax, m_dMeasError);
}

std::string CA1TimeSeries::GetModelParameterText() const {
    // tc is kept in image steps; the user reads it in seconds. "%3.G" gives
    // the fit's residual one significant digit, three characters wide.
    // Without a time base tc is known in image steps only, as every other
    // time of the series.
    if (!HasTimeBase())
        return FormatC("Di = %.3G nm, Da = %.3G nm, tc = %.3G images (time base unknown), "
                       "s = %.3G nm, s-sqr = %3.G",
                       m_dModelDi, m_dModelDa, m_dModelTc, m_dModelS, m_dModelSSqr);
    return FormatC("Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm, s-sqr = %3.G", m_dModelDi,
                   m_dModelDa, m_dModelTc * m_dPeriod, m_dModelS, m_dModelSSqr);
}
