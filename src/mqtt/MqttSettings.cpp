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
    if (s.nPort <= 0 || s.nPort > 65535)
        s.nPort = 1883;
    if (s.nSecurity < 0 || s.nSecurity > 1)
        s.nSecurity = 0;
    while (!s.sTopicPrefix.empty() && s.sTopicPrefix.back() == '/')
        s.sTopicPrefix.pop_back();
    if (s.sTopicPrefix.empty() || s.sTopicPrefix.find_first_of("+#") != std::string::npos)
        s.sTopicPrefix = "vorella";
    return s;
}
