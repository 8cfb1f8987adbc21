// The four text tables of a series. Every table is a title line, comment
// lines, a column header and one row per point; the first column is a time in
// seconds ("%14.2f"), every other column a value ("%14.6G"), separated by a
// semicolon and a blank. The tables differ only in the parts listed in
// kTables.
#include "data/CA1TimeSeries.h"
#include "infra/CNumber.h"
#include "infra/CTextFile.h"
#include "report/ExportCurves.h"
#include "report/ExportFrame.h"
#include "report/WholeIntervalExport.h"

#include <algorithm>

#include <functional>
#include <vector>

namespace {

struct TABLEROWS {
    std::size_t nCount = 0;
    // Fills the columns of row i, the time first.
    std::function<void(std::size_t i, std::vector<double>& columns)> fill;
};

struct TABLEDEF {
    EXPORTKIND kind;
    const char* pszTitle;
    // The comment lines and the column header, each ending in "\n".
    std::vector<std::string> (*head)(const CA1TimeSeries& series);
    TABLEROWS (*rows)(const CA1TimeSeries& series);
};

std::string InputFileLine(const CA1TimeSeries& series) {
    return FormatC("# - input file: %s\n", series.m_strFileName.c_str());
}

std::vector<std::string> TimeHead(const CA1TimeSeries& series) {
    return {InputFileLine(series),
            FormatC("# - used lines of the log file: %d - %d\n",
                    static_cast<int>(series.m_nFirstLine), static_cast<int>(series.m_nLastLine)),
            "    time t [s];     A22-x [nm];     A22-y [nm]\n"};
}

TABLEROWS TimeRows(const CA1TimeSeries& series) {
    return {series.m_Samples.size(), [&series](std::size_t i, std::vector<double>& columns) {
                const A1SAMPLE& sample = series.m_Samples[i];
                // Image 1 stands at time 0.
                columns = {(sample.nImage - 1.0) * series.m_dPeriod, sample.dX, sample.dY};
            }};
}

std::vector<std::string> CFuncHead(const CA1TimeSeries& series) {
    return {InputFileLine(series),
            FormatC("# - extrapolated measurement error: %.3f nm\n", series.m_dMeasError),
            "timespan t [s];    f(t) [nm^2];  Var(f) [nm^4]\n"};
}

TABLEROWS CFuncRows(const CA1TimeSeries& series) {
    return {series.m_CFuncData.size(), [&series](std::size_t i, std::vector<double>& columns) {
                // A record's nImage is its image distance; f and its variance
                // are the sums of the x and y parts.
                const A1SAMPLE& point = series.m_CFuncData[i];
                columns = {point.nImage * series.m_dPeriod, point.dX + point.dY,
                           point.dErrX + point.dErrY};
            }};
}

std::vector<std::string> ModelHead(const CA1TimeSeries& series) {
    return {InputFileLine(series),
            FormatC("# - evaluation time step: t0 = %.3G s\n", series.m_dPeriod),
            FormatC("# - fitted parameters: Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm\n",
                    series.m_dModelDi, series.m_dModelDa, series.m_dModelTc * series.m_dPeriod,
                    series.m_dModelS),
            FormatC("timespan t [s];    f(t) [nm^2]; f(t,16%%)[nm^2]; f(t,84%%)[nm^2]\n")};
}

TABLEROWS ModelRows(const CA1TimeSeries& series) {
    return {kExportCurvePoints, [&series](std::size_t i, std::vector<double>& columns) {
                const MODELPOINT point = ModelCurvePoint(series, static_cast<int>(i));
                columns = {point.dTime, point.dF, point.dF16, point.dF84};
            }};
}

std::vector<std::string> ProbHead(const CA1TimeSeries& series) {
    return {InputFileLine(series),
            FormatC("# - electron energy: E = %.1f keV\n", series.m_dElEnergy),
            FormatC("# - target resolution: dinfo = %.2f A\n", series.m_dTargetRes),
            FormatC("# - astigmatism tolerance: a = %.3f nm\n", series.m_dTolerance),
            "timespan t [s];         P(a,t)\n"};
}

TABLEROWS ProbRows(const CA1TimeSeries& series) {
    const double dStep = ProbabilityTableStep(series);
    return {kExportCurvePoints, [&series, dStep](std::size_t i, std::vector<double>& columns) {
                const PROBPOINT point = ProbabilityCurvePoint(series, dStep, static_cast<int>(i));
                columns = {point.dTime, point.dProbability};
            }};
}

std::vector<std::string> InsideHead(const CA1TimeSeries& series) {
    std::vector<std::string> head = ProbHead(series);
    const WHOLEINTERVALCURVE curve = SeriesWholeIntervalCurve(series);
    head.back() =
        FormatC("# - P_inside: Monte Carlo of %d paths (seed %llu), standard error <= "
                "%.4f\n",
                static_cast<int>(curve.nPaths), static_cast<unsigned long long>(curve.nSeed),
                curve.LargestStandardError());
    head.push_back("timespan t [s];         P(a,t);  P_inside(a,t)\n");
    return head;
}

TABLEROWS InsideRows(const CA1TimeSeries& series) {
    const double dStep = ProbabilityTableStep(series);
    return {kExportCurvePoints, [&series, dStep, curve = SeriesWholeIntervalCurve(series)](
                                    std::size_t i, std::vector<double>& columns) {
                const PROBPOINT point = ProbabilityCurvePoint(series, dStep, static_cast<int>(i));
                // The last row may lie a rounding beyond the curve's end.
                const double k = std::min(point.dTime / series.m_dPeriod, curve.steps.back());
                columns = {point.dTime, point.dProbability, curve.At(k)};
            }};
}

const TABLEDEF kTimeTable = {
    {"] for saving astigmatism-time table.", "] for writing astigmatism-time table.",
     "Successfully saved astigmatism-time table to file [",
     "ERROR: Failed to save astigmatism-time table to file [", nullptr, false},
    "# Tessaric - Exported astigmatism time table",
    TimeHead,
    TimeRows,
};
const TABLEDEF kCFuncTable = {
    {"] for saving characteristic function table.", "] for writing characteristic function table.",
     "Successfully saved characteristic function table to file [",
     "ERROR: Failed to save characteristic function table to file [",
     "ERROR: Aborted saving characteristic function table. Data is not ready.", false},
    "# Tessaric - Exported characteristic function table",
    CFuncHead,
    CFuncRows,
};
const TABLEDEF kModelTable = {
    {"] for saving characteristic function model table.",
     "] for writing characteristic function model table.",
     "Successfully saved characteristic function model table to file [",
     "ERROR: Failed to save characteristic function model table to file [",
     "ERROR: Aborted saving characteristic function model data table. Data is not ready.", true},
    "# Tessaric - Exported characteristic function model table",
    ModelHead,
    ModelRows,
};
const TABLEDEF kProbTable = {
    {"] for saving probability table.", "] for writing probability data table.",
     "Successfully saved probability data table to file [",
     "ERROR: Failed to save probability data table to file [",
     "ERROR: Aborted saving probability data table. Data is not ready.", true},
    "# Tessaric - Exported probability data table",
    ProbHead,
    ProbRows,
};

const TABLEDEF kInsideTable = {
    {"] for saving whole-interval probability table.",
     "] for writing whole-interval probability table.",
     "Successfully saved whole-interval probability table to file [",
     "ERROR: Failed to save whole-interval probability table to file [",
     "ERROR: Aborted saving whole-interval probability table. Data is not ready.", true},
    "# Tessaric - Exported whole-interval probability table",
    InsideHead,
    InsideRows,
};

std::string FormatRow(const std::vector<double>& columns) {
    std::string row = FormatC("%14.2f", columns.front());
    for (std::size_t c = 1; c < columns.size(); ++c)
        row += FormatC("; %14.6G", columns[c]);
    row += '\n';
    return row;
}

bool ExportTable(const CA1TimeSeries& series, const std::string& path, const TABLEDEF& table) {
    return RunExport<CTextFileWriter>(series, path, table.kind, [&](CTextFileWriter& file) {
        // The title is written as it stands; the other lines come from the C
        // formatter, whose "\n" the writer turns into CR LF.
        bool ok = file.WriteLine(table.pszTitle);
        for (const std::string& line : table.head(series))
            ok = ok && file.WriteText(line);
        const TABLEROWS rows = table.rows(series);
        std::vector<double> columns;
        for (std::size_t i = 0; ok && i < rows.nCount; ++i) {
            rows.fill(i, columns);
            ok = file.WriteText(FormatRow(columns));
        }
        return ok;
    });
}

} // namespace

bool CA1TimeSeries::ExportTimeTable(const std::string& path) {
    return ExportTable(*this, path, kTimeTable);
}

bool CA1TimeSeries::ExportCFuncTable(const std::string& path) {
    return ExportTable(*this, path, kCFuncTable);
}

bool CA1TimeSeries::ExportModelTable(const std::string& path) {
    return ExportTable(*this, path, kModelTable);
}

bool CA1TimeSeries::ExportProbTable(const std::string& path) {
    return ExportTable(*this, path, kProbTable);
}

bool ExportWholeIntervalTable(const CA1TimeSeries& series, const std::string& path) {
    if (series.HasModel()) {
        const WHOLEINTERVALCURVE curve = SeriesWholeIntervalCurve(series);
        if (!curve.bValid) {
            series.LogMessage("ERROR: Aborted saving whole-interval probability table: " +
                              curve.strProblem + ".");
            return false;
        }
    }
    return ExportTable(series, path, kInsideTable);
}
