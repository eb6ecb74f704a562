// The ALSA backend: the sound card through libasound.
#include "audio/AlsaBackend.h"

#include "audio/AudioLog.h"
#include "platform/TextUtil.h"

#include <alsa/asoundlib.h>

namespace {

// Periods of about 10 ms: a call talked through the card hears little delay.
constexpr unsigned kPeriodsPerSecond = 100;
// Played sound is heard after at most this many periods.
constexpr snd_pcm_uframes_t kPlaybackPeriods = 4;
// Captured sound is handed over period by period whatever the buffer; a
// longer one only gives a busy reader more time before sound is lost.
constexpr snd_pcm_uframes_t kCapturePeriods = 10;
// A card that refuses such periods gets 100 ms of buffering each way.
constexpr unsigned kFallbackLatencyUs = 100000;

// Device names as ALSA lists them (the PCM hints), one direction.
std::vector<SoundDeviceInfo> PcmHints(bool bCapture) {
    std::vector<SoundDeviceInfo> list;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0)
        return list;
    for (void** h = hints; *h; ++h) {
        char* name = snd_device_name_get_hint(*h, "NAME");
        char* desc = snd_device_name_get_hint(*h, "DESC");
        char* ioid = snd_device_name_get_hint(*h, "IOID"); // NULL means both
        bool bWanted = !ioid || std::string(ioid) == (bCapture ? "Input" : "Output");
        if (name && bWanted && std::string(name) != "null") {
            std::string d = desc ? desc : name;
            for (char& c : d)
                if (c == '\n')
                    c = ' ';
            list.push_back({name, d});
        }
        free(name);
        free(desc);
        free(ioid);
    }
    snd_device_name_free_hint(hints);
    return list;
}

// Sets the stream up with short periods, playback starting after the
// first. False when the card refuses any of it.
bool SetLowLatency(snd_pcm_t* pcm, const WaveFormat& format, bool bCapture) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    snd_pcm_uframes_t period = format.nSamplesPerSec / kPeriodsPerSecond;
    int dir = 0;
    if (snd_pcm_hw_params_any(pcm, hw) < 0 || snd_pcm_hw_params_set_rate_resample(pcm, hw, 0) < 0 ||
        snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE) < 0 ||
        snd_pcm_hw_params_set_channels(pcm, hw, format.nChannels) < 0 ||
        snd_pcm_hw_params_set_rate(pcm, hw, format.nSamplesPerSec, 0) < 0 ||
        snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, &dir) < 0)
        return false;
    snd_pcm_uframes_t buffer = period * (bCapture ? kCapturePeriods : kPlaybackPeriods);
    if (snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer) < 0 ||
        snd_pcm_hw_params(pcm, hw) < 0)
        return false;
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    return snd_pcm_sw_params_current(pcm, sw) >= 0 &&
           (bCapture || snd_pcm_sw_params_set_start_threshold(pcm, sw, period) >= 0) &&
           snd_pcm_sw_params_set_avail_min(pcm, sw, period) >= 0 && snd_pcm_sw_params(pcm, sw) >= 0;
}

// What the stream was set up with.
AlsaSetup SetupOf(snd_pcm_t* pcm, const std::string& name, const WaveFormat& format,
                  bool bLowLatency) {
    AlsaSetup setup;
    setup.sName = name;
    setup.nRate = format.nSamplesPerSec;
    setup.bLowLatency = bLowLatency;
    snd_pcm_uframes_t buffer = 0, period = 0, start = 0, availMin = 0;
    snd_pcm_get_params(pcm, &buffer, &period);
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if (snd_pcm_sw_params_current(pcm, sw) >= 0) {
        snd_pcm_sw_params_get_start_threshold(sw, &start);
        snd_pcm_sw_params_get_avail_min(sw, &availMin);
    }
    setup.nPeriod = period;
    setup.nBuffer = buffer;
    setup.nStartThreshold = start;
    setup.nAvailMin = availMin;
    return setup;
}

snd_pcm_t* OpenPcm(int deviceId, const WaveFormat& format, bool bCapture, AlsaSetup& setup) {
    if (!format.IsPcm() || format.wBitsPerSample != 16)
        return nullptr;
    std::string name = "default";
    if (deviceId >= 0) {
        std::vector<SoundDeviceInfo> list = PcmHints(bCapture);
        if (static_cast<size_t>(deviceId) >= list.size())
            return nullptr;
        name = list[static_cast<size_t>(deviceId)].sName;
    }
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, name.c_str(),
                     bCapture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK, 0) < 0)
        return nullptr;
    // No software resampling: a rate the card cannot take fails here, so
    // the recorder can fall back to 8000 samples/s.
    const bool bLowLatency = SetLowLatency(pcm, format, bCapture);
    if (!bLowLatency &&
        snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                           format.nChannels, format.nSamplesPerSec, 0, kFallbackLatencyUs) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    setup = SetupOf(pcm, name, format, bLowLatency);
    AudioLog(StrPrintf("sound card %s (%s): %u Hz, period %lu, buffer %lu%s\n", name.c_str(),
                       bCapture ? "capture" : "playback", setup.nRate, setup.nPeriod, setup.nBuffer,
                       bLowLatency ? "" : " (it refused 10 ms periods)"));
    return pcm;
}

