#pragma once

#include <cstdint>
#include <string>

// Colours are 0x00BBGGRR values (red in the lowest byte) throughout the
// diagram code; they meet Qt only where a pen or a pixel is set.
using COLORREF32 = std::uint32_t;

enum DiagramType : std::int32_t {
    A22Time = 1,
    A22Plane = 2,
    CharFunction = 3,
    FittedModel = 4,
    ProbabilityPlot = 5,
    ProbabilityMap = 6,
};

struct PlotRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// What a diagram window draws and how.
struct DiagramStyle {
    std::int32_t m_nType = A22Time;
    std::string m_strFontFace = "Times";
    std::int32_t m_nFontHeight = 18;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::int32_t m_nBorder = 8;
    PlotRect m_rcPlot{8, 8, 0, 0};
    COLORREF32 m_crBackground = 0xFFFFFF;
    COLORREF32 m_crAxis = 0x000000;
    COLORREF32 m_crPlaneMarker = 0x000000;
    COLORREF32 m_crXMarker = 0x0000C8;
    COLORREF32 m_crYMarker = 0xC80000;
    COLORREF32 m_crCFMarker = 0x000000;
    COLORREF32 m_crPlaneLine = 0xB4B4B4;
    COLORREF32 m_crXLine = 0x8080FF;
    COLORREF32 m_crYLine = 0xFF8080;
    COLORREF32 m_crCFLine = 0x000000;
    COLORREF32 m_crLimitLine = 0x000000;
    std::int32_t m_nCFMarkerSize = 4;

    // Sets the bitmap size and the default plot rectangle inside the border.
    void SetBitmapSize(std::int32_t width, std::int32_t height) {
        m_nWidth = width;
        m_nHeight = height;
        m_rcPlot = {m_nBorder, m_nBorder, width - m_nBorder, height - m_nBorder};
    }
};
