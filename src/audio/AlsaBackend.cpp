// The ALSA backend: the sound card through libasound.
#include "audio/SoundBackend.h"

#include <alsa/asoundlib.h>

namespace {

constexpr unsigned kLatencyUs = 100000; // 100 ms of buffering each way

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

snd_pcm_t* OpenPcm(int deviceId, const WaveFormat& format, bool bCapture) {
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
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                           format.nChannels, format.nSamplesPerSec, 0, kLatencyUs) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return pcm;
}

class CAlsaCapture : public ICaptureStream {
public:
    CAlsaCapture(snd_pcm_t* pcm, int channels) : m_pPcm(pcm), m_nChannels(channels) {
        snd_pcm_start(m_pPcm);
    }
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
};

class CAlsaPlayback : public IPlaybackStream {
public:
    CAlsaPlayback(snd_pcm_t* pcm, int channels) : m_pPcm(pcm), m_nChannels(channels) {}
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
};

class CAlsaBackend : public ISoundBackend {
public:
    std::string Name() const override { return "alsa"; }
    std::vector<SoundDeviceInfo> ListDevices(bool bCapture) override { return PcmHints(bCapture); }
    std::unique_ptr<ICaptureStream> OpenCapture(int deviceId, const WaveFormat& format) override {
        snd_pcm_t* pcm = OpenPcm(deviceId, format, true);
        if (!pcm)
            return nullptr;
        return std::make_unique<CAlsaCapture>(pcm, format.nChannels);
    }
    std::unique_ptr<IPlaybackStream> OpenPlayback(int deviceId, const WaveFormat& format) override {
        snd_pcm_t* pcm = OpenPcm(deviceId, format, false);
        if (!pcm)
            return nullptr;
        return std::make_unique<CAlsaPlayback>(pcm, format.nChannels);
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
