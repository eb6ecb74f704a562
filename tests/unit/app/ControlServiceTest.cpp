// The running instance's control service: single instance, "show" and "quit"
// from later starts, and the hand-over of a restart.
#include "FakeExternalControl.h"
#include "TempHome.h"

#include "app/ControlService.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstance.h"
#include "platform/TickCount.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

// A service driven on its own thread, as the UI loop drives it.
class RunningService {
public:
    RunningService() : service(fake) {}
    ~RunningService() { Stop(); }
    CControlService::StartResult Start(uint32_t waitMs = 0) {
        std::string error;
        auto r = service.Start(&error, waitMs);
        if (r == CControlService::StartResult::Serving) {
            service.CommDll().Enable();
            thread = std::thread([this] {
                while (!bStop)
                    service.Process(20);
            });
        }
        return r;
    }
    void Stop() {
        bStop = true;
        if (thread.joinable())
            thread.join();
        service.Stop();
    }
    FakeExternalControl fake;
    CControlService service;
    std::atomic<bool> bStop{false};
    std::thread thread;
};

TEST(ControlService, OneInstanceServesAndLaterStartsTalkToIt) {
    TempHome home;
    EXPECT_FALSE(IsInstanceRunning());
    EXPECT_EQ(AskRunningInstance(kRequestShow).status, ControlStatus::NotRunning);

    RunningService first;
    ASSERT_EQ(first.Start(), CControlService::StartResult::Serving);
    EXPECT_TRUE(IsInstanceRunning());

    // A second instance finds the first and leaves its socket and block alone.
    {
        FakeExternalControl otherFake;
        CControlService second(otherFake);
        std::string error;
        EXPECT_EQ(second.Start(&error), CControlService::StartResult::AnotherRuns);
        EXPECT_FALSE(second.CommDll().IsOpen());
    }
    ControlReply r = AskRunningInstance(kRequestShow);
    ASSERT_EQ(r.status, ControlStatus::Ok) << r.error;
    EXPECT_EQ(r.text, "ok");
    EXPECT_EQ(AskRunningInstance(kRequestCall).text, "ok"); // the block's code 0
    EXPECT_EQ(AskRunningInstance("reboot").text, "unknown-request");
    EXPECT_EQ(AskRunningInstance(kRequestQuit).text, "ok");
    first.Stop();
    EXPECT_EQ(first.fake.log, (std::vector<std::string>{"show", "quit"}));
    EXPECT_TRUE(first.fake.bQuit);
    EXPECT_FALSE(IsInstanceRunning());
}

TEST(ControlService, ExternalControlWaitsUntilEnabled) {
    TempHome home;
    FakeExternalControl fake;
    CControlService service(fake);
    std::string error;
    ASSERT_EQ(service.Start(&error), CControlService::StartResult::Serving) << error;
    EXPECT_EQ(service.Handle(kRequestCall), "disabled");
    service.CommDll().Enable();
    EXPECT_EQ(service.Handle(kRequestCall), "ok");
}

TEST(ControlService, WithoutTheBlockTheInstanceStillHoldsTheSocket) {
    TempHome home;
    // Something that is not a block sits under the block's name, so the
    // block cannot be made.
    std::string error;
    const std::string shmPath = "/dev/shm" + ControlBlockName(GetRuntimeFolder(&error));
    if (::mkdir(shmPath.c_str(), 0700) != 0)
        GTEST_SKIP() << "no POSIX shared memory folder to block: " << shmPath;
    struct Cleanup {
        std::string path;
        ~Cleanup() { ::rmdir(path.c_str()); }
    } cleanup{shmPath};

    FakeExternalControl fake;
    CControlService service(fake);
    ASSERT_EQ(service.Start(&error), CControlService::StartResult::NoBlock);
    EXPECT_FALSE(error.empty());
    service.CommDll().Enable();
    // Still the one instance: a later start finds it and hands over.
    EXPECT_TRUE(IsInstanceRunning());
    FakeExternalControl otherFake;
    CControlService second(otherFake);
    EXPECT_EQ(second.Start(&error), CControlService::StartResult::AnotherRuns);
    EXPECT_EQ(service.Handle(kRequestShow), "ok");
    EXPECT_EQ(service.Handle(kRequestCall), "disabled");
    EXPECT_EQ(fake.log, (std::vector<std::string>{"show"}));
}

TEST(ControlService, ARestartTakesOverOnceTheOldInstanceLetsGo) {
    TempHome home;
    RunningService old;
    ASSERT_EQ(old.Start(), CControlService::StartResult::Serving);

    RunningService fresh;
    std::atomic<int> result{-1};
    std::thread starter([&] { result = static_cast<int>(fresh.Start(30000)); });
    SleepMs(200); // let the new one find the socket taken and wait
    old.Stop();
    starter.join();
    EXPECT_EQ(result, static_cast<int>(CControlService::StartResult::Serving));
    EXPECT_EQ(AskRunningInstance(kRequestShow).text, "ok");
    fresh.Stop();
    EXPECT_EQ(fresh.fake.log, (std::vector<std::string>{"show"}));
}

} // namespace
