// The set-up wizard's page flow, without widgets: which page Next and Back
// lead to from each page, given the device kind chosen on the access page.
#pragma once

#include "engine/SetupChoice.h"

// The pages, in the order they are built (the adapter's page came last).
enum SetupPage : int {
    kPageWelcome = 0,
    kPageDetection = 1, // whether the modem is detected automatically
    kPageAccess = 2,    // the device kind
    kPageSerial = 3,    // the modem and its serial port
    kPageLine = 4,      // the telephony line
    kPageFinish = 5,
    kPageAdapter = 6, // the USB adapter's sound card and input device
    kPageNone = -1,
};

// The page after page with the given device kind chosen; kPageNone after the last.
SetupPage NextSetupPage(SetupPage page, int nKind);
// The page Back returns to; kPageNone from the first.
SetupPage PreviousSetupPage(SetupPage page);
