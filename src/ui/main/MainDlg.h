// CMainDlg: the program's main window. The call buttons and the menu, the
// current call's caller fields and memo, the tree of call folders, the
// call list of the chosen folder with its search box, the player bar and
// the status bar. It keeps the list up to date with the index on disk,
// writes what the user types about the current call into the index, and
// carries out the commands on the chosen recordings.
#pragma once

#include "app/MainWindowRules.h"
#include "app/TalkRules.h"
#include "engine/CallState.h"
#include "screening/ScreeningTypes.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCallListModel;
class CCallLog;
class CCallsView;
struct CallsRow;
struct CallLogChange;
class CCallerPanel;
class CFolderTree;
class CIndexWatcher;
class CMainMenu;
class CPlayerBar;
class QLabel;
class QLineEdit;
class QMenu;
class QSortFilterProxyModel;
class QSplitter;
class QStackedWidget;
class QTableView;

// What the window asks of the program around it.
class IMainDlgHost {
public:
    virtual ~IMainDlgHost() = default;
    // A command of the hidden window (record, stop, options, exit ...).
    virtual void Command(int nId) = 0;
    // The worker's current file: the recording of the call, "" when none.
    virtual std::string CurrentFile() = 0;
    // Plays sFile to the telephone line.
    virtual void PlayToLine(const std::string& sFile) = 0;
    virtual void Dial(const std::string& sNumber) = 0;
    // The volume (m_iVolume) the user chose, for the phone too (for the
    // talk's speaker while a call is talked at the PC).
    virtual void VolumeChosen(int nPercent) = 0;
    // "Mu&te": turns the playback's mute over, or the microphone's while a
    // call is talked at the PC; returns the mute as it is now.
    virtual bool ToggleMute() = 0;
    virtual bool IsMuted() = 0;
    // A call is talked at the PC now.
    virtual bool IsTalking() = 0;
    // The "Answer" command (talk at the PC) as it is to be shown now.
    virtual TalkButton TalkButtonNow() = 0;
    // The engine's state of the call in progress (null while there is no worker).
    virtual CCallState* CallState() = 0;
    // The program's call log, which writes every index; none before the
    // engine is made.
    virtual CCallLog* CallLog() = 0;
};

class CMainDlg : public QMainWindow {
    Q_OBJECT
public:
    // The refresh period while the window is shown.
    static constexpr int kRefreshMs = 100;
    // The "Calls" view looks whether the history changed every so many refreshes.
    static constexpr int kHistoryPollTicks = 10;
    static constexpr int kSearchPauseMs = 500; // timer 5

