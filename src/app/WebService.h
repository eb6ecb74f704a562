// The web page as the service serves it, when [Web] bEnable is on: the
// settings and the certificate read (or made) at the start, and what the
// page asks of the program answered here. The line's commands and state go
// through the window's external-control calls on the window's own thread,
// exactly as the control socket's commands do: the page's threads hand
// them over through a descriptor the window's loop watches.
#pragma once

#include "app/CallsViewLogic.h"
#include "web/WebHost.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class CBasicWindow;
class CWebSite;

class CWebService : public IWebHost {
public:
    using LineSink = std::function<void(const std::string&)>;
    // tell: one line for the user (the service's log) for each start and failure.
    CWebService(CBasicWindow& window, LineSink tell);
    ~CWebService() override;
    CWebService(const CWebService&) = delete;
    CWebService& operator=(const CWebService&) = delete;

    // Starts the page (again, after a Stop) when the settings switch it on;
    // false (and told once) when it should run and cannot.
    bool Start();
    void Stop();
    // Why the page did not start at the last Start ("" it did, or is off).
    const std::string& LastProblem() const { return m_sProblem; }

    // IWebHost, on the page's threads.
    WebLineState LineState() override;
    std::vector<WebHistoryRow> History(HistoryFilter filter, int nOffset, int nLimit) override;
    std::string LineCommand(WebLineCommand command) override;
    std::string BlockCaller(const std::string& sNumber) override;
    WebContacts Contacts(const std::string& sSearch) override;
    std::string SaveContact(const Contact& contact) override;
    std::string DeleteContact(int64_t nId) override;
    std::string SetPrefixRule(const std::string& sPrefix, ContactList list) override;
    CCallLog& CallLog() override;
    std::string MarkHeard(const std::string& sPath) override;
    std::set<std::string> UnheardRecordings() override;
    std::string CallFolderRoot() override;
    CCallEventPublisher* CallEvents() override;

private:
    // Runs job on the window's thread and gives its result; nothing when
    // the window did not take it in time (it is then dropped or runs later,
    // so job holds only copies and this object).
    template <class T>
    std::optional<T> OnWindowThread(std::function<T()> job);
    void RunQueued();
    bool Failed(const std::string& why); // told and kept; false

    CBasicWindow& m_window;
    LineSink m_tell;
    std::string m_sProblem;
    std::unique_ptr<CWebSite> m_pSite;
    int m_wakeFd = -1;
    std::mutex m_queueMutex;
    std::deque<std::function<void()>> m_queue;
    bool m_bStopping = false; // under m_queueMutex
    std::mutex m_historyMutex;
    CCallsSource m_history;
};
