// The answering machine, remote-control keys and the holds, against the
// simulated modem: what the caller hears is what the simulator received.
#include "EngineStory.h"
#include "platform/ProfileFile.h"

#include "config/Settings.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <utility>

namespace {

// The transmitted sound of one play: the part at least `hz` dominates.
double Share(const std::vector<int16_t>& s, double hz) {
    return ToneShare(s, hz, 8000);
}

} // namespace

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
};

TEST_F(AnswerStory, GreetingThenMessageEndedBySilence) {
    phone->DriverSettings().bSilenceDetection = true;
    phone->DriverSettings().iSilenceDetectionTimeout = 15; // 1.5 s
    sim->SetCallerId({"0321", "1405", "5551234", "JOHN DOE", ""},
                     modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 2000, 8000).Silence(20000));
    StartWorker();
    sim->Ring(4, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    // The greeting reached the line intact: its tone, its length, its level.
    std::vector<int16_t> heard = sim->TransmittedSamples();
    EXPECT_NEAR(double(heard.size()), 8000.0, 800.0);
    EXPECT_GT(Share(heard, 600), 0.95);
    EXPECT_NEAR(Rms(heard), 8000 / std::sqrt(2.0), 500);

    ASSERT_TRUE(sim->WaitForReceiveEnd(60000));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && Index().GetAt(0).m_nLength >= 2; }));
    EXPECT_TRUE(worker->LastRecordEndedBySilence());
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_bMessage, 1);
    EXPECT_EQ(rec.m_sNumber, "5551234");
    std::vector<int16_t> msg = Samples(CallFolder() + rec.m_sFile);
    std::vector<int16_t> voice(msg.begin(), msg.begin() + 16000);
    EXPECT_GT(Share(voice, 1000), 0.95);
    // Silence ended it: far less than the 22 s the caller's line carried.
    EXPECT_LT(msg.size(), 8000u * 10);
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook(); }));

    // The call's events in their order (others may come between).
    const std::string file = CallFolder() + rec.m_sFile;
    const std::vector<std::pair<const char*, std::function<bool(const CallEvent&)>>> wanted = {
        {"ringing", [](const CallEvent& e) { return std::holds_alternative<CallRinging>(e); }},
        {"caller",
         [](const CallEvent& e) {
             const auto* c = std::get_if<CallerIdentified>(&e);
             return c && c->sNumber == "5551234" && c->sName == "JOHN DOE";
         }},
        {"answered by the machine",
         [](const CallEvent& e) {
             const auto* a = std::get_if<CallAnswered>(&e);
             return a && a->by == AnsweredBy::Machine;
         }},
        {"message stored",
         [&](const CallEvent& e) {
             const auto* s = std::get_if<RecordingStored>(&e);
             return s && s->bMessage && s->sFile == file && s->nSeconds == rec.m_nLength &&
                    s->sProblem.empty();
         }},
        {"ended", [](const CallEvent& e) { return std::holds_alternative<CallEnded>(e); }},
    };
    std::string missing;
    const bool bAll = WaitFor([&] {
        const std::vector<CallEvent> events = Events();
        auto at = events.begin();
        for (const auto& [what, matches] : wanted) {
            at = std::find_if(at, events.end(), matches);
            if (at == events.end()) {
                missing = what;
                return false;
            }
        }
        return true;
    });
    EXPECT_TRUE(bAll) << "missing or out of order: " << missing;
}

struct EndCase {
    const char* label;
    char code;
};

class MessageEnd : public AnswerStory, public ::testing::WithParamInterface<EndCase> {};

TEST_P(MessageEnd, BusyDialToneOrAKeyEndsTheMessage) {
    phone->DriverSettings().m_dtmf[5] = kActionStopHangUp;
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
    StartWorker();
    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    sim->InjectEvent(GetParam().code, 1500);
    ASSERT_TRUE(sim->WaitForReceiveEnd(60000));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && Index().GetAt(0).m_nLength >= 1; }));
    EXPECT_EQ(worker->LastRecordKey(), GetParam().code);
    std::vector<int16_t> msg = Samples(CallFolder() + Index().GetAt(0).m_sFile);
    EXPECT_LT(msg.size(), 8000u * 5);
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook(); }));
}

