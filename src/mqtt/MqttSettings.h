// The [MQTT] settings: the broker the call events go to, its login, the
// topics' prefix and whether commands are taken from it.
#pragma once

#include <string>

class ISettingsProvider;

struct MqttSettings {
    bool bEnable = false;
    std::string sHost;
    int nPort = 1883;
    int nSecurity = 0;   // 0 none, 1 TLS
    std::string sCaFile; // "" the system's certificate authorities
    std::string sUser;
    std::string sPassword;
    std::string sTopicPrefix = "vorella";
    bool bCommands = false;

    // Out-of-range values are taken as their defaults; a prefix with MQTT's
    // wildcards ("+", "#") or none at all is the default one.
    static MqttSettings Read(ISettingsProvider& settings);
    // The same taking of out-of-range values, on values typed.
    void Normalise();
    // Writes the keys whose values differ from those stored; false when the
    // settings could not be written.
    bool Write(ISettingsProvider& settings) const;
    bool operator==(const MqttSettings&) const = default;
};
