#include "app/SetupWizardLogic.h"

SetupPage NextSetupPage(SetupPage page, int nKind) {
    switch (page) {
    case kPageWelcome:
        return kPageDetection;
    case kPageDetection:
        return kPageAccess;
    case kPageAccess:
        switch (nKind) {
        case kKindTelephonyLine:
            return kPageLine;
        case kKindUsbAdapter:
            return kPageAdapter;
        case kKindExtension:
            return kPageFinish;
        default:
            return kPageSerial;
        }
    case kPageSerial:
    case kPageLine:
    case kPageAdapter:
        return kPageFinish;
    case kPageFinish:
    case kPageNone:
        break;
    }
    return kPageNone;
}

SetupPage PreviousSetupPage(SetupPage page) {
    switch (page) {
    case kPageDetection:
        return kPageWelcome;
    case kPageAccess:
        return kPageDetection;
    case kPageSerial:
    case kPageLine:
    case kPageAdapter:
    case kPageFinish:
        // The device pages and the last page all go back to the choice
        // that led to them.
        return kPageAccess;
    case kPageWelcome:
    case kPageNone:
        break;
    }
    return kPageNone;
}
