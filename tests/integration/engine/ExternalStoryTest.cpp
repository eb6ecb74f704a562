// Rings that end unanswered, the toll saver, the handset, a fax call handed
// to the fax program, and dialling out.
#include "ChildProcess.h"
#include "EngineStory.h"


#include <sys/stat.h>

TEST_F(EngineStory, UnansweredRingsCloseTheCallAndMailANotice) {
    const std::string inbox = home.File("inbox/");
    std::filesystem::create_directories(inbox);
    ServerProcess server({"/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"),
                          "--folder", inbox, "--mode", "plain"});
    MailNoticesTo(server.Port());
    phone->nRings = 2;
    JohnDoeCalls();
    StartWorker();
    sim->Ring(2, modemsim::RingCadence{400, 60});
    // More than 8 s after the last ring the rings have ended.
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(inbox + "msg1.eml"); }, 60000));
    const std::string mail = home.Read("inbox/msg1.eml");
    EXPECT_NE(mail.find("555-1234"), std::string::npos) << mail;
    EXPECT_NE(mail.find("JOHN DOE"), std::string::npos) << mail;
    // The server has the message before the worker has its last reply.
    EXPECT_TRUE(WaitFor([&] { return worker->MailsSent() == 1; }, 30000));
    EXPECT_EQ(State().curCall.Get().m_nKind, 2); // the call's rings
    EXPECT_TRUE(WaitFor([&] { return State().recentCalls.Get().empty(); }, 30000));
    EXPECT_NE(home.Read("modem.log").find("Rings ended."), std::string::npos);
    EXPECT_EQ(Index().GetSize(), 0); // nothing was recorded
}

TEST_F(EngineStory, HandsetStartRecordsAfterTheUsersOwnCallAndItsMarkEndsWithTheCall) {
    phone->bHandsetStart = true;
    phone->bEMailCID = 1; // the mail program: none here, so the notice fails at once
    StartWorker();
    ASSERT_TRUE(sim->WaitForCommand("CID=", 30000)); // the start's modem set-up
    // The user takes the line and hangs up again, with no call ringing: that
    // says nothing about the next call.
    State().bTalking = true;
    State().bOffHookRequest = true;
    worker->Wake();
    ASSERT_TRUE(WaitFor([&] { return State().bOffHook && sim->IsOffHook(); }));
    State().bHangUpRequest = true;
    worker->Wake();
    ASSERT_TRUE(WaitOnHook());
    // After the hang-up the worker sets the modem up again; the one ring of
    // this call must not come while it reads the answers to that set-up.
    ASSERT_TRUE(sim->WaitForCommand("CID=", 30000));
    // A call rings and is taken at an extension: it is recorded.
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 1500, 8000));
    sim->FarEndHangsUp(1500, 'b');
    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitForCalls(1));
    EXPECT_TRUE(UiSaid("handset recording: on"));
    // A missed-call notice follows; the recording is over and the line is
    // back on-hook: the main window's mark that the handset started the
    // recording must be off again.
    ASSERT_TRUE(WaitFor([&] { return home.Read("modem.log").find("Mail") != std::string::npos; }));
    ASSERT_TRUE(WaitOnHook());
    auto lastHandsetLine = [&] {
        std::string last;
        for (const std::string& l : ui.Lines())
            if (l.find("handset recording:") != std::string::npos)
                last = l;
        return last;
    };
    EXPECT_TRUE(WaitFor([&] { return lastHandsetLine().find(": off") != std::string::npos; }))
        << lastHandsetLine();
}

TEST_F(EngineStory, ACallTheMachineTookIsNotRecordedAgainWhenItsRingsEnd) {
    phone->bHandsetStart = true;
    phone->nAction = 1; // away: the machine answers at the first ring
    phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 300);
    phone->DriverSettings().bSilenceDetection = true; // the caller's silence ends the message
    phone->DriverSettings().iSilenceDetectionTimeout = 15;
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 1500, 8000).Silence(60000));
    StartWorker();
    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitForCalls(1));
    EXPECT_EQ(Index().GetAt(0).m_bMessage, 1);
    // More than 8 s after the ring its call is closed; the line the machine
    // took and gave back is not taken again for a handset recording.
    ASSERT_TRUE(WaitFor(
        [&] { return home.Read("modem.log").find("Rings ended.") != std::string::npos; }, 60000));
    ASSERT_TRUE(WaitFor([&] {
        return worker->RingCount() == 0 && !State().bOffHook && !sim->IsOffHook() &&
               !State().bActionPending;
    }));
    EXPECT_EQ(Index().GetSize(), 1);
    EXPECT_FALSE(UiSaid("handset recording: on"));
}

struct TollCase {
    const char* label;
    bool bTollSaver;
    bool bNewMessages;
    bool bAnswers;          // after three rings with nRings = 2
    bool bCidFirst = false; // the caller ID comes ahead of the first ring
};

class TollSaver : public EngineStory, public ::testing::WithParamInterface<TollCase> {};

