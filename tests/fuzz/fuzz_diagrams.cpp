// The five diagrams of every series that the option-byte chain evaluates,
// rendered off-screen as `tessaric-cli --out` and the window draw them.
#include "FuzzSupport.h"

#include "data/C1A1LogReader.h"
#include "diagram/DiagramImage.h"
#include "infra/CLogFile.h"

#include <QGuiApplication>

#include <clocale>
#include <cstdlib>

namespace {

// A small bitmap keeps each run fast; the drawing code is the same at any
// size above the smallest one the command-line program accepts.
constexpr int kFuzzDiagramSide = 120;

constexpr DiagramType kTypes[] = {A22Time, A22Plane, CharFunction, FittedModel, ProbabilityPlot};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    // The diagrams' numbers keep their point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kFuzzSettingsBytes)
        return 0;
    CLogFile log;
    CA1SeriesList list =
        EvaluatedFuzzSeries(&ImportC1A1Log, data + kFuzzSettingsBytes, size - kFuzzSettingsBytes,
                            FuzzSettingsFrom(data), log);
    for (std::size_t i = 0; i < list.size(); ++i) {
        for (DiagramType type : kTypes) {
            QImage bitmap = CreateDiagramBitmap(QSize(kFuzzDiagramSide, kFuzzDiagramSide));
            DiagramStyle style;
            style.m_nType = type;
            RenderDiagram(list[i], style, bitmap);
        }
    }
    return 0;
}
