// Golden files of this test: tests/fixtures/export_{time,cfunc,model,prob}.
// {txt,dat}, the eight exports of MakeEvaluatedSeries(). To regenerate them
// after an intended change of a format, run
//     TESSARIC_UPDATE_GOLDEN=1 build/tests/test_report --gtest_filter='DataExport.Golden*'
// and review the difference of tests/fixtures/ before committing it (the
// layout checks below must still pass against the new files).
#include "report/ReportTestSupport.h"
#include "support/TestSupport.h"
#include "support/WriteLimitGuard.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ExportFunction = bool (CA1TimeSeries::*)(const std::string&);

struct EXPORTCASE {
    const char* pszGolden;
    ExportFunction function;
    const char* pszOpening;
    const char* pszOpenFailure;
    const char* pszSuccess;
    const char* pszFailure;
    const char* pszNotReady; // null: always ready
    bool bNeedsModel;
};

const EXPORTCASE kCases[] = {
    {"export_time.txt", &CA1TimeSeries::ExportTimeTable, "] for saving astigmatism-time table.",
     "] for writing astigmatism-time table.", "Successfully saved astigmatism-time table to file [",
     "ERROR: Failed to save astigmatism-time table to file [", nullptr, false},
    {"export_cfunc.txt", &CA1TimeSeries::ExportCFuncTable,
     "] for saving characteristic function table.", "] for writing characteristic function table.",
     "Successfully saved characteristic function table to file [",
     "ERROR: Failed to save characteristic function table to file [",
     "ERROR: Aborted saving characteristic function table. Data is not ready.", false},
    {"export_model.txt", &CA1TimeSeries::ExportModelTable,
     "] for saving characteristic function model table.",
     "] for writing characteristic function model table.",
     "Successfully saved characteristic function model table to file [",
     "ERROR: Failed to save characteristic function model table to file [",
     "ERROR: Aborted saving characteristic function model data table. Data is not ready.", true},
    {"export_prob.txt", &CA1TimeSeries::ExportProbTable, "] for saving probability table.",
     "] for writing probability data table.", "Successfully saved probability data table to file [",
     "ERROR: Failed to save probability data table to file [",
     "ERROR: Aborted saving probability data table. Data is not ready.", true},
    {"export_time.dat", &CA1TimeSeries::ExportTimeData, "] for saving astigmatism-time data.",
     "] for writing astigmatism-time data.", "Successfully saved astigmatism-time data to file [",
     "ERROR: Failed to save astigmatism-time data to file [", nullptr, false},
    {"export_cfunc.dat", &CA1TimeSeries::ExportCFuncData,
     "] for saving characteristic function data.", "] for writing characteristic function data.",
     "Successfully saved characteristic function data to file [",
     "ERROR: Failed to save characteristic function data to file [",
     "ERROR: Aborted saving characteristic function data. Data is not ready.", false},
    {"export_model.dat", &CA1TimeSeries::ExportModelData,
     "] for saving characteristic function model data.",
     "] for writing characteristic function model data.",
     "Successfully saved characteristic function model data to file [",
     "ERROR: Failed to save characteristic function model data to file [",
     "ERROR: Aborted saving characteristic function model data. Data is not ready.", true},
    {"export_prob.dat", &CA1TimeSeries::ExportProbData, "] for saving probability data.",
     "] for writing probability data.", "Successfully saved probability data to file [",
     "ERROR: Failed to probability data to file [",
     "ERROR: Aborted saving probability data. Data is not ready.", true},
};

// Exports with `function` into `dir` and returns the file's bytes.
std::string Export(CA1TimeSeries& series, ExportFunction function, const TempDir& dir,
                   const std::string& name = "out") {
    EXPECT_TRUE((series.*function)(dir.File(name)));
    return ReadFileBytes(dir.File(name));
}

std::vector<std::string> DataRows(const std::string& table, std::size_t headLines) {
    std::vector<std::string> lines = SplitCrLf(table);
    EXPECT_EQ(lines.back(), ""); // the last row ends with CR LF too
    lines.pop_back();
    return std::vector<std::string>(lines.begin() + static_cast<long>(headLines), lines.end());
}

} // namespace

