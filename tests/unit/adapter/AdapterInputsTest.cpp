// The input devices offered for the adapter: read from a sysfs and a
// /dev/input of the test's own, only those that report a telephone key,
// named as evdev names them and stored by their stable link where udev made
// one.
#include "adapter/AdapterInputs.h"
#include "TempHome.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <map>

namespace {

// The kernel's text for a key bitmap: words as wide as a long, the highest
// first, in hexadecimal without leading zeros.
std::string KeyBitmap(std::initializer_list<unsigned> keys) {
    constexpr unsigned kBits = sizeof(unsigned long) * CHAR_BIT;
    std::map<unsigned, unsigned long> words;
    unsigned top = 0;
    for (unsigned k : keys) {
        words[k / kBits] |= 1UL << (k % kBits);
        top = std::max(top, k / kBits);
    }
    std::string text;
    for (int w = static_cast<int>(top); w >= 0; --w) {
        char buf[32];
        snprintf(buf, sizeof buf, "%lx", words[static_cast<unsigned>(w)]);
        text += (text.empty() ? "" : " ") + std::string(buf);
    }
    return text + "\n";
}

TEST(AdapterInputs, OnlyDevicesWithATelephoneKeyCount) {
    EXPECT_TRUE(ReportsAdapterKeys(KeyBitmap({KEY_PHONE})));
    EXPECT_TRUE(ReportsAdapterKeys(KeyBitmap({KEY_A, KEY_NUMERIC_POUND})));
    EXPECT_TRUE(ReportsAdapterKeys(KeyBitmap({KEY_HANGUP_PHONE})));
    EXPECT_FALSE(ReportsAdapterKeys(KeyBitmap({KEY_A, KEY_B, KEY_0, KEY_POWER})))
        << "a keyboard's digits are not a phone's keypad";
    EXPECT_FALSE(ReportsAdapterKeys("0\n"));
    EXPECT_FALSE(ReportsAdapterKeys(""));
    EXPECT_FALSE(ReportsAdapterKeys("zz 12")) << "not a bitmap";

    // A headset's hook button or a keyboard's media keys.
    EXPECT_TRUE(ReportsAnyKey(KeyBitmap({KEY_A, KEY_PLAYPAUSE}), IsHookButtonKey));
    EXPECT_TRUE(ReportsAnyKey(KeyBitmap({KEY_MEDIA}), IsHookButtonKey));
    EXPECT_FALSE(ReportsAnyKey(KeyBitmap({KEY_NUMERIC_0, KEY_VOLUMEUP}), IsHookButtonKey));
}

TEST(AdapterInputs, ListedByEvdevNameWithTheirStableLinkInEventOrder) {
    TempHome home;
    const std::string sys = home.File("sys/");
    const std::string dev = home.File("dev/");
    auto device = [&](const std::string& event, const std::string& name, std::string keys) {
        home.Write("sys/" + event + "/device/name", name + "\n");
        home.Write("sys/" + event + "/device/capabilities/key", keys);
        home.Write("dev/" + event, "");
    };
    device("event12", "USB Phone Adapter", KeyBitmap({KEY_PHONE, KEY_NUMERIC_0}));
    device("event3", "Power Button", KeyBitmap({KEY_POWER}));
    device("event2", "Handset Keys", KeyBitmap({KEY_PICKUP_PHONE}));
    home.Write("sys/mouse0/device/name", "not an event device\n");
    std::filesystem::create_directories(dev + "by-id");
    std::filesystem::create_symlink("../event12", dev + "by-id/usb-Phone_Adapter-event-if00");

    const std::vector<AdapterInputDevice> found = ListAdapterInputs({sys, dev});
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].sName, "Handset Keys");
    EXPECT_EQ(found[0].sPath, dev + "event2") << "no stable link: the event device";
    EXPECT_EQ(found[1].sName, "USB Phone Adapter");
    EXPECT_EQ(found[1].sEventPath, dev + "event12");
    EXPECT_EQ(found[1].sPath, dev + "by-id/usb-Phone_Adapter-event-if00");

    EXPECT_TRUE(ListAdapterInputs({home.File("nosys/"), home.File("nodev/")}).empty());
    device("event7", "Headset", KeyBitmap({KEY_PLAYPAUSE}));
    const std::vector<AdapterInputDevice> hooks = ListInputsReporting(IsHookButtonKey, {sys, dev});
    ASSERT_EQ(hooks.size(), 3u);
    EXPECT_EQ(hooks[1].sName, "Headset");
}

} // namespace
