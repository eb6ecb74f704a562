// The SIP line's costs, each against a reference measured in the same run:
// - an incoming call's INVITE to its caller ID at the call engine (through
//   the SIP provider and the telephony line classes), as a ratio to one SIP
//   OPTIONS round trip to the same stack;
// - the CPU an idle line registered with a registrar takes, and the CPU of
//   a call whose sound is being recorded (silence detection, GSM storage),
//   as CPU seconds per wall second (getrusage over ten seconds, less what
//   the bench's own far end and registrar threads took), beside a thread
//   that only wakes every 10 ms as the media streamer's clock does. The
//   call is measured with the line signals heard in its sound (fax calling
//   tone, busy and dial tone: line_signals:1) and without (line_signals:0).
#include "audio/G711.h"
#include "audio/RecThread.h"
#include "sip/SipProvider.h"
#include "tapi/MyLine.h"

#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class Messages {
public:
    TapiEngineLink Link() {
        TapiEngineLink link;
        link.post = [this](int m, uintptr_t, intptr_t) {
            std::lock_guard lock(m_mutex);
            ++m_counts[m];
            m_cv.notify_all();
        };
        link.handlingCall = [] { return true; };
        link.placingCall = [] { return false; };
        return link;
    }
    int Count(int m) {
        std::lock_guard lock(m_mutex);
        return m_counts[m];
    }
    bool WaitFor(int m, int n) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(10), [&] { return m_counts[m] >= n; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::map<int, int> m_counts;
};

// A request from 127.0.0.1:localPort; an INVITE offers PCMU on rtpPort.
std::string Request(const std::string& method, int port, int localPort, int n, int rtpPort = 9) {
    const std::string sdp = "v=0\r\no=b 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\n"
                            "t=0 0\r\nm=audio " +
                            std::to_string(rtpPort) + " RTP/AVP 0\r\na=rtpmap:0 PCMU/8000\r\n";
    const bool bInvite = method == "INVITE";
    const std::string id = std::to_string(n);
    return method + " sip:vorella@127.0.0.1:" + std::to_string(port) + " SIP/2.0\r\n" +
           "Via: SIP/2.0/UDP 127.0.0.1:" + std::to_string(localPort) + ";branch=z9hG4bK-b" + id +
           "\r\nMax-Forwards: 70\r\nFrom: \"Bench " + id + "\" <sip:4930" + id +
           "@127.0.0.1>;tag=t" + id + "\r\nTo: <sip:vorella@127.0.0.1>\r\nCall-ID: bench-" +
           method + id + "@127.0.0.1\r\nCSeq: 1 " + method +
           "\r\nContact: <sip:b@127.0.0.1:" + std::to_string(localPort) + ">\r\n" +
           (bInvite ? "Content-Type: application/sdp\r\nContent-Length: " +
                          std::to_string(sdp.size()) + "\r\n\r\n" + sdp
                    : std::string("Content-Length: 0\r\n\r\n"));
}

// A UDP socket on 127.0.0.1, any free port.
class CUdpPeer {
public:
    CUdpPeer() : m_fd(::socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof local;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &len);
        m_nPort = ntohs(local.sin_port);
    }
    ~CUdpPeer() { ::close(m_fd); }
    CUdpPeer(const CUdpPeer&) = delete;
    CUdpPeer& operator=(const CUdpPeer&) = delete;

    int Port() const { return m_nPort; }
    void SendTo(int port, const void* data, size_t size) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(m_fd, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    void SendTo(int port, const std::string& m) const { SendTo(port, m.data(), m.size()); }
    // One datagram (and the port it came from), or "" after timeoutMs.
    std::string Receive(int timeoutMs, int* pFromPort = nullptr) const {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return {};
        char buf[65536];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n =
            ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (pFromPort)
            *pFromPort = ntohs(from.sin_port);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }

private:
    int m_fd;
    int m_nPort = 0;
};

