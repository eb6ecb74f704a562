// The tray icon's rules that need no window system: which picture the line's
// state shows, and how a single left click is told from a double click with
// the hidden window's 250 ms timer 3.
#pragma once

#include "engine/CallState.h"

// The tray pictures, by their resource ids.
enum TrayPicture : int {
    kTrayPicBlank = 521,     // the "off" frame of the two animations
    kTrayPicCreated = 526,   // when the icon is added
    kTrayPicIdle = 528,      // monitoring, line idle
    kTrayPicPaused = 529,    // monitoring paused
    kTrayPicPlaying = 531,   // music on hold or a file playing (animated)
    kTrayPicRecording = 532, // a recording runs (animated)
};

// Each frame of an animated picture shows this long.
inline constexpr unsigned kTrayAnimationMs = 1000;

struct TrayFlags {
    bool bPaused = false;
    bool bRecording = false;
    bool bHold = false;
    bool bPlaying = false;
};

// The tray's part of the call-state flags.
TrayFlags CurrentTrayFlags(const CallFlags& flags);

// The picture for the flags: paused before recording before hold or play.
int TrayPictureFor(const TrayFlags& flags);
// Animated pictures alternate with kTrayPicBlank every kTrayAnimationMs.
bool IsAnimatedPicture(int nPicture);
// The flags change on their own (a recording ends, music on hold stops), so
// the picture is looked at again on every tick while one of them is set.
bool FlagsNeedWatching(const TrayFlags& flags);

// The tray's screening items: "Block the last caller" usable while the run's
// last caller sent a number, "Pause call screening" checked (and the
// tooltip saying so) while screening is paused.
struct TrayScreening {
    bool bCanBlockLastCaller = false;
    bool bPaused = false;
};

// Single-click recognition. A left click starts the count at 1000; each tick
// adds one until the double-click time has passed, and then the click counts
// as a single click. A double click adds 2000, which cancels it.
class CTrayClicks {
public:
    // The left button came up on the icon. True when it was the second
    // click of a double click (the caller shows the main window then).
    bool LeftUp();
    // A double click on the icon (the caller shows the main window).
    void DoubleClick();
    // Timer 3. True when a single click has just been recognised.
    bool Tick(unsigned nDoubleClickMs);
    // A click is being timed: timer 3 must run.
    bool IsTiming() const { return m_nClickTicks != 0; }
    int Ticks() const { return m_nClickTicks; }

private:
    int m_nClickTicks = 0;
};
