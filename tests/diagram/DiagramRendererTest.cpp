#include "diagram/DiagramRenderer.h"
#include "diagram/CDiagramDC.h"
#include "diagram/DiagramImage.h"
#include "evaluation/ProbabilityModel.h"
#include "tests/diagram/DiagramTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

class DiagramRenderer : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        fonts = CreateDiagramFonts(DiagramStyle());
        ASSERT_TRUE(fonts.has_value());
    }

    DiagramLayout Plan(CA1TimeSeries& series, std::int32_t type, int width = 390,
                       int height = 210) {
        return PlanDiagram(series, StyleFor(type, width, height), &*fonts);
    }

    std::optional<DiagramFonts> fonts;
};

// Three samples drawn at 10, 20 and 30 s; A22-x from -2 to 2 nm, A22-y from 1
// to 2 nm.
CA1TimeSeries ThreeSamples() {
    return SeriesWithSamples(10.0, {{1, -2.0, 1.0}, {2, 0.5, 2.0}, {3, 2.0, 1.5}});
}

std::set<std::uint32_t> Colours(const QImage& image) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(PixelAt(image, x, y));
    return colours;
}

} // namespace

TEST_F(DiagramRenderer, TimeDiagramRangesCentresUnitsAndTitles) {
    CA1TimeSeries series = ThreeSamples();
    const DiagramLayout layout = Plan(series, A22Time);
    ASSERT_TRUE(layout.bHasData);
    EXPECT_DOUBLE_EQ(layout.xAxis.dSpan, 21.0);
    EXPECT_DOUBLE_EQ(layout.xAxis.dCentre, 20.0);
    EXPECT_DOUBLE_EQ(layout.leftAxis.dSpan, 4.2); // the common span
    EXPECT_DOUBLE_EQ(layout.leftAxis.dCentre, 0.0);
    EXPECT_DOUBLE_EQ(layout.rightAxis.dSpan, 4.2);
    EXPECT_DOUBLE_EQ(layout.rightAxis.dCentre, 1.5);
    EXPECT_EQ(layout.strXTitle, "Time [s]");
    EXPECT_EQ(layout.strLeftTitle, "A22-x [nm]");
    EXPECT_EQ(layout.strRightTitle, "A22-y [nm]");
    EXPECT_EQ(layout.nXTitleHeight, 18);
    // Room for two vertical axes: three title heights on either side.
    EXPECT_EQ(layout.rcPlot.left, 8 + 54);
    EXPECT_EQ(layout.rcPlot.right, 382 - 54);
    EXPECT_EQ(layout.rcPlot.bottom, 202 - 40);
    EXPECT_EQ(layout.rcPlot.top, 8);
}

TEST_F(DiagramRenderer, DisplayUnitsBringTheSpanBetweenOneAndAThousand) {
    struct Case {
        double dTimeSpan;
        const char* szTitle;
        double dFactor;
    };
    for (const Case& c : {Case{1500.0, "Time [min]", 60.0}, Case{0.5, "Time [ms]", 1e-3},
                          Case{1.8e7, "Time [s]", 1.0}}) {
        // Two samples one step apart: the axis span is 1.05 steps.
        CA1TimeSeries series = SeriesWithSamples(c.dTimeSpan / 1.05, {{0, 0, 0}, {1, 1, 1}});
        const DiagramLayout layout = Plan(series, A22Time);
        EXPECT_EQ(layout.strXTitle, c.szTitle);
        EXPECT_DOUBLE_EQ(layout.xAxis.dFactor, c.dFactor);
    }

    CA1TimeSeries picometres = SeriesWithSamples(1.0, {{0, 0, 0}, {1, 0.5 / 1.05, 0.1}});
    EXPECT_EQ(Plan(picometres, A22Plane).strXTitle, "A22-x [pm]");
    EXPECT_EQ(Plan(picometres, A22Plane).strLeftTitle, "A22-y [pm]");

    // f ranges from 0 to 1.025 times the largest value.
    for (const auto& [fMax, title] :
         {std::pair{0.5 / 1.025, "f(t) [A²]"}, std::pair{50.0 / 1.025, "f(t) [nm²]"}}) {
        CA1TimeSeries series = SeriesWithSamples(1.0, {{1, 0, 0}});
        AddCharFunctionAndModel(series, 10, fMax / 10.0);
        const DiagramLayout layout = Plan(series, CharFunction);
        EXPECT_EQ(layout.strLeftTitle, title);
        EXPECT_EQ(layout.strXTitle, "Timespan t [s]");
        EXPECT_DOUBLE_EQ(layout.xAxis.Lower(), 0.0);
        EXPECT_DOUBLE_EQ(layout.xAxis.Upper(), 10.25);
    }
}

