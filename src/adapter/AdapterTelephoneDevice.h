// The USB telephone adapter as the worker's telephone device.
#pragma once

#include "adapter/AdapterWorker.h"
#include "adapter/HiPhoneDev.h"
#include "engine/LineEventRelay.h"
#include "engine/TelephoneDevice.h"

#include <memory>

class IDeviceHost;

class CAdapterTelephoneDevice : public CTelephoneDeviceState {
public:
    // Sound goes with the host's settings (silence detection, level) and into
    // its trace.
    CAdapterTelephoneDevice(CHiPhoneDev::LayerFactory factory, IAdapterWorker& worker,
                            IDeviceHost& host);
    // The adapter's events stop before the sink they reach goes.
    ~CAdapterTelephoneDevice() override { m_dev.Close(); }

    DeviceKind Kind() const override { return DeviceKind::UsbAdapter; }
    // A missing adapter tells the worker to pause and show why.
    bool Open() override;
    void Close(bool bDeInit) override;
    bool IsOpen() const override { return m_dev.IsOpen(); }
    // Always: an adapter missing at one open may be plugged in before the
    // next, which the user asks for by resuming monitoring.
    bool IsAvailable() const override { return true; }
    void Shutdown() override { Close(false); }
    bool IsReady() const override { return IsOpen(); }
    bool DeviceFailure() const override { return m_bMissing; }
    std::string OpenError() const override;
    bool InVoiceMode() const override { return IsOpen() && m_dev.IsOffHook(); }
    // The line's sound through the adapter's wave devices. Line events
    // (keys, tones) that come meanwhile are the play's and the recording's,
    // as a modem's are (CLineEventRelay).
    int PlayFile(const std::string& file, bool bDetect) override;
    RecordResult Record(const std::string& file, uint64_t maxMs,
                        const std::function<bool(int ch)>& onEvent) override;
    void SetEventSink(std::function<void(int, uintptr_t, intptr_t)> sink) override;
    // Posts a thread message to the worker, or keeps a line event for the
    // play or recording running. Any thread.
    void Post(int nMessage, uintptr_t wParam);
    bool GoOffHook() override;
    bool HangUp() override;
    // The raw message as delivered, with the name and number decoded from it.
    DeviceCallerData CallerData() override;
    // Dials with touch-tone keys played to the line.
    int Dial(const std::string& number, bool bStayOffHook) override;

    CHiPhoneDev& Adapter() { return m_dev; }

private:
    IAdapterWorker& m_worker;
    IDeviceHost& m_host;
    CHiPhoneDev m_dev;
    bool m_bMissing = false;
    CLineEventRelay m_events;
};

// The adapter device over the layers factory makes, reporting to worker.
std::unique_ptr<ITelephoneDevice> MakeAdapterDevice(IAdapterWorker& worker, IDeviceHost& host,
                                                    CHiPhoneDev::LayerFactory factory);
