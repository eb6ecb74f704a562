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
    modemsim::ModemSim sim;
    std::unique_ptr<HostPort> port;
};
