#pragma once

#include "app/CCommandRouter.h"
#include "data/CA1SeriesList.h"
#include "diagram/DialogUnits.h"
#include "infra/CProgramSession.h"
#include "pages/CAnchoredLayout.h"
#include "pages/IPageHost.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <map>
#include <string>
#include <vector>

class CBackgroundRunner;
class CDDA1TimeDiagramDlg;
class CDDCFuncDiagramDlg;
class CDDLogTextDlg;
class CDDModelDiagramDlg;
class CTessaricPage;
class IProfileStore;
class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

// The main window: series selector, Import / Delete / Delete All, the tab
// control with the six pages of the current series, and the message-log
// pane. It owns the program session (log and parameters) and the series.
class CTessaricDlg : public QDialog, public IPageHost {
    Q_OBJECT

public:
    // Starts the program session (data folder, log, "Setup.prm", profile)
    // and builds the window. `profile` may be null; `dialogs` must outlive
    // the window.
    CTessaricDlg(const std::string& dataFolder, const std::string& arguments,
                 IProfileStore* profile, IUserDialogs& dialogs, QWidget* parent = nullptr);
    ~CTessaricDlg() override;

    // --- the data exchange: controls into members, members into controls
    void TakeControls();
    void PutControls() override;

    void RefreshSeriesList();
    void RefreshTabs() override;
    void ShowNewLogRecords() override { FeedPane(); }
    void ShowCurrentPage();
    IUserDialogs& Dialogs() override { return m_Dialogs; }
    CBackgroundRunner* Runner() override { return m_pRunner; }
    // Opens in the folder of the last export (kept in the user's profile)
    // with the name "<log stem>-s<NNN>-<kind>" proposed.
    std::optional<FILEDIALOGRESULT> AskExportPath(QWidget* owner, FILEDIALOGREQUEST request,
                                                  const char* pszKind) override;

    // The current series with the first-element fall-back; null for none.
    CA1TimeSeries* CurrentSeries();
    // Hands the current series to `page` unless the page holds it already,
    // so that a command never reaches a page with a stale series.
    void HandCurrentSeriesTo(CTessaricPage& page);

    // --- handlers
    void OnSelchangeSeries();
    void OnSelchangeTab();
    // Ctrl+Tab, Ctrl+PgDown (+1) and Ctrl+Shift+Tab, Ctrl+PgUp (-1): the
    // next or previous tab, round the end.
    void SwitchTab(int nStep);
    void OnImportLog();
    void OnDelete();
    void OnDeleteAll();
    void OnTimer();
    // The pane's part of the timer: the log's new records into the pane.
    void FeedPane();
    void OnQuit();
    void OnProgramParameters();
    void OnAbout();
    void OnDisclaimer();
    // Imports logs named on the command line or dropped on the window, each
    // with the reader its content calls for.
    void OpenFiles(const std::vector<std::string>& paths);

    // The six pages in the order Log Text, Summary, A22-time,
    // characteristic function, fitted model, probability plot.
    std::array<CTessaricPage*, 6> Pages() const;

    // Selects tab `nPage` without storing it as the series' tab (Probability
    // Plot and Evaluation Summary) and shows its page.
    void SelectTab(std::int32_t nPage);

    // The window's commands; the menu and the accelerators run them.
    CCommandRouter& Commands() { return m_Commands; }
    QAction* CommandAction(int nCommand) const;

    const CDialogUnits& Units() const { return m_Units; }
    // The client area in pixels, without the menu bar.
    QSize ClientSize() const;

    // The members of the window's state.
    std::string m_strDataFolder;
    std::int32_t m_nCurSeries = 0;
    std::int32_t m_nCurPage = -1;
    CProgramSession m_Session;
    CLogFile& m_Log;
    CMainParameters& m_Params;
    CA1SeriesList m_SeriesList;
    int m_bQuitRequested = 0;
    std::int32_t m_nWelcomeCountdown = 2;

    // The six pages, children of the window.
    CDDLogTextDlg* m_pLogTextPage = nullptr;
    CDDLogTextDlg* m_pSummaryPage = nullptr;
    CDDA1TimeDiagramDlg* m_pA1TimePage = nullptr;
    CDDCFuncDiagramDlg* m_pCFuncPage = nullptr;
    CDDModelDiagramDlg* m_pModelPage = nullptr;
    CDDModelDiagramDlg* m_pProbPage = nullptr;

    // The controls.
    QMenuBar* m_pMenuBar = nullptr;
    QWidget* m_pClient = nullptr;
    QComboBox* m_cbSeries = nullptr;
    QPushButton* m_btImport = nullptr;
    QPushButton* m_btDelete = nullptr;
    QPushButton* m_btDeleteAll = nullptr;
    QTabBar* m_TabCtrl = nullptr;
    QFrame* m_pTabFrame = nullptr;
    QPlainTextEdit* m_edLog = nullptr;
    QTimer m_Timer;
    CBackgroundRunner* m_pRunner = nullptr;
    // Logs at least this large are read by the runner; smaller ones are read
    // at once, before a progress bar could even show.
    std::uint64_t m_nBackgroundImportBytes = kBackgroundImportBytes;
    // About 12,000 lines of a C1A1 log: a read well below the runner's
    // half second of grace.
    static constexpr std::uint64_t kBackgroundImportBytes = 1u << 20;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreatePages();
    void SetUpKeyboard();
    void CaptureLayout();
    void RegisterCommands();
    void OnOK();
    void OnCancel();
    void ShutDown(ProgramExit exit);
    CTessaricPage* PageForTab(std::int32_t nPage, const CA1TimeSeries& series) const;
    QRect TabDisplayRect() const;
    // Where a page covers the tab control's display area.
    QRect PageRect() const;
    // Reads the logs, each with the reader of its import type, and shows
    // the result; large logs are read by the runner.
    void ImportWithTypes(const std::vector<std::pair<std::string, std::int32_t>>& logs);
    // The series read by an import into the list, and the list shown.
    void ShowImported(CA1SeriesList& imported, bool bAnyRead);
    // Long work started or ended: commands that could touch its series are
    // held meanwhile.
    void OnBusyChanged(bool bBusy);
    void ShowWelcome();

    IUserDialogs& m_Dialogs;
    IProfileStore* m_pProfile = nullptr;
    QSize m_TemplateSize;
    CAnchoredLayout m_Layout;
    QGroupBox* m_pSeriesGroup = nullptr;
    QGroupBox* m_pLogGroup = nullptr;
    std::string m_strExportFolder;
    CDialogUnits m_Units;
    CCommandRouter m_Commands;
    std::map<int, QAction*> m_Actions;
    std::size_t m_nPaneFed = 0;
    bool m_bEnded = false;
};

// Timer 101 ticks this often: the pane follows the log four times a second.
inline constexpr int kLogTimerMs = 250;
