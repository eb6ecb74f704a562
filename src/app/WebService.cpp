#include "app/WebService.h"

#include "app/AppWorker.h"
#include "app/BasicWindow.h"
#include "app/ContactsLogic.h"
#include "app/CurrentCaller.h"
#include "config/DataFolder.h"
#include "platform/ProgramFolder.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"
#include "web/Certificate.h"
#include "web/WebPages.h"
#include "web/WebSettings.h"
#include "web/WebSite.h"

#include <chrono>
#include <future>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {
// A command the window has not taken by then is reported as not done.
constexpr auto kWindowWait = std::chrono::seconds(10);
const char* const kNoAnswer = "The program is busy: try again.";

// The contacts file of the settings, opened for one request of the page
// (the worker keeps its own connection; the file takes both at once).
struct ContactsFile {
    ContactsPlace place = ContactsPlaceFromSettings();
    CPhoneNumbers numbers{place.sCountry, place.sAreaCode};
    CContactStore store{numbers};
    bool bOpen = store.Open(place.sPath);
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : " ") + line;
    return text;
}
} // namespace

CWebService::CWebService(CBasicWindow& window, LineSink tell)
    : m_window(window), m_tell(std::move(tell)) {}

CWebService::~CWebService() {
    Stop();
}

bool CWebService::Start() {
    const bool bWasServing = m_pSite != nullptr;
    Stop();
    m_sProblem.clear();
    const WebSettings settings = ReadWebSettings();
    if (!settings.bEnable) {
        if (bWasServing)
            m_tell("web page switched off");
        return true;
    }
    HttpServerOptions server;
    server.sAddress = settings.sListenAddress;
    server.nPort = settings.nPort;
    std::string error;
    if (settings.bHttps) {
        const std::string folder = GetProgramFolder();
        const std::string cert =
            settings.sCertFile.empty() ? folder + "web-cert.pem" : settings.sCertFile;
        const std::string key = settings.sKeyFile.empty() ? folder + "web-key.pem" : settings.sKeyFile;
        CertificatePem pem;
        if (!LoadOrMakeCertificate(cert, key, settings.sListenAddress, &pem, &error))
            return Failed(error);
        server.sCertPem = pem.sCert;
        server.sKeyPem = pem.sKey;
    }

    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        return Failed("no event descriptor");
    {
        std::lock_guard lock(m_queueMutex);
        m_bStopping = false;
    }
    m_window.Control().Server().Watch(m_wakeFd, [this] { RunQueued(); });

    WebSiteOptions options;
    options.sStaticFolder = GetProgramFolder() + "web/";
    options.passwordHash = [] { return ReadWebSettings().sPasswordHash; };
    if (IsLoopbackAddress(settings.sListenAddress))
        options.allowedHosts = {settings.sListenAddress, "localhost", "127.0.0.1", "[::1]"};
    m_pSite = std::make_unique<CWebSite>(options);
    AddWebPages(m_pSite->Router(), *this);
    if (!m_pSite->Start(server, &error)) {
        Stop();
        return Failed(error);
    }
    m_tell("web page at " +
           WebPageAddress(settings.sListenAddress, settings.bHttps, m_pSite->Port()));
    if (settings.sPasswordHash.empty())
        m_tell("web page: no password is set; set one with \"vorella-tool web-password\"");
    return true;
}

bool CWebService::Failed(const std::string& why) {
    m_sProblem = "web page not started: " + why;
    m_tell(m_sProblem);
    return false;
}

void CWebService::Stop() {
    // Requests waiting for the window get their answer now (that it is busy),
    // so the server's threads end at once.
    {
        std::lock_guard lock(m_queueMutex);
        m_bStopping = true;
        m_queue.clear();
    }
    if (m_pSite)
        m_pSite->Stop();
    m_pSite.reset();
    if (m_wakeFd >= 0) {
        m_window.Control().Server().Unwatch(m_wakeFd);
        close(m_wakeFd);
        m_wakeFd = -1;
    }
}

template <class T>
std::optional<T> CWebService::OnWindowThread(std::function<T()> job) {
    auto task = std::make_shared<std::packaged_task<T()>>(std::move(job));
    std::future<T> result = task->get_future();
    {
        std::lock_guard lock(m_queueMutex);
        if (m_bStopping)
            return std::nullopt;
        m_queue.push_back([task] { (*task)(); });
    }
    const uint64_t one = 1;
    if (write(m_wakeFd, &one, sizeof one) != static_cast<ssize_t>(sizeof one) ||
        result.wait_for(kWindowWait) != std::future_status::ready)
        return std::nullopt;
    try {
        return result.get();
    } catch (const std::future_error&) {
        return std::nullopt; // dropped by Stop
    }
}

void CWebService::RunQueued() {
    uint64_t count = 0;
    if (read(m_wakeFd, &count, sizeof count) < 0) {
        // Nothing to take: the queue is looked at all the same.
    }
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard lock(m_queueMutex);
            if (m_queue.empty())
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        job();
    }
}

WebLineState CWebService::LineState() {
    return OnWindowThread<WebLineState>([this] {
               WebLineState state;
               state.bMonitoring = m_window.IsMonitoring();
               state.sDeviceProblem = m_window.DeviceUnavailable();
               const CallFlags flags = m_window.CallFlagsNow();
               state.bRinging = flags.bRinging;
               state.bInCall = m_window.IsCallActive();
               state.bRecording = flags.bRecording;
               const CallerFields caller = m_window.GetCallerFields();
               if (state.bRinging || state.bInCall)
                   state.sCaller = caller.sName +
                                   (caller.sNumber.empty() ? "" : " (" + caller.sNumber + ")");
               state.bScreeningOn = m_window.IsScreeningOn();
               return state;
           })
        .value_or(WebLineState{});
}

