// The main window's call list and current call against real files: the
// index on disk, the recordings beside it and the desktop's trash.
#include "OpenBoxes.h"
#include "TempHome.h"

#include "app/CommandIds.h"
#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "calllog/DataStructure.h"
#include "engine/CallState.h"
#include "engine/Number.h"
#include "main/CallListModel.h"
#include "main/CallerPanel.h"
#include "main/CallsModel.h"
#include "main/CallsView.h"
#include "main/FolderTree.h"
#include "main/MainDlg.h"
#include "main/MainMenu.h"
#include "main/PlayerBar.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct FakeHost : IMainDlgHost {
    void Command(int) override {}
    std::string CurrentFile() override { return file; }
    void PlayToLine(const std::string& sFile) override { played.push_back(sFile); }
    void Dial(const std::string&) override {}
    void VolumeChosen(int nPercent) override { volume = nPercent; }
    bool ToggleMute() override { return false; }
    bool IsMuted() override { return false; }
    bool IsTalking() override { return false; }
    TalkButton TalkButtonNow() override { return {}; }
    CCallState* CallState() override { return &calls; }
    CCallState calls;
    CCallLog* CallLog() override { return &callLog; }
    CCallLog callLog;
    int volume = -1;
    std::string file;
    std::vector<std::string> played;
};

CDataStructure Record(const std::string& file, const std::string& name,
                      const std::string& number = "5551234", const std::string& memo = "") {
    CDataStructure r;
    r.m_sFile = file;
    r.m_sDate = "12/06/26";
    r.m_sTime = "21:05";
    r.m_sName = name;
    r.m_sNumber = number;
    r.m_sMemo = memo;
    r.m_nLength = 75;
    return r;
}

class MainCallListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("LC_TIME", "C.UTF-8", 1);
        std::filesystem::create_directories(Folder());
    }
    void TearDown() override { CloseBoxes(); }
    std::string Folder() const { return home.File("Recorded Calls/"); }
    std::string Index() const { return Folder() + "index.dat"; }
    void WriteIndex(const std::vector<CDataStructure>& records) {
        CDataStructureArray a;
        for (const CDataStructure& r : records)
            a.Add(r);
        ASSERT_TRUE(a.Save(Index()));
    }
    std::vector<std::string> IndexFiles() {
        CDataStructureArray a;
        a.Load(Index());
        std::vector<std::string> files;
        for (int i = 0; i < a.GetSize(); ++i)
            files.push_back(a.GetAt(i).m_sFile);
        return files;
    }
    // The first record of the index as it is on disk (none: the test fails).
    CDataStructure Stored() {
        CDataStructureArray a;
        a.Load(Index());
        return a.GetAt(0);
    }
    void MakeWav(const std::string& name) {
        CWaveFile wav; // a tenth of a second of silence
        ASSERT_EQ(wav.Create(Folder() + name, PcmFormat(8000)), 1);
        const std::vector<int16_t> silence(800);
        ASSERT_TRUE(wav.WriteSamples(silence.data(), silence.size()) && wav.CloseWrite());
    }
    void Select(CMainDlg& dlg, const std::vector<std::string>& files) {
        QTableView* list = dlg.List();
        list->clearSelection();
        for (int r = 0; r < list->model()->rowCount(); ++r) {
            const QModelIndex i = list->model()->index(r, CCallListModel::kColFile);
            if (std::find(files.begin(), files.end(), i.data().toString().toStdString()) !=
                files.end())
                list->selectionModel()->select(i, QItemSelectionModel::Select |
                                                      QItemSelectionModel::Rows);
        }
    }
    std::vector<std::string> ShownNames(CMainDlg& dlg) {
        std::vector<std::string> names;
        for (int r : dlg.ShownRows())
            names.push_back(dlg.Model()->Row(r).sName);
        return names;
    }

    TempHome home;
    FakeHost host;
};

} // namespace

