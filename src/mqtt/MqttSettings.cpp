#include "mqtt/MqttSettings.h"

#include "config/SettingsProvider.h"

MqttSettings MqttSettings::Read(ISettingsProvider& settings) {
    MqttSettings s;
    s.bEnable = settings.GetBool("MQTT/bEnable");
    s.sHost = settings.GetString("MQTT/sHost");
    s.nPort = settings.GetInt("MQTT/nPort");
    s.nSecurity = settings.GetInt("MQTT/nSecurity");
    s.sCaFile = settings.GetString("MQTT/sCaFile");
    s.sUser = settings.GetString("MQTT/sUser");
    s.sPassword = settings.GetString("MQTT/sPassword");
    s.sTopicPrefix = settings.GetString("MQTT/sTopicPrefix");
    s.bCommands = settings.GetBool("MQTT/bCommands");
    s.Normalise();
    return s;
}

void MqttSettings::Normalise() {
    if (nPort <= 0 || nPort > 65535)
        nPort = 1883;
    if (nSecurity < 0 || nSecurity > 1)
        nSecurity = 0;
    while (!sTopicPrefix.empty() && sTopicPrefix.back() == '/')
        sTopicPrefix.pop_back();
    if (sTopicPrefix.empty() || sTopicPrefix.find_first_of("+#") != std::string::npos)
        sTopicPrefix = "vorella";
}

bool MqttSettings::Write(ISettingsProvider& settings) const {
    bool bOk = true;
    auto number = [&](const char* key, int value) {
        if (settings.GetInt(key) != value)
            bOk = settings.SetInt(key, value) && bOk;
    };
    auto text = [&](const char* key, const std::string& value) {
        if (settings.GetString(key) != value)
            bOk = settings.SetString(key, value) && bOk;
    };
    number("MQTT/bEnable", bEnable ? 1 : 0);
    text("MQTT/sHost", sHost);
    number("MQTT/nPort", nPort);
    number("MQTT/nSecurity", nSecurity);
    text("MQTT/sCaFile", sCaFile);
    text("MQTT/sUser", sUser);
    text("MQTT/sPassword", sPassword);
    text("MQTT/sTopicPrefix", sTopicPrefix);
    number("MQTT/bCommands", bCommands ? 1 : 0);
    return bOk;
}