class CAlsaCapture : public ICaptureStream {
public:
    CAlsaCapture(snd_pcm_t* pcm, int channels, AlsaSetup setup)
        : m_pPcm(pcm), m_nChannels(channels), m_setup(std::move(setup)) {
        snd_pcm_start(m_pPcm);
    }
    const AlsaSetup& Setup() const { return m_setup; }
    ~CAlsaCapture() override { snd_pcm_close(m_pPcm); }

    long Read(int16_t* frames, size_t count, int timeoutMs) override {
        int ready = snd_pcm_wait(m_pPcm, timeoutMs);
        if (ready == 0)
            return 0;
        if (ready < 0 && snd_pcm_recover(m_pPcm, ready, 1) < 0)
            return -1;
        snd_pcm_sframes_t n = snd_pcm_readi(m_pPcm, frames, count);
        if (n == -EAGAIN)
            return 0;
        if (n < 0) {
            // An overrun loses a little sound; recover and go on.
            if (snd_pcm_recover(m_pPcm, static_cast<int>(n), 1) < 0)
                return -1;
            snd_pcm_start(m_pPcm);
            return 0;
        }
        (void)m_nChannels;
        return static_cast<long>(n);
    }

private:
    snd_pcm_t* m_pPcm;
    int m_nChannels;
    AlsaSetup m_setup;
};

class CAlsaPlayback : public IPlaybackStream {
public:
    CAlsaPlayback(snd_pcm_t* pcm, int channels, AlsaSetup setup)
        : m_pPcm(pcm), m_nChannels(channels), m_setup(std::move(setup)) {}
    const AlsaSetup& Setup() const { return m_setup; }
    ~CAlsaPlayback() override { snd_pcm_close(m_pPcm); }

    bool Write(const int16_t* frames, size_t count) override {
        while (count > 0) {
            snd_pcm_sframes_t n = snd_pcm_writei(m_pPcm, frames, count);
            if (n < 0) {
                if (snd_pcm_recover(m_pPcm, static_cast<int>(n), 1) < 0)
                    return false;
                continue;
            }
            frames += static_cast<size_t>(n) * static_cast<size_t>(m_nChannels);
            count -= static_cast<size_t>(n);
        }
        return true;
    }
    void Drain() override { snd_pcm_drain(m_pPcm); }
    void Reset() override {
        snd_pcm_drop(m_pPcm);
        snd_pcm_prepare(m_pPcm);
    }

private:
    snd_pcm_t* m_pPcm;
    int m_nChannels;
    AlsaSetup m_setup;
};

class CAlsaBackend : public ISoundBackend {
public:
    std::string Name() const override { return "alsa"; }
    std::vector<SoundDeviceInfo> ListDevices(bool bCapture) override { return PcmHints(bCapture); }
    std::unique_ptr<ICaptureStream> OpenCapture(int deviceId, const WaveFormat& format) override {
        AlsaSetup setup;
        snd_pcm_t* pcm = OpenPcm(deviceId, format, true, setup);
        if (!pcm)
            return nullptr;
        return std::make_unique<CAlsaCapture>(pcm, format.nChannels, std::move(setup));
    }
    std::unique_ptr<IPlaybackStream> OpenPlayback(int deviceId, const WaveFormat& format) override {
        AlsaSetup setup;
        snd_pcm_t* pcm = OpenPcm(deviceId, format, false, setup);
        if (!pcm)
            return nullptr;
        return std::make_unique<CAlsaPlayback>(pcm, format.nChannels, std::move(setup));
    }
};

// ALSA prints its own complaints to stderr; a missing device is reported by
// the caller in its own words instead.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

} // namespace

std::unique_ptr<ISoundBackend> MakeAlsaBackend() {
    snd_lib_error_set_handler(QuietAlsaErrors);
    return std::make_unique<CAlsaBackend>();
}

bool AlsaHasSoundCard() {
    snd_lib_error_set_handler(QuietAlsaErrors);
    int card = -1;
    return snd_card_next(&card) == 0 && card >= 0;
}

std::optional<AlsaSetup> AlsaSetupOf(const ICaptureStream& stream) {
    const auto* alsa = dynamic_cast<const CAlsaCapture*>(&stream);
    return alsa ? std::optional(alsa->Setup()) : std::nullopt;
}

std::optional<AlsaSetup> AlsaSetupOf(const IPlaybackStream& stream) {
    const auto* alsa = dynamic_cast<const CAlsaPlayback*>(&stream);
    return alsa ? std::optional(alsa->Setup()) : std::nullopt;
}
