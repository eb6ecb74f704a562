// The adapter's two choices as the options and the wizard offer them: sound
// cards shown by description and stored by name, input devices by their
// evdev name, the values in use kept while their devices are away, and the
// note on what goes unseen without an input device.
#include "app/AdapterChoices.h"

#include "audio/SoundBackend.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Two cards, the second one playback-only.
class TwoCards : public CNullSoundBackend {
public:
    std::vector<SoundDeviceInfo> ListDevices(bool bCapture) override {
        if (bCapture)
            return {{"plughw:CARD=Adapter,DEV=0", "USB Phone Adapter, USB Audio"}, {"default", ""}};
        return {{"plughw:CARD=Adapter,DEV=0", "USB Phone Adapter, USB Audio"}};
    }
};

TEST(AdapterChoices, SoundCardsByDescriptionStoredByNameAndTheOneInUseKept) {
    TwoCards backend;
    std::vector<AdapterChoice> cards = AdapterSoundCardChoices(backend, "");
    const std::vector<AdapterChoice> listed{
        {"", "None chosen"},
        {"plughw:CARD=Adapter,DEV=0", "USB Phone Adapter, USB Audio"},
        {"default", "default"}};
    EXPECT_EQ(cards, listed);
    EXPECT_EQ(AdapterSoundCardChoices(backend, "default"), listed) << "listed: nothing added";

    cards = AdapterSoundCardChoices(backend, "hw:CARD=Gone");
    ASSERT_EQ(cards.size(), 4u);
    EXPECT_EQ(cards.back(), (AdapterChoice{"hw:CARD=Gone", "hw:CARD=Gone - not present"}));

    // A setting written by hand with the card's description keeps that value.
    cards = AdapterSoundCardChoices(backend, "USB Phone Adapter, USB Audio");
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[1].sValue, "USB Phone Adapter, USB Audio");
}

TEST(AdapterChoices, InputDevicesByNameOrNoneAndTheOneInUseKept) {
    const std::vector<AdapterInputDevice> found{
        {"/dev/input/by-id/usb-Adapter-event-if00", "USB Phone Adapter", "/dev/input/event9"}};
    std::vector<AdapterChoice> inputs = AdapterInputChoices(found, "");
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs[0], (AdapterChoice{"", "None"}));
    EXPECT_EQ(inputs[1], (AdapterChoice{"/dev/input/by-id/usb-Adapter-event-if00",
                                        "USB Phone Adapter (/dev/input/event9)"}));
    // An older setting that names the event device keeps it.
    inputs = AdapterInputChoices(found, "/dev/input/event9");
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs[1].sValue, "/dev/input/event9");
    inputs = AdapterInputChoices({}, "/dev/input/event4");
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs[1], (AdapterChoice{"/dev/input/event4", "/dev/input/event4 - not present"}));
}

TEST(AdapterChoices, TheNoteSaysWhatIsNotSeenWithoutAnInputDeviceAndWhatStillIs) {
    const std::string without = AdapterInputNote("");
    for (const char* absent : {"does not see the ring", "handset", "keypad", "not announced"})
        EXPECT_NE(without.find(absent), std::string::npos) << absent << "\n" << without;
    for (const char* heard : {"Caller ID", "keys the caller presses", "dial, busy and fax tones"})
        EXPECT_NE(without.find(heard), std::string::npos) << heard << "\n" << without;
    EXPECT_EQ(AdapterInputNote("/dev/input/event9").find("does not"), std::string::npos);

    EXPECT_EQ(AdapterSimulatedNote(), "");
    ::setenv("VORELLA_ADAPTER_SOCKET", "/run/test/adapter.sock", 1);
    EXPECT_NE(AdapterSimulatedNote().find("/run/test/adapter.sock"), std::string::npos);
    CNullSoundBackend backend;
    EXPECT_TRUE(AdapterChoiceWarnings(backend, "", "").empty())
        << "the simulated adapter needs neither";
    ::unsetenv("VORELLA_ADAPTER_SOCKET");
    EXPECT_EQ(AdapterChoiceWarnings(backend, "", "").size(), 1u);
}

} // namespace
