// src/audio/LocalPlayer.h (Qt-free; the call list's player bar drives it)
#pragma once
#include "audio/SoundBackend.h"
#include <cstdint>
#include <string>
class CLocalPlayer {
public:
    // Plays through backend's playback device deviceId (-1: the default).
    explicit CLocalPlayer(ISoundBackend& backend, int deviceId = -1);
    ~CLocalPlayer();
    // Loads any WAV file the program reads (PCM, GSM 6.10, G.711, ADPCM ...),
    // decoded to 16-bit PCM. False with a clear reason (missing, unreadable,
    // not a WAV, unknown format); the player is then empty.
    bool Open(const std::string& sWavFile, std::string* pError);
    void Close();
    void Play();            // from the position; at the end: from the start
    void Pause();
    void Stop();            // and back to the start
    void Seek(uint32_t ms); // clamped to the length
    uint32_t LengthMs() const;
    uint32_t PositionMs() const; // what has been handed to the device
    bool IsPlaying() const;
    bool IsAtEnd() const;
    void SetVolume(int nPercent); // 0..100, applied to the samples
};
