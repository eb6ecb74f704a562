// The USB telephone adapter's device layer: the few operations the program
// asks of the adapter and the events the adapter reports. A layer is one
// kind of adapter (the simulated one, a sound card with an input device);
// CHiPhoneDev drives whichever it is given.
#pragma once

#include <string_view>

class ISoundBackend;

// Short event codes (code, parameter). The numbers are the adapter's own;
// keep them.
enum AdapterEventCode : int {
    kAdEvKey = 64,            // touch-tone key; parameter 0-9, 10-13 A-D, 14 "*", 15 "#"
    kAdEvPulseDigit = 80,
    kAdEvKeyEnd = 95,
    kAdEvFlash = 97,
    kAdEvLocalOnHook = 98,    // the phone beside the adapter was put down
    kAdEvLocalOffHook = 99,   // ... and lifted
    kAdEvHeadsetFirst = 100,  // 100-103 headset out/in
    kAdEvHeadsetLast = 103,
    kAdEvDialTone = 104,
    kAdEvStutterTone = 105,
    kAdEvTimeOut = 106,
    kAdEvBusy = 107,
    kAdEvVoiceEnergy = 108,   // 108-114 voice, ringback, call waiting, fax,
    kAdEvFaxTone = 111,       // message waiting, confirmation, reorder tone
    kAdEvReorderTone = 114,
    kAdEvIncomingCall = 118,
    kAdEvReset = 127,
};

// Text event code: the text is a raw caller-ID message.
constexpr int kAdTextCallerId = 225;

class IAdapterEventSink {
public:
    virtual ~IAdapterEventSink() = default;
    virtual void OnShortEvent(int code, int param) = 0;
    virtual void OnTextEvent(int code, int param, std::string_view text) = 0;
};

class IAdapterDeviceLayer {
public:
    virtual ~IAdapterDeviceLayer() = default;

    // Where events go; nullptr stops them. When SetSink returns, no call
    // into the previous sink is running or will run, so its owner may go.
    // Events may arrive on any thread.
    virtual void SetSink(IAdapterEventSink* pSink) = 0;

    // Opens the device; false when it failed.
    virtual bool Open() = 0;
    // The older way of opening, for when Open() fails.
    virtual bool OpenFallback() = 0;
    virtual void Close() = 0;
    virtual bool OffHook() = 0;
    virtual bool OnHook() = 0;
    virtual void StopPlay() = 0;
    virtual void StopRecord() = 0;

    // The sound devices that play to and record from the line, as ids of
    // SoundBackend(); -1 when there is none now.
    virtual int WaveOutId() = 0;
    virtual int WaveInId() = 0;
    virtual ISoundBackend& SoundBackend() = 0;
};
