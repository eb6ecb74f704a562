// The worker on the USB adapter (the simulated one, its events sent from
// the test's thread as the adapter's event thread would): a call rings,
// shows its caller, is answered with the greeting and its message stored
// and mailed as on the modem; keys run their table's actions, a busy tone
// and the local phone put down end a recording; a greeting recorded from
// the line shows as a recording; a missing adapter pauses monitoring with
// its message until it is there.
#include "AdapterTestWorker.h"
#include "ChildProcess.h"
#include "EngineStory.h"
#include "HostPort.h"

#include "adapter/AdapterDeviceLayer.h"
#include "adapter/AdapterEvents.h"
#include "adapter/AdapterWorkerLink.h"
#include "adapter/HiPhoneDev.h"
#include "adapter/SimulatedAdapter.h"

#include "platform/FileUtil.h"

#include <algorithm>
#include <atomic>

namespace {

// The caller's ETSI caller-ID message, as the adapter delivers it.
const std::string kAnnsCallerId = CallerIdMessage(std::string("\x02\x0A"
                                                              "0301234567",
                                                              12) +
                                                      std::string("\x07\x0B"
                                                                  "Ann Example",
                                                                  13),
                                                  true);

std::string ReadAll(const std::string& path) {
    return ReadWholeFile(path, 1 << 24).value_or("");
}

std::vector<int16_t> Tone(double hz, int ms) {
    return Sine(hz, 8000, static_cast<size_t>(8 * ms), 6000);
}

class AdapterStory : public EngineStory {
protected:
    void SetUp() override {
        EngineStory::SetUp();
        adapter = CSimulatedAdapter::Create();
        phone->DeviceFactories().Register(DeviceKind::UsbAdapter, [this](IDeviceHost& host) {
            return MakeWorkerAdapterDevice(
                host, [this] { return worker && worker->HandsetRecordingMarked(); },
                adapter->Factory());
        });
        phone->fUseHiPhone = true;
        phone->nAction = 1; // the machine answers
        phone->nRings = 2;
        phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 800);
        phone->ChooseDevice();
    }
    // Waits until the recording file holds nSamples of the line's sound (its
    // writes reach the file every two seconds of sound).
    void WaitForRecordedSound(size_t nSamples) {
        ASSERT_TRUE(
            WaitFor([&] { return State().bRecording.load() && !worker->CurrentFile().empty(); }));
        const std::string file = worker->CurrentFile();
        ASSERT_TRUE(WaitFor([&] {
            std::error_code ec;
            return std::filesystem::file_size(file, ec) >= 44 + 2 * nSamples && !ec;
        }));
    }
    bool AdapterDid(const std::string& op) const {
        const std::vector<std::string> calls = adapter->Calls();
        return std::find(calls.begin(), calls.end(), op) != calls.end();
    }
    // Rings twice with the caller's ID between, as the line delivers them;
    // the second ring is the machine's.
    void AnnCallsAndIsAnswered() {
        EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
        ASSERT_TRUE(WaitFor([&] { return Rang(1); }));
        EXPECT_TRUE(adapter->TextEvent(kAdTextCallerId, 0, kAnnsCallerId));
        ASSERT_TRUE(WaitFor(
            [&] { return UiSaid("caller: name=\"Ann Example\" number=\"030-123-4567\""); }));
        EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
        ASSERT_TRUE(WaitFor([&] { return adapter->IsOffHook(); }));
    }

    std::shared_ptr<CSimulatedAdapter> adapter;
};

TEST_F(AdapterStory, TheMachineAnswersRecordsTheMessageUntilTheBusyToneAndIndexesIt) {
    StartWorkerOnDevice();
    EXPECT_EQ(phone->Device().Kind(), DeviceKind::UsbAdapter);
    AnnCallsAndIsAnswered();
    adapter->QueueLineSound(Tone(1000, 3000));
    WaitForRecordedSound(16000);
    // The greeting went to the line through the adapter's wave-out device.
    const std::vector<int16_t> played = adapter->TakePlayed();
    EXPECT_GE(played.size(), 6000u);
    EXPECT_GT(ToneShare(played, 600, 8000), 0.8);
    const std::string file = worker->CurrentFile();

    // The caller hangs up: the busy tone ends the message.
    EXPECT_TRUE(adapter->Event(kAdEvBusy, 0));
    ASSERT_TRUE(WaitFor(
        [&] { return Index().GetSize() == 1 && !State().bOffHook && !State().bRecording; }));
    EXPECT_EQ(worker->LastRecordKey(), 'b');
    const CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sNumber, "0301234567");
    EXPECT_EQ(rec.m_sName, "Ann Example");
    EXPECT_EQ(rec.m_bMessage, 1);
    const std::vector<int16_t> message = Samples(file);
    ASSERT_GE(message.size(), 16000u);
    EXPECT_GT(ToneShare(message, 1000, 8000), 0.8);
    // The line was put back, and the adapter's sound stopped with the call.
    ASSERT_TRUE(WaitFor([&] { return !adapter->IsOffHook(); }));
    EXPECT_TRUE(AdapterDid("stop-record"));
}

