#include "wizard/ModemDetection.h"

#include "engine/ModemUiIcon.h"
#include "modem/CallerIdProbe.h"
#include "modem/CommDriver.h"
#include "modem/ModemSetup.h"

#include <QPointer>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// How long a question of the detection (the port scan's) waits for the user.
constexpr uint32_t kQuestionWaitMs = 120000;

} // namespace

// What the helper thread shares with the page: the driver, the cancel flag
// and the way back to the page, which may be gone by the time it ends.
struct CModemDetection::Run : public IModemUi {
    explicit Run(IUiBridge& b) : bridge(b) { drv.SetUi(this); }
    ~Run() override { drv.SetUi(nullptr); }

    // Runs call(page) on the page's thread if the page still wants the
    // result. The page cannot go while the mutex is held: its destructor
    // cancels under it first.
    template <class Call>
    void Post(Call call) {
        std::lock_guard lock(mutex);
        if (!owner || bCancelled)
            return;
        QPointer<CModemDetection> page = owner;
        QMetaObject::invokeMethod(
            owner.data(),
            [page, call = std::move(call)] {
                if (page)
                    call(*page);
            },
            Qt::QueuedConnection);
    }

    void SetStatusText(const std::string& text) override {
        Post([text](CModemDetection& o) { emit o.progress(QString::fromStdString(text)); });
    }
    void ShowMessage(const std::string& text, MsgIcon icon) override {
        if (!bCancelled)
            bridge.ShowMessageText(text, BridgeIcon(icon));
    }
    bool AskYesNo(const std::string& text, bool bDefault) override {
        if (bCancelled)
            return false;
        return AskYesNoTextAndWait(bridge, text, bDefault, kQuestionWaitMs);
    }

    IUiBridge& bridge;
    CCommDriver drv;
    std::mutex mutex;
    QPointer<CModemDetection> owner; // under mutex
    std::atomic<bool> bCancelled{false};
};

CModemDetection::CModemDetection(IUiBridge& bridge, QObject* parent)
    : QObject(parent), m_bridge(bridge) {}

CModemDetection::~CModemDetection() {
    Cancel();
}

void CModemDetection::Start(int nComPort, const std::string& sModem, uint32_t dwBaudRate) {
    Cancel();
    auto run = std::make_shared<Run>(m_bridge);
    run->owner = this;
    run->drv.Profile().Load(sModem);
    run->drv.Settings().nComPort = nComPort;
    m_pRun = run;
    m_bRunning = true;
    // Detached: the page never waits for it. The run keeps everything the
    // thread touches alive until it ends.
    std::thread([run, sModem, dwBaudRate] {
        std::string sFound = sModem;
        const bool bFound = DetectModem(run->drv, sFound, dwBaudRate);
        int nCidType = -1;
        if (bFound && !run->bCancelled)
            nCidType = DetectCallerIdType(run->drv, sFound, dwBaudRate);
        const int nPort = run->drv.Settings().nComPort > 0 ? run->drv.Settings().nComPort : 0;
        const std::string sWhy = bFound ? std::string() : run->drv.OpenError();
        run->Post([bFound, nPort, sFound, nCidType, sWhy](CModemDetection& o) {
            o.m_bRunning = false;
            emit o.finished(bFound, nPort, QString::fromStdString(sFound), nCidType,
                            QString::fromStdString(sWhy));
        });
    }).detach();
}

void CModemDetection::Cancel() {
    if (!m_pRun)
        return;
    {
        std::lock_guard lock(m_pRun->mutex);
        m_pRun->bCancelled = true;
        m_pRun->owner = nullptr;
    }
    m_pRun->drv.SetStopRequest(true);
    m_pRun.reset();
    m_bRunning = false;
}