TEST_F(MainCallListTest, AMemoTypedDuringARecordingIsWrittenOncePerPause) {
    MakeWav("rec.wav");
    WriteIndex({Record("rec.wav", "JOHN DOE")});
    host.file = Folder() + "rec.wav";
    CMainDlg dlg(host);
    dlg.show();
    host.calls.EngineState().bRecording = true;
    QPlainTextEdit* memo = dlg.Caller()->MemoEdit();

    // The keys come faster than the pause: nothing is written while typing.
    QTest::keyClicks(memo, "call back");
    EXPECT_EQ(dlg.IndexWrites(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.IndexWrites() > 0; }, 10000));
    EXPECT_EQ(dlg.IndexWrites(), 1);
    EXPECT_FALSE(dlg.Caller()->IsWritePending()) << "no second write is on its way";

    QTest::keyClicks(memo, " on monday");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.Caller()->IsWritePending(); }, 10000));
    EXPECT_EQ(dlg.IndexWrites(), 2);

    EXPECT_EQ(Stored().m_sMemo, "call back on monday");
    EXPECT_EQ(Stored().m_nLength, 75) << "the recorder's length stays";
    // The worker's own write at the end of the recording finds it too.
    EXPECT_EQ(host.calls.EngineState().curCall.Get().m_sMemo, "call back on monday");

    // Without a recording, every change is written at once.
    host.calls.EngineState().bRecording = false;
    QTest::keyClicks(memo, "!!");
    EXPECT_EQ(dlg.IndexWrites(), 4);
    EXPECT_FALSE(dlg.Caller()->IsWritePending());
    EXPECT_EQ(Stored().m_sMemo, "call back on monday!!");
}

// The number field shows the caller's number in its display form; what the
// window writes back keeps the number as it came, so a search by its digits
// still finds the call. Only a number the user types replaces it.
TEST_F(MainCallListTest, AMemoEditKeepsTheCallersDigitsAndATypedNumberIsStoredAsTyped) {
    MakeWav("rec.wav");
    WriteIndex({Record("rec.wav", "JOHN DOE", "5551234")});
    host.calls.EngineState().curCall.Update([](CNumber& call) {
        call.m_sNumber = "5551234";
        call.m_sDisplayNumber = "555-1234";
    });
    host.file = Folder() + "rec.wav";
    CMainDlg dlg(host);
    dlg.show();
    ASSERT_EQ(dlg.Caller()->Number(), "555-1234");
    QTest::keyClicks(dlg.Caller()->MemoEdit(), "call back");
    EXPECT_EQ(Stored().m_sMemo, "call back");
    EXPECT_EQ(Stored().m_sNumber, "5551234");
    EXPECT_EQ(host.calls.CurrentCall().m_sNumber, "5551234") << "the worker's last write";

    dlg.Caller()->NumberEdit()->clear();
    QTest::keyClicks(dlg.Caller()->NumberEdit(), "0123 456");
    EXPECT_EQ(Stored().m_sNumber, "0123 456");
    EXPECT_EQ(host.calls.CurrentCall().m_sNumber, "0123 456");
}

TEST_F(MainCallListTest, ASearchInCapitalsFindsEveryCase) {
    WriteIndex({Record("a.wav", "john smith"), Record("b.wav", "Mary", "5550000", "ask JOHN"),
                Record("c.wav", "JOHN DOE"), Record("d.wav", "Peter"),
                Record("e.wav", "Jürgen Müller")});
    CMainDlg dlg(host);
    EXPECT_EQ(dlg.ShownRows().size(), 5u);
    // Capitals of any script; numbers and the length text are searched too.
    const std::pair<const char*, std::vector<std::string>> searches[] = {
        {"JoHN", {"john smith", "Mary", "JOHN DOE"}},
        {"MÜLLER", {"Jürgen Müller"}},
        {"01:15", {"john smith", "Mary", "JOHN DOE", "Peter", "Jürgen Müller"}},
        {"5550000", {"Mary"}}};
    for (const auto& [search, names] : searches) {
        dlg.Search()->setText(QString::fromUtf8(search));
        QTest::keyClick(dlg.Search(), Qt::Key_Return);
        EXPECT_EQ(ShownNames(dlg), names) << search;
    }
    // Typing alone searches once the typing pauses (timer 5).
    dlg.Search()->setText("peter");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return ShownNames(dlg) == std::vector<std::string>{"Peter"}; }, 10000));
}

