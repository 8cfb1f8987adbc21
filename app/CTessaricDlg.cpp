#include "app/CTessaricDlg.h"

#include "app/CPictureDlg.h"
#include "app/CTessaricSettingsDlg.h"
#include "app/CTessaricSplashDlg.h"
#include "app/DiagramCommands.h"
#include "app/MainMenu.h"
#include "app/ReportCommands.h"
#include "data/LogFormat.h"
#include "data/LogImport.h"
#include "infra/CNumber.h"
#include "infra/IProfileStore.h"
#include "pages/CBackgroundRunner.h"
#include "pages/CDDA1TimeDiagramDlg.h"
#include "pages/CDDCFuncDiagramDlg.h"
#include "pages/CDDLogTextDlg.h"
#include "pages/CDDModelDiagramDlg.h"
#include "pages/CWaitCursor.h"
#include "pages/IUserDialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QUrl>

#include <filesystem>
#include <memory>

namespace {

constexpr const char* kWindowTitle = "Tessaric -  Norbeck Optical Stability Benchmark";
constexpr const char* kImportFilter = "CEOS C1A1 log file (*.html;*.txt;*.log)|*.html; *.txt; "
                                      "*.log|ORVEXStab log file (*.dat;*.txt)|*.dat; *.txt||";
constexpr const char* kDeleteAllQuestion = "1) All time-astigmatism series will be unloaded.\r\n"
                                           "2) All evaluation data will be lost.\r\n\r\n"
                                           "Do you really want to do this?";

// The tab items of a series, in order.
struct TABITEM {
    const char* pszText;
    bool (*present)(const CA1TimeSeries& series);
};

bool Always(const CA1TimeSeries&) {
    return true;
}
bool WithCharFunction(const CA1TimeSeries& series) {
    return series.HasCharFunction();
}
bool WithModel(const CA1TimeSeries& series) {
    return series.HasModel();
}

const TABITEM kTabItems[] = {
    {"Log Text", Always},        {"A22-Time Graph", Always}, {"Charact. Func.", WithCharFunction},
    {"Fitted Model", WithModel}, {"Prob. Plot", WithModel},  {"Summary", WithCharFunction},
};

// The folder part of a path, up to and including its last separator.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The window's own entries in the user's profile, apart from the program
// parameters' section.
constexpr const char* kWindowSection = "Window";
constexpr const char* kExportFolderEntry = "ExportFolder";

} // namespace

