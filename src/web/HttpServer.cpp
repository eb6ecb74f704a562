#include "web/HttpServer.h"

#include "web/FormData.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <exception>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// What libmicrohttpd says while a server starts: the reason a start failed.
std::mutex g_startLogMutex;
std::string* g_pStartLog = nullptr;

extern "C" void LogFromServer(void*, const char* format, va_list args) {
    std::lock_guard lock(g_startLogMutex);
    if (!g_pStartLog)
        return;
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    *g_pStartLog = line;
    while (!g_pStartLog->empty() && (g_pStartLog->back() == '\n' || g_pStartLog->back() == '\r'))
        g_pStartLog->pop_back();
}

MHD_Result CollectInto(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* into = static_cast<std::map<std::string, std::string>*>(cls);
    if (key)
        (*into)[Lower(key)] = value ? value : "";
    return MHD_YES;
}

// Values kept whole: a NUL a client encoded stays in the value (where the
// checks of names see it), rather than cutting it short.
MHD_Result CollectCaseKept(void* cls, MHD_ValueKind, const char* key, size_t keySize,
                           const char* value, size_t valueSize) {
    auto* into = static_cast<std::map<std::string, std::string>*>(cls);
    if (key)
        into->emplace(std::string(key, keySize),
                      value ? std::string(value, valueSize) : std::string());
    return MHD_YES;
}

std::string ClientAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr)
        return {};
    const sockaddr* addr = info->client_addr;
    socklen_t len = addr->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    char host[NI_MAXHOST] = "";
    if (getnameinfo(addr, len, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return {};
    return host;
}

extern "C" MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url,
                                const char* method, const char*, const char* uploadData,
                                size_t* uploadSize, void** context) {
    return static_cast<CHttpServer*>(cls)->Serve(connection, url, method, uploadData, uploadSize,
                                                 context)
               ? MHD_YES
               : MHD_NO;
}

extern "C" void OnCompleted(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode);
extern "C" void OnConnection(void*, MHD_Connection*, void** socketContext,
                             MHD_ConnectionNotificationCode);

} // namespace

// A request while its body arrives.
struct CHttpServer::Pending {
    std::string sBody;
    bool bTooLarge = false;
};

// A connection and the time its request is due by, if one is on its way.
struct CHttpServer::Watched {
    int fd = -1;
    std::optional<std::chrono::steady_clock::time_point> due; // under m_watchMutex
};

namespace {
extern "C" void OnCompleted(void* cls, MHD_Connection* connection, void** context,
                            MHD_RequestTerminationCode code) {
    delete static_cast<CHttpServer::Pending*>(*context);
    *context = nullptr;
    // The next request on the connection has its own deadline.
    if (code == MHD_REQUEST_TERMINATED_COMPLETED_OK)
        static_cast<CHttpServer*>(cls)->SetDue(connection, true);
}

extern "C" void OnConnection(void* cls, MHD_Connection* connection, void** socketContext,
                             MHD_ConnectionNotificationCode code) {
    auto* server = static_cast<CHttpServer*>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        auto* watched = new CHttpServer::Watched;
        if (const MHD_ConnectionInfo* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD))
            watched->fd = info->connect_fd;
        *socketContext = watched;
        server->Watch(watched, true);
    } else if (auto* watched = static_cast<CHttpServer::Watched*>(*socketContext)) {
        // Before the library closes the socket: the watchdog no longer
        // touches it from here on.
        server->Watch(watched, false);
        delete watched;
        *socketContext = nullptr;
    }
}
} // namespace

void CHttpServer::Watch(Watched* pWatched, bool bWatched) {
    {
        std::lock_guard lock(m_watchMutex);
        if (!bWatched) {
            m_watched.erase(pWatched);
            return;
        }
        pWatched->due = Clock::now() + std::chrono::seconds(m_options.nRequestDeadlineS);
        m_watched.insert(pWatched);
    }
    m_watchWake.notify_one();
}

void CHttpServer::SetDue(void* connection, bool bDue) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(
        static_cast<MHD_Connection*>(connection), MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    auto* watched = info ? static_cast<Watched*>(info->socket_context) : nullptr;
    if (!watched)
        return;
    {
        std::lock_guard lock(m_watchMutex);
        if (bDue)
            watched->due = Clock::now() + std::chrono::seconds(m_options.nRequestDeadlineS);
        else
            watched->due.reset();
    }
    if (bDue)
        m_watchWake.notify_one();
}

void CHttpServer::WatchDeadlines() {
    std::unique_lock lock(m_watchMutex);
    while (!m_bWatchStop) {
        const Clock::time_point now = Clock::now();
        std::optional<Clock::time_point> next;
        for (Watched* watched : m_watched) {
            if (!watched->due)
                continue;
            if (*watched->due <= now) {
                // The server's thread finds the connection ended and closes it.
                ::shutdown(watched->fd, SHUT_RDWR);
                watched->due.reset();
            } else if (!next || *watched->due < *next) {
                next = watched->due;
            }
        }
        if (next)
            m_watchWake.wait_until(lock, *next);
        else
            m_watchWake.wait(lock);
    }
}

