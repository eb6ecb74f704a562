#include "FarEnd.h"

#include <linphone++/linphone.hh>

#include <chrono>
#include <filesystem>

class CFarEnd::Listener : public linphone::CoreListener {
public:
    explicit Listener(CFarEnd& far) : m_far(far) {}
    void onCallStateChanged(const std::shared_ptr<linphone::Core>&,
                            const std::shared_ptr<linphone::Call>&, linphone::Call::State state,
                            const std::string&) override {
        using S = linphone::Call::State;
        if (state == S::StreamsRunning)
            m_far.m_bConnected = true;
        if (state == S::End || state == S::Error || state == S::Released)
            m_far.m_bEnded = true;
        m_far.m_cv.notify_all();
    }

private:
    CFarEnd& m_far;
};

CFarEnd::CFarEnd(const std::string& sFolder, const std::string& sPlayFile,
                 const std::string& sRecordFile) {
    auto factory = linphone::Factory::get();
    std::filesystem::create_directories(sFolder + "/plugins");
    factory->setMspluginsDir(sFolder + "/plugins");
    factory->setDataDir(sFolder);
    factory->setConfigDir(sFolder);
    m_core = factory->createCore("", "", nullptr);
    m_core->getConfig()->setString("sip", "bind_address", "127.0.0.1");
    m_core->enableIpv6(false);
    m_core->enableAutoIterate(false);
    m_core->enableVideoCapture(false);
    m_core->enableVideoDisplay(false);
    m_core->setRing("");
    m_core->setRingback("");
    m_core->setUseFiles(true);
    m_core->setPlayFile(sPlayFile);
    m_core->setRecordFile(sRecordFile);
    m_core->setAudioPort(-1);
    m_core->setUseRfc2833ForDtmf(true);
    for (const auto& pt : m_core->getAudioPayloadTypes())
        pt->enable(pt->getMimeType() == "PCMU");
    auto transports = factory->createTransports();
    transports->setUdpPort(-1);
    transports->setTcpPort(-1);
    transports->setTlsPort(0);
    m_core->setTransports(transports);
    m_listener = std::make_shared<Listener>(*this);
    m_core->addListener(m_listener);
    m_core->start();
    m_nPort = m_core->getTransportsUsed()->getUdpPort();
    m_thread = std::thread([this] { Run(); });
}

CFarEnd::~CFarEnd() {
    m_bQuit = true;
    m_thread.join();
    m_call.reset();
    m_core->terminateAllCalls();
    m_core->removeListener(m_listener);
    m_core->stop();
    m_core.reset();
}

void CFarEnd::Run() {
    while (!m_bQuit) {
        {
            std::lock_guard lock(m_mutex);
            m_core->iterate();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool CFarEnd::Call(const std::string& sTo, const std::string& sFrom,
                   const std::map<std::string, std::string>& headers) {
    std::lock_guard lock(m_mutex);
    m_core->setPrimaryContact(sFrom);
    auto params = m_core->createCallParams(nullptr);
    params->enableVideo(false);
    for (const auto& [name, value] : headers)
        params->addCustomHeader(name, value);
    m_call = m_core->inviteWithParams(sTo, params);
    return m_call != nullptr;
}

bool CFarEnd::WaitConnected() {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::seconds(30), [this] { return m_bConnected; });
}

bool CFarEnd::WaitEnded() {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::seconds(30), [this] { return m_bEnded; });
}

void CFarEnd::HangUp() {
    std::lock_guard lock(m_mutex);
    if (m_call)
        m_call->terminate();
}

void CFarEnd::SendKeys(const std::string& sKeys) {
    std::lock_guard lock(m_mutex);
    if (m_call)
        m_call->sendDtmfs(sKeys);
}
