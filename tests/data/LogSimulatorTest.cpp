#include "data/LogSimulator.h"
#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "data/ORVEXLogReader.h"
#include "infra/CLogFile.h"
#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Sample variance of the lag-1 changes of one component.
double StepVariance(const std::vector<std::array<double, 2>>& values, int component) {
    double sum = 0.0;
    double squares = 0.0;
    const std::size_t n = values.size() - 1;
    for (std::size_t i = 0; i < n; ++i) {
        const double step = values[i + 1][component] - values[i][component];
        sum += step;
        squares += step * step;
    }
    const double mean = sum / static_cast<double>(n);
    return squares / static_cast<double>(n) - mean * mean;
}

SIMULATIONSETTINGS Quiet() {
    SIMULATIONSETTINGS settings;
    settings.dDi = 0.0;
    settings.dDa = 0.0;
    settings.dDrift = 0.0;
    settings.dNoise = 0.0;
    settings.nImages = 20000;
    return settings;
}

} // namespace

TEST(LogSimulator, SameSeedSameFile) {
    TempDir dir;
    SIMULATIONSETTINGS settings;
    settings.nImages = 50;
    settings.nRecordings = 2;
    settings.dNoise = 0.01;
    for (SimulatedLogFormat format : {SimulatedLogFormat::C1A1, SimulatedLogFormat::ORVEX}) {
        settings.format = format;
        settings.nRecordings = format == SimulatedLogFormat::C1A1 ? 2 : 1;
        settings.nSeed = 7;
        ASSERT_TRUE(WriteSimulatedLog(dir.File("a"), settings, nullptr));
        ASSERT_TRUE(WriteSimulatedLog(dir.File("b"), settings, nullptr));
        settings.nSeed = 8;
        ASSERT_TRUE(WriteSimulatedLog(dir.File("c"), settings, nullptr));
        EXPECT_EQ(ReadFileBytes(dir.File("a")), ReadFileBytes(dir.File("b")));
        EXPECT_NE(ReadFileBytes(dir.File("a")), ReadFileBytes(dir.File("c")));
    }
}

// The tolerances below are about five standard errors of a variance
// estimated from 20000 steps (relative error sqrt(2 / 20000) = 1 %).
TEST(LogSimulator, RandomWalkStepsHaveVarianceDiSquaredPerComponent) {
    SIMULATIONSETTINGS settings = Quiet();
    settings.dDi = 0.05;
    CSimulationRandom random(3);
    const auto values = SimulateAstigmatism(settings, random);
    ASSERT_EQ(values.size(), 20000u);
    EXPECT_NEAR(StepVariance(values, 0) / (0.05 * 0.05), 1.0, 0.05);
    EXPECT_NEAR(StepVariance(values, 1) / (0.05 * 0.05), 1.0, 0.05);
}

TEST(LogSimulator, DriftIsExactlyLinear) {
    SIMULATIONSETTINGS settings = Quiet();
    settings.nImages = 10;
    settings.dDrift = 0.02;
    settings.dDriftAngleDeg = 90.0;
    CSimulationRandom random(1);
    const auto values = SimulateAstigmatism(settings, random);
    for (std::size_t n = 0; n < values.size(); ++n) {
        EXPECT_NEAR(values[n][0], 0.0, 1e-12);
        EXPECT_NEAR(values[n][1], 0.02 * static_cast<double>(n), 1e-12);
    }
}

TEST(LogSimulator, DecayingPartStepsAsTheModelSays) {
    // tc = 50 images beside a walk that keeps the model a valid process: per
    // component the model's mean square step is Di^2 + Da^2 exp(-1/tc).
    SIMULATIONSETTINGS settings = Quiet();
    settings.dDi = 0.1;
    settings.dDa = 0.1;
    settings.dTc = 50.0;
    CSimulationRandom random(5);
    const auto values = SimulateAstigmatism(settings, random);
    const double expected = 0.01 + 0.01 * std::exp(-1.0 / 50.0);
    EXPECT_NEAR(StepVariance(values, 0) / expected, 1.0, 0.05);
    EXPECT_NEAR(StepVariance(values, 1) / expected, 1.0, 0.05);
}

