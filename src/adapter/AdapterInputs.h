// The input devices an adapter's hook, keypad and ring can come from: the
// evdev devices (/dev/input/event*) that report at least one of the keys the
// generic adapter understands (GenericAdapterLayer.h), by the name evdev
// gives them. Read from sysfs, so listing needs no right to open them. And
// the one reader of their events, for the adapter and a headset's buttons.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct AdapterInputDevice {
    // What the setting sAdapterInput holds: the device's /dev/input/by-id/
    // link when udev made one (it stays the same across re-plugging), else
    // its /dev/input/event<N>.
    std::string sPath;
    std::string sName;      // the device's name as evdev gives it
    std::string sEventPath; // /dev/input/event<N>
};

// The folders read: sysfs's input class and /dev/input; tests give others.
struct InputFolders {
    std::string sSysClass = "/sys/class/input/";
    std::string sDev = "/dev/input/";
};

// Says whether an input event's key code is one looked for.
using WantedKey = std::function<bool(unsigned code)>;

// The devices present that report a telephone key, in event-number order.
std::vector<AdapterInputDevice> ListAdapterInputs(const InputFolders& folders = {});
// The devices present that report a key wanted, in event-number order.
std::vector<AdapterInputDevice> ListInputsReporting(const WantedKey& wanted,
                                                    const InputFolders& folders = {});

// A headset's hook button and the media keys that stand for it:
// KEY_PHONE, KEY_PICKUP_PHONE, KEY_HANGUP_PHONE, KEY_PLAYPAUSE, KEY_MEDIA.
bool IsHookButtonKey(unsigned code);

// Reads once from fd (an evdev device, or a pipe or file of struct
// input_event records) after a poll said it is ready, and hands each whole
// record to onEvent. False once the device has gone (its end, or a read
// error other than "nothing now").
using InputEventSink = std::function<void(unsigned type, unsigned code, int value)>;
bool ReadInputEvents(int fd, const InputEventSink& onEvent);

// Whether a sysfs key capability bitmap ("capabilities/key": hexadecimal
// words, the highest first, each as wide as a long) holds any of the keys
// the generic adapter turns into events.
bool ReportsAdapterKeys(const std::string& keyBitmap);
// Likewise for any key wanted.
bool ReportsAnyKey(const std::string& keyBitmap, const WantedKey& wanted);
