// The timing and counting rules of rings, in one place for the ring handler
// and the line check.
#pragma once

#include "engine/CallState.h"

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

// The worker's count of the rings of the current call.
struct CRingState {
    int nRings = 0;          // rings counted for this call
    uint32_t dwLastRing = 0; // tick count of the last ring
    uint32_t dwRingStart = 0;
    int nCidReadAt = 0;      // 0 not read yet, 1 read at the first ring, 2 at the second
    bool bCidSeen = false;   // caller-ID lines arrived for this call
    bool bLineTaken = false; // the line was off-hook and hung up again since these rings
    // Caller-ID lines came ahead of the first ring and were counted as it:
    // the ring that follows them is that ring, not another.
    bool bRingAhead = false;

    void Reset() { *this = CRingState(); }
};

// What the line check makes of the ring timing.
enum class RingTiming {
    NoRing,        // no ring counted: wait for events
    Ringing,       // still ringing: wait for the next ring
    AnsweredReset, // the line went off-hook while ringing: forget the rings
    RingsEnded,    // the rings ended unanswered: close the call, then forget them
    Forget,        // the rings are over but the line is in use: just forget them
};

// The ring timing at tick count now, with the call-state flags of that
// moment; the caller resets the ring state for every outcome but NoRing and
// Ringing.
RingTiming CheckRingTiming(const CRingState& rings, uint32_t now, const CallFlags& flags);

// Whether this ring (rings counted including it) reads the caller ID: the
// first ring for the types read then, the second for any type not read yet.
bool ReadsCallerIdAtThisRing(const CRingState& rings, int nCIDType, bool bSerialModem);

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

// The local ring sound for a caller: the contact's own sound unless the
// contact asks for the common one (status -10) or has none, else sWaveRingIn.
std::string RingSoundFor(int32_t nContactStatus, const std::string& sContactSound,
                         const std::string& sWaveRingIn);
// No local ring sound while the tray shows one of the quiet states 1 to 3.
inline bool RingSoundSuppressed(int nTrayState) {
    return nTrayState >= 1 && nTrayState <= 3;
}
