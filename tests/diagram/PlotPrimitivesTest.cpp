#include "diagram/PlotPrimitives.h"
#include "diagram/CDiagramDC.h"
#include "tests/diagram/DiagramTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <utility>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

// Every pixel that is not white, by position.
std::map<std::pair<int, int>, std::uint32_t> ChangedPixels(const QImage& image) {
    std::map<std::pair<int, int>, std::uint32_t> changed;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != kWhite)
                changed[{x, y}] = PixelAt(image, x, y);
    return changed;
}

// The grey a black blend with coverage k leaves on white.
std::uint32_t GreyOnWhite(int level) {
    return level | (level << 8) | (level << 16);
}

} // namespace

TEST(SmoothLine, WidthOneHorizontalSegmentSetsExactlyItsElevenPixels) {
    QImage image = WhiteBitmap(32, 24);
    CDiagramDC dc(image);
    PointD pen{10.0, 10.0};
    DrawSmoothLineTo(pen, &dc, {20.0, 10.0}, 0x0000C8, 1.0);

    const auto changed = ChangedPixels(dc.Image());
    ASSERT_EQ(changed.size(), 11u);
    for (int x = 10; x <= 20; ++x)
        EXPECT_EQ(changed.at({x, 10}), 0x0000C8u) << "x = " << x;
    EXPECT_EQ(pen.x, 20.0);
    EXPECT_EQ(pen.y, 10.0);
}

TEST(SmoothLine, DrawsNothingButMovesThePenWhenThereIsNothingToDraw) {
    QImage image = WhiteBitmap(32, 24);
    CDiagramDC dc(image);
    PointD pen{5.0, 5.0};
    DrawSmoothLineTo(pen, &dc, {5.0, 5.0}, kBlack, 3.0); // zero length
    EXPECT_EQ(pen.x, 5.0);
    EXPECT_EQ(pen.y, 5.0);
    DrawSmoothLineTo(pen, &dc, {15.0, 8.0}, kBlack, 0.0); // no width
    EXPECT_EQ(pen.x, 15.0);
    DrawSmoothLineTo(pen, nullptr, {20.0, 9.0}, kBlack, 2.0); // no context
    EXPECT_EQ(pen.x, 20.0);
    EXPECT_EQ(pen.y, 9.0);
    EXPECT_TRUE(ChangedPixels(dc.Image()).empty());
}

TEST(SmoothLine, SteepWideSegmentIsSymmetricAndSoftEdged) {
    QImage image = WhiteBitmap(40, 40);
    CDiagramDC dc(image);
    PointD pen{20.0, 5.0};
    DrawSmoothLineTo(pen, &dc, {20.0, 30.0}, kBlack, 2.0);
    // Half width 1: the centre column full, its neighbours half covered, the
    // next ones untouched; the rounded ends reach one pixel further.
    for (int y = 5; y <= 30; ++y) {
        EXPECT_EQ(PixelAt(dc.Image(), 20, y), kBlack);
        EXPECT_EQ(PixelAt(dc.Image(), 19, y), GreyOnWhite(128));
        EXPECT_EQ(PixelAt(dc.Image(), 21, y), GreyOnWhite(128));
        EXPECT_EQ(PixelAt(dc.Image(), 18, y), kWhite);
        EXPECT_EQ(PixelAt(dc.Image(), 22, y), kWhite);
    }
    EXPECT_EQ(PixelAt(dc.Image(), 20, 4), GreyOnWhite(128));
    EXPECT_EQ(PixelAt(dc.Image(), 20, 3), kWhite);
    EXPECT_EQ(PixelAt(dc.Image(), 20, 31), GreyOnWhite(128));
}

TEST(SmoothLine, SegmentsFarOutsideTheBitmapEndQuickly) {
    QImage image = WhiteBitmap(20, 20);
    CDiagramDC dc(image);
    PointD pen{-1.0e9, 10.0};
    DrawSmoothLineTo(pen, &dc, {1.0e9, 10.0}, kBlack, 1.0e6);
    EXPECT_EQ(PixelAt(dc.Image(), 10, 10), kBlack);
    DrawSmoothLineTo(pen, &dc, {std::numeric_limits<double>::quiet_NaN(), 3.0}, kWhite, 2.0);
    EXPECT_EQ(PixelAt(dc.Image(), 10, 10), kBlack);
}