CTessaricDlg::CTessaricDlg(const std::string& dataFolder, const std::string& arguments,
                           IProfileStore* profile, IUserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_Log(m_Session.m_Log), m_Params(m_Session.m_Params), m_Dialogs(dialogs) {
    m_strDataFolder = dataFolder;
    m_Session.Start(dataFolder, arguments, profile);
    m_pProfile = profile;
    if (profile)
        m_strExportFolder = profile->ReadString(kWindowSection, kExportFolderEntry).value_or("");

    setFont(DialogFont());
    m_Units = CDialogUnits::ForFont(font());
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    // A desktop window on Linux may be resized and maximised; the template
    // size is its least.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinMaxButtonsHint);
    setAcceptDrops(true);
    CreateControls();
    m_pRunner = new CBackgroundRunner(this);
    connect(m_pRunner, &CBackgroundRunner::BusyChanged, this, &CTessaricDlg::OnBusyChanged);
    RegisterCommands();
    m_Actions = BuildMainMenu(*m_pMenuBar, *this, m_Commands);
    // the menu bar lies above the client area, as a window's menu does
    const int menuHeight = m_pMenuBar->sizeHint().height();
    m_pMenuBar->setGeometry(0, 0, ClientSize().width(), menuHeight);
    m_pClient->setGeometry(QRect(QPoint(0, menuHeight), ClientSize()));
    m_TemplateSize = QSize(ClientSize().width(), menuHeight + ClientSize().height());
    setMinimumSize(m_TemplateSize);
    resize(m_TemplateSize);
    CaptureLayout();

    // the dialog initialisation
    m_Log.WriteDebug("Program Initialization.", 1);
    m_Timer.setInterval(kLogTimerMs);
    connect(&m_Timer, &QTimer::timeout, this, &CTessaricDlg::OnTimer);
    m_Timer.start();
    if (!m_Timer.isActive())
        m_Log.WriteLine("Warning: Failed to start the log update timer.");
    CreatePages();
    SetUpKeyboard();
    RefreshSeriesList();
    RefreshTabs();
    PutControls();
}

void CTessaricDlg::CaptureLayout() {
    using Follow = CAnchoredLayout::Follow;
    const std::pair<QWidget*, Follow> controls[] = {
        {m_pSeriesGroup, Follow::Wider},    {m_cbSeries, Follow::Wider},
        {m_btImport, Follow::Right},        {m_btDelete, Follow::Right},
        {m_btDeleteAll, Follow::Right},     {m_TabCtrl, Follow::Wider},
        {m_pTabFrame, Follow::WiderTaller}, {m_pLogGroup, Follow::DownWider},
        {m_edLog, Follow::DownWider},
    };
    for (const auto& [control, follow] : controls)
        m_Layout.Add(control, follow);
}

void CTessaricDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_TemplateSize.isEmpty())
        return;
    const int menuHeight = m_pMenuBar->height();
    m_pMenuBar->setGeometry(0, 0, width(), menuHeight);
    m_pClient->setGeometry(0, menuHeight, width(), height() - menuHeight);
    m_Layout.Apply(width() - m_TemplateSize.width(), height() - m_TemplateSize.height());
    // only the shown page follows now; the others get their place when shown
    for (CTessaricPage* page : Pages())
        if (page && page->isVisible())
            page->setGeometry(PageRect());
}

QRect CTessaricDlg::PageRect() const {
    const QRect display = TabDisplayRect();
    return {display.x() - 1, display.y(), display.width(), display.height()};
}

void CTessaricDlg::SetUpKeyboard() {
    // The browser's and the office programs' keys for the next and the
    // previous tab.
    const std::pair<QKeySequence, int> switches[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [keys, step] : switches) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { SwitchTab(step); });
    }
    // The pane takes the focus like any other control and shows its cursor;
    // it comes last, after the page's controls, which are created after it.
    m_edLog->setFocusPolicy(Qt::StrongFocus);
    m_edLog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QWidget::setTabOrder(previousInFocusChain(), m_edLog);
}

std::optional<FILEDIALOGRESULT>
CTessaricDlg::AskExportPath(QWidget* owner, FILEDIALOGREQUEST request, const char* pszKind) {
    if (!m_strExportFolder.empty())
        request.strInitialFolder = m_strExportFolder;
    if (const CA1TimeSeries* series = CurrentSeries())
        request.strDefaultName =
            std::filesystem::path(series->m_strFileName).stem().string() +
            FormatC("-s%03d-", static_cast<int>(std::max(m_nCurSeries, 0) + 1)) + pszKind;
    std::optional<FILEDIALOGRESULT> answer = m_Dialogs.SaveFile(owner, request);
    if (answer) {
        m_strExportFolder = FolderOf(answer->strPath);
        if (m_pProfile)
            m_pProfile->WriteString(kWindowSection, kExportFolderEntry, m_strExportFolder);
    }
    return answer;
}

void CTessaricDlg::SwitchTab(int nStep) {
    const int count = m_TabCtrl->count();
    if (count <= 0 || !m_TabCtrl->isEnabled())
        return;
    m_TabCtrl->setCurrentIndex((m_TabCtrl->currentIndex() + nStep + count) % count);
}

CTessaricDlg::~CTessaricDlg() {
    // A worker may still read a series of the list: it must have stopped
    // before the members go.
    delete m_pRunner;
}

QSize CTessaricDlg::ClientSize() const {
    return m_Units.Size(478, 411);
}

