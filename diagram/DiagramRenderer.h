#pragma once

#include "diagram/CDiagramDC.h"
#include "diagram/DiagramStyle.h"

#include <optional>
#include <string>

class CA1TimeSeries;

// One axis of a diagram in the series' stored units (nm, nm², s, or the
// probability itself).
struct DiagramAxis {
    double dCentre = 0.0;
    double dSpan = 0.0;
    double dFactor = 1.0; // size of the display unit in stored units

    double Lower() const { return dCentre - dSpan / 2.0; }
    double Upper() const { return dCentre + dSpan / 2.0; }
    // A zero, negative or non-finite span maps no value to a pixel.
    bool CanMap() const;
};

// The two label fonts of a drawing: one for horizontal text, one that reads
// upwards for the vertical axis titles.
struct DiagramFonts {
    CDiagramFont horizontal;
    CDiagramFont upwards;
};

// Both fonts of the style, or nothing when the style asks for none (height 0,
// no face) or a font cannot be made.
std::optional<DiagramFonts> CreateDiagramFonts(const DiagramStyle& style);

// Everything a drawing decides before it draws: whether the series has the
// data, the axes, the titles and the plot rectangle after the title margins.
struct DiagramLayout {
    bool bHasData = false;
    bool bHasTitles = false; // fonts exist, so titles and ticks are drawn
    PlotRect rcPlot;
    DiagramAxis xAxis;
    DiagramAxis leftAxis;
    DiagramAxis rightAxis; // the A22-y axis of the A22-time diagram only
    bool bRightAxis = false;
    std::string strXTitle;
    std::string strLeftTitle;
    std::string strRightTitle;
    int nXTitleHeight = 0;
    int nXTitleWidth = 0;
    // The guide line runs from the left axis at dGuideLevel across to
    // dGuideTime and down to the time axis.
    bool bGuide = false;
    double dGuideTime = 0.0;
    double dGuideLevel = 0.0;
};

// The layout that DrawDiagram uses for this series and style. Titles (and so
// the trimming of the unit labels they use) only come with fonts.
// bImageSteps: the series has no time base and is drawn over image steps.
DiagramLayout PlanDiagram(CA1TimeSeries& series, const DiagramStyle& style,
                          const DiagramFonts* fonts, bool bImageSteps = false);

// A recording without a time base as the diagrams draw it: its samples,
// function and model with a period of one image step.
CA1TimeSeries ImageStepView(const CA1TimeSeries& series);

// The drawing of CA1TimeSeries::DrawDiagram for `series` as it stands.
bool DrawDiagramOf(CA1TimeSeries& series, CDiagramDC& dc, const DiagramStyle& style,
                   bool bImageSteps);