// A header's value in a SIP message ("" when it has none).
std::string Header(const std::string& msg, const std::string& name) {
    const size_t at = msg.find("\r\n" + name + ":");
    if (at == std::string::npos)
        return {};
    size_t from = at + 2 + name.size() + 1;
    while (from < msg.size() && msg[from] == ' ')
        ++from;
    return msg.substr(from, msg.find("\r\n", from) - from);
}

double CpuSeconds() {
    rusage ru{};
    ::getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds(std::thread& t) {
    clockid_t id{};
    timespec ts{};
    if (::pthread_getcpuclockid(t.native_handle(), &id) != 0 || ::clock_gettime(id, &ts) != 0)
        return 0;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The process's CPU seconds per wall second over `seconds`, without what
// the bench's own threads (its far end, its registrar) took.
double CpuShare(double seconds, const std::vector<std::thread*>& bench = {}) {
    const auto benchCpu = [&] {
        double sum = 0;
        for (std::thread* t : bench)
            sum += ThreadCpuSeconds(*t);
        return sum;
    };
    const auto t0 = Clock::now();
    const double cpu0 = CpuSeconds() - benchCpu();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    return (CpuSeconds() - benchCpu() - cpu0) / wall;
}

// A registrar that answers every REGISTER with 200 OK, on its own thread.
class CTinyRegistrar {
public:
    CTinyRegistrar() : m_thread([this] { Run(); }) {}
    ~CTinyRegistrar() {
        m_bQuit = true;
        m_thread.join();
    }
    int Port() const { return m_peer.Port(); }
    int Registered() const { return m_nRegistered; }
    std::thread& Thread() { return m_thread; }

private:
    void Run() {
        while (!m_bQuit) {
            int from = 0;
            const std::string m = m_peer.Receive(200, &from);
            if (m.rfind("REGISTER ", 0) != 0)
                continue;
            std::string reply = "SIP/2.0 200 OK\r\n";
            for (const char* h : {"Via", "From", "Call-ID", "CSeq"})
                reply += std::string(h) + ": " + Header(m, h) + "\r\n";
            reply += "To: " + Header(m, "To") + ";tag=registrar\r\n";
            reply += "Contact: " + Header(m, "Contact") + ";expires=3600\r\n";
            reply += "Content-Length: 0\r\n\r\n";
            m_peer.SendTo(from, reply);
            ++m_nRegistered;
        }
    }

    CUdpPeer m_peer;
    std::atomic<bool> m_bQuit{false};
    std::atomic<int> m_nRegistered{0};
    std::thread m_thread;
};

// A SIP line on 127.0.0.1 under the telephony line classes.
struct BenchLine {
    explicit BenchLine(const std::string& folder, const std::string& sRegistrar = "",
                       bool bHearLineSignals = true) {
        SipAccount account;
        account.sUser = "vorella";
        account.sBindAddress = "127.0.0.1";
        account.nPort = 0;
        account.sRegistrar = sRegistrar;
        CSipProvider::Options options;
        options.sStateFolder = folder;
        options.bHearLineSignals = bHearLineSignals;
        provider = std::make_unique<CSipProvider>(std::vector<SipAccount>{account}, options);
        tapi = std::make_unique<CMyTapi>(*provider, posted.Link());
        bOpen = tapi->Start() && tapi->OpenLine(0);
    }
    ~BenchLine() {
        tapi.reset();
        provider.reset();
    }

    Messages posted;
    std::unique_ptr<CSipProvider> provider;
    std::unique_ptr<CMyTapi> tapi;
    bool bOpen = false;
};

std::string BenchFolder(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("vorella-sip-bench-" + name + "-" + std::to_string(::getpid()));
}

void BM_SipInviteToCallerShown(benchmark::State& state) {
    const std::string folder = std::filesystem::temp_directory_path() /
                               ("vorella-sip-bench-" + std::to_string(::getpid()));
    SipAccount account;
    account.sUser = "vorella";
    account.sBindAddress = "127.0.0.1";
    account.nPort = 0;
    CSipProvider::Options options;
    options.sStateFolder = folder;
    Messages posted;
    {
        CSipProvider provider({account}, options);
        CMyTapi tapi(provider, posted.Link());
        if (!tapi.Start() || !tapi.OpenLine(0)) {
            state.SkipWithError("the SIP line did not open");
            return;
        }
        const int port = provider.ListeningPort(0);
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof local;
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len);
        const int localPort = ntohs(local.sin_port);
        timeval tv{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const auto send = [&](const std::string& m) {
            ::sendto(fd, m.data(), m.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        };
        const auto drain = [&] {
            char buf[65536];
            while (::recv(fd, buf, sizeof buf, MSG_DONTWAIT) > 0) {
            }
        };

        int n = 0;
        double inviteSeconds = 0, optionsSeconds = 0;
        for (auto _ : state) {
            ++n;
            // The reference: one OPTIONS answered.
            drain();
            char buf[65536];
            auto t0 = Clock::now();
            send(Request("OPTIONS", port, localPort, n));
            const bool bAnswered = ::recv(fd, buf, sizeof buf, 0) > 0;
            const double options = std::chrono::duration<double>(Clock::now() - t0).count();
            // The call: INVITE until the caller ID is posted.
            const int before = posted.Count(kTapiMsgCallerId);
            t0 = Clock::now();
            send(Request("INVITE", port, localPort, n));
            const bool bShown = posted.WaitFor(kTapiMsgCallerId, before + 1);
            const double invite = std::chrono::duration<double>(Clock::now() - t0).count();
            if (!bAnswered || !bShown) {
                state.SkipWithError("no answer from the SIP line");
                break;
            }
            state.SetIterationTime(invite);
            inviteSeconds += invite;
            optionsSeconds += options;
            const int gone = posted.Count(kTapiMsgDeallocated);
            tapi.Line()->Drop();
            posted.WaitFor(kTapiMsgDeallocated, gone + 1);
        }
        if (n > 0 && optionsSeconds > 0) {
            state.counters["options_rtt_us"] = optionsSeconds / n * 1e6;
            state.counters["invite_to_caller_us"] = inviteSeconds / n * 1e6;
            state.counters["ratio_to_options"] = inviteSeconds / optionsSeconds;
        }
        ::close(fd);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SipInviteToCallerShown)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

// The reference for the CPU shares below: a thread that only wakes every
// 10 ms, as the media streamer's clock does during a call. On a virtual
// machine, waking up is most of what a quiet thread costs.
void BM_WakeEvery10MsCpu(benchmark::State& state) {
    std::atomic<bool> bStop{false};
    std::thread ticker([&] {
        auto next = Clock::now();
        while (!bStop) {
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
    });
    constexpr double kSeconds = 10;
    for (auto _ : state) {
        state.counters["cpu_percent"] = CpuShare(kSeconds) * 100;
        state.SetIterationTime(kSeconds);
    }
    bStop = true;
    ticker.join();
}
BENCHMARK(BM_WakeEvery10MsCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// An idle line, registered with a registrar: what it costs to keep.
void BM_SipIdleRegisteredLineCpu(benchmark::State& state) {
    const std::string folder = BenchFolder("idle");
    {
        CTinyRegistrar registrar;
        BenchLine line(folder, "127.0.0.1:" + std::to_string(registrar.Port()));
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (line.bOpen && registrar.Registered() == 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!line.bOpen || registrar.Registered() == 0) {
            state.SkipWithError("the SIP line did not register");
            return;
        }
        CpuShare(1.0); // the registration settles
        constexpr double kSeconds = 10;
        for (auto _ : state) {
            state.counters["cpu_percent"] = CpuShare(kSeconds, {&registrar.Thread()}) * 100;
            state.SetIterationTime(kSeconds);
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SipIdleRegisteredLineCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// Sends PCMU packets of a 600 Hz tone every 20 ms to port until stopped.
void SpeakRtp(const CUdpPeer& peer, int port, const std::atomic<bool>& bStop) {
    uint8_t packet[12 + 160] = {0x80, 0};
    uint16_t seq = 0;
    uint32_t ts = 0;
    auto next = Clock::now();
    while (!bStop) {
        packet[2] = static_cast<uint8_t>(seq >> 8);
        packet[3] = static_cast<uint8_t>(seq);
        for (int i = 0; i < 4; ++i)
            packet[4 + i] = static_cast<uint8_t>(ts >> (24 - 8 * i));
        packet[8] = 0x12; // the SSRC
        for (size_t i = 0; i < 160; ++i)
            packet[12 + i] = LinearToUlaw(static_cast<int16_t>(
                8000 * std::sin(2 * 3.14159265358979 * 600 * static_cast<double>(ts + i) / 8000)));
        peer.SendTo(port, packet, sizeof packet);
        ++seq;
        ts += 160;
        next += std::chrono::milliseconds(20);
        std::this_thread::sleep_until(next);
    }
}

// A call answered on the line, the caller speaking, its sound recorded as
// the engine records a call (silence detection, GSM 6.10 in the file).
void BM_SipRecordedCallCpu(benchmark::State& state) {
    const std::string folder = BenchFolder("call");
    {
        BenchLine line(folder, "", state.range(0) != 0);
        if (!line.bOpen) {
            state.SkipWithError("the SIP line did not open");
            return;
        }
        const int port = line.provider->ListeningPort(0);
        CUdpPeer sip, rtp;
        const std::string invite = Request("INVITE", port, sip.Port(), 1, rtp.Port());
        sip.SendTo(port, invite);
        if (!line.posted.WaitFor(kTapiMsgNewCall, 1)) {
            state.SkipWithError("no call offered");
            return;
        }
        line.tapi->Line()->Answer();
        std::string ok;
        for (int n = 0; n < 20 && ok.rfind("SIP/2.0 200", 0) != 0; ++n)
            ok = sip.Receive(500);
        const size_t media = ok.find("m=audio ");
        if (media == std::string::npos) {
            state.SkipWithError("the call was not answered");
            return;
        }
        const int rtpPort = std::atoi(ok.c_str() + media + 8);
        std::string contact = Header(ok, "Contact");
        contact = contact.substr(contact.find('<') + 1);
        contact = contact.substr(0, contact.find('>'));
        sip.SendTo(port, "ACK " + contact + " SIP/2.0\r\nVia: SIP/2.0/UDP 127.0.0.1:" +
                             std::to_string(sip.Port()) + ";branch=z9hG4bK-ack1\r\n" +
                             "Max-Forwards: 70\r\nFrom: " + Header(invite, "From") + "\r\nTo: " +
                             Header(ok, "To") + "\r\nCall-ID: " + Header(invite, "Call-ID") +
                             "\r\nCSeq: 1 ACK\r\nContent-Length: 0\r\n\r\n");
        std::atomic<bool> bStop{false};
        std::thread speaker([&] { SpeakRtp(rtp, rtpPort, bStop); });
        // The line's packets are left unread: a far end on another machine
        // costs this one no wake-up for them.
        CRecThread rec;
        CRecThread::Setup setup;
        setup.nDeviceId = static_cast<int>(line.tapi->Line()->WaveInID());
        setup.pBackend = line.provider->SoundBackend();
        setup.nSampleRate = 8000;
        setup.sFile = folder + "/call.wav";
        setup.options.bSilenceDetection = true;
        setup.options.bCompressStorage = true;
        rec.Start(setup);
        constexpr double kSeconds = 10;
        for (auto _ : state) {
            state.counters["cpu_percent"] = CpuShare(kSeconds, {&speaker}) * 100;
            state.SetIterationTime(kSeconds);
        }
        rec.Stop();
        bStop = true;
        speaker.join();
        state.counters["recorded_s"] = static_cast<double>(rec.SamplesWritten()) / 8000;
        if (rec.SamplesWritten() < 8000 * (kSeconds - 2))
            state.SkipWithError("the call's sound was not recorded");
        line.tapi->Line()->Drop();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SipRecordedCallCpu)
    ->ArgName("line_signals")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