TEST_F(DiagramRenderer, TitlesTrimTheUnitLabelsInTheSeriesTables) {
    // About 5 m of astigmatism: the unit "m " is used and trimmed in place.
    CA1TimeSeries series = SeriesWithSamples(1.0, {{0, 0, 0}, {1, 5.0e9, 1.0}});
    EXPECT_EQ(Plan(series, A22Plane).strXTitle, "A22-x [m]");
    EXPECT_EQ(series.m_LenUnits[5].strName, "m");
    EXPECT_EQ(series.m_TimeUnits[0].strName, "s  "); // not used, not trimmed

    // Without fonts there are no titles and nothing is trimmed.
    CA1TimeSeries silent = SeriesWithSamples(1.0, {{0, 0, 0}, {1, 5.0e9, 1.0}});
    const DiagramLayout layout = PlanDiagram(silent, StyleFor(A22Plane, 390, 210), nullptr);
    EXPECT_FALSE(layout.bHasTitles);
    EXPECT_TRUE(layout.strXTitle.empty());
    EXPECT_EQ(silent.m_LenUnits[5].strName, "m ");
    EXPECT_EQ(layout.rcPlot.left, 8);
    EXPECT_EQ(layout.rcPlot.right, 382);
}

TEST_F(DiagramRenderer, PlaneDiagramIsSquare) {
    CA1TimeSeries series = ThreeSamples();
    const DiagramLayout layout = Plan(series, A22Plane);
    EXPECT_EQ(layout.rcPlot.left, 145);
    EXPECT_EQ(layout.rcPlot.top, 8);
    EXPECT_EQ(layout.rcPlot.right, 299);
    EXPECT_EQ(layout.rcPlot.bottom, 162);
    EXPECT_DOUBLE_EQ(layout.xAxis.dSpan, layout.leftAxis.dSpan);
    EXPECT_DOUBLE_EQ(layout.leftAxis.dCentre, 1.5);
}

TEST_F(DiagramRenderer, CharFunctionGuideLineOnlyWithADirectLifetime) {
    CA1TimeSeries series = SeriesWithSamples(1.0, {{1, 0, 0}});
    AddCharFunctionAndModel(series, 100, 1.0); // f(t) = t
    series.m_dTolerance = 9.0;                 // a² = 81
    series.m_dLifetime = 81.0;
    const auto guideRow = [&](std::int32_t state) {
        series.m_nLifetimeState = state;
        QImage bitmap = CreateDiagramBitmap({390, 210});
        EXPECT_TRUE(RenderDiagram(series, StyleFor(CharFunction, 390, 210), bitmap));
        const DiagramLayout layout = Plan(series, CharFunction);
        const PlotRect& rc = layout.rcPlot;
        const int row =
            rc.bottom - static_cast<int>((81.0 - layout.leftAxis.Lower()) / layout.leftAxis.dSpan *
                                             (rc.bottom - rc.top) +
                                         0.5);
        int black = 0;
        for (int x = rc.left + 1; x < rc.left + 40; ++x)
            black += PixelAt(bitmap, x, row) == kBlack;
        return black;
    };
    EXPECT_EQ(guideRow(1), 39);
    EXPECT_EQ(guideRow(-1), 0);
}

TEST_F(DiagramRenderer, FittedModelAxisReachesBeyondTheModelLifetime) {
    CA1TimeSeries series = SeriesWithSamples(2.0, {{1, 0, 0}});
    AddCharFunctionAndModel(series, 20, 0.1); // largest time span 40 s
    series.m_dModelLifetime = 100.0;
    const DiagramLayout layout = Plan(series, FittedModel);
    EXPECT_DOUBLE_EQ(layout.xAxis.Upper(), 1.025 * 1.15 * 100.0);
    const double n = 1.15 * 100.0 / 2.0;
    const double fModel = 0.02 * 0.02 * n * n + 2.0 * (0.25 + 0.09 * std::exp(-n / 4.0)) * n;
    EXPECT_DOUBLE_EQ(layout.leftAxis.Upper(), 1.025 * fModel);
    EXPECT_TRUE(layout.bGuide);
    EXPECT_DOUBLE_EQ(layout.dGuideTime, 100.0);
    EXPECT_DOUBLE_EQ(layout.dGuideLevel, 4.0);
}

