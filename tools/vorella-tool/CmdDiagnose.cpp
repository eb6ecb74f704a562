#include "Commands.h"

#include "config/SettingsStore.h"
#include "modem/CommDriver.h"
#include "modem/Diagnostics.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPorts.h"

#include <cstdio>
#include <cstring>

namespace {

// "COM3", "com3" or "3"; 0 when it is none of these.
int ParseComPort(const std::string& s) {
    std::string digits = s;
    if (s.size() > 3 && (s.compare(0, 3, "COM") == 0 || s.compare(0, 3, "com") == 0))
        digits = s.substr(3);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    int n = ProfileFile::ParseInt(digits);
    return n >= 1 && n <= kMaxComPort ? n : 0;
}

} // namespace

int CmdDiagnose(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vorella-tool diagnose COMn|DEVICE\n");
        return 2;
    }
    CPhoneSettings phone;
    CGlobalSettings global;
    CWorkerSettings worker;
    CCommDriver drv;
    LoadSettings({phone, drv.Settings(), global, worker}, drv.Profile());
    drv.Profile().Load(phone.sModem);
    drv.SetDebugLevel(phone.nDebugLevel);
    uint32_t baud = phone.dwBaudRate > 0 ? static_cast<uint32_t>(phone.dwBaudRate) : 115200u;
    int port = ParseComPort(args[0]);
    int handle = CCommDriver::kInvalidHandle;
    if (port > 0) {
        ScanSerialPorts();
        handle = drv.Open(port, baud);
    } else if (args[0].find('/') != std::string::npos) {
        handle = drv.OpenDevice(args[0], baud);
    }
    if (handle == CCommDriver::kInvalidHandle) {
        // The port's own reason ("/dev/ttyACM0 is in use by ModemManager
        // (pid 812)") says what to do about it.
        const std::string reason = drv.OpenError();
        std::fprintf(stderr, "vorella-tool: cannot open %s%s%s\n", args[0].c_str(),
                     reason.empty() ? "" : ": ", reason.c_str());
        return 1;
    }
    std::string report = RunDiagnostics(drv);
    drv.Close(true);
    // The report uses CR LF line ends; a terminal wants LF.
    for (char c : report)
        if (c != '\r')
            std::putchar(c);
    return 0;
}
