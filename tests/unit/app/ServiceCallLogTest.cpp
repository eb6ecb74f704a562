// The service's lines about its device name each kind as it is: the modem's
// port, the telephony line, the USB telephone adapter; each change is told
// once. The modem's port missing, back and lost in the service itself:
// VorelladTest.
#include "app/ServiceCallLog.h"

#include <gtest/gtest.h>

namespace {

TEST(ServiceCallLog, EachDeviceKindIsNamedAsItIsAndEachChangeToldOnce) {
    using S = DeviceState;
    const std::string why = "Line unavailable: registration with pbx.example failed: 403 Forbidden";
    const std::vector<S> lostAndBack = {S::Open, S::Open, S::Lost, S::OpenFailed, S::OpenFailed,
                                        S::Open};
    struct Row {
        DeviceKind kind;
        std::string device, reason; // the reason goes with every state but Open and Lost
        std::vector<S> states;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {DeviceKind::UsbAdapter, "", "the sound card hw:CARD=X is not there", lostAndBack,
         {"USB telephone adapter open; waiting for calls",
          "USB telephone adapter lost (unplugged); trying to open it again",
          "cannot open the USB telephone adapter: the sound card hw:CARD=X is not there",
          "USB telephone adapter is back; waiting for calls"}},
        {DeviceKind::TelephonyLine, "", "no provider", lostAndBack,
         {"telephony line open; waiting for calls",
          "telephony line lost (its provider ended); trying to open it again",
          "cannot open the telephony line: no provider; trying again until it can be opened",
          "telephony line is back; waiting for calls"}},
        // A line that cannot take calls says why once, and when it can again.
        {DeviceKind::TelephonyLine, "", why, {S::Open, S::Unavailable, S::Unavailable, S::Open},
         {"telephony line open; waiting for calls", "telephony line: " + why,
          "telephony line is back; waiting for calls"}},
        // A modem that does not answer pauses monitoring.
        {DeviceKind::SerialModem, "COM3 (/dev/ttyS2)", "", {S::NotResponding},
         {"modem port COM3 (/dev/ttyS2): the modem does not answer its set-up; monitoring "
          "paused"}},
    };
    for (const Row& r : rows) {
        std::vector<std::string> lines;
        CServiceCallLog log([&](const std::string& l) { lines.push_back(l); });
        for (S s : r.states)
            log.DeviceStateChanged(s, r.kind, r.device, s == S::Open || s == S::Lost ? "" : r.reason);
        EXPECT_EQ(lines, r.lines) << r.lines[0];
    }
}

} // namespace
