// A simulated USB telephone adapter, in the process: tests and the adapter
// simulator tool play the line's side of it (rings, caller ID, keys, the
// local phone, tones, the line's sound) and see what the program did with
// it (the calls it made, the sound it played). Thread-safe.
#pragma once

#include "adapter/AdapterDeviceLayer.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class ISoundBackend;

class CSimulatedAdapter : public std::enable_shared_from_this<CSimulatedAdapter> {
public:
    static std::shared_ptr<CSimulatedAdapter> Create();
    ~CSimulatedAdapter();

    // The layer over this adapter, or nullptr while it is not plugged in.
    std::unique_ptr<IAdapterDeviceLayer> Connect();
    std::function<std::unique_ptr<IAdapterDeviceLayer>(std::string* why)> Factory();

    // Plugged in (the default) or not.
    void SetPresent(bool bPresent);
    // Whether the usual way of opening and the older one succeed.
    void SetOpenWorks(bool bOpen, bool bFallback);
    // Pulled out while in use: every operation fails, no event gets through.
    void Vanish();

    // Events to the program, on the calling thread; false when nobody took it.
    bool Event(int code, int param);
    bool TextEvent(int code, int param, std::string_view text);

    // What the program asked of it, in order: "open", "open-fallback",
    // "close", "off-hook", "on-hook", "stop-play", "stop-record".
    std::vector<std::string> Calls() const;
    bool IsOffHook() const;
    bool IsOpen() const;

    // The line's sound the adapter hears next (8000 samples/s), and what
    // the program played to the line since the last TakePlayed().
    void QueueLineSound(const std::vector<int16_t>& sound);
    std::vector<int16_t> TakePlayed();
    ISoundBackend& Sound();

    // Used by the layer and its sound streams.
    bool Op(const char* name, bool bResult = true);
    bool Present() const;
    void SetSink(IAdapterEventSink* pSink);
    // Removes pSink if it is the one set.
    void ClearSink(IAdapterEventSink* pSink);
    long ReadLine(int16_t* frames, size_t count, int timeoutMs);
    bool WriteLine(const int16_t* frames, size_t count);

private:
    CSimulatedAdapter();

    mutable std::mutex m_mutex;
    std::condition_variable m_soundCv;
    bool m_bPresent = true;
    bool m_bOpenWorks = true;
    bool m_bFallbackWorks = true;
    bool m_bOpen = false;
    bool m_bOffHook = false;
    std::vector<std::string> m_calls;
    std::deque<int16_t> m_lineSound;
    std::vector<int16_t> m_played;

    // Held while an event is delivered, so that SetSink(nullptr) waits for it.
    std::mutex m_sinkMutex;
    IAdapterEventSink* m_pSink = nullptr;

    std::unique_ptr<ISoundBackend> m_pSound;
};
