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
    QSize TemplateSize() const override;

    // The data exchange: the two strings to their fields.
    void PutControls();

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
    void ShowLogLines(const CA1TimeSeries& series, bool bSameSeries);
};

// The fixed-pitch text font: `face` at `pixelHeight`, or the system's
// fixed-pitch font at that height when `face` is not installed.
QFont FixedPitchFont(const std::string& face, int pixelHeight);
