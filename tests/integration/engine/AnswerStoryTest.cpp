// The answering machine, remote-control keys and the holds, against the
// simulated modem: what the caller hears is what the simulator received.
#include "EngineStory.h"
#include "engine/Challenge.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"

#include "config/Settings.h"
#include "config/SettingsProvider.h"

#include <algorithm>
#include <sys/stat.h>

class AnswerStory : public EngineStory {
protected:
    void SetUp() override {
        EngineStory::SetUp();
        greeting = MakeToneWav("wave/greet.wav", 600, 1000);
        phone->sWaveGreet = greeting;
        phone->nAction = 1; // away: the machine answers
        phone->nRings = 2;
    }
    std::string greeting;
    const modemsim::RingCadence rings{400, 60};
};

TEST_F(AnswerStory, GreetingThenMessageEndedBySilence) {
    phone->DriverSettings().bSilenceDetection = true;
    phone->DriverSettings().iSilenceDetectionTimeout = 15; // 1.5 s
    // The user's program for the call, after it.
    home.Write("after-call",
               "#!/bin/sh\nprintf '[%s]' \"$@\" > \"$0.t\" && mv \"$0.t\" \"$0.args\"\n");
    ::chmod(home.File("after-call").c_str(), 0755);
    phone->bRunProg = phone->bRunAfter = true;
    phone->sRunApp = home.File("after-call");
    phone->sRunParam = "call.event call.number 'call.name' call.file";
    JohnDoeCalls();
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 2000, 8000).Silence(20000));
    StartWorker();
    sim->Ring(4, rings);
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    // The greeting reached the line intact: its tone, its length, its level.
    std::vector<int16_t> heard = sim->TransmittedSamples();
    EXPECT_NEAR(double(heard.size()), 8000.0, 800.0);
    EXPECT_GT(ToneShare(heard, 600, 8000), 0.95);
    EXPECT_NEAR(Rms(heard), 8000 / std::sqrt(2.0), 500);

    ASSERT_TRUE(sim->WaitForReceiveEnd(60000));
    ASSERT_TRUE(WaitForCalls(1, 2));
    EXPECT_TRUE(worker->LastRecordEndedBySilence());
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_bMessage, 1);
    EXPECT_EQ(rec.m_sNumber, "5551234");
    std::vector<int16_t> msg = Samples(CallFolder() + rec.m_sFile);
    EXPECT_GT(ToneShare({msg.begin(), msg.begin() + 16000}, 1000, 8000), 0.95);
    // Silence ended it: past the speech and the time-out, far before the end
    // of the 22 s the caller's line carried.
    EXPECT_GE(msg.size(), 8000u * 3);
    EXPECT_LE(msg.size(), 8000u * 6);
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook(); }));

    EXPECT_TRUE(WaitFor([&] { return FileExists(home.File("after-call.args")); }));
    EXPECT_EQ(home.Read("after-call.args"),
              "[ended][5551234][JOHN DOE][" + CallFolder() + rec.m_sFile + "]");

    // The call history has it once, as a message with its recording.
    const std::vector<HistoryEntry> history = WaitForHistory(1);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].outcome, CallOutcome::Message);
    EXPECT_EQ(history[0].sRecording, CallFolder() + rec.m_sFile);
    EXPECT_EQ(history[0].sNumber, "5551234");
}

// The caller's hang-up or key during the greeting or the message. Key 5
// stops the call, or has no action, or records: a key without that action
// cuts the greeting short and the caller still leaves a message.
struct EndCase {
    const char* label;
    char inGreeting; // what the caller sends during the greeting, 0 nothing
    char ends;       // what ends the message; 0: no message is taken
    int32_t nKey5 = kActionStopHangUp;
};

class CallerEnds : public AnswerStory, public ::testing::WithParamInterface<EndCase> {};

