// The service's lines about its device name each kind as it is: the modem's
// port, the telephony line, the USB telephone adapter; each change is told
// once. The modem's port missing, back and lost in the service itself:
// VorelladTest.
#include "app/ServiceCallLog.h"

#include <gtest/gtest.h>

namespace {

struct Logged {
    std::vector<std::string> lines;
    CServiceCallLog log{[this](const std::string& l) { lines.push_back(l); }};
};

TEST(ServiceCallLog, EachDeviceKindIsNamedAsItIs) {
    struct Row {
        DeviceKind kind;
        std::string device;
        std::string open, back, failed, lost;
    };
    const Row rows[] = {
        {DeviceKind::UsbAdapter, "", "USB telephone adapter open; waiting for calls",
         "USB telephone adapter is back; waiting for calls",
         "cannot open the USB telephone adapter: the sound card hw:CARD=X is not there",
         "USB telephone adapter lost (unplugged); trying to open it again"},
        {DeviceKind::TelephonyLine, "", "telephony line open; waiting for calls",
         "telephony line is back; waiting for calls",
         "cannot open the telephony line: no provider; trying again until it can be opened",
         "telephony line lost (its provider ended); trying to open it again"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.open);
        Logged l;
        const std::string reason = r.kind == DeviceKind::UsbAdapter
                                       ? "the sound card hw:CARD=X is not there"
                                       : "no provider";
        l.log.DeviceStateChanged(DeviceState::Open, r.kind, r.device, "");
        l.log.DeviceStateChanged(DeviceState::Open, r.kind, r.device, "");
        l.log.DeviceStateChanged(DeviceState::Lost, r.kind, r.device, "");
        l.log.DeviceStateChanged(DeviceState::OpenFailed, r.kind, r.device, reason);
        l.log.DeviceStateChanged(DeviceState::OpenFailed, r.kind, r.device, reason);
        l.log.DeviceStateChanged(DeviceState::Open, r.kind, r.device, "");
        EXPECT_EQ(l.lines, (std::vector<std::string>{r.open, r.lost, r.failed, r.back}));
    }
}

TEST(ServiceCallLog, AModemThatDoesNotAnswerPausesMonitoring) {
    Logged l;
    l.log.DeviceStateChanged(DeviceState::NotResponding, DeviceKind::SerialModem,
                             "COM3 (/dev/ttyS2)", "");
    ASSERT_EQ(l.lines.size(), 1u);
    EXPECT_EQ(
        l.lines[0],
        "modem port COM3 (/dev/ttyS2): the modem does not answer its set-up; monitoring paused");
}

TEST(ServiceCallLog, ALineThatCannotTakeCallsSaysWhyOnceAndWhenItCanAgain) {
    Logged l;
    const std::string why = "Line unavailable: registration with pbx.example failed: 403 Forbidden";
    l.log.DeviceStateChanged(DeviceState::Open, DeviceKind::TelephonyLine, "", "");
    l.log.DeviceStateChanged(DeviceState::Unavailable, DeviceKind::TelephonyLine, "", why);
    l.log.DeviceStateChanged(DeviceState::Unavailable, DeviceKind::TelephonyLine, "", why);
    l.log.DeviceStateChanged(DeviceState::Open, DeviceKind::TelephonyLine, "", "");
    EXPECT_EQ(l.lines, (std::vector<std::string>{"telephony line open; waiting for calls",
                                                 "telephony line: " + why,
                                                 "telephony line is back; waiting for calls"}));
}

} // namespace
