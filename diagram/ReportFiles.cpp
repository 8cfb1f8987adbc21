#include "diagram/ReportFiles.h"

#include "data/CA1TimeSeries.h"
#include "diagram/DiagramImage.h"
#include "diagram/OverlayDiagram.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"
#include "infra/CSafeFileWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <string_view>

namespace {

// Readable names of the diagram files' suffixes; a diagram not listed is
// named by its suffix.
struct DIAGRAMCAPTION {
    const char* pszSuffix;
    const char* pszCaption;
};
constexpr DIAGRAMCAPTION kCaptions[] = {
    {"-a22-time.png", "A22 over time"},
    {"-a22-plane.png", "A22 plane"},
    {"-cfunc.png", "Characteristic function f(t)"},
    {"-model.png", "Fitted model"},
    {"-prob.png", "Probability P(a,t)"},
    {"-pmap.png", "P(a,t) map"},
};

std::string CaptionOf(const std::string& suffix) {
    for (const DIAGRAMCAPTION& caption : kCaptions)
        if (suffix == caption.pszSuffix)
            return caption.pszCaption;
    std::string name = suffix.substr(suffix.find_first_not_of('-'));
    return name.substr(0, name.rfind('.'));
}

QByteArray PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The inputs of the core's report builder. `imageSource` names each image:
// a data URI for the HTML file, a resource name for Qt's document.
struct PREPAREDSERIES {
    SERIESREPORTINPUT input;
    std::vector<SeriesDiagram> diagrams;
};

template <class ImageSource>
std::vector<PREPAREDSERIES> PrepareSeries(const std::vector<REPORTSERIES>& series, QSize size,
                                          double dDisplayScale, ImageSource&& imageSource) {
    // Several series of one log share its digest: the file is read once.
    std::map<std::string, REPORTINPUT> inputs;
    std::vector<PREPAREDSERIES> prepared;
    prepared.reserve(series.size());
    for (const REPORTSERIES& entry : series) {
        PREPAREDSERIES item;
        const std::string& path = entry.pSeries->m_strFileName;
        auto found = inputs.find(path);
        if (found == inputs.end())
            found = inputs.emplace(path, DescribeReportInput(path)).first;
        item.input.pSeries = entry.pSeries;
        item.input.nSeries = entry.nSeries;
        item.input.pConfidence = entry.pConfidence;
        item.input.nFitSeed = entry.nFitSeed;
        item.input.input = found->second;
        item.diagrams = RenderSeriesDiagrams(*entry.pSeries, size);
        for (std::size_t i = 0; i < item.diagrams.size(); ++i) {
            const SeriesDiagram& diagram = item.diagrams[i];
            item.input.images.push_back({CaptionOf(diagram.strSuffix),
                                         imageSource(prepared.size(), i, diagram.image),
                                         static_cast<int>(diagram.image.width() * dDisplayScale),
                                         static_cast<int>(diagram.image.height() * dDisplayScale)});
        }
        prepared.push_back(std::move(item));
    }
    return prepared;
}

bool SaveBytes(const std::string& path, const QByteArray& bytes, const char* pszKind,
               CLogFile& log) {
    CSafeFileWriter file;
    if (!file.Open(path)) {
        log.WriteLine("ERROR: Failed to open file [" + path + "] for writing the " + pszKind + ".");
        return false;
    }
    if (!file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size())) || !file.Commit()) {
        file.Discard();
        log.WriteLine(std::string("ERROR: Failed to save the ") + pszKind + " to file [" + path +
                      "].");
        return false;
    }
    log.WriteLine(std::string("Successfully saved the ") + pszKind + " to file [" + path + "].");
    return true;
}

struct REPORTFILTER {
    const char* pszDescription;
    const char* pszExtension;
    bool bAllSeries;
};
constexpr REPORTFILTER kReportFilters[] = {
    {"HTML Report of the Current Series (*.html)", "html", false},
    {"HTML Report of All Series (*.html)", "html", true},
    {"PDF Report of the Current Series (*.pdf)", "pdf", false},
    {"PDF Report of All Series (*.pdf)", "pdf", true},
};

// The PDF lays each series out at this width in pixels (of 96 per inch) and
// shrinks it onto the A4 page: the report text, its facts and three
// diagrams to a row then keep their proportions on paper.
constexpr int kPdfLayoutWidth = 1250;
// Diagrams in the PDF at two thirds of their pixel size, so that three fit
// a row.
constexpr double kPdfDiagramScale = 2.0 / 3.0;
constexpr int kPdfDiagramColumns = 3;
// The writer's resolution equals the layout's, so that fonts, images and
// the page share one unit; the text stays vector text whatever it is.
constexpr int kPdfResolution = 96;

} // namespace

REPORTDOCUMENTOPTIONS ReportOptionsFromEnvironment() {
    REPORTDOCUMENTOPTIONS options;
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value || !*value)
        return options;
    std::size_t used = 0;
    const double seconds = ParseCDouble(value, &used);
    // Only a whole, non-negative number of seconds is a date.
    if (used == std::char_traits<char>::length(value) && seconds >= 0.0 && seconds < 1e15 &&
        seconds == static_cast<double>(static_cast<long long>(seconds)))
        options.nReportEpoch = static_cast<long long>(seconds);
    return options;
}