TEST_P(CallerEnds, TheMessageEndsOrTheCallIsLoggedWithItsCallerId) {
    const EndCase& c = GetParam();
    phone->DriverSettings().m_dtmf.fill(0); // no other key has an action
    phone->DriverSettings().m_dtmf[5] = c.nKey5;
    phone->sWaveGreet = MakeToneWav("wave/long.wav", 600, 3000);
    JohnDoeCalls();
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
    StartWorker();
    if (c.inGreeting)
        sim->InjectEvent(c.inGreeting, 500);
    sim->Ring(3, rings);
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    if (c.inGreeting) {
        EXPECT_LT(sim->TransmittedSamples().size(), 8000u * 3) << "the greeting, cut short";
    }
    if (c.ends) {
        ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
        sim->InjectEvent(c.ends, 1500);
        ASSERT_TRUE(sim->WaitForReceiveEnd(60000));
        ASSERT_TRUE(WaitForCalls(1));
        EXPECT_EQ(worker->LastRecordKey(), c.ends);
        const std::vector<int16_t> message = Samples(CallFolder() + Index().GetAt(0).m_sFile);
        EXPECT_LT(message.size(), 8000u * 5);
        EXPECT_GT(ToneShare(message, 1000, 8000), 0.9);
        ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook(); }));
    } else {
        ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1; }, 60000));
        ASSERT_TRUE(WaitOnHook());
        EXPECT_FALSE(SentCommand(*sim, "VRX"));
    }
    ASSERT_EQ(Index().GetSize(), 1); // one call, one line
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sNumber, "5551234");
    EXPECT_EQ(rec.m_sName, "JOHN DOE");
    EXPECT_FALSE(rec.m_sDate.empty());
    // Nothing said during the greeting: no message, an empty recording.
    EXPECT_EQ(rec.m_bMessage, c.ends ? 1 : 0);
    if (!c.ends) {
        EXPECT_EQ(rec.m_nLength, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Events, CallerEnds,
    ::testing::Values(EndCase{"busy", 0, 'b'}, EndCase{"dialtone", 0, 'd'}, EndCase{"key", 0, '5'},
                      EndCase{"busy_in_greeting", 'b', 0}, EndCase{"dialtone_in_greeting", 'd', 0},
                      EndCase{"key_without_action_in_greeting", '5', 'b', 0},
                      EndCase{"record_key_in_greeting", '5', 'b', kActionRecord}),
    [](const auto& i) { return std::string(i.param.label); });

// On an analogue line the message is forwarded: once the caller has hung
// up, the forwarding number is dialled and, when it answers, hears who called
// and when, then the message. A number that stays busy is dialled again,
// each failed attempt told once, then given up. The message's call in the
// history keeps where it went, or why not.
struct MessageForwardRow {
    const char* label;
    const char* sDialResult;
    const char* sTold;        // on the status line at the end
    int nRetriesTold;         // status lines of an attempt to be made again
    const char* sForwardedTo; // the history's
    const char* sProblem;     // the history's, its start
};

class MessageForward : public AnswerStory,
                       public ::testing::WithParamInterface<MessageForwardRow> {};

TEST_P(MessageForward, TheMessageReachesTheNumberOrWhyNotIsTold) {
    const MessageForwardRow& row = GetParam();
    phone->DriverSettings().bSilenceDetection = true;
    phone->DriverSettings().iSilenceDetectionTimeout = 10;
    phone->nFwdMethod = 3; // after the message
    phone->sFwdPhone = "030 9876";
    JohnDoeCalls();
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 1000, 8000).Silence(20000));
    sim->SetDialResult(row.sDialResult, 100);
    StartWorker();
    sim->Ring(4, rings);
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the greeting
    sim->ClearTransmitted();
    ASSERT_TRUE(sim->WaitForCommand("DT0309876", 60000));
    ASSERT_TRUE(WaitFor([&] { return UiSaid(row.sTold); }));
    std::vector<HistoryEntry> history;
    ASSERT_TRUE(WaitFor([&] {
        history = Contacts().Calls(HistoryFilter::All, 0, 10);
        return history.size() == 1 &&
               !(history[0].sForwardedTo.empty() && history[0].sForwardProblem.empty());
    }));
    EXPECT_EQ(history[0].outcome, CallOutcome::Message);
    EXPECT_EQ(history[0].sForwardedTo, row.sForwardedTo);
    EXPECT_EQ(history[0].sForwardProblem.rfind(row.sProblem, 0), 0u) << history[0].sForwardProblem;
    const std::vector<std::string> lines = ui.Lines();
    for (int n = 1; n <= 2; ++n)
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& l) {
                                    return l.rfind("status: message from 5551234 not forwarded "
                                                   "to 030 9876: ",
                                                   0) == 0 &&
                                           l.find(StrPrintf("; attempt %d of 3, trying again",
                                                            n)) != std::string::npos;
                                }),
                  n <= row.nRetriesTold ? 1 : 0)
            << n;
    EXPECT_EQ(Index().GetSize(), 1);
    if (std::string(row.sForwardedTo).empty())
        return;
    const std::vector<int16_t> heard = sim->TransmittedSamples();
    ASSERT_GE(heard.size(), 16000u); // the spoken announcement and the message
    // The announcement is speech; somewhere after it, the message's second of tone.
    double best = 0;
    for (size_t at = 0; at + 8000 <= heard.size(); at += 400)
        best = std::max(best, ToneShare({heard.begin() + at, heard.begin() + at + 8000}, 1000, 8000));
    EXPECT_GT(best, 0.95);
    EXPECT_LT(ToneShare({heard.begin(), heard.begin() + 8000}, 1000, 8000), 0.5);
}