TEST(DataExport, GoldenFilesAndSuccessReports) {
    for (const EXPORTCASE& test : kCases) {
        SCOPED_TRACE(test.pszGolden);
        TempDir dir;
        LogCapture capture(1);
        CA1TimeSeries series = MakeEvaluatedSeries();
        series.m_pLog = capture.Log();
        const std::string path = dir.File(test.pszGolden);
        ExpectMatchesGolden(Export(series, test.function, dir, test.pszGolden), test.pszGolden);
        const std::vector<std::string> expected = {
            Debug(1, "Opening file [" + path + test.pszOpening),
            Debug(1, test.pszSuccess + path + "]."),
        };
        EXPECT_EQ(capture.Lines(), expected);
        EXPECT_EQ(FilesIn(dir.Path()), 1u); // no temporary file left behind
    }
}

TEST(DataExport, TextTablesEndEveryLineWithCrLf) {
    for (const EXPORTCASE& test : kCases) {
        const std::string name = test.pszGolden;
        if (name.ends_with(".dat"))
            continue;
        SCOPED_TRACE(name);
        TempDir dir;
        CA1TimeSeries series = MakeEvaluatedSeries();
        const std::string table = Export(series, test.function, dir);
        ASSERT_FALSE(table.empty());
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i] == '\n') {
                ASSERT_TRUE(i > 0 && table[i - 1] == '\r') << "bare LF at byte " << i;
            }
        }
        EXPECT_TRUE(table.ends_with("\r\n"));
    }
}

TEST(DataExport, TimeTableRows) {
    TempDir dir;
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_dPeriod = 2.0;
    const std::string table = Export(series, &CA1TimeSeries::ExportTimeTable, dir);
    const std::vector<std::string> lines = SplitCrLf(table);
    EXPECT_EQ(lines[0], "# Tessaric - Exported astigmatism time table");
    EXPECT_EQ(lines[1], "# - input file: /data/logs/run1.log");
    EXPECT_EQ(lines[2], "# - used lines of the log file: 10 - 16");
    EXPECT_EQ(lines[3], "    time t [s];     A22-x [nm];     A22-y [nm]");
    const std::vector<std::string> rows = DataRows(table, 4);
    ASSERT_EQ(rows.size(), 3u);
    // Image 1 stands at time 0; images 2 and 4 at one and three periods.
    const std::string first = std::string(10, ' ') + "0.00; " + std::string(7, ' ') + "1.23457; " +
                              std::string(5, ' ') + "-0.654321";
    EXPECT_EQ(first.size(), 46u);
    EXPECT_EQ(rows[0], first);
    EXPECT_EQ(rows[1], "          2.00;     1.2345E-06;            2.5");
    EXPECT_EQ(rows[2].substr(0, 14), "          6.00");
}

TEST(DataExport, EmptySeriesGivesHeadersOnly) {
    TempDir dir;
    CA1TimeSeries series;
    const std::string table = Export(series, &CA1TimeSeries::ExportTimeTable, dir, "t.txt");
    EXPECT_EQ(SplitCrLf(table).size(), 5u); // four lines and the empty rest
    const std::string data = Export(series, &CA1TimeSeries::ExportTimeData, dir, "t.dat");
    ASSERT_EQ(data.size(), 8u);
    EXPECT_EQ(Int32At(data, 0), 0);
    EXPECT_EQ(Int32At(data, 4), 3);
}

TEST(DataExport, CharacteristicFunctionTableSumsXAndY) {
    TempDir dir;
    CA1TimeSeries series = MakeEvaluatedSeries();
    const std::string table = Export(series, &CA1TimeSeries::ExportCFuncTable, dir);
    const std::vector<std::string> lines = SplitCrLf(table);
    EXPECT_EQ(lines[2], "# - extrapolated measurement error: 0.012 nm");
    EXPECT_EQ(lines[3], "timespan t [s];    f(t) [nm^2];  Var(f) [nm^4]");
    const std::vector<std::string> rows = DataRows(table, 4);
    ASSERT_EQ(rows.size(), series.m_CFuncData.size());
    EXPECT_EQ(rows[1], "          1.00;     1.2345E-06;          1E-12");
    // After the gap at distance 7 the records keep their own distance.
    EXPECT_EQ(rows[6], "          4.00;          0.056;        2.4E-05");
}

