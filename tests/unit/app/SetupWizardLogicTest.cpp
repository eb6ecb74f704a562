// The set-up wizard's page flow at its ends, and the device kind the
// settings name, with which the wizard opens. Each access choice's pages
// and the way back to the choice: tests/ui/SetupWizardTest.
#include "app/SetupWizardLogic.h"

#include <gtest/gtest.h>

namespace {

// From the welcome page through detection to the access choice: the sheet's
// tests walk it.
TEST(SetupWizardFlow, TheFlowStopsAtItsEndsAndTheAccessChoiceGoesBackToDetection) {
    EXPECT_EQ(NextSetupPage(kPageFinish, kKindSerialModem), kPageNone);
    EXPECT_EQ(PreviousSetupPage(kPageAccess), kPageDetection);
    EXPECT_EQ(PreviousSetupPage(kPageWelcome), kPageNone);
}

TEST(SetupWizardFlow, TheSettingsNameTheirDeviceKind) {
    EXPECT_EQ(SetupKindFromSettings(0, false, false), kKindSerialModem);
    EXPECT_EQ(SetupKindFromSettings(1, false, false), kKindTelephonyLine);
    EXPECT_EQ(SetupKindFromSettings(1, true, false), kKindUsbAdapter);
    EXPECT_EQ(SetupKindFromSettings(1, false, true), kKindExtension);
}

} // namespace
