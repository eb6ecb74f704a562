// Talking at the PC on a telephony line, as the windows, external control
// and a headset's hook button ask for it: which request the line takes
// now, and when the "Answer" command is offered.
#pragma once

#include "app/ExternalControl.h"
#include "engine/CallState.h"

#include <optional>

// The call is talked at the PC now.
bool IsTalkedAtPc(bool bCanTalk, const CallFlags& flags);

// Whether request r can go to the line now; bCanTalk: the device is a
// telephony line.
TalkOutcome TalkOutcomeFor(TalkRequest r, bool bCanTalk, const CallFlags& flags);

// The "Answer" command of the pop-up, the call buttons and the Line menu:
// shown where the device can talk at the PC, enabled while a call rings or
// is in progress and is not talked yet.
struct TalkButton {
    bool bShown = false;
    bool bEnabled = false;
};
TalkButton TalkButtonFor(bool bCanTalk, const CallFlags& flags);

// A headset's hook button (or a media key): a ringing call is answered at
// the PC, a talked call hung up; otherwise nothing. A button that only picks
// up (KEY_PICKUP_PHONE) never hangs up, one that only hangs up never answers.
enum class HookPress { Toggle, PickUp, HangUp };
std::optional<TalkRequest> HookButtonRequestFor(bool bCanTalk, const CallFlags& flags,
                                                HookPress press = HookPress::Toggle);
