#include "web/WebSettings.h"

#include "config/SettingsProvider.h"

bool IsLoopbackAddress(const std::string& sAddress) {
    return sAddress == "localhost" || sAddress == "::1" || sAddress.rfind("127.", 0) == 0;
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

bool StoreWebPasswordHash(const std::string& sHash) {
    return SettingsProvider().SetString("Web/sPasswordHash", sHash);
}
