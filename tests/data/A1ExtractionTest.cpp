#include "data/CA1TimeSeries.h"
#include "data/LogImport.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kDegToRad = 0.01745329252;
const std::string kOrvexHeader = "img a22x err(a22x) a22y err(a22y) filetime";

// A C1A1 series as the reader leaves it: start marker, start stamp, the data
// texts, stop marker, stop stamp.
CA1TimeSeries C1A1Series(CLogFile* pLog, const std::vector<std::string>& texts,
                         std::int32_t start = 0, std::int32_t stop = 100) {
    CA1TimeSeries series(pLog);
    series.m_LogLines = {"C1A1 series successfully started.", "dTime: 0 s"};
    series.m_LogLines.insert(series.m_LogLines.end(), texts.begin(), texts.end());
    series.m_LogLines.push_back("C1A1 series stopped by user.");
    series.m_LogLines.push_back("dTime: 100 s");
    series.m_nDataLines = static_cast<std::uint32_t>(texts.size());
    series.m_nStartTime = start;
    series.m_nStopTime = stop;
    series.m_nImportType = kImportTypeC1A1;
    return series;
}

CA1TimeSeries ORVEXSeries(CLogFile* pLog, const std::string& header,
                          const std::vector<std::string>& lines) {
    CA1TimeSeries series(pLog);
    series.m_LogLines = {header};
    series.m_LogLines.insert(series.m_LogLines.end(), lines.begin(), lines.end());
    series.m_nDataLines = static_cast<std::uint32_t>(lines.size());
    series.m_nStartTime = 0;
    series.m_nStopTime = 10;
    series.m_nImportType = kImportTypeORVEX;
    return series;
}

// The amplitude in nm that a C1A1 text with the A1 value `a1` gives.
double C1A1Amplitude(const std::string& a1, CA1TimeSeries* base = nullptr) {
    CA1TimeSeries series = C1A1Series(nullptr, {"#1: C1: 1nm / 0deg, A1: " + a1 + " / 0deg 1 cnts",
                                                "#2: C1: 1nm / 0deg, A1: 1nm / 0deg 1 cnts"});
    if (base)
        series.m_LenUnits = base->m_LenUnits;
    series.ExtractC1A1(1, 0.0);
    return series.m_Samples.empty() ? -1.0 : series.m_Samples[0].dX;
}

} // namespace

TEST(A1Extraction, WrongImportTypeIsRefusedAndChangesNothing) {
    LogCapture capture;
    CA1TimeSeries series = C1A1Series(&capture.log, {"#1: C1: 1nm / 0deg, A1: 1nm / 0deg 1 cnts"});
    series.m_Samples = {{9, 1, 2, 3, 4}};
    series.m_nCFuncState = 1;
    series.m_nPage = 3;
    series.ExtractORVEX(1, 0.0);
    EXPECT_EQ(capture.texts,
              (std::vector<std::string>{
                  "ERROR: Missmatch of the log import type (aborting data extraction)."}));
    EXPECT_EQ(series.m_Samples.size(), 1u);
    EXPECT_EQ(series.m_nCFuncState, 1);
    EXPECT_EQ(series.m_nPage, 3);

    series.m_nImportType = 0;
    series.ExtractC1A1(1, 0.0);
    EXPECT_EQ(capture.texts.size(), 2u);
    EXPECT_EQ(series.m_Samples.size(), 1u);
}

