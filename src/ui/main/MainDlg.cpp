#include "main/MainDlg.h"

#include "app/Brand.h"
#include "app/CommandIds.h"
#include "app/CurrentCaller.h"
#include "calllog/CallLog.h"
#include "config/DataFolder.h"
#include "config/SettingsProvider.h"
#include "engine/CallState.h"
#include "engine/CallerIdDisplay.h"
#include "engine/Number.h"
#include "frontend/MessageBoxes.h"
#include "main/CallListModel.h"
#include "main/CallerPanel.h"
#include "main/CallsView.h"
#include "main/FolderTree.h"
#include "main/IndexWatcher.h"
#include "main/MainIcons.h"
#include "main/MainMenu.h"
#include "main/PlayerBar.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString Str(int id) {
    return QString::fromUtf8(LoadStr(id));
}

// The visible columns' widths, from the widest text each usually holds in
// the window's font, so that the columns fit at any scale and font size;
// the memo takes the rest. An empty sample is an icon column.
struct ColumnSample {
    int column;
    const char* sample;
};
constexpr ColumnSample kColumnSamples[] = {
    {CCallListModel::kColIcon, ""},
    {CCallListModel::kColImportance, ""},
    {CCallListModel::kColTime, "88/88/88 88:88"},
    {CCallListModel::kColFrom, "MMMMMMMMMMMM"},
    {CCallListModel::kColNumber, "8888888888"},
    {CCallListModel::kColLength, "888:88"},
};

std::vector<ScreenRect> Screens() {
    std::vector<ScreenRect> out;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect r = s->geometry();
        out.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return out;
}

} // namespace

CMainDlg::CMainDlg(IMainDlgHost& host, QWidget* parent)
    : QMainWindow(parent), m_host(host), m_pTree(new CFolderTree(this)),
      m_pCaller(new CCallerPanel(this)), m_pSearch(new QLineEdit(this)),
      m_pList(new QTableView(this)), m_pModel(new CCallListModel(this)),
      m_pSorted(new QSortFilterProxyModel(this)), m_pCalls(new CCallsView(this)),
      m_pPlayer(new CPlayerBar(this)), m_pStatusText(new QLabel(this)),
      m_pStatusTime(new QLabel(this)), m_pWatcher(new CIndexWatcher(this)) {
    setObjectName("MainDlg");
    setWindowTitle(Q(AppBrand().sTitle.empty() ? "Vorella" : AppBrand().sTitle));
    m_pMenu = new CMainMenu(*this, [this](int nId) { OnCommand(nId); });
    setCentralWidget(BuildCentre());
    m_pStatusText->setObjectName("StatusText");
    m_pStatusText->setTextFormat(Qt::PlainText);
    m_pStatusTime->setObjectName("StatusTime");
    statusBar()->addWidget(m_pStatusText, 1);
    statusBar()->addPermanentWidget(m_pStatusTime);
    ApplyIcons();

    ISettingsProvider& settings = SettingsProvider();
    m_bLegal = settings.GetBool("Legal");
    m_pMenu->Action(kCmdLegal)->setChecked(m_bLegal);
    m_pPlayer->SetVolume(std::clamp(settings.GetInt("m_iVolume"), 0, 100));
    // The phone keeps the volume and writes the setting; the window asks.
    connect(m_pPlayer, &CPlayerBar::volumeChosen, this,
            [this](int nPercent) { m_host.VolumeChosen(nPercent); });

    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &CMainDlg::Refresh);
    m_searchPause.setSingleShot(true);
    m_searchPause.setInterval(kSearchPauseMs);
    connect(&m_searchPause, &QTimer::timeout, this, &CMainDlg::Find);
    m_stopTimer.setSingleShot(true);
    connect(&m_stopTimer, &QTimer::timeout, this, [this] { m_bStopPending = false; });
    connect(m_pWatcher, &CIndexWatcher::changed, this, &CMainDlg::RefreshList);

    connect(m_pCaller, &CCallerPanel::edited, this, &CMainDlg::OnCallerEdited);
    connect(m_pCaller, &CCallerPanel::writeDue, this, &CMainDlg::UpdateCurrentCall);
    connect(m_pSearch, &QLineEdit::textChanged, this, [this] { m_searchPause.start(); });
    // Enter runs the search at once.
    connect(m_pSearch, &QLineEdit::returnPressed, this, &CMainDlg::Find);
    connect(m_pTree, &CFolderTree::folderSelected, this, &CMainDlg::OnFolderSelected);
    connect(m_pTree, &CFolderTree::callsSelected, this, &CMainDlg::OnCallsSelected);
    connect(m_pCalls, &CCallsView::rowActivated, this, &CMainDlg::OnCallsRowActivated);
    for (QTableView* table : {m_pList, m_pCalls->List(), m_pCalls->Earlier()}) {
        table->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(table, &QWidget::customContextMenuRequested, this,
                [this, table](const QPoint& pos) { PopUpCallerMenu(table, pos); });
    }
    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMainDlg::OnSelectionChanged);
    connect(m_pList, &QTableView::activated, this, [this] { OnCommand(kCmdPlay); });

    if (const CCallState* pState = m_host.CallState()) {
        const CallerFields caller = CurrentCallerFields(*pState);
        m_pCaller->SetFields(caller.sName, caller.sNumber, caller.sText);
    }
    m_pTree->Fill(GetDataFolder() + "Recorded Calls/");
    RefreshList();
}

