// How a device whose line events come on threads of its own (a telephony
// line, the USB adapter) passes them on: to the worker as thread messages,
// except while it plays or records. Then, as a modem's voice stream carries
// them, the events are the play's and the recording's: a key, a busy or
// dial tone, a fax or data tone ends the play that detects events and is
// returned by it; a recording asks its onEvent about each one. What they
// leave goes on to the worker when the sound ends.
//
// While keys are private (platform/PrivateKeys.h: remote access), every
// event is kept for the sounds of the session, between them too, and none
// reaches the worker, whose handling would show the key.
//
// Post and SetSink are safe from any thread; the rest is the worker's.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

class CLineEventRelay {
public:
    using Sink = std::function<void(int nMessage, uintptr_t wParam, intptr_t lParam)>;

    // Where messages go; an empty sink drops them.
    void SetSink(Sink sink);
    // A message from the device: a line event (kMsgDeviceEvent,
    // kMsgMediaEvent) is kept while a sound runs, everything else goes on.
    void Post(int nMessage, uintptr_t wParam, intptr_t lParam = 0);

    // While a play or recording runs, events posted are kept for it.
    void BeginSound();
    // The sound ended: the events it left go on to the worker, in order.
    void EndSound();
    // Asked by a play (bDetect: it ends at an event) as it goes: true when
    // it is to end, with *pEvent the event that ended it.
    bool PlayEnds(bool bDetect, int* pEvent);
    // Asked by a recording as it goes: each event kept is offered to
    // onEvent (without one every event ends it); true when one ended it,
    // in *pEvent.
    bool RecordingEnds(const std::function<bool(int ch)>& onEvent, int* pEvent);

private:
    // The next event kept, or -1.
    int Take();

    std::mutex m_mutex;
    Sink m_sink;                            // under m_mutex
    bool m_bDuringSound = false;            // under m_mutex
    std::deque<std::pair<int, int>> m_kept; // (message, character), under m_mutex
};