REPORTINPUT DescribeReportInput(const std::string& path) {
    REPORTINPUT input;
    input.strName = std::filesystem::path(path).filename().string();
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return input;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return input;
    input.nBytes = static_cast<std::uintmax_t>(file.size());
    input.strSha256 = hash.result().toHex().toStdString();
    return input;
}

std::string ReportFileFilter() {
    std::string filter;
    for (const REPORTFILTER& entry : kReportFilters)
        filter += std::string(entry.pszDescription) + "|*." + entry.pszExtension + "|";
    return filter + "|";
}

REPORTCHOICE ReportChoiceForFilter(int filterIndex, std::string& path) {
    const bool bInRange =
        filterIndex >= 1 && filterIndex <= static_cast<int>(std::size(kReportFilters));
    const REPORTFILTER& filter = kReportFilters[bInRange ? filterIndex - 1 : 0];
    REPORTCHOICE choice{std::string_view(filter.pszExtension) == "pdf", filter.bAllSeries};
    std::string extension = FileExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".pdf")
        choice.bPdf = true;
    else if (extension == ".html" || extension == ".htm")
        choice.bPdf = false;
    else
        path += std::string(".") + filter.pszExtension;
    return choice;
}

bool WriteReport(const std::string& path, bool bPdf, const std::vector<REPORTSERIES>& series,
                 QSize diagramSize, const REPORTDOCUMENTOPTIONS& options, CLogFile& log) {
    return bPdf ? WritePdfReport(path, series, diagramSize, options, log)
                : WriteHtmlReport(path, series, diagramSize, options, log);
}

bool WriteHtmlReport(const std::string& path, const std::vector<REPORTSERIES>& series,
                     QSize diagramSize, const REPORTDOCUMENTOPTIONS& options, CLogFile& log) {
    const std::vector<PREPAREDSERIES> prepared =
        PrepareSeries(series, diagramSize, 1.0, [](std::size_t, std::size_t, const QImage& image) {
            return "data:image/png;base64," + PngBytes(image).toBase64().toStdString();
        });
    std::vector<SERIESREPORTINPUT> inputs;
    for (const PREPAREDSERIES& item : prepared)
        inputs.push_back(item.input);
    const std::string html = BuildHtmlReport(inputs, options);
    return SaveBytes(path, QByteArray::fromStdString(html), "HTML report", log);
}

bool WritePdfReport(const std::string& path, const std::vector<REPORTSERIES>& series,
                    QSize diagramSize, const REPORTDOCUMENTOPTIONS& options, CLogFile& log) {
    const auto resourceName = [](std::size_t nSeries, std::size_t nImage, const QImage&) {
        return FormatC("diagram-%zu-%zu.png", nSeries, nImage);
    };
    const std::vector<PREPAREDSERIES> prepared =
        PrepareSeries(series, diagramSize, kPdfDiagramScale, resourceName);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setTitle("Tessaric - Astigmatism Stability Report");
        writer.setCreator("Tessaric");
        QPainter painter;
        if (!painter.begin(&writer)) {
            log.WriteLine("ERROR: Failed to start the PDF report [" + path + "].");
            return false;
        }
        const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
        for (std::size_t i = 0; i < prepared.size(); ++i) {
            if (i > 0)
                writer.newPage();
            QTextDocument document;
            document.documentLayout()->setPaintDevice(&writer);
            for (std::size_t k = 0; k < prepared[i].diagrams.size(); ++k)
                document.addResource(QTextDocument::ImageResource,
                                     QUrl(QString::fromStdString(resourceName(i, k, {}))),
                                     prepared[i].diagrams[k].image);
            std::string html = BuildSeriesReportHtml(prepared[i].input, kPdfDiagramColumns);
            if (options.nReportEpoch)
                html += "<p>Report of " + UtcDateText(*options.nReportEpoch) + ".</p>";
            document.setHtml(QString::fromStdString(html));
            document.setTextWidth(kPdfLayoutWidth);
            const QSizeF size = document.size();
            // Shrunk to fit the page's width and height, never enlarged.
            const double scale =
                std::min({1.0, page.width() / size.width(), page.height() / size.height()});
            painter.save();
            painter.scale(scale, scale);
            document.drawContents(&painter);
            painter.restore();
        }
        painter.end();
    }
    return SaveBytes(path, bytes, "PDF report", log);
}

bool WriteComparisonHtml(const std::string& path, const std::vector<COMPAREDSERIES>& series,
                         const COMPARISONVERDICT* pVerdict, QSize diagramSize, CLogFile& log) {
    std::vector<REPORTIMAGE> images;
    for (const OverlayImage& overlay : RenderOverlayDiagrams(series, diagramSize))
        images.push_back(
            {overlay.strCaption,
             "data:image/png;base64," + PngBytes(overlay.image).toBase64().toStdString(),
             overlay.image.width(), overlay.image.height()});
    const std::string html = BuildComparisonHtml(series, pVerdict, images);
    return SaveBytes(path, QByteArray::fromStdString(html), "comparison", log);
}