TEST(Blend, MovesEachChannelByTheRoundedShareTowardsTheColour) {
    QImage image = WhiteBitmap(4, 1);
    CDiagramDC dc(image);
    dc.SetPixel(0, 0, 0x6464C8); // red 200, green 100, blue 100
    dc.BlendPixel(0, 0, 0xC8C864, 0.5);
    // red 200 -> 100: 200 + trunc(-49.5) = 151; green/blue 100 -> 200: 150.
    EXPECT_EQ(dc.GetPixel(0, 0), 0x969697u);
    dc.BlendPixel(1, 0, 0x123456, 1.0);
    EXPECT_EQ(dc.GetPixel(1, 0), 0x123456u);
    dc.BlendPixel(2, 0, 0x000000, 0.0);
    EXPECT_EQ(dc.GetPixel(2, 0), kWhite);
    EXPECT_EQ(dc.GetPixel(9, 0), CDiagramDC::kInvalidColour);
}

TEST(Marker, DiscOfSizeFourCoversTheFiveByFiveSquareWithoutCorners) {
    QImage image = WhiteBitmap(30, 30);
    CDiagramDC dc(image);
    DrawMarker(dc, 15.0, 15.0, MarkerDisc, 4, kBlack);

    const auto changed = ChangedPixels(dc.Image());
    EXPECT_EQ(changed.size(), 21u);
    for (int b = -2; b <= 2; ++b) {
        for (int a = -2; a <= 2; ++a) {
            const int ring = std::abs(a) == 2 || std::abs(b) == 2;
            std::uint32_t expected = kBlack; // inner 3 x 3
            if (std::abs(a) == 2 && std::abs(b) == 2)
                expected = kWhite; // corners
            else if (ring && (a == 0 || b == 0))
                expected = GreyOnWhite(128); // coverage 0.5
            else if (ring)
                expected = GreyOnWhite(189); // coverage 2.5 - sqrt(5), about 0.26
            EXPECT_EQ(PixelAt(dc.Image(), 15 + a, 15 + b), expected) << a << ", " << b;
        }
    }
}

TEST(Marker, SquareCrossAndPixelShapes) {
    QImage image = WhiteBitmap(40, 20);
    CDiagramDC dc(image);
    DrawMarker(dc, 5.0, 5.0, MarkerSquare, 2, kBlack);
    EXPECT_EQ(PixelAt(dc.Image(), 5, 5), kBlack);
    EXPECT_EQ(PixelAt(dc.Image(), 6, 5), GreyOnWhite(128));
    EXPECT_EQ(PixelAt(dc.Image(), 6, 6), GreyOnWhite(192)); // 0.5 * 0.5
    EXPECT_EQ(PixelAt(dc.Image(), 7, 5), kWhite);

    QImage crossImage = WhiteBitmap(20, 20);
    CDiagramDC crossDc(crossImage);
    DrawMarker(crossDc, 10.2, 9.8, MarkerCross, 5, 0x0000C8);
    const auto cross = ChangedPixels(crossDc.Image());
    EXPECT_EQ(cross.size(), 9u);
    for (int d = -2; d <= 2; ++d) {
        EXPECT_EQ(cross.count({10 + d, 10}), 1u);
        EXPECT_EQ(cross.count({10, 10 + d}), 1u);
    }

    QImage pixelImage = WhiteBitmap(10, 10);
    CDiagramDC pixelDc(pixelImage);
    DrawMarker(pixelDc, 3.5, 2.4, MarkerPixel, 1, kBlack);
    DrawMarker(pixelDc, 5.0, 5.0, 7, 4, kBlack);          // unknown shape
    DrawMarker(pixelDc, 5.0, 5.0, MarkerDisc, 0, kBlack); // no size
    const auto pixel = ChangedPixels(pixelDc.Image());
    ASSERT_EQ(pixel.size(), 1u);
    EXPECT_EQ(pixel.begin()->first, std::make_pair(4, 2));
}

TEST(TickStep, TakesTheCandidateNearestToEightyPixels) {
    EXPECT_EQ(ChooseTickStep(6.0, 374), 1.0);    // 62 pixels, distance 18
    EXPECT_EQ(ChooseTickStep(1.5, 374), 0.2);    // 50 pixels; 0.5 would give 125
    EXPECT_EQ(ChooseTickStep(300.0, 374), 50.0); // 62 pixels
    EXPECT_EQ(ChooseTickStep(1.025, 194), 0.5);  // 95 pixels, distance 15
    EXPECT_EQ(ChooseTickStep(1.875, 100), 1.0);  // 1 and 2 both 27 away: smaller wins
    EXPECT_EQ(ChooseTickStep(999.0, 10), 1.0);   // nothing nearer than the axis is long
    EXPECT_NE(ChooseTickStep(999.9, 374), 0.0);
    EXPECT_EQ(ChooseTickStep(1000.0, 374), 0.0);
    EXPECT_EQ(ChooseTickStep(0.99, 374), 0.0);
    EXPECT_EQ(ChooseTickStep(std::numeric_limits<double>::quiet_NaN(), 374), 0.0);
}

