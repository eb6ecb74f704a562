// Sound devices: capture and playback of 16-bit PCM through a backend chosen
// once per process. "alsa" drives the sound card; "null" behaves like a card
// that is always there (timed by the clock, capturing from a source the
// program sets, silence by default), for machines without one and for tests.
// VORELLA_AUDIO=null or =alsa forces the choice; otherwise ALSA is used when
// the machine has a sound card.
#pragma once

#include "audio/WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct SoundDeviceInfo {
    std::string sName;        // what the backend opens
    std::string sDescription; // what a user reads
};

class ICaptureStream {
public:
    virtual ~ICaptureStream() = default;
    // Waits up to timeoutMs for samples; returns the frames read (0 on time-out),
    // or -1 when the device failed.
    virtual long Read(int16_t* frames, size_t count, int timeoutMs) = 0;
};

class IPlaybackStream {
public:
    virtual ~IPlaybackStream() = default;
    // Queues the frames, waiting while the device is full. False on failure.
    virtual bool Write(const int16_t* frames, size_t count) = 0;
    // Waits until everything queued has played.
    virtual void Drain() = 0;
    // Drops whatever is still queued.
    virtual void Reset() = 0;
};

class ISoundBackend {
public:
    virtual ~ISoundBackend() = default;
    virtual std::string Name() const = 0;
    virtual std::vector<SoundDeviceInfo> ListDevices(bool bCapture) = 0;
    // deviceId -1 is the default device, others index ListDevices(). The
    // format is PCM, 16 bits, 1 or 2 channels. nullptr when it cannot open.
    virtual std::unique_ptr<ICaptureStream> OpenCapture(int deviceId, const WaveFormat& format) = 0;
    virtual std::unique_ptr<IPlaybackStream> OpenPlayback(int deviceId,
                                                          const WaveFormat& format) = 0;
};

// The process's backend (chosen on first use).
ISoundBackend& GetSoundBackend();

// The device id of a device by its name (as listed, or as its description
// says), for settings that name a sound card; -1 (the default device) when
// the name is empty or no device has it.
int FindSoundDevice(const std::string& name, bool bCapture);

// The null backend, with controls for tests and demonstrations.
class CNullSoundBackend : public ISoundBackend {
public:
    using Source = std::function<void(int16_t* frames, size_t count)>;

    std::string Name() const override { return "null"; }
    std::vector<SoundDeviceInfo> ListDevices(bool bCapture) override;
    std::unique_ptr<ICaptureStream> OpenCapture(int deviceId, const WaveFormat& format) override;
    std::unique_ptr<IPlaybackStream> OpenPlayback(int deviceId, const WaveFormat& format) override;

    // What capture delivers (silence when unset). Called on capture threads.
    void SetCaptureSource(Source source);
    // Runs the clock faster (tests): 10 means ten seconds of sound a second.
    void SetSpeed(double speed);
    double Speed() const;
    // Capture also hears what is played, delayed by delayFrames (counted
    // from the first frame played after this call) and times gain: a
    // speaker the microphone hears. Gain 0 turns it off.
    void SetEcho(size_t delayFrames, double gain);
    // Open streams fail from now on, and no more open (a card unplugged).
    void SetUnplugged(bool bUnplugged);
    bool Unplugged() const;
    // Rates the device refuses to open at (to exercise fall-backs).
    void SetRefusedRates(std::vector<uint32_t> rates);
    // Frames played since start-up, and the most recent ones (up to 8000).
    uint64_t FramesPlayed() const;
    std::vector<int16_t> RecentlyPlayed() const;

    // Used by the null streams.
    bool Refuses(uint32_t rate) const;
    void Fill(int16_t* frames, size_t count);
    void AddPlayed(const int16_t* frames, size_t count);

private:
    mutable std::mutex m_mutex;
    Source m_source;
    double m_dSpeed = 1.0;
    std::vector<uint32_t> m_refused;
    uint64_t m_nPlayed = 0;
    std::vector<int16_t> m_recent;
    bool m_bUnplugged = false;
    double m_dEchoGain = 0;
    std::deque<int16_t> m_echo; // played, on its way to the capture
};

// The null backend when it is the process's backend, else nullptr.
CNullSoundBackend* GetNullSoundBackend();

// ALSA, or nullptr when this build or machine has none.
std::unique_ptr<ISoundBackend> MakeAlsaBackend();
bool AlsaHasSoundCard();