TEST_F(MainCallListTest, APositionOffTheScreensIsResetAndState3StartsHidden) {
    home.Write("vorella.ini", "[Options]\nPosX=3000\nPosY=100\nSizeX=500\nSizeY=400\n"
                              "dwWindowState=0\n[Startup]\nShowMainDlg=1\n");
    {
        CMainDlg dlg(host);
        dlg.ApplyStartPlacement(true);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.pos(), QPoint(0, 0));
        EXPECT_EQ(dlg.size(), QSize(500, 400));
    }
    home.Write("vorella.ini", "[Options]\ndwWindowState=3\n[Startup]\nShowMainDlg=1\n");
    CMainDlg hidden(host);
    hidden.ApplyStartPlacement(true);
    EXPECT_FALSE(hidden.isVisible());
}

// Deleting rewrites the index: the records left, hostile text and all,
// stay byte for byte; a file already gone is no error; the recording in
// progress is refused.
TEST_F(MainCallListTest, DeletingTrashesTheFilesAndKeepsTheOtherRecordsWhole) {
    MakeWav("a.wav");
    MakeWav("keep.wav");
    const CDataStructure hostile =
        Record("h.wav", "O'Brien, \"Bob\" \xff\xfe", "=1,\"2\"\r\n3",
               "line one\r\nline two, \"quoted\" \\n not a break\n<b>bold</b>");
    WriteIndex(
        {Record("a.wav", "A"), Record("gone.wav", "Gone"), hostile, Record("keep.wav", "Keep")});
    CMainDlg dlg(host);
    dlg.show();
    int row = -1;
    for (int r : dlg.ShownRows())
        if (dlg.Model()->Row(r).sFile == "h.wav")
            row = r;
    ASSERT_GE(row, 0);
    // Text that is not UTF-8 is read in the legacy code page (Windows-1252).
    auto shown = [&](int col, int role) {
        return dlg.Model()->index(row, col).data(role).toString();
    };
    EXPECT_EQ(shown(CCallListModel::kColFrom, Qt::DisplayRole),
              QString::fromUtf8("O'Brien, \"Bob\" ÿþ"));
    EXPECT_EQ(shown(CCallListModel::kColMemo, Qt::ToolTipRole),
              QString::fromUtf8("line one\r\nline two, \"quoted\" \\n not a break\n<b>bold</b>"));

    Select(dlg, {"a.wav", "gone.wav"});
    dlg.OnCommand(kCmdDelete);
    ASSERT_NE(OpenBox(), nullptr);
    EXPECT_EQ(OpenBox()->text(), "Are you sure you want to delete this message(s)?");
    OpenBox()->button(QMessageBox::Yes)->click();
    EXPECT_EQ(IndexFiles(), (std::vector<std::string>{"h.wav", "keep.wav"}));
    EXPECT_EQ(dlg.ShownRows().size(), 2u);
    EXPECT_EQ(OpenBox(), nullptr) << "a file already gone is no error";
    EXPECT_EQ(Stored(), hostile);
    EXPECT_FALSE(FileExists(Folder() + "a.wav"));
    EXPECT_TRUE(FileExists(Folder() + "keep.wav"));
    const std::string trash = home.File("data-home/Trash/");
    EXPECT_TRUE(FileExists(trash + "files/a.wav"));
    const std::string info = ReadWholeFile(trash + "info/a.wav.trashinfo", 4096).value_or("");
    std::string path = Folder() + "a.wav";
    path.replace(path.find(' '), 1, "%20");
    EXPECT_NE(info.find("Path=" + path + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("DeletionDate="), std::string::npos) << info;

    // "No" keeps everything.
    Select(dlg, {"keep.wav"});
    dlg.OnCommand(kCmdDelete);
    ASSERT_NE(OpenBox(), nullptr);
    OpenBox()->button(QMessageBox::No)->click();
    EXPECT_EQ(IndexFiles(), (std::vector<std::string>{"h.wav", "keep.wav"}));

    // The recording in progress cannot be deleted.
    host.file = Folder() + "keep.wav";
    host.calls.EngineState().bRecording = true;
    dlg.OnCommand(kCmdDelete);
    EXPECT_THAT(TakeBoxText(), HasSubstr("in progress"));
    EXPECT_EQ(IndexFiles(), (std::vector<std::string>{"h.wav", "keep.wav"}));
    EXPECT_TRUE(FileExists(Folder() + "keep.wav"));
}

// The first call folder is watched from before it exists, and the list
// follows the index whoever writes it (the service, a script).
TEST_F(MainCallListTest, TheListFollowsTheIndexWhoeverWritesIt) {
    std::filesystem::remove_all(Folder());
    CMainDlg dlg(host);
    dlg.show();
    EXPECT_TRUE(dlg.ShownRows().empty());
    std::filesystem::create_directories(Folder());
    WriteIndex({Record("a.wav", "First")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.ShownRows().size() == 1; }, 5000));
    WriteIndex({Record("a.wav", "First"), Record("b.wav", "Second")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.ShownRows().size() == 2; }, 5000));
    EXPECT_EQ(ShownNames(dlg), (std::vector<std::string>{"First", "Second"}));
}

