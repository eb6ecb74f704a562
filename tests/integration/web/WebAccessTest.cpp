// Only a logged-in user changes anything: the web page's server on a free
// port, driven by a plain HTTP client that sends what a browser would not.
#include "HttpClient.h"
#include "TempHome.h"

#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "calllog/DataStructure.h"
#include "engine/CallEvents.h"
#include "web/WebHost.h"
#include "web/WebPages.h"
#include "web/WebSite.h"

#include <gtest/gtest.h>
#include <sodium.h>
#include <unistd.h>

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <future>
#include <mutex>
#include <numeric>
#include <regex>

namespace {

constexpr const char* kPassword = "correct horse";
constexpr const char* kHostileName = "<script>alert(1)</script>";
constexpr const char* kHostileMemo = "\"><img src=x onerror=alert(2)>&";

// The program behind the page: the call log on a real call folder, and the
// line's commands only counted.
class CountingHost : public IWebHost {
public:
    explicit CountingHost(std::string root) : m_root(std::move(root)) {}
    WebLineState LineState() override {
        std::lock_guard lock(m_mutex);
        return line;
    }
    WebLineState line; // under m_mutex once the server runs
    std::vector<WebHistoryRow> History(HistoryFilter, int, int) override {
        WebHistoryRow row;
        row.sCaller = kHostileName;
        row.sNumber = "555\"'<>";
        row.bUnheard = true;
        return {row};
    }
    std::string LineCommand(WebLineCommand) override { return Count("line"); }
    std::string BlockCaller(const std::string&) override { return Count("block"); }
    CCallLog& CallLog() override { return m_log; }
    std::string MarkHeard(const std::string&) override { return Count("heard"), ""; }
    std::set<std::string> UnheardRecordings() override { return {"/x/call1.wav"}; }
    WebContacts Contacts(const std::string&) override {
        return {{{7, kHostileName, {{"555\"'<>", ""}}, ContactList::Block, "", kHostileMemo}}, {}, ""};
    }
    std::string SaveContact(const Contact&) override { return Count("save"); }
    std::string DeleteContact(int64_t) override { return Count("delete"); }
    std::string SetPrefixRule(const std::string&, ContactList) override { return Count("range"); }
    CCallEventPublisher* CallEvents() override { return &events; }
    CCallEventPublisher events;
    std::string CallFolderRoot() override { return m_root; }
    template <class F> void Locked(F f) {
        std::lock_guard lock(m_mutex);
        f();
    }
    int Commands() {
        std::lock_guard lock(m_mutex);
        return m_nCommands;
    }

private:
    std::string Count(const char* what) {
        std::lock_guard lock(m_mutex);
        ++m_nCommands;
        return what;
    }
    std::string m_root;
    CCallLog m_log;
    std::mutex m_mutex;
    int m_nCommands = 0;
};

class WebAccess : public ::testing::Test {
protected:
    void SetUp() override {
        CDataStructure call;
        call.m_sFile = "call1.wav";
        call.m_sName = kHostileName;
        call.m_sMemo = kHostileMemo;
        call.m_sNumber = "555-0100";
        home.Write("Recorded Calls/index.dat", FormatIndexLine(call) + "\r\n");
        CWaveFile wav;
        std::vector<int16_t> ramp(800);
        std::iota(ramp.begin(), ramp.end(), int16_t{0});
        ASSERT_EQ(wav.Create(home.File("Recorded Calls/call1.wav"), WaveFormat{}), 1);
        ASSERT_TRUE(wav.WriteSamples(ramp.data(), ramp.size()) && wav.CloseWrite());
        home.Write("Recorded Calls/Kept/index.dat", "");
        indexBefore = Index();

        // A hash of the cheapest kind, so that each login is quick.
        char hash[crypto_pwhash_STRBYTES];
        ASSERT_EQ(sodium_init() < 0, false);
        ASSERT_EQ(crypto_pwhash_str(hash, kPassword, strlen(kPassword),
                                    crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN),
                  0);
        WebSiteOptions options;
        options.login = {1000, 8000, 3, 60000};
        options.clock = [this] { return now.load(); };
        options.sStaticFolder = ShippedDataFolder() + "web/";
        options.passwordHash = [stored = std::string(hash)] { return stored; };
        options.allowedHosts = {"127.0.0.1"};
        site = std::make_unique<CWebSite>(options);
        AddWebPages(site->Router(), host);
        server.nPort = 0;
        std::string error;
        ASSERT_TRUE(site->Start(server, &error)) << error;
        port = site->Port();
    }