void CTessaricDlg::CreateControls() {
    m_pMenuBar = new QMenuBar(this);
    m_pClient = new QWidget(this);

    m_pSeriesGroup = new QGroupBox(QStringLiteral("Time-Astigmatism Series"), m_pClient);
    m_pSeriesGroup->setGeometry(m_Units.Rect(6, 4, 468, 32));
    m_cbSeries = new QComboBox(m_pClient);
    // The drop-down's 78 units are the height of its open list, which holds
    // that many 8-unit lines; closed it is as high as the buttons beside it.
    m_cbSeries->setGeometry(m_Units.Rect(12, 18, 282, 14));
    m_cbSeries->setMaxVisibleItems(std::max(1, 78 / 8));
    const auto button = [this](const char* text, int x) {
        auto* pushButton = new QPushButton(QString::fromUtf8(text), m_pClient);
        pushButton->setGeometry(m_Units.Rect(x, 17, 50, 14));
        // Enter belongs to the window (its OK path), never to a button
        pushButton->setAutoDefault(false);
        return pushButton;
    };
    m_btImport = button("Import", 306);
    m_btDelete = button("Delete", 360);
    m_btDeleteAll = button("Delete All", 414);

    const QRect tabRect = m_Units.Rect(6, 42, 468, 276);
    m_TabCtrl = new QTabBar(m_pClient);
    m_TabCtrl->setExpanding(false);
    m_TabCtrl->setDrawBase(false);
    // the tabs take the height the style gives a tab (an empty bar has
    // none); the rest of the control's rectangle is the display area
    m_TabCtrl->addTab(QStringLiteral("Log Text"));
    const int tabHeight = m_TabCtrl->sizeHint().height();
    m_TabCtrl->removeTab(0);
    m_TabCtrl->setGeometry(tabRect.x(), tabRect.y(), tabRect.width(), tabHeight);
    m_pTabFrame = new QFrame(m_pClient);
    m_pTabFrame->setFrameShape(QFrame::StyledPanel);
    m_pTabFrame->setGeometry(tabRect.x(), tabRect.y() + tabHeight, tabRect.width(),
                             tabRect.height() - tabHeight);
    m_TabCtrl->setEnabled(false);
    m_pTabFrame->setEnabled(false);

    m_pLogGroup = new QGroupBox(QStringLiteral("Message Log"), m_pClient);
    m_pLogGroup->setGeometry(m_Units.Rect(6, 324, 468, 82));
    m_edLog = new QPlainTextEdit(m_pClient);
    m_edLog->setReadOnly(true);
    m_edLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edLog->setGeometry(m_Units.Rect(12, 336, 456, 64));

    connect(m_cbSeries, &QComboBox::activated, this, &CTessaricDlg::OnSelchangeSeries);
    connect(m_TabCtrl, &QTabBar::currentChanged, this, &CTessaricDlg::OnSelchangeTab);
    connect(m_btImport, &QPushButton::clicked, this, &CTessaricDlg::OnImportLog);
    connect(m_btDelete, &QPushButton::clicked, this, &CTessaricDlg::OnDelete);
    connect(m_btDeleteAll, &QPushButton::clicked, this, &CTessaricDlg::OnDeleteAll);
}

void CTessaricDlg::RegisterCommands() {
    m_Commands.Add(ID_FILE_IMPORT_LOG, [this] { OnImportLog(); });
    m_Commands.Add(ID_FILE_QUIT, [this] { OnQuit(); });
    m_Commands.Add(ID_SETTINGS_PARAMETERS, [this] { OnProgramParameters(); });
    m_Commands.Add(ID_APP_ABOUT, [this] { OnAbout(); });
    m_Commands.Add(ID_APP_DISCLAIMER, [this] { OnDisclaimer(); });
    RegisterDiagramCommands(*this);
    RegisterReportCommands(*this);
    m_Commands.HoldWhile([this] { return m_pRunner->IsBusy(); },
                         {ID_FILE_QUIT, ID_APP_ABOUT, ID_APP_DISCLAIMER});
}

void CTessaricDlg::OnBusyChanged(bool bBusy) {
    const bool bAny = !m_SeriesList.empty();
    m_btImport->setEnabled(!bBusy);
    m_btDelete->setEnabled(!bBusy && bAny);
    m_btDeleteAll->setEnabled(!bBusy && bAny);
    for (CTessaricPage* page : Pages())
        if (page)
            page->setEnabled(!bBusy);
    if (!bBusy)
        FeedPane();
}