TEST_F(MainCallListTest, ADamagedIndexIsReportedOnceAndNeverOverwritten) {
    std::filesystem::create_directories(Index()); // not a file
    host.file = Folder() + "rec.wav";
    CMainDlg dlg(host);
    dlg.show();
    EXPECT_THAT(TakeBoxText(), HasSubstr("index.dat"));
    dlg.RefreshList();
    dlg.UpdateCurrentCall();
    EXPECT_EQ(OpenBox(), nullptr) << "said once";
    EXPECT_TRUE(std::filesystem::is_directory(Index()));
    EXPECT_TRUE(dlg.ShownRows().empty());
}

TEST_F(MainCallListTest, ARecordingThatIsMissingOrNotAWavSaysSoAndTheListStaysUsable) {
    home.Write("Recorded Calls/text.wav", "this is no sound");
    MakeWav("good.wav");
    WriteIndex(
        {Record("missing.wav", "Missing"), Record("text.wav", "Text"), Record("good.wav", "Good")});
    CMainDlg dlg(host);
    dlg.show();
    for (const char* file : {"missing.wav", "text.wav"}) {
        Select(dlg, {file});
        dlg.OnCommand(kCmdPlay);
        EXPECT_THAT(TakeBoxText(), HasSubstr(file));
    }
    EXPECT_TRUE(host.played.empty());
    Select(dlg, {"good.wav"});
    dlg.OnCommand(kCmdPlay);
    EXPECT_EQ(host.played, std::vector<std::string>{Folder() + "good.wav"});
    EXPECT_EQ(dlg.ShownRows().size(), 3u);

    // The OEM build plays on this computer, never through the line.
    home.Write("vorella.ini", "[Options]\nfKestrixCustomization=1\n");
    dlg.OnCommand(kCmdPlay);
    EXPECT_EQ(host.played.size(), 1u);
}

TEST_F(MainCallListTest, SaveAsCopiesTheRecordingAndNeverEmptiesIt) {
    MakeWav("a.wav");
    const std::string original = home.Read("Recorded Calls/a.wav");
    WriteIndex({Record("a.wav", "A")});
    CMainDlg dlg(host);
    dlg.show();
    Select(dlg, {"a.wav"});
    std::string answer = home.File("copy");
    dlg.SetFileChooser([&](const QString&, bool bSave) {
        EXPECT_TRUE(bSave);
        return answer;
    });
    dlg.OnCommand(kCmdSaveAs);
    EXPECT_EQ(home.Read("copy.wav"), original) << "the extension is added";

    // The recording itself chosen as the target: left whole.
    answer = Folder() + "a.wav";
    dlg.OnCommand(kCmdSaveAs);
    EXPECT_EQ(home.Read("Recorded Calls/a.wav"), original);
    // A target that cannot be written says so.
    answer = home.File("no such folder/x.wav");
    dlg.OnCommand(kCmdSaveAs);
    EXPECT_THAT(TakeBoxText(), StartsWith("Can not save file."));
}

TEST_F(MainCallListTest, MovingToANewFolderMakesItAndTakesTheRecordsAlong) {
    MakeWav("a.wav");
    MakeWav("b.wav");
    WriteIndex({Record("a.wav", "A"), Record("b.wav", "B")});
    CMainDlg dlg(host);
    dlg.show();
    Select(dlg, {"a.wav"});
    dlg.SetFolderChooser([](const std::vector<std::string>&) { return std::string("Family"); });
    dlg.OnCommand(kCmdMoveToFolder);
    EXPECT_EQ(IndexFiles(), std::vector<std::string>{"b.wav"});
    EXPECT_TRUE(FileExists(Folder() + "Family/a.wav"));
    CDataStructureArray moved;
    ASSERT_EQ(moved.Load(Folder() + "Family/index.dat"), 1);
    EXPECT_EQ(moved.GetAt(0).m_sName, "A");
    // The new folder is in the tree, and shows its call when chosen.
    ASSERT_TRUE(dlg.Tree()->Select(Folder() + "Family/"));
    EXPECT_EQ(ShownNames(dlg), std::vector<std::string>{"A"});

    // A name that would leave the call folder is refused.
    dlg.SetFolderChooser([](const std::vector<std::string>&) { return std::string("../x"); });
    Select(dlg, {"a.wav"});
    dlg.OnCommand(kCmdMoveToFolder);
    EXPECT_NE(TakeBoxText(), "");
    EXPECT_TRUE(FileExists(Folder() + "Family/a.wav"));
}

