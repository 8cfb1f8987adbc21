#pragma once

#include "pages/CTessaricPage.h"

#include <QFont>

class QLineEdit;
class QPlainTextEdit;

// The pages "Log Text" (the lines of the log that a series came from) and
// "Summary" (the series' stability report), told apart by the page type.
class CDDLogTextDlg : public CTessaricPage {
    Q_OBJECT

public:
    static constexpr std::int32_t kLogTextPage = 1;
    static constexpr std::int32_t kSummaryPage = 2;

    explicit CDDLogTextDlg(QWidget* parent = nullptr);

    // Builds the controls; the page type must be set before.
    void Create();

    void ShowSeries(CA1TimeSeries* series) override;
    void ForgetSeries() override;
    QSize TemplateSize() const override;

    // The data exchange: the two strings to their fields.
    void PutControls();

    // "Summary" only: the report into a text file chosen by the user, and
    // the selection (or, without one, the whole report) to the clipboard.
    void OnSaveReport();
    void OnCopyReport();
    // The report's width in columns, which "Summary" shows without
    // scrolling sideways.
    static constexpr int kReportColumns = 79;

    std::string m_strFontFace = "Courier New";
    std::int32_t m_nFontHeight = 14;
    std::string m_strLogFile;
    std::string m_strInfo;
    std::int32_t m_nPageType = kLogTextPage;

    QLineEdit* m_edLogFile = nullptr;
    QLineEdit* m_edInfo = nullptr;
    QPlainTextEdit* m_edText = nullptr;

private:
    void SetTextFont();
    // "Summary": the text pane as wide as the report's columns need, up to
    // the page's width; a smaller font only where even that is too narrow.
    void FitReportColumns();
    void ShowReportMenu(const QPoint& position);
    void ShowLogLines(const CA1TimeSeries& series, bool bSameSeries);

    // Which lines the text holds: a log of a million lines costs seconds
    // and a gigabyte to set again, so the same lines are never set twice.
    struct SHOWNLINES {
        const CA1TimeSeries* pSeries = nullptr;
        std::size_t nLines = 0;
        std::int32_t nFirstLine = 0;
        std::int32_t nLastLine = 0;
        bool operator==(const SHOWNLINES&) const = default;
    };
    SHOWNLINES m_Shown;
};

// The fixed-pitch text font: `face` at `pixelHeight`, or the system's
// fixed-pitch font at that height when `face` is not installed.
QFont FixedPitchFont(const std::string& face, int pixelHeight);
