#include "adapter/AdapterWorkerLink.h"

#include "adapter/GenericAdapterLayer.h"
#include "adapter/SocketAdapterLayer.h"
#include "engine/CallState.h"
#include "engine/DeviceHost.h"
#include "engine/ThreadMessages.h"
#include "engine/UiBridge.h"
#include "platform/Strings.h"

#include <cstdlib>

namespace {

// Every call may come from the adapter's event thread: the device's flags
// and the phone's trace and front end are safe from any thread, the pause
// is an atomic flag the worker acts on at its next step.
class CPhoneAdapterWorker : public IAdapterWorker {
public:
    CPhoneAdapterWorker(IDeviceHost& host, std::function<bool()> handsetRecordingMarked)
        : m_host(host), m_marked(std::move(handsetRecordingMarked)) {}
    void Attach(CAdapterTelephoneDevice* pDevice) { m_pDevice = pDevice; }

    void PostMessage(int message, uintptr_t wParam) override { m_pDevice->Post(message, wParam); }
    // The worker sleeps until a message while the line is quiet, and the
    // handset's move comes as none: it is woken to look at the handset.
    void SetHandsetOffHook(bool bOffHook) override {
        m_pDevice->SetHandsetOffHook(bOffHook);
        m_pDevice->Post(kMsgWake, 0);
    }
    void SetStopRequest(bool bStop) override { m_pDevice->SetStopRequest(bStop); }
    bool HandsetRecordingMarked() const override { return m_marked && m_marked(); }
    void PauseWithMessage(int nStringId) override {
        const bool bWasPaused = m_host.CallState().RequestPause(true);
        m_host.SetStatusText(LoadStr(nStringId));
        m_host.Ui().ShowMessage(nStringId, MessageIcon::Exclamation);
        if (!bWasPaused)
            m_host.Ui().MonitoringChanged(true);
    }
    void Log(const std::string& line) override { m_host.Trace(line); }

private:
    IDeviceHost& m_host;
    std::function<bool()> m_marked;
    CAdapterTelephoneDevice* m_pDevice = nullptr;
};

// The link is made before the device it serves (the device takes it in its
// constructor), so it sits in a base ahead of the device.
struct CLinkHolder {
    CLinkHolder(IDeviceHost& host, std::function<bool()> marked) : link(host, std::move(marked)) {}
    CPhoneAdapterWorker link;
};

class CWorkerAdapterDevice final : private CLinkHolder, public CAdapterTelephoneDevice {
public:
    CWorkerAdapterDevice(IDeviceHost& host, std::function<bool()> marked,
                         CHiPhoneDev::LayerFactory layers)
        : CLinkHolder(host, std::move(marked)),
          CAdapterTelephoneDevice(std::move(layers), link, host) {
        link.Attach(this);
    }
};

} // namespace

CHiPhoneDev::LayerFactory AdapterLayersFor(const std::string& soundCard,
                                           const std::string& inputPath) {
    return [soundCard, inputPath](std::string* why) -> std::unique_ptr<IAdapterDeviceLayer> {
        const char* sim = std::getenv("VORELLA_ADAPTER_SOCKET");
        if (sim && *sim)
            return ConnectSocketAdapter(sim, why);
        if (soundCard.empty()) {
            if (why)
                *why = "no sound card is chosen for it (sAdapterSoundCard)";
            return nullptr;
        }
        return OpenGenericAdapter(soundCard, inputPath, why);
    };
}

std::unique_ptr<ITelephoneDevice>
MakeWorkerAdapterDevice(IDeviceHost& host, std::function<bool()> handsetRecordingMarked,
                        CHiPhoneDev::LayerFactory layers) {
    return std::make_unique<CWorkerAdapterDevice>(host, std::move(handsetRecordingMarked),
                                                  std::move(layers));
}