// The window goes with the program, after the engine whose call state held
// the folder chosen here.
CMainDlg::~CMainDlg() = default;

CallFlags CMainDlg::CallFlagsNow() const {
    const CCallState* pState = m_host.CallState();
    return pState ? pState->Flags() : CallFlags{};
}

void CMainDlg::SelectCallFolder(const std::string& sFolder) {
    if (CCallState* pState = m_host.CallState())
        pState->SelectCallFolder(sFolder);
}

QWidget* CMainDlg::BuildCentre() {
    m_pSearch->setObjectName("Search");
    m_pSearch->setPlaceholderText(tr("Search names, numbers, memos, dates"));
    m_pSearch->setAccessibleName(tr("Search the calls"));
    m_pSearch->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(tr("&Search:"), this);
    searchLabel->setBuddy(m_pSearch);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_pSearch, 1);

    m_pSorted->setSourceModel(m_pModel);
    m_pList->setObjectName("CallList");
    m_pList->setAccessibleName(tr("Calls"));
    m_pList->setModel(m_pSorted);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setSortingEnabled(true);
    m_pList->setWordWrap(false);
    m_pList->setAlternatingRowColors(true);
    m_pList->verticalHeader()->hide();
    // Rows as tall as the text needs, so more calls show on a small screen.
    m_pList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_pList->setTabKeyNavigation(false);
    QHeaderView* header = m_pList->horizontalHeader();
    header->setAccessibleName(tr("Columns of the call list"));
    for (int c = 0; c < CCallListModel::kColumnCount; ++c)
        m_pList->setColumnHidden(c, CCallListModel::IsHiddenColumn(c));
    const QFontMetrics metrics = m_pList->fontMetrics();
    const int padding = metrics.averageCharWidth() * 2;
    const int iconWidth = m_pList->style()->pixelMetric(QStyle::PM_SmallIconSize) + padding;
    for (const ColumnSample& c : kColumnSamples)
        header->resizeSection(
            c.column, *c.sample ? metrics.horizontalAdvance(QString::fromLatin1(c.sample)) + padding
                                : iconWidth);
    header->setSectionResizeMode(CCallListModel::kColMemo, QHeaderView::Stretch);
    m_pList->sortByColumn(CCallListModel::kColDateTime, Qt::AscendingOrder);

    m_pListPage = new QWidget(this);
    auto* listLayout = new QVBoxLayout(m_pListPage);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addLayout(searchRow);
    listLayout->addWidget(m_pList, 1);
    m_pPages = new QStackedWidget(this);
    m_pPages->addWidget(m_pListPage);
    m_pPages->addWidget(m_pCalls);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_pCaller);
    rightLayout->addWidget(m_pPages, 1);
    rightLayout->addWidget(m_pPlayer);

    m_pSplit = new QSplitter(this);
    m_pSplit->setChildrenCollapsible(false);
    m_pSplit->addWidget(m_pTree);
    m_pSplit->addWidget(right);
    m_pSplit->setStretchFactor(1, 1);
    m_pTree->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Recorded Calls")) / 2);
    return m_pSplit;
}

