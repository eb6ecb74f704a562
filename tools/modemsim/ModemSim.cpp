#include "ModemSim.h"

#include "ByteLog.h"
#include "ModemCore.h"
#include "Pty.h"

#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace modemsim {

class ModemSim::Impl {
public:
    explicit Impl(ModemSimOptions options) : m_options(std::move(options)) {}
    ~Impl() { Stop(); }

    bool Start(std::string* error);
    void Stop();
    void Run();
    void Wake();
    void FlushOutput();
    void CloseLine();
    template <class F>
    auto With(F f) {
        std::lock_guard lock(m_mutex);
        auto r = f(*m_core);
        Wake();
        return r;
    }
    template <class Pred>
    bool WaitFor(int timeoutMs, Pred pred) {
        std::unique_lock lock(m_mutex);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        return m_changed.wait_until(lock, deadline, [&] { return pred(*m_core); });
    }

    ModemSimOptions m_options;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::unique_ptr<ModemCore> m_core;
    PtyPair m_pty;
    int m_wake = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    bool m_lineClosed = false;
    ByteLog m_log;
    size_t m_commandCursor = 0;
    int m_receiveEndsTaken = 0;
    int m_transmitEndsTaken = 0;
    bool m_linked = false;
};

bool ModemSim::Impl::Start(std::string* error) {
    const Personality* p = FindPersonality(m_options.personality);
    if (!p) {
        if (error)
            *error = "unknown personality \"" + m_options.personality + "\"";
        return false;
    }
    if (m_thread.joinable()) {
        if (error)
            *error = "already started";
        return false;
    }
    if (!OpenPty(m_pty, error))
        return false;
    m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wake < 0) {
        if (error)
            *error = "eventfd failed";
        ClosePty(m_pty);
        return false;
    }
    if (!m_options.logFile.empty() && !m_log.Open(m_options.logFile)) {
        if (error)
            *error = "cannot open log " + m_options.logFile;
        Stop();
        return false;
    }
    if (!m_options.linkPath.empty()) {
        struct stat st {};
        // Only an old link is replaced, never a file someone else put there.
        if (::lstat(m_options.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(m_options.linkPath.c_str());
        if (::symlink(m_pty.slavePath.c_str(), m_options.linkPath.c_str()) != 0) {
            if (error)
                *error = "cannot create link " + m_options.linkPath;
            Stop();
            return false;
        }
        m_linked = true;
    }
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void ModemSim::Impl::Stop() {
    m_stop = true;
    if (m_thread.joinable()) {
        Wake();
        m_thread.join();
    }
    ClosePty(m_pty);
    if (m_wake >= 0)
        ::close(m_wake);
    m_wake = -1;
    if (m_linked)
        ::unlink(m_options.linkPath.c_str());
    m_linked = false;
}

void ModemSim::Impl::Wake() {
    if (m_wake >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wake, &one, sizeof one);
    }
}

void ModemSim::Impl::CloseLine() {
    // The modem vanishes: the host sees the port hang up (EIO, POLLHUP).
    ClosePty(m_pty);
    m_lineClosed = true;
}

// Writes what the pty takes now; the rest waits for POLLOUT.
void ModemSim::Impl::FlushOutput() {
    std::string& out = m_core->Output();
    while (!out.empty() && m_pty.master >= 0) {
        ssize_t n = ::write(m_pty.master, out.data(), out.size());
        if (n <= 0)
            return;
        m_log.Write("modem>", out.data(), static_cast<size_t>(n));
        out.erase(0, static_cast<size_t>(n));
    }
}

void ModemSim::Impl::Run() {
    char buf[4096];
    while (!m_stop) {
        int timeout = -1;
        bool wantOut = false;
        {
            std::lock_guard lock(m_mutex);
            if (!m_lineClosed) {
                m_core->Tick(GetTickCount());
                if (m_core->Vanished())
                    CloseLine();
                else
                    FlushOutput();
            }
            if (!m_lineClosed) {
                timeout = m_core->NextTickIn(GetTickCount());
                wantOut = !m_core->Output().empty();
            }
            m_changed.notify_all();
        }
        pollfd fds[2] = {{m_wake, POLLIN, 0},
                         {m_pty.master, static_cast<short>(POLLIN | (wantOut ? POLLOUT : 0)), 0}};
        int nfds = m_lineClosed ? 1 : 2;
        if (::poll(fds, static_cast<nfds_t>(nfds), timeout) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            uint64_t v;
            [[maybe_unused]] ssize_t n = ::read(m_wake, &v, sizeof v);
        }
        if (nfds == 2 && (fds[1].revents & (POLLERR | POLLNVAL | POLLHUP)) &&
            !(fds[1].revents & POLLIN)) {
            // The pty itself failed (the slave is kept open, so this is not a
            // host closing its port): behave like a modem that went away
            // rather than spin on the error.
            std::lock_guard lock(m_mutex);
            m_core->Vanish();
            CloseLine();
            m_changed.notify_all();
            continue;
        }
        if (nfds == 2 && (fds[1].revents & POLLIN)) {
            ssize_t n = ::read(m_pty.master, buf, sizeof buf);
            if (n > 0) {
                std::lock_guard lock(m_mutex);
                m_log.Write("host> ", buf, static_cast<size_t>(n));
                m_core->Feed(buf, static_cast<size_t>(n), GetTickCount());
            }
        }
    }
}

// ---- ModemSim --------------------------------------------------------------

ModemSim::ModemSim(ModemSimOptions options) : m_impl(std::make_unique<Impl>(std::move(options))) {
    const Personality* p = FindPersonality(m_impl->m_options.personality);
    // Setters work before Start(); an unknown personality fails in Start().
    m_impl->m_core =
        std::make_unique<ModemCore>(p ? *p : *FindPersonality("v253"), m_impl->m_options.voicePace);
}

ModemSim::~ModemSim() {
    Stop();
}

bool ModemSim::Start(std::string* error) {
    return m_impl->Start(error);
}

void ModemSim::Stop() {
    m_impl->Stop();
}

std::string ModemSim::SlavePath() const {
    return m_impl->m_pty.slavePath;
}

void ModemSim::Ring(int count, RingCadence cadence, const std::string& word) {
    m_impl->With([&](ModemCore& c) {
        c.Ring(count, cadence, GetTickCount(), word);
        return 0;
    });
}

void ModemSim::SetCallerId(const CallerId& id, CallerIdForm form) {
    m_impl->With([&](ModemCore& c) {
        c.SetCallerId(id, form);
        return 0;
    });
}

void ModemSim::SetDialResult(const std::string& word, int delayMs) {
    m_impl->With([&](ModemCore& c) {
        c.SetDialResult(word, delayMs);
        return 0;
    });
}

void ModemSim::SetVoiceSource(const SignalSource& source) {
    m_impl->With([&](ModemCore& c) {
        c.SetVoiceSource(source);
        return 0;
    });
}

void ModemSim::SetVoiceFormat(const VoiceFormat& format) {
    m_impl->With([&](ModemCore& c) {
        c.SetVoiceFormat(format);
        return 0;
    });
}

VoiceFormat ModemSim::CurrentVoiceFormat() const {
    return m_impl->With([](ModemCore& c) { return c.CurrentVoiceFormat(); });
}

void ModemSim::InjectEvent(char code, int atMs) {
    m_impl->With([&](ModemCore& c) {
        c.InjectEvent(code, atMs);
        return 0;
    });
}

void ModemSim::SendEventNow(char code) {
    m_impl->With([&](ModemCore& c) {
        c.SendEventNow(code);
        return 0;
    });
}

void ModemSim::SendRaw(const std::string& bytes) {
    m_impl->With([&](ModemCore& c) {
        c.SendRaw(bytes);
        return 0;
    });
}

void ModemSim::FarEndHangsUp(int atMs, char code) {
    InjectEvent(code, atMs);
}

void ModemSim::Vanish() {
    m_impl->With([](ModemCore& c) {
        c.Vanish();
        return 0;
    });
    // Return only when the line is really gone, so a test can go on at once.
    m_impl->WaitFor(
        10000, [this](ModemCore&) { return m_impl->m_lineClosed || !m_impl->m_thread.joinable(); });
}

void ModemSim::VanishOnCommand(const std::string& text) {
    m_impl->With([&](ModemCore& c) {
        c.VanishOnCommand(text);
        return 0;
    });
}

void ModemSim::VanishInVoiceStream(int atMs) {
    m_impl->With([&](ModemCore& c) {
        c.VanishInVoiceStream(atMs);
        return 0;
    });
}

bool ModemSim::HasVanished() const {
    return m_impl->With([](ModemCore& c) { return c.Vanished(); });
}

void ModemSim::SetMisbehaviour(Misbehaviour mode) {
    m_impl->With([&](ModemCore& c) {
        c.SetMisbehaviour(mode);
        return 0;
    });
}

void ModemSim::SetReplyDelay(int delayMs) {
    m_impl->With([&](ModemCore& c) {
        c.SetReplyDelay(delayMs);
        return 0;
    });
}

std::vector<std::string> ModemSim::ReceivedLines() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().lines; });
}