TEST(LogSimulator, NoiseIsWhite) {
    SIMULATIONSETTINGS settings = Quiet();
    settings.dNoise = 0.02;
    CSimulationRandom random(9);
    const auto values = SimulateAstigmatism(settings, random);
    // Differences of independent values carry twice their variance.
    EXPECT_NEAR(StepVariance(values, 0) / (2.0 * 0.02 * 0.02), 1.0, 0.05);
}

TEST(LogSimulator, C1A1LogHoldsTheMarkersOfEachRecording) {
    TempDir dir;
    SIMULATIONSETTINGS settings;
    settings.nImages = 20;
    settings.nRecordings = 3;
    settings.dPeriod = 1.5;
    ASSERT_TRUE(WriteSimulatedLog(dir.File("log"), settings, nullptr));
    const std::string text = ReadFileBytes(dir.File("log"));
    auto count = [&text](const std::string& part) {
        std::size_t n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("C1A1 series successfully started."), 3u);
    EXPECT_EQ(count("C1A1 series stopped by user."), 3u);
    EXPECT_EQ(count("dTime: "), 6u);
    EXPECT_EQ(count(" cnts"), 60u);
    EXPECT_EQ(count("#20: C1: "), 3u);
    // 20 images of 1.5 s: the series clock advances by 30 s per recording.
    EXPECT_NE(text.find("dTime: 60 s"), std::string::npos);
    EXPECT_NE(text.find("dTime: 90 s"), std::string::npos);
    EXPECT_EQ(count("\n"), count("\r\n"));
}

TEST(LogSimulator, ORVEXLogIsATableWithHeader) {
    TempDir dir;
    SIMULATIONSETTINGS settings;
    settings.format = SimulatedLogFormat::ORVEX;
    settings.nImages = 5;
    settings.dPeriod = 2.0;
    settings.dNoise = 0.01;
    ASSERT_TRUE(WriteSimulatedLog(dir.File("log"), settings, nullptr));
    const std::string text = ReadFileBytes(dir.File("log"));
    const std::size_t header = text.find("\r\nimg a22x err(a22x) a22y err(a22y) filetime\r\n1 ");
    ASSERT_NE(header, std::string::npos);
    // The last column is the file time in whole seconds, one period apart.
    EXPECT_NE(text.find(" 0.01000 1609923600\r\n2 "), std::string::npos);
    EXPECT_NE(text.find(" 0.01000 1609923608\r\n# "), std::string::npos);
}

TEST(LogSimulator, RefusesUnusableSettings) {
    SIMULATIONSETTINGS settings;
    EXPECT_EQ(CheckSimulationSettings(settings), "");
    settings.nImages = 1;
    EXPECT_NE(CheckSimulationSettings(settings).find("number of images"), std::string::npos);
    settings = {};
    settings.dPeriod = 0.0;
    EXPECT_NE(CheckSimulationSettings(settings).find("period"), std::string::npos);
    settings = {};
    settings.dNoise = NAN;
    EXPECT_NE(CheckSimulationSettings(settings).find("noise"), std::string::npos);
    settings = {};
    settings.nImages = 1000000;
    settings.dPeriod = 1000.0;
    EXPECT_NE(CheckSimulationSettings(settings).find("longer"), std::string::npos);
    settings = {};
    settings.format = SimulatedLogFormat::ORVEX;
    settings.nRecordings = 2;
    EXPECT_NE(CheckSimulationSettings(settings).find("one recording"), std::string::npos);
    // Magnitudes that would overflow into "inf" or "nan" in the log.
    settings = {};
    settings.dDrift = -1e308;
    EXPECT_NE(CheckSimulationSettings(settings).find("must not exceed"), std::string::npos);
    settings = {};
    settings.dDa = 1e3;
    settings.dTc = 1e300;
    EXPECT_NE(CheckSimulationSettings(settings).find("correlated part"), std::string::npos);
    settings.dDa = 0.0; // 0 times an infinite spread is "nan"
    settings.dPeriod = 1e-10;
    EXPECT_NE(CheckSimulationSettings(settings).find("correlated part"), std::string::npos);
}

