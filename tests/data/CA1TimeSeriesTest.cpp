#include "data/CA1TimeSeries.h"
#include "data/CA1SeriesList.h"
#include "data/LogImport.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Labels(const std::vector<UNIT>& table) {
    std::vector<std::string> labels;
    for (const UNIT& unit : table)
        labels.push_back(unit.strName);
    return labels;
}

// A series with a value in every member, as after an import and an evaluation.
CA1TimeSeries FilledSeries(CLogFile* pLog) {
    CA1TimeSeries series(pLog);
    series.m_LogLines = {"a", "b"};
    series.m_Samples = {{3, 1.0, 2.0, 0.1, 0.2}};
    series.m_CFuncData = {{1, 0.5, 0.25, 0.0, 0.0}, {2, 1.5, 0.5, 0.0, 0.0}};
    series.m_nPage = 3;
    series.m_strFileName = "/logs/a.log";
    series.m_nFirstLine = 10;
    series.m_nLastLine = 16;
    series.m_nStartTime = 100;
    series.m_nStopTime = 160;
    series.m_nImportType = kImportTypeC1A1;
    series.m_nDataLines = 3;
    series.m_nCFuncState = 1;
    series.m_nModelState = 1;
    series.m_nMirrorY = -1;
    series.m_nMinDiversity = 7;
    series.m_nLifetimeState = -2;
    series.m_dRotationDeg = 12.5;
    series.m_dPeriod = 20.0;
    series.m_dMeasError = 0.3;
    series.m_dModelSSqr = 4.5;
    series.m_dModelTc = 8.0;
    return series;
}

} // namespace

TEST(CA1TimeSeries, DefaultConstructionGivesTheEmptyStateAndFullUnitTables) {
    const CA1TimeSeries series;
    EXPECT_EQ(series.m_pLog, nullptr);
    EXPECT_EQ(series.m_nVersion, 0x77FDA405);
    EXPECT_EQ(series.m_strName, "A1-Time Series Data");
    EXPECT_EQ(series.m_dPeriod, 1.0);
    EXPECT_EQ(series.m_nMinDiversity, 10);
    EXPECT_EQ(series.m_nPage, 1);
    EXPECT_EQ(series.m_nMirrorY, 0);
    EXPECT_TRUE(series.m_LogLines.empty());
    EXPECT_TRUE(series.m_Samples.empty());
    EXPECT_TRUE(series.m_CFuncData.empty());
    EXPECT_EQ(Labels(series.m_LenUnits),
              (std::vector<std::string>{"nm", "fm", "pm", "um", "mm", "m ", "km"}));
    EXPECT_EQ(Labels(series.m_TimeUnits), (std::vector<std::string>{"s  ", "ms ", "min", "h  "}));
    EXPECT_EQ(
        Labels(series.m_SqrUnits),
        (std::vector<std::string>{"nm\u00B2", "fm\u00B2", "100fm\u00B2", "pm\u00B2", "A\u00B2 ",
                                  "um\u00B2", "100um\u00B2", "mm\u00B2", "cm\u00B2", "m\u00B2 "}));
    EXPECT_EQ(series.m_SqrUnits[4].dFactor, 0.01);
    EXPECT_EQ(series.m_LenUnits[5].dFactor, 1e9);
}

TEST(CA1TimeSeries, AssignmentCopiesDataButNeitherLogNorUnitTables) {
    LogCapture a;
    LogCapture b;
    CA1TimeSeries source = FilledSeries(&a.log);
    CA1TimeSeries target(&b.log);
    target.m_LenUnits[5].strName = "m"; // trimmed by an earlier rendering
    target = source;

    EXPECT_EQ(target.m_pLog, &b.log);
    EXPECT_EQ(target.m_LenUnits[5].strName, "m");
    EXPECT_EQ(target.m_LogLines, source.m_LogLines);
    ASSERT_EQ(target.m_CFuncData.size(), 2u);
    EXPECT_EQ(target.m_CFuncData[1].dX, 1.5);
    EXPECT_EQ(target.m_nPage, 3);
    EXPECT_EQ(target.m_nDataLines, 3u);
    EXPECT_EQ(target.m_nMirrorY, -1);
    EXPECT_EQ(target.m_nMinDiversity, 7);
    EXPECT_EQ(target.m_nLifetimeState, -2);
    EXPECT_EQ(target.m_dRotationDeg, 12.5);
    EXPECT_EQ(target.m_dModelSSqr, 4.5);

    // Deep copies: changing the source leaves the copy alone.
    source.m_Samples[0].dX = 99.0;
    source.m_LogLines[0] = "changed";
    EXPECT_EQ(target.m_Samples[0].dX, 1.0);
    EXPECT_EQ(target.m_LogLines[0], "a");

    const CA1TimeSeries copy(source);
    EXPECT_EQ(copy.m_pLog, &a.log);
    EXPECT_EQ(copy.m_LenUnits[5].strName, "m ");
    EXPECT_EQ(copy.m_dModelTc, 8.0);
}

