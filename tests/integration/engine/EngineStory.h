// The whole worker against the simulated modem on a pseudo-terminal: a
// private program folder, a simulated line, the phone with short timings,
// and the worker thread running as in the program.
#pragma once

#include "TempHome.h"
#include "WaitUntil.h"

#include "ModemSim.h"
#include "audio/Cacm.h"
#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "calllog/DataStructure.h"
#include "engine/CallEvents.h"
#include "engine/CallState.h"
#include "engine/LoggingUiBridge.h"
#include "engine/ModemCallerId.h"
#include "engine/MultiThread.h"
#include "engine/Number.h"
#include "engine/Phone.h"
#include "platform/SerialPorts.h"
#include "platform/TickCount.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Waits for a condition, polling, up to a generous deadline.
inline bool WaitFor(const std::function<bool()>& pred, uint32_t timeoutMs = 30000) {
    return WaitUntil(pred, timeoutMs);
}

// The share of a signal's power at one frequency (Goertzel over the block).
double ToneShare(const std::vector<int16_t>& s, double hz, double rate);

double Rms(const std::vector<int16_t>& s);

// A test's name made of a row's label: its letters and digits, "_" for the rest.
std::string TestName(const std::string& label);

// Whether the worker sent the simulated modem a command containing text.
bool SentCommand(const modemsim::ModemSim& sim, const std::string& text);

class EngineStory : public ::testing::Test {
protected:
    static constexpr int kPort = 9;

    void SetUp() override;
    void TearDown() override;
    void StartSim(const std::string& personality = "hash");

    // Starts the worker and waits until it has the modem ready for calls.
    void StartWorker();
    // The same for a device other than the modem (a telephony line, an
    // adapter): waits until the worker has it open.
    void StartWorkerOnDevice();
    // Starts the worker with a front end of the test's own (the fixture's
    // by default), without waiting for its device.
    void LaunchWorker(IUiBridge* front = nullptr);

    // Mail notices go by SMTP, without encryption, to a server on
    // 127.0.0.1 at port, from and to fixed addresses.
    void MailNoticesTo(int port);

    // A request of the UI thread, as the program's commands make it.
    void Request(int32_t action) {
        phone->CallState().RequestAction(action);
        worker->Wake();
    }
    // The phone's call state, as the worker writes it.
    CCallStateData& State() { return phone->CallState().EngineState(); }
    // The user ends the call in progress ("Stop", "Hang up").
    void UserHangsUp() {
        State().bHangUpRequest = true;
        phone->ModemDriver()->SetStopRequest(true);
        worker->Wake();
    }
    // The modem is open and set up for calls.
    bool ModemReady() const {
        return phone->ModemDriver()->IsOpen() && phone->ModemDriver()->m_bInitialized;
    }
    // Waits until the line is back on-hook, for the worker and the modem.
    bool WaitOnHook() {
        return WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook; });
    }
    // Waits until the index holds n calls, the last at least minSeconds long.
    bool WaitForCalls(int n, int minSeconds = 1) const;
    // The caller of most stories, in the formatted caller ID.
    void JohnDoeCalls() {
        sim->SetCallerId({"0321", "1405", "5551234", "JOHN DOE", ""},
                         modemsim::CallerIdForm::Formatted);
    }

    std::string CallFolder() const { return home.File("Recorded Calls/"); }

    CDataStructureArray Index() const;
    std::vector<int16_t> Samples(const std::string& path) const;

    // A WAV file of a tone, for greetings and hold music.
    std::string MakeToneWav(const std::string& name, double hz, int ms, int amp = 8000);

    // Remote access open to "*" in the greeting and the PIN "0815", asked
    // for by a tone prompt; the rest of the menu spoken.
    void OfferRemoteAccess();
    // A new message of a tone at hz, ms long, received at time t.
    std::string AddNewMessage(const std::string& name, double hz, int64_t t, int ms = 1000);
    // What the far end heard of a remote-access session, up to the new
    // message's end: spoken words, then the message (nSamples of hz) once,
    // whole and at its level. Then that no key typed showed in a log.
    void ExpectMessageHeardWhole(const std::vector<int16_t>& played, double hz, size_t nSamples);
    void ExpectNoKeyLogged();

    // The contacts file the worker screens with and keeps its history in.
    CContactStore& Contacts();
    // Waits until the history holds n calls; the newest first.
    std::vector<HistoryEntry> WaitForHistory(size_t n);

    bool UiSaid(const std::string& text) const;
    // The worker's call events so far, in order.
    std::vector<CallEvent> Events() const;
    // Whether ring nRings of a call was published.
    bool Rang(int nRings) const;

    TempHome home;
    CLoggingUiBridge ui;
    std::unique_ptr<modemsim::ModemSim> sim;
    CCallLog callLog;
    std::unique_ptr<CPhone> phone;
    std::unique_ptr<CMultiThread> worker;
    CRemoteMenu::Clock remoteClock; // remote access's, when set before the start

private:
    std::unique_ptr<CPhoneNumbers> m_numbers;
    std::unique_ptr<CContactStore> m_contacts;
    mutable std::mutex m_eventsMutex;
    std::vector<CallEvent> m_events; // under m_eventsMutex
    void StartWorkerUntil(const std::function<bool()>& ready);
};
