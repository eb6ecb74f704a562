// Finding the modem: the port scan, the model detection and the check
// whether the modem frames GSM voice data. The phone object and the setup
// wizard call these with their driver, the settings they own and their UI.
#pragma once

#include "modem/CommDriver.h"

#include <functional>
#include <string>

// Opens the modem at nPort, or scans the serial ports for one when nPort is
// below 1 (after asking). The port found is stored in the driver's nComPort.
// 0 on success, CCommDriver::kInvalidHandle when no modem could be opened.
int OpenModemPort(CCommDriver& drv, const std::string& sModem, int nPort, uint32_t dwBaudRate);

// Asks the modem what it supports and suggests a model. On a suggestion
// sModem is set to it and its profile loaded; true. The modem is released
// (shut down) at the end either way.
bool DetectModem(CCommDriver& drv, std::string& sModem, uint32_t dwBaudRate);

// The model suggested by the answer to "+VSM=?" (never empty), and by the
// answer to "#VCI?" ("" for no suggestion).
std::string SuggestModelFromVsm(const std::string& sAnswer);
std::string SuggestModelFromVci(const std::string& sAnswer);

// Finds out whether the modem wraps GSM frames (FE FE ... 00 A5 A5) and sets
// both GSM framing keys of the profile to 1 or 0. prepareLine puts the open
// modem into voice mode on the line (by default: InitModem, InitVoice,
// AnswerVoice); the call engine passes its own. True when a check was made.
bool DetectGsmFraming(CCommDriver& drv, const std::string& sModem, uint32_t dwBaudRate,
                      const std::function<void(CCommDriver&)>& prepareLine = {});
