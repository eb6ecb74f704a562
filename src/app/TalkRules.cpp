#include "app/TalkRules.h"

namespace {

bool Ringing(const CallFlags& f) {
    return f.bRinging && !f.bOffHook;
}

bool InProgress(const CallFlags& f) {
    return f.bOffHook || f.bRecording || f.bPlaying || f.bHold;
}

} // namespace

bool IsTalkedAtPc(bool bCanTalk, const CallFlags& flags) {
    return bCanTalk && flags.bSpeakerphone;
}

TalkOutcome TalkOutcomeFor(TalkRequest r, bool bCanTalk, const CallFlags& flags) {
    if (!bCanTalk)
        return TalkOutcome::CannotTalk;
    const bool talked = IsTalkedAtPc(bCanTalk, flags);
    bool can = false;
    switch (r) {
    case TalkRequest::Answer:
        can = Ringing(flags) && !talked;
        break;
    case TalkRequest::Take:
        can = (Ringing(flags) || InProgress(flags)) && !talked;
        break;
    case TalkRequest::End:
        can = talked;
        break;
    }
    return can ? TalkOutcome::Done : TalkOutcome::NoCall;
}

TalkButton TalkButtonFor(bool bCanTalk, const CallFlags& flags) {
    TalkButton b;
    b.bShown = bCanTalk;
    b.bEnabled = TalkOutcomeFor(TalkRequest::Take, bCanTalk, flags) == TalkOutcome::Done;
    return b;
}

std::optional<TalkRequest> HookButtonRequestFor(bool bCanTalk, const CallFlags& flags,
                                                HookPress press) {
    if (press != HookPress::PickUp &&
        TalkOutcomeFor(TalkRequest::End, bCanTalk, flags) == TalkOutcome::Done)
        return TalkRequest::End;
    if (press != HookPress::HangUp &&
        TalkOutcomeFor(TalkRequest::Answer, bCanTalk, flags) == TalkOutcome::Done)
        return TalkRequest::Answer;
    return std::nullopt;
}
