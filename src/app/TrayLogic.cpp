#include "app/TrayLogic.h"

#include "app/CommandIds.h"
#include "engine/CallState.h"

namespace {
constexpr int kClickStarted = 1000;
constexpr int kDoubleClicked = 2000;
} // namespace

TrayFlags CurrentTrayFlags(const CallFlags& flags) {
    return TrayFlags{flags.bPaused, flags.bRecording, flags.bHold, flags.bPlaying};
}

int TrayPictureFor(const TrayFlags& flags) {
    if (flags.bPaused)
        return kTrayPicPaused;
    if (flags.bRecording)
        return kTrayPicRecording;
    if (flags.bHold || flags.bPlaying)
        return kTrayPicPlaying;
    return kTrayPicIdle;
}

bool IsAnimatedPicture(int nPicture) {
    return nPicture == kTrayPicRecording || nPicture == kTrayPicPlaying;
}

bool FlagsNeedWatching(const TrayFlags& flags) {
    return flags.bRecording || flags.bHold || flags.bPlaying;
}

bool CTrayClicks::LeftUp() {
    // Panels that speak the status-notifier protocol report no double
    // clicks, only two activations: a second click while the first one is
    // still being timed is the double click.
    if (m_nClickTicks >= kClickStarted && m_nClickTicks < kDoubleClicked) {
        DoubleClick();
        return true;
    }
    if (m_nClickTicks < kDoubleClicked)
        m_nClickTicks += kClickStarted;
    return false;
}

void CTrayClicks::DoubleClick() {
    m_nClickTicks += kDoubleClicked;
}

bool CTrayClicks::Tick(unsigned nDoubleClickMs) {
    if (m_nClickTicks >= kDoubleClicked) {
        m_nClickTicks = 0;
        return false;
    }
    if (m_nClickTicks < 1)
        return false;
    ++m_nClickTicks;
    if (static_cast<unsigned>(m_nClickTicks - kClickStarted) * kTrayTimerMs > nDoubleClickMs) {
        m_nClickTicks = 0;
        return true;
    }
    return false;
}
