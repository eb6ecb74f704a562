#include "modem/CallerIdProbe.h"

#include "modem/ModemSetup.h"
#include "modem/ResultCodes.h"

namespace {

constexpr int kCidNone = 0;
constexpr int kCidHardware = 1;
constexpr int kCidFormatted = 2;

// A command that sets a value ("+VCID=") is asked for its range instead, so
// the probe changes nothing in the modem.
std::string AsQuery(const std::string& command) {
    return !command.empty() && command.back() == '=' ? command + "?" : command;
}

bool Accepted(CCommDriver& drv, const std::string& command) {
    return !command.empty() && drv.CommOut(AsQuery(command), kModeResult) == kResultOk;
}

} // namespace

int DetectCallerIdType(CCommDriver& drv, const std::string& sModem, uint32_t dwBaudRate) {
    drv.Shutdown();
    if (OpenModemPort(drv, sModem, drv.Settings().nComPort, dwBaudRate) != 0)
        return -1;
    int type = -1;
    try {
        if (Accepted(drv, drv.Profile().sCmdAmericanCID))
            type = kCidFormatted;
        else if (Accepted(drv, drv.Profile().sCmdEnableHardwareCID))
            type = kCidHardware;
        else
            type = kCidNone;
    } catch (const ModemWriteFailure&) {
        // The modem went away while it was asked: nothing is known.
        drv.Ui().SetStatusText("The modem could not be asked about Caller ID.");
    }
    drv.Shutdown();
    return type;
}
