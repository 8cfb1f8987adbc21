#include "app/CCompareSeriesDlg.h"

#include "data/CA1SeriesList.h"
#include "diagram/DiagramImage.h"
#include "diagram/OverlayDiagram.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"
#include "pages/IUserDialogs.h"
#include "report/ComparisonReport.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace {

// Each overlay at the diagram window's size; shown at half of it side by
// side, saved whole.
constexpr int kShownDivisor = 2;

std::string SeriesLabel(const CA1TimeSeries& series, std::size_t index) {
    return std::filesystem::path(series.m_strFileName).filename().string() +
           FormatC(", series %03zu", index + 1);
}

} // namespace

CCompareSeriesDlg::CCompareSeriesDlg(CA1SeriesList& series, int nCurrent, IUserDialogs& dialogs,
                                     CLogFile& log, QWidget* parent)
    : QDialog(parent), m_Series(series), m_Dialogs(dialogs), m_Log(log) {
    setWindowTitle(QStringLiteral("Compare Series"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_lstSeries = new QListWidget(this);
    for (std::size_t i = 0; i < series.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(SeriesLabel(series[i], i)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(static_cast<int>(i) == nCurrent ? Qt::Checked : Qt::Unchecked);
        m_lstSeries->addItem(item);
    }
    top->addWidget(m_lstSeries, 1);
    m_edTable = new QPlainTextEdit(this);
    m_edTable->setReadOnly(true);
    m_edTable->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edTable->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    top->addWidget(m_edTable, 3);
    layout->addLayout(top);
    auto* diagrams = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        m_Diagrams.push_back(new QLabel(this));
        m_Diagrams.back()->setMinimumSize(DefaultDiagramSize() / kShownDivisor);
        diagrams->addWidget(m_Diagrams.back());
    }
    layout->addLayout(diagrams);
    auto* buttons = new QHBoxLayout;
    m_btCompare = new QPushButton(QStringLiteral("Compare"), this);
    m_btExport = new QPushButton(QStringLiteral("Export Diagrams..."), this);
    m_btExport->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(m_btCompare);
    buttons->addWidget(m_btExport);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_btCompare, &QPushButton::clicked, this, &CCompareSeriesDlg::OnCompare);
    connect(m_btExport, &QPushButton::clicked, this, &CCompareSeriesDlg::OnExportDiagrams);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void CCompareSeriesDlg::OnCompare() {
    std::vector<COMPAREDSERIES> compared;
    for (int i = 0; i < m_lstSeries->count(); ++i)
        if (m_lstSeries->item(i)->checkState() == Qt::Checked)
            compared.push_back(
                {SeriesLabel(m_Series[static_cast<std::size_t>(i)], static_cast<std::size_t>(i)),
                 &m_Series[static_cast<std::size_t>(i)], nullptr});
    m_Overlays.clear();
    for (OverlayImage& overlay : RenderOverlayDiagrams(compared, DefaultDiagramSize()))
        m_Overlays.emplace_back(overlay.strSuffix, std::move(overlay.image));
    std::string text = BuildComparisonText(compared, nullptr);
    if (compared.size() == 2)
        text += "\nThe verdict on the model lifetimes rests on their bootstraps: "
                "tessaric-cli compare computes them.\n";
    m_edTable->setPlainText(QString::fromStdString(text));
    for (std::size_t i = 0; i < m_Diagrams.size(); ++i)
        m_Diagrams[i]->setPixmap(i < m_Overlays.size()
                                     ? QPixmap::fromImage(m_Overlays[i].second.scaled(
                                           DefaultDiagramSize() / kShownDivisor,
                                           Qt::KeepAspectRatio, Qt::SmoothTransformation))
                                     : QPixmap());
    m_btExport->setEnabled(!m_Overlays.empty());
}

void CCompareSeriesDlg::OnExportDiagrams() {
    FILEDIALOGREQUEST request;
    request.strFilter = ImageFileFilter();
    request.nFilterIndex = kDefaultImageFilterIndex;
    const std::optional<FILEDIALOGRESULT> answer = m_Dialogs.SaveFile(this, request);
    if (!answer)
        return;
    // Each overlay gets its suffix in place of the chosen name's extension,
    // in the chosen format.
    std::filesystem::path chosen(answer->strPath);
    std::string extension = chosen.extension().string();
    if (extension.empty()) {
        const char* filterExtension = ImageExtensionForFilter(answer->nFilterIndex);
        extension = std::string(".") + (filterExtension ? filterExtension : "png");
    }
    const std::string stem = (chosen.parent_path() / chosen.stem()).string();
    for (const auto& [suffix, image] : m_Overlays) {
        const std::string path = stem + suffix.substr(0, suffix.rfind('.')) + extension;
        m_Log.WriteLine(SaveDiagramImage(image, path)
                            ? "Diagram image saved to file [" + path + "]."
                            : "ERROR: Failed to save the diagram image [" + path + "].");
    }
}
