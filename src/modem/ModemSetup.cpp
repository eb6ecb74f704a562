#include "modem/ModemSetup.h"

#include "config/ModemType.h"
#include "modem/CommandText.h"
#include "platform/SerialPorts.h"
#include "platform/Strings.h"

#include <algorithm>

namespace {

struct ModelRule {
    const char* contains; // nullptr: any answer
    const char* model;
};

// First row whose text the answer contains decides (case-sensitive).
constexpr ModelRule kVsmRules[] = {
    {"ZyXEL ADPCM", "ZyXEL Omni 288S"},
    {"140,\"CL1\"", "Cirrus Logic IS-101"},
    {"128,\"IMA ADPCM\"", "BroadCom SoftModem Chipset V.92"},
    {"133,\"LINEAR\",16,0,(7200,8000),(0),(0)", "Rockwell HCF Compatible"},
    {"133,\"LINEAR\"", "Rockwell HCF Compatible"},
    {"130,\"UNSIGNED PCM\"", "Rockwell HCF Compatible"},
    {nullptr, "LT Win Modem"},
};

constexpr ModelRule kVciRules[] = {
    {"Rockwell", "Rockwell Compatible (ADPCM)"},
    {"USRobotics;IMA ADPCM;4", "3Com / U.S.Robotics Voice Modem"},
    {"IMA ADPCM;4", "3Com / U.S.Robotics Voice Modem"},
    {"USRobotics;GSM;8", "3Com / U.S.Robotics 56K Voice"},
    {"USRobotics;GSM-B;8", "3Com / U.S.Robotics 56K Voice"},
    {"GSM", "3Com / U.S.Robotics 56K Voice"},
    {"USRobotics", "3Com / U.S.Robotics 56K Voice"},
};

constexpr const char* kCirrusModel = "Cirrus Logic CL-MD1414EXX";
constexpr uint32_t kProbeAnswerMs = 1500;
constexpr int kNoLimit = 65535;

std::string Suggest(const std::string& answer, const ModelRule* begin, const ModelRule* end) {
    for (const ModelRule* r = begin; r != end; ++r)
        if (!r->contains || answer.find(r->contains) != std::string::npos)
            return r->model;
    return "";
}

// One blank as the command: the modem sees "AT \r" and answers OK.
int ProbePort(CCommDriver& drv) {
    try {
        return drv.CommOut(" ", kModeRaise);
    } catch (const ModemWriteFailure&) {
        return -1;
    } catch (const ModemCommandFailure&) {
        return -1;
    }
}

int ScanForModem(CCommDriver& drv, uint32_t dwBaudRate) {
    std::string why;
    std::vector<int> ports = ScanSerialPorts(&why);
    if (!why.empty())
        drv.Ui().SetStatusText("The serial port numbers could not be saved: " + why);
    for (auto it = ports.rbegin(); it != ports.rend(); ++it) {
        int port = *it;
        drv.Ui().SetStatusText(ApplyFormat(LoadStr(57859), static_cast<long long>(port)));
        if (drv.Open(port, dwBaudRate) == CCommDriver::kInvalidHandle)
            continue;
        int result = ProbePort(drv);
        if (result < 0) {
            drv.Close(false);
            continue;
        }
        drv.Close(result != 0);
        if (result == kResultOk)
            return port;
    }
    return 0;
}

} // namespace

std::string SuggestModelFromVsm(const std::string& sAnswer) {
    return Suggest(sAnswer, std::begin(kVsmRules), std::end(kVsmRules));
}

std::string SuggestModelFromVci(const std::string& sAnswer) {
    return Suggest(sAnswer, std::begin(kVciRules), std::end(kVciRules));
}