TEST_F(DiagramRenderer, ProbabilityPlotStartsAtOneAndMarksTheMedian) {
    CA1TimeSeries series = SeriesWithSamples(2.0, {{1, 0, 0}});
    AddCharFunctionAndModel(series, 20, 0.1);
    const ModelParameters model{0.5, 0.3, 4.0, 0.02};
    const DiagramLayout layout = Plan(series, ProbabilityPlot);
    EXPECT_DOUBLE_EQ(layout.xAxis.Upper(), 1.025 * 2.0 * ProbabilityLifetime(4.0, 0.2, model));
    EXPECT_DOUBLE_EQ(layout.leftAxis.Upper(), 1.025);
    EXPECT_EQ(layout.strLeftTitle, "P(a,t)");
    EXPECT_DOUBLE_EQ(layout.dGuideTime, 2.0 * ProbabilityLifetime(4.0, 0.5, model));
    EXPECT_DOUBLE_EQ(layout.dGuideLevel, 0.5);

    QImage bitmap = CreateDiagramBitmap({390, 210});
    DiagramStyle style = StyleFor(ProbabilityPlot, 390, 210);
    ASSERT_TRUE(RenderDiagram(series, style, bitmap));
    const PlotRect& rc = layout.rcPlot;
    // P = 1 at t = 0 lies on the left border, 1/1.025 of the height up.
    const int rowOfOne = rc.bottom - static_cast<int>(1.0 / 1.025 * (rc.bottom - rc.top) + 0.5);
    EXPECT_EQ(PixelAt(bitmap, rc.left + 1, rowOfOne), style.m_crYMarker);
}

TEST_F(DiagramRenderer, UnboundedLifetimesKeepFiniteAxes) {
    // a model that stays at 0: P(a, t) = 1 for ever, the lifetime unbounded
    CA1TimeSeries series = SeriesWithSamples(2.0, {{1, 0, 0}});
    AddCharFunctionAndModel(series, 20, 0.1); // largest time span 40 s
    series.m_dModelDi = series.m_dModelDa = series.m_dModelS = 0.0;
    series.m_dModelLifetime = VLARGE * series.m_dPeriod;
    const DiagramLayout model = Plan(series, FittedModel);
    EXPECT_DOUBLE_EQ(model.xAxis.Upper(), 1.025 * 1.15 * 40.0);
    EXPECT_FALSE(model.bGuide);
    // the probability table's end: twice the longest time span
    EXPECT_DOUBLE_EQ(Plan(series, ProbabilityPlot).xAxis.Upper(), 1.025 * 2.0 * 40.0);
}

TEST_F(DiagramRenderer, OtherTypesDrawBackgroundAndFrameOnly) {
    CA1TimeSeries series = ThreeSamples();
    QImage bitmap = CreateDiagramBitmap({390, 210});
    EXPECT_TRUE(RenderDiagram(series, StyleFor(7, 390, 210), bitmap));
    EXPECT_EQ(Colours(bitmap), (std::set<std::uint32_t>{kWhite, kBlack}));
    const DiagramLayout layout = Plan(series, 7);
    EXPECT_TRUE(layout.strXTitle.empty());
    EXPECT_TRUE(layout.strLeftTitle.empty());
    const PlotRect& rc = layout.rcPlot;
    for (const auto& [x, y] :
         {std::pair{rc.left, rc.top}, std::pair{rc.right, rc.bottom},
          std::pair{rc.left - 1, rc.bottom + 1}, std::pair{rc.right + 1, rc.top - 1}})
        EXPECT_EQ(PixelAt(bitmap, x, y), kBlack);
    EXPECT_EQ(PixelAt(bitmap, rc.left + 1, rc.top + 1), kWhite);
    EXPECT_EQ(PixelAt(bitmap, rc.left - 2, rc.top), kWhite);
}