std::vector<WebHistoryRow> CWebService::History(HistoryFilter filter, int nOffset, int nLimit) {
    std::lock_guard lock(m_historyMutex);
    std::vector<WebHistoryRow> rows;
    for (const CallsRow& call : m_history.Calls(filter, nOffset, nLimit)) {
        WebHistoryRow row;
        row.sTime = call.sTime;
        row.sCaller = call.sCaller;
        row.sNumber = call.sSent;
        row.sOutcome = call.sOutcome;
        row.sFile = call.sFile;
        row.bMessage = call.bMessage;
        row.bUnheard = call.bBold;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string CWebService::MarkHeard(const std::string& sPath) {
    std::lock_guard lock(m_historyMutex);
    std::string error;
    if (m_history.MarkRecordingHeard(sPath, &error))
        return {};
    m_tell("web page: " + sPath + " not marked heard: " + error);
    return error;
}

std::set<std::string> CWebService::UnheardRecordings() {
    constexpr int kMost = 100000;
    std::lock_guard lock(m_historyMutex);
    std::set<std::string> paths;
    for (const CallsRow& call : m_history.Calls(HistoryFilter::UnheardMessages, 0, kMost))
        if (call.bBold && !call.sRecording.empty())
            paths.insert(call.sRecording);
    return paths;
}

std::string CWebService::LineCommand(WebLineCommand command) {
    return OnWindowThread<std::string>([this, command]() -> std::string {
               switch (command) {
               case WebLineCommand::MonitoringOn:
                   m_window.SetMonitoring(true);
                   return "Monitoring switched on.";
               case WebLineCommand::MonitoringOff:
                   m_window.SetMonitoring(false);
                   return "Monitoring switched off.";
               case WebLineCommand::Record:
                   m_window.StartRecording();
                   return "Recording asked for.";
               case WebLineCommand::Stop:
                   m_window.StopRecording();
                   return "Stopped.";
               case WebLineCommand::HangUp:
                   m_window.StopCall();
                   return "Hung up.";
               case WebLineCommand::ScreeningOn:
               case WebLineCommand::ScreeningOff:
                   return m_window.PauseScreening(command == WebLineCommand::ScreeningOff).sText;
               }
               return {};
           })
        .value_or(kNoAnswer);
}

std::string CWebService::BlockCaller(const std::string& sNumber) {
    return OnWindowThread<std::string>([this, sNumber] {
               return m_window.PutOnList(sNumber, ContactList::Block).sText;
           })
        .value_or(kNoAnswer);
}

WebContacts CWebService::Contacts(const std::string& sSearch) {
    constexpr int kMost = 1000;
    ContactsFile file;
    WebContacts found;
    if (file.bOpen) {
        found.contacts = file.store.FindContacts(sSearch, kMost);
        found.rules = file.store.PrefixRules();
    }
    found.sError = file.store.Error();
    return found;
}

std::string CWebService::SaveContact(const Contact& edited) {
    ContactsFile file;
    if (!file.bOpen)
        return file.store.Error();
    Contact contact = Tidied(edited);
    const std::vector<std::string> problems = CheckContact(contact, file.numbers);
    if (!problems.empty())
        return "The contact was not saved: " + Joined(problems);
    if (contact.nId == 0)
        return file.store.AddContact(contact) ? "Contact added."
                                              : "The contact was not added: " + file.store.Error();
    const std::optional<Contact> stored = file.store.GetContact(contact.nId);
    if (!stored)
        return "No such contact.";
    contact.sGreeting = stored->sGreeting;
    for (ContactNumber& number : contact.numbers)
        for (const ContactNumber& was : stored->numbers)
            if (was.sNumber == number.sNumber)
                number.sType = was.sType;
    return file.store.UpdateContact(contact) ? "Contact saved."
                                             : "The contact was not saved: " + file.store.Error();
}

std::string CWebService::DeleteContact(int64_t nId) {
    ContactsFile file;
    if (!file.bOpen)
        return file.store.Error();
    return file.store.DeleteContact(nId) ? "Contact deleted."
                                         : "The contact was not deleted: " + file.store.Error();
}

std::string CWebService::SetPrefixRule(const std::string& sPrefix, ContactList list) {
    ContactsFile file;
    if (!file.bOpen)
        return file.store.Error();
    const bool bDone = list == ContactList::None ? file.store.DeletePrefixRule(sPrefix)
                                                 : file.store.AddPrefixRule(sPrefix, list);
    if (!bDone)
        return "The number range was not changed: " + file.store.Error();
    return list == ContactList::None ? "Number range " + sPrefix + " taken off."
                                     : "Number range " + sPrefix + " put on the " +
                                           ListWord(list) + " list.";
}

CCallLog& CWebService::CallLog() {
    return m_window.Worker()->CallLog();
}

CCallEventPublisher* CWebService::CallEvents() {
    IAppWorker* pWorker = m_window.Worker();
    return pWorker ? pWorker->CallEvents() : nullptr;
}

std::string CWebService::CallFolderRoot() {
    return GetDataFolder() + "Recorded Calls/";
}
