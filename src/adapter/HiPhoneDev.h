// The USB telephone adapter as the worker drives it: opens and closes it
// through its device layer, takes and puts back the line, and turns the
// adapter's events into the worker's thread messages and driver flags.
#pragma once

#include "adapter/AdapterDeviceLayer.h"
#include "adapter/AdapterWorker.h"
#include "audio/SoundBackend.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// String shown when no adapter is there.
constexpr int kStrAdapterNotFound = 158;

enum class AdapterOpenResult {
    Opened,
    Missing, // no adapter: the worker pauses and shows kStrAdapterNotFound
    Failed,  // there, but it would not open either way
};

class CHiPhoneDev : private IAdapterEventSink {
public:
    // Makes the layer of the adapter present, or nullptr when none is,
    // saying why in *why (which may be nullptr).
    using LayerFactory = std::function<std::unique_ptr<IAdapterDeviceLayer>(std::string* why)>;

    // The adapter's line sound: 8000 samples/s, 16-bit mono.
    static constexpr uint32_t kLineRate = 8000;
    // The longest raw caller-ID message: type, length, 255 bytes, checksum.
    static constexpr size_t kMaxRawCallerId = 258;

    CHiPhoneDev(LayerFactory factory, IAdapterWorker& worker);
    ~CHiPhoneDev() override;
    CHiPhoneDev(const CHiPhoneDev&) = delete;
    CHiPhoneDev& operator=(const CHiPhoneDev&) = delete;

    AdapterOpenResult Open();
    // Stops play and record, puts the line back and closes. Events that
    // arrive afterwards are ignored.
    void Close();
    bool IsOpen() const { return m_bOpen.load(); }

    bool GoOffHook();
    bool HangUp();
    bool IsOffHook() const { return m_bOffHook; }
    void StopAudio();

    // Why the last Open found no adapter ("" when the factory did not say).
    std::string MissingReason() const { return m_sMissing; }

    // The last raw caller-ID message the adapter delivered ("" when none).
    std::string LastRawCallerId() const;

    // The adapter's wave device for the line's sound, as its backend and id
    // there; nullptr and -1 when the adapter is closed or has none now.
    struct WaveDevice {
        ISoundBackend* pBackend = nullptr;
        int nId = -1;
    };
    WaveDevice LineWaveDevice(bool bCapture);

    // Streams on the adapter's wave devices at kLineRate; nullptr when the
    // adapter is closed or its device cannot be opened.
    std::unique_ptr<ICaptureStream> OpenLineCapture();
    std::unique_ptr<IPlaybackStream> OpenLinePlayback();

private:
    void OnShortEvent(int code, int param) override;
    void OnTextEvent(int code, int param, std::string_view text) override;
    void OnCallerId(std::string_view message);

    LayerFactory m_factory;
    IAdapterWorker& m_worker;
    std::unique_ptr<IAdapterDeviceLayer> m_pLayer;
    std::atomic<bool> m_bOpen{false};
    bool m_bOffHook = false;
    std::string m_sMissing;
    mutable std::mutex m_cidMutex;
    std::string m_sLastRawCallerId;
};

// How a raw caller-ID message looks at the door: too long, or carrying a
// checksum that does not add up, it is refused whole.
enum class RawCallerIdCheck { Accepted, TooLong, BadChecksum };
RawCallerIdCheck CheckRawCallerId(std::string_view message);
