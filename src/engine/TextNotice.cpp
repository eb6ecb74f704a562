#include "engine/TextNotice.h"

#include "config/Settings.h"
#include "platform/SerialPorts.h"
#include "platform/TextUtil.h"
#include "platform/ThreadName.h"

#include <algorithm>
#include <chrono>
#include <utility>

TextNoticeSettings TextNoticeSettings::From(const CPhoneSettings& s, int nLinePort) {
    TextNoticeSettings t;
    t.bPortIsLine = nLinePort > 0 && nLinePort == s.m_PagerPort;
    t.sPhone = s.m_PagerPhone;
    t.port.sDevice = ComPortDevice(s.m_PagerPort);
    t.port.sName = ComPortName(s.m_PagerPort);
    const std::string speed = s.m_PagerSerialSetting.substr(0, s.m_PagerSerialSetting.find(','));
    if (std::all_of(speed.begin(), speed.end(), ::isdigit) && !speed.empty() && speed.size() < 8)
        t.port.nBaud = static_cast<uint32_t>(std::stoul(speed));
    t.sPattern = s.m_PagerMessage;
    t.nRetries = std::clamp(s.m_PagerRetries, 0, 100);
    t.nDelayMs = static_cast<uint32_t>(std::clamp(s.m_PagerDelay, 0, 3600)) * 1000;
    t.bMessagesOnly = s.bUnattendedPage;
    t.bContactsOnly = s.bPageContactsOnly;
    return t;
}

CTextNotice::CTextNotice(Report report) : m_report(std::move(report)) {}

CTextNotice::~CTextNotice() {
    Stop();
}

void CTextNotice::SetSettings(TextNoticeSettings settings) {
    std::lock_guard lock(m_mutex);
    m_settings = std::move(settings);
}

void CTextNotice::StartSending() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = false;
    }
    if (!m_thread.joinable())
        m_thread = std::thread([this] {
            NameThisThread("text-notice");
            Run();
        });
}

void CTextNotice::Start(CCallEventPublisher& events) {
    StartSending();
    if (m_pEvents)
        return;
    m_pEvents = &events;
    m_nSubscription =
        events.Subscribe("text message", [this](const CallEvent& event) { OnEvent(event); });
}

void CTextNotice::Stop() {
    if (m_pEvents)
        m_pEvents->Unsubscribe(m_nSubscription);
    m_pEvents = nullptr;
    size_t nDropped = 0;
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
        nDropped = m_queue.size();
        m_queue.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (nDropped)
        m_report(StrPrintf("%zu text message(s) not sent: the program ended first", nDropped));
}

int CTextNotice::Sent() const {
    std::lock_guard lock(m_mutex);
    return m_nSent;
}

int CTextNotice::Tries() const {
    std::lock_guard lock(m_mutex);
    return m_nTries;
}

bool CTextNotice::Send(const SmsFields& fields) {
    std::string why;
    bool bQueued = false;
    {
        std::lock_guard lock(m_mutex);
        if (SmsRecipient(m_settings.sPhone).empty())
            why = m_settings.sPhone.empty() ? ""
                                            : "\"" + m_settings.sPhone + "\" is not a phone number";
        else if (m_settings.bPortIsLine)
            why = m_settings.port.sName + " is the line modem's port: text messages need a "
                                          "mobile-network modem on a port of its own";
        else if (m_bStop || !m_thread.joinable())
            why = "the sender is not running";
        else if (m_queue.size() >= kMaxQueued)
            why = StrPrintf("%zu messages are still waiting", kMaxQueued);
        else {
            m_queue.push_back(fields);
            bQueued = true;
        }
    }
    if (bQueued) {
        m_wake.notify_all();
        return true;
    }
    if (!why.empty()) // with no recipient set, none is wanted
        m_report("The text message about the " + fields.sEvent + " was not sent: " + why);
    return false;
}

void CTextNotice::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
        if (m_bStop)
            return;
        SmsFields fields = std::move(m_queue.front());
        m_queue.pop_front();
        const TextNoticeSettings s = m_settings;
        lock.unlock();
        std::string why = Deliver(fields, s);
        const std::string to = SmsRecipient(s.sPhone);
        m_report(why.empty() ? "Text message about the " + fields.sEvent + " sent to " + to
                             : "The text message about the " + fields.sEvent + " to " + to +
                                   " was not sent: " + why);
        lock.lock();
    }
}

std::string CTextNotice::Deliver(const SmsFields& fields, const TextNoticeSettings& s) {
    const std::string text = ToSmsText(FillSmsPattern(s.sPattern, fields));
    const std::string to = SmsRecipient(s.sPhone);
    std::string why;
    for (int attempt = 0; attempt <= s.nRetries; ++attempt) {
        if (attempt > 0) {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, std::chrono::milliseconds(s.nDelayMs),
                                [this] { return m_bStop; }))
                return why + " (given up: the program ends)";
        }
        why = SendTextMessage(s.port, to, text);
        std::lock_guard lock(m_mutex);
        ++m_nTries;
        if (why.empty()) {
            ++m_nSent;
            return "";
        }
    }
    return why + StrPrintf(" (%d tries)", s.nRetries + 1);
}

void CTextNotice::OnEvent(const CallEvent& event) {
    if (const auto* ring = std::get_if<CallRinging>(&event)) {
        if (ring->nRings <= 1 || !m_bInCall) {
            m_call = SmsFields{};
            m_bInCall = true;
            m_bAnswered = m_bBlocked = m_bContact = m_bMessageTold = false;
        }
    } else if (!m_bInCall) {
        return;
    } else if (const auto* caller = std::get_if<CallerIdentified>(&event)) {
        m_call.sNumber = caller->sDisplayNumber.empty() ? caller->sNumber : caller->sDisplayNumber;
        m_call.sName = caller->sName;
    } else if (const auto* screened = std::get_if<CallScreened>(&event)) {
        m_bBlocked = BlocksCaller(screened->action);
        m_bContact = screened->nContactId != 0;
    } else if (std::holds_alternative<CallAnswered>(event)) {
        m_bAnswered = true;
    } else if (const auto* stored = std::get_if<RecordingStored>(&event)) {
        if (stored->bMessage && !std::exchange(m_bMessageTold, true))
            Due("message", stored->nSeconds);
    } else if (std::holds_alternative<CallEnded>(event)) {
        m_bInCall = false;
        if (!m_bAnswered)
            Due("missed call", 0);
    }
}

void CTextNotice::Due(const char* sEvent, int nSeconds) {
    bool bWanted = false;
    {
        std::lock_guard lock(m_mutex);
        const TextNoticeSettings& s = m_settings;
        bWanted = !s.sPhone.empty() && !m_bBlocked && (!s.bContactsOnly || m_bContact) &&
                  (std::string_view(sEvent) == "message" || !s.bMessagesOnly);
    }
    if (!bWanted)
        return;
    m_call.sEvent = sEvent;
    m_call.nSeconds = nSeconds;
    Send(m_call);
}
