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
    bOk &= settings.SetIntIfChanged("MQTT/bEnable", bEnable ? 1 : 0);
    bOk &= settings.SetStringIfChanged("MQTT/sHost", sHost);
    bOk &= settings.SetIntIfChanged("MQTT/nPort", nPort);
    bOk &= settings.SetIntIfChanged("MQTT/nSecurity", nSecurity);
    bOk &= settings.SetStringIfChanged("MQTT/sCaFile", sCaFile);
    bOk &= settings.SetStringIfChanged("MQTT/sUser", sUser);
    bOk &= settings.SetStringIfChanged("MQTT/sPassword", sPassword);
    bOk &= settings.SetStringIfChanged("MQTT/sTopicPrefix", sTopicPrefix);
    bOk &= settings.SetIntIfChanged("MQTT/bCommands", bCommands ? 1 : 0);
    return bOk;
}