std::vector<std::string> ModemSim::ReceivedCommands() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().commands; });
}

bool ModemSim::WaitForCommand(std::string_view text, int timeoutMs) {
    std::string wanted = ToUpperAscii(text);
    size_t& cursor = m_impl->m_commandCursor;
    return m_impl->WaitFor(timeoutMs, [&](ModemCore& c) {
        // The cursor counts every command ever received; the oldest may be gone.
        const Observed& seen = c.Seen();
        cursor = std::max(cursor, seen.commandsDropped);
        for (; cursor < seen.commandsDropped + seen.commands.size(); ++cursor) {
            if (seen.commands[cursor - seen.commandsDropped].find(wanted) != std::string::npos) {
                ++cursor;
                return true;
            }
        }
        return false;
    });
}

std::string ModemSim::LastStopSequence() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().lastStopSequence; });
}

bool ModemSim::WaitForReceiveEnd(int timeoutMs) {
    int& taken = m_impl->m_receiveEndsTaken;
    return m_impl->WaitFor(timeoutMs, [&](ModemCore& c) {
        if (c.Seen().receivesEnded > taken) {
            ++taken;
            return true;
        }
        return c.Vanished();
    });
}

bool ModemSim::WaitForTransmitEnd(int timeoutMs) {
    int& taken = m_impl->m_transmitEndsTaken;
    return m_impl->WaitFor(timeoutMs, [&](ModemCore& c) {
        if (c.Seen().transmitsEnded > taken) {
            ++taken;
            return true;
        }
        return c.Vanished();
    });
}

