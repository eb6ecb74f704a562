// The whole worker against the simulated modem on a pseudo-terminal: a
// private program folder, a simulated line, the phone with short timings,
// and the worker thread running as in the program.
#pragma once

#include "TempHome.h"

#include "ModemSim.h"
#include "audio/Cacm.h"
#include "audio/WaveFile.h"
#include "calllog/DataStructure.h"
#include "engine/CallState.h"
#include "engine/LoggingUiBridge.h"
#include "engine/ModemCallerId.h"
#include "engine/MultiThread.h"
#include "engine/Number.h"
#include "engine/Phone.h"
#include "platform/SerialPorts.h"
#include "platform/TickCount.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

// Waits for a condition, polling, up to a generous deadline.
inline bool WaitFor(const std::function<bool()>& pred, uint32_t timeoutMs = 30000) {
    const uint32_t start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        SleepMs(5);
    }
    return true;
}

// The share of a signal's power at one frequency (Goertzel over the block).
inline double ToneShare(const std::vector<int16_t>& s, double hz, double rate) {
    if (s.empty())
        return 0;
    const double w = 2 * M_PI * hz / rate;
    double c = 2 * std::cos(w), s1 = 0, s2 = 0, total = 0;
    for (int16_t v : s) {
        double s0 = v + c * s1 - s2;
        s2 = s1;
        s1 = s0;
        total += double(v) * v;
    }
    double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return total > 0 ? 2 * power / (double(s.size()) * total) : 0;
}

inline double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s)
        sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / double(s.size()));
}

class EngineStory : public ::testing::Test {
protected:
    static constexpr int kPort = 9;

    void SetUp() override {
        ResetCallState();
        g_curCall.Set({});
        g_recentCalls.Set({});
        g_selectedCallFolder.Set("");
        home.CopyShipped("vorella.def");
        StartSim();
        phone = std::make_unique<CPhone>();
        phone->LoadAll();
        phone->SetUi(&ui);
        // Short timings: a story must not wait for a real line.
        CCommDriver& d = phone->m_driver;
        d.nComPort = kPort;
        d.SetDebugLevel(1);
        d.nCompression = 8;
        d.nCompressionBS = 8;
        d.nCompressionSampleRate = 8000;
        d.dwTimeoutDefault = 2000;
        d.dwTimeoutQuant = 10;
        d.bSilenceDetection = false;
        d.dwInactiveTimer = 60000;
        phone->bSoftAGC = false;
        phone->m_iVolume = 50;
        phone->nCIDType = kCidFormatted;
        phone->dwTimeToGet = 3000;
        phone->dwTimeToWait = 500;
        phone->iPopup = 0;
        phone->sWaveRingIn = "";
        phone->bEMailCID = 0;
        phone->nRings = 1;
        phone->dwBaudRate = 115200;
        phone->nDebugLevel = 1;
    }

    void TearDown() override {
        if (HasFailure()) {
            // What the modem and the simulator saw, for the failure's story.
            for (const char* f : {"modem.log", "sim.log"}) {
                std::string t = home.Read(f);
                std::cerr << "---- " << f << " (end)\n"
                          << t.substr(t.size() > 4000 ? t.size() - 4000 : 0) << "\n";
            }
        }
        worker.reset();
        phone.reset();
        sim.reset();
    }

    void StartSim(const std::string& personality = "hash") {
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For(personality);
        o.logFile = home.File("sim.log");
        sim = std::make_unique<modemsim::ModemSim>(o);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        ASSERT_TRUE(SetComPortDevice(kPort, sim->SlavePath()));
        sim->SetVoiceFormat({8, 8000, 0});
    }

    // Starts the worker and waits until it has the modem ready for calls.
    void StartWorker() {
        worker = std::make_unique<CMultiThread>(*phone, ui);
        worker->SetSaveOnExit(false);
        worker->SetMailSettleRounds(1);
        ASSERT_TRUE(worker->Start());
        worker->SignalStart();
        ASSERT_TRUE(
            WaitFor([&] { return phone->m_driver.m_bInitialized && worker->StepCount() > 2; }));
    }

    // A request of the UI thread, as the program's commands make it.
    void Request(int32_t action) {
        RequestAction(action);
        worker->Wake();
    }

    std::string CallFolder() const { return home.File("Recorded Calls/"); }

    CDataStructureArray Index() const {
        CDataStructureArray a;
        a.Load(CallFolder() + "index.dat");
        return a;
    }

    std::vector<int16_t> Samples(const std::string& path) const {
        std::vector<int16_t> s;
        WaveFormat f;
        std::string error;
        EXPECT_TRUE(ReadWaveSamples(path, s, f, error)) << error;
        return s;
    }

    // A WAV file of a tone, for greetings and hold music.
    std::string MakeToneWav(const std::string& name, double hz, int ms, int amp = 8000) {
        std::vector<int16_t> s(size_t(8 * ms));
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = int16_t(amp * std::sin(2 * M_PI * hz * double(i) / 8000));
        std::string path = home.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        CWaveFile w;
        EXPECT_EQ(w.Create(path, PcmFormat(8000)), 1);
        w.WriteSamples(s.data(), s.size());
        EXPECT_TRUE(w.CloseWrite());
        return path;
    }

    bool UiSaid(const std::string& text) const {
        for (const std::string& l : ui.Lines())
            if (l.find(text) != std::string::npos)
                return true;
        return false;
    }

    TempHome home;
    CLoggingUiBridge ui;
    std::unique_ptr<modemsim::ModemSim> sim;
    std::unique_ptr<CPhone> phone;
    std::unique_ptr<CMultiThread> worker;
};
