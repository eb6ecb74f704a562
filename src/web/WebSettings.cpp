#include "web/WebSettings.h"

#include "config/SettingsProvider.h"

#include <arpa/inet.h>

bool IsLoopbackAddress(const std::string& sAddress) {
    return sAddress == "localhost" || sAddress == "::1" || sAddress.rfind("127.", 0) == 0;
}

bool IsIpAddress(const std::string& sAddress) {
    unsigned char bytes[sizeof(in6_addr)];
    return inet_pton(AF_INET, sAddress.c_str(), bytes) == 1 ||
           inet_pton(AF_INET6, sAddress.c_str(), bytes) == 1;
}

WebSettings ReadWebSettings() {
    ISettingsProvider& settings = SettingsProvider();
    WebSettings web;
    web.bEnable = settings.GetBool("Web/bEnable");
    web.sListenAddress = settings.GetString("Web/sListenAddress");
    const int nPort = settings.GetInt("Web/nPort");
    web.nPort = static_cast<uint16_t>(nPort > 0 && nPort < 65536 ? nPort : 8640);
    const int nHttps = settings.GetInt("Web/nHttps");
    web.bHttps = nHttps < 0 ? !IsLoopbackAddress(web.sListenAddress) : nHttps != 0;
    web.sCertFile = settings.GetString("Web/sCertFile");
    web.sKeyFile = settings.GetString("Web/sKeyFile");
    web.sPasswordHash = settings.GetString("Web/sPasswordHash");
    return web;
}

bool WriteWebSettings(const WebSettings& web) {
    ISettingsProvider& settings = SettingsProvider();
    bool bOk = true;
    bOk &= settings.SetIntIfChanged("Web/bEnable", web.bEnable ? 1 : 0);
    bOk &= settings.SetStringIfChanged("Web/sListenAddress", web.sListenAddress);
    bOk &= settings.SetIntIfChanged("Web/nPort", web.nPort);
    const bool bDefaultHttps = web.bHttps != IsLoopbackAddress(web.sListenAddress);
    if (settings.GetInt("Web/nHttps") >= 0 || !bDefaultHttps)
        bOk &= settings.SetIntIfChanged("Web/nHttps", web.bHttps ? 1 : 0);
    bOk &= settings.SetStringIfChanged("Web/sCertFile", web.sCertFile);
    bOk &= settings.SetStringIfChanged("Web/sKeyFile", web.sKeyFile);
    return bOk;
}

bool StoreWebPasswordHash(const std::string& sHash) {
    return SettingsProvider().SetString("Web/sPasswordHash", sHash);
}

std::string WebPageAddress(const std::string& sHost, bool bHttps, unsigned nPort) {
    const std::string host = sHost.find(':') != std::string::npos ? "[" + sHost + "]" : sHost;
    return std::string(bHttps ? "https" : "http") + "://" + host + ":" + std::to_string(nPort) +
           "/";
}