QAction* CTessaricDlg::CommandAction(int nCommand) const {
    const auto found = m_Actions.find(nCommand);
    return found == m_Actions.end() ? nullptr : found->second;
}

void CTessaricDlg::CreatePages() {
    const auto prepare = [this](CTessaricPage* page) {
        page->m_pLog = &m_Log;
        page->m_pMainParams = &m_Params;
        page->m_pHost = this;
        page->hide();
        return page;
    };
    const auto textPage = [&](std::int32_t nPageType) {
        auto* page = new CDDLogTextDlg(m_pClient);
        page->m_nPageType = nPageType;
        prepare(page);
        page->Create();
        page->CaptureTemplateLayout(PageRect().size());
        return page;
    };
    m_pLogTextPage = textPage(CDDLogTextDlg::kLogTextPage);
    m_pSummaryPage = textPage(CDDLogTextDlg::kSummaryPage);
    const auto diagramPage = [&](auto* page, std::int32_t nDiagramType) {
        prepare(page);
        page->m_wndDiagram.Style().m_nType = nDiagramType;
        page->Create();
        page->CaptureTemplateLayout(PageRect().size());
        return page;
    };
    m_pA1TimePage = new CDDA1TimeDiagramDlg(m_pClient);
    prepare(m_pA1TimePage);
    m_pA1TimePage->SetDisplay(m_Params.DataDisplayType);
    m_pA1TimePage->Create();
    m_pA1TimePage->CaptureTemplateLayout(PageRect().size());
    m_pCFuncPage = diagramPage(new CDDCFuncDiagramDlg(m_pClient), CharFunction);
    m_pModelPage = diagramPage(new CDDModelDiagramDlg(m_pClient), FittedModel);
    m_pProbPage = diagramPage(new CDDModelDiagramDlg(m_pClient), ProbabilityPlot);
    setFocus();
}

std::array<CTessaricPage*, 6> CTessaricDlg::Pages() const {
    return {m_pLogTextPage, m_pSummaryPage, m_pA1TimePage, m_pCFuncPage, m_pModelPage, m_pProbPage};
}

void CTessaricDlg::TakeControls() {
    m_nCurSeries = m_cbSeries->currentIndex();
}

void CTessaricDlg::PutControls() {
    const QSignalBlocker blocker(m_cbSeries);
    m_cbSeries->setCurrentIndex(m_nCurSeries < m_cbSeries->count() ? m_nCurSeries : -1);
}

CA1TimeSeries* CTessaricDlg::CurrentSeries() {
    if (m_SeriesList.empty())
        return nullptr;
    const bool bValid =
        m_nCurSeries >= 0 && static_cast<std::size_t>(m_nCurSeries) < m_SeriesList.size();
    return &m_SeriesList[bValid ? static_cast<std::size_t>(m_nCurSeries) : 0];
}

void CTessaricDlg::HandCurrentSeriesTo(CTessaricPage& page) {
    CA1TimeSeries* series = CurrentSeries();
    if (page.m_pSeries != series)
        page.ShowSeries(series);
}

void CTessaricDlg::RefreshSeriesList() {
    // Any change of the list may move or destroy the series that a page
    // showed last; the pages get the current one again when shown.
    for (CTessaricPage* page : Pages())
        if (page)
            page->ForgetSeries();
    const std::int32_t remembered = m_nCurSeries;
    const QSignalBlocker blocker(m_cbSeries);
    m_cbSeries->clear();
    const bool bAny = !m_SeriesList.empty();
    if (!bAny)
        m_nCurSeries = -1;
    for (std::size_t j = 0; j < m_SeriesList.size(); ++j) {
        const CA1TimeSeries& series = m_SeriesList[j];
        const std::int32_t duration = series.m_nStopTime - series.m_nStartTime;
        // a zero duration prints "inf" or "nan" as the C format gives it
        const double frequency =
            static_cast<double>(static_cast<std::int32_t>(series.m_nDataLines)) /
            static_cast<double>(duration);
        m_cbSeries->addItem(QString::fromStdString(
            FormatC("#%.3d: %d samples, %d s (%.2f Hz)", static_cast<int>(j + 1),
                    static_cast<std::int32_t>(series.m_nDataLines), duration, frequency)));
    }
    if (bAny)
        m_cbSeries->setCurrentIndex(
            remembered < 0 ? 0 : std::min<std::int32_t>(remembered, m_cbSeries->count() - 1));
    m_cbSeries->setEnabled(bAny);
    m_btDelete->setEnabled(bAny);
    m_btDeleteAll->setEnabled(bAny);
}