void CMainDlg::ApplyIcons() {
    const QPalette& p = palette();
    m_pMenu->ApplyIcons(p);
    m_pPlayer->SetIcons(MainIcon("play", p), MainIcon("pause", p));
    m_pTree->SetFolderIcon(MainIcon("folder", p));
    m_pModel->SetIcons(MainIcon("call", p), MainIcon("message", p), MainIcon("memo", p),
                       MainIcon("important", p));
}

void CMainDlg::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ApplyIcons();
    if (event->type() == QEvent::WindowStateChange)
        RememberPlacement();
}

// Placement.

void CMainDlg::ApplyStartPlacement(bool bShowMainDlg) {
    m_placement = LoadMainPlacement(SettingsProvider());
    const MainPlacement p = PlaceOnScreens(m_placement, Screens());
    const uint32_t state = m_placement.dwWindowState;
    m_placement = p;
    m_placement.dwWindowState = state;
    if (p.nSizeX > 0 && p.nSizeY > 0) {
        resize(p.nSizeX, p.nSizeY);
    } else {
        // First start: a comfortable size that still fits a small screen
        // (1366x768, or a large one at 200 %).
        QSize size(960, 600);
        if (QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
        resize(size);
    }
    // The tree as wide as its longest usual name, but never more than a
    // fifth of the window, so that the list keeps its columns on a small
    // screen or at a large scale.
    const int treeWidth = std::min(
        fontMetrics().horizontalAdvance(QStringLiteral("Recorded Calls")) * 2, width() / 5);
    m_pSplit->setSizes({treeWidth, width() - treeWidth});
    move(p.nPosX, p.nPosY);
    switch (MainStartFor(state, bShowMainDlg)) {
    case MainStart::Hidden:
        break;
    case MainStart::Normal:
        show();
        break;
    case MainStart::Maximised:
        showMaximized();
        break;
    case MainStart::Minimised:
        showMinimized();
        break;
    }
}

void CMainDlg::RememberPlacement() {
    // Maximised or minimised, the restored size is what comes back.
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (normal.isValid()) {
        m_placement.nSizeX = normal.width();
        m_placement.nSizeY = normal.height();
    }
    if (!isMaximized() && !isMinimized()) {
        m_placement.nPosX = pos().x();
        m_placement.nPosY = pos().y();
    }
    // State 3 (start hidden) is the user's choice in the settings: kept.
    if (m_placement.dwWindowState != 3)
        m_placement.dwWindowState = isMaximized() ? 1 : isMinimized() ? 2 : 0;
}

void CMainDlg::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberPlacement();
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RememberPlacement();
}

void CMainDlg::SaveState() {
    ISettingsProvider& settings = SettingsProvider();
    SaveMainPlacement(settings, m_placement);
    settings.SetInt("Legal", m_bLegal ? 1 : 0);
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    // Closing hides the window; the program goes on watching the line.
    event->ignore();
    hide();
}

void CMainDlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_nShownStatusId = -1;
    Refresh();
    m_refresh.start();
}

void CMainDlg::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // Nothing to look at: the refresh rests until the window comes back.
    if (!isMinimized())
        m_refresh.stop();
}

// The status bar and the 100 ms refresh.

void CMainDlg::SetStatusText(const QString& text) {
    m_pStatusText->setText(text);
}

QString CMainDlg::Status() const {
    return m_pStatusText->text();
}

void CMainDlg::ShowState(const MainLineFlags& flags) {
    const auto busy = [](const MainLineFlags& f) {
        return f.bRecording || f.bPlaying || f.bHold || f.bTalking;
    };
    if (!busy(m_lastFlags) && busy(flags))
        m_nCallStartTicks = GetTickCount();
    m_lastFlags = flags;
    const int id = MainStatusId(flags);
    if (id != m_nShownStatusId) {
        m_nShownStatusId = id;
        SetStatusText(Str(id));
    }
    m_pStatusTime->setText(MainStatusShowsTime(flags) || flags.bRecording
                               ? Q(RunningTimeText(GetTickCount() - m_nCallStartTicks))
                               : QString());
}