// A ring the adapter sent as the line was taken is handled only once the
// call is over, while the line is still off hook: it is that call's. The
// next caller rings the moment the line is put back, before the worker is
// round its loop again: a new call, answered too.
TEST_F(AdapterStory, TheNextCallerRingingAsTheLineIsPutBackIsAnswered) {
    const auto answers = [&] {
        const std::vector<std::string> calls = adapter->Calls();
        return std::count(calls.begin(), calls.end(), "off-hook");
    };
    std::atomic<bool> bBusy{false};
    CLoggingUiBridge front([&](const std::string& line) {
        if (line == "call busy: on")
            bBusy = true;
        else if (line == "call busy: off" && bBusy.exchange(false) && answers() == 1)
            adapter->Event(kAdEvIncomingCall, 0);
    });
    phone->nRings = 1;
    LaunchWorker(&front);
    EXPECT_TRUE(WaitFor([&] { return phone->Device().IsOpen() && worker->StepCount() >= 1; }));
    EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
    EXPECT_TRUE(WaitFor([&] { return !adapter->TakePlayed().empty(); })); // the greeting
    EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
    EXPECT_TRUE(adapter->Event(kAdEvBusy, 0));
    EXPECT_TRUE(WaitFor([&] { return answers() == 2; }));
    worker.reset(); // before its front end goes
}

// Set to answer at the first ring, with the caller's ID right behind it:
// the machine answers at that ring and the message carries the number.
TEST_F(AdapterStory, TheMachineAnswersAtTheFirstRingWhenTheCallerIdFollowsIt) {
    phone->nRings = 1;
    StartWorkerOnDevice();
    EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
    EXPECT_TRUE(adapter->TextEvent(kAdTextCallerId, 0, kAnnsCallerId));
    ASSERT_TRUE(WaitFor([&] { return adapter->IsOffHook(); }));
    adapter->QueueLineSound(Tone(1000, 3000));
    WaitForRecordedSound(8000);
    EXPECT_TRUE(adapter->Event(kAdEvBusy, 0));
    ASSERT_TRUE(WaitFor(
        [&] { return Index().GetSize() == 1 && !State().bOffHook && !State().bRecording; }));
    EXPECT_FALSE(State().bActionPending);
    EXPECT_EQ(Index().GetAt(0).m_sNumber, "0301234567");
    EXPECT_EQ(Index().GetAt(0).m_bMessage, 1);
}

TEST_F(AdapterStory, KeysFromTheAdapterRunTheirTableActionsDuringTheMessage) {
    // "#" stops; "5" has no action and is only shown.
    phone->DriverSettings().m_dtmf[15] = kActionStop;
    phone->DriverSettings().m_dtmf[5] = 0;
    StartWorkerOnDevice();
    AnnCallsAndIsAnswered();
    adapter->QueueLineSound(Tone(1000, 3000));
    WaitForRecordedSound(16000);
    EXPECT_TRUE(adapter->Event(kAdEvKey, 5));
    ASSERT_TRUE(WaitFor([&] { return UiSaid("key: 5"); }));
    EXPECT_TRUE(State().bRecording);
    EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam('#')));
    // The recording's flag drops inside the device's loop, a moment before
    // the worker keeps the key that ended it.
    ASSERT_TRUE(WaitFor([&] {
        return Index().GetSize() == 1 && !State().bRecording && worker->LastRecordKey() != -1;
    }));
    EXPECT_EQ(worker->LastRecordKey(), '#');
    EXPECT_EQ(Index().GetAt(0).m_bMessage, 1);
    ASSERT_TRUE(WaitFor([&] { return !adapter->IsOffHook(); }));
}

