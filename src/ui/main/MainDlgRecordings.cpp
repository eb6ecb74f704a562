// CMainDlg's commands: the buttons and menu items, above all those on the
// recordings chosen in the list (play, save, move, send, edit, delete).
#include "main/MainDlg.h"

#include "app/CommandIds.h"
#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "calllog/DataStructure.h"
#include "calllog/HtmlExport.h"
#include "calllog/XmlExport.h"
#include "config/DataFolder.h"
#include "config/SettingsProvider.h"
#include "engine/CallState.h"
#include "frontend/MessageBoxes.h"
#include "main/CallListModel.h"
#include "main/CallerPanel.h"
#include "main/FolderTree.h"
#include "main/MainMenu.h"
#include "main/PlayerBar.h"
#include "notify/CallMail.h"
#include "platform/FileUtil.h"
#include "platform/ProcessLaunch.h"
#include "platform/ProgramFolder.h"
#include "platform/Strings.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>

#include <algorithm>
#include <sys/stat.h>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// String 57991 as a file dialog's filter: "Wave audio (*.wav);;All Files (*)".
QString WaveFilter() {
    const QStringList parts = QString::fromUtf8(LoadStr(57991)).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i].section(" (", 0, 0) + " (" + QString(parts[i + 1]).replace("*.*", "*") +
                       ")";
    return filters.join(";;");
}

// A folder name typed by the user: one level, no way out of the call folder.
bool IsPlainFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

} // namespace

void CMainDlg::Tell(const QString& text) {
    OpenMessageBox(isVisible() ? this : nullptr, text.toStdString());
}

std::vector<std::string> CMainDlg::SelectedFiles() const {
    std::vector<std::string> files;
    // In list order, as the user sees them.
    for (int r = 0; r < m_pSorted->rowCount(); ++r)
        if (m_pList->selectionModel()->isRowSelected(r, {}))
            files.push_back(
                m_pModel->Row(m_pSorted->mapToSource(m_pSorted->index(r, 0)).row()).sFile);
    return files;
}

std::string CMainDlg::SelectedPath() const {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return {};
    return WithTrailingSlash(Folder()) + m_pModel->Row(rows.front()).sFile;
}

bool CMainDlg::CheckRecording(const std::string& sPath) {
    if (sPath.empty())
        return false;
    CWaveFile wave;
    if (wave.Open(sPath))
        return true;
    Tell(tr("The recording cannot be used:\n\n%1").arg(Q(wave.LastError())));
    return false;
}

void CMainDlg::LoadIntoPlayer(const std::string& sPath) {
    std::string error;
    if (sPath.empty()) {
        m_pPlayer->Unload();
    } else if (!m_pPlayer->Load(sPath, &error)) {
        // The list stays usable; the player says why it is empty.
        statusBar()->showMessage(QString::fromStdString(error), 5000);
    }
}

void CMainDlg::OnCommand(int nId) {
    switch (nId) {
    case kCmdRecord:
        if (CallFlagsNow().bRecording)
            m_host.Command(kCmdStopRecording);
        else
            m_host.Command(m_bLegal ? kCmdAnswer : kCmdRecord);
        break;
    case kCmdStopRecording:
        m_bStopPending = true;
        if (CCallState* pState = m_host.CallState())
            pState->RequestEndHold();
        m_host.Command(kCmdStopRecording);
        break;
    case kCmdHold:
        Hold(kActionHoldMusic);
        break;
    case kCmdHoldMusic:
        Hold(kActionEnhancedHold);
        break;
    case kCmdDialNumber:
        if (!m_pCaller->Number().empty())
            m_host.Dial(m_pCaller->Number());
        break;
    case kCmdLegal:
        m_bLegal = !m_bLegal;
        m_pMenu->Action(kCmdLegal)->setChecked(m_bLegal);
        SettingsProvider().SetInt("Legal", m_bLegal ? 1 : 0);
        break;
    case kCmdPlay:
        PlaySelected();
        break;
    case kCmdDelete:
        DeleteSelected();
        break;
    case kCmdSendTo:
        SendSelected();
        break;
    case kCmdUpdate:
        UpdateCurrentCall();
        break;
    case kCmdFind:
        m_pSearch->setFocus();
        m_pSearch->selectAll();
        Find();
        break;
    case kCmdMoveToFolder:
        MoveSelected();
        break;
    case kCmdEditRecording:
        EditSelected();
        break;
    case kCmdSaveAs:
        SaveSelectedAs();
        break;
    case kCmdPlayAFile:
        PlayAFile();
        break;
    case kCmdExportXml:
        ExportXml();
        break;
    case kCmdPrint:
        Tell(tr("Printing not yet implemented."));
        break;
    case kCmdMute: {
        // While talking it is the microphone's; the player keeps its sound.
        const bool bTalking = m_host.IsTalking();
        const bool bMuted = m_host.ToggleMute();
        m_pMenu->Action(kCmdMute)->setChecked(bMuted);
        if (!bTalking)
            m_pPlayer->SetMuted(bMuted);
        break;
    }
    case kCmdAgc:
        m_bAutoGain = !m_bAutoGain;
        m_pMenu->Action(kCmdAgc)->setChecked(m_bAutoGain);
        m_pPlayer->SetAutoGain(m_bAutoGain);
        break;
    default:
        m_host.Command(nId);
        break;
    }
}