INSTANTIATE_TEST_SUITE_P(Events, MessageEnd,
                         ::testing::Values(EndCase{"busy", 'b'}, EndCase{"dialtone", 'd'},
                                           EndCase{"key", '5'}),
                         [](const auto& i) { return std::string(i.param.label); });

TEST_F(AnswerStory, StopDuringTheGreetingRecordsNoMessage) {
    phone->nAction = 0;
    phone->sWaveGreet = MakeToneWav("wave/long.wav", 600, 8000);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
    sim->FarEndHangsUp(3000, 'b'); // ends a message, should one be recorded
    StartWorker();
    Request(kActionAnswer);
    ASSERT_TRUE(WaitFor([&] { return State().bPlaying.load(); }));
    // The user presses "Stop" while the caller hears the greeting.
    State().bHangUpRequest = true;
    phone->ModemDriver()->SetStopRequest(true);
    worker->Wake();
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    ASSERT_TRUE(
        WaitFor([&] { return !State().bActionPending && !State().bOffHook && !sim->IsOffHook(); }));
    EXPECT_FALSE(SentCommand(*sim, "VRX"));
    EXPECT_EQ(Index().GetSize(), 0);
    EXPECT_TRUE(worker->LastRecording().empty());
}

TEST_F(AnswerStory, AGreetingKeptInTheRecorderAnswersTheNextCallAndIsSaved) {
    const std::string kept = MakeToneWav("wave/kept.wav", 900, 1000);
    sim->SetVoiceSource(modemsim::SignalSource().Silence(20000));
    StartWorker();
    worker->SetSaveOnExit(true);
    worker->SetGreetingFile(kept);
    sim->Ring(4, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    EXPECT_GT(Share(sim->TransmittedSamples(), 900), 0.9) << "the kept greeting, not the old";
    // The worker that took it has saved it already ...
    EXPECT_TRUE(WaitFor([&] {
        return GetProfileStringFrom(home.File("vorella.ini"), "Sounds", "sWaveGreet", "") == kept;
    }));
    // ... and saves its own copy of the settings again when it ends: with
    // the kept greeting, not the one it started with.
    worker->RequestStop();
    ASSERT_TRUE(worker->WaitForEnd(30000));
    worker->Join();
    EXPECT_EQ(GetProfileStringFrom(home.File("vorella.ini"), "Sounds", "sWaveGreet", ""), kept);
}

TEST_F(AnswerStory, TheChosenVolumeScalesTheGreetingAndIsKept) {
    for (int volume : {100, 0}) {
        phone->nAction = 0;
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
        EXPECT_GT(Share(heard, 600), 0.9);
        worker.reset();
    }
}

TEST_F(AnswerStory, AKeyDuringTheGreetingStartsMusicOnHold) {
    phone->DriverSettings().m_dtmf[1] = kActionHoldMusic;
    phone->sWaveHold = MakeToneWav("wave/hold.wav", 400, 500);
    StartWorker();
    sim->InjectEvent('1', 300);
    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // the greeting, cut short
    sim->ClearTransmitted();
    ASSERT_TRUE(WaitFor([&] { return State().bHold.load(); }));
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // one pass of the hold music
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000)); // and it goes on
    EXPECT_GT(Share(sim->TransmittedSamples(), 400), 0.9);
    State().bHold = false; // the user takes the call back
    phone->ModemDriver()->SetStopRequest(true);
    ASSERT_TRUE(WaitFor([&] { return !State().bPlaying && State().bOffHook; }));
    EXPECT_EQ(Index().GetSize(), 0); // no message was recorded
}

class HoldWithoutMusic : public AnswerStory, public ::testing::WithParamInterface<bool> {};