TEST(DataExport, ModelTableHas501RowsFromZero) {
    TempDir dir;
    CA1TimeSeries series = MakeEvaluatedSeries();
    const std::string table = Export(series, &CA1TimeSeries::ExportModelTable, dir);
    const std::vector<std::string> lines = SplitCrLf(table);
    EXPECT_EQ(lines[2], "# - evaluation time step: t0 = 0.5 s");
    EXPECT_EQ(lines[3],
              "# - fitted parameters: Di = 0.08 nm, Da = 0.05 nm, tc = 6.15 s, s = 0.004 nm");
    EXPECT_EQ(lines[4], "timespan t [s];    f(t) [nm^2]; f(t,16%)[nm^2]; f(t,84%)[nm^2]");
    const std::vector<std::string> rows = DataRows(table, 5);
    ASSERT_EQ(rows.size(), 501u);
    const std::string zeros = "; " + std::string(13, ' ') + "0";
    EXPECT_EQ(rows[0], std::string(10, ' ') + "0.00" + zeros + zeros + zeros);
    EXPECT_EQ(rows[0].size(), 62u);
    // The curve runs to 1.15 times the model lifetime of 60 s.
    EXPECT_EQ(rows[500].substr(0, 14), "         69.00");

    series.m_dModelLifetime = 0.0;
    for (const std::string& row :
         DataRows(Export(series, &CA1TimeSeries::ExportModelTable, dir), 5))
        ASSERT_EQ(row.substr(0, 14), "          0.00");
}

TEST(DataExport, ProbabilityTableStartsCertain) {
    TempDir dir;
    CA1TimeSeries series = MakeEvaluatedSeries();
    const std::string table = Export(series, &CA1TimeSeries::ExportProbTable, dir);
    const std::vector<std::string> lines = SplitCrLf(table);
    EXPECT_EQ(lines[2], "# - electron energy: E = 300.0 keV");
    EXPECT_EQ(lines[3], "# - target resolution: dinfo = 1.00 A");
    EXPECT_EQ(lines[4], "# - astigmatism tolerance: a = 1.270 nm");
    EXPECT_EQ(lines[5], "timespan t [s];         P(a,t)");
    const std::vector<std::string> rows = DataRows(table, 6);
    ASSERT_EQ(rows.size(), 501u);
    EXPECT_EQ(rows[0], "          0.00;              1");
}

TEST(DataExport, ConstantSeriesKeepsAFiniteTimeAxis) {
    // Nothing changes: the model stays at 0 and never reaches the tolerance,
    // P(a, t) never falls to 5 %. The probability curves then run to twice
    // the longest extracted time span (18 distances of 0.5 s), the model
    // curve to 1.15 times that span: rows of one number's width each.
    CA1TimeSeries series;
    series.m_dPeriod = 0.5;
    for (std::int32_t i = 1; i <= 200; ++i)
        series.m_Samples.push_back({i, 1.0, -0.5, 0.0, 0.0});
    series.EvaluateCharFunction(10);
    series.EvaluateLifetime(1.26984);
    series.FitModel(1u);
    series.EvaluateModelLifetime(1.26984);
    ASSERT_EQ(series.m_nModelLifetimeState, -2);

    TempDir dir;
    struct TABLE {
        ExportFunction function;
        std::size_t nRowLength;
        const char* pszLastTime;
    };
    const TABLE tables[] = {{&CA1TimeSeries::ExportProbTable, 30, "         18.00"},
                            {&CA1TimeSeries::ExportModelTable, 62, "         10.35"}};
    for (const TABLE& table : tables) {
        const std::vector<std::string> rows = DataRows(Export(series, table.function, dir), 5);
        ASSERT_GE(rows.size(), 501u);
        for (const std::string& row : rows)
            ASSERT_LE(row.size(), table.nRowLength) << row;
        EXPECT_EQ(rows.back().substr(0, 14), table.pszLastTime);
    }
    const std::string prob = Export(series, &CA1TimeSeries::ExportProbData, dir);
    ASSERT_EQ(prob.size(), 4028u);
    EXPECT_EQ(Float32At(prob, 4028 - 8), 18.0f);
}

TEST(DataExport, BinaryTimeFileOfTwoSamples) {
    TempDir dir;
    CA1TimeSeries series;
    series.m_dPeriod = 0.5;
    series.m_Samples = {{1, 1.0, -1.0, 0.0, 0.0}, {3, 2.0, 0.5, 0.0, 0.0}};
    const std::string data = Export(series, &CA1TimeSeries::ExportTimeData, dir);
    ASSERT_EQ(data.size(), 32u);
    EXPECT_EQ(Int32At(data, 0), 2);
    EXPECT_EQ(Int32At(data, 4), 3);
    const float expected[] = {0.0f, 1.0f, -1.0f, 1.0f, 2.0f, 0.5f};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(Float32At(data, 8 + 4 * i), expected[i]) << "value " << i;
}

