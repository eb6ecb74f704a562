#include "tapi/TapiConnection.h"

#include "platform/ThreadName.h"
#include "platform/TickCount.h"

CTapiConnection::~CTapiConnection() {
    Shutdown();
}

TapiResult CTapiConnection::Initialize(const std::string& sAppName, LineFactory factory,
                                       uint32_t dwVersion) {
    if (m_bInitialized)
        return 0;
    m_factory = std::move(factory);
    m_dwVersion = dwVersion;
    uint32_t dwLines = 0;
    TapiResult r;
    // The provider asks to be started again while it reconfigures; a few
    // tries, not forever.
    for (int nTry = 0;; ++nTry) {
        r = m_provider.Initialize(sAppName, &dwLines);
        if (r != kTapiErrReinit || nTry >= 50)
            break;
        SleepMs(100);
    }
    if (r != 0)
        return r;
    if (dwLines == 0) {
        m_provider.Shutdown();
        return kTapiErrNoDevice;
    }
    {
        std::lock_guard lock(m_linesMutex);
        for (uint32_t i = 0; i < dwLines; ++i) {
            auto line = m_factory(*this, i);
            line->Init();
            m_lines.push_back(std::move(line));
        }
    }
    m_bInitialized = true;
    try {
        m_lineThread = std::thread([this] {
            NameThisThread("tapi-lines");
            LineThread();
        });
    } catch (const std::system_error&) {
        m_bInitialized = false;
        m_provider.Shutdown();
        std::lock_guard lock(m_linesMutex);
        m_lines.clear();
        return kTapiErrNoMem;
    }
    uint32_t dwPhones = 0;
    if (m_provider.PhoneInitialize(&dwPhones) == 0) {
        m_bPhones = true;
        for (uint32_t i = 0; i < dwPhones; ++i) {
            auto phone = std::make_unique<CTapiPhone>(*this, i);
            phone->Init();
            m_phones.push_back(std::move(phone));
        }
        try {
            m_phoneThread = std::thread([this] {
                NameThisThread("tapi-phones");
                PhoneThread();
            });
        } catch (const std::system_error&) {
            // Lines work without phones.
            m_provider.PhoneShutdown();
            m_bPhones = false;
        }
    }
    return 0;
}

void CTapiConnection::Shutdown() {
    if (!m_bInitialized.exchange(false))
        return;
    // The provider's shutdown ends a waiting GetMessage at once, so the
    // threads end without being killed.
    m_provider.Shutdown();
    if (m_lineThread.joinable())
        m_lineThread.join();
    if (m_bPhones) {
        m_provider.PhoneShutdown();
        m_bPhones = false;
    }
    if (m_phoneThread.joinable())
        m_phoneThread.join();
    {
        std::lock_guard lock(m_linesMutex);
        m_lines.clear();
    }
    m_phones.clear();
    std::lock_guard lock(m_requestsMutex);
    m_requests.clear();
}

size_t CTapiConnection::LineCount() const {
    std::lock_guard lock(m_linesMutex);
    return m_lines.size();
}

CTapiLine* CTapiConnection::Line(size_t index) const {
    std::lock_guard lock(m_linesMutex);
    return index < m_lines.size() ? m_lines[index].get() : nullptr;
}

CTapiLine* CTapiConnection::FindLine(uint32_t dwDeviceID) const {
    std::lock_guard lock(m_linesMutex);
    for (const auto& line : m_lines)
        if (line->DeviceID() == dwDeviceID)
            return line.get();
    return nullptr;
}

std::shared_ptr<CTapiRequest> CTapiConnection::Request(TapiResult nId) {
    std::lock_guard lock(m_requestsMutex);
    auto& slot = m_requests[nId];
    if (!slot)
        slot = std::make_shared<CTapiRequest>(nId);
    else if (slot->IsComplete() && GetTickCount() - slot->ReplyTick() > kRequestReuseMs)
        slot->Reset();
    return slot;
}

TapiResult CTapiConnection::WaitForReply(TapiResult nResult, int64_t nLimitMs,
                                         const std::function<bool()>& pump) {
    if (nResult <= 0)
        return nResult;
    return Request(nResult)->Wait(nLimitMs, pump);
}

void CTapiConnection::CleanRequests() {
    const uint32_t now = GetTickCount();
    std::lock_guard lock(m_requestsMutex);
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        if (it->second->IsComplete() && now - it->second->ReplyTick() > kRequestKeepMs)
            it = m_requests.erase(it);
        else
            ++it;
    }
}

size_t CTapiConnection::RequestCount() const {
    std::lock_guard lock(m_requestsMutex);
    return m_requests.size();
}

void CTapiConnection::HandleMessage(const TapiMessage& msg) {
    switch (msg.dwMessageID) {
    case TapiMsg::Reply:
        Request(static_cast<TapiResult>(msg.dwParam1))
            ->Complete(static_cast<TapiResult>(msg.dwParam2), GetTickCount());
        return;
    case TapiMsg::Create: {
        const auto dwDevice = static_cast<uint32_t>(msg.dwParam1);
        if (FindLine(dwDevice))
            return;
        auto line = m_factory(*this, dwDevice);
        line->Init();
        std::lock_guard lock(m_linesMutex);
        m_lines.push_back(std::move(line));
        return;
    }
    case TapiMsg::Remove: {
        // A removed device's line closes; its object stays (the engine may
        // hold it) until the connection ends.
        if (CTapiLine* line = FindLine(static_cast<uint32_t>(msg.dwParam1)))
            line->MarkClosed();
        return;
    }
    default:
        break;
    }
    // The line is found by the device id it was opened with, never by
    // trusting the value as an object address.
    if (CTapiLine* line = FindLine(static_cast<uint32_t>(msg.dwCallbackInstance)))
        line->Dispatch(msg);
}

void CTapiConnection::LineThread() {
    for (;;) {
        TapiMessage msg;
        const TapiResult r = m_provider.GetMessage(&msg, kMessageWaitMs);
        if (r == kTapiErrInvalAppHandle)
            break;
        if (r == 0)
            HandleMessage(msg);
        CleanRequests();
    }
}

void CTapiConnection::PhoneThread() {
    // Phone devices report nothing the program acts on; their messages are
    // read so that the provider's queue does not fill up.
    for (;;) {
        TapiMessage msg;
        if (m_provider.PhoneGetMessage(&msg, kTapiWaitForever) == kTapiErrInvalAppHandle)
            break;
    }
}
