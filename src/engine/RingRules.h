// The timing and counting rules of rings, in one place for the ring handler
// and the line check.
#pragma once

#include <cstdint>
#include <string>

// More than this many ms after the last ring, the rings have ended.
constexpr uint32_t kRingsEndedMs = 8000;
// The pop-up window's display time, restarted by every ring.
constexpr uint32_t kPopupRingMs = 8000;

// True once more than kRingsEndedMs passed since the last ring (tick-count
// arithmetic, safe across the wrap).
inline bool RingsHaveEnded(uint32_t now, uint32_t lastRing) {
    return now - lastRing > kRingsEndedMs;
}

// Whether the caller ID of this type is read at the first ring (for the
// serial modem, or for a TAPI line or the adapter); otherwise it is read at
// the second ring.
bool ReadsCallerIdAtFirstRing(int nCIDType, bool bSerialModem);
// Types whose calls the toll saver answers.
bool UsesTollSaver(int nCIDType);
// The ring at which the toll saver answers: nRings, or two rings later when
// the toll saver is on and there are no new messages to collect.
int TollSaverRing(int nRings, bool bTollSaver, bool bNewMessages);

// How the modem is set up for a caller-ID type at initialisation.
struct CidSetup {
    enum Kind { None, Hardware, American } kind = None;
    int nMode = 0; // American: 1 formatted, 2 unformatted
};
CidSetup CallerIdSetupFor(int nCIDType);
