// The phone makes the device the settings choose with the maker registered
// for that kind, handing it the phone as its host; a kind without a maker
// gives a device that says it is not available. Only a modem loads the
// modem profile the settings name when they change.
#include "TempHome.h"

#include "config/SettingsProvider.h"
#include "engine/Phone.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ChoiceCase {
    bool fUseHiPhone;
    int nTAPI;
    DeviceKind kind;
};

class DeviceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(DeviceChoice, TheChosenKindsRegisteredMakerMakesTheDevice) {
    const ChoiceCase c = GetParam();
    CPhone phone;
    std::vector<DeviceKind> made;
    for (DeviceKind kind :
         {DeviceKind::SerialModem, DeviceKind::TelephonyLine, DeviceKind::UsbAdapter}) {
        phone.DeviceFactories().Register(kind, [&made, &phone, kind](IDeviceHost& host) {
            EXPECT_EQ(&host, static_cast<IDeviceHost*>(&phone));
            made.push_back(kind);
            return MakeUnavailableDevice(kind);
        });
    }
    phone.fUseHiPhone = c.fUseHiPhone;
    phone.nTAPI = c.nTAPI;
    phone.ChooseDevice();
    EXPECT_EQ(made, std::vector<DeviceKind>{c.kind});
    EXPECT_EQ(phone.Device().Kind(), c.kind);

    // Without its maker the kind is there, but not available.
    phone.DeviceFactories().Register(c.kind, {});
    phone.ChooseDevice();
    EXPECT_EQ(made.size(), 1u);
    EXPECT_EQ(phone.Device().Kind(), c.kind);
    EXPECT_FALSE(phone.Device().IsAvailable());
}

TEST_P(DeviceChoice, OnlyAModemReadsTheProfileOfTheModemNamedAtStartOrChosen) {
    const ChoiceCase c = GetParam();
    const bool bModem = c.kind == DeviceKind::SerialModem;
    TempHome home;
    CMemorySettingsProvider settings(
        "[Options]\nsModem=Modem named\nfUseHiPhone=" + std::to_string(c.fUseHiPhone) +
        "\nnTAPI=" + std::to_string(c.nTAPI) + "\n");
    CScopedSettingsProvider use(settings);
    CPhone phone;
    phone.LoadAll();
    EXPECT_EQ(phone.Device().Kind(), c.kind);
    EXPECT_EQ(phone.Profile().m_sModemName, bModem ? "Modem named" : "");
    // The options change the modem: only a modem loads its profile.
    phone.Profile().Load("Modem in use");
    phone.sModem = "Modem chosen";
    phone.FollowSettings();
    EXPECT_EQ(phone.Profile().m_sModemName, bModem ? "Modem chosen" : "Modem in use");
}

INSTANTIATE_TEST_SUITE_P(Kinds, DeviceChoice,
                         ::testing::Values(ChoiceCase{false, 0, DeviceKind::SerialModem},
                                           ChoiceCase{false, 1, DeviceKind::TelephonyLine},
                                           ChoiceCase{true, 1, DeviceKind::UsbAdapter}));

} // namespace