TEST(A1Extraction, ExtractionClearsResultsButKeepsErrorsAndInputs) {
    CA1TimeSeries series = C1A1Series(nullptr, {"#1: C1: 1nm / 0deg, A1: 1nm / 0deg 1 cnts",
                                                "#2: C1: 1nm / 0deg, A1: 2nm / 0deg 1 cnts"});
    series.m_CFuncData = {{1, 1, 1, 0, 0}};
    series.m_nCFuncState = 1;
    series.m_nModelState = 1;
    series.m_nLifetimeState = -1;
    series.m_nPage = 4;
    series.m_dTolerance = 2.0;
    series.m_dLifetime = 3.0;
    series.m_dModelDi = 1.0;
    series.m_dModelDa = 0.5;
    series.m_dModelTc = 12.0;
    series.m_dModelS = 0.01;
    series.m_dModelLifetime = 40.0;
    series.m_nModelLifetimeState = kModelLifetimeUnbounded;
    series.m_dModelSSqr = 5.0;
    series.m_dMeasError = 0.7;
    series.m_dCFuncSlope = 0.2;
    series.m_nMinDiversity = 5;
    series.m_dLimitPhase = 0.25;
    series.m_dElEnergy = 300.0;
    series.ExtractC1A1(-1, 15.0);

    EXPECT_TRUE(series.m_CFuncData.empty());
    EXPECT_EQ(series.m_nCFuncState, 0);
    EXPECT_EQ(series.m_nModelState, 0);
    EXPECT_EQ(series.m_nLifetimeState, 0);
    EXPECT_EQ(series.m_nPage, 1);
    EXPECT_EQ(series.m_dTolerance, 0.0);
    EXPECT_EQ(series.m_dLifetime, 0.0);
    EXPECT_EQ(series.m_dModelDi, 0.0);
    EXPECT_EQ(series.m_dModelDa, 0.0);
    EXPECT_EQ(series.m_dModelTc, 0.0);
    EXPECT_EQ(series.m_dModelS, 0.0);
    EXPECT_EQ(series.m_dModelLifetime, 0.0);
    EXPECT_EQ(series.m_nModelLifetimeState, 0);
    EXPECT_EQ(series.m_dModelSSqr, 0.0);
    EXPECT_EQ(series.m_dMeasError, 0.7);
    EXPECT_EQ(series.m_dCFuncSlope, 0.2);
    EXPECT_EQ(series.m_nMinDiversity, 5);
    EXPECT_EQ(series.m_dLimitPhase, 0.25);
    EXPECT_EQ(series.m_dElEnergy, 300.0);
    EXPECT_EQ(series.m_nMirrorY, -1);
    EXPECT_EQ(series.m_dRotationDeg, 15.0);
    EXPECT_EQ(series.m_dPeriod, 50.0); // divided by lines, not intervals
}

TEST(A1Extraction, OneDataLineGivesNoSamplesAndNoMessage) {
    LogCapture capture;
    CA1TimeSeries series = C1A1Series(&capture.log, {"#1: C1: 1nm / 0deg, A1: 1nm / 0deg 1 cnts"});
    series.m_nPage = 2;
    series.ExtractC1A1(-1, 30.0);
    EXPECT_TRUE(series.m_Samples.empty());
    EXPECT_TRUE(capture.texts.empty());
    EXPECT_EQ(series.m_dPeriod, 1.0);
    EXPECT_EQ(series.m_nMirrorY, 0);
    EXPECT_EQ(series.m_dRotationDeg, 0.0);
    EXPECT_EQ(series.m_nPage, 1);
}

TEST(A1Extraction, StopBeforeStartOrEqualTimesGiveNoTimeBase) {
    LogCapture capture;
    const std::vector<std::string> texts = {"#1: C1: 1nm / 0deg, A1: 1nm / 0deg 1 cnts",
                                            "#2: C1: 1nm / 0deg, A1: 2nm / 0deg 1 cnts"};
    CA1TimeSeries equal = C1A1Series(&capture.log, texts, 50, 50);
    equal.ExtractC1A1(1, 0.0);
    EXPECT_EQ(equal.m_dPeriod, 0.0);
    EXPECT_TRUE(capture.Has("- recording frequency: inf Hz"));

    EXPECT_TRUE(capture.HasPrefix("Warning: The start and stop times of the recording are equal"));

    // Never a period of decades from a difference that wrapped around.
    CA1TimeSeries backwards = C1A1Series(&capture.log, texts, 300, 200);
    backwards.ExtractC1A1(1, 0.0);
    EXPECT_EQ(backwards.m_dPeriod, 0.0);
    EXPECT_TRUE(capture.HasPrefix("ERROR: The stop time of the recording (200 s) lies before"));
}