TEST(TickStep, LabelsRoundWholeStepsAndShowOneDecimalBelow) {
    EXPECT_EQ(TickLabel(0.2, 0.2), "0.2");
    EXPECT_EQ(TickLabel(7 * 0.2, 0.2), "1.4");
    EXPECT_EQ(TickLabel(3 * 0.1, 0.1), "0.3");
    EXPECT_EQ(TickLabel(250.0, 50.0), "250");
    EXPECT_EQ(TickLabel(2.5, 1.0), "3");
    EXPECT_EQ(TickLabel(-2.5, 1.0), "-3");
    EXPECT_EQ(TickLabel(-0.0, 1.0), "0");
}

TEST(Ticks, MarksSitBelowAndBesideTheAxesAtTheirValues) {
    QImage image = WhiteBitmap(420, 320);
    CDiagramDC dc(image);
    dc.SelectPen(kBlack);
    // Without a font only the marks are drawn.
    DrawXAxisTicks(dc, {10, 20}, 384, 6.0, 3.0); // 0 .. 6, step 1
    std::map<std::pair<int, int>, std::uint32_t> expected;
    for (int v = 0; v <= 6; ++v) {
        const int p = 10 + static_cast<int>(v / 6.0 * 374 + 0.5);
        for (int y = 21; y <= 24; ++y)
            expected[{p, y}] = kBlack;
    }
    // 0 .. 1.025 on 194 pixels, step 0.5: rows 300, 205 and 111.
    DrawLeftAxisTicks(dc, {100, 300}, {100, 106}, 1.025, 0.5125);
    DrawRightAxisTicks(dc, {200, 300}, {200, 106}, 1.025, 0.5125);
    for (const int q : {300, 205, 111})
        for (int d = 1; d <= 5; ++d) {
            expected[{100 - d, q}] = kBlack;
            expected[{200 + d, q}] = kBlack;
        }
    EXPECT_EQ(ChangedPixels(dc.Image()), expected);
}

TEST(Ticks, LabelsAreCentredUnderTheirMarks) {
    EnsureApplication();
    const auto font = CDiagramFont::Create("Times", 18, CDiagramFont::Direction::Horizontal);
    ASSERT_TRUE(font.has_value());
    QImage image = WhiteBitmap(420, 60);
    CDiagramDC dc(image);
    dc.SelectPen(kBlack);
    dc.SelectFont(&*font);
    DrawXAxisTicks(dc, {10, 10}, 384, 300.0, 150.0); // 0, 50, ... 300
    const int p = 10 + static_cast<int>(150.0 / 300.0 * 374 + 0.5);
    const int w = font->TextExtent("150").width();
    int inked = 0, outside = 0;
    for (int y = 15; y < 15 + 18; ++y)
        for (int x = p - 40; x <= p + 40; ++x)
            if (PixelAt(dc.Image(), x, y) != kWhite)
                (std::abs(x - p) <= w / 2 + 1 ? inked : outside)++;
    EXPECT_GT(inked, 20);
    EXPECT_EQ(outside, 0);
    // Nothing above the marks.
    for (int x = 0; x < 420; ++x)
        EXPECT_EQ(PixelAt(dc.Image(), x, 10), kWhite);
}

TEST(Ticks, SpansOutsideTheLabelRangeGetNone) {
    QImage image = WhiteBitmap(400, 40);
    CDiagramDC dc(image);
    DrawXAxisTicks(dc, {10, 10}, 384, 1000.0, 500.0);
    DrawXAxisTicks(dc, {10, 10}, 384, 0.99, 0.5);
    EXPECT_TRUE(ChangedPixels(dc.Image()).empty());
}

TEST(Ticks, HugeCentresEndTheTickLoop) {
    QImage image = WhiteBitmap(400, 40);
    CDiagramDC dc(image);
    dc.SelectPen(kBlack);
    // Beyond 2^53 consecutive tick indices are the same double.
    DrawXAxisTicks(dc, {10, 10}, 384, 500.0, 1.0e17);
    DrawLeftAxisTicks(dc, {5, 35}, {5, 2}, 999.0, -1.0e18);
    SUCCEED();
}
