#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/FitNotes.h"
#include "evaluation/OutlierTest.h"
#include "evaluation/SeriesEvaluation.h"
#include "evaluation/WalkChangeTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<A1SAMPLE> CleanWalk(std::int32_t images, double di, std::uint64_t seed) {
    SIMULATIONSETTINGS settings;
    settings.nImages = images;
    settings.dDi = di;
    settings.dDrift = 0.001;
    settings.dNoise = 0.02;
    settings.nSeed = seed;
    return SimulatedSeries(settings).m_Samples;
}

bool HasNoteStartingWith(const CA1TimeSeries& series, const std::string& start) {
    const std::vector<std::string> notes = FitNotes(series);
    return std::any_of(notes.begin(), notes.end(),
                       [&](const std::string& note) { return note.rfind(start, 0) == 0; });
}

} // namespace

// Spikes go out and come back; a step goes out and stays.
TEST(OutlierTest, FlagsWhatGoesOutAndComesBack) {
    const struct {
        const char* name;
        std::vector<std::size_t> spikes; // positions that get +2 nm in x
        std::size_t stepFrom;            // positions from here on get +2 nm (0: none)
        std::vector<std::size_t> flagged;
    } kCases[] = {
        {"clean walk", {}, 0, {}},
        {"single spike", {200}, 0, {200}},
        {"two neighbouring spikes", {300, 301}, 0, {300, 301}},
        {"spikes at the ends", {0, 499}, 0, {0, 499}},
        {"a step that stays", {}, 250, {}},
    };
    for (const auto& c : kCases) {
        std::vector<A1SAMPLE> samples = CleanWalk(500, 0.05, 3);
        for (std::size_t at : c.spikes)
            samples[at].dX += 2.0;
        if (c.stepFrom > 0)
            for (std::size_t i = c.stepFrom; i < samples.size(); ++i)
                samples[i].dX += 2.0;
        EXPECT_EQ(FindOutliers(samples), c.flagged) << c.name;
    }
}

// Exclude is the series without those images: the same function to the bit.
// Flag names them and changes nothing; keep does not look.
TEST(OutlierTest, ExcludeEqualsTheSeriesWithoutTheFlaggedImages) {
    std::vector<A1SAMPLE> samples = CleanWalk(1000, 0.05, 5);
    samples[400].dY -= 3.0;
    samples[700].dX += 3.0;
    CA1TimeSeries base;
    base.m_Samples = samples;
    base.m_dPeriod = 1.0;

    CA1TimeSeries removed = base;
    removed.m_Samples = WithoutSamples(samples, {400, 700});
    removed.EvaluateCharFunction(10);

    const struct {
        OutlierChoice choice;
        std::size_t samplesLeft;
        std::size_t imagesNamed;
    } kCases[] = {{OutlierChoice::Exclude, 998, 2},
                  {OutlierChoice::Flag, 1000, 2},
                  {OutlierChoice::Keep, 1000, 0}};
    for (const auto& c : kCases) {
        CA1TimeSeries series = base;
        CheckOutliers(series, c.choice);
        EXPECT_EQ(series.m_Samples.size(), c.samplesLeft);
        EXPECT_EQ(series.m_OutlierImages.size(), c.imagesNamed);
        if (c.choice != OutlierChoice::Exclude)
            continue;
        EXPECT_EQ(series.m_OutlierImages, (std::vector<std::int32_t>{401, 701}));
        series.EvaluateCharFunction(10);
        ASSERT_EQ(series.m_CFuncData.size(), removed.m_CFuncData.size());
        for (std::size_t i = 0; i < removed.m_CFuncData.size(); ++i) {
            EXPECT_EQ(series.m_CFuncData[i].dX, removed.m_CFuncData[i].dX);
            EXPECT_EQ(series.m_CFuncData[i].dErrY, removed.m_CFuncData[i].dErrY);
        }
    }
}

TEST(WalkChangeTest, FindsAChangeAndNoneInAStationaryWalk) {
    std::vector<A1SAMPLE> changing = CleanWalk(2000, 0.03, 8);
    const std::vector<A1SAMPLE> later = CleanWalk(2000, 0.06, 9);
    const A1SAMPLE end = changing.back();
    for (const A1SAMPLE& s : later)
        changing.push_back(A1SAMPLE{s.nImage + 2000, end.dX + s.dX - later.front().dX,
                                    end.dY + s.dY - later.front().dY, 0.0, 0.0});

    const WALKCHANGE change = TestWalkChange(changing);
    EXPECT_TRUE(change.bTested);
    EXPECT_TRUE(change.bChanged);
    EXPECT_EQ(change.nWindow, 200);
    EXPECT_NEAR(change.nChangeImage, 2001, 400);
    EXPECT_NEAR(change.dDiBefore, 0.03, 0.01);
    EXPECT_NEAR(change.dDiAfter, 0.06, 0.015);

    const WALKCHANGE stationary = TestWalkChange(CleanWalk(4000, 0.05, 10));
    EXPECT_TRUE(stationary.bTested);
    EXPECT_FALSE(stationary.bChanged);
    // too few windows of the chosen length: no test
    EXPECT_FALSE(TestWalkChange(CleanWalk(4000, 0.05, 10), 1000).bTested);
}

// The notes on the series itself, each from its own cause.
TEST(SeriesNotes, SayWhatTheSeriesIsMissing) {
    const struct {
        const char* name;
        std::int32_t dropEvery; // every n-th image missing (0: none)
        std::size_t gapAt;      // a gap of 300 images after this position (0: none)
        GapPairRule rule;
        bool spikes;
        const char* note;
    } kCases[] = {
        {"a quarter missing", 4, 0, GapPairRule::ImageNumbers, false, "Images missing: 25 %"},
        {"one long gap", 0, 1000, GapPairRule::ImageNumbers, false, "A gap of 300 images"},
        {"original pairs", 0, 0, GapPairRule::Adjacent, false, "Pairs across missing images"},
        {"outliers", 0, 0, GapPairRule::ImageNumbers, true, "2 outliers kept: images 401, 1,201"},
    };
    for (const auto& c : kCases) {
        std::vector<A1SAMPLE> samples;
        for (const A1SAMPLE& s : CleanWalk(2000, 0.05, 12)) {
            if (c.dropEvery > 0 && s.nImage % c.dropEvery == 0)
                continue;
            samples.push_back(s);
            if (c.gapAt > 0 && samples.size() > c.gapAt)
                samples.back().nImage += 300;
        }
        if (c.spikes) {
            samples[400].dX += 3.0;
            samples[1200].dY += 3.0;
        }
        CA1TimeSeries series;
        series.m_Samples = samples;
        series.m_dPeriod = 1.0;
        EVALUATIONINPUTS inputs;
        inputs.eGapPairs = c.rule;
        ASSERT_TRUE(EvaluateCharFunctionAndLifetime(series, inputs)) << c.name;
        EXPECT_TRUE(HasNoteStartingWith(series, c.note)) << c.name;
        EXPECT_EQ(FitNotes(series).size(), 1u) << c.name;
    }
}
