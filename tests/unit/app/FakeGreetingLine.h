// The greeting recorder's side of a test: the worker as the recorder sees
// it, whose part the test plays by hand, and the null sound card capturing
// a steady tone twenty times faster than the clock at any rate.
#pragma once

#include "app/GreetingRecorder.h"

#include <cmath>
#include <cstdint>
#include <string>

class CFakeGreetingLine : public IGreetingLine {
public:
    bool IsReady() const override { return bReady; }
    int LineSelection() const override { return nLine; }
    void SetLineSelection(int n) override { nLine = n; }
    void SetPlayFile(const std::string& s) override { sPlayFile = s; }
    void RequestAction(int32_t n) override {
        nAction = n;
        nLineDuringAction = nLine;
        sFileDuringAction = sPlayFile;
        bPending = true;
        bHeld = false; // the request takes the hold's place
    }
    bool IsActionPending() const override { return bPending; }
    void Stop() override {
        bStopped = true;
        bPending = false;
    }
    void HoldQuiet(bool bOn) override { bHeld = bOn; }

    bool bReady = true;
    bool bHeld = false;
    int nLine = 0;
    std::string sPlayFile;
    int32_t nAction = -1;
    int nLineDuringAction = -1;
    std::string sFileDuringAction;
    bool bPending = false;
    bool bStopped = false;
};

inline CNullSoundBackend& ToneCard() {
    CNullSoundBackend& backend = *GetNullSoundBackend();
    backend.SetSpeed(20);
    backend.SetRefusedRates({});
    backend.SetCaptureSource([](int16_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i)
            out[i] = static_cast<int16_t>(8000 * std::sin(i * 0.3));
    });
    return backend;
}
