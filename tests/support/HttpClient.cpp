#include "HttpClient.h"

#include <arpa/inet.h>
#include <cctype>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <sys/socket.h>
#include <unistd.h>

std::string HttpReply::Header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

int OpenIdleConnection(uint16_t port, const char* source) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source, &from.sin_addr);
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
        close(fd);
        return -1;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

int HttpSend(uint16_t port, const std::string& raw, const char* source) {
    const int fd = OpenIdleConnection(port, source);
    for (size_t sent = 0; fd >= 0 && sent < raw.size();) {
        const ssize_t n = send(fd, raw.data() + sent, raw.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break; // the server may answer before it has read everything
        sent += static_cast<size_t>(n);
    }
    return fd;
}

std::string HttpReadUntil(int fd, const std::string& wanted, int timeoutMs) {
    std::string text;
    char buffer[16384];
    pollfd pfd{fd, POLLIN, 0};
    while ((wanted.empty() || text.find(wanted) == std::string::npos) &&
           poll(&pfd, 1, timeoutMs) > 0) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

HttpReply HttpExchange(uint16_t port, const std::string& raw, int timeoutMs, const char* source) {
    HttpReply reply;
    const int fd = HttpSend(port, raw, source);
    if (fd < 0)
        return reply;
    const std::string text = HttpReadUntil(fd, "", timeoutMs);
    close(fd);
    const size_t headEnd = text.find("\r\n\r\n");
    if (text.compare(0, 5, "HTTP/") != 0 || headEnd == std::string::npos)
        return reply;
    reply.nStatus = std::atoi(text.c_str() + text.find(' ') + 1);
    const std::string head = text.substr(0, headEnd + 2);
    const std::regex field("\r\n([^:\r\n]+): *([^\r\n]*)");
    for (auto m = std::sregex_iterator(head.begin(), head.end(), field);
         m != std::sregex_iterator(); ++m) {
        std::string name = (*m)[1];
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        reply.headers[name] = (*m)[2];
    }
    reply.sBody = text.substr(headEnd + 4);
    return reply;
}

HttpReply HttpRequestTo(uint16_t port, const std::string& method, const std::string& path,
                        const std::string& cookie, const std::string& formBody) {
    std::string raw = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!cookie.empty())
        raw += "Cookie: " + cookie + "\r\n";
    if (method == "POST")
        raw += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(formBody.size()) + "\r\n";
    return HttpExchange(port, raw + "\r\n" + formBody);
}
