// The hidden window on a scripted worker and front end, serving its control
// socket: the fixture of the window's tests.
#pragma once

#include "FakeAppWorker.h"
#include "TempHome.h"

#include "platform/TickCount.h"

#include <functional>
#include <gtest/gtest.h>

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_EQ(window.Create(&error), CControlService::StartResult::Serving) << error;
        window.AttachWorker(worker);
    }
    // Runs the window's loop until done() or a generous deadline.
    bool RunUntil(const std::function<bool()>& done, uint32_t deadlineMs = 20000) {
        const uint32_t start = GetTickCount();
        while (!done() && GetTickCount() - start < deadlineMs)
            window.ProcessEvents(20);
        return done();
    }

    TempHome home;
    FakeAppWorker worker;
    FakeFrontEnd frontEnd;
    CBasicWindow window{frontEnd};
};
