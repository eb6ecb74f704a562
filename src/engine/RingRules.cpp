#include "engine/RingRules.h"

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
