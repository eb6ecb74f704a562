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

    bool operator==(const WebSettings&) const = default;
};

// 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackAddress(const std::string& sAddress);
// An IPv4 or IPv6 address in numbers, as the page can listen on.
bool IsIpAddress(const std::string& sAddress);
// The section as the settings provider has it now.
WebSettings ReadWebSettings();
// Writes the keys whose values differ from those stored, all but the
// password's hash; HTTPS left to its default stays so while it is what the
// default gives for the address. False when the settings could not be
// written.
bool WriteWebSettings(const WebSettings& web);
// Stores the password's hash (PasswordHash), false when the settings could
// not be written.
bool StoreWebPasswordHash(const std::string& sHash);
// "http://127.0.0.1:8640/": the page's address for a browser on sHost
// (an IPv6 address in brackets).
std::string WebPageAddress(const std::string& sHost, bool bHttps, unsigned nPort);
