// src/audio/LocalPlayer.h (Qt-free; the call list's player bar drives it)
//
// Plays one WAV file on the sound card, as the main window's player bar
// does for the selected recording. The file is decoded whole when it is
// opened, so seeking is instant and the playback thread never touches the
// disk. A thread of its own feeds the device in short chunks; pause, seek,
// stop and volume return at once, and Play waits at most for a paused
// thread to hand over its last chunk, so the UI thread can call them freely.
#pragma once

#include "audio/SoundBackend.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CLocalPlayer {
public:
    // Plays through backend's playback device deviceId (-1: the default).
    explicit CLocalPlayer(ISoundBackend& backend, int deviceId = -1);
    ~CLocalPlayer();
    CLocalPlayer(const CLocalPlayer&) = delete;
    CLocalPlayer& operator=(const CLocalPlayer&) = delete;

    // Loads any WAV file the program reads (PCM, GSM 6.10, G.711, ADPCM ...),
    // decoded to 16-bit PCM. False with a clear reason (missing, unreadable,
    // not a WAV, unknown format); the player is then empty.
    bool Open(const std::string& sWavFile, std::string* pError);
    void Close();
    void Play(); // from the position; at the end: from the start
    void Pause();
    void Stop();            // and back to the start
    void Seek(uint32_t ms); // clamped to the length
    uint32_t LengthMs() const;
    uint32_t PositionMs() const; // what has been handed to the device
    bool IsPlaying() const;
    bool IsAtEnd() const;
    void SetVolume(int nPercent); // 0..100, applied to the samples
    // Automatic volume control: quiet recordings are raised as far as their
    // loudest moment allows (at most kMaxAutoGain times).
    void SetAutoGain(bool bOn);
    static constexpr double kMaxAutoGain = 16.0;
    static constexpr int kAutoGainFloor = 64; // peaks below this are left alone
    // The gain automatic volume control gives these samples.
    static double AutoGainFor(const std::vector<int16_t>& samples);

    // The file loaded ("" when empty), and why the last playback failed
    // ("" when it did not): the device refused the file's rate or went away.
    std::string FileName() const;
    std::string LastError() const;

private:
    void Run();
    void JoinThread();
    uint32_t ToMs(size_t frames) const;

    ISoundBackend& m_backend;
    const int m_nDeviceId;

    // Serialises the calls that start or end the playback thread.
    std::mutex m_threadMutex;
    std::thread m_thread;

    // Everything below is shared with the playback thread.
    mutable std::mutex m_mutex;
    std::string m_sFile;
    std::string m_sError;
    std::vector<int16_t> m_samples;
    uint32_t m_nRate = 8000;
    size_t m_nPos = 0;     // the next frame to hand to the device
    uint64_t m_nEpoch = 0; // moves on with every jump (seek, stop, new file)
    bool m_bPlaying = false;
    int m_nVolume = 100;
    bool m_bAutoGain = false;
    double m_dAutoGain = 1.0; // of the file loaded
};
