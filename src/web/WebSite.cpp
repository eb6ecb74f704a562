#include "web/WebSite.h"

#include "web/FormData.h"
#include "web/Html.h"
#include "web/Password.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {
std::string ReadSmallFile(const std::string& sPath) {
    std::ifstream in(sPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string SessionCookie(const std::string& sValue, bool bHttps, bool bEnd) {
    std::string cookie = std::string(CWebSite::kSessionCookie) + "=" + sValue +
                         "; Path=/; HttpOnly; SameSite=Strict";
    if (bHttps)
        cookie += "; Secure";
    if (bEnd)
        cookie += "; Max-Age=0";
    return cookie;
}
} // namespace

CWebSite::CWebSite(WebSiteOptions options)
    : m_options(std::move(options)), m_sessions(m_options.sessions, m_options.clock),
      m_guard(m_options.login, m_options.clock) {
    for (const char* name : {"style.css", "app.js"})
        m_static[name] = ReadSmallFile(m_options.sStaticFolder + name);
    m_router.Add("GET", "/login", RouteAccess::Public,
                 [this](const WebCall&) { return LoginPage("", 200); });
    m_router.Add("POST", "/login", RouteAccess::Public,
                 [this](const WebCall& call) { return LogIn(call); });
    m_router.Add("POST", "/logout", RouteAccess::Action,
                 [this](const WebCall& call) { return LogOut(call); });
    m_router.Add("GET", "/static/style.css", RouteAccess::Public,
                 [this](const WebCall&) { return StaticFile("style.css", "text/css"); });
    m_router.Add("GET", "/static/app.js", RouteAccess::Public,
                 [this](const WebCall&) { return StaticFile("app.js", "text/javascript"); });
}

CWebSite::~CWebSite() {
    Stop();
}

bool CWebSite::Start(const HttpServerOptions& options, std::string* pError) {
    m_bHttps = !options.sCertPem.empty();
    return m_server.Start(
        options, [this](const HttpRequest& request) { return Handle(request); }, pError);
}

void CWebSite::Stop() {
    m_server.Stop();
}

void CWebSite::AddCommonHeaders(HttpResponse& response, bool bNoStore) const {
    response.headers.emplace_back("Content-Security-Policy",
                                  "default-src 'self'; frame-ancestors 'none'; form-action 'self'");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    response.headers.emplace_back("X-Frame-Options", "DENY");
    if (bNoStore)
        response.headers.emplace_back("Cache-Control", "no-store");
    if (m_bHttps)
        response.headers.emplace_back("Strict-Transport-Security", "max-age=31536000");
}

bool CWebSite::HostAllowed(const HttpRequest& request) const {
    if (m_options.allowedHosts.empty())
        return true;
    std::string host = request.Header("host");
    // Without its port: "127.0.0.1:8640", "[::1]:8640".
    const size_t colon = host.rfind(':');
    const size_t bracket = host.rfind(']');
    const bool bPort = colon != std::string::npos &&
                       (bracket == std::string::npos ? host.find(':') == colon : colon > bracket);
    if (bPort)
        host.erase(colon);
    return std::find(m_options.allowedHosts.begin(), m_options.allowedHosts.end(), host) !=
           m_options.allowedHosts.end();
}

HttpResponse CWebSite::Handle(const HttpRequest& request) {
    const CRouter::Match match = m_router.Find(request.sMethod, request.sPath);
    HttpResponse response;
    if (!HostAllowed(request)) {
        response = HttpResponse::Text(421, "This server does not answer for that host name.");
    } else if (match.nStatus == 404) {
        response = HttpResponse::Text(404, "Not found.");
    } else if (match.nStatus == 405) {
        response = HttpResponse::Text(405, "Method not allowed.");
        response.headers.emplace_back("Allow", match.sAllow);
    } else {
        const CRouter::Route& route = *match.pRoute;
        WebCall call{request, {}, {}};
        if (request.sMethod == "POST")
            call.form = ParseForm(request.sBody);
        std::optional<CSessions::Session> session;
        if (route.access != RouteAccess::Public) {
            auto cookie = request.cookies.find(kSessionCookie);
            session = m_sessions.Find(cookie == request.cookies.end() ? "" : cookie->second);
        }
        if (route.access == RouteAccess::Page && !session) {
            response = HttpResponse::Redirect("/login");
        } else if (route.access == RouteAccess::Action && !session) {
            response = HttpResponse::Text(401, "Log in first.");
        } else if (route.access == RouteAccess::Action &&
                   !SameToken(call.form["csrf"], session->sCsrf)) {
            response = HttpResponse::Text(403, "The form is out of date: load the page again.");
        } else {
            if (session)
                call.sCsrf = session->sCsrf;
            response = route.handler(call);
        }
    }
    AddCommonHeaders(response, !request.sPath.starts_with("/static/"));
    if (request.sMethod == "HEAD")
        response.sBody.clear();
    return response;
}

HttpResponse CWebSite::LoginPage(const std::string& sMessage, int nStatus) {
    std::string body = "<main class=\"login\"><h1>Vorella</h1>";
    if (!sMessage.empty())
        body += "<p class=\"error\">" + HtmlEscape(sMessage) + "</p>";
    body +=
        "<form method=\"post\" action=\"/login\">"
        "<label>Password <input type=\"password\" name=\"password\" autofocus "
        "autocomplete=\"current-password\"></label> <button>Log in</button></form></main>";
    HttpResponse response;
    response.nStatus = nStatus;
    response.sBody = HtmlPage("Vorella: log in", body);
    return response;
}

HttpResponse CWebSite::LogIn(const WebCall& call) {
    const std::string& client = call.request.sClient;
    if (const int64_t waitMs = m_guard.WaitMs(client)) {
        HttpResponse response =
            LoginPage("Too many wrong passwords: try again in " +
                          std::to_string((waitMs + 999) / 1000) + " seconds.",
                      429);
        response.headers.emplace_back("Retry-After", std::to_string((waitMs + 999) / 1000));
        return response;
    }
    const std::string hash = m_options.passwordHash ? m_options.passwordHash() : "";
    if (hash.empty())
        return LoginPage("No password is set: set one with \"vorella-tool web-password\".", 403);
    auto password = call.form.find("password");
    if (password == call.form.end() || !CheckWebPassword(password->second, hash)) {
        m_guard.Failed(client);
        return LoginPage("Wrong password.", 401);
    }
    m_guard.Succeeded(client);
    const CSessions::Session session = m_sessions.Create();
    HttpResponse response = HttpResponse::Redirect("/");
    response.headers.emplace_back("Set-Cookie", SessionCookie(session.sId, m_bHttps, false));
    return response;
}

HttpResponse CWebSite::LogOut(const WebCall& call) {
    auto cookie = call.request.cookies.find(kSessionCookie);
    if (cookie != call.request.cookies.end())
        m_sessions.End(cookie->second);
    HttpResponse response = HttpResponse::Redirect("/login");
    response.headers.emplace_back("Set-Cookie", SessionCookie("", m_bHttps, true));
    return response;
}

HttpResponse CWebSite::StaticFile(const std::string& sName, const std::string& sType) {
    if (m_static.at(sName).empty())
        return HttpResponse::Text(404, "Not found.");
    HttpResponse response;
    response.sContentType = sType + "; charset=utf-8";
    response.sBody = m_static.at(sName);
    return response;
}