void CTessaricDlg::RefreshTabs() {
    const QSignalBlocker blocker(m_TabCtrl);
    while (m_TabCtrl->count() > 0)
        m_TabCtrl->removeTab(0);
    CA1TimeSeries* series = m_nCurSeries >= 0 ? CurrentSeries() : nullptr;
    if (series) {
        for (const TABITEM& item : kTabItems)
            if (item.present(*series))
                m_TabCtrl->addTab(QString::fromUtf8(item.pszText));
        m_TabCtrl->setCurrentIndex(series->m_nPage);
        m_nCurPage = series->m_nPage;
        m_TabCtrl->setEnabled(true);
        m_pTabFrame->setEnabled(true);
    } else {
        m_TabCtrl->setEnabled(false);
        m_pTabFrame->setEnabled(false);
        m_nCurPage = -1;
    }
    ShowCurrentPage();
}

QRect CTessaricDlg::TabDisplayRect() const {
    // inside the frame's two-pixel border, as the classic tab control's
    // adjustment leaves it
    constexpr int kFrameBorder = 2;
    return m_pTabFrame->geometry().adjusted(kFrameBorder, kFrameBorder, -kFrameBorder,
                                            -kFrameBorder);
}

CTessaricPage* CTessaricDlg::PageForTab(std::int32_t nPage, const CA1TimeSeries& series) const {
    const bool bModel = series.HasModel();
    switch (nPage) {
    case 0:
        return m_pLogTextPage;
    case 1:
        return m_pA1TimePage;
    case 2:
        return m_pCFuncPage;
    case 3:
        return bModel ? m_pModelPage : static_cast<CTessaricPage*>(m_pSummaryPage);
    case 4:
        return bModel ? m_pProbPage : nullptr;
    case 5:
        return bModel ? m_pSummaryPage : nullptr;
    default:
        return nullptr;
    }
}

void CTessaricDlg::ShowCurrentPage() {
    const bool bInRange = m_nCurPage >= 0 && m_nCurPage < m_TabCtrl->count();
    for (CTessaricPage* page : Pages())
        if (page)
            page->hide();
    CA1TimeSeries* series = CurrentSeries();
    if (!series)
        return;
    CTessaricPage* page = PageForTab(m_nCurPage, *series);
    if (!page)
        return;
    page->ShowSeries(series);
    page->setGeometry(bInRange ? PageRect() : QRect(-1, 0, 0, 0));
    page->show();
    page->raise();
    page->update();
}

void CTessaricDlg::SelectTab(std::int32_t nPage) {
    m_nCurPage = nPage;
    {
        const QSignalBlocker blocker(m_TabCtrl);
        m_TabCtrl->setCurrentIndex(nPage);
    }
    ShowCurrentPage();
}

void CTessaricDlg::OnSelchangeSeries() {
    TakeControls();
    RefreshTabs();
    PutControls();
}

void CTessaricDlg::OnSelchangeTab() {
    TakeControls();
    m_nCurPage = m_TabCtrl->currentIndex();
    if (m_nCurPage >= 0 && m_nCurSeries >= 0 &&
        static_cast<std::size_t>(m_nCurSeries) < m_SeriesList.size()) {
        CA1TimeSeries& series = m_SeriesList[static_cast<std::size_t>(m_nCurSeries)];
        const std::int32_t previous = series.m_nPage;
        series.m_nPage = m_nCurPage;
        if (previous != m_nCurPage)
            ShowCurrentPage();
    }
    PutControls();
}

