#include "engine/TelephoneDevice.h"


namespace {

// A kind of device this build has no driver for, or whose maker could not
// make one. It never claims to work: the worker sees it unavailable and
// pauses, so the user sees why (the reason, when there is one, is its open
// error).
class CUnavailableDevice : public CTelephoneDeviceState {
public:
    CUnavailableDevice(DeviceKind kind, std::string sWhy) : m_kind(kind), m_sWhy(std::move(sWhy)) {}
    DeviceKind Kind() const override { return m_kind; }
    bool Open() override { return false; }
    void Close(bool) override {}
    void Shutdown() override {}
    bool IsOpen() const override { return false; }
    bool IsAvailable() const override { return false; }
    bool IsReady() const override { return false; }
    bool DeviceFailure() const override { return false; }
    std::string OpenError() const override { return m_sWhy; }
    bool GoOffHook() override { return false; }
    bool HangUp() override { return false; }
    bool InVoiceMode() const override { return false; }
    int PlayFile(const std::string&, bool) override { return -1; }
    RecordResult Record(const std::string&, uint64_t, const std::function<bool(int)>&) override {
        return {};
    }
    DeviceCallerData CallerData() override { return {}; }
    int Dial(const std::string&, bool) override { return -1; }

private:
    DeviceKind m_kind;
    std::string m_sWhy;
};

} // namespace

std::unique_ptr<ITelephoneDevice> MakeUnavailableDevice(DeviceKind kind, std::string sWhy) {
    return std::make_unique<CUnavailableDevice>(kind, std::move(sWhy));
}

void CDeviceFactories::Register(DeviceKind kind, DeviceFactory factory) {
    std::lock_guard lock(m_mutex);
    if (factory)
        m_factories[kind] = std::move(factory);
    else
        m_factories.erase(kind);
}

bool CDeviceFactories::Has(DeviceKind kind) const {
    std::lock_guard lock(m_mutex);
    return m_factories.count(kind) != 0;
}

std::unique_ptr<ITelephoneDevice> CDeviceFactories::Make(DeviceKind kind,
                                                         IDeviceHost& host) const {
    DeviceFactory factory;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_factories.find(kind);
        if (it != m_factories.end())
            factory = it->second;
    }
    // Made outside the lock: a maker may take its time (a provider's start).
    std::unique_ptr<ITelephoneDevice> dev = factory ? factory(host) : nullptr;
    return dev ? std::move(dev) : MakeUnavailableDevice(kind);
}

DeviceKind ChosenDeviceKind(bool fUseHiPhone, int nTAPI) {
    if (fUseHiPhone)
        return DeviceKind::UsbAdapter;
    return nTAPI != 0 ? DeviceKind::TelephonyLine : DeviceKind::SerialModem;
}

std::string DeviceKindName(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::SerialModem:
        return "serial voice modem";
    case DeviceKind::TelephonyLine:
        return "telephony line";
    case DeviceKind::UsbAdapter:
        return "USB telephone adapter";
    }
    return "device";
}
