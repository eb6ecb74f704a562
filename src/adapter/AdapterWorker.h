// What the adapter needs of the call worker: its thread messages, the few
// flags of its device driver the adapter's events set, and its log. The
// worker implements it. Calls come from the adapter's event thread as well
// as the worker's own, so every method must be safe from any thread.
#pragma once

#include <cstdint>
#include <string>

class IAdapterWorker {
public:
    virtual ~IAdapterWorker() = default;

    // Queues a thread message for the worker (kMsgRing, kMsgDeviceEvent ...).
    virtual void PostMessage(int message, uintptr_t wParam) = 0;
    // The phone beside the adapter lifted (true) or put down.
    virtual void SetHandsetOffHook(bool bOffHook) = 0;
    // Raises or clears the request that breaks a running play or record.
    virtual void SetStopRequest(bool bStop) = 0;
    // Set while the worker records because the handset was lifted: the
    // dial tone that follows the far end's hang-up must not end it then.
    virtual bool HandsetRecordingMarked() const = 0;
    // The adapter is not there: pause monitoring and show string nStringId.
    virtual void PauseWithMessage(int nStringId) = 0;
    // One line for the modem log.
    virtual void Log(const std::string& line) = 0;
};
