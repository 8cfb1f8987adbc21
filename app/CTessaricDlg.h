#pragma once

#include "app/CCommandRouter.h"
#include "data/CA1SeriesList.h"
#include "diagram/DialogUnits.h"
#include "infra/CProgramSession.h"
#include "pages/IPageHost.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <map>
#include <string>
#include <vector>

class CDDLogTextDlg;
class CTessaricPage;
class IProfileStore;
class QAction;
class QComboBox;
class QFrame;
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
    void ShowCurrentPage();
    IUserDialogs& Dialogs() override { return m_Dialogs; }

    // The current series with the first-element fall-back; null for none.
    CA1TimeSeries* CurrentSeries();
    // Hands the current series to `page` unless the page holds it already,
    // so that a command never reaches a page with a stale series.
    void HandCurrentSeriesTo(CTessaricPage& page);

    // --- handlers
    void OnSelchangeSeries();
    void OnSelchangeTab();
    void OnImportLog();
    void OnDelete();
    void OnDeleteAll();
    void OnTimer();
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
    CTessaricPage* m_pA1TimePage = nullptr;
    CTessaricPage* m_pCFuncPage = nullptr;
    CTessaricPage* m_pModelPage = nullptr;
    CTessaricPage* m_pProbPage = nullptr;

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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreatePages();
    void RegisterCommands();
    void OnOK();
    void OnCancel();
    void ShutDown(ProgramExit exit);
    CTessaricPage* PageForTab(std::int32_t nPage, const CA1TimeSeries& series) const;
    QRect TabDisplayRect() const;
    // Reads one log with the reader of `nImportType` and shows the result.
    void ImportWithType(const std::string& path, std::int32_t nImportType);
    void ShowWelcome();

    IUserDialogs& m_Dialogs;
    CDialogUnits m_Units;
    CCommandRouter m_Commands;
    std::map<int, QAction*> m_Actions;
    std::size_t m_nPaneFed = 0;
    bool m_bEnded = false;
};

// Timer 101 ticks this often: the pane follows the log four times a second.
inline constexpr int kLogTimerMs = 250;