INSTANTIATE_TEST_SUITE_P(
    Dialled, MessageForward,
    ::testing::Values(MessageForwardRow{"Answered", "VCON",
                                        "message from 5551234 forwarded to 030 9876", 0,
                                        "030 9876", ""},
                      MessageForwardRow{"AlwaysBusy", "BUSY", "(the last of 3 attempts)", 2, "",
                                        "not forwarded to 030 9876: "}),
    [](const auto& i) { return TestName(i.param.label); });

TEST_F(AnswerStory, StopDuringTheGreetingRecordsNoMessage) {
    phone->nAction = 0;
    phone->sWaveGreet = MakeToneWav("wave/long.wav", 600, 8000);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
    sim->FarEndHangsUp(3000, 'b'); // ends a message, should one be recorded
    StartWorker();
    Request(kActionAnswer);
    ASSERT_TRUE(WaitFor([&] { return State().bPlaying.load(); }));
    UserHangsUp(); // "Stop" while the caller hears the greeting
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    ASSERT_TRUE(WaitFor([&] { return !State().bActionPending; }));
    ASSERT_TRUE(WaitOnHook());
    EXPECT_FALSE(SentCommand(*sim, "VRX"));
    EXPECT_EQ(Index().GetSize(), 0);
    EXPECT_TRUE(worker->LastRecording().empty());
}

TEST_F(AnswerStory, AGreetingKeptInTheRecorderAnswersTheNextCallAndIsSaved) {
    const std::string kept = MakeToneWav("wave/kept.wav", 900, 1000);
    auto saved = [&] {
        return GetProfileStringFrom(home.File("vorella.ini"), "Sounds", "sWaveGreet", "");
    };
    sim->SetVoiceSource(modemsim::SignalSource().Silence(20000));
    StartWorker();
    worker->SetSaveOnExit(true);
    worker->SetGreetingFile(kept);
    sim->Ring(4, rings);
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    EXPECT_GT(ToneShare(sim->TransmittedSamples(), 900, 8000), 0.9) << "the kept greeting";
    // The worker that took it has saved it already, and saves its own copy
    // of the settings again when it ends: with the kept greeting.
    EXPECT_TRUE(WaitFor([&] { return saved() == kept; }));
    worker->RequestStop();
    ASSERT_TRUE(worker->WaitForEnd(30000));
    worker->Join();
    EXPECT_EQ(saved(), kept);
}

