// How long an incoming SIP call takes from its INVITE to the caller ID at
// the call engine (through the SIP provider and the telephony line classes),
// as a ratio to one SIP OPTIONS round trip to the same stack in the same run.
#include "sip/SipProvider.h"
#include "tapi/MyLine.h"

#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>

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

std::string Request(const std::string& method, int port, int localPort, int n) {
    const std::string sdp = "v=0\r\no=b 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\n"
                            "t=0 0\r\nm=audio 9 RTP/AVP 0\r\na=rtpmap:0 PCMU/8000\r\n";
    const bool bInvite = method == "INVITE";
    const std::string id = std::to_string(n);
    return method + " sip:vorella@127.0.0.1:" + std::to_string(port) + " SIP/2.0\r\n" +
           "Via: SIP/2.0/UDP 127.0.0.1:" + std::to_string(localPort) + ";branch=z9hG4bK-b" + id +
           "\r\nMax-Forwards: 70\r\nFrom: \"Bench " + id + "\" <sip:4930" + id +
           "@127.0.0.1>;tag=t" + id + "\r\nTo: <sip:vorella@127.0.0.1>\r\nCall-ID: bench-" + method +
           id + "@127.0.0.1\r\nCSeq: 1 " + method + "\r\nContact: <sip:b@127.0.0.1:" +
           std::to_string(localPort) + ">\r\n" +
           (bInvite ? "Content-Type: application/sdp\r\nContent-Length: " +
                          std::to_string(sdp.size()) + "\r\n\r\n" + sdp
                    : std::string("Content-Length: 0\r\n\r\n"));
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
BENCHMARK(BM_SipInviteToCallerShown)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