    std::string Index() { return home.Read("Recorded Calls/index.dat"); }
    HttpReply Login(const std::string& password) {
        return HttpRequestTo(port, "POST", "/login", "", "password=" + password);
    }
    // Logs in; the session's cookie and the form token of its pages.
    void LogIn() {
        const HttpReply reply = Login("correct+horse");
        ASSERT_EQ(reply.nStatus, 303);
        cookie = reply.Header("set-cookie").substr(0, reply.Header("set-cookie").find(';'));
        std::smatch token;
        const std::string page = HttpRequestTo(port, "GET", "/", cookie).sBody;
        ASSERT_TRUE(std::regex_search(page, token, std::regex("name=\"csrf\" value=\"([0-9a-f]+)\"")));
        csrf = token[1];
    }

    TempHome home;
    CountingHost host{home.Path() + "Recorded Calls/"};
    std::atomic<int64_t> now{1000000};
    std::unique_ptr<CWebSite> site;
    HttpServerOptions server;
    uint16_t port = 0;
    std::string indexBefore;
    std::string cookie;
    std::string csrf;
};

struct Refused {
    const char* method;
    const char* path;
    const char* body;
};

// Every action of the page, as its forms send them (the token added where
// a case wants one).
const Refused kActions[] = {
    {"POST", "/line", "do=record"},
    {"POST", "/line", "do=monitoring-off"},
    {"POST", "/calls/memo", "folder=&file=call1.wav&memo=changed"},
    {"POST", "/calls/heard", "folder=&file=call1.wav"},
    {"POST", "/calls/move", "folder=&file=call1.wav&to=Kept"},
    {"POST", "/calls/delete", "folder=&file=call1.wav"},
    {"POST", "/calls/undo", "id=1"},
    {"POST", "/block", "number=555-0100"},
    {"POST", "/contacts/save", "id=7&name=x&numbers=5550100&list=block&memo="},
    {"POST", "/contacts/delete", "id=7"},
    {"POST", "/contacts/range", "prefix=0900&list=block"},
    {"POST", "/logout", ""},
};

TEST_F(WebAccess, WithoutASessionOnlyTheLoginPageIsReached) {
    const Refused kPages[] = {
        {"GET", "/", ""},           {"GET", "/calls", ""},      {"GET", "/history", ""},
        {"GET", "/export.xml", ""}, {"GET", "/export.html", ""}, {"HEAD", "/calls?folder=Kept", ""},
        {"GET", "/audio?folder=&file=call1.wav", ""}, {"GET", "/events", ""}, {"GET", "/contacts", ""},
    };
    for (const char* forged : {"", "vorella_session=", "vorella_session=00ff00ff"}) {
        for (const Refused& page : kPages) {
            const HttpReply reply = HttpRequestTo(port, page.method, page.path, forged);
            EXPECT_EQ(reply.nStatus, 303) << page.path << " " << forged;
            EXPECT_EQ(reply.Header("location"), "/login") << page.path;
            EXPECT_EQ(reply.sBody.find("555-0100"), std::string::npos) << page.path;
        }
        for (const Refused& action : kActions)
            EXPECT_EQ(HttpRequestTo(port, action.method, action.path, forged, action.body).nStatus,
                      401)
                << action.path << " " << forged;
    }
    EXPECT_EQ(HttpRequestTo(port, "GET", "/login").nStatus, 200);
    const std::string otherSite =
        "GET /login HTTP/1.1\r\nHost: evil.example:8640\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(HttpExchange(port, otherSite).nStatus, 421) << "another site's name pointed here";
    EXPECT_EQ(HttpRequestTo(port, "GET", "/static/style.css").nStatus, 200);
    EXPECT_EQ(HttpRequestTo(port, "GET", "/static/../web/style.css").nStatus, 404);
    EXPECT_EQ(host.Commands(), 0);
    EXPECT_EQ(Index(), indexBefore);
}

TEST_F(WebAccess, AChangeNeedsItsSessionsFormTokenAndAPost) {
    LogIn();
    for (const Refused& action : kActions) {
        for (const std::string& token :
             {std::string(), std::string("&csrf="), "&csrf=" + std::string(64, '0')})
            EXPECT_EQ(HttpRequestTo(port, "POST", action.path, cookie, action.body + token).nStatus,
                      403)
                << action.path << token;
        const std::string asGet = std::string(action.path) + "?" + action.body + "&csrf=" + csrf;
        EXPECT_EQ(HttpRequestTo(port, "GET", asGet, cookie).nStatus, 405) << asGet;
    }
    EXPECT_EQ(host.Commands(), 0);
    EXPECT_EQ(Index(), indexBefore);

    // With the token, the same forms do their work, and the list shows it at once.
    const auto listed = [&] { return HttpRequestTo(port, "GET", "/calls", cookie).sBody; };
    const auto searched = [&] {
        return HttpRequestTo(port, "GET", "/calls?q=NOTED", cookie).sBody;
    };
    EXPECT_EQ(listed().find("value=\"noted\""), std::string::npos);
    EXPECT_EQ(searched().find("call1.wav"), std::string::npos);
    EXPECT_EQ(HttpRequestTo(port, "POST", "/line", cookie, "do=record&csrf=" + csrf).nStatus, 303);
    EXPECT_EQ(HttpRequestTo(port, "POST", "/calls/memo", cookie,
                            "folder=&file=call1.wav&memo=noted&csrf=" + csrf)
                  .nStatus,
              303);
    EXPECT_EQ(host.Commands(), 1);
    EXPECT_NE(Index().find("\"noted\""), std::string::npos);
    EXPECT_NE(listed().find("value=\"noted\""), std::string::npos);
    EXPECT_NE(searched().find("call1.wav"), std::string::npos);
    EXPECT_EQ(HttpRequestTo(port, "POST", "/logout", cookie, "csrf=" + csrf).nStatus, 303);
    EXPECT_EQ(HttpRequestTo(port, "GET", "/calls", cookie).Header("location"), "/login");
}

TEST_F(WebAccess, WrongPasswordsAreSlowedAndThenLockedOut) {
    EXPECT_EQ(Login("wrong").nStatus, 401);
    // Even the right password waits out the delay.
    EXPECT_EQ(Login("correct+horse").nStatus, 429);
    now += 1000;
    EXPECT_EQ(Login("wrong").nStatus, 401);
    now += 1999;
    EXPECT_EQ(Login("correct+horse").nStatus, 429);
    now += 1;
    EXPECT_EQ(Login("wrong").nStatus, 401);
    // The third failure in a row locks the address out for a minute.
    now += 8000;
    EXPECT_EQ(Login("correct+horse").nStatus, 429);
    now += 60000;
    const HttpReply reply = Login("correct+horse");
    EXPECT_EQ(reply.nStatus, 303);
    const std::string setCookie = reply.Header("set-cookie");
    for (const char* attribute : {"; HttpOnly", "; SameSite=Strict", "; Path=/"})
        EXPECT_NE(setCookie.find(attribute), std::string::npos) << setCookie;
    EXPECT_EQ(setCookie.find("Secure"), std::string::npos) << "plain HTTP";
    EXPECT_NE(reply.Header("content-security-policy").find("frame-ancestors 'none'"),
              std::string::npos);
    EXPECT_EQ(reply.Header("x-content-type-options"), "nosniff");
    EXPECT_EQ(reply.Header("referrer-policy"), "no-referrer");
}

// Sends a request on each connection a byte at a time, every 50 ms or
// sooner when the server ends one, for at most 30 s: how many it ended.
int TrickleUntilEnded(const std::vector<int>& fds) {
    const std::string head = "GET /login HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
    std::vector<pollfd> open;
    for (int fd : fds)
        open.push_back({fd, POLLIN, 0});
    for (size_t n = 0; n < 600 && !open.empty(); ++n) {
        const char byte = n < head.size() ? head[n] : 'a';
        std::erase_if(open,
                      [&](const pollfd& p) { return send(p.fd, &byte, 1, MSG_NOSIGNAL) != 1; });
        poll(open.data(), open.size(), 50);
        char reply[256];
        std::erase_if(open, [&](const pollfd& p) {
            return (p.revents & (POLLIN | POLLHUP | POLLERR)) &&
                   recv(p.fd, reply, sizeof reply, 0) <= 0;
        });
    }
    return static_cast<int>(fds.size() - open.size());
}

TEST_F(WebAccess, OversizedHeadersAndIdleConnectionsLeaveTheServerServing) {
    const HttpReply huge = HttpExchange(port, "GET /login HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Fill: " +
                                                  std::string(100000, 'a') + "\r\n\r\n");
    EXPECT_GE(huge.nStatus, 400);
    EXPECT_LT(huge.nStatus, 500);
    const struct {
        const char* what;
        int nClients;
        bool bTrickling;
        unsigned nRequestDeadlineS;
        int nTheirAddressStatus; // of another request from the same address
    } kCrowds[] = {
        {"idle, their address has had its share", 200, false, 60, 0},
        {"trickling", 3, true, 1, 200},
    };
    const std::string get = "GET /login HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    for (const auto& crowd : kCrowds) {
        server.nRequestDeadlineS = crowd.nRequestDeadlineS;
        ASSERT_TRUE(site->Start(server, nullptr)) << crowd.what;
        port = site->Port();
        std::vector<int> clients;
        for (int i = 0; i < crowd.nClients; ++i)
            clients.push_back(OpenIdleConnection(port));
        std::future<int> ended;
        if (crowd.bTrickling)
            ended = std::async(std::launch::async, TrickleUntilEnded, clients);
        EXPECT_EQ(HttpExchange(port, get).nStatus, crowd.nTheirAddressStatus) << crowd.what;
        EXPECT_EQ(HttpExchange(port, get, 20000, "127.0.0.2").nStatus, 200) << crowd.what;
        if (crowd.bTrickling) {
            EXPECT_EQ(ended.get(), crowd.nClients) << "a trickled request outlived its deadline";
        }
        for (int fd : clients)
            if (fd >= 0)
                close(fd);
    }
}

