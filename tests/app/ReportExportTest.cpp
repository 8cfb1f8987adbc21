#include "app/MainMenu.h"
#include "app/WindowTestSupport.h"

#include <QAction>

#include <gtest/gtest.h>

namespace {

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// The save dialog's filter chooses the format and the series; a name of its
// own extension keeps it; Cancel writes nothing.
TEST(ReportExport, FilterChoosesFormatAndSeries) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    EXPECT_FALSE(w.Commands().IsEnabled(ID_FILE_EXPORT_REPORT));
    t.Import("c1a1_two_recordings.log");
    ASSERT_EQ(w.m_SeriesList.size(), 2u);
    TempDir out;
    struct CASE {
        std::string strName;
        int nFilter;
        std::string strWritten;
        std::size_t nSeries; // sections of the HTML, pages of the PDF
    };
    const CASE cases[] = {
        {"all", 2, "all.html", 2},
        {"current", 1, "current.html", 1},
        {"current", 3, "current.pdf", 1},
        {"every.pdf", 2, "every.pdf", 2},
    };
    for (const CASE& c : cases) {
        t.dialogs.saveAnswers.push_back(FILEDIALOGRESULT{out.File(c.strName), c.nFilter});
        w.CommandAction(ID_FILE_EXPORT_REPORT)->trigger();
        const std::string bytes = ReadFileBytes(out.File(c.strWritten));
        if (c.strWritten.ends_with(".pdf")) {
            EXPECT_TRUE(bytes.starts_with("%PDF")) << c.strWritten;
            EXPECT_EQ(Count(bytes, "/Type /Page\n"), c.nSeries) << c.strWritten;
        } else {
            EXPECT_EQ(Count(bytes, "<h2>Series "), c.nSeries) << c.strWritten;
        }
    }
    ASSERT_EQ(t.dialogs.saveRequests.size(), 4u);
    EXPECT_EQ(t.dialogs.saveRequests[0].strFilter.substr(0, 45),
              "HTML Report of the Current Series (*.html)|*.");
    const std::size_t files = FilesIn(out.Path());
    w.CommandAction(ID_FILE_EXPORT_REPORT)->trigger();
    EXPECT_EQ(FilesIn(out.Path()), files);
}