    explicit CMainDlg(IMainDlgHost& host, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Start-up: the saved placement, then shown, maximised, minimised or
    // hidden by dwWindowState (bShowMainDlg for state 0).
    void ApplyStartPlacement(bool bShowMainDlg);
    // Writes the placement, the record toggle and the volume to the settings.
    void SaveState();

    // From the worker and the hidden window.
    void SetStatusText(const QString& text);
    void SetCaller(const std::string& sName, const std::string& sNumber, const std::string& sMemo);
    // The worker wrote the current call into the index (a recording began
    // or ended): the fields follow (the list follows the call log).
    void WorkerUpdatedCall();
    // The call log changed an index (on the UI thread): the list follows
    // when it was the one shown.
    void CallLogChanged(const CallLogChange& change);
    // The worker starts a new recording: whatever file it reports next goes
    // into the player, even one it reported before.
    void ForgetWorkerFile() { m_sLastWorkerFile.clear(); }
    // The worker's call-list filter on a ring: the caller's earlier calls.
    void SetSearchText(const std::string& sText);
    // Timer 4 ("&Stop" and the worker): the stop pending ends after ms.
    void StartStopTimer(int ms);

    // Writes the current call's caller fields into its record (the
    // "&Update" button, a pause in typing).
    void UpdateCurrentCall();
    // Reads the shown folder's index again.
    void RefreshList();
    // The data folder moved (the options' OK): the tree and the list show
    // the new call folder, and the current call is written into its index.
    void DataFolderChanged();
    void OnCommand(int nId);

    // How file and folder choices are asked; tests answer them directly.
    // sTitle, and for files whether it is for saving; "" is Cancel.
    using FileChooser = std::function<std::string(const QString& sTitle, bool bSave)>;
    using FolderChooser = std::function<std::string(const std::vector<std::string>& folders)>;
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    // For the tests and the screenshots.
    CMainMenu* Menu() const { return m_pMenu; }
    CFolderTree* Tree() const { return m_pTree; }
    CCallerPanel* Caller() const { return m_pCaller; }
    QLineEdit* Search() const { return m_pSearch; }
    QTableView* List() const { return m_pList; }
    CCallListModel* Model() const { return m_pModel; }
    CCallsView* Calls() const { return m_pCalls; }
    bool IsCallsShown() const;
    // The context menu of a row with the caller's sNumber: "Block caller",
    // "Always let through", "Add to contacts".
    std::unique_ptr<QMenu> CallerMenu(const std::string& sNumber);
    CPlayerBar* Player() const { return m_pPlayer; }
    QString Status() const;
    int IndexWrites() const { return m_nIndexWrites; }
    bool IsStopPending() const { return m_bStopPending; }
    bool IsRefreshing() const { return m_refresh.isActive(); }
    bool IsLegal() const { return m_bLegal; }
    // The rows shown, top to bottom, as model row numbers.
    std::vector<int> ShownRows() const;
    std::vector<int> SelectedRows() const;
    // The shown folder and its index.
    std::string Folder() const;
    std::string IndexPath() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* BuildCentre();
    void ApplyIcons();
    void Refresh();
    void ShowState(const MainLineFlags& flags);
    void OnSelectionChanged();
    void OnFolderSelected(const std::string& sFolder);
    void OnCallsSelected(HistoryFilter filter);
    void OnCallsRowActivated(const CallsRow& row);
    void PopUpCallerMenu(QTableView* table, const QPoint& pos);
    void PutOnList(const std::string& sNumber, ContactList list);
    void OnCallerEdited();
    void Find();
    void ShowIndexError(const std::string& sError);
    // Runs a request on the program's call log; false with sError set when
    // there is none yet.
    bool WithCallLog(const std::function<bool(CCallLog&)>& request, std::string& sError);
    void RememberPlacement();

    // The commands on the chosen recordings (MainDlgRecordings.cpp).
    std::vector<std::string> SelectedFiles() const;
    std::string SelectedPath() const;
    // sPath is a recording we can hand on; else a message says why.
    bool CheckRecording(const std::string& sPath);
    void DeleteSelected();
    void SaveSelectedAs();
    void MoveSelected();
    void SendSelected();
    void EditSelected();
    // What "&p" and "S&end To..." act on: the recording in the player (the
    // chosen row's, or the worker's newest), else the selected row's.
    std::string ChosenRecording() const;
    void PlaySelected();
    void PlayRecording(const std::string& sPath);
    void PlayAFile();
    void ExportXml();
    void Hold(int32_t nAction);
    // The call-state flags now (all clear while there is no worker).
    CallFlags CallFlagsNow() const;
    // The recorder's call folder: the one shown ("" the data folder's own).
    void SelectCallFolder(const std::string& sFolder);
    void LoadIntoPlayer(const std::string& sPath);
    void Tell(const QString& text);

    IMainDlgHost& m_host;
    CMainMenu* m_pMenu;
    CFolderTree* m_pTree;
    CCallerPanel* m_pCaller;
    QLineEdit* m_pSearch;
    QTableView* m_pList;
    QSplitter* m_pSplit = nullptr;
    QStackedWidget* m_pPages = nullptr; // the call list or the history
    QWidget* m_pListPage = nullptr;
    int m_nPollTicks = 0;
    CCallListModel* m_pModel;
    QSortFilterProxyModel* m_pSorted;
    CCallsView* m_pCalls;
    CPlayerBar* m_pPlayer;
    QLabel* m_pStatusText;
    QLabel* m_pStatusTime;
    CIndexWatcher* m_pWatcher;
    QTimer m_refresh;
    QTimer m_searchPause; // timer 5
    QTimer m_stopTimer;   // timer 4

    std::string m_sSearch; // lower case
    bool m_bLegal = false;
    bool m_bStopPending = false;
    bool m_bUpdating = false;
    bool m_bAutoGain = false;
    uint32_t m_nCallStartTicks = 0;
    int m_nShownStatusId = -1;
    MainLineFlags m_lastFlags;
    std::string m_sLastWorkerFile;
    std::string m_sShownIndexError;
    int m_nIndexWrites = 0;
    MainPlacement m_placement;
    FileChooser m_chooseFile;
    FolderChooser m_chooseFolder;
};