TEST(CA1TimeSeries, ResetClearsEverythingButLogAndUnitTables) {
    LogCapture capture;
    CA1TimeSeries series = FilledSeries(&capture.log);
    series.m_LenUnits[5].strName = "m";
    series.Reset();
    EXPECT_EQ(series.m_pLog, &capture.log);
    EXPECT_EQ(series.m_LenUnits[5].strName, "m");
    EXPECT_EQ(series.m_LogLines.capacity(), 0u);
    EXPECT_EQ(series.m_Samples.capacity(), 0u);
    EXPECT_EQ(series.m_CFuncData.capacity(), 0u);
    EXPECT_TRUE(series.m_strFileName.empty());
    EXPECT_EQ(series.m_nPage, 1);
    EXPECT_EQ(series.m_nMinDiversity, 10);
    EXPECT_EQ(series.m_dPeriod, 1.0);
    EXPECT_EQ(series.m_nMirrorY, 0);
    EXPECT_EQ(series.m_nDataLines, 0u);
    EXPECT_EQ(series.m_nCFuncState, 0);
    EXPECT_EQ(series.m_nLifetimeState, 0);
    EXPECT_EQ(series.m_dRotationDeg, 0.0);
    EXPECT_EQ(series.m_dModelTc, 0.0);
}

TEST(CA1TimeSeries, DisplayUnitIsTheFirstTableEntryShowingOneToBelowThousand) {
    const CA1TimeSeries series;
    EXPECT_EQ(series.FindTimeUnit(30.0), 0);
    EXPECT_EQ(series.FindTimeUnit(0.5), 1);
    EXPECT_EQ(series.FindTimeUnit(0.001), 1);
    EXPECT_EQ(series.FindTimeUnit(0.0005), 0);
    EXPECT_EQ(series.FindTimeUnit(120.0), 2);
    EXPECT_EQ(series.FindTimeUnit(7200.0), 2); // "min" wins before "h"
    EXPECT_EQ(series.FindTimeUnit(60000.0), 3);
    EXPECT_EQ(series.FindLengthUnit(0.5), 2);
    EXPECT_EQ(series.FindLengthUnit(5.0), 0);
    EXPECT_EQ(series.FindLengthUnit(999.9), 0);
    EXPECT_EQ(series.FindLengthUnit(1000.0), 3);
    EXPECT_EQ(series.FindLengthUnit(5000.0), 3);
    EXPECT_EQ(series.FindSqrUnit(0.05), 4);
    EXPECT_EQ(series.FindSqrUnit(0.0), 0);
    EXPECT_EQ(series.FindSqrUnit(-5.0), 0);
}

TEST(CA1TimeSeries, CharFunctionRangeSpansAllPointsOrLeavesTheOutputs) {
    CA1TimeSeries series;
    double tMin = -1, tMax = -2, fMin = -3, fMax = -4;
    series.GetCFuncRange(tMin, tMax, fMin, fMax);
    EXPECT_EQ(tMin, -1);
    EXPECT_EQ(tMax, -2);
    EXPECT_EQ(fMin, -3);
    EXPECT_EQ(fMax, -4);

    series.m_dPeriod = 2.0;
    series.m_CFuncData = {{3, 1.0, 1.0, 0, 0}, {1, 4.0, 0.5, 0, 0}, {5, 0.25, 0.25, 0, 0}};
    series.GetCFuncRange(tMin, tMax, fMin, fMax);
    EXPECT_EQ(tMin, 2.0);
    EXPECT_EQ(tMax, 10.0);
    EXPECT_EQ(fMin, 0.5);
    EXPECT_EQ(fMax, 4.5);
}

TEST(CA1SeriesList, AppendedSeriesCarryNoLogAndStaySilent) {
    LogCapture capture;
    CA1SeriesList list;
    CA1TimeSeries imported = FilledSeries(&capture.log);
    imported.m_nDataLines = 2;
    imported.m_LogLines = {"start", "dTime: 1 s", "#1: C1: x A1: 1nm / 0deg 1 cnts",
                           "#2: C1: x A1: 1nm / 0deg 1 cnts"};
    list.Append(imported);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].m_pLog, nullptr);
    EXPECT_EQ(list[0].m_strFileName, "/logs/a.log");

    list[0].ExtractC1A1(1, 0.0);
    EXPECT_EQ(list[0].m_Samples.size(), 2u);
    EXPECT_TRUE(capture.texts.empty());
}

TEST(CA1SeriesList, RemovingKeepsOrderLogPointersAndShrinksStorage) {
    LogCapture capture;
    CA1SeriesList list;
    for (const char* name : {"one", "two", "three"}) {
        CA1TimeSeries series;
        series.m_strFileName = name;
        list.Append(series);
    }
    list[2].m_pLog = &capture.log; // connected by a page

    EXPECT_FALSE(list.RemoveAt(3));
    EXPECT_EQ(list.size(), 3u);

    EXPECT_TRUE(list.RemoveAt(1));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.capacity(), 2u);
    EXPECT_EQ(list[0].m_strFileName, "one");
    EXPECT_EQ(list[1].m_strFileName, "three");
    EXPECT_EQ(list[0].m_pLog, nullptr);
    EXPECT_EQ(list[1].m_pLog, &capture.log);

    list.RemoveAll();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.capacity(), 0u);

    list.Append(CA1TimeSeries());
    EXPECT_TRUE(list.RemoveAt(0));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.capacity(), 0u);
}
