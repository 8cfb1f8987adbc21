#include "diagram/ProbabilityMapDrawing.h"
#include "diagram/DiagramImage.h"
#include "diagram/DiagramRenderer.h"
#include "report/ExportCurves.h"
#include "tests/diagram/DiagramTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr std::uint32_t kInsideOrange = 0x009FE6;

double Lightness(std::uint32_t colour) {
    return 0.2126 * (colour & 0xFF) + 0.7152 * ((colour >> 8) & 0xFF) +
           0.0722 * ((colour >> 16) & 0xFF);
}

bool HasColour(const QImage& image, std::uint32_t colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) == colour)
                return true;
    return false;
}

// The hand-made series of the diagram tests; without its walk its model is
// no valid process and has no whole-interval curve.
CA1TimeSeries ModelSeries(bool walk) {
    CA1TimeSeries series = SeriesWithSamples(2.0, {{1, 0, 0}});
    AddCharFunctionAndModel(series, 20, 0.1);
    if (!walk)
        series.m_dModelDi = 0.0;
    series.m_dElEnergy = 300.0;
    series.m_dTargetRes = 1.0;
    series.m_dLimitPhase = 0.25;
    return series;
}

} // namespace

// Grey print keeps the order of the values: lightness rises all the way.
TEST(ProbabilityMapDrawing, ViridisLightnessRisesFromZeroToOne) {
    EXPECT_EQ(ViridisColour(0.0), 0x540144u);
    EXPECT_EQ(ViridisColour(1.0), 0x25E7FDu);
    EXPECT_EQ(ViridisColour(-1.0), ViridisColour(0.0));
    EXPECT_EQ(ViridisColour(std::nan("")), ViridisColour(0.0));
    for (int i = 1; i <= 40; ++i)
        EXPECT_GT(Lightness(ViridisColour(i / 40.0)), Lightness(ViridisColour((i - 1) / 40.0)))
            << i;
}

TEST(ProbabilityMapDrawing, MapAxesColoursAndTheMarkOfThePresentTolerance) {
    EnsureApplication();
    CA1TimeSeries series = ModelSeries(true);
    const auto fonts = CreateDiagramFonts(DiagramStyle());
    ASSERT_TRUE(fonts);
    const DiagramLayout layout = PlanDiagram(series, StyleFor(ProbabilityMap, 600, 320), &*fonts);
    ASSERT_TRUE(layout.bHasData);
    EXPECT_DOUBLE_EQ(layout.leftAxis.Lower(), 0.25 * series.m_dTolerance);
    EXPECT_DOUBLE_EQ(layout.leftAxis.Upper(), 4.0 * series.m_dTolerance);
    EXPECT_DOUBLE_EQ(layout.xAxis.Upper(), 2.0 * ProbabilityTableEnd(series));
    EXPECT_EQ(layout.strRightTitle, "Target resolution [\u00C5]");

    QImage bitmap = CreateDiagramBitmap({600, 320});
    ASSERT_TRUE(RenderDiagram(series, StyleFor(ProbabilityMap, 600, 320), bitmap));
    const PlotRect& rc = layout.rcPlot;
    // The loosest tolerance right after the start: P = 1, the top colour;
    // the tightest at the end: P near 0.
    EXPECT_EQ(PixelAt(bitmap, rc.left + 1, rc.top + 1), ViridisColour(1.0));
    EXPECT_LT(Lightness(PixelAt(bitmap, rc.right - 2, rc.bottom - 2)),
              Lightness(ViridisColour(0.1)));
    // The present tolerance: a white line on black across the plot.
    const int row =
        static_cast<int>(std::lround(rc.bottom - (series.m_dTolerance - layout.leftAxis.Lower()) /
                                                     layout.leftAxis.dSpan * (rc.bottom - rc.top)));
    EXPECT_EQ(PixelAt(bitmap, (rc.left + rc.right) / 2, row), 0xFFFFFFu);
}

// The second curve and its legend come with a model the simulation covers,
// and only then.
TEST(ProbabilityMapDrawing, ProbabilityPlotDrawsStaysInsideWhereTheModelAllows) {
    EnsureApplication();
    for (const bool walk : {true, false}) {
        CA1TimeSeries series = ModelSeries(walk);
        QImage bitmap = CreateDiagramBitmap({390, 210});
        ASSERT_TRUE(RenderDiagram(series, StyleFor(ProbabilityPlot, 390, 210), bitmap));
        EXPECT_EQ(HasColour(bitmap, kInsideOrange), walk) << walk;
    }
}