// A fax machine's tone ends the message; the adapter cannot pass the call
// on, and says so.
TEST_F(AdapterStory, AFaxToneEndsTheMessageAndTheUserLearnsItWasNotHandedOver) {
    phone->bFax = true;
    StartWorkerOnDevice();
    AnnCallsAndIsAnswered();
    WaitForRecordedSound(0);
    EXPECT_TRUE(adapter->Event(kAdEvFaxTone, 0));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !adapter->IsOffHook(); }));
    EXPECT_EQ(worker->LastRecordKey(), 'c');
    EXPECT_TRUE(UiSaid("status: fax call not handed over on the USB telephone adapter"));
}

TEST_F(AdapterStory, TheLocalPhoneLiftedIsRecordedUntilItIsPutDown) {
    phone->nAction = 0;
    phone->bHandsetStart = true;
    phone->bRecordImmediately = true;
    StartWorkerOnDevice();
    EXPECT_TRUE(adapter->Event(kAdEvLocalOffHook, 0));
    adapter->QueueLineSound(Tone(1000, 3000));
    WaitForRecordedSound(16000);
    EXPECT_TRUE(phone->Device().HandsetOffHook());
    EXPECT_TRUE(adapter->Event(kAdEvLocalOnHook, 0));
    ASSERT_TRUE(WaitFor(
        [&] { return Index().GetSize() == 1 && !State().bRecording && !State().bOffHook; }));
    EXPECT_FALSE(phone->Device().HandsetOffHook());
    EXPECT_EQ(Index().GetAt(0).m_bMessage, 0);
    EXPECT_GT(ToneShare(Samples(worker->LastRecording()), 1000, 8000), 0.8);
}

TEST_F(AdapterStory, TheMessageIsMailedWithItsRecordingAsOnTheModem) {
    const std::string inbox = home.File("inbox/");
    std::filesystem::create_directories(inbox);
    ServerProcess server({"/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"),
                          "--folder", inbox, "--mode", "plain"});
    MailNoticesTo(server.Port());
    phone->bEAttachVoice = true;
    StartWorkerOnDevice();
    AnnCallsAndIsAnswered();
    adapter->QueueLineSound(Tone(1000, 3000));
    WaitForRecordedSound(16000);
    EXPECT_TRUE(adapter->Event(kAdEvBusy, 0));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(inbox + "msg1.eml"); }, 60000));
    ASSERT_EQ(Index().GetSize(), 1);
    const std::string parsed = home.File("parsed/");
    std::filesystem::create_directories(parsed);
    ProgramRun r = RunProgram({"/usr/bin/python3",
                               SourceFile("tests/integration/notify/check_mail.py"),
                               inbox + "msg1.eml", parsed});
    ASSERT_EQ(r.nExit, 0) << r.out << r.err;
    EXPECT_NE(ReadAll(parsed + "body").find("Ann Example"), std::string::npos);
    // The recording goes with it, under its own name, byte for byte.
    const std::string name = Index().GetAt(0).m_sFile;
    EXPECT_EQ(ReadAll(parsed + "attachments/" + name), ReadAll(CallFolder() + name));
    EXPECT_TRUE(WaitFor([&] { return worker->MailsSent() == 1; }, 30000));
}

TEST_F(AdapterStory, AGreetingRecordedFromTheLineShowsAsARecordingUntilTheUserStopsIt) {
    const std::string greeting = home.File("my-greeting.wav");
    phone->DriverSettings().dwInactiveTimer = 600000; // the user ends it, not the limit
    StartWorkerOnDevice();
    adapter->QueueLineSound(Tone(700, 3000));
    worker->SetPlayFile(greeting);
    Request(kActionRecordGreeting);
    // The window and the tray see the recording, as with a modem.
    ASSERT_TRUE(WaitFor([&] { return State().bRecording.load() && adapter->IsOffHook(); }));
    ASSERT_TRUE(WaitFor([&] {
        std::error_code ec;
        return std::filesystem::file_size(greeting, ec) >= 44 + 2 * 16000 && !ec;
    }));
    // The user's "stop recording": the flag cleared, the stop request raised.
    State().bRecording = false;
    phone->Device().SetStopRequest(true);
    worker->Wake();
    ASSERT_TRUE(WaitFor(
        [&] { return !State().bActionPending && !State().bRecording && !adapter->IsOffHook(); }));
    EXPECT_GT(ToneShare(Samples(greeting), 700, 8000), 0.8);
    EXPECT_EQ(Index().GetSize(), 0) << "a greeting is not a call";
}

