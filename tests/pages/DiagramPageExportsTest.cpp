#include "pages/CDDA1TimeDiagramDlg.h"
#include "pages/CDDCFuncDiagramDlg.h"
#include "pages/CDDModelDiagramDlg.h"
#include "pages/CProbabilityMapDlg.h"

#include "diagram/DiagramImage.h"
#include "evaluation/SeriesEvaluation.h"
#include "pages/PageTestSupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>

#include <cstdlib>

namespace {

const std::string kExample = std::string(TESSARIC_FIXTURE_DIR) + "/../../examples/c1a1_example.log";

// What tessaric-cli --out writes for the example's first series with the
// same seed as the window's evaluation below, its diagrams at `size`.
std::string RunCliOut(const TempDir& dir, QSize size) {
    const char* cli = std::getenv("TESSARIC_CLI");
    if (!cli) {
        ADD_FAILURE() << "TESSARIC_CLI is not set; run the test through ctest";
        return {};
    }
    const std::string out = dir.File("cli");
    const std::string command = std::string(cli) + " evaluate --quiet --seed 1 --series 1 --size " +
                                std::to_string(size.width()) + "x" + std::to_string(size.height()) +
                                " --out '" + out + "' '" + kExample + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return out + "/c1a1_example-s001-";
}

class DiagramPageExports : public PageTest {
protected:
    CA1TimeSeries& EvaluatedSeries() {
        CA1TimeSeries& series = ExampleSeries();
        EvaluateSeries(series, EvaluationInputsFrom(params), true, 1);
        return series;
    }
    void AnswerSave(const std::string& path, int nFilterIndex = 1) {
        host.dialogs.saveAnswers.push_back(FILEDIALOGRESULT{path, nFilterIndex});
    }
};

} // namespace

TEST_F(DiagramPageExports, EveryExportOfEveryPageMatchesTheCommandLineFiles) {
    TempDir dir;
    CDDA1TimeDiagramDlg timePage;
    CDDCFuncDiagramDlg cfuncPage;
    CDDModelDiagramDlg modelPage;
    CDDModelDiagramDlg probPage;
    probPage.m_wndDiagram.Style().m_nType = ProbabilityPlot;
    struct CASE {
        CDiagramPage* page;
        const char* kind;
        const char* tableSaved;
        const char* binarySaved;
        const char* imageSuffix;
    };
    const CASE cases[] = {
        {&timePage, "time", "Astigmatism-time data table saved to file [",
         "Binary astigmatism-time data saved to file [", "a22-time"},
        {&cfuncPage, "cfunc", "Characteristic function data table saved to file [",
         "Binary characteristic data saved to file [", "cfunc"},
        {&modelPage, "model", "Model data table saved to file [",
         "Binary model data saved to file [", "model"},
        {&probPage, "prob", "Probability data table saved to file [",
         "Binary probability data saved to file [", "prob"},
    };
    for (const CASE& c : cases)
        Attach(*c.page);
    // The diagram's size follows the dialog font; the command line draws at
    // the size it is given.
    const std::string cliStem = RunCliOut(dir, timePage.m_wndDiagram.Bitmap().size());
    CA1TimeSeries& series = EvaluatedSeries();
    for (const CASE& c : cases) {
        c.page->ShowSeries(&series);
        const std::string stem = dir.File(c.kind);
        AnswerSave(stem + ".txt");
        AnswerSave(stem + ".dat");
        AnswerSave(stem, kDefaultImageFilterIndex); // no extension: the filter's
        c.page->OnExportDataTable();
        c.page->OnExportBinaryData();
        c.page->OnExportImage();
        EXPECT_EQ(ReadFileBytes(stem + ".txt"), ReadFileBytes(cliStem + c.kind + ".txt")) << c.kind;
        EXPECT_EQ(ReadFileBytes(stem + ".dat"), ReadFileBytes(cliStem + c.kind + ".dat")) << c.kind;
        EXPECT_TRUE(capture.Has(c.tableSaved + stem + ".txt]."));
        EXPECT_TRUE(capture.Has(c.binarySaved + stem + ".dat]."));
        EXPECT_TRUE(capture.Has("Diagram image saved to file [" + stem + ".png]."));
        const QImage image(QString::fromStdString(stem + ".png"));
        const QImage cliImage(QString::fromStdString(cliStem + c.imageSuffix + ".png"));
        EXPECT_EQ(image.size(), c.page->m_wndDiagram.Bitmap().size());
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  cliImage.convertToFormat(QImage::Format_RGB32))
            << c.kind;
    }
    ASSERT_EQ(host.dialogs.saveRequests.size(), 12u);
    const FILEDIALOGREQUEST& table = host.dialogs.saveRequests[0];
    EXPECT_EQ(table.strFilter, "Text Data Table  (*.txt)|*.txt|All Files  (*.*)|*.*||");
    EXPECT_EQ(table.strDefaultExtension, "txt");
    EXPECT_EQ(table.nFilterIndex, 1);
    const FILEDIALOGREQUEST& binary = host.dialogs.saveRequests[1];
    EXPECT_EQ(binary.strFilter, "Binary Data  (*.dat)|*.dat|All Files  (*.*)|*.*||");
    EXPECT_EQ(binary.strDefaultExtension, "dat");
    const FILEDIALOGREQUEST& image = host.dialogs.saveRequests[2];
    EXPECT_EQ(image.nFilterIndex, 2);
    for (const FILEDIALOGREQUEST& request : host.dialogs.saveRequests) {
        EXPECT_TRUE(request.bOverwritePrompt);
        EXPECT_TRUE(request.strInitialFolder.empty());
    }
}