TEST_F(DiagramRenderer, MissingDataGivesFalseAndTheBackgroundOnly) {
    CA1TimeSeries empty;
    CA1TimeSeries noCFunc = ThreeSamples();
    CA1TimeSeries noModel = ThreeSamples();
    AddCharFunctionAndModel(noModel, 5, 1.0);
    noModel.m_nModelState = 0;
    const std::pair<CA1TimeSeries*, std::int32_t> cases[] = {
        {&empty, A22Time},        {&empty, 7},
        {&noCFunc, CharFunction}, {&noCFunc, FittedModel},
        {&noModel, FittedModel},  {&noModel, ProbabilityPlot}};
    for (const auto& [series, type] : cases) {
        QImage bitmap = CreateDiagramBitmap({120, 80});
        EXPECT_FALSE(RenderDiagram(*series, StyleFor(type, 120, 80), bitmap)) << type;
        EXPECT_EQ(Colours(bitmap), std::set<std::uint32_t>{kWhite}) << type;
    }
    EXPECT_TRUE(noModel.m_nCFuncState == 1);
}

TEST_F(DiagramRenderer, ZeroSpansSkipWhatCannotBeMappedAndDrawTheRest) {
    CA1TimeSeries single = SeriesWithSamples(1.0, {{4, 1.0, 2.0}});
    CA1TimeSeries constant = SeriesWithSamples(1.0, {{1, 1.0, 2.0}, {2, 1.0, 2.0}});
    CA1TimeSeries sameTime = SeriesWithSamples(0.0, {{1, 1.0, 2.0}, {2, 3.0, 4.0}});
    CA1TimeSeries zeroModel = SeriesWithSamples(1.0, {{1, 0, 0}});
    AddCharFunctionAndModel(zeroModel, 10, 1.0);
    zeroModel.m_dModelDi = zeroModel.m_dModelDa = zeroModel.m_dModelTc = 0.0;
    zeroModel.m_dModelS = 0.0;
    zeroModel.m_dModelLifetime = 0.0;
    CA1TimeSeries flatCFunc = SeriesWithSamples(0.0, {{1, 0, 0}});
    AddCharFunctionAndModel(flatCFunc, 3, 0.0);
    flatCFunc.m_dModelLifetime = 0.0;

    const std::pair<CA1TimeSeries*, std::int32_t> cases[] = {{&single, A22Time},
                                                             {&single, A22Plane},
                                                             {&constant, A22Time},
                                                             {&constant, A22Plane},
                                                             {&sameTime, A22Time},
                                                             {&zeroModel, FittedModel},
                                                             {&zeroModel, ProbabilityPlot},
                                                             {&flatCFunc, CharFunction},
                                                             {&flatCFunc, FittedModel},
                                                             {&flatCFunc, ProbabilityPlot}};
    for (const auto& [series, type] : cases) {
        QImage bitmap = CreateDiagramBitmap({390, 210});
        EXPECT_TRUE(RenderDiagram(*series, StyleFor(type, 390, 210), bitmap)) << type;
        // The frame and the titles are there.
        const DiagramLayout layout = Plan(*series, type);
        EXPECT_EQ(PixelAt(bitmap, layout.rcPlot.right, layout.rcPlot.top), kBlack) << type;
        EXPECT_FALSE(layout.strXTitle.empty()) << type;
    }
}

TEST_F(DiagramRenderer, NoFontsKeepTheDefaultRectangle) {
    CA1TimeSeries series = ThreeSamples();
    // A negative height sets the characters' height; the cell is higher.
    DiagramStyle characterHeight = StyleFor(A22Time, 390, 210);
    characterHeight.m_nFontHeight = -18;
    const auto characterFonts = CreateDiagramFonts(characterHeight);
    ASSERT_TRUE(characterFonts.has_value());
    EXPECT_GT(PlanDiagram(series, characterHeight, &*characterFonts).nXTitleHeight, 18);
    characterHeight.m_strFontFace.clear();
    EXPECT_FALSE(CreateDiagramFonts(characterHeight).has_value());

    DiagramStyle style = StyleFor(A22Time, 120, 80);
    style.m_nFontHeight = 0;
    QImage bitmap = CreateDiagramBitmap({120, 80});
    EXPECT_TRUE(RenderDiagram(series, style, bitmap));
    // The outer frame sits one pixel outside the default rectangle.
    EXPECT_EQ(PixelAt(bitmap, 7, 7), kBlack);
    EXPECT_EQ(PixelAt(bitmap, 113, 73), kBlack);
    EXPECT_EQ(PixelAt(bitmap, 6, 6), kWhite);
    // Colours are 0x00BBGGRR: A22-x crosses red 200, A22-y crosses blue 200.
    bool red = false, blue = false;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            red = red || bitmap.pixel(x, y) == qRgb(200, 0, 0);
            blue = blue || bitmap.pixel(x, y) == qRgb(0, 0, 200);
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
}
