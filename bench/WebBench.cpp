// The web page's server on a 100,000-call folder, each measure against a
// reference taken in the same run:
// - the list page's first page and one deep in the folder, served (the
//   server's own time, no socket), against reading the folder's index alone;
//   goal 50 ms; and the first request after the index changed, which makes
//   the folder's kept list (its rows and their search texts) again;
// - a search keystroke's request over a real socket, against the same index
//   reading; goal 50 ms;
// - the player's Range request for a recording the folder lists, served
//   with its first piece read, against the same index reading; goal 5 ms;
// - a ringing caller published until its frame is readable on an open live
//   update stream, against one plain request's round trip; goal 100 ms;
// - the server's resident memory before and after 50 open streams.
#include "BenchFolder.h"
#include "BenchIndex.h"
#include "HttpClient.h"

#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "engine/CallEvents.h"
#include "web/WebHost.h"
#include "web/WebPages.h"
#include "web/WebSite.h"

#include <benchmark/benchmark.h>
#include <sodium.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCalls = 100'000;
constexpr int kStreams = 50;
constexpr const char* kPassword = "bench";
constexpr const char* kRecording = "rec2026-50000, 10_00_00.wav";

double Since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

class BenchHost : public IWebHost {
public:
    explicit BenchHost(std::string root) : m_root(std::move(root)) {}
    WebLineState LineState() override { return {}; }
    std::vector<WebHistoryRow> History(HistoryFilter, int, int) override { return {}; }
    std::string LineCommand(WebLineCommand) override { return {}; }
    std::string BlockCaller(const std::string&) override { return {}; }
    WebContacts Contacts(const std::string&) override { return {}; }
    std::string SaveContact(const Contact&) override { return {}; }
    std::string DeleteContact(int64_t) override { return {}; }
    std::string SetPrefixRule(const std::string&, ContactList) override { return {}; }
    std::string MarkHeard(const std::string&) override { return {}; }
    std::set<std::string> UnheardRecordings() override { return {}; }
    CCallLog& CallLog() override { return m_log; }
    std::string CallFolderRoot() override { return m_root; }
    CCallEventPublisher* CallEvents() override { return &events; }
    CCallEventPublisher events;

private:
    std::string m_root;
    CCallLog m_log;
};