TEST(DataExport, BinaryFileSizesAndHeaders) {
    TempDir dir;
    CA1TimeSeries series = MakeEvaluatedSeries();
    const std::size_t n = series.m_Samples.size();
    const std::size_t records = series.m_CFuncData.size();
    EXPECT_EQ(Export(series, &CA1TimeSeries::ExportTimeData, dir).size(), 8 + 12 * n);

    const std::string cfunc = Export(series, &CA1TimeSeries::ExportCFuncData, dir);
    ASSERT_EQ(cfunc.size(), 20 + 20 * records);
    EXPECT_EQ(Int32At(cfunc, 4), 5);
    EXPECT_EQ(Float32At(cfunc, 8), 0.0123f);
    // x and y parts stay apart: record 0 is t, f_x, f_y, Var_x, Var_y.
    EXPECT_EQ(Float32At(cfunc, 20), 0.5f);
    EXPECT_EQ(Float32At(cfunc, 24), 0.004f);
    EXPECT_EQ(Float32At(cfunc, 28), 0.003f);

    const std::string model = Export(series, &CA1TimeSeries::ExportModelData, dir);
    ASSERT_EQ(model.size(), 8044u);
    EXPECT_EQ(Int32At(model, 0), 501);
    EXPECT_EQ(Int32At(model, 4), 4);
    EXPECT_EQ(Float32At(model, 16), static_cast<float>(12.3 * 0.5)); // tc in seconds
    EXPECT_EQ(Float32At(model, 24), 0.5f);                           // the period
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(Float32At(model, 28 + 4 * i), 0.0f);

    const std::string prob = Export(series, &CA1TimeSeries::ExportProbData, dir);
    ASSERT_EQ(prob.size(), 4028u);
    EXPECT_EQ(Int32At(prob, 4), 2);
    EXPECT_EQ(Float32At(prob, 16), static_cast<float>(1.26984));
    EXPECT_EQ(Float32At(prob, 20), 0.0f);
    EXPECT_EQ(Float32At(prob, 24), 1.0f);
    // The binary curve ends at twice the model lifetime.
    EXPECT_EQ(Float32At(prob, 4028 - 8), 120.0f);
}

TEST(DataExport, ZeroToleranceGivesZeroProbabilityAfterTheStart) {
    TempDir dir;
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_dTolerance = 0.0;
    const std::string prob = Export(series, &CA1TimeSeries::ExportProbData, dir);
    ASSERT_EQ(prob.size(), 4028u);
    EXPECT_EQ(Float32At(prob, 24), 1.0f);
    for (std::size_t record = 1; record < 501; ++record)
        ASSERT_EQ(Float32At(prob, 20 + 8 * record + 4), 0.0f) << "record " << record;
}

TEST(DataExport, NotReadyWritesNothing) {
    for (const EXPORTCASE& test : kCases) {
        if (!test.pszNotReady)
            continue;
        SCOPED_TRACE(test.pszGolden);
        // Without a characteristic function nothing but the time data is
        // ready; with one but without a model, the model and probability
        // data are not.
        for (int variant = 0; variant < (test.bNeedsModel ? 2 : 1); ++variant) {
            TempDir dir;
            LogCapture capture(1);
            CA1TimeSeries series = MakeEvaluatedSeries();
            series.m_pLog = capture.Log();
            series.m_nModelState = 0;
            if (variant == 0)
                series.m_nCFuncState = 0;
            EXPECT_FALSE((series.*test.function)(dir.File("out")));
            EXPECT_EQ(capture.Lines(), std::vector<std::string>{test.pszNotReady});
            EXPECT_EQ(FilesIn(dir.Path()), 0u);
        }
    }
}