TEST_F(AnswerStory, TheChosenVolumeScalesTheGreetingAndIsKept) {
    phone->nAction = 0;
    for (int volume : {100, 0}) {
        StartWorker();
        worker->SetSaveOnExit(true);
        // The window asks; the worker takes the volume and writes it.
        worker->SetPlaybackVolume(volume);
        ASSERT_TRUE(WaitFor([&] {
            return GetProfileIntFrom(home.File("vorella.ini"), "Options", "m_iVolume", -1) ==
                   volume;
        }));
        sim->ClearTransmitted();
        worker->SetPlayFile(greeting);
        Request(kActionPlayFile);
        ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
        std::vector<int16_t> heard = sim->TransmittedSamples();
        const double expected = 8000 / std::sqrt(2.0) * (volume == 100 ? 2.0 : 0.5);
        EXPECT_NEAR(Rms(heard), expected, expected * 0.08) << volume;
        EXPECT_GT(ToneShare(heard, 600, 8000), 0.9);
        worker.reset();
    }
}

TEST_F(AnswerStory, AKeyDuringTheGreetingStartsMusicOnHold) {
    phone->DriverSettings().m_dtmf[1] = kActionHoldMusic;
    phone->sWaveHold = MakeToneWav("wave/hold.wav", 400, 500);
    StartWorker();
    sim->InjectEvent('1', 300);
    sim->Ring(3, rings);
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the greeting, cut short
    sim->ClearTransmitted();
    ASSERT_TRUE(WaitFor([&] { return State().bHold.load(); }));
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // one pass of the hold music
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // and it goes on
    EXPECT_GT(ToneShare(sim->TransmittedSamples(), 400, 8000), 0.9);
    State().bHold = false; // the user takes the call back
    phone->ModemDriver()->SetStopRequest(true);
    ASSERT_TRUE(WaitFor([&] { return !State().bPlaying && State().bOffHook; }));
    EXPECT_EQ(Index().GetSize(), 0); // no message was recorded
}

class HoldWithoutMusic : public AnswerStory, public ::testing::WithParamInterface<bool> {};

TEST_P(HoldWithoutMusic, TheHoldEndsAndTheLineStaysWithTheUser) {
    phone->nAction = 0;
    phone->sWaveHold = home.File("wave/hold.wav");
    if (GetParam()) // there, but no sound the codecs could read
        home.Write("wave/hold.wav", "not a wave file");
    StartWorker();
    Request(kActionHoldMusic);
    ASSERT_TRUE(WaitFor([&] {
        return !State().bHold && State().bTalking && State().bOffHook && sim->IsOffHook() &&
               !State().bActionPending;
    }));
    UserHangsUp();
    ASSERT_TRUE(WaitOnHook());
}

INSTANTIATE_TEST_SUITE_P(Files, HoldWithoutMusic, ::testing::Values(false, true),
                         [](const auto& i) {
                             return std::string(i.param ? "unreadable" : "missing");
                         });

TEST_F(AnswerStory, EnhancedHoldAlertsWhenTheCallerPressesAKey) {
    phone->nAction = 0;
    phone->sWaveCompressedHold = MakeToneWav("wave/hold2.wav", 400, 2000);
    MakeToneWav("wave/intro.wav", 500, 300);
    MakeToneWav("wave/thankyou.wav", 800, 400);
    MakeToneWav("wave/ring.wav", 1200, 300);
    StartWorker();
    Request(kActionEnhancedHold);
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the introduction
    ASSERT_TRUE(WaitFor([&] { return phone->m_bEnhancedHold.load(); }));
    sim->ClearTransmitted();
    sim->InjectEvent('5', 500);
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the hold music, ended by the key
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // "thank you"
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the ring tone
    EXPECT_TRUE(phone->m_bHoldEvent.load());
    // The caller hears the ring tone; the hold may go on with its music
    // right after it, and on a busy machine the tone may still be under way
    // when the waits above return, so it is looked for anywhere.
    EXPECT_TRUE(WaitFor([&] {
        std::vector<int16_t> heard = sim->TransmittedSamples();
        for (size_t at = 0; at + 2200 <= heard.size(); at += 200)
            if (ToneShare({heard.begin() + long(at), heard.begin() + long(at + 2200)}, 1200, 8000) >
                0.8)
                return true;
        return false;
    }));
    State().bHold = false;
    phone->ModemDriver()->SetStopRequest(true);
    ASSERT_TRUE(WaitFor([&] { return !phone->m_bEnhancedHold.load(); }));
}

