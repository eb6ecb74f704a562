// The control socket: a Unix stream socket on which a running instance takes
// one-line requests from other programs of the same user and answers each
// with one line.
//
// The server is driven by its owner's loop (Process) and never blocks it for
// long: every client must finish its request within a deadline, a client that
// goes away mid-request is dropped, and many clients may be connected at once.
// Only processes of the user who runs the server are served (SO_PEERCRED).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

class ControlServer {
public:
    // Takes the request line (without its line end) and returns the reply line.
    using Handler = std::function<std::string(const std::string& request)>;
    enum class ListenResult { Listening, AlreadyRunning, Failed };

    static constexpr size_t kMaxRequest = 256;
    static constexpr size_t kMaxClients = 64;
    static constexpr uint32_t kRequestDeadlineMs = 3000;

    ControlServer() = default;
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Listens on path. A socket file left by a crashed instance (nobody
    // accepts on it) is replaced; a live one gives AlreadyRunning.
    ListenResult Listen(const std::string& path, std::string* error);
    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    // Stops listening and removes the socket file.
    void Close();
    bool IsListening() const { return m_listenFd >= 0; }
    int ListenFd() const { return m_listenFd; }
    const std::string& Path() const { return m_sPath; }

    // Accepts, reads and answers what is ready, waiting at most waitMs for
    // something to happen (while not listening, simply waitMs). Requests are
    // answered on the calling thread.
    void Process(int waitMs);
    size_t ClientCount() const { return m_clients.size(); }
    // The connected clients' sockets, for a loop that watches them itself.
    std::vector<int> ClientFds() const {
        std::vector<int> fds;
        for (const Client& c : m_clients)
            fds.push_back(c.fd);
        return fds;
    }
    // Other descriptors the loop waits on with the socket (a headset's
    // buttons): onReady runs on the loop's thread when fd has something to
    // read, or has ended. The caller keeps fd open until it unwatches it.
    void Watch(int fd, std::function<void()> onReady);
    void Unwatch(int fd);
    std::vector<int> WatchedFds() const;
    // Runs fd's handler (a loop that watches the descriptors itself).
    void ServeWatched(int fd);
    // Requests refused because the peer was another user (for the log and tests).
    size_t RefusedCount() const { return m_nRefused; }

private:
    struct Client {
        int fd;
        uint32_t start;
        std::string buffer;
    };
    void Accept();
    // False when the client is finished (answered or dropped).
    bool ReadFrom(Client& client);
    void Drop(size_t index);

    int m_listenFd = -1;
    std::string m_sPath;
    ino_t m_inode = 0;
    Handler m_handler;
    std::vector<Client> m_clients;
    std::map<int, std::function<void()>> m_watched;
    size_t m_nRefused = 0;
};

enum class ControlStatus {
    Ok,         // the reply is in ControlReply::text
    NotRunning, // nobody listens on the socket
    NoReply,    // connected, but no complete reply before the deadline
    Refused,    // the server is another user's, or it turned us away
    Failed,     // anything else; see error
};

struct ControlReply {
    ControlStatus status = ControlStatus::Failed;
    std::string text;
    std::string error;
};

// Connects, sends request (one line, no line end), and waits at most timeoutMs
// for the reply line, as a message sent to a window waits for its answer.
ControlReply SendControlRequest(const std::string& path, const std::string& request,
                                uint32_t timeoutMs);

// True when an instance accepts connections on path.
bool IsControlSocketLive(const std::string& path);