TEST_P(HoldWithoutMusic, TheHoldEndsAndTheLineStaysWithTheUser) {
    phone->nAction = 0;
    phone->sWaveHold = home.File("wave/hold.wav");
    if (GetParam()) {
        // There, but no sound the codecs could read.
        std::filesystem::create_directories(home.File("wave"));
        std::ofstream(phone->sWaveHold) << "not a wave file";
    }
    StartWorker();
    Request(kActionHoldMusic);
    ASSERT_TRUE(WaitFor([&] {
        return !State().bHold && State().bTalking && State().bOffHook && sim->IsOffHook() &&
               !State().bActionPending;
    }));
    // The user ends the call as usual.
    State().bHangUpRequest = true;
    phone->ModemDriver()->SetStopRequest(true);
    worker->Wake();
    ASSERT_TRUE(WaitFor([&] { return !State().bOffHook && !sim->IsOffHook(); }));
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
    auto heardRing = [&] {
        std::vector<int16_t> heard = sim->TransmittedSamples();
        for (size_t at = 0; at + 2200 <= heard.size(); at += 200) {
            std::vector<int16_t> window(heard.begin() + static_cast<long>(at),
                                        heard.begin() + static_cast<long>(at + 2200));
            if (ToneShare(window, 1200, 8000) > 0.8)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(WaitFor(heardRing));
    State().bHold = false;
    phone->ModemDriver()->SetStopRequest(true);
    ASSERT_TRUE(WaitFor([&] { return !phone->m_bEnhancedHold.load(); }));
}

// ---- the greeting cut short by the caller ------------------------------------

struct GreetingKey {
    const char* label;
    int32_t action; // what key 5 does
};

class KeyDuringTheGreeting : public AnswerStory,
                             public ::testing::WithParamInterface<GreetingKey> {};

TEST_P(KeyDuringTheGreeting, TheCallerStillLeavesAMessage) {
    phone->DriverSettings().m_dtmf.fill(0); // no other key has an action
    phone->DriverSettings().m_dtmf[5] = GetParam().action;
    phone->sWaveGreet = MakeToneWav("wave/long.wav", 600, 3000);
    sim->SetCallerId({"0321", "1405", "5551234", "JOHN DOE", ""},
                     modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
    StartWorker();
    sim->InjectEvent('5', 500); // into the greeting
    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    // The key ended the greeting early; the message is recorded after it.
    EXPECT_LT(sim->TransmittedSamples().size(), 8000u * 3);
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    sim->InjectEvent('b', 1500); // the caller hangs up after the message
    ASSERT_TRUE(
        WaitFor([&] { return Index().GetSize() == 1 && Index().GetAt(0).m_nLength >= 1; }, 60000));
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_bMessage, 1);
    EXPECT_EQ(rec.m_sNumber, "5551234");
    EXPECT_EQ(rec.m_sName, "JOHN DOE");
    EXPECT_GT(ToneShare(Samples(CallFolder() + rec.m_sFile), 1000, 8000), 0.9);
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook(); }));
    EXPECT_EQ(Index().GetSize(), 1); // one call, one line
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyDuringTheGreeting,
                         ::testing::Values(GreetingKey{"NoAction", 0},
                                           GreetingKey{"Record", kActionRecord}),
                         [](const auto& i) { return std::string(i.param.label); });

class HangUpDuringGreeting : public AnswerStory, public ::testing::WithParamInterface<EndCase> {};

TEST_P(HangUpDuringGreeting, TheCallIsLoggedWithItsCallerId) {
    phone->sWaveGreet = MakeToneWav("wave/long.wav", 600, 3000);
    sim->SetCallerId({"0321", "1405", "5551234", "JOHN DOE", ""},
                     modemsim::CallerIdForm::Formatted);
    StartWorker();
    sim->InjectEvent(GetParam().code, 500); // into the greeting
    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1; }, 60000));
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sNumber, "5551234");
    EXPECT_EQ(rec.m_sName, "JOHN DOE");
    EXPECT_EQ(rec.m_bMessage, 0); // nothing was said
    EXPECT_EQ(rec.m_nLength, 0);
    EXPECT_FALSE(rec.m_sDate.empty());
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook; }));
    EXPECT_FALSE(SentCommand(*sim, "VRX"));
}

INSTANTIATE_TEST_SUITE_P(Events, HangUpDuringGreeting,
                         ::testing::Values(EndCase{"busy", 'b'}, EndCase{"dialtone", 'd'}),
                         [](const auto& i) { return std::string(i.param.label); });