TEST(LogSimulator, ReportsAFileThatCannotBeWritten) {
    TempDir dir;
    WriteFileBytes(dir.File("plain"), "x");
    std::vector<std::string> records;
    CLogFile log;
    log.SetSink([&records](const std::string& line) { records.push_back(line.substr(21)); });
    const std::string path = dir.File("plain/log");
    EXPECT_FALSE(WriteSimulatedLog(path, SIMULATIONSETTINGS{}, &log));
    EXPECT_EQ(records, std::vector<std::string>{"ERROR: Failed to open file [" + path +
                                                "] for writing simulated log."});

    SIMULATIONSETTINGS bad;
    bad.nImages = 0;
    records.clear();
    EXPECT_FALSE(WriteSimulatedLog(dir.File("log"), bad, &log));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].rfind("ERROR: Cannot simulate the log. ", 0), 0u);
    EXPECT_EQ(ReadFileBytes(dir.File("log")), "");
}

TEST(LogSimulator, ReadersRecoverTheSimulatedValues) {
    TempDir dir;
    CLogFile log;
    log.SetSink([](const std::string&) {});
    SIMULATIONSETTINGS settings;
    settings.nImages = 40;
    settings.dPeriod = 0.5;
    settings.dDi = 0.3;
    settings.dDrift = 0.05;
    settings.dNoise = 0.02;
    settings.nSeed = 4;
    // The first recording's values are the first the generator gives.
    CSimulationRandom random(settings.nSeed);
    const auto values = SimulateAstigmatism(settings, random);

    settings.nRecordings = 2;
    ASSERT_TRUE(WriteSimulatedLog(dir.File("c1a1.log"), settings, nullptr));
    CA1SeriesList c1a1;
    ASSERT_EQ(ImportC1A1Log(dir.File("c1a1.log"), log, 1, 0.0, c1a1), 2);
    const CA1TimeSeries& first = c1a1[0];
    ASSERT_EQ(first.m_Samples.size(), 40u);
    EXPECT_DOUBLE_EQ(first.m_dPeriod, 0.5);
    for (std::size_t n = 0; n < values.size(); ++n) {
        EXPECT_EQ(first.m_Samples[n].nImage, static_cast<std::int32_t>(n + 1));
        // Magnitude to 0.001 nm, angle to 0.01 degree.
        EXPECT_NEAR(first.m_Samples[n].dX, values[n][0], 0.001) << "image " << n + 1;
        EXPECT_NEAR(first.m_Samples[n].dY, values[n][1], 0.001) << "image " << n + 1;
    }
    EXPECT_EQ(c1a1[1].m_Samples.size(), 40u);

    settings.format = SimulatedLogFormat::ORVEX;
    settings.nRecordings = 1;
    ASSERT_TRUE(WriteSimulatedLog(dir.File("orvex.dat"), settings, nullptr));
    CA1SeriesList orvex;
    ASSERT_EQ(ImportORVEXLog(dir.File("orvex.dat"), log, 1, 0.0, orvex), 1);
    const CA1TimeSeries& table = orvex[0];
    ASSERT_EQ(table.m_Samples.size(), 40u);
    for (std::size_t n = 0; n < values.size(); ++n) {
        EXPECT_NEAR(table.m_Samples[n].dX, values[n][0], 1e-5);
        EXPECT_NEAR(table.m_Samples[n].dY, values[n][1], 1e-5);
        EXPECT_EQ(table.m_Samples[n].dErrX, 0.02);
    }
    // The table's file times span the 39 intervals between the images, in
    // whole seconds; the reader divides the span by the number of images.
    EXPECT_EQ(table.m_nStopTime - table.m_nStartTime, 20);
}
