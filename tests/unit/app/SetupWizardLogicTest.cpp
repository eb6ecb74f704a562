// The device kind the settings name, with which the set-up wizard opens.
// The wizard's page flow: tests/ui/SetupWizardTest.
#include "app/SetupWizardLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupWizardFlow, TheSettingsNameTheirDeviceKind) {
    EXPECT_EQ(SetupKindFromSettings(0, false, false), kKindSerialModem);
    EXPECT_EQ(SetupKindFromSettings(1, false, false), kKindTelephonyLine);
    EXPECT_EQ(SetupKindFromSettings(1, true, false), kKindUsbAdapter);
    EXPECT_EQ(SetupKindFromSettings(1, false, true), kKindExtension);
}

} // namespace