void CMainDlg::Hold(int32_t nAction) {
    CCallState* pState = m_host.CallState();
    if (!pState)
        return;
    // A second press takes the line off hold again.
    if (pState->Flags().bHold) {
        pState->RequestEndHold();
        return;
    }
    pState->RequestAction(nAction);
}

std::string CMainDlg::ChosenRecording() const {
    const std::string inPlayer = m_pPlayer->File();
    return inPlayer.empty() ? SelectedPath() : inPlayer;
}

void CMainDlg::PlaySelected() {
    PlayRecording(ChosenRecording());
}

void CMainDlg::PlayRecording(const std::string& path) {
    if (!CheckRecording(path))
        return;
    // The OEM build plays on this computer instead of through the line.
    if (SettingsProvider().GetBool("fKestrixCustomization")) {
        std::string error;
        if (m_pPlayer->Load(path, &error))
            m_pPlayer->TogglePlay();
        else
            Tell(tr("The recording cannot be played here: %1").arg(Q(error)));
        return;
    }
    m_host.PlayToLine(path);
}

void CMainDlg::PlayAFile() {
    const std::string path =
        m_chooseFile
            ? m_chooseFile(tr("Play a File"), false)
            : QFileDialog::getOpenFileName(this, tr("Play a File"), {}, WaveFilter()).toStdString();
    if (!path.empty() && CheckRecording(path))
        m_host.PlayToLine(path);
}

void CMainDlg::DeleteSelected() {
    const std::vector<std::string> files = SelectedFiles();
    if (files.empty())
        return;
    const std::string folder = Folder();
    const std::string index = IndexPath();
    // The recorder still writes the running call's file and, at its end,
    // its record: deleting them now would bring back a record without a file.
    const std::string current = m_host.CurrentFile();
    for (const std::string& f : files)
        if (CallFlagsNow().bRecording && WithTrailingSlash(folder) + f == current) {
            Tell(tr("The recording in progress cannot be deleted; stop it first."));
            return;
        }
    OpenYesNoBox(this, LoadStr(132), false, [this, files, folder, index](bool bYes) {
        if (!bYes)
            return;
        if (m_pPlayer->File().rfind(folder, 0) == 0)
            m_pPlayer->Unload();
        std::string error;
        if (!WithCallLog(
                [&](CCallLog& log) { return log.DeleteRecordings(folder, index, files, &error); },
                error))
            Tell(tr("Not every recording could be deleted:\n\n%1").arg(Q(error)));
        m_pList->clearSelection();
        RefreshList();
    });
}

void CMainDlg::SaveSelectedAs() {
    const std::string path = SelectedPath();
    if (path.empty())
        return;
    std::string target =
        m_chooseFile
            ? m_chooseFile(tr("Save as"), true)
            : QFileDialog::getSaveFileName(this, tr("Save as"), {}, WaveFilter()).toStdString();
    if (target.empty())
        return;
    if (target.find('.', target.find_last_of('/') + 1) == std::string::npos)
        target += ".wav";
    // Copying a file onto itself would empty it before reading it.
    struct stat from {
    }, to{};
    if (::stat(path.c_str(), &from) == 0 && ::stat(target.c_str(), &to) == 0 &&
        from.st_dev == to.st_dev && from.st_ino == to.st_ino)
        return;
    if (!CopyFileTo(path, target))
        Tell(QString::fromUtf8(LoadStr(159)) + "\n\n" + Q(target));
}