TEST_P(TollSaver, AnswersAtTheTollSaverRing) {
    const TollCase& c = GetParam();
    phone->nAction = 1; // away
    // With the caller ID ahead of the first ring, that is no ring of its
    // own: the answer still waits for the rings themselves.
    phone->nRings = c.bCidFirst ? 3 : 2;
    phone->bTollSaver = c.bTollSaver;
    if (c.bNewMessages) { // an unheard message in the history
        HistoryEntry message;
        message.outcome = CallOutcome::Message;
        ASSERT_NE(Contacts().AppendCall(message), 0) << Contacts().Error();
    }
    phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 300);
    sim->FarEndHangsUp(500, 'b');
    StartWorker();
    if (c.bCidFirst) {
        sim->SendRaw("\r\nDATE = 0321\r\nTIME = 1405\r\nNMBR = 5551234\r\n");
        sim->Ring(2, modemsim::RingCadence{1000, 60});
        ASSERT_TRUE(WaitFor([&] { return worker->RingCount() >= 2 || State().bOffHook; }));
        EXPECT_FALSE(sim->WaitForCommand("VTX", 3000));
        EXPECT_EQ(worker->RingCount(), 2);
        return;
    }
    // Rings a second apart: the worker must be off-hook before a third ring
    // could arrive, even on a busy machine.
    sim->Ring(3, modemsim::RingCadence{1000, 60});
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() >= 3 || State().bOffHook; }));
    if (c.bAnswers) {
        ASSERT_TRUE(sim->WaitForCommand("VTX", 30000));
        EXPECT_EQ(worker->RingCount(), 2);
    } else {
        EXPECT_FALSE(sim->WaitForCommand("VTX", 3000));
    }
}

INSTANTIATE_TEST_SUITE_P(Rings, TollSaver,
                         ::testing::Values(TollCase{"plain", false, false, true},
                                           TollCase{"tollsaver", true, false, false},
                                           TollCase{"tollsaver_new_messages", true, true, true},
                                           TollCase{"caller_id_before_the_first_ring", false, false,
                                                    false, true}),
                         [](const auto& i) { return std::string(i.param.label); });

TEST_F(EngineStory, FaxToneHandsTheLineToTheFaxProgram) {
    const std::string script = home.File("fax.sh");
    home.Write("fax.sh", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n");
    ::chmod(script.c_str(), 0755);
    const std::string out = home.File("fax args.txt");
    phone->bFax = true;
    phone->sFaxAppName = script;
    phone->sFaxParam = "\"" + out + "\" --receive";
    phone->uiFaxSeconds = 2;
    phone->nAction = 1;
    phone->nRings = 1;
    phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 2000);
    StartWorker();
    sim->InjectEvent('c', 300);
    sim->Ring(2, modemsim::RingCadence{400, 60});
    // The fax program runs with its arguments while the port is released.
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(out); }));
    EXPECT_EQ(home.Read("fax args.txt"), out + "\n--receive\n");
    EXPECT_FALSE(phone->ModemDriver()->IsOpen());
    EXPECT_EQ(Index().GetSize(), 0);
    // After uiFaxSeconds monitoring resumes on its own.
    ASSERT_TRUE(WaitFor([&] { return ModemReady(); }));
    EXPECT_FALSE(State().bPaused);
}

struct DialCase {
    const char* word;
    int result;
    const char* text;
    bool bConnected;
};

class DialOut : public EngineStory, public ::testing::WithParamInterface<DialCase> {};

TEST_P(DialOut, EveryResultOfTheModem) {
    const DialCase& c = GetParam();
    phone->bAlphaConvert = true;
    phone->bKeepSpeaker = false; // the user talks on the handset
    sim->SetDialResult(c.word, 100);
    StartWorker();
    worker->SetDialNumber("1-800-FLOWERS");
    worker->PostThreadMessage(kMsgDial);
    ASSERT_TRUE(WaitFor([&] { return worker->LastDialResult() != 0; }));
    EXPECT_EQ(worker->LastDialResult(), c.result);
    ASSERT_FALSE(sim->DialledNumbers().empty());
    EXPECT_NE(sim->DialledNumbers().back().find("18003569377"), std::string::npos)
        << sim->DialledNumbers().back();
    ASSERT_TRUE(WaitFor([&] { return UiSaid(std::string("Result - ") + c.text); }));
    if (c.bConnected) {
        ASSERT_TRUE(
            WaitFor([&] { return State().bTalking && State().bOffHook && !State().bDialing; }));
    } else {
        ASSERT_TRUE(WaitFor([&] { return !State().bOffHook && !State().bTalking; }));
    }
}

INSTANTIATE_TEST_SUITE_P(Results, DialOut,
                         ::testing::Values(DialCase{"OK", 1, "OK", true},
                                           DialCase{"VCON", 2, "Voice Connect", true},
                                           DialCase{"CONNECT", 3, "Connected", true},
                                           DialCase{"BUSY", 6, "Busy", false},
                                           DialCase{"NO ANSWER", -2, "No Answer", false},
                                           DialCase{"NO CARRIER", -3, "No Carrier", false},
                                           DialCase{"NO DIAL TONE", -4, "No Dial Tone", false}),
                         [](const auto& i) { return TestName(i.param.word); });
