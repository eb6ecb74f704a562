// The [Web] section: whether the page is served, where, and whether over
// HTTPS (by default when the address is not a loopback one), with the
// certificate and key files.
#pragma once

#include <cstdint>
#include <string>

struct WebSettings {
    bool bEnable = false;
    std::string sListenAddress = "127.0.0.1";
    uint16_t nPort = 8640;
    bool bHttps = false;
    std::string sCertFile; // "" with HTTPS: the one made at first start
    std::string sKeyFile;
    std::string sPasswordHash;
};

// 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackAddress(const std::string& sAddress);
// The section as the settings provider has it now.
WebSettings ReadWebSettings();
// Stores the password's hash (PasswordHash), false when the settings could
// not be written.
bool StoreWebPasswordHash(const std::string& sHash);
