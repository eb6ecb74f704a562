// The far end of a test call: a SIP phone of its own (a liblinphone core on
// 127.0.0.1, any free port) that calls with a chosen From and extra
// headers, plays one sound file, records what it hears, and hangs up.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace linphone {
class Core;
class Call;
} // namespace linphone

class CFarEnd {
public:
    // sFolder: a folder of its own for the stack's state.
    CFarEnd(const std::string& sFolder, const std::string& sPlayFile,
            const std::string& sRecordFile);
    ~CFarEnd();

    // Calls sTo with the From "sFrom" and the extra headers; false when the
    // call could not be started.
    bool Call(const std::string& sTo, const std::string& sFrom,
              const std::map<std::string, std::string>& headers = {});
    // Waits (at most 30 s) until the call is connected with sound flowing.
    bool WaitConnected();
    // Waits (at most 30 s) until the call has ended.
    bool WaitEnded();
    void HangUp();
    // Sends touch-tone keys (RFC 4733).
    void SendKeys(const std::string& sKeys);
    int Port() const { return m_nPort; }

private:
    class Listener;
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::shared_ptr<linphone::Core> m_core;
    std::shared_ptr<linphone::Call> m_call;
    std::shared_ptr<Listener> m_listener;
    bool m_bConnected = false;
    bool m_bEnded = false;
    int m_nPort = 0;
    std::atomic<bool> m_bQuit{false};
    std::thread m_thread;
};
