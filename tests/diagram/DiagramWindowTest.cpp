#include "diagram/CA1DiagramWnd.h"
#include "diagram/DiagramImage.h"
#include "infra/CLogFile.h"
#include "infra/CSafeFileWriter.h"
#include "support/TestSupport.h"
#include "tests/diagram/DiagramTestSupport.h"

#include <QImageReader>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class DiagramWindow : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
};

bool AllPixels(const QImage& image, QRect area, QRgb rgb) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != rgb)
                return false;
    return true;
}

CA1TimeSeries SomeSamples() {
    return SeriesWithSamples(2.0, {{1, -1.0, 0.5}, {2, 0.5, 1.5}, {3, 1.0, 0.0}, {4, 0.2, 2.0}});
}

} // namespace

TEST_F(DiagramWindow, BitmapIsTheClientAreaInsideTheEdge) {
    CA1DiagramWnd window;
    EXPECT_FALSE(window.IsCreated());
    CA1TimeSeries series = SomeSamples();
    EXPECT_FALSE(window.DrawSeries(&series)); // not created yet

    ASSERT_TRUE(window.Create("Astigmatism Diagrams", 5001, QRect(6, 42, 392, 212), nullptr));
    EXPECT_EQ(window.Bitmap().size(), QSize(390, 210));
    EXPECT_EQ(window.Style().m_nWidth, 390);
    EXPECT_EQ(window.Style().m_nHeight, 210);
    const PlotRect& rc = window.Style().m_rcPlot;
    EXPECT_EQ(rc.left, 8);
    EXPECT_EQ(rc.top, 8);
    EXPECT_EQ(rc.right, 382);
    EXPECT_EQ(rc.bottom, 202);
    EXPECT_EQ(window.ControlId(), 5001);
    EXPECT_FALSE(window.Create("again", 5001, QRect(0, 0, 100, 100), nullptr));

    CA1DiagramWnd tiny;
    EXPECT_FALSE(tiny.Create("tiny", 1, QRect(0, 0, 2, 40), nullptr));
    EXPECT_FALSE(tiny.IsCreated());
}

TEST_F(DiagramWindow, FreshWindowPaintsBlackAndPaintingNeverRenders) {
    CA1DiagramWnd window;
    ASSERT_TRUE(window.Create("Characteristic Function", 5002, QRect(0, 0, 392, 212), nullptr));
    const QRect client(1, 1, 390, 210);
    EXPECT_TRUE(AllPixels(window.grab().toImage(), client, qRgb(0, 0, 0)));

    CA1TimeSeries series = SomeSamples();
    EXPECT_TRUE(window.DrawSeries(&series));
    const QImage drawn = window.grab().toImage();
    EXPECT_EQ(drawn.copy(client).convertToFormat(QImage::Format_RGB32), window.Bitmap());

    // A new type shows only after the next DrawSeries.
    window.Style().m_nType = A22Plane;
    EXPECT_EQ(window.grab().toImage(), drawn);
    EXPECT_FALSE(window.DrawSeries(nullptr));
}

TEST_F(DiagramWindow, DrawsWithThePlotRectangleFixedAtCreation) {
    CA1DiagramWnd window;
    ASSERT_TRUE(window.Create("Astigmatism Diagrams", 5001, QRect(0, 0, 122, 82), nullptr));
    window.Style().m_nBorder = 30; // only read when the bitmap is made
    window.Style().m_nFontHeight = 0;
    window.Style().m_nType = 7;
    CA1TimeSeries series = SomeSamples();
    EXPECT_TRUE(window.DrawSeries(&series));
    // The outer frame lies one pixel outside (8, 8, 112, 72).
    EXPECT_EQ(window.Bitmap().pixel(7, 7), qRgb(0, 0, 0));
    EXPECT_EQ(window.Bitmap().pixel(113, 73), qRgb(0, 0, 0));
    EXPECT_EQ(window.Bitmap().pixel(29, 29), qRgb(255, 255, 255));
}

