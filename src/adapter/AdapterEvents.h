// What each adapter event means to the worker: one table.
#pragma once

enum class AdapterEventAction {
    None,          // known, nothing to do
    Key,           // post the key's character
    DialTone,      // post "d" unless the handset-recording mark is set
    Busy,          // post "b"
    FaxTone,       // post "c" as a tone heard in the line's sound
    LocalOnHook,   // clear the handset flag, raise the stop request
    LocalOffHook,  // set the handset flag
    Ring,          // post a ring
    Unknown,       // not an event the adapter is known to send
};

AdapterEventAction AdapterEventActionOf(int code);

// The character a touch-tone key event's parameter stands for, or 0 for a
// parameter that is no key.
char AdapterKeyChar(int param);
// The parameter of a key event for a key character, or -1 for no key.
int AdapterKeyParam(char key);
