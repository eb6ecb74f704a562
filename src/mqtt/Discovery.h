// Home Assistant's discovery: the retained configs under "homeassistant/"
// that make the program a device there, with an event entity for the call
// events, sensors for the last caller and the unheard messages, and a button
// that blocks the last caller.
#pragma once

#include <string>
#include <vector>

struct MqttMessage {
    std::string sTopic;
    std::string sPayload;
};

// Where Home Assistant says it (re)started: "online" asks for the configs again.
inline constexpr char kDiscoveryStatusTopic[] = "homeassistant/status";

// The configs for the topics under sPrefix; the button only with bCommands.
std::vector<MqttMessage> DiscoveryConfigs(const std::string& sPrefix, bool bCommands);