// The caller's list and the action set for it, on the machine that answers at
// the second ring: what reaches the line, the index and the history.
struct ScreenCase {
    const char* label;
    ContactList list;
    int nBlackAction;
    int nWhiteAction;
    ScreenAction decision;
    CallOutcome outcome;
    const char* sRule;
    char key = 0; // pressed during the challenge (which asks for 7)
    bool bPaused = false; // paused in the running program, as the tray does
};

class Screened : public AnswerStory, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(Screened, TheCallerIsActedOnAndKeptInTheHistoryWithTheRule) {
    const ScreenCase& c = GetParam();
    phone->nBlackAction = c.nBlackAction;
    phone->nWhiteAction = c.nWhiteAction;
    phone->nRings = 4;
    phone->DriverSettings().bSilenceDetection = true; // a message ends 1.5 s after the caller
    phone->DriverSettings().iSilenceDetectionTimeout = 15;
    Contact john;
    john.sName = "John";
    // A challenged caller is no contact.
    const bool bChallenge = c.decision == ScreenAction::Challenge;
    phone->bChallengeUnknown = bChallenge;
    SetChallengeDigitSource([] { return 7; });
    john.numbers = {{bChallenge ? "555-9999" : "555-1234", "home"}};
    john.list = c.list;
    john.sGreeting = MakeToneWav("wave/john.wav", 900, 1000);
    ASSERT_NE(Contacts().AddContact(john), 0) << Contacts().Error();
    JohnDoeCalls();
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 3000, 8000));
    if (c.key)
        sim->InjectEvent(c.key, 1500); // into the prompt
    StartWorker();
    if (c.bPaused) {
        ASSERT_TRUE(SettingsProvider().SetInt("bScreeningPaused", 1));
    }
    sim->Ring(4, rings);
    const std::vector<HistoryEntry> history = WaitForHistory(1);
    SetChallengeDigitSource({});
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].decision, c.decision);
    EXPECT_EQ(history[0].outcome, c.outcome);
    EXPECT_EQ(history[0].sRule, c.sRule);
    // Shown by the contact's name; the history keeps the network's.
    EXPECT_EQ(State().curCall.Get().m_sName, bChallenge ? "JOHN DOE" : "John");
    EXPECT_EQ(UiSaid("tooltip: John\\x0A5551234"), !bChallenge);
    EXPECT_EQ(history[0].sName, "JOHN DOE");
    ASSERT_TRUE(WaitOnHook());
    // Neither a blocked caller nor one the machine never answers hears the
    // greeting or leaves a message; the one told the number is not in
    // service hears the three information tones, the first 913.8 Hz, then
    // the announcement; a challenged caller hears the prompt spoken.
    const std::vector<int16_t> heard = sim->TransmittedSamples();
    const bool bMessage = c.outcome == CallOutcome::Message;
    if (c.decision == ScreenAction::NotInService) {
        ASSERT_GE(heard.size(), 8000u * 3);
        EXPECT_GT(ToneShare({heard.begin(), heard.begin() + 2800}, 913.8, 8000), 0.9);
        EXPECT_GT(ToneShare({heard.begin() + 5300, heard.begin() + 7500}, 1776.7, 8000), 0.9);
        EXPECT_GT(Rms({heard.begin() + 8000, heard.end()}), 300);
    } else if (bChallenge) {
        ASSERT_GE(heard.size(), 8000u);
        EXPECT_GT(Rms({heard.begin(), heard.begin() + 8000}), 300);
    } else if (bMessage) {
        ASSERT_GE(heard.size(), 4000u);
        EXPECT_GT(ToneShare({heard.begin(), heard.begin() + 4000}, 900, 8000), 0.9)
            << "the contact's own greeting";
    } else {
        EXPECT_TRUE(heard.empty());
    }
    ASSERT_EQ(Index().GetSize(), bMessage ? 1 : 0);
    if (bMessage) {
        EXPECT_EQ(Index().GetAt(0).m_sName, bChallenge ? "JOHN DOE" : "John");
    }
    EXPECT_EQ(worker->MailsSent(), 0);
    // Acted on at the caller ID, before the machine's own answer at ring 4,
    // but for the caller left to ring.
    EXPECT_EQ(Rang(3), c.decision == ScreenAction::LetRing || c.decision == ScreenAction::NeverAnswer);
    EXPECT_EQ(UiSaid(c.sRule), c.decision != ScreenAction::LetRing);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Screened,
    ::testing::Values(
        ScreenCase{"blocked_hung_up", ContactList::Block, 1, 0, ScreenAction::HangUp,
                   CallOutcome::Blocked, "block list: contact John"},
        ScreenCase{"blocked_not_in_service", ContactList::Block, 2, 0, ScreenAction::NotInService,
                   CallOutcome::Blocked, "block list: contact John"},
        ScreenCase{"blocked_takes_a_message", ContactList::Block, 3, 0, ScreenAction::TakeMessage,
                   CallOutcome::Message, "block list: contact John"},
        ScreenCase{"permitted_never_answered", ContactList::Permit, 0, 1, ScreenAction::NeverAnswer,
                   CallOutcome::Missed, "permit list: contact John"},
        ScreenCase{"permitted_answered_at_once", ContactList::Permit, 0, 2,
                   ScreenAction::AnswerAtFirstRing, CallOutcome::Message,
                   "permit list: contact John"},
        ScreenCase{"challenge_passed", ContactList::None, 0, 0, ScreenAction::Challenge,
                   CallOutcome::Message, "unknown caller", '7'},
        ScreenCase{"challenge_wrong_key", ContactList::None, 0, 0, ScreenAction::Challenge,
                   CallOutcome::ChallengeFailed, "unknown caller", '3'},
        ScreenCase{"challenge_no_key", ContactList::None, 0, 0, ScreenAction::Challenge,
                   CallOutcome::ChallengeFailed, "unknown caller"},
        ScreenCase{"paused", ContactList::Block, 1, 0, ScreenAction::LetRing, CallOutcome::Message,
                   "screening paused", 0, true}),
    [](const auto& i) { return std::string(i.param.label); });

