#include "mqtt/MqttSettings.h"

#include "config/SettingsProvider.h"

MqttSettings MqttSettings::Read(ISettingsProvider& settings) {
    MqttSettings s;
    s.bEnable = settings.GetBool("bEnable");
    s.sHost = settings.GetString("sHost");
    s.nPort = settings.GetInt("nPort");
    s.nSecurity = settings.GetInt("nSecurity");
    s.sCaFile = settings.GetString("sCaFile");
    s.sUser = settings.GetString("sUser");
    s.sPassword = settings.GetString("sPassword");
    s.sTopicPrefix = settings.GetString("sTopicPrefix");
    s.bCommands = settings.GetBool("bCommands");
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
