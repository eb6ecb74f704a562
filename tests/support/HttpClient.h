// A plain HTTP/1.1 client for tests against a server on this machine: one
// request per connection, written as given, so that a test can send what no
// browser would (no cookie, a forged one, a header of any size).
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct HttpReply {
    int nStatus = 0;                            // 0: no reply
    std::map<std::string, std::string> headers; // names in lower case; Set-Cookie the last
    std::string sBody;
    std::string Header(const std::string& lowerName) const;
};

// Sends raw to 127.0.0.1:port (from the loopback address source) and reads
// the reply until the server closes.
HttpReply HttpExchange(uint16_t port, const std::string& raw, int timeoutMs = 20000,
                       const char* source = "127.0.0.1");
// A request with "Connection: close", the cookie line when given, and a
// form body for POST.
HttpReply HttpRequestTo(uint16_t port, const std::string& method, const std::string& path,
                        const std::string& cookie = "", const std::string& formBody = "");
// A connection on which raw has been sent, for a reply read as it comes
// (a stream), from the loopback address source; -1 when it could not be made.
int HttpSend(uint16_t port, const std::string& raw, const char* source = "127.0.0.1");
// Reads from fd until wanted came (empty: until the server closes): all read
// so far, or less when nothing came for timeoutMs.
std::string HttpReadUntil(int fd, const std::string& wanted, int timeoutMs = 20000);
// A connection that is open and says nothing; -1 when it could not be made.
int OpenIdleConnection(uint16_t port, const char* source = "127.0.0.1");
