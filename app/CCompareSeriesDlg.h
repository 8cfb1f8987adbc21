#pragma once

#include <QDialog>
#include <QImage>

#include <string>
#include <vector>

class CA1SeriesList;
class CLogFile;
class IUserDialogs;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// "Compare Series": a check box per imported series; Compare shows the
// table of their parameters and lifetimes and f(t) and P(a,t) of all of
// them overlaid, which Export Diagrams... saves like any diagram. The
// window computes no bootstrap, so the two-series verdict, which rests on
// one, comes from tessaric-cli compare.
class CCompareSeriesDlg : public QDialog {
    Q_OBJECT

public:
    CCompareSeriesDlg(CA1SeriesList& series, int nCurrent, IUserDialogs& dialogs, CLogFile& log,
                      QWidget* parent = nullptr);

    void OnCompare();
    void OnExportDiagrams();

    QListWidget* m_lstSeries = nullptr;
    QPushButton* m_btCompare = nullptr;
    QPushButton* m_btExport = nullptr;
    QPlainTextEdit* m_edTable = nullptr;
    std::vector<QLabel*> m_Diagrams;

    // The overlays of the last comparison with their file suffixes.
    std::vector<std::pair<std::string, QImage>> m_Overlays;

private:
    CA1SeriesList& m_Series;
    IUserDialogs& m_Dialogs;
    CLogFile& m_Log;
};