int OpenModemPort(CCommDriver& drv, const std::string& sModem, int nPort, uint32_t dwBaudRate) {
    TypeFromName(drv.Profile(), sModem);
    if (nPort >= 1) {
        if (drv.Open(nPort, dwBaudRate) == CCommDriver::kInvalidHandle)
            return CCommDriver::kInvalidHandle;
        drv.Settings().nComPort = nPort;
        return 0;
    }
    int found = 0;
    if (drv.Ui().AskYesNo(LoadStr(57858), true))
        found = ScanForModem(drv, dwBaudRate);
    drv.Settings().nComPort = found > 0 ? found : nPort;
    drv.Ui().SetStatusText("");
    drv.Ui().NotifyPortScanDone();
    drv.Profile().Load(sModem);
    if (drv.Settings().nComPort < 1)
        drv.Ui().ShowMessage(LoadStr(104), MsgIcon::Error);
    if (drv.Open(drv.Settings().nComPort, dwBaudRate) == CCommDriver::kInvalidHandle)
        return CCommDriver::kInvalidHandle;
    return 0;
}

bool DetectModem(CCommDriver& drv, std::string& sModem, uint32_t dwBaudRate) {
    drv.Shutdown();
    // Without a modem there is nothing to ask; guessing a model from
    // silence would be worse than no suggestion.
    if (OpenModemPort(drv, sModem, drv.Settings().nComPort, dwBaudRate) != 0)
        return false;
    std::string suggestion;
    bool bAnswered = true;
    drv.CommOut("&FE1", kModeResult);
    int result = drv.CommOut("+FCLASS=8", kModeResult);
    if (result == kResultNone) {
        bAnswered = false;
    } else if (result != kResultError) {
        drv.CommOutNoResult("+VSM=?");
        drv.ClearLineBuffer();
        drv.WaitResult(kProbeAnswerMs, kNoLimit);
        suggestion = SuggestModelFromVsm(drv.LineBuffer());
    } else {
        result = drv.CommOut("#CLS=8", kModeResult);
        if (result == kResultNone) {
            bAnswered = false;
        } else if (result != kResultError) {
            drv.CommOutNoResult("#VCI?");
            drv.WaitResult(kProbeAnswerMs, kNoLimit);
            suggestion = SuggestModelFromVci(drv.LineBuffer());
            if (suggestion.empty()) {
                drv.Shutdown();
                return false;
            }
        } else {
            result = drv.CommOut("#VCL=1", kModeResult);
            if (result != kResultError && result != kResultNone)
                suggestion = kCirrusModel;
            else
                bAnswered = false;
        }
    }
    if (!bAnswered || suggestion.empty()) {
        drv.Ui().ShowMessage(LoadStr(57979), MsgIcon::Information);
        drv.Shutdown();
        return false;
    }
    sModem = suggestion;
    TypeFromName(drv.Profile(), sModem);
    drv.Profile().Load(sModem);
    drv.Shutdown();
    return true;
}

bool DetectGsmFraming(CCommDriver& drv, const std::string& sModem, uint32_t dwBaudRate,
                      const std::function<void(CCommDriver&)>& prepareLine) {
    drv.Ui().SetStatusText(LoadStr(57860));
    drv.Ui().ShowMessage(LoadStr(57864), MsgIcon::Information);
    if (drv.Settings().nComPort < 1) {
        drv.Ui().SetStatusText(LoadStr(57863));
        return false;
    }
    drv.Shutdown();
    if (OpenModemPort(drv, sModem, drv.Settings().nComPort, dwBaudRate) != 0) {
        drv.Ui().SetStatusText(LoadStr(57863));
        return false;
    }
    if (prepareLine) {
        prepareLine(drv);
    } else {
        drv.InitModem();
        drv.InitVoice();
        drv.AnswerVoice();
    }
    bool bFramed = drv.CheckGsmFraming();
    drv.Profile().nCompressionFrameGSM = bFramed ? 1 : 0;
    drv.Profile().nCompressionUnFrameGSM = bFramed ? 1 : 0;
    drv.Shutdown();
    drv.Ui().SetStatusText(LoadStr(bFramed ? 57861 : 57862));
    return true;
}
