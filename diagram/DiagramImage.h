#pragma once

#include "diagram/DiagramStyle.h"
#include "diagram/DialogUnits.h"

#include <QImage>
#include <QSize>

#include <string>
#include <vector>

class CA1DiagramWnd;
class CA1TimeSeries;
class CLogFile;

// The width in pixels of the diagram window's sunken edge on each side.
inline constexpr int kDiagramEdgeWidth = 1;

// The diagram window sits over a 390 x 210 dialog-unit placeholder and loses
// its sunken edge on each side; its bitmap has this size.
QSize DefaultDiagramSize();

// A diagram bitmap of the given size, every byte zero (black). Null for an
// empty size.
QImage CreateDiagramBitmap(QSize size);

// Draws the series into the bitmap with the style, whose size fields and plot
// rectangle are made to fit the bitmap. The renderer's result: false when the
// series lacks the data that the type needs (the bitmap then shows the
// background only) or the bitmap is null.
bool RenderDiagram(CA1TimeSeries& series, DiagramStyle style, QImage& bitmap);

// Writes the bitmap in the format of the path's extension, compared without
// regard to case: JPEG (.jpg .jpeg .jpe .jfif), PNG (.png), TIFF (.tif
// .tiff), BMP (.bmp .dib). False for another extension, a null bitmap, or a
// failed write, which leaves any earlier file of that name as it was.
bool SaveDiagramImage(const QImage& bitmap, const std::string& path);

// The extension of the path's file name from its last dot on (".png"; "."
// for a name that ends in a dot), empty when the file name has no dot.
std::string FileExtension(const std::string& path);

// The file types of the image export dialog in "description|pattern|"
// notation, the list ended by "||". Filter indices count from 1; the PNG
// filter is the dialog's default.
std::string ImageFileFilter();
inline constexpr int kDefaultImageFilterIndex = 2;
// "jpg", "png", "tif" or "bmp" for the filter indices 1 to 4, else nullptr.
const char* ImageExtensionForFilter(int filterIndex);

// Saves the window's bitmap under the path chosen in the export dialog. A
// name without extension gets the one of the selected filter; a name with an
// extension of its own is saved in that format whatever the filter. The
// outcome is written to the log (nothing without a log).
bool ExportDiagramImage(const CA1DiagramWnd& window, std::string path, int filterIndex,
                        CLogFile* log);

// The diagram files of one series and how writing them went.
struct DiagramFiles {
    std::vector<std::string> written;
    std::vector<std::string> failed;
};

// The diagrams of the series that its data allow, each rendered at the given
// size and named by its file suffix ("-a22-time.png", ...).
struct SeriesDiagram {
    std::string strSuffix;
    QImage image;
};
std::vector<SeriesDiagram> RenderSeriesDiagrams(CA1TimeSeries& series, QSize size);

// Writes the diagrams of the series as PNG files named pathPrefix +
// "-a22-time.png", "-a22-plane.png", "-cfunc.png", "-model.png", "-prob.png"
// and the P(a, t) map "-pmap.png", each at the given size. A diagram whose data the series does
// not have is not written.
DiagramFiles WriteSeriesDiagrams(CA1TimeSeries& series, const std::string& pathPrefix, QSize size);
