#include "pages/CDDLogTextDlg.h"

#include "data/CA1TimeSeries.h"
#include "infra/CNumber.h"
#include "pages/IPageHost.h"
#include "report/StabilityReport.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>

namespace {

QString LinesText(const std::vector<std::string>& lines, std::size_t count) {
    QString text;
    for (std::size_t i = 0; i < count && i < lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += QString::fromStdString(lines[i]);
    }
    return text;
}

QString WithoutCarriageReturns(const std::string& text) {
    return QString::fromStdString(text).remove(QLatin1Char('\r'));
}

} // namespace

QFont FixedPitchFont(const std::string& face, int pixelHeight) {
    QFont font(QString::fromStdString(face));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixelHeight);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fallback.setPixelSize(pixelHeight);
    return fallback;
}

CDDLogTextDlg::CDDLogTextDlg(QWidget* parent) : CTessaricPage(parent) {}

QSize CDDLogTextDlg::TemplateSize() const {
    return m_Units.Size(464, 260);
}

void CDDLogTextDlg::Create() {
    auto* fileLabel = new QLabel(QStringLiteral("Log file name:"), this);
    fileLabel->setGeometry(m_Units.Rect(6, 6, 60, 8));
    m_edLogFile = new QLineEdit(this);
    m_edLogFile->setReadOnly(true);
    m_edLogFile->setGeometry(m_Units.Rect(66, 6, 330, 14));
    auto* infoLabel = new QLabel(QStringLiteral("Info:"), this);
    infoLabel->setGeometry(m_Units.Rect(6, 24, 60, 8));
    m_edInfo = new QLineEdit(this);
    m_edInfo->setReadOnly(true);
    m_edInfo->setGeometry(m_Units.Rect(66, 24, 330, 14));
    m_edText = new QPlainTextEdit(this);
    m_edText->setReadOnly(true);
    m_edText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // no block limit: the whole log range stays readable
    m_edText->setMaximumBlockCount(0);
    m_edText->setGeometry(m_Units.Rect(6, 42, 390, 214));
    SetTextFont();
    resize(TemplateSize());
    if (m_nPageType == kSummaryPage) {
        FitReportColumns();
        m_edText->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_edText, &QWidget::customContextMenuRequested, this,
                &CDDLogTextDlg::ShowReportMenu);
    }
}

void CDDLogTextDlg::FitReportColumns() {
    const int margin = 6 * m_Units.Size(1, 1).width();
    const auto needed = [this](const QFont& font) {
        const int frame = 2 * m_edText->frameWidth();
        const int document = 2 * static_cast<int>(m_edText->document()->documentMargin());
        return QFontMetrics(font).horizontalAdvance(QString(kReportColumns, QLatin1Char('M'))) +
               frame + document + m_edText->verticalScrollBar()->sizeHint().width();
    };
    const int widest = width() - 2 * margin;
    QFont font = m_edText->font();
    // the smallest pixel height that still reads; below it the pane scrolls
    constexpr int kSmallestPixelHeight = 8;
    while (needed(font) > widest && font.pixelSize() > kSmallestPixelHeight)
        font.setPixelSize(font.pixelSize() - 1);
    m_edText->setFont(font);
    QRect pane = m_edText->geometry();
    pane.setWidth(std::max(pane.width(), std::min(needed(font), widest)));
    m_edText->setGeometry(pane);
    m_edText->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void CDDLogTextDlg::ShowReportMenu(const QPoint& position) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Copy"), this, &CDDLogTextDlg::OnCopyReport);
    menu.addAction(QStringLiteral("Select &All"), m_edText, &QPlainTextEdit::selectAll);
    menu.addSeparator();
    QAction* save =
        menu.addAction(QStringLiteral("&Save Report As..."), this, &CDDLogTextDlg::OnSaveReport);
    save->setEnabled(m_pSeries && m_pSeries->HasCharFunction());
    menu.exec(m_edText->viewport()->mapToGlobal(position));
}

void CDDLogTextDlg::OnCopyReport() {
    const QString selected = m_edText->textCursor().selectedText();
    // the cursor's selection separates its lines by U+2029
    QGuiApplication::clipboard()->setText(
        selected.isEmpty()
            ? m_edText->toPlainText()
            : QString(selected).replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

void CDDLogTextDlg::OnSaveReport() {
    if (!m_pSeries || !m_pSeries->HasCharFunction() || !m_pHost)
        return;
    FILEDIALOGREQUEST request;
    request.strFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
    request.strDefaultExtension = "txt";
    const auto answer = m_pHost->AskExportPath(this, request, "report");
    if (!answer)
        return;
    m_pSeries->m_pLog = m_pLog;
    // the file holds what the page shows
    SaveStabilityReport(*m_pSeries, answer->strPath, std::string());
}

void CDDLogTextDlg::SetTextFont() {
    m_edText->setFont(FixedPitchFont(m_strFontFace, m_nFontHeight));
}

void CDDLogTextDlg::PutControls() {
    if (!m_edLogFile)
        return;
    m_edLogFile->setText(QString::fromStdString(m_strLogFile));
    m_edInfo->setText(QString::fromStdString(m_strInfo));
}

void CDDLogTextDlg::ShowSeries(CA1TimeSeries* series) {
    if (!series) {
        LogDebug("Initializing log text data display without data.");
        m_strLogFile = "Unknown.";
        m_strInfo = "No data.";
        m_Shown = {};
        if (m_edText)
            m_edText->clear();
        PutControls();
        return;
    }
    LogDebug("Initializing log text data display with data.");
    const bool bSameSeries = m_pSeries == series;
    m_pSeries = series;
    m_strLogFile = series->m_strFileName;
    if (m_nPageType == kLogTextPage) {
        m_strInfo = GetLogTextHeadline(*series);
        if (m_edText)
            ShowLogLines(*series, bSameSeries);
    } else {
        m_strInfo = GetReportHeadline(*series);
        m_Shown = {};
        if (m_edText)
            m_edText->setPlainText(WithoutCarriageReturns(BuildStabilityReport(*series)));
    }
    PutControls();
}

// The scroll position survives only for the series shown before; a line
// range without stored lines (which no reader produces) shows "No data."
// rather than reading past the lines.
void CDDLogTextDlg::ForgetSeries() {
    CTessaricPage::ForgetSeries();
    // the list changed: another series may now live where this one did
    m_Shown = {};
}

void CDDLogTextDlg::ShowLogLines(const CA1TimeSeries& series, bool bSameSeries) {
    const SHOWNLINES shown{&series, series.m_LogLines.size(), series.m_nFirstLine,
                           series.m_nLastLine};
    // a series' lines never change while it lives in the list; the text and
    // its scroll position stay as they are
    if (bSameSeries && shown == m_Shown)
        return;
    m_Shown = shown;
    QScrollBar* bar = m_edText->verticalScrollBar();
    const int position = bar->value();
    const std::int64_t lines =
        static_cast<std::int64_t>(series.m_nLastLine) - series.m_nFirstLine + 1;
    if (lines <= 0 || series.m_LogLines.empty()) {
        m_edText->setPlainText(QStringLiteral("No data."));
        bar->setValue(0);
        return;
    }
    const std::size_t count = lines == 1 ? 1 : series.m_LogLines.size();
    m_edText->setPlainText(LinesText(series.m_LogLines, count));
    bar->setValue(bSameSeries ? std::min(position, bar->maximum()) : 0);
}
