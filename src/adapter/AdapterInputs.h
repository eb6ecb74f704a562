// The input devices an adapter's hook, keypad and ring can come from: the
// evdev devices (/dev/input/event*) that report at least one of the keys the
// generic adapter understands (GenericAdapterLayer.h), by the name evdev
// gives them. Read from sysfs, so listing needs no right to open them.
#pragma once

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

// The devices present that report a telephone key, in event-number order.
std::vector<AdapterInputDevice> ListAdapterInputs(const InputFolders& folders = {});

// Whether a sysfs key capability bitmap ("capabilities/key": hexadecimal
// words, the highest first, each as wide as a long) holds any of the keys
// the generic adapter turns into events.
bool ReportsAdapterKeys(const std::string& keyBitmap);
