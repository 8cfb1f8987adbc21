#include "diagram/DiagramImage.h"

#include "data/CA1TimeSeries.h"
#include "diagram/CA1DiagramWnd.h"
#include "diagram/CDiagramDC.h"
#include "infra/CLogFile.h"
#include "infra/CSafeFileWriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>

namespace {

// The diagram placeholder of the pages, in dialog units.
constexpr int kPlaceholderWidth = 390;
constexpr int kPlaceholderHeight = 210;

struct ImageFormat {
    const char* szExtension;
    const char* szFormat; // Qt's writer format
};

// The extensions that the platform's encoders for the four offered formats
// are known by.
constexpr ImageFormat kImageFormats[] = {
    {"jpg", "jpeg"}, {"jpeg", "jpeg"}, {"jpe", "jpeg"}, {"jfif", "jpeg"}, {"png", "png"},
    {"tif", "tiff"}, {"tiff", "tiff"}, {"bmp", "bmp"},  {"dib", "bmp"},
};

// The export dialog's file types, in the order of their filter indices.
struct ImageFilter {
    const char* szDescription;
    const char* szExtension;
};

constexpr ImageFilter kImageFilters[] = {
    {"JPEG Format", "jpg"},
    {"Portable Network Graphics", "png"},
    {"Tagged Image File Format", "tif"},
    {"Uncompressed Bitmap", "bmp"},
};

const char* FormatForPath(const std::string& path) {
    std::string extension = FileExtension(path);
    if (extension.size() < 2)
        return nullptr;
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const ImageFormat& format : kImageFormats)
        if (extension == format.szExtension)
            return format.szFormat;
    return nullptr;
}

struct DiagramFile {
    DiagramType type;
    const char* szSuffix;
};

constexpr DiagramFile kDiagramFiles[] = {
    {A22Time, "-a22-time.png"},  {A22Plane, "-a22-plane.png"},   {CharFunction, "-cfunc.png"},
    {FittedModel, "-model.png"}, {ProbabilityPlot, "-prob.png"}, {ProbabilityMap, "-pmap.png"},
};

} // namespace

QSize DefaultDiagramSize() {
    const QSize window = DialogUnitsToPixels(kPlaceholderWidth, kPlaceholderHeight);
    return {window.width() - 2 * kDiagramEdgeWidth, window.height() - 2 * kDiagramEdgeWidth};
}

QImage CreateDiagramBitmap(QSize size) {
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    QImage bitmap(size, QImage::Format_RGB32);
    if (!bitmap.isNull())
        bitmap.fill(0);
    return bitmap;
}

bool RenderDiagram(CA1TimeSeries& series, DiagramStyle style, QImage& bitmap) {
    if (bitmap.isNull())
        return false;
    style.SetBitmapSize(bitmap.width(), bitmap.height());
    CDiagramDC dc(bitmap);
    return series.DrawDiagram(dc, style);
}

bool SaveDiagramImage(const QImage& bitmap, const std::string& path) {
    const char* format = FormatForPath(path);
    if (!format || bitmap.isNull())
        return false;
    // Encoded in memory first, so that the file is replaced only by a
    // complete image.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(bitmap))
        return false;
    CSafeFileWriter file;
    return file.Open(path) &&
           file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size())) && file.Commit();
}

std::string FileExtension(const std::string& path) {
    // A file name that starts with its only dot (".png") is taken as an
    // extension too, as the platform's encoders would match it.
    const std::string name = std::filesystem::path(path).filename().string();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ImageFileFilter() {
    std::string filter;
    for (const ImageFilter& entry : kImageFilters)
        filter += std::string(entry.szDescription) + "  (*." + entry.szExtension + ")|*." +
                  entry.szExtension + "|";
    return filter + "|";
}

const char* ImageExtensionForFilter(int filterIndex) {
    if (filterIndex < 1 || filterIndex > static_cast<int>(std::size(kImageFilters)))
        return nullptr;
    return kImageFilters[filterIndex - 1].szExtension;
}

bool ExportDiagramImage(const CA1DiagramWnd& window, std::string path, int filterIndex,
                        CLogFile* log) {
    const auto report = [log](const std::string& text) {
        if (log)
            log->WriteLine(text);
    };
    if (FileExtension(path).empty()) {
        const char* extension = ImageExtensionForFilter(filterIndex);
        if (!extension) {
            report("ERROR: Aborted saving the diagram image. Invalid image format.");
            return false;
        }
        path += std::string(".") + extension;
    }
    if (!window.SaveImage(path)) {
        report("ERROR: Failed to save the diagram image.");
        return false;
    }
    report("Diagram image saved to file [" + path + "].");
    return true;
}

std::vector<SeriesDiagram> RenderSeriesDiagrams(CA1TimeSeries& series, QSize size) {
    std::vector<SeriesDiagram> diagrams;
    for (const DiagramFile& file : kDiagramFiles) {
        QImage bitmap = CreateDiagramBitmap(size);
        DiagramStyle style;
        style.m_nType = file.type;
        if (RenderDiagram(series, style, bitmap))
            diagrams.push_back({file.szSuffix, std::move(bitmap)});
    }
    return diagrams;
}

DiagramFiles WriteSeriesDiagrams(CA1TimeSeries& series, const std::string& pathPrefix, QSize size) {
    DiagramFiles files;
    for (const SeriesDiagram& diagram : RenderSeriesDiagrams(series, size)) {
        const std::string path = pathPrefix + diagram.strSuffix;
        (SaveDiagramImage(diagram.image, path) ? files.written : files.failed).push_back(path);
    }
    return files;
}
