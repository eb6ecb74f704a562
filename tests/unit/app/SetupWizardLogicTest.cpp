// The set-up wizard's page flow.
#include "app/SetupWizardLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupWizardFlow, TheAccessChoiceDecidesThePageAfterIt) {
    EXPECT_EQ(NextSetupPage(kPageWelcome, kKindSerialModem), kPageDetection);
    EXPECT_EQ(NextSetupPage(kPageDetection, kKindSerialModem), kPageAccess);
    EXPECT_EQ(NextSetupPage(kPageAccess, kKindSerialModem), kPageSerial);
    EXPECT_EQ(NextSetupPage(kPageAccess, kKindTelephonyLine), kPageLine)
        << "the telephony line skips the serial page";
    EXPECT_EQ(NextSetupPage(kPageAccess, kKindUsbAdapter), kPageAdapter)
        << "the adapter asks for its sound card and input device";
    EXPECT_EQ(NextSetupPage(kPageAdapter, kKindUsbAdapter), kPageFinish);
    EXPECT_EQ(NextSetupPage(kPageAccess, kKindExtension), kPageFinish);
    EXPECT_EQ(NextSetupPage(kPageSerial, kKindSerialModem), kPageFinish);
    EXPECT_EQ(NextSetupPage(kPageLine, kKindTelephonyLine), kPageFinish);
    EXPECT_EQ(NextSetupPage(kPageFinish, kKindSerialModem), kPageNone);
}

TEST(SetupWizardFlow, BackFromTheDevicePagesAndTheLastReturnsToTheAccessPage) {
    EXPECT_EQ(PreviousSetupPage(kPageLine), kPageAccess);
    EXPECT_EQ(PreviousSetupPage(kPageSerial), kPageAccess);
    EXPECT_EQ(PreviousSetupPage(kPageAdapter), kPageAccess);
    EXPECT_EQ(PreviousSetupPage(kPageFinish), kPageAccess);
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
