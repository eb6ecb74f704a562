// The HTTP server of the web page, on libmicrohttpd: a thread of its own
// polls every connection, so idle or slow clients cost a little memory each
// and never hold a thread. Every connection has a timeout for silence and
// each request a deadline to have come whole, a bounded memory pool (which
// bounds the request's header) and a bounded body; the number of
// connections is bounded too. Each complete request goes to one
// handler, which may be called on any of the server's threads at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct HttpRequest {
    std::string sMethod;                        // "GET", "POST" ...
    std::string sPath;                          // without the query, decoded
    std::map<std::string, std::string> query;   // the query's arguments, decoded
    std::map<std::string, std::string> headers; // names in lower case
    std::map<std::string, std::string> cookies;
    std::string sBody;
    std::string sClient; // the peer's address ("127.0.0.1", "::1")

    std::string Header(const std::string& lowerName) const;
    std::string Query(const std::string& name) const;
};

// A body made while it is sent (a recording, a stream of live updates),
// read on the server's threads one piece after the other.
class IHttpBody {
public:
    static constexpr int64_t kEnd = -1;   // the body is complete
    static constexpr int64_t kError = -2; // the body cannot go on: the answer breaks off
    virtual ~IHttpBody() = default;
    // Its length; nullopt for a stream whose end is not known in advance.
    virtual std::optional<uint64_t> Size() const = 0;
    // Up to n bytes from pos on into out: how many; 0 when a stream has
    // nothing yet (it calls its wake when it has); kEnd or kError.
    virtual int64_t Read(uint64_t pos, char* out, size_t n) = 0;
    // A stream's wake, set before the first Read; it may be called on any
    // thread, at any time until the body is gone.
    virtual void SetWake(std::function<void()> wake) { (void)wake; }
};

struct HttpResponse {
    int nStatus = 200;
    std::string sContentType = "text/html; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string sBody;
    // Sent instead of sBody when set.
    std::shared_ptr<IHttpBody> pBody;

    static HttpResponse Text(int nStatus, const std::string& text);
    static HttpResponse Redirect(const std::string& sLocation);
};

struct HttpServerOptions {
    std::string sAddress = "127.0.0.1";
    uint16_t nPort = 8640; // 0: any free port (Port() tells which)
    // PEM text; both empty for plain HTTP.
    std::string sCertPem;
    std::string sKeyPem;
    unsigned nMaxConnections = 256;
    // From one address: a client that opens many cannot take them all.
    unsigned nMaxPerClient = 32;
    unsigned nConnectionTimeoutS = 30;
    // A request must have come whole this long after its connection was
    // made or the answer before it was sent: the timeout above counts only
    // silence, which a client trickling a request never keeps.
    unsigned nRequestDeadlineS = 60;
    size_t nConnectionMemory = 32 * 1024; // the request's header must fit
    size_t nMaxBody = 64 * 1024;
    // Threads polling the connections. More than one makes libmicrohttpd's
    // own pool, which the thread sanitizer cannot follow through its stop.
    unsigned nThreads = 1;
};

class CHttpServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    CHttpServer() = default;
    ~CHttpServer();
    CHttpServer(const CHttpServer&) = delete;
    CHttpServer& operator=(const CHttpServer&) = delete;

    // Listens and serves until Stop. False with the reason in *pError when
    // the address cannot be taken (in use, not ours, a bad certificate).
    bool Start(const HttpServerOptions& options, Handler handler, std::string* pError);
    void Stop();
    bool IsRunning() const { return m_pDaemon != nullptr; }
    uint16_t Port() const { return m_nPort; }

    // libmicrohttpd's callbacks; not for anyone else.
    struct Pending;
    int Serve(void* connection, const char* url, const char* method, const char* uploadData,
              size_t* uploadSize, void** context);

    struct Streaming;
    void Forget(Streaming* pStreaming);

    struct Watched;
    void Watch(Watched* pWatched, bool bWatched);
    // A request on the connection is due by its deadline from now on, or
    // (bDue false) it has come.
    void SetDue(void* connection, bool bDue);

private:
    using Clock = std::chrono::steady_clock;
    // Ends the connections whose request is overdue, until Stop.
    void WatchDeadlines();

    struct MHD_Daemon* m_pDaemon = nullptr;
    // The bodies being sent: a stream waiting for its next piece is
    // resumed before the server stops.
    std::mutex m_streamsMutex;
    std::set<std::shared_ptr<Streaming>> m_streams;
    // The open connections, for their requests' deadlines.
    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    std::set<Watched*> m_watched; // under m_watchMutex
    bool m_bWatchStop = false;    // under m_watchMutex
    std::thread m_watchdog;
    Handler m_handler;
    HttpServerOptions m_options;
    uint16_t m_nPort = 0;
};