TEST_F(DiagramWindow, SeriesWithoutSamplesLeavesAWhiteBitmap) {
    CA1DiagramWnd window;
    ASSERT_TRUE(window.Create("Astigmatism Diagrams", 5001, QRect(0, 0, 102, 82), nullptr));
    CA1TimeSeries empty;
    EXPECT_FALSE(window.DrawSeries(&empty));
    EXPECT_TRUE(AllPixels(window.Bitmap(), QRect(0, 0, 100, 80), qRgb(255, 255, 255)));
}

TEST_F(DiagramWindow, DefaultSizeComesFromThePlaceholderInDialogUnits) {
    EXPECT_EQ(DialogUnitsToPixels(390, 210), QSize(585, 341));
    EXPECT_EQ(DefaultDiagramSize(), QSize(583, 339));
    EXPECT_TRUE(CreateDiagramBitmap({0, 10}).isNull());
}

TEST_F(DiagramWindow, SavesTheFourFormatsByExtension) {
    TempDir dir;
    CA1DiagramWnd window;
    ASSERT_TRUE(window.Create("Model Function", 5003, QRect(0, 0, 392, 212), nullptr));
    CA1TimeSeries series = SomeSamples();
    window.DrawSeries(&series);
    const std::pair<const char*, const char*> cases[] = {
        {"diagram.jpg", "jpeg"}, {"diagram.png", "png"}, {"diagram.tif", "tiff"},
        {"diagram.bmp", "bmp"},  {"upper.PNG", "png"},   {"mixed.JpEg", "jpeg"},
        {"long.tiff", "tiff"}};
    for (const auto& [name, format] : cases) {
        const std::string path = dir.File(name);
        ASSERT_TRUE(window.SaveImage(path)) << name;
        // The format as the file's content tells it, not its name.
        QImageReader reader(QString::fromStdString(path));
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), QByteArray(format)) << name;
        EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(390, 210)) << name;
    }
    // Lossless formats keep every pixel.
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("diagram.png")))
                  .convertToFormat(QImage::Format_RGB32),
              window.Bitmap());
}

TEST_F(DiagramWindow, ExportTakesTheFilterExtensionOnlyForNamesWithoutOne) {
    EXPECT_EQ(ImageFileFilter(), "JPEG Format  (*.jpg)|*.jpg|"
                                 "Portable Network Graphics  (*.png)|*.png|"
                                 "Tagged Image File Format  (*.tif)|*.tif|"
                                 "Uncompressed Bitmap  (*.bmp)|*.bmp||");
    EXPECT_STREQ(ImageExtensionForFilter(kDefaultImageFilterIndex), "png");
    EXPECT_EQ(FileExtension("/some.dir/diagram"), "");
    EXPECT_EQ(FileExtension("/dir/diagram."), ".");
    EXPECT_EQ(FileExtension("/dir/.bmp"), ".bmp");

    TempDir dir;
    CLogFile log;
    std::vector<std::string> records;
    log.SetSink([&records](const std::string& line) { records.push_back(line); });
    CA1DiagramWnd window;
    ASSERT_TRUE(window.Create("Model Function", 5003, QRect(0, 0, 392, 212), nullptr));
    const auto lastRecordIs = [&records](const std::string& text) {
        return !records.empty() && records.back().size() >= text.size() &&
               records.back().compare(records.back().size() - text.size(), text.size(), text) == 0;
    };

    struct Case {
        const char* szTyped;
        int nFilter;
        const char* szSaved;
        const char* szFormat;
    };
    for (const Case& c :
         {Case{"diagram", 2, "diagram.png", "png"}, Case{"photo", 1, "photo.jpg", "jpeg"},
          Case{"scan", 3, "scan.tif", "tiff"}, Case{"raw", 4, "raw.bmp", "bmp"},
          Case{"typed.bmp", 2, "typed.bmp", "bmp"}, Case{"other.PNG", 9, "other.PNG", "png"}}) {
        ASSERT_TRUE(ExportDiagramImage(window, dir.File(c.szTyped), c.nFilter, &log)) << c.szTyped;
        EXPECT_TRUE(lastRecordIs("Diagram image saved to file [" + dir.File(c.szSaved) + "]."));
        QImageReader reader(QString::fromStdString(dir.File(c.szSaved)));
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), QByteArray(c.szFormat)) << c.szTyped;
    }

    EXPECT_FALSE(ExportDiagramImage(window, dir.File("diagram.xyz"), 2, &log));
    EXPECT_TRUE(lastRecordIs("ERROR: Failed to save the diagram image."));
    for (const int filter : {0, 5}) {
        EXPECT_FALSE(ExportDiagramImage(window, dir.File("unknown"), filter, &log));
        EXPECT_TRUE(lastRecordIs("ERROR: Aborted saving the diagram image. Invalid image format."));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("unknown")));
    const std::size_t recordCount = records.size();
    EXPECT_TRUE(ExportDiagramImage(window, dir.File("quiet"), 2, nullptr));
    EXPECT_TRUE(std::filesystem::exists(dir.File("quiet.png")));
    EXPECT_EQ(records.size(), recordCount);
}

