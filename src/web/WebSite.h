// The web page as a whole: the server, its routes, and the door in front of
// them. Without a session only the login page and its two files are
// reachable (a page sends the browser to the login, an action is refused
// with 401); every change is a POST that carries its session's form token
// (403 without); every answer carries the headers that keep it out of
// frames and other sites' reach.
#pragma once

#include "web/HttpServer.h"
#include "web/LoginGuard.h"
#include "web/Router.h"
#include "web/Sessions.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct WebSiteOptions {
    LoginPolicy login;
    SessionPolicy sessions;
    CLoginGuard::Clock clock; // empty: the steady clock
    // The stylesheet and the script ("style.css", "app.js") are read from here.
    std::string sStaticFolder;
    // The stored password hash, read at each login ("" none set).
    std::function<std::string()> passwordHash;
    // The host names a request may name in its Host header (any when empty):
    // on a loopback address, another name is a page of another site that had
    // its name point here, and is refused.
    std::vector<std::string> allowedHosts;
};

class CWebSite {
public:
    static constexpr const char* kSessionCookie = "vorella_session";

    explicit CWebSite(WebSiteOptions options);
    ~CWebSite();

    // The pages and actions behind the login.
    CRouter& Router() { return m_router; }

    bool Start(const HttpServerOptions& options, std::string* pError);
    void Stop();
    uint16_t Port() const { return m_server.Port(); }

    // One request, as the server hands it over.
    HttpResponse Handle(const HttpRequest& request);

private:
    bool HostAllowed(const HttpRequest& request) const;
    HttpResponse LoginPage(const std::string& sMessage, int nStatus);
    HttpResponse LogIn(const WebCall& call);
    HttpResponse LogOut(const WebCall& call);
    HttpResponse StaticFile(const std::string& sName, const std::string& sType);
    void AddCommonHeaders(HttpResponse& response, bool bNoStore) const;

    WebSiteOptions m_options;
    CSessions m_sessions;
    CLoginGuard m_guard;
    CRouter m_router;
    CHttpServer m_server;
    bool m_bHttps = false;
    std::map<std::string, std::string> m_static;
};