// The server on a free port with a session logged in.
struct Server {
    Server() : host(folder) {
        WriteBenchIndex(folder + "index.dat", kCalls);
        // A short recording of a call in the middle of the list.
        CWaveFile wav;
        const std::vector<int16_t> silence(8000);
        if (wav.Create(folder + kRecording, WaveFormat{}) != 1 ||
            !wav.WriteSamples(silence.data(), silence.size()) || !wav.CloseWrite())
            std::abort();
        char hash[crypto_pwhash_STRBYTES];
        if (sodium_init() < 0 ||
            crypto_pwhash_str(hash, kPassword, std::strlen(kPassword), crypto_pwhash_OPSLIMIT_MIN,
                              crypto_pwhash_MEMLIMIT_MIN) != 0)
            std::abort();
        WebSiteOptions options;
        options.passwordHash = [stored = std::string(hash)] { return stored; };
        site = std::make_unique<CWebSite>(options);
        AddWebPages(site->Router(), host);
        HttpServerOptions server;
        server.nPort = 0;
        std::string error;
        if (!site->Start(server, &error))
            std::abort();
        port = site->Port();
        const HttpReply login =
            HttpRequestTo(port, "POST", "/login", "", std::string("password=") + kPassword);
        const std::string setCookie = login.Header("set-cookie");
        cookie = setCookie.substr(0, setCookie.find(';'));
        if (login.nStatus != 303 || cookie.empty())
            std::abort();
    }
    ~Server() {
        site->Stop();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    // A request as the server hands it to the site, with this session.
    HttpRequest Request(const std::string& path, std::map<std::string, std::string> query) const {
        HttpRequest r;
        r.sMethod = "GET";
        r.sPath = path;
        r.query = std::move(query);
        r.headers = {{"host", "127.0.0.1"}, {"cookie", cookie}};
        r.cookies = {{CWebSite::kSessionCookie, cookie.substr(cookie.find('=') + 1)}};
        r.sClient = "127.0.0.1";
        return r;
    }
    // From its own loopback address, as if each were another browser.
    int OpenStream(int n) const {
        const std::string source = "127.0.1." + std::to_string(1 + n);
        const int fd = HttpSend(
            port, "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + cookie + "\r\n\r\n",
            source.c_str());
        if (fd < 0 || HttpReadUntil(fd, "\r\n\r\n").find("text/event-stream") == std::string::npos)
            std::abort();
        return fd;
    }

    std::string folder = MakeBenchFolder();
    BenchHost host;
    std::unique_ptr<CWebSite> site;
    uint16_t port = 0;
    std::string cookie;
};

Server& TheServer() {
    static Server s;
    return s;
}

// Best of five readings of the folder's index, in seconds.
double IndexReference() {
    static const double ref = BestIndexReading(TheServer().folder + "index.dat");
    return ref;
}

void BM_WebListPage(benchmark::State& state) {
    Server& s = TheServer();
    const HttpRequest request = s.Request("/calls", {{"page", std::to_string(state.range(0))}});
    // The first request after the index changed reads the whole index; the
    // pages after it only their slice.
    static const double first = [&] {
        const auto t0 = Clock::now();
        s.site->Handle(request);
        return Since(t0);
    }();
    state.counters["first_vs_index"] = first / IndexReference();
    int status = 0;
    TimedAgainst(state, IndexReference(), "vs_index", 0.05,
                 [&] { status = s.site->Handle(request).nStatus; });
    if (status != 200)
        state.SkipWithError("the page was not served");
}
// The first page, and one deep in the folder.
BENCHMARK(BM_WebListPage)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WebSearchKeystroke(benchmark::State& state) {
    Server& s = TheServer();
    // What a user types, one character more at each request.
    const std::string typed = "caller number 4242";
    size_t n = 0;
    int status = 0;
    TimedAgainst(state, IndexReference(), "vs_index", 0.05, [&] {
        const std::string q = typed.substr(0, 8 + n++ % (typed.size() - 7));
        std::string encoded;
        for (char c : q)
            encoded += c == ' ' ? std::string("+") : std::string(1, c);
        status = HttpRequestTo(s.port, "GET", "/calls?folder=&q=" + encoded, s.cookie).nStatus;
    });
    if (status != 200)
        state.SkipWithError("the search was not served");
}
BENCHMARK(BM_WebSearchKeystroke)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WebAudioRange(benchmark::State& state) {
    Server& s = TheServer();
    HttpRequest request = s.Request("/audio", {{"folder", ""}, {"file", kRecording}});
    request.headers["range"] = "bytes=0-";
    std::vector<char> piece(64 * 1024);
    int status = 0;
    TimedAgainst(state, IndexReference(), "vs_index", 0.005, [&] {
        const HttpResponse response = s.site->Handle(request);
        status = response.nStatus;
        if (response.pBody)
            benchmark::DoNotOptimize(response.pBody->Read(0, piece.data(), piece.size()));
    });
    if (status != 206)
        state.SkipWithError("the recording was not served");
}
BENCHMARK(BM_WebAudioRange)->Unit(benchmark::kMillisecond)->UseRealTime();

// Mean seconds of one plain request (the login page) and its answer.
double PlainRoundTrip(const Server& s, int rounds) {
    const auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i)
        if (HttpRequestTo(s.port, "GET", "/login").nStatus != 200)
            std::abort();
    return Since(t0) / rounds;
}

void BM_WebRingToCallerShown(benchmark::State& state) {
    Server& s = TheServer();
    const double reference = PlainRoundTrip(s, 100);
    const int stream = s.OpenStream(0);
    int nRing = 0;
    bool bShown = true;
    TimedAgainst(state, reference, "x_round_trip", 0.1, [&] {
        const std::string name = "Caller " + std::to_string(++nRing);
        s.host.events.Publish(CallerIdentified{"5550100", "555-0100", name, "", ""});
        // The name's closing quote: "Caller 1" is not "Caller 10".
        bShown =
            HttpReadUntil(stream, name + "\"").find(name + "\"") != std::string::npos && bShown;
    });
    ::close(stream);
    state.counters["round_trip_us"] = reference * 1e6;
    if (!bShown)
        state.SkipWithError("the caller was not shown");
}
BENCHMARK(BM_WebRingToCallerShown)->Unit(benchmark::kMicrosecond)->UseRealTime();

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmRSS:"))
            return std::atol(line.c_str() + 6);
    return 0;
}

void BM_WebMemoryWithOpenStreams(benchmark::State& state) {
    Server& s = TheServer();
    for (auto _ : state) {
        const long before = ResidentKiB();
        std::vector<int> streams;
        for (int i = 0; i < kStreams; ++i)
            streams.push_back(s.OpenStream(i));
        s.host.events.Publish(CallerIdentified{"5550100", "555-0100", "Everyone", "", ""});
        for (int fd : streams)
            HttpReadUntil(fd, "Everyone");
        const long after = ResidentKiB();
        for (int fd : streams)
            ::close(fd);
        state.counters["rss_before_kib"] = static_cast<double>(before);
        state.counters["rss_after_kib"] = static_cast<double>(after);
        state.counters["kib_per_stream"] = static_cast<double>(after - before) / kStreams;
    }
}
BENCHMARK(BM_WebMemoryWithOpenStreams)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
