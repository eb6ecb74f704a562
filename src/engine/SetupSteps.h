// What the worker does with the set-up wizard's answer: Finish takes the
// chosen device into the phone's settings and loads the chosen modem's
// profile; Cancel only puts the profile of the modem in use back (the wizard
// may have loaded another one while it detected the modem).
#pragma once

#include "engine/SetupChoice.h"

#include <cstdint>

class CPhone;
class IUiBridge;

// The Finish steps, the GSM framing check excepted (it needs the worker's
// line preparation; see NeedsGsmFramingCheck). The caller-ID questions go
// to ui and wait at most questionWaitMs for their answer.
void ApplySetupFinish(CPhone& phone, const SetupWizardResult& result, IUiBridge& ui,
                      uint32_t questionWaitMs);
// The Cancel step.
void ApplySetupCancel(CPhone& phone);
// True when a finished serial choice left a modem that records GSM 06.10,
// whose framing has to be found out on the line.
bool NeedsGsmFramingCheck(const CPhone& phone, const SetupWizardResult& result);