TEST_F(WebAccess, ARecordingPlaysByRangesAndARingingCallerShowsAtOnce) {
    LogIn();
    const auto get = [&](const std::string& path, const std::string& range) {
        return HttpExchange(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                                  "Cookie: " + cookie + "\r\nRange: " + range + "\r\n\r\n");
    };
    const HttpReply head = get("/audio?folder=&file=call1.wav", "bytes=0-3");
    EXPECT_EQ(head.nStatus, 206);
    EXPECT_EQ(head.sBody, "RIFF");
    EXPECT_EQ(head.Header("content-range").rfind("bytes 0-3/", 0), 0u) << head.Header("content-range");
    EXPECT_EQ(get("/audio?folder=&file=call1.wav", "bytes=99999-").nStatus, 416);
    for (const char* file : {"..%2Findex.dat", "%2Fetc%2Fpasswd", "call1.wav%00"})
        EXPECT_EQ(get(std::string("/audio?folder=&file=") + file, "bytes=0-3").nStatus, 404) << file;
    home.Write("Recorded Calls/index.dat", "");
    EXPECT_EQ(get("/audio?folder=&file=call1.wav", "bytes=0-3").nStatus, 404)
        << "a recording its index no longer lists";

    host.Locked([&] {
        host.line.bRinging = true;
        host.line.sCaller = "Bob <555-0199>";
    });
    const int stream = HttpSend(port, "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + cookie + "\r\n\r\n");
    EXPECT_NE(HttpReadUntil(stream, "\n\n").find("event: state\ndata: {\"monitoring\":false,\"ringing\":true,"
                                               "\"call\":false,\"recording\":false,\"caller\":\"Bob <555-0199>\"}"),
              std::string::npos) << "a page opened while the phone rings shows the caller";
    close(stream);
}

TEST_F(WebAccess, CallerTextIsEscapedInThePage) {
    LogIn();
    for (const char* page : {"/calls", "/history", "/contacts"}) {
        const std::string body = HttpRequestTo(port, "GET", page, cookie).sBody;
        EXPECT_EQ(body.find(kHostileName), std::string::npos) << page;
        EXPECT_EQ(body.find("<img"), std::string::npos) << page;
        EXPECT_NE(body.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos) << page;
    }
    for (const char* page : {"/calls", "/contacts"})
        EXPECT_NE(HttpRequestTo(port, "GET", page, cookie)
                      .sBody.find("&quot;&gt;&lt;img src=x onerror=alert(2)&gt;&amp;"),
                  std::string::npos)
            << page;
}

} // namespace