// Values a file cannot hold leave that file out with an error record;
// every other file of the series is written as before.
TEST(DataExport, ValuesAFileCannotHoldLeaveItOut) {
    struct UNWRITABLECASE {
        const char* pszCase;
        void (*spoil)(CA1TimeSeries& series);
        const char* pszRecord; // the record that says why, after the not-ready one
    };
    const UNWRITABLECASE cases[] = {
        // A stop time not after the start time: the curves have no time axis.
        {"no time base", [](CA1TimeSeries& s) { s.m_dPeriod = 0.0; },
         "- The recording has no time base (its stop time is not after its start time): the "
         "curve has no time axis."},
        // A finite value beyond the 32-bit float range of the binary files;
        // the text table keeps it exactly.
        {"beyond float", [](CA1TimeSeries& s) { s.m_CFuncData[1].dX = 1e40; },
         "does not fit the 32-bit floats of file ["},
    };
    for (const UNWRITABLECASE& c : cases) {
        for (const EXPORTCASE& test : kCases) {
            SCOPED_TRACE(std::string(c.pszCase) + ": " + test.pszGolden);
            TempDir dir;
            LogCapture capture(0);
            CA1TimeSeries series = MakeEvaluatedSeries();
            series.m_pLog = capture.Log();
            c.spoil(series);
            const bool bRefused = std::string(c.pszCase) == "no time base"
                                      ? test.bNeedsModel
                                      : test.function == &CA1TimeSeries::ExportCFuncData;
            EXPECT_EQ((series.*test.function)(dir.File("out")), !bRefused);
            EXPECT_EQ(FilesIn(dir.Path()), bRefused ? 0u : 1u);
            const std::vector<std::string> lines = capture.Lines();
            EXPECT_EQ(std::any_of(lines.begin(), lines.end(),
                                  [&](const std::string& line) {
                                      return line.find(c.pszRecord) != std::string::npos;
                                  }),
                      bRefused);
            if (bRefused)
                continue;
            EXPECT_FALSE(HoldsNonFiniteNumber(ReadFileBytes(dir.File("out"))));
        }
    }
    TempDir dir;
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_CFuncData[1].dX = 1e40;
    EXPECT_NE(Export(series, &CA1TimeSeries::ExportCFuncTable, dir).find("1E+40"),
              std::string::npos);
}

TEST(DataExport, UncreatableFileReportsOpenFailure) {
    for (const EXPORTCASE& test : kCases) {
        SCOPED_TRACE(test.pszGolden);
        TempDir dir;
        WriteFileBytes(dir.File("plain"), "a regular file");
        const std::string path = dir.File("plain/out");
        LogCapture capture(1);
        CA1TimeSeries series = MakeEvaluatedSeries();
        series.m_pLog = capture.Log();
        EXPECT_FALSE((series.*test.function)(path));
        const std::vector<std::string> expected = {
            Debug(1, "Opening file [" + path + test.pszOpening),
            "ERROR: Failed to open file [" + path + test.pszOpenFailure,
        };
        EXPECT_EQ(capture.Lines(), expected);
        EXPECT_EQ(ReadFileBytes(dir.File("plain")), "a regular file");
    }
}

TEST(DataExport, FailingPartWayKeepsThePreviousFile) {
    for (const EXPORTCASE& test : kCases) {
        SCOPED_TRACE(test.pszGolden);
        TempDir dir;
        CA1TimeSeries series = MakeEvaluatedSeries();
        const std::size_t size = Export(series, test.function, dir, "fresh").size();
        const std::string path = dir.File("out");
        WriteFileBytes(path, "previous content");
        LogCapture capture(1);
        series.m_pLog = capture.Log();
        {
            // The disk fills up half way through the content.
            WriteLimitGuard limit(size / 2);
            EXPECT_FALSE((series.*test.function)(path));
        }
        const std::vector<std::string> expected = {
            Debug(1, "Opening file [" + path + test.pszOpening),
            test.pszFailure + path + "].",
        };
        EXPECT_EQ(capture.Lines(), expected);
        EXPECT_EQ(ReadFileBytes(path), "previous content");
        EXPECT_EQ(FilesIn(dir.Path()), 2u); // "fresh" and "out", no temporary file
    }
}

TEST(DataExport, ExistingFileIsReplacedCompletely) {
    for (const EXPORTCASE& test : kCases) {
        SCOPED_TRACE(test.pszGolden);
        TempDir dir;
        CA1TimeSeries series = MakeEvaluatedSeries();
        const std::string fresh = Export(series, test.function, dir, "fresh");
        WriteFileBytes(dir.File("old"), std::string(100000, 'x'));
        EXPECT_EQ(Export(series, test.function, dir, "old"), fresh);
    }
}