TEST(A1Extraction, C1A1MessagesAndSamplesFollowTheLoggedAngle) {
    LogCapture capture;
    CA1TimeSeries series = C1A1Series(&capture.log,
                                      {"#7: C1: 11.0 nm / 3.0 deg, A1: 3nm / 90deg", "",
                                       "#8: C1: 11.0 nm / 3.0 deg, A1:3nm / 90deg"},
                                      100, 160);
    series.ExtractC1A1(-1, 0.0);
    EXPECT_EQ(capture.texts,
              (std::vector<std::string>{"Extracting astigmatism data from CEOS C1A1 log...",
                                        "- recording frequency: 0.05 Hz",
                                        "- y-mirror flag: -1, x-y-plane rotation: 0.0 deg",
                                        "- extracted number of astigmatism values: 1",
                                        "Extraction finished."}));
    ASSERT_EQ(series.m_Samples.size(), 1u);
    const A1SAMPLE& s = series.m_Samples[0];
    EXPECT_EQ(s.nImage, 7);
    // The decimal constant is not exactly pi/180, so x is not quite 0.
    EXPECT_EQ(s.dX, 3.0 * std::cos(90.0 * kDegToRad));
    EXPECT_NEAR(s.dX, -1.5e-11, 0.5e-11);
    EXPECT_DOUBLE_EQ(s.dY, -3.0);
    EXPECT_EQ(s.dErrX, 0.0);
    EXPECT_EQ(s.dErrY, 0.0);

    series.ExtractC1A1(-1, 90.0);
    ASSERT_EQ(series.m_Samples.size(), 1u);
    EXPECT_DOUBLE_EQ(series.m_Samples[0].dX, -3.0);
    EXPECT_NEAR(series.m_Samples[0].dY, 3e-11, 1e-11);
}

TEST(A1Extraction, C1A1UnitIsTheTwoCharactersBehindTheNumber) {
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5nm"), 2.5);
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5um"), 2500.0);
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5pm"), 0.0025);
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5 um"), 2.5); // " u" matches no label
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5\u00B5m"), 2.5);
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5km"), 2.5e12);
    // "m " is the metre label as long as no rendering has trimmed it.
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5m"), 2.5e9);
    CA1TimeSeries trimmed;
    trimmed.m_LenUnits[5].strName = "m";
    EXPECT_DOUBLE_EQ(C1A1Amplitude("2.5m", &trimmed), 2.5);
}

TEST(A1Extraction, C1A1TextsOutsideTheGrammarGiveNoSample) {
    LogCapture capture;
    CA1TimeSeries series = C1A1Series(
        &capture.log, {
                          ": C1: 1nm / 0deg, A1: 1nm / 0deg 1 cnts",  // colon at 0
                          "#1 C1 1nm, A1 1nm / 0deg",                 // no colon
                          "#2: C1: 1nm / 0deg, A1:1nm / 0deg 1 cnts", // no blank after A1:
                          "#3: C1: 1nm / 0deg, A1: 1nm 0deg 1 cnts",  // no " / " after A1
                          "#4: C1: 1nm / 0deg, A1: 1nm / 0 1 cnts",   // no "deg" after it
                          "#-5: C1: 1nm / 0deg, A1: 1nm / 0deg",      // negative image is fine
                      });
    series.ExtractC1A1(1, 0.0);
    ASSERT_EQ(series.m_Samples.size(), 1u);
    EXPECT_EQ(series.m_Samples[0].nImage, -5);
    EXPECT_TRUE(capture.Has("- extracted number of astigmatism values: 1"));
}