void CMainDlg::Refresh() {
    // The commands on the list's rows while the list is what is shown.
    const MainCallButtons buttons = MainCallButtonsFor(
        IsCallsShown() ? 0 : static_cast<int>(SelectedRows().size()), m_pPlayer->File());
    if (IsCallsShown() && ++m_nPollTicks >= kHistoryPollTicks) {
        m_nPollTicks = 0;
        m_pCalls->Poll();
    }
    m_pMenu->Action(kCmdDelete)->setEnabled(buttons.bDelete);
    m_pMenu->Action(kCmdPlay)->setEnabled(buttons.bPlay);
    m_pMenu->Action(kCmdSendTo)->setEnabled(buttons.bSend);
    for (int id : {kCmdSaveAs, kCmdMoveToFolder, kCmdEditRecording})
        m_pMenu->Action(id)->setEnabled(buttons.bDelete);
    const CallFlags now = CallFlagsNow();
    // A call talked at the PC is hung up with Stop too.
    m_pMenu->Action(kCmdStopRecording)
        ->setEnabled(now.bRecording || now.bPlaying || now.bHold || m_host.IsTalking());
    const TalkButton talk = m_host.TalkButtonNow();
    m_pMenu->Action(kCmdTalk)->setVisible(talk.bShown);
    m_pMenu->Action(kCmdTalk)->setEnabled(talk.bEnabled);
    // The mute shown is the microphone's while talking, the playback's after.
    m_pMenu->Action(kCmdMute)->setChecked(m_host.IsMuted());

    MainLineFlags flags;
    flags.bRecording = now.bRecording;
    flags.bPlaying = now.bPlaying;
    flags.bHold = now.bHold;
    flags.bPaused = now.bPaused;
    flags.bTalking = m_host.IsTalking();
    ShowState(flags);

    // A new recording of the worker goes into the player once it is whole,
    // whichever row is selected: the newest call is the one to hear.
    const std::string current = m_host.CurrentFile();
    if (current != m_sLastWorkerFile && !flags.bRecording) {
        m_sLastWorkerFile = current;
        if (!current.empty())
            LoadIntoPlayer(current);
    }
}

// The call list.

std::string CMainDlg::Folder() const {
    const std::string selected = m_pTree->SelectedFolder();
    return selected.empty() ? GetDataFolder() + "Recorded Calls/" : selected;
}

std::string CMainDlg::IndexPath() const {
    return IndexPathFor(Folder(), GetDataFolder());
}

void CMainDlg::ShowIndexError(const std::string& sError) {
    // Said once; the list shows what it can and the file stays as it is.
    if (sError.empty() || sError == m_sShownIndexError)
        return;
    m_sShownIndexError = sError;
    OpenMessageBox(isVisible() ? this : nullptr,
                   tr("The call index cannot be read, so the list stays empty; the file is left "
                      "as it is.\n\n%1")
                       .arg(Q(sError))
                       .toStdString(),
                   MessageIcon::Error);
}

void CMainDlg::RefreshList() {
    SetStatusText(Str(170));
    const std::vector<std::string> keep = SelectedFiles();
    const std::string index = IndexPath();
    std::string error, textError;
    m_pWatcher->Watch(index);
    if (m_pModel->Load(index, m_sSearch, &error, &textError)) {
        m_sShownIndexError.clear();
    } else {
        ShowIndexError(error);
    }
    if (!textError.empty())
        statusBar()->showMessage(Q(textError), 10000);
    m_pList->sortByColumn(m_pList->horizontalHeader()->sortIndicatorSection(),
                          m_pList->horizontalHeader()->sortIndicatorOrder());
    // The rows the user had chosen stay chosen when the list is read again.
    m_pList->clearSelection();
    for (int r = 0; r < m_pSorted->rowCount(); ++r) {
        const QModelIndex i = m_pSorted->index(r, 0);
        const std::string& file = m_pModel->Row(m_pSorted->mapToSource(i).row()).sFile;
        if (std::find(keep.begin(), keep.end(), file) != keep.end())
            m_pList->selectionModel()->select(i, QItemSelectionModel::Select |
                                                     QItemSelectionModel::Rows);
    }
    SetStatusText(Str(109));
    // The next refresh says again what the line is doing.
    m_nShownStatusId = -1;
}

