// A started simulator with the host's port open on it.
#pragma once

#include "HostPort.h"
#include "ModemSim.h"

#include <gtest/gtest.h>
#include <memory>

struct SimWithPort {
    explicit SimWithPort(const std::string& personality = "v253", double pace = 1.0)
        : sim(Options(personality, pace)) {
        std::string error;
        EXPECT_TRUE(sim.Start(&error)) << error;
        port = std::make_unique<HostPort>(sim.SlavePath());
        EXPECT_TRUE(port->IsOpen());
    }
    static modemsim::ModemSimOptions Options(const std::string& personality, double pace) {
        auto o = modemsim::ModemSimOptions::For(personality);
        o.voicePace = pace;
        return o;
    }
    // Sends a command line (echo on) that starts a recording, and returns its
    // first count bytes unshielded.
    std::string Record(const std::string& line, size_t count) {
        EXPECT_EQ(port->Command(line), line + "\r\r\nCONNECT\r\n");
        return Unshield(port->ReadBytes(count, 20000)).data;
    }
    // Ends a recording with the stop sequence and waits until the modem has.
    void StopRecording(const std::string& stop = "\x10!") {
        EXPECT_TRUE(port->Send(stop));
        EXPECT_TRUE(sim.WaitForReceiveEnd(10000));
    }
    modemsim::ModemSim sim;
    std::unique_ptr<HostPort> port;
};
