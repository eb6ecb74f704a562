// The USB telephone adapter as the worker's telephone device.
#pragma once

#include "adapter/AdapterWorker.h"
#include "adapter/HiPhoneDev.h"
#include "engine/TelephoneDevice.h"

#include <memory>

class CAdapterTelephoneDevice : public CTelephoneDeviceState {
public:
    CAdapterTelephoneDevice(CHiPhoneDev::LayerFactory factory, IAdapterWorker& worker);

    DeviceKind Kind() const override { return DeviceKind::UsbAdapter; }
    // A missing adapter tells the worker to pause and show why.
    bool Open() override;
    void Close(bool bDeInit) override;
    bool IsOpen() const override { return m_dev.IsOpen(); }
    // False after an open found no adapter, until one is found again.
    bool IsAvailable() const override { return !m_bMissing; }
    void Shutdown() override { Close(false); }
    bool IsReady() const override { return IsOpen(); }
    bool DeviceFailure() const override { return m_bMissing; }
    std::string OpenError() const override;
    bool InVoiceMode() const override { return IsOpen() && m_dev.IsOffHook(); }
    // The line's sound through the adapter's wave devices.
    int PlayFile(const std::string& file, bool bDetect) override;
    RecordResult Record(const std::string& file, uint64_t maxMs,
                        const std::function<bool(int ch)>& onEvent) override;
    bool GoOffHook() override;
    bool HangUp() override;
    // The raw message as delivered, with the name and number decoded from it.
    DeviceCallerData CallerData() override;
    // Dials with touch-tone keys played to the line.
    int Dial(const std::string& number, bool bStayOffHook) override;

    CHiPhoneDev& Adapter() { return m_dev; }

private:
    IAdapterWorker& m_worker;
    CHiPhoneDev m_dev;
    bool m_bMissing = false;
};

// The adapter device the worker uses, over the layers present on this
// machine (DefaultAdapterLayers()) or the given ones.
std::unique_ptr<ITelephoneDevice> MakeAdapterDevice(IAdapterWorker& worker,
                                                    CHiPhoneDev::LayerFactory factory);
std::unique_ptr<ITelephoneDevice> MakeAdapterDevice(IAdapterWorker& worker);

// The layer of the adapter this machine has: the simulated adapter whose
// socket VORELLA_ADAPTER_SOCKET names, else none.
CHiPhoneDev::LayerFactory DefaultAdapterLayers();
