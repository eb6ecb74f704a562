// A request from anyone on the network, before any login: the method, the
// path, the session cookie and the form, one a line. Whatever it is, the
// answer is never a page behind the login, and every answer carries the
// headers that keep it out of other sites' frames.
#include "web/WebSite.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool HasHeader(const HttpResponse& response, const std::string& name) {
    for (const auto& header : response.headers)
        if (header.first == name)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CWebSite* site = [] {
        WebSiteOptions options;
        // A password nobody types: the logins are refused after a check.
        options.passwordHash = [] {
            return std::string("$argon2id$v=19$m=8,t=1,p=1$c29tZXNhbHQ$"
                               "0HA0u6ArD2yZ4MbRH2btM7xVWtUKNjVN+0xnRsXK4Ck");
        };
        auto* made = new CWebSite(options);
        made->Router().Add("GET", "/secret", RouteAccess::Page,
                           [](const WebCall&) { return HttpResponse::Text(200, "secret"); });
        made->Router().Add("POST", "/change", RouteAccess::Action,
                           [](const WebCall&) { return HttpResponse::Text(200, "changed"); });
        return made;
    }();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string parts[4];
    for (std::string& part : parts) {
        const size_t end = text.find('\n');
        part = std::string(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    HttpRequest request;
    request.sMethod = parts[0];
    request.sPath = parts[1];
    request.cookies[CWebSite::kSessionCookie] = parts[2];
    request.sBody = parts[3];
    request.sClient = "192.0.2.1";
    const HttpResponse response = site->Handle(request);
    if (response.sBody == "secret\n" || response.sBody == "changed\n")
        std::abort();
    if (!HasHeader(response, "Content-Security-Policy") ||
        !HasHeader(response, "X-Content-Type-Options"))
        std::abort();
    return 0;
}
