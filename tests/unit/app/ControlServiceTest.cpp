// The running instance's control service: one instance serves, a later
// start finds it, its requests, and the hand-over of a restart. Requests
// from other programs over the socket: VorellactlTest and AppTest.
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

using StartResult = CControlService::StartResult;

TEST(ControlService, OneInstanceServesItsRequestsOnceExternalControlIsEnabled) {
    TempHome home;
    EXPECT_FALSE(IsInstanceRunning());
    EXPECT_EQ(AskRunningInstance(kRequestShow).status, ControlStatus::NotRunning);
    FakeExternalControl fake;
    CControlService service(fake);
    std::string error;
    ASSERT_EQ(service.Start(&error), StartResult::Serving) << error;
    EXPECT_TRUE(IsInstanceRunning());
    {
        // A second instance finds the first and leaves its socket and block alone.
        FakeExternalControl otherFake;
        CControlService second(otherFake);
        EXPECT_EQ(second.Start(&error), StartResult::AnotherRuns);
        EXPECT_FALSE(second.CommDll().IsOpen());
    }
    EXPECT_EQ(service.Handle(kRequestCall), "disabled");
    service.CommDll().Enable();
    EXPECT_EQ(service.Handle(kRequestCall), "ok"); // the block's code 0
    EXPECT_EQ(service.Handle("reboot"), "unknown-request");
    EXPECT_EQ(service.Handle(kRequestShow), "ok");
    EXPECT_EQ(service.Handle(kRequestQuit), "ok");
    EXPECT_EQ(fake.log, (std::vector<std::string>{"show", "quit"}));
    service.Stop();
    EXPECT_FALSE(IsInstanceRunning());
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
    ASSERT_EQ(service.Start(&error), StartResult::NoBlock);
    EXPECT_FALSE(error.empty());
    service.CommDll().Enable();
    // Still the one instance: a later start finds it and hands over.
    EXPECT_TRUE(IsInstanceRunning());
    FakeExternalControl otherFake;
    CControlService second(otherFake);
    EXPECT_EQ(second.Start(&error), StartResult::AnotherRuns);
    EXPECT_EQ(service.Handle(kRequestShow), "ok");
    EXPECT_EQ(service.Handle(kRequestCall), "disabled");
    EXPECT_EQ(fake.log, (std::vector<std::string>{"show"}));
}

TEST(ControlService, ARestartTakesOverOnceTheOldInstanceLetsGo) {
    TempHome home;
    FakeExternalControl oldFake, freshFake;
    CControlService old(oldFake), fresh(freshFake);
    std::string error, freshError;
    ASSERT_EQ(old.Start(&error), StartResult::Serving) << error;
    std::atomic<StartResult> result{StartResult::Failed};
    std::thread starter([&] { result = fresh.Start(&freshError, 30000); });
    SleepMs(200); // let the new one find the socket taken and wait
    old.Stop();
    starter.join();
    EXPECT_EQ(result, StartResult::Serving) << freshError;
    EXPECT_TRUE(IsInstanceRunning());
}

} // namespace
