// Sound between a WAV file and a line's own sound device (a telephony
// line's call, a USB adapter): the play and record loops every device
// without a modem's voice stream shares.
#pragma once

#include "engine/TelephoneDevice.h"

#include <cstdint>
#include <functional>
#include <string>

class IDeviceHost;
class ISoundBackend;

// A line's sound device: its backend and its id there.
struct LineSoundDevice {
    ISoundBackend* pBackend = nullptr; // nullptr: the process's backend
    int nDeviceId = -1;
};

// Plays file to the device at the host's volume (m_iVolume, silent when
// muted) until its end or until stop() says so (asked every 20 ms of
// sound). Counts the samples sent in host.PlayedSamples() and keeps
// the call state's bPlaying set meanwhile. False when nothing could be played (the reason
// is in the trace, prefixed with what).
bool PlayFileToLineDevice(IDeviceHost& host, const LineSoundDevice& device, const std::string& file,
                          const std::function<bool()>& stop, const std::string& what);

// Records the device at 8000 samples/s into file with the host's silence
// detection until stop() says so (asked every 10 ms), the call state's bRecording is
// cleared by another party, silence or maxMs (above 10,000,000: no limit).
// With two channels (a talked call: the far end left, the PC's microphone
// right) the file has both, quiet only when both voices are, and bStereo
// is set in the result.
// Keeps bRecording set meanwhile, as the modem's recording loop does, so
// that the window and the tray know a recording runs whoever asked for it
// (a call, the answering machine, the greeting recorder). bOpened false
// when the file could not be made or the device not opened (the reason is
// in the trace).
RecordResult RecordFromLineDevice(IDeviceHost& host, const LineSoundDevice& device,
                                  const std::string& file, uint64_t maxMs,
                                  const std::function<bool()>& stop, const std::string& what,
                                  uint16_t nChannels = 1);