void CTessaricDlg::OnDelete() {
    if (m_pRunner->IsBusy())
        return;
    TakeControls();
    if (m_nCurSeries >= 0 && static_cast<std::size_t>(m_nCurSeries) < m_SeriesList.size()) {
        m_SeriesList.RemoveAt(static_cast<std::size_t>(m_nCurSeries));
        --m_nCurSeries;
        if (m_nCurSeries < 0 && !m_SeriesList.empty())
            m_nCurSeries = 0;
        RefreshSeriesList();
        RefreshTabs();
    }
    PutControls();
}

void CTessaricDlg::OnDeleteAll() {
    if (m_pRunner->IsBusy())
        return;
    TakeControls();
    if (!m_SeriesList.empty() && m_Dialogs.AskYesNo(this, "Warning", kDeleteAllQuestion)) {
        m_SeriesList.RemoveAll();
        RefreshSeriesList();
        m_nCurSeries = -1;
        RefreshTabs();
    }
    PutControls();
}

void CTessaricDlg::OnImportLog() {
    if (m_pRunner->IsBusy())
        return;
    TakeControls();
    m_Log.WriteDebug("Starting log file import.", 1);
    FILEDIALOGREQUEST request;
    request.strFilter = kImportFilter;
    request.nFilterIndex = m_Params.ImportType;
    request.strInitialFolder = m_Params.ImportPath;
    const std::optional<FILEDIALOGRESULT> chosen = m_Dialogs.OpenFile(this, request);
    if (!chosen) {
        m_Log.WriteDebug("Log file import cancelled.", 1);
        PutControls();
        return;
    }
    m_Log.WriteDebug("Selected file: " + chosen->strPath, 2);
    m_Params.ImportType = chosen->nFilterIndex;
    m_Log.WriteDebug(FormatC("Selected filter index = %d", chosen->nFilterIndex), 2);
    m_Params.ImportPath = FolderOf(chosen->strPath);
    if (chosen->nFilterIndex == kImportTypeC1A1 || chosen->nFilterIndex == kImportTypeORVEX)
        ImportWithTypes({{chosen->strPath, chosen->nFilterIndex}});
    else
        m_Log.WriteLine("Unsupported log file format, import cancelled.");
    PutControls();
}

void CTessaricDlg::ImportWithTypes(const std::vector<std::pair<std::string, std::int32_t>>& logs) {
    std::uint64_t bytes = 0;
    for (const auto& log : logs) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(log.first, error);
        bytes += error ? 0 : static_cast<std::uint64_t>(size);
    }
    auto imported = std::make_shared<CA1SeriesList>();
    auto anyRead = std::make_shared<bool>(false);
    const std::int32_t mirror = m_Params.ImportMirrorY;
    const double rotation = m_Params.ImportRotDeg;
    CLogFile* programLog = &m_Log;
    const auto read = [logs, imported, anyRead, mirror, rotation,
                       programLog](const ProgressCallback& progress, const AbortFlag& abort) {
        for (std::size_t i = 0; i < logs.size() && !abort.load(); ++i) {
            const int added = ImportLogOfType(logs[i].second, logs[i].first, *programLog, mirror,
                                              rotation, *imported);
            programLog->WriteDebug("Finished log file import.", 1);
            // a file that could not be opened leaves the list, the selection
            // and the tabs as they were
            if (added != kImportOpenFailed && added != kImportUnsupportedType)
                *anyRead = true;
            if (progress)
                progress(static_cast<double>(i + 1) / static_cast<double>(logs.size()));
        }
    };
    if (bytes < m_nBackgroundImportBytes) {
        const CWaitCursor wait;
        read({}, AbortFlag{false});
        ShowImported(*imported, *anyRead);
        return;
    }
    CBackgroundRunner::JOB job;
    job.strTitle = QStringLiteral("Importing...");
    job.work = read;
    job.finished = [this, imported, anyRead](bool bCancelled) {
        // the readers cannot stop part way: a cancelled import is read to
        // its end and then dropped
        if (bCancelled) {
            m_Log.WriteLine("Import cancelled.");
            return;
        }
        ShowImported(*imported, *anyRead);
    };
    m_pRunner->Start(std::move(job));
}