TEST(A1Extraction, NonFiniteValuesGiveNoSampleAndCountAsMissing) {
    LogCapture capture;
    CA1TimeSeries c1a1 = C1A1Series(&capture.log, {
                                                      "#1: C1: 1nm / 0deg, A1: inf / 0deg",
                                                      "#2: C1: 1nm / 0deg, A1: nan / 0deg",
                                                      "#3: C1: 1nm / 0deg, A1: 1e999nm / 0deg",
                                                      "#4: C1: 1nm / 0deg, A1: 1nm / nan deg",
                                                      "#5: C1: 1nm / 0deg, A1: 1e300km / 0deg",
                                                      "#6: C1: 1nm / 0deg, A1: 2nm / 0deg",
                                                  });
    c1a1.ExtractC1A1(1, 0.0);
    ASSERT_EQ(c1a1.m_Samples.size(), 1u);
    EXPECT_EQ(c1a1.m_Samples[0].nImage, 6);
    EXPECT_TRUE(capture.Has("- extracted number of astigmatism values: 1"));

    // y is never read under this header and only carried: a rotated
    // infinite x must not spread into it and spoil the next line.
    const std::string repeated = "img a22x err(a22x) a22x err(a22y) filetime";
    CA1TimeSeries orvex =
        ORVEXSeries(nullptr, repeated, {"1 inf 0.1 inf 0.2 5", "2 1.0 0.1 2.0 0.2 6"});
    orvex.ExtractORVEX(1, 90.0);
    ASSERT_EQ(orvex.m_Samples.size(), 1u);
    EXPECT_EQ(orvex.m_Samples[0].nImage, 2);
    EXPECT_NEAR(orvex.m_Samples[0].dX, 0.0, 1e-9);
    EXPECT_NEAR(orvex.m_Samples[0].dY, 2.0, 1e-9);
    CA1TimeSeries plain = ORVEXSeries(nullptr, kOrvexHeader,
                                      {"1 nan 0.1 2.0 0.2 5", "2 1.0 0.1 1e999 0.2 6",
                                       "3 1.0 inf 2.0 0.2 6", "4 1.0 0.1 2.0 0.2 7"});
    plain.ExtractORVEX(1, 0.0);
    ASSERT_EQ(plain.m_Samples.size(), 1u);
    EXPECT_EQ(plain.m_Samples[0].nImage, 4);
}

TEST(A1Extraction, ORVEXSampleAndItsRotationWithPropagatedErrors) {
    LogCapture capture;
    const std::vector<std::string> lines = {"5 1.0 0.1 2.0 0.2 1600000000",
                                            "6 1.0 0.1 2.0 0.2 1600000010"};
    CA1TimeSeries series = ORVEXSeries(&capture.log, kOrvexHeader, lines);
    series.ExtractORVEX(-1, 0.0);
    EXPECT_EQ(capture.texts.front(), "Extracting astigmatism data from ORVEXStab log...");
    ASSERT_EQ(series.m_Samples.size(), 2u);
    const A1SAMPLE& s = series.m_Samples[0];
    EXPECT_EQ(s.nImage, 5);
    EXPECT_EQ(s.dX, 1.0);
    EXPECT_EQ(s.dY, -2.0);
    EXPECT_EQ(s.dErrX, 0.1); // errors are not mirrored
    EXPECT_EQ(s.dErrY, 0.2);

    series.ExtractORVEX(1, 90.0);
    ASSERT_EQ(series.m_Samples.size(), 2u);
    const A1SAMPLE& r = series.m_Samples[0];
    EXPECT_NEAR(r.dX, -2.0, 1e-9);
    EXPECT_NEAR(r.dY, 1.0, 1e-9);
    EXPECT_NEAR(r.dErrX, 0.2, 1e-9);
    EXPECT_NEAR(r.dErrY, 0.1, 1e-9);
}

TEST(A1Extraction, ORVEXLinesThatGiveNoSample) {
    CA1TimeSeries series = ORVEXSeries(nullptr, kOrvexHeader,
                                       {
                                           "0 1.0 0.1 2.0 0.2 5",     // image 0
                                           "-3 1.0 0.1 2.0 0.2 5",    // negative image
                                           "",                        // empty
                                           "4 not used",              // marked unused
                                           "7",                       // no blank
                                           "9 1.0 0.1 2.0 0.2 5 6 7", // extra values ignored
                                           "8\t1.0 0.1 2.0 0.2 5",    // a tab is no separator
                                       });
    series.ExtractORVEX(1, 0.0);
    ASSERT_EQ(series.m_Samples.size(), 2u);
    EXPECT_EQ(series.m_Samples[0].nImage, 9);
    EXPECT_EQ(series.m_Samples[0].dY, 2.0);
    // "8<tab>1.0" is the image column, so every value moves one column left.
    EXPECT_EQ(series.m_Samples[1].nImage, 8);
    EXPECT_EQ(series.m_Samples[1].dX, 0.1);
    EXPECT_EQ(series.m_Samples[1].dErrY, 5.0);

    CA1TimeSeries notImg = ORVEXSeries(nullptr, "image a22x err(a22x) a22y err(a22y) filetime",
                                       {"1 1.0 0.1 2.0 0.2 5", "2 1.0 0.1 2.0 0.2 5"});
    notImg.ExtractORVEX(1, 0.0);
    EXPECT_TRUE(notImg.m_Samples.empty());

    // A header without one of the four columns never reaches the count.
    CA1TimeSeries missing = ORVEXSeries(nullptr, "img a22x err(a22x) a22y filetime",
                                        {"1 1.0 0.1 2.0 5", "2 1.0 0.1 2.0 5"});
    missing.ExtractORVEX(1, 0.0);
    EXPECT_TRUE(missing.m_Samples.empty());
}

