// The driver against a simulated modem on a real pseudo-terminal, with a
// private program folder and a UI that records what it was asked to show.
#pragma once

#include "TempHome.h"

#include "ModemSim.h"
#include "modem/CommDriver.h"
#include "platform/SerialPorts.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class RecordingUi : public IModemUi {
public:
    void SetStatusText(const std::string& s) override {
        std::lock_guard l(m);
        status.push_back(s);
    }
    void ShowMessage(const std::string& s, MsgIcon icon) override {
        std::lock_guard l(m);
        messages.push_back(s);
        icons.push_back(icon);
    }
    bool AskYesNo(const std::string& s, bool bDefault) override {
        std::lock_guard l(m);
        questions.push_back(s);
        return answer.value_or(bDefault);
    }
    void NotifyPortScanDone() override { ++scanDone; }

    std::mutex m;
    std::vector<std::string> status, messages, questions;
    std::vector<MsgIcon> icons;
    std::optional<bool> answer;
    int scanDone = 0;
};

class SimModemTest : public ::testing::Test {
protected:
    static constexpr int kPort = 5;
    static constexpr uint32_t kBaud = 115200;

    // Starts a simulated modem of the given family and maps COM<port> to it.
    modemsim::ModemSim& StartSim(const std::string& personality, int port = kPort,
                                 double voicePace = 1.0) {
        modemsim::ModemSimOptions o;
        o.personality = personality;
        o.voicePace = voicePace;
        o.logFile = home.File("sim-" + std::to_string(port) + ".log");
        sims.push_back(std::make_unique<modemsim::ModemSim>(o));
        std::string error;
        EXPECT_TRUE(sims.back()->Start(&error)) << error;
        EXPECT_TRUE(SetComPortDevice(port, sims.back()->SlavePath()));
        return *sims.back();
    }

    // The default profile with the log on, opened on COM<port>.
    void OpenDriver(int port = kPort) {
        drv.Profile().Load(".Custom");
        drv.SetDebugLevel(1);
        ASSERT_NE(drv.Open(port, kBaud), CCommDriver::kInvalidHandle);
    }

    // A simulated modem on COM<kPort> with the driver open on it, and
    // initialised when bInit.
    modemsim::ModemSim& Ready(const std::string& personality, bool bInit = true) {
        modemsim::ModemSim& sim = StartSim(personality);
        OpenDriver();
        if (bInit)
            drv.InitModem();
        return sim;
    }

    std::string ModemLog() const { return home.Read("modem.log"); }

    TempHome home;
    RecordingUi ui;
    CCommDriver drv{&ui};
    std::vector<std::unique_ptr<modemsim::ModemSim>> sims;
};