TEST_F(DiagramPageExports, FailedCancelledOrUnreadyExportsSayWhyAndKeepWhatWasThere) {
    TempDir dir;
    CDDCFuncDiagramDlg page;
    Attach(page);
    CA1TimeSeries bare = ExampleSeries(); // no characteristic function yet
    bare.m_pLog = &capture.log;
    page.ShowSeries(&bare);
    const std::string existing = dir.File("kept.txt");
    WriteFileBytes(existing, "earlier");
    AnswerSave(existing);
    page.OnExportDataTable();
    EXPECT_EQ(ReadFileBytes(existing), "earlier");
    EXPECT_TRUE(capture.Has("ERROR: Failed to save data table."));

    capture.Clear();
    AnswerSave(dir.File("missing/folder/x.dat"));
    page.OnExportBinaryData();
    EXPECT_TRUE(capture.Has("ERROR: Failed to save binary data."));

    capture.Clear();
    AnswerSave(dir.File("picture.xyz"));
    page.OnExportImage();
    EXPECT_EQ(capture.Lines(),
              std::vector<std::string>{"ERROR: Failed to save the diagram image."});

    // Cancelled: nothing said; hidden: not even asked.
    capture.Clear();
    page.OnExportImage();
    EXPECT_TRUE(capture.Lines().empty());
    const std::size_t asked = host.dialogs.saveRequests.size();
    page.hide();
    page.OnExportDataTable();
    EXPECT_EQ(host.dialogs.saveRequests.size(), asked);
}

TEST_F(DiagramPageExports, ContextMenuOpensOnlyForTheMouseInsideTheDiagram) {
    CDDA1TimeDiagramDlg page;
    Attach(page);
    page.ShowSeries(&ExampleSeries());
    QWidget& diagram = page.m_wndDiagram;
    const QPoint inside(20, 20);
    QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, inside, diagram.mapToGlobal(inside));
    QApplication::sendEvent(&diagram, &keyboard);
    EXPECT_FALSE(page.ContextMenu()->isVisible());
    EXPECT_FALSE(page.OnContextMenu(&diagram, diagram.mapToGlobal(QPoint(-5, 5))));
    EXPECT_FALSE(page.OnContextMenu(&page, page.mapToGlobal(inside)));

    QContextMenuEvent mouse(QContextMenuEvent::Mouse, inside, diagram.mapToGlobal(inside));
    QApplication::sendEvent(&diagram, &mouse);
    QMenu* menu = page.ContextMenu();
    ASSERT_TRUE(menu->isVisible());
    QStringList texts;
    for (QAction* action : menu->actions())
        if (action->isVisible())
            texts << action->text();
    // "Show Map" belongs to the probability plot alone.
    EXPECT_EQ(texts, (QStringList{"Export Image", "Export Data Table", "Export Binary Data"}));
    TempDir dir;
    AnswerSave(dir.File("t.txt"));
    menu->actions()[1]->trigger();
    menu->hide();
    EXPECT_FALSE(ReadFileBytes(dir.File("t.txt")).empty());
    EXPECT_TRUE(capture.HasPrefix("Astigmatism-time data table saved to file ["));
}

TEST_F(DiagramPageExports, ShowMapOpensTheProbabilityMapOfTheSeries) {
    CDDModelDiagramDlg page;
    page.m_wndDiagram.Style().m_nType = ProbabilityPlot;
    Attach(page);
    page.ShowSeries(&EvaluatedSeries());
    const QPoint inside(20, 20);
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, inside,
                            page.m_wndDiagram.mapToGlobal(inside));
    QApplication::sendEvent(&page.m_wndDiagram, &mouse);
    QAction* showMap = page.ContextMenu()->actions().back();
    EXPECT_EQ(showMap->text(), "Show Map");
    ASSERT_TRUE(showMap->isVisible() && showMap->isEnabled());
    showMap->trigger();
    page.ContextMenu()->hide();
    auto* map = page.findChild<CProbabilityMapDlg*>();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->DiagramWindow().Style().m_nType, ProbabilityMap);
    EXPECT_EQ(map->DiagramWindow().Bitmap().size(), page.m_wndDiagram.Bitmap().size());

    TempDir dir;
    AnswerSave(dir.File("map.png"), kDefaultImageFilterIndex);
    map->OnExportImage();
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("map.png"))).size(),
              page.m_wndDiagram.Bitmap().size());
    map->close();
}
