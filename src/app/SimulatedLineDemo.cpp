#include "app/SimulatedLineDemo.h"

#include "app/TelephonyProvider.h"
#include "audio/SoundBackend.h"
#include "tapi/SimulatedTapi.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The caller's timing.
constexpr milliseconds kFirstCall{2000};      // after the line is opened
constexpr milliseconds kRingPeriod{4000};     // between rings
constexpr int kRingsBeforeGivingUp = 8;       // a call nobody takes
constexpr milliseconds kSpeaking{10000};      // once the recording listens
constexpr milliseconds kGreetingLimit{60000}; // waiting for the greeting's end
constexpr milliseconds kCallPeriod{60000};    // from one call to the next
// How often the caller looks whether the line was answered.
constexpr milliseconds kLookPeriod{100};

// The caller speaks into the call's sound input while this is set.
std::atomic<bool> g_bCallerSpeaks{false};

// Two tones by turns, half a second each, as the caller's voice.
void CallerVoice(int16_t* frames, size_t count) {
    static thread_local double phase = 0;
    static thread_local size_t nFrame = 0;
    for (size_t i = 0; i < count; ++i, ++nFrame) {
        if (!g_bCallerSpeaks) {
            frames[i] = 0;
            continue;
        }
        const double hz = (nFrame / 4000) % 2 ? 660.0 : 440.0;
        phase += 2 * M_PI * hz / 8000;
        frames[i] = static_cast<int16_t>(6000 * std::sin(phase));
    }
}

// The simulated provider with its caller, who starts calling once a line
// is opened (a provider made only to list the lines stays quiet).
class CDemoTapi : public CSimulatedTapi {
public:
    ~CDemoTapi() override { StopCaller(); }

    TapiResult Open(uint32_t dwDeviceID, uintptr_t dwCallbackInstance, uint32_t dwPrivileges,
                    uint32_t dwMediaModes, uint32_t* phLine) override {
        const TapiResult r = CSimulatedTapi::Open(dwDeviceID, dwCallbackInstance, dwPrivileges,
                                                  dwMediaModes, phLine);
        if (r == 0 && !m_caller.joinable())
            m_caller = std::thread([this, dwDeviceID] { Caller(dwDeviceID); });
        return r;
    }
    // The program takes the call's sound input when it records: the
    // greeting is over, the caller speaks.
    TapiResult GetID(uint32_t hCall, const std::string& sDeviceClass, uint32_t* pId) override {
        if (sDeviceClass == "wave/in") {
            std::lock_guard lock(m_mutex);
            m_hListened = hCall;
            m_cv.notify_all();
        }
        return CSimulatedTapi::GetID(hCall, sDeviceClass, pId);
    }
    TapiResult Shutdown() override {
        // The caller stops before the provider does (it uses it).
        StopCaller();
        return CSimulatedTapi::Shutdown();
    }

private:
    // Waits d, or until the provider shuts down (false then).
    bool Pause(milliseconds d) {
        std::unique_lock lock(m_mutex);
        return !m_cv.wait_for(lock, d, [this] { return m_bStop; });
    }
    // Waits up to d for the program to listen on the call; false when
    // shutting down.
    bool WaitListened(uint32_t hCall, milliseconds d, bool* pbListened) {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, d, [&] { return m_bStop || m_hListened == hCall; });
        *pbListened = m_hListened == hCall;
        return !m_bStop;
    }
    // Waits up to d for the call to be answered; false when shutting down.
    bool WaitAnswered(uint32_t hCall, milliseconds d, bool* pbAnswered) {
        const auto end = Clock::now() + d;
        while (Clock::now() < end) {
            if (CallState(hCall) == kCallConnected) {
                *pbAnswered = true;
                return true;
            }
            if (!Pause(kLookPeriod))
                return false;
        }
        return true;
    }
    void Caller(uint32_t dwDevice) {
        if (!Pause(kFirstCall))
            return;
        for (;;) {
            const auto start = Clock::now();
            const uint32_t hCall = OfferCall(dwDevice);
            SendCallerId(hCall, {kCallerIdAddress | kCallerIdName, "5550123", "SIMULATED CALLER"});
            bool bAnswered = false;
            for (int ring = 1; !bAnswered; ++ring) {
                if (!WaitAnswered(hCall, kRingPeriod, &bAnswered))
                    return;
                if (bAnswered || ring == kRingsBeforeGivingUp)
                    break;
                Ring(dwDevice);
            }
            bool bListened = false;
            if (bAnswered && !WaitListened(hCall, kGreetingLimit, &bListened))
                return;
            if (bListened) {
                g_bCallerSpeaks = true;
                const bool bGoOn = Pause(kSpeaking);
                g_bCallerSpeaks = false;
                if (!bGoOn)
                    return;
            }
            // The caller hangs up; a call still there goes idle.
            FarEndHangsUp(hCall);
            SetCallState(hCall, kCallIdle);
            if (!Pause(
                    std::chrono::duration_cast<milliseconds>(start + kCallPeriod - Clock::now())))
                return;
        }
    }
    void StopCaller() {
        {
            std::lock_guard lock(m_mutex);
            m_bStop = true;
        }
        m_cv.notify_all();
        if (m_caller.joinable())
            m_caller.join();
        g_bCallerSpeaks = false;
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bStop = false;     // under m_mutex
    uint32_t m_hListened = 0; // under m_mutex: the call last recorded
    std::thread m_caller;
};

} // namespace

void InstallSimulatedLineDemo(CTapiProviders& providers,
                              const std::function<void(const std::string&)>& log) {
    providers.Register(kSimulatedTapiName,
                       [](std::string*) { return std::make_unique<CDemoTapi>(); });
    providers.Choose(kSimulatedTapiName);
    if (CNullSoundBackend* pNull = GetNullSoundBackend())
        pNull->SetCaptureSource(CallerVoice);
    else
        log("simulated telephony line: the caller is silent on the sound card; "
            "VORELLA_AUDIO=null gives the caller a voice");
    log("telephony provider: simulated line (a caller every minute)");
}
