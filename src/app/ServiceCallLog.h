// The service's story of each call and of its device, one clear line per
// step: the rings, who calls, the answer, the message stored, the end; the
// port that cannot be opened, goes away and comes back. Made from the
// worker's call events, which arrive more often than things change: a
// hang-up comes again when the rings end, the line taken again for the
// message, a port that stays missing at every attempt. Each change is told
// once.
#pragma once

#include "engine/CallEvents.h"
#include "engine/UiBridge.h"

#include <functional>
#include <mutex>
#include <string>

class CServiceCallLog {
public:
    using LineSink = std::function<void(const std::string&)>;
    explicit CServiceCallLog(LineSink sink);

    // Tells one event of the worker.
    void OnEvent(const CallEvent& event);

    void RingCounted(int nRings);
    void CallerChanged(const CallerDisplay& caller);
    void Answered();
    void RecordingWritten(const std::string& sFile, bool bFinished, bool bMessage, int nSeconds);
    void LineHungUp();
    void DeviceStateChanged(DeviceState state, DeviceKind kind, const std::string& sDevice,
                            const std::string& sReason);

private:
    void Line(const std::string& text);

    LineSink m_sink;
    std::mutex m_mutex;
    // The call now on the line.
    bool m_bInCall = false;
    bool m_bAnswered = false;
    int m_nRings = 0;
    std::string m_sCallerLogged;
    // The device as last told.
    bool m_bDeviceTold = false;
    DeviceState m_deviceState = DeviceState::Open;
    std::string m_sDeviceReason;
};