// A contacts file without history beside recordings (new, or its history
// lost) gets one call per recording of the call folders' index.dat, once.
TEST_F(AnswerStory, TheHistoryIsRebuiltOnceFromTheCallFoldersIndexes) {
    home.Write("Recorded Calls/index.dat", "\"a.wav\",\"14:05\",\"03/21/2026\",\"555-1234\","
                                           "\"JOHN DOE\",\"\",\"\",\"12\",\"0\",\"0\",\"1\"\r\n");
    home.Write("Recorded Calls/Family/index.dat",
               "\"b.wav\",\"14:06\",\"03/22/2026\",\"555-9876\",\"ANN\",\"\",\"\",\"30\",\"0\","
               "\"0\",\"0\"\r\n");
    for (int start = 0; start < 2; ++start) {
        StartWorker();
        const std::vector<HistoryEntry> h = WaitForHistory(2);
        ASSERT_EQ(h.size(), 2u);
        EXPECT_EQ(h[0].sRecording, CallFolder() + "Family/b.wav");
        EXPECT_EQ(h[0].outcome, CallOutcome::Recorded);
        EXPECT_TRUE(h[0].bHeard);
        EXPECT_EQ(h[0].tTime - h[1].tTime, 86400 + 60);
        EXPECT_EQ(h[1].sName, "JOHN DOE");
        EXPECT_EQ(h[1].outcome, CallOutcome::Message);
        EXPECT_FALSE(h[1].bHeard);
        worker.reset();
    }
    EXPECT_TRUE(UiSaid(
        "status: the call history was rebuilt from the call folders' index.dat: 2 recordings"));
}