// The player bar plays the chosen recording, or the worker's newest one,
// which "&p" and "S&end To..." then follow; the volume is the phone's.
TEST_F(MainCallListTest, ThePlayerBarPlaysTheChosenOrTheWorkersNewRecordingAndKeepsTheVolume) {
    MakeWav("a.wav");
    MakeWav("b.wav");
    WriteIndex({Record("a.wav", "A"), Record("b.wav", "B")});
    CMainDlg dlg(host);
    dlg.show();
    CPlayerBar* player = dlg.Player();

    // The volume is m_iVolume: a key on the slider chooses it at once, for
    // the phone, which keeps it; the window writes no setting of its own.
    player->VolumeSlider()->setValue(40);
    player->VolumeSlider()->setFocus();
    QTest::keyClick(player->VolumeSlider(), Qt::Key_Right);
    EXPECT_EQ(host.volume, 41) << "the phone plays at it and keeps it";
    dlg.SaveState();
    EXPECT_EQ(home.Read("vorella.ini").find("m_iVolume"), std::string::npos);
    // Mute reaches the core: MainDlgTest.

    Select(dlg, {"a.wav"});
    ASSERT_EQ(player->File(), Folder() + "a.wav");
    EXPECT_TRUE(player->PlayButton()->isEnabled());
    EXPECT_EQ(player->TimeLabel()->text(), "00:00 / 00:00") << "a tenth of a second";
    QTest::mouseClick(player->PlayButton(), Qt::LeftButton);
    // It plays to the end and stops there by itself.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return player->PositionSlider()->value() == player->PositionSlider()->maximum(); },
        10000));
    EXPECT_EQ(player->PositionSlider()->maximum(), 100);

    // A row is selected, and still the newest call is the one to hear.
    host.file = Folder() + "b.wav";
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->File() == host.file; }, 10000));
    dlg.List()->clearSelection();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !dlg.Menu()->Action(kCmdDelete)->isEnabled(); }, 10000));
    EXPECT_TRUE(dlg.Menu()->Action(kCmdPlay)->isEnabled());
    EXPECT_TRUE(dlg.Menu()->Action(kCmdSendTo)->isEnabled());
    dlg.OnCommand(kCmdPlay);
    EXPECT_EQ(host.played, std::vector<std::string>{host.file});
}

