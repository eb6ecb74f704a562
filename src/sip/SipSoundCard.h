// The sound card a line's SIP stack uses for its calls: registered with the
// stack's media streamer, it sends to the far end what the program plays on
// the line's device of a CQueueSoundBackend (silence when nothing is
// queued) and hands that device what the far end says. 8000 samples/s,
// mono, 16 bits; the stack's media clock times both ways. What the far end
// says can also go to the line's signal detection.
#pragma once

#include <string>

namespace linphone {
class Core;
}
class CQueueSoundBackend;
class CSipLineSignals;

// Adds the card for device nDevice of backend to core's media streamer and
// makes it the core's capture and playback device. Returns the card's id,
// or an empty string with *pWhy set when the stack did not take it.
// pSignals, when not null, is handed the far end's sound as well. backend
// and pSignals must outlive the core.
std::string UseSipSoundCard(linphone::Core& core, CQueueSoundBackend& backend, int nDevice,
                            std::string* pWhy, CSipLineSignals* pSignals = nullptr);