// A body on its way out, and whether its connection waits for it.
struct CHttpServer::Streaming {
    std::shared_ptr<IHttpBody> pBody;
    MHD_Connection* pConnection = nullptr;
    CHttpServer* pServer = nullptr;
    std::mutex mutex;
    bool bSuspended = false; // under mutex
    bool bStopping = false;  // under mutex
    bool bClosed = false;    // under mutex: the connection is gone

    // Lets the connection go on (from the wake, or to let it end).
    void Resume() {
        if (bSuspended && !bClosed) {
            bSuspended = false;
            MHD_resume_connection(pConnection);
        }
    }
};

namespace {

ssize_t ReadBody(void* cls, uint64_t pos, char* out, size_t max) {
    auto* streaming = static_cast<CHttpServer::Streaming*>(cls);
    std::lock_guard lock(streaming->mutex);
    if (streaming->bStopping)
        return MHD_CONTENT_READER_END_OF_STREAM;
    const int64_t n = streaming->pBody->Read(pos, out, max);
    if (n > 0)
        return static_cast<ssize_t>(n);
    if (n == 0) {
        // Nothing yet: the connection waits, off the poll, until the wake.
        streaming->bSuspended = true;
        MHD_suspend_connection(streaming->pConnection);
        return 0;
    }
    return n == IHttpBody::kEnd ? MHD_CONTENT_READER_END_OF_STREAM
                                : MHD_CONTENT_READER_END_WITH_ERROR;
}

void FreeBody(void* cls) {
    auto* streaming = static_cast<CHttpServer::Streaming*>(cls);
    {
        std::lock_guard lock(streaming->mutex);
        streaming->bClosed = true;
    }
    streaming->pServer->Forget(streaming);
}

} // namespace

void CHttpServer::Forget(Streaming* pStreaming) {
    std::shared_ptr<Streaming> last; // let go outside the lock
    std::lock_guard lock(m_streamsMutex);
    for (auto it = m_streams.begin(); it != m_streams.end(); ++it)
        if (it->get() == pStreaming) {
            last = *it;
            m_streams.erase(it);
            break;
        }
}

std::string HttpRequest::Header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

std::string HttpRequest::Query(const std::string& name) const {
    auto it = query.find(name);
    return it == query.end() ? std::string() : it->second;
}

HttpResponse HttpResponse::Text(int nStatus, const std::string& text) {
    HttpResponse r;
    r.nStatus = nStatus;
    r.sContentType = "text/plain; charset=utf-8";
    r.sBody = text + "\n";
    return r;
}

HttpResponse HttpResponse::Redirect(const std::string& sLocation) {
    HttpResponse r;
    r.nStatus = 303;
    r.headers.emplace_back("Location", sLocation);
    return r;
}

CHttpServer::~CHttpServer() {
    Stop();
}

bool CHttpServer::Start(const HttpServerOptions& options, Handler handler, std::string* pError) {
    Stop();
    m_options = options;
    m_handler = std::move(handler);

    sockaddr_storage addr{};
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(options.nPort);
    if (getaddrinfo(options.sAddress.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
        if (pError)
            *pError = "\"" + options.sAddress + "\" is no IP address";
        return false;
    }
    std::memcpy(&addr, found->ai_addr, found->ai_addrlen);
    const bool bIpv6 = found->ai_family == AF_INET6;
    freeaddrinfo(found);

    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ERROR_LOG |
                     MHD_ALLOW_SUSPEND_RESUME;
    if (bIpv6)
        flags |= MHD_USE_IPv6;
    const bool bTls = !options.sCertPem.empty();
    if (bTls)
        flags |= MHD_USE_TLS;

    std::string startLog;
    {
        std::lock_guard lock(g_startLogMutex);
        g_pStartLog = &startLog;
    }
    std::vector<MHD_OptionItem> items = {
        {MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&LogFromServer), nullptr},
        {MHD_OPTION_SOCK_ADDR, 0, &addr},
        {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(options.nMaxConnections), nullptr},
        {MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<intptr_t>(options.nMaxPerClient),
         nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(options.nConnectionTimeoutS),
         nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(options.nConnectionMemory),
         nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&OnCompleted), this},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&OnConnection), this},
    };
    if (options.nThreads > 1)
        items.push_back({MHD_OPTION_THREAD_POOL_SIZE, static_cast<intptr_t>(options.nThreads),
                         nullptr});
    if (bTls) {
        items.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0, const_cast<char*>(options.sCertPem.c_str())});
        items.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(options.sKeyPem.c_str())});
    }
    items.push_back({MHD_OPTION_END, 0, nullptr});

    errno = 0;
    m_pDaemon = MHD_start_daemon(flags, options.nPort, nullptr, nullptr, &OnRequest, this,
                                 MHD_OPTION_ARRAY, items.data(), MHD_OPTION_END);
    const int nErrno = errno;
    {
        std::lock_guard lock(g_startLogMutex);
        g_pStartLog = nullptr;
    }
    if (!m_pDaemon) {
        if (pError) {
            std::string why = startLog;
            if (why.empty())
                why = nErrno ? std::strerror(nErrno) : "the server could not start";
            if (bTls && why.find("TLS") != std::string::npos)
                why = "the certificate or its key cannot be used (" + why + ")";
            *pError = "cannot listen on " + options.sAddress + " port " + port + ": " + why;
        }
        return false;
    }
    {
        std::lock_guard lock(m_watchMutex);
        m_bWatchStop = false;
    }
    m_watchdog = std::thread([this] { WatchDeadlines(); });
    m_nPort = options.nPort;
    if (const MHD_DaemonInfo* info = MHD_get_daemon_info(m_pDaemon, MHD_DAEMON_INFO_LISTEN_FD)) {
        sockaddr_storage bound{};
        socklen_t len = sizeof bound;
        if (getsockname(info->listen_fd, reinterpret_cast<sockaddr*>(&bound), &len) == 0)
            m_nPort = ntohs(bound.ss_family == AF_INET6
                                ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    }
    return true;
}

