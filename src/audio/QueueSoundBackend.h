// Sound devices whose far side is code of this program rather than a sound
// card: a telephony stack that carries a call's sound. Each device has two
// bounded queues of 16-bit mono samples at 8000 samples/s. What the program
// plays on the device waits in one until the stack takes it; what the stack
// hears waits in the other until the program reads it. The stack's own clock
// times both: it takes and delivers sound as its packets go and come.
//
// A full queue drops its oldest samples (counted, and logged once per run of
// drops); it never grows.
#pragma once

#include "audio/SoundBackend.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CQueueSoundBackend : public ISoundBackend {
public:
    static constexpr uint32_t kRate = 8000;
    // Half a second each way by default.
    static constexpr size_t kDefaultQueueFrames = kRate / 2;

    // One device per name (ids 0, 1, ...); sName is the backend's name.
    CQueueSoundBackend(std::string sName, std::vector<std::string> deviceNames,
                       size_t nQueueFrames = kDefaultQueueFrames);
    ~CQueueSoundBackend() override;
    CQueueSoundBackend(const CQueueSoundBackend&) = delete;
    CQueueSoundBackend& operator=(const CQueueSoundBackend&) = delete;

    // ---- the program's side ------------------------------------------------
    std::string Name() const override { return m_sName; }
    std::vector<SoundDeviceInfo> ListDevices(bool bCapture) override;
    // 8000 samples/s, mono, 16 bits only; one capture and one playback
    // stream per device at a time. nullptr (and a log line) otherwise.
    std::unique_ptr<ICaptureStream> OpenCapture(int deviceId, const WaveFormat& format) override;
    std::unique_ptr<IPlaybackStream> OpenPlayback(int deviceId, const WaveFormat& format) override;

    // ---- the stack's side (any thread; never blocks) -------------------------
    // Hands over sound heard on device id. Dropped when nobody records it.
    void Deliver(int id, const int16_t* frames, size_t count);
    // Fills frames with sound to send from device id: what was played,
    // silence when nothing (more) is queued. Returns the frames that came
    // from the queue.
    size_t Take(int id, int16_t* frames, size_t count);
    // Forgets what is queued both ways (the call ended).
    void Clear(int id);

    // Samples dropped from full queues on device id since it was made.
    uint64_t Dropped(int id) const;

    class Device;

private:
    Device* Find(int id) const;

    const std::string m_sName;
    std::vector<std::unique_ptr<Device>> m_devices; // fixed after construction
};
