// The generic Linux adapter: a sound card on the line (capture and
// playback) and, where the adapter has one, an input device for the local
// phone's hook, its keypad and the ring. Keys the caller presses, FSK
// caller ID, dial, busy and fax tones are heard in the line's sound by the
// line signal detector. Without an input device, hook, keypad and ring
// events are simply absent.
//
// The input device's events (struct input_event), one table:
//   KEY_NUMERIC_0..9, _A.._D, _STAR, _POUND pressed   key event (64)
//   KEY_PICKUP_PHONE pressed                          local phone off-hook (99)
//   KEY_HANGUP_PHONE pressed                          local phone on-hook (98)
//   KEY_PHONE pressed                                 incoming call (118)
//
// The card is on the line all the time: taking and putting back the line is
// the adapter's own hardware (or the handset's), so OffHook and OnHook only
// keep the state.
#pragma once

#include "adapter/AdapterDeviceLayer.h"

#include <memory>
#include <string>

struct GenericAdapterConfig {
    ISoundBackend* pBackend = nullptr; // the sound card's backend
    int nCaptureId = -1;               // its ids there (-1: the default device)
    int nPlaybackId = -1;
    int inputFd = -1; // the input device, read-only; owned by the layer; -1 none
};

std::unique_ptr<IAdapterDeviceLayer> MakeGenericAdapterLayer(const GenericAdapterConfig& config);

// The layer over the process's sound backend's card soundCard (by name; ""
// the default) and the input device at inputPath ("" none). nullptr with
// the reason in *error when the card named is not there or the input
// device cannot be opened.
std::unique_ptr<IAdapterDeviceLayer> OpenGenericAdapter(const std::string& soundCard,
                                                        const std::string& inputPath,
                                                        std::string* error);

// The adapter event for one input event: code and parameter, or code 0 when
// the event means nothing here.
struct AdapterEventOf {
    int nCode = 0;
    int nParam = 0;
};
AdapterEventOf AdapterEventOfInput(unsigned type, unsigned code, int value);
