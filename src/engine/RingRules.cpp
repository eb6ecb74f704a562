#include "engine/RingRules.h"

#include "engine/CallState.h"
#include "engine/ModemCallerId.h"

bool ReadsCallerIdAtFirstRing(int nCIDType, bool bSerialModem) {
    switch (nCIDType) {
    case kCidFormatted:
    case kCidFormattedLong:
    case kCidUnformatted:
        // A TAPI line or the adapter posts its caller data when it has it.
        return bSerialModem;
    case kCidFormattedAny:
        return true;
    default:
        return false;
    }
}

bool UsesTollSaver(int nCIDType) {
    return nCIDType == kCidFormatted || nCIDType == kCidFormattedLong || nCIDType == kCidOther;
}

int TollSaverRing(int nRings, bool bTollSaver, bool bNewMessages) {
    return bTollSaver && !bNewMessages ? nRings + 2 : nRings;
}

CidSetup CallerIdSetupFor(int nCIDType) {
    switch (nCIDType) {
    case kCidHardware:
        return {CidSetup::Hardware, 0};
    case kCidFormatted:
    case kCidFormattedLong:
    case kCidFormattedAny:
        return {CidSetup::American, 1};
    case kCidUnformatted:
        return {CidSetup::American, 2};
    default:
        return {};
    }
}

RingTiming CheckRingTiming(const CRingState& rings, uint32_t now, const CallFlags& flags) {
    if (rings.nRings == 0)
        return RingTiming::NoRing;
    if (!RingsHaveEnded(now, rings.dwLastRing)) {
        if (flags.bOffHook)
            return RingTiming::AnsweredReset;
        if (flags.bRinging)
            return RingTiming::Ringing;
    }
    bool bLineInUse = flags.bOffHook || flags.bOffHookRequest || flags.bTalking || flags.bHold ||
                      flags.bActionPending;
    return bLineInUse ? RingTiming::Forget : RingTiming::RingsEnded;
}

bool ReadsCallerIdAtThisRing(const CRingState& rings, int nCIDType, bool bSerialModem) {
    if (rings.nRings == 1)
        return ReadsCallerIdAtFirstRing(nCIDType, bSerialModem);
    return rings.nRings == 2 && rings.nCidReadAt == 0;
}

std::string RingSoundFor(int32_t nContactStatus, const std::string& sContactSound,
                         const std::string& sWaveRingIn) {
    constexpr int32_t kCommonRingSound = -10;
    if (nContactStatus != kCommonRingSound && !sContactSound.empty())
        return sContactSound;
    return sWaveRingIn;
}
