#include "modem/DleCodes.h"

DleVerdict ClassifyDleCode(unsigned char code, const DleContext& ctx) {
    DleVerdict v;
    switch (code) {
    case 'h': // handset back on hook
        v.handset = 0;
        v.significant = ctx.bHandsetTracking;
        break;
    case 'H': // handset lifted
    case 't':
        v.handset = 1;
        v.significant = ctx.nLineSelection != 1 && !ctx.bHandsetTracking;
        break;
    case 'b': // busy tone: the far end hung up
        v.significant = !ctx.bIgnoreBusy;
        v.clearLastEvent = ctx.bIgnoreBusy;
        break;
    case 'c': // calling (fax) tone
    case 'd': // dial tone: the far end hung up
        v.significant = true;
        break;
    case 'q': // quiet / silence
    case 's':
        v.significant = ctx.bSilenceDetection;
        break;
    case '*':
    case '#':
    case 'Z':
        v.significant = true;
        break;
    default:
        v.significant = (code >= '0' && code <= '9') || (code >= 'A' && code <= 'D');
        break;
    }
    return v;
}

int DtmfIndexOf(char key) {
    if (key >= '0' && key <= '9')
        return key - '0';
    if (key >= 'A' && key <= 'D')
        return 10 + (key - 'A');
    if (key == '*')
        return 14;
    if (key == '#')
        return 15;
    return -1;
}
