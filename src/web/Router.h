// The web page's routes: a method and a path to a handler, and who may
// reach it. A path no route has is 404; a path whose routes want another
// method is 405 (with the methods it takes), so a GET never reaches an
// action that changes something.
#pragma once

#include "web/HttpServer.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// One request as a route's handler sees it: the form of a POST, and the
// session's form token for the forms of the page it makes.
struct WebCall {
    const HttpRequest& request;
    std::map<std::string, std::string> form;
    std::string sCsrf;
};

enum class RouteAccess {
    Public, // the login page and its files
    Page,   // a page of a logged-in user: without a session, to the login page
    Action, // a change (POST): a session and its form token
};

class CRouter {
public:
    using Handler = std::function<HttpResponse(const WebCall&)>;
    struct Route {
        std::string sMethod;
        std::string sPath;
        RouteAccess access = RouteAccess::Page;
        Handler handler;
    };
    struct Match {
        int nStatus = 404; // 200 found, 404, 405
        const Route* pRoute = nullptr;
        std::string sAllow; // 405: the methods the path takes
    };

    void Add(std::string sMethod, std::string sPath, RouteAccess access, Handler handler);
    Match Find(const std::string& sMethod, const std::string& sPath) const;

private:
    std::vector<Route> m_routes;
};