void CHttpServer::Stop() {
    {
        // No connection may stay suspended when the server stops.
        std::lock_guard lock(m_streamsMutex);
        for (const std::shared_ptr<Streaming>& streaming : m_streams) {
            std::lock_guard streamLock(streaming->mutex);
            streaming->bStopping = true;
            streaming->Resume();
        }
    }
    if (m_pDaemon) {
        MHD_stop_daemon(m_pDaemon);
        m_pDaemon = nullptr;
    }
    if (m_watchdog.joinable()) {
        {
            std::lock_guard lock(m_watchMutex);
            m_bWatchStop = true;
        }
        m_watchWake.notify_one();
        m_watchdog.join();
    }
}

int CHttpServer::Serve(void* pConnection, const char* url, const char* method,
                       const char* uploadData, size_t* uploadSize, void** context) {
    auto* connection = static_cast<MHD_Connection*>(pConnection);
    if (!*context) {
        *context = new Pending;
        return true;
    }
    auto* pending = static_cast<Pending*>(*context);
    if (*uploadSize != 0) {
        if (pending->sBody.size() + *uploadSize > m_options.nMaxBody)
            pending->bTooLarge = true;
        else
            pending->sBody.append(uploadData, *uploadSize);
        *uploadSize = 0;
        return true;
    }
    SetDue(connection, false);

    HttpResponse response;
    if (pending->bTooLarge) {
        response = HttpResponse::Text(413, "The request is too large.");
    } else {
        HttpRequest request;
        request.sMethod = method ? method : "";
        request.sPath = url ? url : "/";
        request.sBody = std::move(pending->sBody);
        request.sClient = ClientAddress(connection);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, &CollectInto, &request.headers);
        MHD_get_connection_values_n(connection, MHD_COOKIE_KIND, &CollectCaseKept,
                                    &request.cookies);
        MHD_get_connection_values_n(connection, MHD_GET_ARGUMENT_KIND, &CollectCaseKept,
                                    &request.query);
        // Nothing thrown may reach the library's thread (it would end the
        // program): the client is told, the server goes on.
        try {
            response = m_handler(request);
        } catch (const std::exception& e) {
            response = HttpResponse::Text(500, std::string("The request failed: ") + e.what());
        }
    }

    MHD_Response* out = nullptr;
    if (response.pBody) {
        auto streaming = std::make_shared<Streaming>();
        streaming->pBody = response.pBody;
        streaming->pConnection = connection;
        streaming->pServer = this;
        std::weak_ptr<Streaming> weak = streaming;
        response.pBody->SetWake([weak] {
            if (std::shared_ptr<Streaming> s = weak.lock()) {
                std::lock_guard lock(s->mutex);
                s->Resume();
            }
        });
        const std::optional<uint64_t> size = response.pBody->Size();
        out = MHD_create_response_from_callback(size ? *size : MHD_SIZE_UNKNOWN, 32 * 1024,
                                                &ReadBody, streaming.get(), &FreeBody);
        if (out) {
            std::lock_guard lock(m_streamsMutex);
            m_streams.insert(streaming);
        }
    } else {
        out = MHD_create_response_from_buffer(response.sBody.size(), response.sBody.data(),
                                              MHD_RESPMEM_MUST_COPY);
    }
    if (!out)
        return false;
    if (!response.sContentType.empty())
        MHD_add_response_header(out, "Content-Type", response.sContentType.c_str());
    for (const auto& [name, value] : response.headers)
        MHD_add_response_header(out, name.c_str(), value.c_str());
    const MHD_Result queued = MHD_queue_response(connection, response.nStatus, out);
    MHD_destroy_response(out);
    return queued == MHD_YES;
}