void CTessaricDlg::ShowImported(CA1SeriesList& imported, bool bAnyRead) {
    if (!bAnyRead)
        return;
    for (CA1TimeSeries& series : imported)
        m_SeriesList.Append(std::move(series));
    RefreshSeriesList();
    m_nCurSeries = static_cast<std::int32_t>(m_SeriesList.size()) - 1;
    RefreshTabs();
    PutControls();
}

void CTessaricDlg::OpenFiles(const std::vector<std::string>& paths) {
    if (m_pRunner->IsBusy()) {
        m_Log.WriteLine("Warning: A command is still running; the files were not imported.");
        return;
    }
    TakeControls();
    std::vector<std::pair<std::string, std::int32_t>> logs;
    for (const std::string& path : paths)
        logs.emplace_back(path, DetectImportType(path));
    ImportWithTypes(logs);
    PutControls();
}

void CTessaricDlg::OnTimer() {
    FeedPane();
    const std::int32_t countdown = m_nWelcomeCountdown;
    if (countdown >= 2)
        m_nWelcomeCountdown = countdown - 1;
    if (countdown == 2 || countdown == 1) {
        m_nWelcomeCountdown = 0;
        ShowWelcome();
    }
}

void CTessaricDlg::FeedPane() {
    const std::string fresh = m_Log.TakePaneText(m_nPaneFed);
    if (!fresh.empty()) {
        QString text = QString::fromStdString(fresh);
        text.remove(QLatin1Char('\r'));
        m_edLog->moveCursor(QTextCursor::End);
        m_edLog->insertPlainText(text);
        m_edLog->ensureCursorVisible();
        m_edLog->horizontalScrollBar()->setValue(0);
        PutControls();
    }
}

void CTessaricDlg::ShowWelcome() {
    CTessaricSplashDlg splash(this);
    m_Dialogs.RunModal(splash);
}

void CTessaricDlg::OnQuit() {
    m_bQuitRequested = 1;
    OnOK();
}

void CTessaricDlg::OnProgramParameters() {
    TakeControls();
    CTessaricSettingsDlg dialog(m_Params.MinDiversity, m_Params.LimitPhase, m_Dialogs, this);
    if (m_Dialogs.RunModal(dialog) == QDialog::Accepted) {
        m_Params.MinDiversity = dialog.m_nMinDiversity;
        m_Params.LimitPhase = dialog.m_dLimitPhase;
    }
    PutControls();
}

void CTessaricDlg::OnAbout() {
    TakeControls();
    CAboutDlg about(this);
    m_Dialogs.RunModal(about);
    PutControls();
}

void CTessaricDlg::OnDisclaimer() {
    CDisclaimerDlg disclaimer(this);
    m_Dialogs.RunModal(disclaimer);
}

void CTessaricDlg::OnOK() {
    TakeControls();
    if (!m_bQuitRequested)
        return;
    ShutDown(ProgramExit::Quit);
    done(Accepted);
}

void CTessaricDlg::OnCancel() {
    ShutDown(ProgramExit::Aborted);
    QDialog::done(Rejected);
}

void CTessaricDlg::ShutDown(ProgramExit exit) {
    if (m_bEnded)
        return;
    m_bEnded = true;
    // the session's end saves the parameters: no worker may still log
    m_pRunner->Cancel();
    m_pRunner->WaitUntilIdle();
    if (m_pA1TimePage)
        m_pA1TimePage->StoreDisplayChoice(m_Params);
    m_Session.End(exit);
    m_Timer.stop();
}

void CTessaricDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        OnOK();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CTessaricDlg::closeEvent(QCloseEvent* event) {
    if (!m_bEnded)
        ShutDown(ProgramExit::Aborted);
    QDialog::closeEvent(event);
}

void CTessaricDlg::reject() {
    OnCancel();
}

void CTessaricDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CTessaricDlg::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    OpenFiles(paths);
}