// The owner calls in: "*" in the greeting, the PIN, the new message played
// whole to the far end and heard, "#" ends. No key of it reaches a log.
TEST_F(AdapterStory, RemoteAccessPlaysTheNewMessageToTheFarEnd) {
    OfferRemoteAccess();
    phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 8000);
    AddNewMessage("first.wav", 700, 100);
    StartWorkerOnDevice();
    AnnCallsAndIsAnswered();
    std::vector<int16_t> played;
    const auto playedMore = [&](size_t n) {
        return WaitFor([&] {
            const std::vector<int16_t> more = adapter->TakePlayed();
            played.insert(played.end(), more.begin(), more.end());
            return played.size() >= n;
        });
    };
    ASSERT_TRUE(playedMore(800)); // the greeting plays
    EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam('*')));
    // The PIN, typed into its request: kept for the entry, key by key.
    ASSERT_TRUE(WaitFor([&] { return UiSaid("remote access: asked for by the caller"); }));
    for (char k : std::string("0815#"))
        EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam(k)));
    ASSERT_TRUE(WaitFor([&] { return UiSaid("remote access: PIN accepted"); }));
    played = adapter->TakePlayed();
    // Spoken count and announcement, then the message; heard once played.
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<int16_t> more = adapter->TakePlayed();
        played.insert(played.end(), more.begin(), more.end());
        return Contacts().Calls(HistoryFilter::All, 0, 1).at(0).bHeard;
    }));
    ExpectMessageHeardWhole(played, 700, 8000);
    EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam('#')));
    ASSERT_TRUE(WaitFor([&] { return UiSaid("remote access: ended") && !adapter->IsOffHook(); }));
    EXPECT_EQ(Index().GetSize(), 0); // the owner left no message
    ExpectNoKeyLogged();
}

// Three calls of three wrong PINs and one more, ten minutes apart by the
// clock: the tenth failure closes remote access for the hour, and the owner
// is told by a notice.
TEST_F(AdapterStory, TenWrongPinsInAnHourCloseRemoteAccessAndTellTheOwner) {
    OfferRemoteAccess();
    phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 8000);
    auto now = std::make_shared<std::atomic<int64_t>>(1'000'000);
    remoteClock = [now] { return now->load(); };
    phone->nRings = 1;
    StartWorkerOnDevice();
    const auto said = [&](const std::string& text) {
        const std::vector<std::string> lines = ui.Lines();
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(text) != l.npos; });
    };
    for (int call = 1; call <= 4; ++call) {
        *now += 600;
        adapter->TakePlayed();
        // The line rings until the machine answers.
        ASSERT_TRUE(WaitFor([&] {
            adapter->Event(kAdEvIncomingCall, 0);
            return WaitFor([&] { return adapter->IsOffHook(); }, 500);
        }));
        ASSERT_TRUE(WaitFor([&] { return !adapter->TakePlayed().empty(); })); // the greeting
        EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam('*')));
        ASSERT_TRUE(
            WaitFor([&] { return said("remote access: asked for by the caller") == call; }));
        for (char k : std::string("1#1#1#"))
            EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam(k)));
        ASSERT_TRUE(
            WaitFor([&] { return said("remote access: ended") == call && !adapter->IsOffHook(); }));
    }
    const std::string text = "wrong PIN 10 times in an hour: remote access is off for an hour";
    EXPECT_EQ(said("remote access: " + text), 1);
    const std::vector<CallEvent> events = Events();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [&](const CallEvent& e) {
                                const auto* n = std::get_if<CallsForNotice>(&e);
                                return n && n->calls.size() == 1 && n->calls[0].m_sMemo == text;
                            }),
              1);
}

TEST_F(AdapterStory, AMissingAdapterPausesMonitoringWithItsMessageUntilItIsThere) {
    adapter->SetPresent(false);
    worker = std::make_unique<CMultiThread>(*phone, ui, callLog);
    worker->SetSaveOnExit(false);
    ASSERT_TRUE(worker->Start());
    worker->SignalStart();
    ASSERT_TRUE(WaitFor([&] { return UiSaid("message 158") && UiSaid("monitoring: paused"); }));
    EXPECT_TRUE(State().bPaused);
    EXPECT_FALSE(phone->Device().IsOpen());

    // Plugged in, and monitoring resumed: it opens.
    adapter->SetPresent(true);
    State().bPaused = false;
    worker->Wake();
    ASSERT_TRUE(WaitFor([&] { return phone->Device().IsOpen() && adapter->IsOpen(); }));
    EXPECT_TRUE(AdapterDid("open"));
}

} // namespace