TEST_F(MainCallListTest, ExportWritesTheListAsXmlAndAsAPageAndOpensThePage) {
    home.CopyShipped("styles/inbox.xsl");
    // The desktop's opener is a stand-in that notes what it was given (the
    // note whole once it is there).
    const std::string bin = home.File("bin/");
    const std::string note = home.File("opened");
    home.Write("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"" + note + ".part\" && mv \"" +
                                   note + ".part\" \"" + note + "\"\n");
    std::filesystem::permissions(bin + "xdg-open", std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    ::setenv("PATH", (bin.substr(0, bin.size() - 1) + ":" + path).c_str(), 1);

    WriteIndex({Record("a.wav", "Mary")});
    CMainDlg dlg(host);
    dlg.OnCommand(kCmdExportXml);
    ::setenv("PATH", path.c_str(), 1);

    const std::string page = home.File("xml/Call List.html");
    ASSERT_TRUE(QTest::qWaitFor([&] { return FileExists(home.File("opened")); }, 10000));
    EXPECT_EQ(home.Read("opened"), page) << "the page opens, not the XML";
    EXPECT_EQ(OpenBox(), nullptr);
    // A stranger's text in the page and the document: XmlExportTest.
    EXPECT_NE(home.Read("xml/Call List.html").find("Mary"), std::string::npos);
    EXPECT_TRUE(FileExists(home.File("xml/Call List.xml")));
}

// The "Calls" view on the contacts file the engine writes: the three views,
// a caller's earlier calls, a message played and no longer new, a call
// written meanwhile, and the caller commands of the context menu.
TEST_F(MainCallListTest, TheCallsViewListsTheHistoryAndPutsCallersOnLists) {
    MakeWav("msg.wav");
    const CPhoneNumbers numbers("US", "");
    CContactStore engine(numbers);
    ASSERT_TRUE(engine.Open(home.File("minidb.dat"))) << engine.Error();
    auto append = [&](const char* number, CallOutcome outcome, const std::string& recording) {
        HistoryEntry e;
        e.tTime = 1'800'000'000 + engine.Calls(HistoryFilter::All, 0, 1000).size();
        e.sNumber = number;
        e.sNormalised = numbers.Normalise(number);
        e.sName = "NET " + std::string(number);
        e.outcome = outcome;
        e.sRecording = recording;
        ASSERT_NE(engine.AppendCall(e), 0) << engine.Error();
    };
    append("2015550123", CallOutcome::Missed, "");
    append("2015550199", CallOutcome::Blocked, "");
    append("2015550123", CallOutcome::Message, Folder() + "msg.wav");
    CMainDlg dlg(host);
    dlg.show();
    CCallsModel* model = dlg.Calls()->Model();
    // The view chosen in the tree is the page read (the filters themselves:
    // CallsSourceTest).
    dlg.Tree()->SelectCalls(HistoryFilter::Blocked);
    ASSERT_TRUE(dlg.IsCallsShown());
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->Row(0).sOutcome, "blocked");
    dlg.Tree()->SelectCalls(HistoryFilter::All);
    ASSERT_EQ(model->rowCount(), 3);
    auto bold = [&] { return model->index(0, 0).data(Qt::FontRole).value<QFont>().bold(); };
    EXPECT_TRUE(bold()) << "an unheard message";
    dlg.Calls()->List()->selectRow(0);
    EXPECT_EQ(dlg.Calls()->EarlierModel()->rowCount(), 2) << "the caller's calls";
    emit dlg.Calls()->List()->activated(model->index(0, 0));
    EXPECT_EQ(host.played, (std::vector<std::string>{Folder() + "msg.wav"}));
    EXPECT_FALSE(bold()) << "heard";

    append("2015550142", CallOutcome::Missed, "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount() == 4; }, 10000));
    EXPECT_EQ(model->Row(0).sCaller, "NET 2015550142");

    struct Step {
        const char* number;
        int item; // 0 block, 1 permit, 2 add; -1 none: only the menu looked at
        const char* status;
        std::vector<bool> enabledAfter;
    } steps[] = {{"2015550142", -1, "", {true, true, true}},
                 {"2015550142", 0, "is blocked", {false, true, false}},
                 {"2015550142", 1, "is always let through", {true, false, false}},
                 {"2015550123", 2, "is neither blocked", {true, true, false}},
                 {"Anonymous", -1, "", {false, false, false}}};
    for (const Step& s : steps) {
        if (s.item >= 0) {
            dlg.CallerMenu(s.number)->actions().at(s.item)->trigger();
            EXPECT_THAT(dlg.Status().toStdString(), HasSubstr(s.status));
        }
        std::vector<bool> enabled;
        const std::unique_ptr<QMenu> menu = dlg.CallerMenu(s.number);
        for (QAction* a : menu->actions())
            enabled.push_back(a->isEnabled());
        EXPECT_EQ(enabled, s.enabledAfter) << s.number;
    }
}

TEST_F(MainCallListTest, AContactsFileThatCannotBeOpenedSaysSoInTheView) {
    home.Write("vorella.ini", "[Options]\nsFileContacts=" + home.File("gone/x.dat") + "\n");
    CMainDlg dlg(host);
    dlg.show();
    dlg.Tree()->SelectCalls(HistoryFilter::All);
    dlg.Calls()->Poll(); // tried again, told no second time, still shown
    EXPECT_THAT(dlg.Calls()->Notice().toStdString(), HasSubstr("gone/x.dat"));
    EXPECT_EQ(dlg.Calls()->Model()->rowCount(), 0);
}