TEST(A1Extraction, ORVEXShortLineRepeatsItsLastValue) {
    CA1TimeSeries series = ORVEXSeries(nullptr, "  " + kOrvexHeader, {"3 1.5", "4 1.0 0.5"});
    series.ExtractORVEX(1, 0.0);
    ASSERT_EQ(series.m_Samples.size(), 2u);
    EXPECT_EQ(series.m_Samples[0].dX, 1.5);
    EXPECT_EQ(series.m_Samples[0].dY, 1.5);
    EXPECT_EQ(series.m_Samples[0].dErrY, 1.5);
    EXPECT_EQ(series.m_Samples[1].dX, 1.0);
    EXPECT_EQ(series.m_Samples[1].dErrX, 0.5);
    EXPECT_EQ(series.m_Samples[1].dY, 0.5);
}

TEST(A1Extraction, ORVEXRepeatedColumnTakesTheCarriedValue) {
    const std::string header = "img a22x err(a22x) a22x err(a22y) filetime";
    const std::vector<std::string> lines = {"1 1.0 0.1 3.0 0.2 5", "2 4.0 0.1 5.0 0.2 6"};
    CA1TimeSeries plain = ORVEXSeries(nullptr, header, lines);
    plain.ExtractORVEX(1, 0.0);
    ASSERT_EQ(plain.m_Samples.size(), 2u);
    EXPECT_EQ(plain.m_Samples[0].dX, 3.0); // the later a22x column wins
    EXPECT_EQ(plain.m_Samples[0].dY, 0.0);
    EXPECT_EQ(plain.m_Samples[1].dY, 0.0);

    // Rotated, the working y of the first line is carried into the second.
    CA1TimeSeries rotated = ORVEXSeries(nullptr, header, lines);
    rotated.ExtractORVEX(1, 90.0);
    ASSERT_EQ(rotated.m_Samples.size(), 2u);
    EXPECT_NEAR(rotated.m_Samples[0].dY, 3.0, 1e-9);
    EXPECT_NEAR(rotated.m_Samples[1].dX, -3.0, 1e-9);
    EXPECT_NEAR(rotated.m_Samples[1].dY, 5.0, 1e-9);
}

TEST(A1Extraction, ReextractRunsTheExtractionOfTheSeriesOwnType) {
    CA1TimeSeries c1a1 = C1A1Series(nullptr, {"#1: C1: 1nm / 0deg, A1: 2nm / 0deg 1 cnts",
                                              "#2: C1: 1nm / 0deg, A1: 2nm / 0deg 1 cnts"});
    CA1TimeSeries orvex = ORVEXSeries(nullptr, kOrvexHeader, {"5 1.0 0.1 2.0 0.2 1600000000"});
    orvex.m_nDataLines = 2; // the second line is missing: one sample
    CA1TimeSeries unknown = c1a1;
    unknown.m_nImportType = 0;
    unknown.m_Samples = {{9, 1, 2, 3, 4}};

    EXPECT_TRUE(c1a1.Reextract(-1, 90.0));
    ASSERT_EQ(c1a1.m_Samples.size(), 2u);
    EXPECT_NEAR(c1a1.m_Samples[0].dY, -2.0, 1e-9);
    EXPECT_EQ(c1a1.m_dRotationDeg, 90.0);
    EXPECT_TRUE(orvex.Reextract(-1, 0.0));
    ASSERT_EQ(orvex.m_Samples.size(), 1u);
    EXPECT_EQ(orvex.m_Samples[0].dY, -2.0);
    EXPECT_FALSE(unknown.Reextract(-1, 90.0));
    EXPECT_EQ(unknown.m_Samples.size(), 1u);
    EXPECT_EQ(unknown.m_nMirrorY, 0);
}