// ---- remote access: "*" in the greeting, the PIN, the new messages ----------

class RemoteAccessStory : public AnswerStory {
protected:
    void SetUp() override {
        AnswerStory::SetUp();
        OfferRemoteAccess();
    }
    // The owner's call, answered, with "*" in the greeting and the PIN asked for.
    void OwnerCalls() {
        StartWorker();
        sim->InjectEvent('*', 300);
        sim->Ring(3, rings);
        ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the greeting, cut short
        ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the PIN request
    }
    // One key in each of the worker's next listens to the line.
    void Press(const std::string& keys) {
        for (char k : keys) {
            ASSERT_TRUE(sim->WaitForCommand("VRX", 30000)) << k;
            sim->InjectEvent(k, 200);
        }
    }
};

TEST_F(RemoteAccessStory, TheNewMessagesPlayOldestFirstAndSevenDeletesOrUndoes) {
    const std::string first = AddNewMessage("first.wav", 700, 100);
    const std::string second = AddNewMessage("second.wav", 900, 200);
    OwnerCalls();
    EXPECT_TRUE(State().bNewMessages);
    Press("0815#");
    // Spoken (no prompt files): "You have 2 new messages", then before each
    // message its number, caller and time. Speech, not a tone: its length
    // and level.
    const auto expectSpoken = [&](const std::string& what) {
        const std::optional<std::vector<int16_t>> sound = sim->NextTransmit(30000);
        ASSERT_TRUE(sound) << what;
        const std::vector<int16_t>& spoken = *sound;
        EXPECT_GT(spoken.size(), 8000u) << what;
        EXPECT_LT(spoken.size(), 8000u * 12) << what;
        EXPECT_GT(Rms(spoken), 500) << what;
    };
    expectSpoken("the count");
    // Each message reaches the caller whole; after the first 7 deletes and
    // 7 undoes, 6 goes on; the second, 3 in it, plays again from its start,
    // then 7 deletes it and # ends.
    const struct {
        double hz;
        char skip;
        const char* keys;
        size_t least, most; // samples heard of the message (its whole play)
    } messages[] = {{700.0, 0, "776", 7200, 8800}, {900.0, '3', "7#", 7200, 8800}};
    for (const auto& [hz, skip, keys, least, most] : messages) {
        expectSpoken("the announcement");
        if (skip) {
            sim->InjectEvent(skip, 400);
            ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // cut short
        }
        const std::optional<std::vector<int16_t>> sound = sim->NextTransmit(30000);
        ASSERT_TRUE(sound) << hz;
        const std::vector<int16_t>& heard = *sound;
        EXPECT_GE(heard.size(), least) << hz;
        EXPECT_LE(heard.size(), most) << hz;
        EXPECT_GT(ToneShare(heard, hz, 8000), 0.9) << hz;
        EXPECT_NEAR(Rms(heard), 8000 / std::sqrt(2.0), 500) << hz;
        Press(keys);
    }
    ASSERT_TRUE(WaitOnHook());
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_TRUE(std::filesystem::exists(home.File("data-home/Trash/files/second.wav")));
    for (const HistoryEntry& e : Contacts().Calls(HistoryFilter::All, 0, 10))
        EXPECT_TRUE(e.outcome != CallOutcome::Message || e.bHeard) << e.sRecording;
    EXPECT_FALSE(State().bNewMessages);
    EXPECT_EQ(Index().GetSize(), 0); // the owner left no message
}
