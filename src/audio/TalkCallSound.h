// The sound of a call that is talked at the PC, as a recording and a player
// of the call see it: a sound backend whose capture (on the call's "wave/in")
// hears the conversation, both sides mixed or far end left and the near
// side right when opened with two channels, and whose playback (on the
// call's "wave/out") is sent to the far end in place of the microphone.
// One capture and one playback stream at a time, 8000 samples/s. When the
// talk ends, its streams end: Read gives what is left, then -1; Write fails.
#pragma once

#include "audio/SoundBackend.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTalkCallSound : public ISoundBackend {
public:
    CTalkCallSound(ISoundBackend& line, int nLineIn, int nLineOut);
    ~CTalkCallSound() override;
    CTalkCallSound(const CTalkCallSound&) = delete;
    CTalkCallSound& operator=(const CTalkCallSound&) = delete;

    std::string Name() const override;
    std::vector<SoundDeviceInfo> ListDevices(bool bCapture) override;
    std::unique_ptr<ICaptureStream> OpenCapture(int deviceId, const WaveFormat& format) override;
    std::unique_ptr<IPlaybackStream> OpenPlayback(int deviceId, const WaveFormat& format) override;

    // ---- the talk's side ---------------------------------------------------
    // A new talk: streams open again.
    void Begin();
    // The next count samples of each side, for a recording (if one is open).
    void Heard(const int16_t* farEnd, const int16_t* nearEnd, size_t count);
    // Takes up to count samples played to be sent; returns how many there were.
    size_t TakePlayed(int16_t* frames, size_t count);
    // The talk is over: open streams end.
    void End();

    class State;

private:
    ISoundBackend& m_line;
    const int m_nLineIn;
    const int m_nLineOut;
    std::shared_ptr<State> m_pState; // shared with the streams, which may outlive this
};
