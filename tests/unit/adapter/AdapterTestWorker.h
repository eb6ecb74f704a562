// The worker's side of the adapter, as the tests see it: its real message
// queue, the driver flags the adapter sets, the pause it asks for and the
// lines it logs. Safe from any thread, as the adapter requires.
#pragma once

#include "adapter/AdapterWorker.h"
#include "engine/ThreadMessages.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class CTestAdapterWorker : public IAdapterWorker {
public:
    void PostMessage(int message, uintptr_t wParam) override { queue.Post(message, wParam); }
    void SetHandsetOffHook(bool b) override { bHandsetOffHook = b; }
    void SetStopRequest(bool b) override { bStopRequest = b; }
    bool HandsetRecordingMarked() const override { return bHandsetRecording; }
    void PauseWithMessage(int nStringId) override { nPausedWith = nStringId; }
    void Log(const std::string& line) override;

    // The messages posted so far, taken from the queue.
    std::vector<ThreadMessage> Take();
    // The messages as they come, up to one equal to last (or until none has
    // come for 10 s).
    std::vector<ThreadMessage> TakeUpTo(const ThreadMessage& last);
    std::vector<std::string> LogLines() const;

    CThreadMessageQueue queue;
    std::atomic<bool> bHandsetOffHook{false};
    std::atomic<bool> bStopRequest{false};
    std::atomic<bool> bHandsetRecording{false};
    std::atomic<int> nPausedWith{0};

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_log;
};

// The message a key (or a tone's letter) posts.
inline ThreadMessage Key(char c) {
    return {kMsgDeviceEvent, static_cast<unsigned char>(c), 0};
}
inline constexpr ThreadMessage kRing{kMsgRing, 0, 0};

// A raw caller-ID message: type 0x80, the length, the parameters, and
// with bChecksum the byte that makes the whole add up to 0 modulo 256.
std::string CallerIdMessage(const std::string& params, bool bChecksum);
