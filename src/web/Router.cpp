#include "web/Router.h"

void CRouter::Add(std::string sMethod, std::string sPath, RouteAccess access, Handler handler) {
    m_routes.push_back({std::move(sMethod), std::move(sPath), access, std::move(handler)});
}

CRouter::Match CRouter::Find(const std::string& sMethod, const std::string& sPath) const {
    Match match;
    for (const Route& route : m_routes) {
        if (route.sPath != sPath)
            continue;
        // HEAD is served as the GET it stands for.
        if (route.sMethod == sMethod || (sMethod == "HEAD" && route.sMethod == "GET")) {
            match.nStatus = 200;
            match.pRoute = &route;
            return match;
        }
        match.nStatus = 405;
        match.sAllow += (match.sAllow.empty() ? "" : ", ") + route.sMethod;
    }
    return match;
}