TEST_F(DiagramWindow, UnknownExtensionsAndWriteErrorsFail) {
    TempDir dir;
    const QImage bitmap = CreateDiagramBitmap({40, 30});
    EXPECT_FALSE(SaveDiagramImage(bitmap, dir.File("diagram.xyz")));
    EXPECT_FALSE(SaveDiagramImage(bitmap, dir.File("diagram")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("diagram.xyz")));
    EXPECT_FALSE(SaveDiagramImage(bitmap, dir.File("missing/diagram.png")));
    EXPECT_FALSE(SaveDiagramImage(QImage(), dir.File("null.png")));
    CA1DiagramWnd uncreated;
    EXPECT_FALSE(uncreated.SaveImage(dir.File("uncreated.png")));

    // A write that fails halfway leaves the earlier file as it was.
    const std::string path = dir.File("kept.bmp");
    ASSERT_TRUE(SaveDiagramImage(bitmap, path));
    const std::string before = ReadFileBytes(path);
    QImage white = bitmap;
    white.fill(QColor(255, 255, 255));
    CSafeFileWriter::SetWriteLimitForTesting(100);
    EXPECT_FALSE(SaveDiagramImage(white, path));
    CSafeFileWriter::SetWriteLimitForTesting(std::nullopt);
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(DiagramWindow, WritesTheDiagramsThatHaveData) {
    TempDir dir;
    CA1TimeSeries series = SomeSamples();
    const std::string prefix = dir.File("run-s001");
    const DiagramFiles samplesOnly = WriteSeriesDiagrams(series, prefix, {200, 120});
    EXPECT_EQ(samplesOnly.written,
              (std::vector<std::string>{prefix + "-a22-time.png", prefix + "-a22-plane.png"}));
    EXPECT_TRUE(samplesOnly.failed.empty());
    EXPECT_FALSE(std::filesystem::exists(prefix + "-cfunc.png"));

    AddCharFunctionAndModel(series, 10, 0.5);
    EXPECT_EQ(WriteSeriesDiagrams(series, prefix, {200, 120}).written.size(), 6u);
    for (const char* suffix :
         {"-a22-time.png", "-cfunc.png", "-model.png", "-prob.png", "-pmap.png"})
        EXPECT_EQ(QImage(QString::fromStdString(prefix + suffix)).size(), QSize(200, 120));

    const DiagramFiles nowhere = WriteSeriesDiagrams(series, dir.File("nowhere/x"), {50, 40});
    EXPECT_TRUE(nowhere.written.empty());
    EXPECT_EQ(nowhere.failed.size(), 6u);
}
