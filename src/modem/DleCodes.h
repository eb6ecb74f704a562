// The in-band event codes of voice mode: a DLE byte (0x10) followed by a code
// byte. Which codes end a wait depends on the settings and on whether the
// call engine is tracking the local handset.
#pragma once

constexpr unsigned char kDle = 0x10;
constexpr unsigned char kEtx = 0x03;

struct DleContext {
    bool bHandsetTracking = false;
    int nLineSelection = 0;
    bool bIgnoreBusy = false;
    bool bSilenceDetection = false;
};

struct DleVerdict {
    bool significant = false;
    int handset = -1;            // -1 unchanged, 0 on hook, 1 off hook
    bool clearLastEvent = false; // an ignored busy tone forgets the last event
};

DleVerdict ClassifyDleCode(unsigned char code, const DleContext& ctx);

// The DTMF table index of a key: 0-9, A-D at 10-13, "*" 14, "#" 15; -1 else.
int DtmfIndexOf(char key);