std::vector<int> CMainDlg::ShownRows() const {
    std::vector<int> rows;
    for (int r = 0; r < m_pSorted->rowCount(); ++r)
        rows.push_back(m_pSorted->mapToSource(m_pSorted->index(r, 0)).row());
    return rows;
}

std::vector<int> CMainDlg::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : m_pList->selectionModel()->selectedRows())
        rows.push_back(m_pSorted->mapToSource(i).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CMainDlg::OnFolderSelected(const std::string& sFolder) {
    m_pPages->setCurrentWidget(m_pListPage);
    // The recorder puts new recordings into the folder shown.
    SelectCallFolder(sFolder);
    RefreshList();
}

void CMainDlg::OnSelectionChanged() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    const CallListRow& row = m_pModel->Row(rows.front());
    setWindowTitle(Q(CallWindowTitle(row.sName, row.sNumber)));
    LoadIntoPlayer(SelectedPath());
}

void CMainDlg::SetSearchText(const std::string& sText) {
    {
        const QSignalBlocker block(m_pSearch);
        m_pSearch->setText(Q(sText));
    }
    Find();
}

void CMainDlg::Find() {
    m_searchPause.stop();
    m_sSearch = ToLowerUtf8(m_pSearch->text().toStdString());
    RefreshList();
}

// The current call.

void CMainDlg::SetCaller(const std::string& sName, const std::string& sNumber,
                         const std::string& sMemo) {
    m_pCaller->SetFields(sName, sNumber, sMemo);
}

void CMainDlg::OnCallerEdited() {
    // The worker writes the record again when the recording ends: it must
    // find what the user typed meanwhile.
    if (CCallState* pState = m_host.CallState())
        SetCurrentCallerFields(*pState,
                               {m_pCaller->Name(), m_pCaller->Number(), m_pCaller->Memo()});
    // Without a recording nobody else writes the index: at once.
    if (!CallFlagsNow().bRecording) {
        m_pCaller->CancelPause();
        UpdateCurrentCall();
    }
}

void CMainDlg::DataFolderChanged() {
    SelectCallFolder({});
    // The earlier call folders stay in the tree, their calls a click away.
    m_pTree->AddRoot(GetDataFolder() + "Recorded Calls/");
    RefreshList();
    UpdateCurrentCall();
}

void CMainDlg::UpdateCurrentCall() {
    if (m_bUpdating)
        return;
    m_bUpdating = true;
    const std::string file = m_host.CurrentFile();
    if (!file.empty()) {
        FinishedCall call;
        call.sRecordingPath = file;
        call.sName = m_pCaller->Name();
        const CCallState* pState = m_host.CallState();
        call.sNumber = pState ? StoredCallerNumber(*pState, m_pCaller->Number()) : m_pCaller->Number();
        call.sMemo = m_pCaller->Memo();
        std::string error;
        ++m_nIndexWrites;
        if (!WithCallLog([&](CCallLog& log) { return log.StoreCallerFields(call, &error); },
                         error))
            ShowIndexError(error);
    }
    setWindowTitle(Q(CallWindowTitle(m_pCaller->Name(), m_pCaller->Number())));
    m_bUpdating = false;
}

void CMainDlg::WorkerUpdatedCall() {
    const CCallState* pState = m_host.CallState();
    const CallerFields caller = pState ? CurrentCallerFields(*pState) : CallerFields{};
    // What the user is typing wins over the worker's copy of it.
    if (!m_pCaller->IsWritePending())
        m_pCaller->SetFields(caller.sName, caller.sNumber, caller.sText);
    setWindowTitle(Q(CallWindowTitle(caller.sName, caller.sNumber)));
}

void CMainDlg::CallLogChanged(const CallLogChange&) {
    // Whichever index it was: the shown one is read again when it changed,
    // unless its watcher was first.
    if (m_pWatcher->HasChanged())
        RefreshList();
}

bool CMainDlg::WithCallLog(const std::function<bool(CCallLog&)>& request, std::string& sError) {
    CCallLog* log = m_host.CallLog();
    if (!log) {
        sError = "the call log is not open yet";
        return false;
    }
    return request(*log);
}

void CMainDlg::StartStopTimer(int ms) {
    m_bStopPending = true;
    m_stopTimer.start(ms);
}