std::optional<std::vector<int16_t>> ModemSim::NextTransmit(int timeoutMs) {
    int& taken = m_impl->m_transmitEndsTaken;
    std::optional<std::vector<int16_t>> sound;
    m_impl->WaitFor(timeoutMs, [&](ModemCore& c) {
        const Observed& seen = c.Seen();
        if (seen.transmitsEnded <= taken)
            return c.Vanished();
        const size_t first = static_cast<size_t>(seen.transmitsEnded) - seen.transmits.size();
        const size_t index = static_cast<size_t>(taken++);
        sound = index >= first ? seen.transmits[index - first] : std::vector<int16_t>();
        return true;
    });
    return sound;
}

std::vector<int16_t> ModemSim::TransmittedSamples() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().transmitted; });
}

int ModemSim::TransmittedSampleRate() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().transmittedRate; });
}

void ModemSim::ClearTransmitted() {
    m_impl->With([](ModemCore& c) {
        c.Seen().transmitted.clear();
        c.Seen().transmitStart = 0;
        return 0;
    });
}

std::vector<std::string> ModemSim::DialledNumbers() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().dialled; });
}

bool ModemSim::IsOffHook() const {
    return m_impl->With([](ModemCore& c) { return c.IsOffHook(); });
}

void ModemSim::RefuseMessages(int code, int count) {
    m_impl->With([&](ModemCore& c) {
        c.RefuseMessages(code, count);
        return 0;
    });
}

std::vector<SentMessage> ModemSim::SentMessages() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().messages; });
}

int ModemSim::RefusedMessages() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().messagesRefused; });
}

int ModemSim::CancelledMessages() const {
    return m_impl->With([](ModemCore& c) { return c.Seen().messagesCancelled; });
}

} // namespace modemsim