void CMainDlg::MoveSelected() {
    const std::vector<std::string> files = SelectedFiles();
    if (files.empty())
        return;
    std::vector<std::string> folders = m_pTree->Folders();
    std::string target;
    if (m_chooseFolder) {
        target = m_chooseFolder(folders);
    } else {
        QStringList names;
        // The current call folder's by their names, an earlier one's in full.
        const std::string& root = m_pTree->Root();
        for (const std::string& f : folders)
            names << QString::fromStdString(f == root                ? std::string("Recorded Calls")
                                            : f.rfind(root, 0) == 0 ? f.substr(root.size())
                                                                     : f);
        bool ok = false;
        const QString chosen = QInputDialog::getItem(
            this, tr("Move to Folder"),
            tr("Folder (type a new name to make a folder in \"Recorded Calls\"):"), names, 0, true,
            &ok);
        if (!ok)
            return;
        const int i = static_cast<int>(names.indexOf(chosen));
        target = i >= 0 ? folders[static_cast<size_t>(i)] : chosen.trimmed().toStdString();
    }
    if (target.empty())
        return;
    if (target.front() != '/') {
        if (!IsPlainFolderName(target)) {
            Tell(tr("\"%1\" cannot be a folder name: it must not be empty or hold \"/\".")
                     .arg(Q(target)));
            return;
        }
        target = m_pTree->Root() + target + "/";
    }
    target = WithTrailingSlash(target);
    std::string error;
    if (!WithCallLog(
            [&](CCallLog& log) {
                return log.MoveRecordings(Folder(), IndexPath(), target,
                                          IndexPathFor(target, GetDataFolder()), files, &error);
            },
            error))
        Tell(tr("Not every recording could be moved:\n\n%1").arg(Q(error)));
    m_pTree->Refill();
    RefreshList();
}

void CMainDlg::SendSelected() {
    const std::string path = ChosenRecording();
    if (!CheckRecording(path))
        return;
    // The record is in the index beside the recording, which need not be
    // the folder the list shows (the worker's newest call).
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    CDataStructureArray index;
    index.Load(IndexPathFor(folder, GetDataFolder()));
    const std::string file = path.substr(folder.size());
    MailSettings settings;
    settings.bECIDSubj = true;
    const ComposedMail mail =
        ComposeCallMail(settings, MailCallFromRecord(index.Get(file), folder), {});
    HandoffMessage message{mail.sSubject, mail.sBody, {}, path};
    std::string error;
    if (!HandOffMail(message, &error))
        Tell(tr("The recording could not be handed to the mail program:\n\n%1").arg(Q(error)));
}

void CMainDlg::EditSelected() {
    const std::string path = SelectedPath();
    if (!CheckRecording(path))
        return;
    const LaunchResult r = OpenWithDesktop(path);
    if (r.status != LaunchStatus::Started)
        Tell(tr("The recording could not be opened for editing (xdg-open): %1").arg(Q(r.error)));
}

void CMainDlg::ExportXml() {
    std::vector<CallListRow> rows;
    for (int r : ShownRows())
        rows.push_back(m_pModel->Row(r));
    const std::string path = PrepareCallListXmlPath();
    std::string error;
    if (!ExportCallListXml(rows, path, &error)) {
        OpenMessageBox(this, std::string(LoadStr(164)) + "\n\n" + error, MessageIcon::Error);
        return;
    }
    // Browsers are dropping XSLT, so the page is rendered here as well, and
    // that is what opens; the XML stays for other programs.
    const std::string page = CallListHtmlPath(path);
    std::string open = page;
    if (!ExportCallsHtml(path, GetProgramFolder() + "styles/inbox.xsl", page, &error)) {
        Tell(tr("The call list was written to %1, but its page could not be made: %2")
                 .arg(Q(path), Q(error)));
        open = path;
    }
    const LaunchResult r = OpenWithDesktop(open);
    if (r.status != LaunchStatus::Started)
        Tell(tr("The call list was written to %1 but could not be opened: %2")
                 .arg(Q(open), Q(r.error)));
}
